// Sequential files as the hub writes them: records of a set count, any count, and whole lines.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "components/lectura_secuencial.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, size_t n) {
    const std::string_view texto(reinterpret_cast<const char*>(datos), n);
    std::vector<std::string> v;
    {
        kvtx8::LecturaSecuencial f(texto);
        while (f.Registro(v, 2)) {
        }
    }
    {
        kvtx8::LecturaSecuencial f(texto);
        while (!f.Fin() && f.Registro(v)) {
        }
    }
    {
        kvtx8::LecturaSecuencial f(texto);
        for (std::string linea, e; f.Linea(linea);) kvtx8::LecturaSecuencial::Valores(linea, v, e);
    }
    return 0;
}
