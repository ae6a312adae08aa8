// The send countdown of the main window.
#pragma once

#include <cstdint>

namespace cnc {

// Restarts the countdown: mode 0 resets both counters, other modes keep the count running.
void IniciaCuenta(uint8_t modo);
// Shows the last connection of the configuration file on the window.
void LeerUltimaConexion();

}  // namespace cnc
