#include "receive/colas_aplicadas.h"

#include "components/transaccion.h"
#include "core/shared_routines.h"
#include "notices/notice_store.h"

namespace cnc::colas_aplicadas {

namespace {
std::string Donde(const kvtx8::Conexion& cn, const std::string& cola, const std::string& llave) {
    return " WHERE Cola='" + cn.Escapar(cola) + "' AND Llave='" + cn.Escapar(llave) + "'";
}
}  // namespace

std::optional<bool> Marcada(kvtx8::Conexion& cn, const std::string& cola, const std::string& llave) {
    const auto n = cn.Escalar("SELECT COUNT(*) FROM concentradorqmx.colasaplicadas" + Donde(cn, cola, llave));
    if (!n) return std::nullopt;
    return *n != "0";
}

bool Marca(kvtx8::Conexion& cn, const std::string& cola, const std::string& llave, int tipoAviso,
           const std::string& aviso) {
    return cn.Ejecutar(
        "REPLACE INTO concentradorqmx.colasaplicadas (Cola, Llave, TipoAviso, Aviso) VALUES ('" +
        cn.Escapar(cola) + "', '" + cn.Escapar(llave) + "', " + std::to_string(tipoAviso) + ", " +
        (aviso.empty() ? std::string("NULL") : "'" + cn.Escapar(aviso) + "'") + ")");
}

bool AvisaPendiente(kvtx8::Conexion& servidorLocal, const std::string& cola, const std::string& llave) {
    if (!AbreBase(Mod.BDLocal, servidorLocal, "")) return false;
    return kvtx8::EnTransaccion(servidorLocal, [&] {
        kvtx8::Registros rs;
        if (!Mod.BDLocal.AbrirTabla(rs, servidorLocal,
                                    "concentradorqmx.colasaplicadas" + Donde(servidorLocal, cola, llave) +
                                        " AND Aviso IS NOT NULL FOR UPDATE"))
            return false;
        if (rs.Eof()) return true;
        return RegistraAviso(servidorLocal, rs.Texto("Aviso"), static_cast<int>(rs.Entero("TipoAviso"))) &&
               servidorLocal.Ejecutar("UPDATE concentradorqmx.colasaplicadas SET Aviso=NULL" +
                                      Donde(servidorLocal, cola, llave));
    });
}

bool Olvida(kvtx8::Conexion& cn, const std::string& cola, const std::string& llave) {
    return cn.Ejecutar("DELETE FROM concentradorqmx.colasaplicadas" + Donde(cn, cola, llave));
}

}  // namespace cnc::colas_aplicadas
