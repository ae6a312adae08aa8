// The intake stages of the cycle, in their fixed order; a stage not built yet is simply not in the table.
#pragma once

#include <vector>

#include "receive/de_archivos.h"
#include "send/ciclo.h"

namespace cnc {

// A fresh table per cycle: the intake objects live for one cycle. `otros` are the file types whose
// handlers live in the layers above (purchases, transfers); they join the product types.
std::vector<Etapa> EtapasDeRecepcion(std::vector<TipoDeArchivo> otros = {});

}  // namespace cnc
