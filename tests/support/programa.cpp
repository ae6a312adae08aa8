#include "support/programa.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>

namespace prueba {

int Sistema(const std::string& linea) {
    int r = std::system(linea.c_str());
    return WIFEXITED(r) ? WEXITSTATUS(r) : 128 + (WIFSIGNALED(r) ? WTERMSIG(r) : 0);
}

GrupoDemo::GrupoDemo() : local(ServidorLocal()), hub(ServidorHub()) {
    const std::string linea = "CONCENTRADOR_BIN='" + std::string(CONCENTRADOR_BINARIO) + "' '" +
                              std::string(CONCENTRADOR_FUENTES) + "/scripts/demo-datos' '" + carpeta.Ruta() +
                              "' >'" + carpeta.Ruta() + "/datos.log' 2>&1";
    if (Sistema(linea) != 0) throw std::runtime_error("demo-datos falló: " + carpeta.Lee("datos.log"));
}

std::vector<std::string> GrupoDemo::Argumentos(int modo) const {
    return {CONCENTRADOR_BINARIO, "--sin-ventana", "--si", "--carpeta", Carpeta(), "--una-vez", "--modo",
            std::to_string(modo)};
}

int GrupoDemo::Inicia(int modo) const {
    const std::string salida = carpeta.Archivo("salida.txt"), mensajes = carpeta.Archivo("mensajes.txt");
    const auto args = Argumentos(modo);
    const std::string registro = Registro();
    const std::string config = carpeta.Archivo("config");
    pid_t pid = fork();
    if (pid == 0) {
        setenv("CONCENTRADOR_REGISTRO", registro.c_str(), 1);
        setenv("CONCENTRADOR_REINTENTO", "2", 1);
        // Nothing of the run may land in the real home (autostart entries).
        setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        int o = open(salida.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int e = open(mensajes.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int n = open("/dev/null", O_RDONLY);
        dup2(n, 0), dup2(o, 1), dup2(e, 2);
        std::vector<char*> argv;
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

Corrida GrupoDemo::Espera(int pid) {
    int st = 0;
    waitpid(pid, &st, 0);
    Corrida c;
    c.estado = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
    return c;
}

Corrida GrupoDemo::Ejecuta(int modo) const {
    Corrida c = Espera(Inicia(modo));
    c.salida = carpeta.Lee("salida.txt");
    c.mensajes = carpeta.Lee("mensajes.txt");
    return c;
}

}  // namespace prueba
