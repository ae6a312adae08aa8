// The update site of the connection tests: its catalogue on the hub test server, and a running updater.
#pragma once

#include <sys/types.h>

#include <string>

#include "support/falsos.h"
#include "support/servidores.h"

namespace prueba {

// The update catalogue with this program's row (and another program's), the module's site pointed at it.
struct Catalogo {
    Catalogo(const std::string& version, const std::string& archivo);
    ~Catalogo();
    Catalogo(const Catalogo&) = delete;
    Catalogo& operator=(const Catalogo&) = delete;
    Servidor hub = ServidorHub();
    std::string base = "catalogo_descargas";
};

// A running updater: a copy of a small program, named as the updater is, in the given folder (the program's,
// where the updater is trusted) or else in a folder of its own.
struct Auxiliar {
    explicit Auxiliar(const std::string& nombre = "qmxauxiliar", const std::string& donde = "");
    ~Auxiliar() { Termina(); }
    Auxiliar(const Auxiliar&) = delete;
    Auxiliar& operator=(const Auxiliar&) = delete;
    void Termina();
    std::string Archivo(const std::string& nombre) const { return carpeta + "/" + nombre; }
    std::string Lee(const std::string& nombre) const;
    CarpetaTemporal propia;
    std::string carpeta;
    pid_t pid = -1;
};

}  // namespace prueba
