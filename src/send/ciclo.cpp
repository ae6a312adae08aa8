#include "send/ciclo.h"

namespace cnc {

Resultado Peor(Resultado a, Resultado b) {
    return static_cast<int>(a) > static_cast<int>(b) ? a : b;
}

bool ErrorPasajero(const kvtx8::Conexion& cn) {
    if (!cn.Abierta()) return true;
    switch (cn.UltimoError()) {
        case 1205:  // lock wait timeout
        case 1213:  // deadlock
        case 1040:  // too many connections
        case 1053:  // server shutting down
        case 2002:
        case 2003:
        case 2006:
        case 2013:
            return true;
        default:
            return false;
    }
}

}  // namespace cnc
