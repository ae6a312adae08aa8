#include "core/puerto_ventana.h"

namespace cnc {

std::vector<uint8_t> BotonesDe(int estilo) {
    switch (estilo & 7) {
        case kOKCancelar:
            return {kOK, kCancelar};
        case kAbortarReintentarIgnorar:
            return {kAbortar, kReintentar, kIgnorar};
        case kSiNoCancelar:
            return {kSi, kNo, kCancelar};
        case kSiNo:
            return {kSi, kNo};
        case kReintentarCancelar:
            return {kReintentar, kCancelar};
        default:
            return {kOK};
    }
}

uint8_t BotonPorDefecto(int estilo) {
    const auto b = BotonesDe(estilo);
    size_t i = (estilo & kTercerBoton) ? 2 : (estilo & kSegundoBoton) ? 1 : 0;
    return b[i < b.size() ? i : 0];
}

}  // namespace cnc
