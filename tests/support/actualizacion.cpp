#include "support/actualizacion.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "core/shared_routines.h"

namespace prueba {

Catalogo::Catalogo(const std::string& version, const std::string& archivo) {
    CreaBase(hub, base, {"plugins.sql"});
    EjecutaSQL(hub, base,
               "INSERT INTO plugins_lista (Numero, Nombre, Version, Archivo) VALUES (11, 'Concentrador', '" +
                   version + "', '" + archivo + "'), (12, 'Otro', '99.0.0', 'otro.bin')");
    auto& s = cnc::Mod.Sitio;
    s.Servidor = hub.host;
    s.Puerto = std::stoi(hub.puerto);
    s.Usuario = hub.usuario;
    s.Password = hub.password;
    s.Base = base;
}

Catalogo::~Catalogo() {
    try {
        BorraBase(hub, base);
    } catch (...) {
    }
}

Auxiliar::Auxiliar(const std::string& nombre, const std::string& donde)
    : carpeta(donde.empty() ? propia.Ruta() : donde) {
    const std::string exe = Archivo(nombre);
    std::filesystem::copy_file("/bin/sleep", exe);
    pid = fork();
    if (pid == 0) {
        execl(exe.c_str(), nombre.c_str(), "300", static_cast<char*>(nullptr));
        _exit(127);
    }
    // Until the process runs the copy, /proc still shows the test.
    for (int i = 0; i < 200; ++i) {
        std::error_code ec;
        auto p = std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/exe", ec);
        if (!ec && p.filename() == nombre) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

std::string Auxiliar::Lee(const std::string& nombre) const {
    std::ifstream f(Archivo(nombre), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

void Auxiliar::Termina() {
    if (pid <= 0) return;
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    pid = -1;
}

}  // namespace prueba
