// One unit of change on a connection: written whole at Confirma, or not at all.
#pragma once

#include "components/bases_dd.h"

namespace kvtx8 {

class Transaccion {
  public:
    // Begins a transaction, or joins the one the caller already has open (which then decides for both).
    explicit Transaccion(Conexion& cn);
    // Not confirmed: everything since the beginning is undone.
    ~Transaccion();
    Transaccion(const Transaccion&) = delete;
    Transaccion& operator=(const Transaccion&) = delete;

    // Whether it began (or joined) one; false when the connection could not start it.
    bool Activa() const { return activa_; }
    // Whether this object began the transaction, rather than joining one.
    bool Propia() const { return propia_; }
    // Writes the unit; false when the server did not (the unit is then undone).
    bool Confirma();
    void Deshace();

  private:
    Conexion& cn_;
    bool activa_ = false;
    bool propia_ = false;
};

}  // namespace kvtx8
