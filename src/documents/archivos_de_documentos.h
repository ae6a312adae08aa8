// The documents that reach a company as file-borne queue rows: a branch's invoice ("FA") or remission
// ("RE") becomes a purchase, a transfer ("TR") becomes stock entries. Each handler reads the work file the
// queue row was written to and writes on the local company connection.
#pragma once

#include <string>

#include "components/bases_dd.h"

namespace cnc {

struct DocumentoRecibido {
    bool hecho = false;     // the document was applied
    std::string folio;      // the purchase's folio, or the last entry's
    std::string aviso;      // the notice text when applied
    int tipoAviso = 0;      // its TipoAviso
    std::string error;      // why it was not applied; empty for a purchase that exists already
    bool pasajero = false;  // the failure may go away by itself: the row is worth offering again
};

// "FA" or "RE" (`tipo`), with the row's Folio for the notice: "Factura 15 subida como la compra 7" (type 11),
// "Remisión 15 subida como la compra 7" (type 10).
DocumentoRecibido CompraDesdeArchivo(const std::string& tipo, const std::string& folio,
                                     const std::string& ruta, kvtx8::Conexion& local);

// "TR", with the row's Folio: "Traspaso 7 recibido. Folio de Entrada 3" (type 8). Not applied when the file
// is no valid transfer (error says which fault) or the transfer was received before (no error).
DocumentoRecibido TraspasoDesdeArchivo(const std::string& folio, const std::string& ruta,
                                       kvtx8::Conexion& local);

}  // namespace cnc
