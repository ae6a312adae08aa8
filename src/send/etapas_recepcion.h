// What an intake stage of the cycle is. The table itself comes from receive/ (EtapasDeRecepcion), handed to
// the cycle by the connection call, so the cycle does not reach up into the intake.
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

}  // namespace cnc
