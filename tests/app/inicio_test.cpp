#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "app/cls_de_inicio.h"
#include "app/comandos.h"
#include "app/scheduler.h"
#include "support/escenario.h"

using namespace cnc;
using prueba::Escenario;

namespace {

bool Contiene(const std::string& texto, const std::string& parte) {
    return texto.find(parte) != std::string::npos;
}

}  // namespace

TEST(Configuracion, EmptyFileGetsDefaultsAndHubSettingsAreCreated) {
    REQUIERE_SERVIDORES();
    Escenario e;
    e.Instalacion();
    // Only the installation line and one key left empty: every other key is filled in silently (a new file
    // is all defaults), the empty one is filled in and reported.
    e.Ini("Avisos a mostrar", "");
    ASSERT_TRUE(e.CreaObjetos());
    EXPECT_EQ(e.LeeIni("Base de datos principal"), "datos1");
    EXPECT_EQ(e.LeeIni("Minutos"), "15");
    EXPECT_EQ(e.LeeIni("Registros a tomar"), "100");
    EXPECT_EQ(e.LeeIni("Avisos a mostrar"), "10");
    EXPECT_EQ(e.LeeIni("Manejar avisos"), "S");
    EXPECT_EQ(e.LeeIni("Actualización automática"), "S");
    EXPECT_EQ(e.LeeIni("Solamente respaldar en ESPEJO"), "N");
    const auto* caja = e.Caja("Configuración");
    ASSERT_NE(caja, nullptr);
    EXPECT_TRUE(Contiene(caja->texto, "\"Avisos a mostrar\" estaba vacío; se escribió 10"));
    EXPECT_FALSE(Contiene(caja->texto, "Ruta de Tarvena Premium"));
    EXPECT_FALSE(Contiene(caja->texto, "Minutos"));
    EXPECT_FALSE(Contiene(caja->texto, "Manejar avisos"));

    EXPECT_EQ(e.Ajuste("Minutos"), "15");
    EXPECT_EQ(e.Ajuste("ManejarAvisos"), "1");
    EXPECT_EQ(e.Ajuste("FDDUA"), "2018-08-01 00:00:00");

    // A second start finds everything in place and says nothing.
    e.m.ventana.cajas.clear();
    ASSERT_TRUE(e.CreaObjetos());
    EXPECT_TRUE(e.m.ventana.cajas.empty());
    // The hub's CA is optional: absent, no TLS is asked for and nothing is written or corrected.
    EXPECT_EQ(Mod.CAConcentrador, "");
    EXPECT_EQ(e.LeeIni("CA del concentrador"), "");
    e.Ini("CA del concentrador", "/etc/concentrador/ca.pem");
    ASSERT_TRUE(e.CreaObjetos());
    EXPECT_EQ(Mod.CAConcentrador, "/etc/concentrador/ca.pem");
    EXPECT_TRUE(e.m.ventana.cajas.empty());
}

TEST(Configuracion, LimitsFlagsBadNumbersAndExistingHubSettings) {
    REQUIERE_SERVIDORES();
    Escenario e;
    e.Instalacion();
    e.Ini("Registros a tomar", "20");
    e.Ini("Avisos a mostrar", "-4");
    e.Ini("Manejar avisos", "s");
    e.Ini("Minutos", "cada rato");
    e.Ini("Solamente respaldar en ESPEJO", "S");
    ASSERT_TRUE(e.CreaObjetos());
    EXPECT_EQ(Mod.RegistrosATomar, 100);
    EXPECT_EQ(Mod.AvisosAMostrar, 0);
    EXPECT_EQ(Mod.ManejarAvisos, 1);
    EXPECT_EQ(Mod.SoloRespaldar, 1);
    EXPECT_EQ(Mod.Minutos, 15);
    EXPECT_EQ(e.LeeIni("Minutos"), "15");
    EXPECT_EQ(e.LeeIni("Registros a tomar"), "20");  // in range for the file; the limit applies in memory
    const auto* caja = e.Caja("Configuración");
    ASSERT_NE(caja, nullptr);
    EXPECT_TRUE(Contiene(caja->texto, "\"Minutos\" = \"cada rato\" no es válido; se usa 15"));

    // The hub settings now exist: the file no longer decides them.
    e.Ini("Minutos", "40");
    e.Local("concentradorqmx", "UPDATE configuracion SET Contenido='0' WHERE Dato='ManejarAvisos'");
    e.Local("concentradorqmx", "UPDATE configuracion SET Contenido='7' WHERE Dato='Minutos'");
    ASSERT_TRUE(e.CreaObjetos());
    EXPECT_EQ(Mod.Minutos, 7);
    EXPECT_EQ(Mod.ManejarAvisos, 0);
    for (const char* c : {"Command7", "Command5", "Label(6)", "txtAvisos"})
        EXPECT_FALSE(e.m.ventana.habilitados[c]) << c;

    // A hub interval of 0 would send on every tick: the file's value stands.
    e.Local("concentradorqmx", "UPDATE configuracion SET Contenido='0' WHERE Dato='Minutos'");
    ASSERT_TRUE(e.CreaObjetos());
    EXPECT_EQ(Mod.Minutos, 40);
}

