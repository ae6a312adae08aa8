// Export of the rows changed at or after a cut-off timestamp.
#include "components/ciclo_secuencial.h"
#include "core/shared_routines.h"
#include "send/cls_estandar.h"

namespace cnc {

void clsEstandar::FormateaValor(const std::string& valor, int tipo, std::string& comilla,
                                std::string& texto) {
    comilla = "'";
    texto = valor;
    switch (tipo) {
        case kvtx8::adSmallInt:
        case kvtx8::adInteger:
        case kvtx8::adSingle:
        case kvtx8::adDouble:
        case kvtx8::adCurrency:
        case kvtx8::adDecimal:
        case kvtx8::adTinyInt:
        case kvtx8::adUnsignedTinyInt:
        case kvtx8::adUnsignedSmallInt:
        case kvtx8::adUnsignedInt:
        case kvtx8::adBigInt:
        case kvtx8::adUnsignedBigInt:
        case kvtx8::adNumeric:
            comilla.clear();
            texto = kvtx8::NumeroDecimalSQL(valor);
            break;
        case kvtx8::adDate:
        case kvtx8::adDBDate:
            if (kvtx8::Mayusculas(kvtx8::Recorta(valor)).starts_with("NOW")) {
                comilla.clear();
                texto = "NOW()";
            } else if (auto f = kvtx8::LeeFecha(valor)) {
                texto = kvtx8::FechaSQL(*f);
            } else {
                texto = "0000-00-00";
            }
            break;
        case kvtx8::adBSTR:
        case kvtx8::adChar:
        case kvtx8::adWChar:
        case kvtx8::adVarChar:
        case kvtx8::adLongVarChar:
        case kvtx8::adVarWChar:
        case kvtx8::adLongVarWChar:
        case kvtx8::adVarBinary:
        case kvtx8::adLongVarBinary:
            // Stored as it stands: the statement escapes it.
            break;
        case kvtx8::adDBTimeStamp:
            if (auto f = kvtx8::LeeFecha(valor))
                texto = kvtx8::Formato(*f, "yyyy-mm-dd hh:nn:ss");
            else
                texto = "0000-00-00 00:00:00";
            break;
        default:  // time (134) and anything else: as it stands
            break;
    }
}

std::string clsEstandar::ActualizaSQL(Conexion& cn, const Registros& rs, const std::string& tabla,
                                      const std::vector<std::string>& campos,
                                      const std::vector<Valor>& valores, const std::string& condicion) {
    if (campos.size() != valores.size()) {
        MensajeSkn("La lista de campos y la lista de valores tienen diferentes elementos", kSoloOK + kCritico,
                   "ERROR");
        return {};
    }
    const std::string sql = TextoActualiza(cn, rs, tabla, campos, valores, condicion);
    if (!cn.Ejecutar(sql)) return {};
    return sql;
}

std::string clsEstandar::ValorSQL(Conexion& cn, const Registros& rs, const std::string& campo,
                                  const Valor& valor) {
    if (!valor) return "NULL";
    std::string comilla, texto;
    FormateaValor(*valor, rs.Tipo(campo), comilla, texto);
    // Quoted texts go through the connection's escaping, so a backslash cannot end the literal.
    return comilla + (comilla.empty() ? texto : cn.Escapar(texto)) + comilla;
}

std::string clsEstandar::TextoActualiza(Conexion& cn, const Registros& rs, const std::string& tabla,
                                        const std::vector<std::string>& campos,
                                        const std::vector<Valor>& valores, const std::string& condicion) {
    std::vector<std::string> literales;
    literales.reserve(campos.size());
    for (size_t i = 0; i < campos.size(); ++i) literales.push_back(ValorSQL(cn, rs, campos[i], valores[i]));
    return TextoActualiza(tabla, campos, literales, condicion);
}

std::string clsEstandar::TextoActualiza(const std::string& tabla, const std::vector<std::string>& campos,
                                        const std::vector<std::string>& literales,
                                        const std::string& condicion) {
    std::string sql = "UPDATE " + kvtx8::Identificador(kvtx8::Minusculas(tabla)) + " SET ";
    for (size_t i = 0; i < campos.size(); ++i) {
        if (i) sql += ",";
        sql += kvtx8::Identificador(campos[i]) + "=" + literales[i];
    }
    sql += " WHERE " + condicion;
    return sql;
}

void clsEstandar::ValoresCambiado(const Registros& local, const std::vector<std::string>& campos,
                                  const std::string& claveSQL, std::vector<std::string>& nombres,
                                  std::vector<Valor>& valores) const {
    nombres.clear();
    valores.clear();
    for (const auto& c : campos) {
        if (!local.TieneCampo(c)) continue;
        nombres.push_back(c);
        if (kvtx8::IgualSinMayusculas(c, Llave)) {
            valores.push_back(claveSQL);
        } else if (kvtx8::IgualSinMayusculas(c, "FADUA")) {
            auto f = local.Dato(c) ? kvtx8::LeeFecha(*local.Dato(c)) : std::nullopt;
            valores.push_back(f ? Valor(kvtx8::Formato(*f, "yyyy-mm-dd hh:nn:ss")) : local.Dato(c));
        } else {
            valores.push_back(local.Dato(c));
        }
    }
}

std::string clsEstandar::TextoCambiado(const Registros& local, const Registros& estructura,
                                       const std::vector<std::string>& campos, const std::string& claveSQL) {
    std::vector<std::string> nombres;
    std::vector<Valor> valores;
    ValoresCambiado(local, campos, claveSQL, nombres, valores);
    return TextoActualiza(espejo_, estructura, Tabla, nombres, valores, LlaveSQL() + "=" + claveSQL);
}

void clsEstandar::ActualizaCambiado(const Registros& local, const Registros& estructura,
                                    const std::vector<std::string>& campos, const std::string& claveSQL) {
    if (!espejo_.Ejecutar(TextoCambiado(local, estructura, campos, claveSQL))) FallaEspejo(claveSQL);
}

Resultado clsEstandar::ExportarXFADUA() {
    resultado_ = Resultado::Completo;
    bloquesEnviados_ = 0;
    if (!AbreAmbas()) return Final();
    Registros estructura, local;
    std::vector<std::string> unicas, campos;
    if (!Mod.BDRemota.AbrirTabla(estructura, espejo_, TablaSQL() + " LIMIT 0")) {
        FallaEspejo("");
        return Final();
    }
    kvtx8::ConcentradorBasesDD().ObtenerLlaveUnica(espejo_, Tabla, unicas);
    // A table without the column has nothing to send by time; one that cannot even be looked at failed.
    Registros muestra;
    if (!Mod.BDLocal.AbrirTabla(muestra, *ConexionLocal, TablaSQL() + " LIMIT 0")) {
        Falla("", ConexionLocal->MensajeError());
        return Final();
    }
    if (!muestra.TieneCampo("FADUA")) return Final();
    // In blocks by key, as the sequential reader walks any table: memory stays flat and no read outlasts
    // the read timeout, however many rows changed.
    kvtx8::CicloSecuencial ciclo;
    ciclo.Tabla = Tabla;
    ciclo.Llave = Llave;
    ciclo.Condicion = "FADUA >= " + ConexionLocal->Literal(cronos_);
    // A table that could not be read was not sent: the cut-off must not move past it.
    if (!ciclo.AbrirTabla(local, *ConexionLocal, Limite)) {
        Falla("", ConexionLocal->MensajeError());
    } else {
        Mod.BDRemota.ObtenerEstructura(estructura, campos);
        const bool porBloques = !SoloPorRenglon && AdmiteBloques();
        // Left on for the whole table rather than switched at every block.
        std::optional<kvtx8::Conexion::VariasSentencias> varias;
        if (porBloques) varias.emplace(espejo_);
        int porRenglon = 0;  // the block that goes row by row
        for (; !ciclo.Eof() && !ContextoCiclo::Detenido(); ciclo.SiguienteRegistro()) {
            if (porBloques && ciclo.Bloques() != porRenglon) {
                const Bloque b = ExportaBloque(local, unicas, estructura, campos, Modo::XFADUA,
                                               ciclo.RegistroActual(), ciclo.RegistrosTotales());
                if (b.hecho) {
                    // The loop's own step takes the last one.
                    for (size_t i = 1; i < b.filas; ++i) ciclo.SiguienteRegistro();
                    if (b.filas == 0 || b.alto) break;
                    continue;
                }
                porRenglon = ciclo.Bloques();
            }
            const std::string clave = local.Texto(Llave);
            const std::string claveSQL = kvtx8::NumeroSQL(clave);
            Ventana().TablaActual(kvtx8::Mayusculas(Tabla) + "\nCopiando " + Llave + " " + clave);
            Ventana().Ceder();
            // Every further row would wait for the whole retry window again.
            if (!AbreAmbas()) break;
            const PorUnica porUnica =
                AtiendePorUnica(local, unicas, estructura, campos, Llave, Mover::SiEsDistinta);
            if (porUnica == PorUnica::Fallo) break;
            // The row was met because it changed: its new values go along with the move.
            if (porUnica == PorUnica::Movida) ActualizaCambiado(local, estructura, campos, claveSQL);
            if (porUnica == PorUnica::NoAtendida) {
                bool libre = false;
                if (!LlaveLibre(claveSQL, libre)) break;
                if (!libre)
                    ActualizaCambiado(local, estructura, campos, claveSQL);
                else
                    Inserta(local, estructura, campos, Llave, clave);
            }
            if (resultado_ != Resultado::Completo) break;
        }
        if (ciclo.Fallo()) Falla("", ConexionLocal->MensajeError());
    }
    ciclo.Cierra();
    Mod.BDLocal.CierraTabla(local);
    Mod.BDRemota.CierraTabla(estructura);
    Ventana().Ceder();
    return Final();
}

}  // namespace cnc
