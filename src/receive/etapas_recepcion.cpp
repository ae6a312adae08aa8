#include "receive/etapas_recepcion.h"

#include <memory>

#include "receive/cls_pendientes.h"

namespace cnc {

std::vector<EtapaRecepcion> EtapasDeRecepcion() {
    // One intake object for the whole cycle.
    auto pendientes = std::make_shared<clsPendientes>();
    return {
        {"Grupos nuevos", "grupos",
         [pendientes](Recepcion& r) { pendientes->LeeGrupos(r.servidorLocal, r.hub, r.local); }},
        {"Usuarios nuevos", "usuarios",
         [pendientes](Recepcion& r) { pendientes->LeeUsuarios(r.servidorLocal, r.hub, r.local); }},
    };
}

}  // namespace cnc
