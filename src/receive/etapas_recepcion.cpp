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
        {Etapa::Mitad::Recepcion, "Listas de precios", "productos",
         [pendientes](ContextoCiclo& c) {
             return pendientes->LeeListaPrecios(c.servidorLocal, c.hub, c.local, c.espejo, c.matriz);
         }},
        {Etapa::Mitad::Recepcion, "Información por borrar", "varios",
         [pendientes](ContextoCiclo& c) { return pendientes->PorBorrar(c.servidorLocal, c.hub, c.local); }},
        {Etapa::Mitad::Recepcion, "Proveedores nuevos", "proveedores",
         [pendientes](ContextoCiclo& c) {
             return pendientes->LeerProveedores(c.servidorLocal, c.hub, c.local);
         }},
        {Etapa::Mitad::Recepcion, "Sucursales nuevas o eliminadas", "sucursales",
         [pendientes](ContextoCiclo& c) {
             return pendientes->LeerSucursales(c.servidorLocal, c.hub, c.local, c.espejo, c.matriz);
         }},
        {Etapa::Mitad::Recepcion, "Información contenida en archivos", "de_archivos",
         [pendientes, tipos](ContextoCiclo& c) {
             return pendientes->LeerDeArchivos(c.servidorLocal, c.hub, c.local, c.matriz, c.espejo, *tipos);
         }},
        {Etapa::Mitad::Recepcion, "Proveedores seleccionados", "proveedores",
         [pendientes](ContextoCiclo& c) {
             return pendientes->ProveedoresSelect(c.servidorLocal, c.hub, c.local, c.matriz);
         }},
    };
}

}  // namespace cnc
