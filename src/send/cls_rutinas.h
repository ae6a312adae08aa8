// Per-table routines the generic exports call for each new row of some tables.
#pragma once

#include <string>
#include <vector>

#include "components/bases_dd.h"

namespace cnc {

class clsRutinas {
  public:
    clsRutinas();
    // Drops cnc_tabla_auxiliar unless the stop flag is set.
    ~clsRutinas();
    clsRutinas(const clsRutinas&) = delete;
    clsRutinas& operator=(const clsRutinas&) = delete;

    kvtx8::Conexion* BdL = nullptr;  // local company
    kvtx8::Conexion* BdR = nullptr;  // ESPEJO

    void IniciaPorTabla();

    void SQLsBorrado(kvtx8::Registros& rs);
    void LasCxCs(kvtx8::Registros& rs);
    void LasCxPs(kvtx8::Registros& rs);
    void ClientesProveedores(kvtx8::Registros& rs, const std::string& tipo);
    void ElKardex(kvtx8::Registros& rs);
    void SusProductos(kvtx8::Registros& rs);
    void DeVendedores(kvtx8::Registros& rs);
    void PasarProductosLista();

    // Calls the one-argument routine of that name; false when there is none.
    bool Llama(const std::string& rutina, kvtx8::Registros& rs);

  private:
    bool listasLeidas_ = false;
    bool auxiliarCreada_ = false;
};

}  // namespace cnc
