// One unit of change on a connection: written whole at Confirma, or not at all.
#pragma once

#include <functional>
#include <string>

#include "components/bases_dd.h"
#include "components/modo_estricto.h"

namespace kvtx8 {

class Transaccion {
  public:
    // Begins a transaction, or joins the one the caller already has open (which then decides whether what
    // this unit confirmed is written).
    explicit Transaccion(Conexion& cn);
    // Not confirmed: everything since the beginning is undone (a joined unit undoes only its own part).
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
    std::string punto_;  // the savepoint of a joined unit
};

// A unit in strict mode: too long, not a number or not UTF-8 is refused rather than cut or replaced. The
// session's mode comes back after the unit ends.
class UnidadEstricta {
  public:
    explicit UnidadEstricta(Conexion& cn) : modo_(cn), unidad_(cn) {}
    bool Abierta() const { return modo_.Activo() && unidad_.Activa(); }
    bool Confirma() { return unidad_.Confirma(); }

  private:
    ModoEstricto modo_;
    Transaccion unidad_;
};

// Runs the statements of `cuerpo` as one unit: confirmed when it returns true, undone otherwise. False
// when anything failed; the connection keeps the first error met.
bool EnTransaccion(Conexion& cn, const std::function<bool()>& cuerpo);

}  // namespace kvtx8
