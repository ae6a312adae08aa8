// The purchase file a branch delivers.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "documents/cls_subir_compras.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, size_t n) {
    size_t renglones = 0;
    cnc::clsSubirCompras::LeeArchivo(std::string_view(reinterpret_cast<const char*>(datos), n), renglones);
    return 0;
}
