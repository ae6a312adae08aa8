// The one clock of the program; tests put in their own.
#pragma once

#include "components/fecha.h"

namespace cnc {

class Reloj {
  public:
    virtual ~Reloj() = default;
    virtual kvtx8::FechaHora Ahora() = 0;
    // A pause of the given milliseconds.
    virtual void Pausa(int ms) = 0;
    // Whole seconds since midnight.
    int Timer() { return Ahora().SegundosDelDia(); }
};

class RelojDelSistema : public Reloj {
  public:
    kvtx8::FechaHora Ahora() override;
    void Pausa(int ms) override;
};

}  // namespace cnc
