#include "components/modo_estricto.h"

#include <mysql.h>

namespace kvtx8 {

ModoEstricto::ModoEstricto(Conexion& cn) : cn_(cn) {
    modo_ = cn.Escalar("SELECT @@SESSION.sql_mode");
    activo_ = modo_.has_value() && cn.Ejecutar("SET SESSION sql_mode='STRICT_ALL_TABLES,NO_ENGINE_SUBSTITUTION'");
}

ModoEstricto::~ModoEstricto() {
    if (!activo_ || !cn_.Abierta()) return;
    // Straight through the client library, as a rollback goes, so the cached error is not cleared.
    const std::string sql = "SET SESSION sql_mode=" + cn_.Literal(modo_);
    mysql_real_query(cn_.mysql(), sql.data(), sql.size());
}

}  // namespace kvtx8
