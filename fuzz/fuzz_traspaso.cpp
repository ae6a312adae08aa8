// The transfer file a company receives: what reads writes back a file that reads the same (a lone CR in a
// text read travels as a space, as any line break does).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "components/subir_entradas.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, size_t n) {
    const std::string texto(reinterpret_cast<const char*>(datos), n);
    kvtx8::ArchivoTraspaso t;
    if (kvtx8::LeeTraspaso(texto, t) != kvtx8::kTraspasoValido) return 0;
    const std::string escrito = kvtx8::EscribeTraspaso(t);
    kvtx8::ArchivoTraspaso otra;
    if (kvtx8::LeeTraspaso(escrito, otra) != kvtx8::kTraspasoValido || kvtx8::EscribeTraspaso(otra) != escrito)
        std::abort();
    return 0;
}
