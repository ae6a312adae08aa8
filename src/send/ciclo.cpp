#include "send/ciclo.h"

namespace cnc {

Resultado Peor(Resultado a, Resultado b) {
    return static_cast<int>(a) > static_cast<int>(b) ? a : b;
}

}  // namespace cnc
