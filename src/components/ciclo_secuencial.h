// Sequential reader: walks the rows of a table that meet a condition, in key order, `Limite` rows a block.
#pragma once

#include <string>

#include "components/bases_dd.h"

namespace kvtx8 {

class CicloSecuencial {
  public:
    std::string Tabla;
    std::string Llave;  // must be unique: the next block starts after the last key read
    std::string Condicion;

    // Opens the first block into rs (which the caller then reads); false when the query fails.
    bool AbrirTabla(Registros& rs, Conexion& cn, int limite);
    // Moves rs to the next row, reading the next block when this one is exhausted.
    void SiguienteRegistro();
    bool Eof() const { return !rs_ || rs_->Eof(); }
    // Lets go of the caller's record set (it may not outlive the walk).
    void Cierra() { rs_ = nullptr, cn_ = nullptr; }
    long long RegistroActual() const { return actual_; }
    long long RegistrosTotales() const { return totales_; }
    // A block after the first could not be read: Eof came early and the walk is not complete.
    bool Fallo() const { return fallo_; }
    // How many blocks were read since AbrirTabla.
    int Bloques() const { return bloques_; }

  private:
    bool LeeBloque(const Valor& desde);
    Registros* rs_ = nullptr;
    Conexion* cn_ = nullptr;
    int limite_ = 1000;
    long long actual_ = 0;
    long long totales_ = 0;
    int bloques_ = 0;
    bool fallo_ = false;
};

}  // namespace kvtx8
