#include "connection/cls_conectar.h"

namespace cnc {

void clsConectar::Conectar(uint8_t&, kvtx8::Registros&, kvtx8::Conexion&) {}

}  // namespace cnc
