// What the connection tests share: a company with its ESPEJO and MATRIZ, the update catalogue, a running
// updater.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "core/shared_routines.h"
#include "support/falsos.h"
#include "support/servidores.h"

namespace apoyo {

// The local company "datos1" whose row points at the hub test server, its ESPEJO "espejo1" of group "G1" and
// the MATRIZ "matriz1". Both servers at Tarvena 6.3.0; the hub asks this program for 1.0.0 at least.
struct Grupo {
    prueba::Entorno e;
    Grupo() {
        prueba::Configura(cnc::Mod.BDLocal, e.local, e.baseLocal);
        const auto& a = cnc::Mod.Acceso;
        Local(
            "INSERT INTO empresas (BaseDeDatos, Servidor2, Puerto2, Usuario2, Conexion2, BaseDeDatos3) "
            "VALUES ('" +
            e.baseLocal + "', '" + a.Encripta(e.hub.host, 1) + "', " + e.hub.puerto + ", '" +
            a.Encripta(e.hub.usuario, 3) + "', '" + a.Encripta(e.hub.password, 4) + "', '" +
            a.Encripta(e.espejo, 2) + "')");
        Hub("INSERT INTO empresas (BaseDeDatos, Clasificacion, Licencia, Equipo) VALUES ('" + e.espejo +
            "', 'G1', 'L-100', 'CAJA1'), ('MATRIZ1', 'G1', '', ''), ('otra', 'G2', '', '')");
        Versiones("6.3.0", "6.3.0");
        prueba::EjecutaSQL(e.hub, "concentradorqmx",
                           "INSERT INTO configuracion (Dato, Contenido) VALUES ('VERSIONMINIMA', '1.0.0')");
        Espejo("cncTipoSucursal", "2");
    }
    void Local(const std::string& sql) { prueba::EjecutaSQL(e.local, "generaltarvena", sql); }
    void Hub(const std::string& sql) { prueba::EjecutaSQL(e.hub, "generaltarvena", sql); }
    void Versiones(const std::string& local, const std::string& hub) {
        Local("REPLACE INTO paneldecontrol (Dato, Contenido) VALUES ('VersionActual', '" + local + "')");
        Hub("REPLACE INTO paneldecontrol (Dato, Contenido) VALUES ('VersionActual', '" + hub + "')");
    }
    void Espejo(const std::string& dato, const std::string& contenido) {
        prueba::EjecutaSQL(
            e.hub, e.espejo,
            "REPLACE INTO configura (Dato, Contenido) VALUES ('" + dato + "', '" + contenido + "')");
    }
    std::string ConfiguraLocal(const std::string& dato) {
        return prueba::Consulta(e.local, e.baseLocal,
                                "SELECT Contenido FROM configura WHERE Dato='" + dato + "'");
    }
};

// Whether the log holds the dated line.
inline bool Linea(const std::string& bitacora, const std::string& texto) {
    return bitacora.find(" - " + texto + "\r\n") != std::string::npos;
}

// The update catalogue on the hub test server, with this program's row.
struct Catalogo {
    prueba::Servidor hub = prueba::ServidorHub();
    std::string base = "catalogo_descargas";
    Catalogo(const std::string& version, const std::string& archivo) {
        prueba::CreaBase(hub, base, {"plugins.sql"});
        prueba::EjecutaSQL(
            hub, base,
            "INSERT INTO plugins_lista (Numero, Nombre, Version, Archivo) VALUES (11, 'Concentrador', '" +
                version + "', '" + archivo + "'), (12, 'Otro', '99.0.0', 'otro.bin')");
        auto& s = cnc::Mod.Sitio;
        s.Servidor = hub.host;
        s.Puerto = std::stoi(hub.puerto);
        s.Usuario = hub.usuario;
        s.Password = hub.password;
        s.Base = base;
    }
    ~Catalogo() {
        try {
            prueba::BorraBase(hub, base);
        } catch (...) {
        }
    }
};

// A running updater: a copy of a small program, named as the updater is, in the given folder (the program's,
// where the updater is trusted) or else in a folder of its own.
struct Auxiliar {
    prueba::CarpetaTemporal propia;
    std::string carpeta;
    pid_t pid = -1;
    explicit Auxiliar(const std::string& nombre = "qmxauxiliar", const std::string& donde = "")
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
    std::string Archivo(const std::string& nombre) const { return carpeta + "/" + nombre; }
    std::string Lee(const std::string& nombre) const {
        std::ifstream f(Archivo(nombre), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    }
    void Termina() {
        if (pid <= 0) return;
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        pid = -1;
    }
    ~Auxiliar() { Termina(); }
};

}  // namespace apoyo
