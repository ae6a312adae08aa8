// The intake routines of the cycle: what the hub has queued for this company, brought into the local
// databases. One object lives for one cycle.
#pragma once

#include <string>
#include <vector>

#include "components/bases_dd.h"
#include "receive/de_archivos.h"
#include "send/ciclo.h"

namespace cnc {

class clsPendientes {
  public:
    // Groups of concentradorqmx.listagrupos for this company into the local general database.
    // The third connection (local company) is not used.
    Resultado LeeGrupos(kvtx8::Conexion& servidorLocal, kvtx8::Conexion& hub, kvtx8::Conexion& local);
    // Users of concentradorqmx.listausuarios pending for this company; the local key is never the hub's.
    Resultado LeeUsuarios(kvtx8::Conexion& servidorLocal, kvtx8::Conexion& hub, kvtx8::Conexion& local);

    // Price-list entries of concentradorqmx.pendientesldp: the product is made sure of along MATRIZ, ESPEJO
    // and local company, then its price is set. The MATRIZ is opened on a connection of this call.
    Resultado LeeListaPrecios(kvtx8::Conexion& servidorLocal, kvtx8::Conexion& hub, kvtx8::Conexion& local,
                              kvtx8::Conexion& espejo, const std::string& matriz);
    // Products, users and groups of concentradorqmx.aborrar; a product with stock stays queued.
    Resultado PorBorrar(kvtx8::Conexion& servidorLocal, kvtx8::Conexion& hub, kvtx8::Conexion& local);
    // Suppliers delivered as "PV" files; each one becomes the company's PROVEEDORMATRIZ.
    Resultado LeerProveedores(kvtx8::Conexion& servidorLocal, kvtx8::Conexion& hub, kvtx8::Conexion& local);
    // Branches added or removed in concentradorqmx.listasucursales; new ones are taken from the MATRIZ.
    Resultado LeerSucursales(kvtx8::Conexion& servidorLocal, kvtx8::Conexion& hub, kvtx8::Conexion& local,
                             kvtx8::Conexion& espejo, const std::string& matriz);
    // Suppliers of the MATRIZ marked CopiarAsucursales that the company lacks; existing ones stay.
    Resultado ProveedoresSelect(kvtx8::Conexion& servidorLocal, kvtx8::Conexion& hub, kvtx8::Conexion& local,
                                const std::string& matriz);
    // The trimmed `campo` of the row of `tabla` with that Id; empty for Id 0 or no row.
    static std::string DescripcionPorId(kvtx8::Conexion& cn, const std::string& tabla, const std::string& id,
                                        const std::string& campo);

    // The text between double quotes.
    static std::string Entrecomillar(const std::string& texto);
    // A user name as an SQL literal: between apostrophes, escaped by the connection.
    static std::string LiteralDeNombre(const std::string& nombre, const kvtx8::Conexion& cn);

    // File-borne changes of concentradorqmx.archivosasubir for this company, in Id order, each through
    // the handler of its type. A row is removed when handled or when its handler left an error text (kept
    // in concentradorqmx.erroresdelectura); any other row is offered again next cycle: one that met a
    // lost connection or a lock, and one of a type with no handler here (kept for a version that has one).
    Resultado LeerDeArchivos(kvtx8::Conexion& servidorLocal, kvtx8::Conexion& hub, kvtx8::Conexion& local,
                             const std::string& matriz, kvtx8::Conexion& espejo,
                             const std::vector<TipoDeArchivo>& tipos);

  private:
    // Reopens the local server and the hub connection.
    static bool AbreAmbas(kvtx8::Conexion& servidorLocal, kvtx8::Conexion& hub);
    // Logs the failure under the routine's name; a connection lost on the way ends the intake.
    static Resultado Falla(const char* rutina, const kvtx8::Conexion& cn);
    // Whether the queue loop goes on after a row that ended so.
    static bool Sigue(Resultado r);
    // A copy of the queue row with its error text, at the hub.
    static bool GuardarErrorDeLectura(kvtx8::Conexion& hub, const kvtx8::Registros& fila,
                                      const std::string& error);
};

}  // namespace cnc
