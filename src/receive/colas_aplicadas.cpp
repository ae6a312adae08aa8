#include "receive/colas_aplicadas.h"

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

bool Marca(kvtx8::Conexion& cn, const std::string& cola, const std::string& llave) {
    return cn.Ejecutar("INSERT IGNORE INTO concentradorqmx.colasaplicadas (Cola, Llave) VALUES ('" +
                       cn.Escapar(cola) + "', '" + cn.Escapar(llave) + "')");
}

bool Olvida(kvtx8::Conexion& cn, const std::string& cola, const std::string& llave) {
    return cn.Ejecutar("DELETE FROM concentradorqmx.colasaplicadas" + Donde(cn, cola, llave));
}

}  // namespace cnc::colas_aplicadas
