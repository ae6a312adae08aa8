// A branch's purchase orders become orders of its MATRIZ, and its bar-order removals reach the ESPEJO.
#pragma once

#include <string>
#include <vector>

#include "components/bases_dd.h"
#include "send/ciclo.h"

namespace cnc {

class clsSubirPedidos {
  public:
    // Builds the MATRIZ order of one "OC" request (the record set on its row) in one transaction. True when
    // the request is done: the order was created, existed already, or cannot be made (the file is cut
    // short, or the MATRIZ refuses it: nothing is written and the reason is in Error()). False leaves the
    // request for a later cycle: no folio, no MATRIZ, no customer for the branch, or a failure that may go
    // away by itself.
    bool Enviar(kvtx8::Conexion& servidorLocal, const kvtx8::Registros& solicitud, const std::string& matriz);
    // Id of the MATRIZ order created by the last call; 0 when none was.
    long long Pedido = 0;
    const std::string& Error() const { return error_; }

  private:
    std::string error_;
};

// The requests the local company leaves in its server's concentradorqmx.archivosasubir: "OC" orders to the
// MATRIZ and "PQ" bar-order removals; a request is deleted once done.
Resultado LeerDeEnvio(kvtx8::Conexion& servidorLocal, kvtx8::Conexion& hub, kvtx8::Conexion& local,
                      const std::string& matriz, kvtx8::Conexion& espejo, int bitacora = 0);

// The stages that close the cycle, after the time of the send is recorded.
std::vector<Etapa> EtapasDeCierre();

}  // namespace cnc
