#include "documents/archivos_de_documentos.h"

#include "components/subir_entradas.h"
#include "core/shared_routines.h"
#include "documents/cls_subir_compras.h"
#include "send/ciclo.h"

namespace cnc {

DocumentoRecibido CompraDesdeArchivo(const std::string& tipo, const std::string& folio,
                                     const std::string& ruta, kvtx8::Conexion& local) {
    DocumentoRecibido r;
    clsSubirCompras compras;
    r.hecho = compras.SubirCompra(ruta, local);
    r.error = compras.Error();
    r.pasajero = compras.Pasajero();
    if (!r.hecho) return r;
    r.folio = std::to_string(compras.Compra);
    const bool factura = tipo == "FA";
    r.aviso =
        std::string(factura ? "Factura" : "Remisión") + " " + folio + " subida como la compra " + r.folio;
    r.tipoAviso = factura ? 11 : 10;
    return r;
}

DocumentoRecibido TraspasoDesdeArchivo(const std::string& folio, const std::string& ruta,
                                       kvtx8::Conexion& local) {
    DocumentoRecibido r;
    kvtx8::SubirEntradas entradas;
    if (const int codigo = entradas.ValidarArchivo(ruta); codigo != 0) {
        r.error = "Archivo de traspaso no válido (" + std::to_string(codigo) + ")";
        return r;
    }
    entradas.cnnBdE = &local;
    entradas.Usuario = "CONCENTRAD";
    entradas.Cuando = Ahora();
    entradas.SubirInformacion(ruta);
    r.error = entradas.Error();
    r.pasajero = !r.error.empty() && (ErrorPasajero(local) || !local.Abierta());
    if (entradas.EntradasGeneradas() <= 0) return r;
    r.hecho = true;
    r.folio = std::to_string(entradas.EntradaFinal());
    r.aviso = "Traspaso " + folio + " recibido. Folio de Entrada " + r.folio;
    r.tipoAviso = 8;
    return r;
}

}  // namespace cnc
