// The send-and-receive cycle.
#pragma once

#include <string>

#include "components/bases_dd.h"

namespace cnc {

class clsCopiaMaestra {
public:
    void PasarTablasYrecibir(int& bitacora, kvtx8::Conexion& espejo, kvtx8::Conexion& local, kvtx8::Conexion& hub,
                             kvtx8::Conexion& servidorLocal, std::string& matriz, bool& soloRecibir);
};

}  // namespace cnc
