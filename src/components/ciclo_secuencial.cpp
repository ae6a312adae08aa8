#include "components/ciclo_secuencial.h"

#include "components/utilerias.h"

namespace kvtx8 {

bool CicloSecuencial::LeeBloque(const Valor& desde) {
    std::string donde = Condicion.empty() ? std::string() : "(" + Condicion + ")";
    if (desde) donde += (donde.empty() ? "" : " AND ") + Identificador(Llave) + " > " + cn_->Literal(desde);
    std::string fuente = Identificador(Tabla) + (donde.empty() ? "" : " WHERE " + donde) + " ORDER BY " +
                         Identificador(Llave) + " LIMIT " + std::to_string(limite_);
    BasesDD bd;
    ++bloques_;
    return bd.AbrirTabla(*rs_, *cn_, fuente);
}

bool CicloSecuencial::AbrirTabla(Registros& rs, Conexion& cn, int limite) {
    rs_ = &rs;
    cn_ = &cn;
    limite_ = limite > 0 ? limite : 1000;
    actual_ = 0;
    totales_ = 0;
    bloques_ = 0;
    fallo_ = false;
    Valor n = cn.Escalar("SELECT COUNT(*) FROM " + Identificador(Tabla) +
                         (Condicion.empty() ? "" : " WHERE " + Condicion));
    if (!n) return false;
    totales_ = static_cast<long long>(kvVal(*n));
    if (!LeeBloque(std::nullopt)) return false;
    if (!rs.Eof()) actual_ = 1;
    return true;
}

void CicloSecuencial::SiguienteRegistro() {
    if (!rs_ || rs_->Eof()) return;
    const Valor ultima = rs_->Dato(Llave);
    rs_->MoveNext();
    if (rs_->Eof() && rs_->RecordCount() >= static_cast<size_t>(limite_) && ultima) {
        if (!LeeBloque(ultima)) {
            fallo_ = true;
            return;
        }
    }
    if (!rs_->Eof()) ++actual_;
}

}  // namespace kvtx8
