// The real executable, headless, on the demo group.
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "support/escenario.h"

namespace {

std::string Lee(const std::string& archivo) {
    std::ifstream f(archivo, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

// Waits up to `segundos` for the text in the file.
bool Aparece(const std::string& archivo, const std::string& texto, int segundos) {
    for (int i = 0; i < segundos * 10; ++i) {
        if (Lee(archivo).find(texto) != std::string::npos) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

}  // namespace

TEST(Programa, OneShotRegistersAndReachesTheHandOver) {
    REQUIERE_SERVIDORES();
    prueba::Escenario g(prueba::kDemo);
    const std::string mensajes = g.m.carpeta.Archivo("m.txt");
    // Without --si the registration takes its default answer, No: start-up ends the program.
    EXPECT_EQ(
        g.Espera(g.Lanza({"--sin-ventana", "--carpeta", g.Carpeta(), "--una-vez", "--modo", "0"}, mensajes)),
        1);
    EXPECT_NE(Lee(mensajes).find("[Registrar concentrador]"), std::string::npos);
    EXPECT_EQ(Lee(g.Registro()).find("00_Ruta"), std::string::npos);

    const auto c = g.Ejecuta(0);
    EXPECT_EQ(c.estado, 0) << c.mensajes;
    const std::string registro = Lee(g.Registro());
    EXPECT_NE(registro.find("00_Ruta = " + g.Carpeta()), std::string::npos) << registro;
    EXPECT_NE(registro.find("00_BaseDeDatos = datos1"), std::string::npos);
    EXPECT_NE(c.mensajes.find("¿Es correcta la empresa elegida?"), std::string::npos);
    EXPECT_NE(g.Bitacora().find("*** Inicio de bitácora"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(g.m.carpeta.Archivo("xdg/autostart")));  // not for a one-shot run

    // Without the ESPEJO data there is nothing to connect to.
    prueba::EjecutaSQL(g.local, "generaltarvena",
                       "UPDATE empresas SET BaseDeDatos3='' WHERE BaseDeDatos='datos1'");
    const auto sin = g.Ejecuta(0);
    EXPECT_EQ(sin.estado, 2) << sin.mensajes;
    EXPECT_NE(sin.mensajes.find("faltan los datos de conexión"), std::string::npos);
}

TEST(Programa, CountsDownOneCopyPerFolderAndEndsOnSigterm) {
    REQUIERE_SERVIDORES();
    prueba::Escenario g(prueba::kDemo);
    const std::string primero = g.m.carpeta.Archivo("primero.txt"),
                      segundo = g.m.carpeta.Archivo("segundo.txt");
    int pid = g.Lanza({"--sin-ventana", "--si", "--carpeta", g.Carpeta()}, primero);
    ASSERT_TRUE(Aparece(primero, "Para envio automatico faltan: 0 hors. 14 min. 59 segs.", 30))
        << Lee(primero);
    // The first send ran at start-up, before the countdown; the copy now starts at login.
    EXPECT_NE(g.Bitacora().find("Bitácora 0"), std::string::npos);
    EXPECT_NE(
        Lee(g.m.carpeta.Archivo("xdg/autostart/concentrador-00.desktop"))
            .find("Exec=\"" + std::string(CONCENTRADOR_BINARIO) + "\" --carpeta \"" + g.Carpeta() + "\""),
        std::string::npos);

    EXPECT_EQ(g.Espera(g.Lanza({"--sin-ventana", "--si", "--carpeta", g.Carpeta() + "/"}, segundo)), 1);
    EXPECT_NE(Lee(segundo).find("Ya se está ejecutando otro concentrador en la carpeta " + g.Carpeta()),
              std::string::npos)
        << Lee(segundo);

    kill(pid, SIGTERM);
    EXPECT_EQ(g.Espera(pid), 0) << Lee(primero);
    EXPECT_NE(Lee(primero).find("señal recibida"), std::string::npos);
}