TEST(Configuracion, UnreadableFileAndDamagedRegistryAreReportedNotReplaced) {
    REQUIERE_SERVIDORES();
    Escenario e;
    e.Instalacion();
    const std::string basura("[Configuraci\0n]\x01\x02 Minutos=\0\0\0", 27);
    e.m.carpeta.Escribe("concentrador.ini", basura);
    // With the default installation folder nothing is found: the box, the offer to edit, the end.
    e.m.ventana.respuestas = {kOK, kSi};
    EXPECT_FALSE(e.CreaObjetos());
    EXPECT_EQ(e.m.carpeta.Lee("concentrador.ini"), basura);
    const auto* atencion = e.Caja("Atención");
    ASSERT_NE(atencion, nullptr);
    EXPECT_EQ(atencion->texto,
              "En el archivo de configuración de este programa\r\r(" + Mod.ArchivoIni +
                  ")\r\rdebe indicarse la ruta correcta de Tarvena Premium.\rRuta indicada e "
                  "incorrecta: \r\rC:\\tarvenapremium");
    EXPECT_EQ(atencion->estilo, 16);
    const auto* editar = e.Caja("Editar INI");
    ASSERT_NE(editar, nullptr);
    EXPECT_EQ(editar->estilo, 36);
    EXPECT_EQ(e.m.ventana.documentos, std::vector<std::string>{Mod.ArchivoIni});
    const auto* conf = e.Caja("Configuración");
    ASSERT_NE(conf, nullptr);
    EXPECT_TRUE(Contiene(conf->texto, "no se pudo leer el archivo"));

    // A registry file that is not one: reported with its path and left as it is.
    e.m.carpeta.Escribe("concentrador.ini", "[Configuración]\nRuta de Tarvena Premium=" + e.tarvena + "\n");
    const std::string danado = "[Software\\Tarvena\\Instalaciones\\1]\nRuta = x\nesto no es una línea\n";
    e.m.carpeta.Escribe("registro.ini", danado);
    e.m.ventana.cajas.clear();
    EXPECT_FALSE(e.CreaObjetos());
    EXPECT_EQ(e.m.carpeta.Lee("registro.ini"), danado);
    const auto* caja = e.Caja("Atención");
    ASSERT_NE(caja, nullptr);
    EXPECT_TRUE(Contiene(caja->texto, e.m.carpeta.Archivo("registro.ini"))) << caja->texto;
    EXPECT_EQ(e.Caja("Editar INI"), nullptr);
}

TEST(Configuracion, MissingHubSchemaEndsAfterApplyingTheLimits) {
    REQUIERE_SERVIDORES();
    Escenario e;
    e.Instalacion();
    prueba::BorraBase(e.local, "concentradorqmx");
    e.Ini("Registros a tomar", "5");
    e.Ini("Manejar avisos", "N");
    EXPECT_FALSE(e.CreaObjetos());
    EXPECT_EQ(Mod.RegistrosATomar, 100);
    EXPECT_FALSE(e.m.ventana.habilitados["Command7"]);
    EXPECT_TRUE(e.HuboCaja("Atención"));
}

