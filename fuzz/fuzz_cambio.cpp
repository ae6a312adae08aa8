// The work file of one file-borne change type (CAMBIO, set at build time), read as its handler reads it
// before anything is written.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/archivo_de_trabajo.h"
#include "receive/cls_aux.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, size_t n) {
    const std::string texto(reinterpret_cast<const char*>(datos), n);
    constexpr std::string_view tipo = CAMBIO;
    std::string error;
    if constexpr (tipo == "PC") {
        for (const std::string& linea : cnc::LineasDe(texto)) {
            std::string campo, anterior, nuevo;
            if (!linea.empty()) cnc::clsAux::SepararLinea(linea, campo, anterior, nuevo);
        }
    } else if constexpr (tipo == "KT") {
        std::vector<std::string> lineas;
        if (cnc::clsAux::LeeKit(texto, lineas, error) && (lineas.empty() || (lineas.size() - 1) % 4 != 0))
            std::abort();
    } else if constexpr (tipo == "OF") {
        std::vector<std::string> r1, r2, productos;
        if (cnc::clsAux::LeeOferta(texto, r1, r2, productos, error) && (r1.size() != 9 || r2.size() != 2))
            std::abort();
    } else if constexpr (tipo == "CN") {
        std::vector<std::pair<std::string, std::string>> pares;
        cnc::clsAux::LeeConfigura(texto, pares, error);
    } else if constexpr (tipo == "CC") {
        cnc::clsAux::CostoLegible(texto, error);
    }
    return 0;
}
