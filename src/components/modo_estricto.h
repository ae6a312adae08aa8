// A session made strict for a while: a value too long for its column, not a number for a numeric column or
// not valid UTF-8 is then an error instead of a silently cut or replaced value.
#pragma once

#include "components/bases_dd.h"

namespace kvtx8 {

class ModoEstricto {
  public:
    explicit ModoEstricto(Conexion& cn);
    // The mode the session had comes back; the error that ended the unit stays the connection's, for the
    // caller to judge.
    ~ModoEstricto();
    ModoEstricto(const ModoEstricto&) = delete;
    ModoEstricto& operator=(const ModoEstricto&) = delete;
    bool Activo() const { return activo_; }

  private:
    Conexion& cn_;
    Valor modo_;
    bool activo_ = false;
};

}  // namespace kvtx8
