// The notice store: every intake tells the users what it did through GrabarAviso.
#pragma once

#include <string>

#include "components/bases_dd.h"

namespace cnc {

// Raises a notice of a type 0 to 22 through the local server connection.
void GrabarAviso(kvtx8::Conexion& servidorLocal, const std::string& texto, int tipo);
// Clears the per-type memory (start-up, and between sending and receiving).
void LimpiaUltimosAvisos();

}  // namespace cnc
