#include "components/transaccion.h"

#include <mysql.h>

namespace kvtx8 {

Transaccion::Transaccion(Conexion& cn) : cn_(cn) {
    if (!cn_.Abierta()) return;
    if (cn_.mysql()->server_status & SERVER_STATUS_IN_TRANS) {
        activa_ = true;
        return;
    }
    activa_ = propia_ = cn_.Ejecutar("START TRANSACTION");
}

Transaccion::~Transaccion() {
    Deshace();
}

bool Transaccion::Confirma() {
    if (!activa_) return false;
    activa_ = false;
    if (!propia_) return true;
    if (cn_.Ejecutar("COMMIT")) return true;
    if (cn_.Abierta()) cn_.Ejecutar("ROLLBACK");
    return false;
}

void Transaccion::Deshace() {
    if (!activa_) return;
    activa_ = false;
    if (propia_ && cn_.Abierta()) cn_.Ejecutar("ROLLBACK");
}

}  // namespace kvtx8
