// Per-table routines the generic exports call for each new row of some tables.
#pragma once

#include <string>
#include <vector>

#include "components/bases_dd.h"

namespace cnc {

class clsRutinas;

// The per-table routine of a table the generic exports send: the one place that says which table has which.
struct RutinaDeTabla {
    const char* tabla;
    void (*porRenglon)(clsRutinas&, kvtx8::Registros&);
    // Run once after the table's rows, when they all went (nullptr: nothing).
    void (*alTerminar)(clsRutinas&);
};
// The routine of the table (lower-case name), or nullptr.
const RutinaDeTabla* RutinaDe(const std::string& tabla);

class clsRutinas {
  public:
    clsRutinas();
    // Drops cnc_tabla_auxiliar unless a routine failed or the operator stopped (its keys are kept).
    ~clsRutinas();
    clsRutinas(const clsRutinas&) = delete;
    clsRutinas& operator=(const clsRutinas&) = delete;

    kvtx8::Conexion* BdL = nullptr;  // local company
    kvtx8::Conexion* BdR = nullptr;  // ESPEJO
    int HandleBitacora = 0;          // problem-records file number

    // Whether a recorded statement may be replayed on the hub: one DELETE FROM a table of the ESPEJO
    // itself (not schema-qualified), naming no other database, with no second statement and no comment.
    // `motivo` says why not.
    static bool BorradoPermitido(const std::string& sentencia, std::string& motivo);

    // Whether a routine failed since the object was made (the export then ends incomplete).
    bool Fallo() const { return fallo_; }
    // Whether that failure may mend itself (lost connection, lock wait): the row's routine is tried again.
    bool FalloPasajero() const { return pasajero_; }
    // The failure was dealt with (written down): the next row starts clean.
    void OlvidaFallo() { fallo_ = pasajero_ = false; }

    // rs is the local record set positioned on the new row. Errors are kept in Fallo().
    void SQLsBorrado(kvtx8::Registros& rs);
    void LasCxCs(kvtx8::Registros& rs);
    void LasCxPs(kvtx8::Registros& rs);
    // tipo: "clientes" or "proveedores".
    void ClientesProveedores(kvtx8::Registros& rs, const std::string& tipo);
    void ElKardex(kvtx8::Registros& rs);
    void SusProductos(kvtx8::Registros& rs);
    void DeVendedores(kvtx8::Registros& rs);
    // After the stock movements: the stock of the queued products, then the prices of the collected ones.
    void PasarProductosLista();

  private:
    void Pagos(kvtx8::Registros& rs, bool clientes);
    bool Primera();
    // Writes the local row into the ESPEJO row the source finds, adding it when absent.
    void EscribeEnEspejo(const kvtx8::Registros& local, const std::string& fuente,
                         const std::vector<std::string>& campos);
    // Adds the local row to ESPEJO when the source finds nothing there.
    void AgregaSiFalta(const kvtx8::Registros& local, const std::string& fuente,
                       const kvtx8::Registros& estructura, const std::vector<std::string>& campos);
    // Notes the key in cnc_tabla_auxiliar; true when it was not there yet.
    bool NuevaEnAuxiliar(const std::string& clave);
    bool Ejecuta(kvtx8::Conexion& cn, const std::string& sql);
    bool Abre(kvtx8::Registros& rs, kvtx8::Conexion& cn, const std::string& fuente,
              const std::string& campos = "*");

    bool fallo_ = false;
    bool pasajero_ = false;
    // A failure; `cn` is the connection whose statement failed (nullptr: it could not be opened).
    void Falla(const kvtx8::Conexion* cn);
    bool listasLeidas_ = false;
    std::vector<std::string> campos1_, campos2_;
    kvtx8::Registros estructura1_, estructura2_;
    kvtx8::Conexion qmx_;  // the local concentradorqmx, opened at the first stock movement
};

}  // namespace cnc
