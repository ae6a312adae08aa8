#include "documents/tipos_de_documentos.h"

#include "core/shared_routines.h"
#include "documents/archivos_de_documentos.h"

namespace cnc {

namespace {

// What the queue does with the row, from what the document handler did.
bool Resultado(ArchivoRecibido& a, const DocumentoRecibido& d, const std::string& paso) {
    if (d.hecho) {
        a.aviso = d.aviso;
        return true;
    }
    if (d.pasajero) {
        AnotaError("LeerDeArchivos()" + paso + " " + d.error);
        return false;
    }
    a.error = d.error;
    return d.error.empty();
}

TipoDeArchivo Compra(const std::string& codigo, const std::string& documento, int tipoAviso) {
    return {codigo,
            "Generar compra desde " + documento + " NNN",
            ".SubirCompra",
            false,
            tipoAviso,
            [codigo](ArchivoRecibido& a) {
                return Resultado(a, CompraDesdeArchivo(codigo, a.fila.Texto("Folio"), a.ruta, a.local),
                                 ".SubirCompra");
            }};
}

}  // namespace

std::vector<TipoDeArchivo> TiposDeArchivoDeDocumentos() {
    const std::string pasoTraspaso = ".ValidarArchivo - SubirInformacion";
    return {Compra("FA", "Factura", 11),
            Compra("RE", "Remisión", 10),
            {"TR", "Traspaso, folio NNN", pasoTraspaso, false, 8, [pasoTraspaso](ArchivoRecibido& a) {
                 return Resultado(a, TraspasoDesdeArchivo(a.fila.Texto("Folio"), a.ruta, a.local),
                                  pasoTraspaso);
             }}};
}

}  // namespace cnc
