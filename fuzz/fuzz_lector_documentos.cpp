// Document files read by lines and items, mixed as the readers mix them; the first byte picks the order.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "documents/lector_secuencial.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, size_t n) {
    if (n == 0) return 0;
    const uint8_t orden = datos[0];
    cnc::LectorSecuencial l(std::string_view(reinterpret_cast<const char*>(datos) + 1, n - 1));
    for (int i = 0; !l.Eof() && i < 100000; ++i) {
        switch ((orden >> (i % 4 * 2)) & 3) {
            case 0: l.Linea(); break;
            case 1: l.Item(); break;
            default: l.Numero(); break;
        }
    }
    l.Linea();
    l.Item();
    return 0;
}
