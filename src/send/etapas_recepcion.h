// The intake stages of the cycle, in their fixed order. Each intake adds its row in
// src/receive/etapas_recepcion.cpp; a stage not built yet is simply not in the table.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "components/bases_dd.h"

namespace cnc {

struct Recepcion {
    kvtx8::Conexion& servidorLocal;  // local server, general database
    kvtx8::Conexion& hub;            // hub server, general database
    kvtx8::Conexion& local;          // local company
    kvtx8::Conexion& espejo;         // ESPEJO database
    std::string& matriz;             // MATRIZ database name
};

struct EtapaRecepcion {
    std::string texto;  // progress text
    std::string tabla;  // progress table
    std::function<void(Recepcion&)> operacion;
};

// A fresh table per cycle: the intake objects live for one cycle.
std::vector<EtapaRecepcion> EtapasDeRecepcion();

}  // namespace cnc
