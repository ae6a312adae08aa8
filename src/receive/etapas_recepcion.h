// The intake stages of the cycle, in their fixed order; a stage not built yet is simply not in the table.
#pragma once

#include <vector>

#include "send/ciclo.h"

namespace cnc {

// A fresh table per cycle: the intake objects live for one cycle.
std::vector<Etapa> EtapasDeRecepcion();

}  // namespace cnc
