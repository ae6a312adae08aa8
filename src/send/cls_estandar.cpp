#include "send/cls_estandar.h"

#include "send/cls_rutinas.h"

namespace cnc {

clsEstandar::clsEstandar() = default;
clsEstandar::~clsEstandar() = default;

void clsEstandar::Cronos(const std::string& valor) {
    if (!valor.empty()) cronos_ = valor;
}

void clsEstandar::ExportarInfo(const std::string&) {}
void clsEstandar::ExportarTabla(const std::string&) {}
void clsEstandar::ExportarCambios() {}
void clsEstandar::ExportarXFADUA() {}

void clsEstandar::PasaCampos(const kvtx8::Registros&, kvtx8::Registros&, const std::vector<std::string>&,
                             const std::string&) {}
int32_t clsEstandar::ObtenerIdPorNombre(const std::string&, const std::string&, kvtx8::Conexion&,
                                        const std::string&) {
    return 0;
}
int32_t clsEstandar::ObtenerIdSubLinea(const std::string&, int32_t, kvtx8::Conexion&) {
    return 0;
}
void clsEstandar::FormateaValor(const std::string& valor, int, std::string& comilla, std::string& texto) {
    comilla = "'";
    texto = valor;
}

}  // namespace cnc
