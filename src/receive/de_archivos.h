// File-borne changes: the hub queues a file per change in concentradorqmx.archivosasubir, and each type
// code has a row in a table that says how it is shown, handled and reported.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "components/bases_dd.h"

namespace cnc {

// What a handler gets for one queue row.
struct ArchivoRecibido {
    const kvtx8::Registros& fila;  // the queue row (Id, Tipo, BaseDeDatos, Cancelar, clave, Folio, ...)
    std::string ruta;              // the work file holding its Contenido
    kvtx8::Conexion& servidorLocal;
    kvtx8::Conexion& hub;
    kvtx8::Conexion& local;
    kvtx8::Conexion& espejo;
    std::string matriz;  // MATRIZ database name
    // Set by the handler: the text of the type's notice (raised only when the handler returns true), and
    // the error text stored at the hub (the row is then consumed).
    std::string aviso;
    std::string error;
    // The error may go away by itself (a lost connection, a lock wait): the row waits for the next cycle
    // instead of being recorded as failed.
    bool pasajero = false;

    std::string Clave() const { return fila.Texto("clave"); }
    std::string Contenido() const { return fila.Texto("Contenido"); }
};

// One type code of the queue.
struct TipoDeArchivo {
    std::string codigo;  // exact, case-sensitive
    // Appended to the status label; "XXX" becomes the row's clave and "NNN" its Folio.
    std::string estado;
    // Step name for the error log ("LeerDeArchivos()" + step); empty keeps the previous one.
    std::string paso;
    // The row is consumed whatever the handler returns ("CN", "FA", "RE", "TR").
    bool atendidoAntes = false;
    // TipoAviso of the notice in `aviso`; -1 for types whose handler raises its own notices.
    int tipoAviso = -1;
    // True when the change was applied; false without error text leaves the row queued for next time.
    std::function<bool(ArchivoRecibido&)> manejador;
};

// The product, cost, configuration, kit, offer, key, annex and variant types: "CA", "CC", "CN", "CP", "KT",
// "OF", "PC", "PR", "VC", "VP", "PX", "AP".
std::vector<TipoDeArchivo> TiposDeProductos();

// The whole table in the order types are tested: the product types with `otros` (built in the layers
// above) put in their place by code ("CC", "CN", "CP", "FA", "RE", "KT", "OF", "PC", "PR", "TR", "VC",
// "VP", "PX", "AP"); unknown codes go last.
std::vector<TipoDeArchivo> TablaDeTipos(std::vector<TipoDeArchivo> otros);

// The status text of a type for a row: "XXX" as its clave, "NNN" as its Folio.
std::string TextoDeEstado(const TipoDeArchivo& tipo, const kvtx8::Registros& fila);

}  // namespace cnc
