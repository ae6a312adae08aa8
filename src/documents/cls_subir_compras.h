// A branch's remission or invoice delivered as a file becomes a purchase of the local company.
#pragma once

#include <string>
#include <string_view>

#include "components/bases_dd.h"

namespace cnc {

class clsSubirCompras {
  public:
    // Folio of the purchase generated: -1 until a call, 0 while none was generated.
    long long Compra = -1;
    std::string Proveedor;
    std::string TipoDocumento;
    // The purchase's document number: "R15-A" for a remission 15 of series A, "15" for an invoice 15.
    std::string Factura;

    // Reads the purchase file and writes the purchase in one transaction, so a failure leaves nothing of
    // it. False when nothing was written: the document was already a purchase of this supplier (Error()
    // empty), the file is cut short or malformed, or a statement failed (Error() says why).
    bool SubirCompra(const std::string& ruta, kvtx8::Conexion& local);

    const std::string& Error() const { return error_; }
    // The failure may go away by itself (a lost connection, a lock wait): the file is worth offering again.
    bool Pasajero() const { return pasajero_; }

    static std::string NumeroDeDocumento(long long folio, const std::string& serie, const std::string& tipo);
    // Reads a purchase file without writing anything: false when it is cut short; else its line count.
    static bool LeeArchivo(std::string_view texto, size_t& renglones);

  private:
    std::string error_;
    bool pasajero_ = false;
};

}  // namespace cnc
