// Key-change component: renames a product key everywhere the company database holds it.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace kvtx8 {

class Conexion;

// Every (table, column) of a company database that holds a product key. The products themselves come
// first; a table missing from the database is passed over.
//   productos.Clave, productosmasprecios.Producto, clavesalternas.ClaveProducto, existenciaexterna.Producto,
//   clavereferencias.Producto, referenciaexterna.Producto, anexoproductos.Producto, presentaciones.Producto,
//   cambiosdeprecios.Producto, variantes.Producto, productosyvariantes.Producto, kits.Clave, kitskardex.Kit,
//   kitskardex.Clave, productosenpromocion.Producto, textosproductos.Clave, barcomandasvar.Producto, and
//   the detail rows of every document and stock movement: cotizacionesdetalle, remisionesdetalle,
//   facturasdetalle, apartadosdetalle, pedidosdetalle, ordenesdetalle, comprasdetalle, comprasnddetalle,
//   recepcionesdetalle, devolucionctesdet, devolucionprovdet, traspasosdetalle, entradasdetalle, perdidas,
//   historicoalmacen (Producto) and ajustes (clave).
const std::vector<std::pair<std::string, std::string>>& ColumnasDeClaveDeProducto();

class CambioClaves {
  public:
    // When set, the old key must exist in `Tabla` for the change to go ahead.
    bool Validar = true;
    // The table whose `Clave` is the key being renamed.
    std::string Tabla = "productos";

    // Renames `vieja` to `nueva` in every table of the list, in one transaction: all or nothing. Refused
    // (false, nothing changed) when either key is empty, when they are equal, when the new one holds
    // control characters, when `nueva` already exists
    // in `Tabla`, or when a statement fails. The reason stays in Error().
    bool CambiarClaves(const std::string& vieja, const std::string& nueva, Conexion& cn);
    const std::string& Error() const { return error_; }
    // The server's error number when a statement failed; 0 for a refusal of this component.
    unsigned NumeroError() const { return numero_; }

  private:
    std::string error_;
    unsigned numero_ = 0;
};

}  // namespace kvtx8
