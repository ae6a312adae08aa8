#include "components/cambio_claves.h"

#include <set>

#include "components/bases_dd.h"
#include "components/modo_estricto.h"
#include "components/transaccion.h"
#include "components/utilerias.h"

namespace kvtx8 {

const std::vector<std::pair<std::string, std::string>>& ColumnasDeClaveDeProducto() {
    static const std::vector<std::pair<std::string, std::string>> columnas = {
        {"productos", "Clave"},
        {"productosmasprecios", "Producto"},
        {"clavesalternas", "ClaveProducto"},
        {"existenciaexterna", "Producto"},
        {"clavereferencias", "Producto"},
        {"referenciaexterna", "Producto"},
        {"anexoproductos", "Producto"},
        {"presentaciones", "Producto"},
        {"cambiosdeprecios", "Producto"},
        {"variantes", "Producto"},
        {"productosyvariantes", "Producto"},
        {"kits", "Clave"},
        {"kitskardex", "Kit"},
        {"kitskardex", "Clave"},
        {"productosenpromocion", "Producto"},
        {"textosproductos", "Clave"},
        {"barcomandasvar", "Producto"},
        {"cotizacionesdetalle", "Producto"},
        {"remisionesdetalle", "Producto"},
        {"facturasdetalle", "Producto"},
        {"apartadosdetalle", "Producto"},
        {"pedidosdetalle", "Producto"},
        {"ordenesdetalle", "Producto"},
        {"comprasdetalle", "Producto"},
        {"comprasnddetalle", "Producto"},
        {"recepcionesdetalle", "Producto"},
        {"devolucionctesdet", "Producto"},
        {"devolucionprovdet", "Producto"},
        {"traspasosdetalle", "Producto"},
        {"entradasdetalle", "Producto"},
        {"perdidas", "Producto"},
        {"historicoalmacen", "Producto"},
        {"ajustes", "clave"},
    };
    return columnas;
}

bool CambioClaves::CambiarClaves(const std::string& vieja, const std::string& nueva, Conexion& cn) {
    error_.clear();
    numero_ = 0;
    auto falla = [&](const std::string& texto) {
        error_ = texto;
        return false;
    };
    // The server's error, taken before a rollback clears it.
    auto delServidor = [&] {
        numero_ = cn.UltimoError();
        return cn.MensajeError();
    };
    if (vieja.empty() || nueva.empty()) return falla("clave vacía");
    if (vieja == nueva) return falla("la clave nueva es la misma");
    for (unsigned char c : nueva)
        if (c < 0x20 || c == 0x7f) return falla("la clave nueva tiene caracteres de control");
    if (!cn.Abierta()) return falla("sin conexión");

    // The tables this database has, read once.
    std::set<std::string> hay;
    {
        BasesDD bd;
        Registros rs;
        if (!bd.AbrirConsulta(
                rs, cn, "SELECT TABLE_NAME FROM information_schema.TABLES WHERE TABLE_SCHEMA=DATABASE()"))
            return falla(delServidor());
        for (; !rs.Eof(); rs.MoveNext()) hay.insert(rs.Texto("TABLE_NAME"));
    }
    if (!hay.count(Tabla)) return falla("no existe la tabla " + Tabla);

    // Strict: a new key too long for a column is refused, not cut.
    ModoEstricto estricto(cn);
    Transaccion unidad(cn);
    if (!estricto.Activo() || !unidad.Activa()) return falla(delServidor());
    auto deshace = [&](const std::string& texto) {
        unidad.Deshace();
        return falla(texto);
    };
    // Read under a lock, so that no one adds the new key between the check and the change.
    auto cuenta = [&](const std::string& clave) {
        return cn.Escalar("SELECT COUNT(*) FROM " + Identificador(Tabla) +
                          " WHERE Clave=" + cn.Literal(clave) + " FOR UPDATE");
    };
    const Valor existeNueva = cuenta(nueva);
    if (!existeNueva) return deshace(delServidor());
    if (kvVal(*existeNueva) > 0) return deshace("la clave nueva ya existe");
    if (Validar) {
        const Valor existeVieja = cuenta(vieja);
        if (!existeVieja) return deshace(delServidor());
        if (kvVal(*existeVieja) == 0) return deshace("no existe la clave");
    }
    for (const auto& [tabla, columna] : ColumnasDeClaveDeProducto()) {
        if (!hay.count(tabla)) continue;
        if (!cn.Ejecutar("UPDATE " + Identificador(tabla) + " SET " + Identificador(columna) + "=" +
                         cn.Literal(nueva) + " WHERE " + Identificador(columna) + "=" + cn.Literal(vieja)))
            return deshace(delServidor());
    }
    if (!unidad.Confirma()) return falla(delServidor());
    return true;
}

}  // namespace kvtx8
