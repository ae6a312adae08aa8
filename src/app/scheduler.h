// The send countdown of the main window, the alert poll and the connection call.
#pragma once

#include <cstdint>
#include <string>

#include "components/bases_dd.h"
#include "core/puerto_ventana.h"

namespace cnc {

// Restarts the countdown: mode 0 resets both counters, other modes keep the count running.
void IniciaCuenta(uint8_t modo);

// Gives a control the focus.
void DarleElFoco(Control control);
// Time left until the next automatic send.
void TiempoRestante(int& horas, int& minutos, int& segundos);
// The lblInfo text of a time left: "0 hors. 14 min. 59 segs.".
std::string TextoTiempoRestante(int horas, int minutos, int segundos);
// The 5-second poll of the local alerts.
void RevisaAlertas();
// One connection call (clsConectar::Conectar); the countdown is stopped while it runs.
void EnviarAhora(uint8_t& modo, kvtx8::Registros& rs, kvtx8::Conexion& cn);
void EnviarAhora(uint8_t modo);
// True while a connection call runs.
bool EnConexion();

}  // namespace cnc
