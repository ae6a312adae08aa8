// The order file an alert points to.
#include <cstddef>
#include <cstdint>
#include <string>

#include "documents/cls_de_alertas.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, size_t n) {
    size_t renglones = 0, referencias = 0;
    cnc::clsDeAlertas::LeeArchivoDePedido(std::string(reinterpret_cast<const char*>(datos), n), renglones,
                                          referencias);
    return 0;
}
