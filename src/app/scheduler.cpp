#include "app/scheduler.h"

namespace cnc {

void IniciaCuenta(uint8_t) {}
void LeerUltimaConexion() {}

}  // namespace cnc
