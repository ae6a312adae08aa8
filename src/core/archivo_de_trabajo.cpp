#include "core/archivo_de_trabajo.h"

#include <cstdio>
#include <fstream>
#include <iterator>

#include "core/shared_routines.h"

namespace cnc {

ArchivoDeTrabajo::ArchivoDeTrabajo(std::string_view contenido) : ruta_(EnCarpeta(kArchivoDeTrabajo)) {
    std::remove(ruta_.c_str());
    std::ofstream f(ruta_, std::ios::binary | std::ios::trunc);
    f.write(contenido.data(), static_cast<std::streamsize>(contenido.size()));
    f.close();
    escrito_ = static_cast<bool>(f);
}

ArchivoDeTrabajo::~ArchivoDeTrabajo() { std::remove(ruta_.c_str()); }

std::vector<std::string> LineasDe(std::string_view texto) {
    std::vector<std::string> lineas;
    size_t inicio = 0;
    while (inicio < texto.size()) {
        size_t fin = texto.find('\n', inicio);
        if (fin == std::string_view::npos) fin = texto.size();
        size_t largo = fin - inicio;
        if (largo > 0 && texto[fin - 1] == '\r' && fin < texto.size()) --largo;
        lineas.emplace_back(texto.substr(inicio, largo));
        inicio = fin + 1;
    }
    return lineas;
}

bool LeeArchivoCompleto(const std::string& ruta, std::string& contenido) {
    std::ifstream f(ruta, std::ios::binary);
    if (!f) return false;
    contenido.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    return !f.bad();
}

}  // namespace cnc
