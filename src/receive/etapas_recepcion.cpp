#include "send/etapas_recepcion.h"

namespace cnc {

std::vector<EtapaRecepcion> EtapasDeRecepcion() { return {}; }

}  // namespace cnc
