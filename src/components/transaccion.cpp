#include "components/transaccion.h"

#include <mysql.h>

#include <atomic>
#include <string>

namespace kvtx8 {

namespace {
// Savepoint names are per connection; one count for all keeps them apart in any nesting.
std::atomic<unsigned long long> siguientePunto{0};
}  // namespace

Transaccion::Transaccion(Conexion& cn) : cn_(cn) {
    if (!cn_.Abierta()) return;
    if (cn_.mysql()->server_status & SERVER_STATUS_IN_TRANS) {
        // Joined: a savepoint, so that undoing this unit undoes only its own statements.
        punto_ = "cnc_unidad_" + std::to_string(++siguientePunto);
        activa_ = cn_.Ejecutar("SAVEPOINT " + punto_);
        return;
    }
    activa_ = propia_ = cn_.Ejecutar("START TRANSACTION");
    if (propia_) ++cn_.unidades_;
}

Transaccion::~Transaccion() {
    Deshace();
}

bool Transaccion::Confirma() {
    if (!activa_) return false;
    activa_ = false;
    if (!propia_) return cn_.Ejecutar("RELEASE SAVEPOINT " + punto_);
    --cn_.unidades_;
    if (cn_.Ejecutar("COMMIT")) return true;
    // Through the client library, so the connection keeps the error that undid the unit.
    if (cn_.Abierta()) mysql_rollback(cn_.mysql());
    return false;
}

void Transaccion::Deshace() {
    if (!activa_) return;
    activa_ = false;
    if (propia_) --cn_.unidades_;
    if (!cn_.Abierta()) return;
    // Through the client library, so the connection keeps the error that undid the unit.
    if (propia_) {
        mysql_rollback(cn_.mysql());
    } else {
        const std::string sql = "ROLLBACK TO SAVEPOINT " + punto_;
        mysql_real_query(cn_.mysql(), sql.data(), sql.size());
    }
}

bool EnTransaccion(Conexion& cn, const std::function<bool()>& cuerpo) {
    Transaccion t(cn);
    return t.Activa() && cuerpo() && t.Confirma();
}

}  // namespace kvtx8
