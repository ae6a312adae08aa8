#include "send/cls_rutinas.h"

namespace cnc {

clsRutinas::clsRutinas() = default;
clsRutinas::~clsRutinas() = default;

void clsRutinas::IniciaPorTabla() {
    listasLeidas_ = false;
}
void clsRutinas::SQLsBorrado(kvtx8::Registros&) {}
void clsRutinas::LasCxCs(kvtx8::Registros&) {}
void clsRutinas::LasCxPs(kvtx8::Registros&) {}
void clsRutinas::ClientesProveedores(kvtx8::Registros&, const std::string&) {}
void clsRutinas::ElKardex(kvtx8::Registros&) {}
void clsRutinas::SusProductos(kvtx8::Registros&) {}
void clsRutinas::DeVendedores(kvtx8::Registros&) {}
void clsRutinas::PasarProductosLista() {}
bool clsRutinas::Llama(const std::string&, kvtx8::Registros&) {
    return false;
}

}  // namespace cnc
