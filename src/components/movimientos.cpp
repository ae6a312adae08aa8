#include "components/movimientos.h"

#include <cmath>
#include <cstdio>

#include "components/utilerias.h"

namespace kvtx8 {

namespace {

constexpr const char* kCreaFolios =
    "CREATE TABLE IF NOT EXISTS folios (Serie VARCHAR(30) NOT NULL, Folio INT NOT NULL DEFAULT 0, "
    "PRIMARY KEY (Serie)) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci";

long long Entero(const Valor& v) {
    return v ? static_cast<long long>(kvVal(*v)) : 0;
}

}  // namespace

std::string NumeroParaSQL(double n) {
    if (!std::isfinite(n)) return "0";
    // Room for every digit of the largest double in fixed notation: a shorter buffer cut the number.
    char b[400];
    if (n == std::floor(n) && std::fabs(n) < 1e15) {
        std::snprintf(b, sizeof b, "%.0f", n);
    } else {
        std::snprintf(b, sizeof b, "%.6f", n);
        std::string s = b;
        while (!s.empty() && s.back() == '0') s.pop_back();
        if (!s.empty() && s.back() == '.') s.pop_back();
        return s == "-0" ? "0" : s;
    }
    return std::string(b) == "-0" ? "0" : b;
}

bool Movimientos::PreparaFolios(Conexion& cn) {
    // A CREATE commits whatever transaction the caller holds open, even when the table is there: it
    // runs only when the table is missing.
    if (cn.Escalar("SELECT 1 FROM information_schema.TABLES WHERE TABLE_SCHEMA = DATABASE() AND "
                   "TABLE_NAME = 'folios'"))
        return true;
    return cn.Abierta() && cn.Ejecutar(kCreaFolios);
}

long long Movimientos::Foliar(Conexion& cn, const std::string& serie, const NombreTabla& tabla,
                              const std::string& columna) {
    const std::string mayor =
        "(SELECT COALESCE(MAX(" + Identificador(columna) + "), 0) + 1 FROM " + tabla.SQL() + ")";
    // LAST_INSERT_ID(expr) hands the value given back to this connection alone.
    if (!cn.Ejecutar("INSERT INTO folios (Serie, Folio) VALUES (" + cn.Literal(serie) + ", LAST_INSERT_ID(" +
                     mayor + ")) ON DUPLICATE KEY UPDATE Folio = LAST_INSERT_ID(GREATEST(Folio + 1, " +
                     mayor + "))"))
        return 0;
    return Entero(cn.Escalar("SELECT LAST_INSERT_ID()"));
}

long long Movimientos::GrabaHistAlmacen(const std::string& usuario, const std::string& producto, Conexion& cn,
                                        double cantidad, double costo, const FechaHora& cuando,
                                        const std::string& concepto) {
    const std::string donde = " WHERE Clave = " + cn.Literal(producto);
    // Locks the product row so that the stock read is the stock moved.
    const Valor antes = cn.Escalar("SELECT Existencia FROM productos" + donde + " FOR UPDATE");
    if (!antes) return 0;
    const double anterior = kvVal(*antes);
    const Valor prom = cn.Escalar("SELECT CostoProm FROM productos" + donde);
    if (!cn.Ejecutar("UPDATE productos SET Existencia = Existencia + " + NumeroParaSQL(cantidad) + donde))
        return 0;
    const std::string sql =
        "INSERT INTO historicoalmacen (Producto, Fecha, Hora, Usuario, Tipo, Cantidad, ExistenciaAnterior, "
        "Existencia, Costo, CostoProm, Concepto) VALUES (" +
        cn.Literal(producto) + ", '" + Formato(cuando, "yyyy-mm-dd") + "', '" + Formato(cuando, "hh:nn:ss") +
        "', " + cn.Literal(usuario) + ", '" + (cantidad >= 0 ? "E" : "S") + "', " +
        NumeroParaSQL(std::fabs(cantidad)) + ", " + NumeroParaSQL(anterior) + ", " +
        NumeroParaSQL(anterior + cantidad) + ", " + NumeroParaSQL(costo) + ", " +
        NumeroParaSQL(prom ? kvVal(*prom) : 0) + ", " + cn.Literal(concepto) + ")";
    if (!cn.Ejecutar(sql)) return 0;
    return static_cast<long long>(cn.IdInsertado());
}

bool Movimientos::ComplementaHistorico(Conexion& cn, long long idKardex, const std::string& tabla,
                                       long long id, int) {
    const std::string donde = " WHERE Id = " + std::to_string(idKardex);
    if (!cn.Escalar("SELECT Id FROM historicoalmacen" + donde)) return false;
    return cn.Ejecutar("UPDATE historicoalmacen SET TablaMovimiento = " + cn.Literal(tabla) +
                       ", IdMovimiento = " + std::to_string(id) + donde);
}

bool Movimientos::CalculaEdoCta(long long& id, Conexion& cn, const NombreTabla& tabla,
                                const NombreTabla& saldos) {
    Registros rs;
    BasesDD bd;
    if (!bd.AbrirConsulta(
            rs, cn, "SELECT clave, IdMoneda FROM " + tabla.SQL() + " WHERE Id = " + std::to_string(id)) ||
        rs.Eof())
        return false;
    const std::string clave = rs.Texto("clave");
    const std::string moneda = std::to_string(rs.Entero("IdMoneda"));
    rs.Cerrar();
    const std::string cuenta = " WHERE clave = " + cn.Literal(clave) + " AND IdMoneda = " + moneda;
    if (!cn.Ejecutar("SET @saldo := 0") ||
        !cn.Ejecutar("UPDATE " + tabla.SQL() +
                     " SET Saldo = (@saldo := @saldo + CantidadCargo - CantidadPago)" + cuenta +
                     " ORDER BY Id"))
        return false;
    return cn.Ejecutar("INSERT INTO " + saldos.SQL() + " (Clave, IdMoneda, Saldo) VALUES (" +
                       cn.Literal(clave) + ", " + moneda +
                       ", COALESCE(@saldo, 0)) ON DUPLICATE KEY UPDATE Saldo = VALUES(Saldo)");
}

}  // namespace kvtx8
