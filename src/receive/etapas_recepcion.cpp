#include "receive/etapas_recepcion.h"

#include <memory>

#include "receive/cls_pendientes.h"

namespace cnc {

std::vector<Etapa> EtapasDeRecepcion(std::vector<TipoDeArchivo> otros) {
    // One intake object for the whole cycle.
    auto pendientes = std::make_shared<clsPendientes>();
    auto tipos = std::make_shared<const std::vector<TipoDeArchivo>>(TablaDeTipos(std::move(otros)));
    return {
        {Etapa::Mitad::Recepcion, "Grupos nuevos", "grupos",
         [pendientes](ContextoCiclo& c) { return pendientes->LeeGrupos(c.servidorLocal, c.hub, c.local); }},
        {Etapa::Mitad::Recepcion, "Usuarios nuevos", "usuarios",
         [pendientes](ContextoCiclo& c) { return pendientes->LeeUsuarios(c.servidorLocal, c.hub, c.local); }},
        // After the suppliers and branches, before the selected suppliers.
        {Etapa::Mitad::Recepcion, "Información contenida en archivos", "de_archivos",
         [pendientes, tipos](ContextoCiclo& c) {
             return pendientes->LeerDeArchivos(c.servidorLocal, c.hub, c.local, c.matriz, c.espejo, *tipos);
         }},
    };
}

}  // namespace cnc
