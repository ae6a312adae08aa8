// One connection call: validations, branch settings, hand-over by mode.
#pragma once

#include <cstdint>

#include "components/bases_dd.h"

namespace cnc {

class clsConectar {
public:
    // The record set and connection are only passed on to the alert sender (mode 2).
    void Conectar(uint8_t& modo, kvtx8::Registros& rs, kvtx8::Conexion& cn);
};

}  // namespace cnc