TEST(EsperaBaseLocal, AsksEvery305FailuresAndStopsOnNo) {
    REQUIERE_SERVIDORES();
    Escenario e;
    e.Instalacion();
    ASSERT_TRUE(CargaConexionLocal(true));
    Mod.BDLocal.cMiBase = "no_existe_aun";
    e.m.ventana.respuestas = {kSi, kNo};
    EXPECT_FALSE(EsperaBaseLocal());
    ASSERT_EQ(e.m.ventana.cajas.size(), 2u);
    EXPECT_EQ(e.m.ventana.cajas[0].texto,
              "No se ha establecido conexión con la base de datos. ¿Desea reintentar conectar?");
    EXPECT_EQ(e.m.ventana.cajas[0].titulo, "Sin conexión");
    EXPECT_EQ(e.m.ventana.cajas[0].estilo, 36 + 256);
    EXPECT_EQ(e.m.reloj.pausadoMs, 610 * 1000);

    // The database appears during the wait: the next attempt succeeds, nothing is asked.
    prueba::RelojConPaso reloj;
    Mod.ElReloj = &reloj;
    reloj.alPausar = [&](int n) {
        if (n == 3) prueba::CreaBase(e.local, "no_existe_aun");
    };
    e.m.ventana.cajas.clear();
    EXPECT_TRUE(EsperaBaseLocal());
    EXPECT_EQ(reloj.pausas, 3);
    EXPECT_TRUE(e.m.ventana.cajas.empty());
    prueba::BorraBase(e.local, "no_existe_aun");
    Mod.ElReloj = &e.m.reloj;
}

TEST(Arranque, MarkerAutostartAndMissingConnectionData) {
    REQUIERE_SERVIDORES();
    Escenario e;
    e.Instalacion();
    e.Ini("Actualización automática", "N");  // no update site here
    e.m.ventana.respuestas = {kSi, kSi};     // register, and confirm the company
    e.m.ventana.eleccionesEmpresa = {0};
    e.m.ventana.aceptar = [](const std::vector<FilaEmpresa>& f, int i) {
        return frmElegirEmpresa_cmdAceptar(f, i);
    };
    e.Local("generaltarvena",
            "INSERT INTO empresas (BaseDeDatos, NombreComercial) VALUES ('datos1', 'Sucursal Uno')");
    // No ESPEJO data: the connection-data panel, and no connection.
    ASSERT_TRUE(Arranque(true));
    EXPECT_EQ(Mod.Prefijo, "00");
    EXPECT_TRUE(e.m.ventana.conectando.empty());
    EXPECT_TRUE(e.m.ventana.visibles["Picture2"]);
    EXPECT_FALSE(e.m.ventana.visibles["Picture4"]);
    EXPECT_TRUE(Form1().Timer1);
    EXPECT_EQ(e.m.ventana.textos["Form1"],
              "Cliente del concentrador de información.   v" CONCENTRADOR_VERSION);
    const std::string entrada = e.m.carpeta.Lee("xdg/autostart/concentrador-00.desktop");
    EXPECT_TRUE(Contiene(entrada, "Exec=\"" + RutaDelPrograma() + "\" --carpeta \"" + Mod.Carpeta + "\"\n"))
        << entrada;

    // With the data present the first send starts at load.
    ReiniciaForm1();
    e.m.ventana = prueba::VentanaGrabadora();
    e.Local("generaltarvena", "DELETE FROM empresas");
    e.EmpresaConDatos();
    ASSERT_TRUE(Arranque(true));
    ASSERT_FALSE(e.m.ventana.conectando.empty());
    EXPECT_TRUE(e.m.ventana.conectando.front());
    EXPECT_FALSE(e.m.ventana.conectando.back());
    EXPECT_EQ(e.m.ventana.textos["txtConecte(1)"], "espejo1");

    // The marker: window shown normal, no connection, and the autostart entry is never written.
    ReiniciaForm1();
    e.m.ventana = prueba::VentanaGrabadora();
    std::filesystem::remove(e.m.carpeta.Archivo("xdg/autostart/concentrador-00.desktop"));
    e.m.carpeta.Escribe("Concentrador.gif", "GIF89a");
    ASSERT_TRUE(Arranque(true));
    EXPECT_TRUE(e.m.ventana.conectando.empty());
    EXPECT_EQ(e.m.ventana.restaurada, 1);
    EXPECT_FALSE(e.m.ventana.visibles["Picture2"]);
    EXPECT_FALSE(std::filesystem::exists(e.m.carpeta.Archivo("xdg/autostart/concentrador-00.desktop")));

    // Declining the registration of a new folder ends the start-up and unloads.
    ReiniciaForm1();
    e.m.ventana = prueba::VentanaGrabadora();
    Mod.Registro.BorrarValor(kLlaveRegistro, "00_Ruta");
    EXPECT_FALSE(Arranque(true));
    EXPECT_EQ(e.m.ventana.descargas, 1);
    EXPECT_TRUE(Mod.Prefijo.empty());
}
