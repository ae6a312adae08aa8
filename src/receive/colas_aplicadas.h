// Hub queue rows already applied here whose removal at the hub has not gone through yet. The local write,
// its notice and the mark go in one local transaction; the hub row goes after, then the mark. A crash or
// a lost hub in between leaves the mark, and the next cycle removes the hub row without applying it or
// raising its notice again.
#pragma once

#include <optional>
#include <string>

#include "components/bases_dd.h"

namespace cnc::colas_aplicadas {

// The program makes sure of it before every run (the local schema has the same definition).
inline constexpr const char* kCrea =
    "CREATE TABLE IF NOT EXISTS concentradorqmx.colasaplicadas (Cola VARCHAR(32) NOT NULL DEFAULT '', "
    "Llave VARCHAR(100) NOT NULL DEFAULT '', TipoAviso SMALLINT NOT NULL DEFAULT -1, Aviso TEXT NULL, "
    "PRIMARY KEY (Cola, Llave))";

// Whether the queue row is marked as applied; nullopt when that could not be read.
std::optional<bool> Marcada(kvtx8::Conexion& cn, const std::string& cola, const std::string& llave);
// Inside the transaction of the local change, on whichever connection to the local server makes it; with
// the notice of the change still to raise when there is one.
bool Marca(kvtx8::Conexion& cn, const std::string& cola, const std::string& llave, int tipoAviso = -1,
           const std::string& aviso = "");
// Raises the notice the mark still holds and clears it, in one transaction.
bool AvisaPendiente(kvtx8::Conexion& servidorLocal, const std::string& cola, const std::string& llave);
// Once the hub row is gone.
bool Olvida(kvtx8::Conexion& cn, const std::string& cola, const std::string& llave);

}  // namespace cnc::colas_aplicadas
