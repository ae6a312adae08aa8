// The supplier file and the additional-field file go through the work file's lines.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/archivo_de_trabajo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, size_t n) {
    const std::string_view texto(reinterpret_cast<const char*>(datos), n);
    size_t total = 0;
    for (const auto& l : cnc::LineasDe(texto)) total += l.size();
    if (total > n) std::abort();
    return 0;
}
