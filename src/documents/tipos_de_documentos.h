// The rows of the file-borne queue's type table whose handlers are documents: "FA" and "RE" purchases, "TR"
// transfers.
#pragma once

#include <vector>

#include "receive/de_archivos.h"

namespace cnc {

// A document applied consumes its row with its notice; one that exists already consumes it silently; one
// that can never be applied consumes it with its error kept at the hub; a failure that may go away by
// itself (a lost connection, a lock wait) leaves the row for the next cycle, logged.
std::vector<TipoDeArchivo> TiposDeArchivoDeDocumentos();

}  // namespace cnc
