// A session made strict for a while: a value too long for its column, not a number for a numeric column or
// not valid UTF-8 is then an error instead of a silently cut or replaced value.
#pragma once

#include "components/bases_dd.h"

namespace kvtx8 {

class ModoEstricto {
  public:
    explicit ModoEstricto(Conexion& cn) : cn_(cn) {
        modo_ = cn.Escalar("SELECT @@SESSION.sql_mode");
        activo_ = modo_.has_value() &&
                  cn.Ejecutar("SET SESSION sql_mode='STRICT_ALL_TABLES,NO_ENGINE_SUBSTITUTION'");
    }
    // The mode the session had comes back.
    ~ModoEstricto() {
        if (activo_ && cn_.Abierta()) cn_.Ejecutar("SET SESSION sql_mode=" + cn_.Literal(modo_));
    }
    ModoEstricto(const ModoEstricto&) = delete;
    ModoEstricto& operator=(const ModoEstricto&) = delete;
    bool Activo() const { return activo_; }

  private:
    Conexion& cn_;
    Valor modo_;
    bool activo_ = false;
};

}  // namespace kvtx8
