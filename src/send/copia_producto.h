// Copies one product, with its prices and the rows that hang from it, from one company database to
// another. Products meet by Clave; catalogue references travel by name.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "components/bases_dd.h"

namespace cnc {

// Catalogue translation: the destination Id of the source row `idOrigen` of `tabla` (name column `campo`),
// found by name and created when missing; 0 for an empty name, a missing source row or a failed insert.
int64_t TraduceCatalogo(kvtx8::Conexion& origen, kvtx8::Conexion& destino, const std::string& tabla,
                        const std::string& campo, int64_t idOrigen);
// The same for a line and its sub-line: the sub-line is found or created under the translated line.
void TraduceLinea(kvtx8::Conexion& origen, kvtx8::Conexion& destino, int64_t lineaOrigen,
                  int64_t subLineaOrigen, int64_t& linea, int64_t& subLinea);

// A row in the destination's cambiosdeprecios when price `numero` of `clave` moves by 0.01 or more.
// `anterior` -9: the destination's current price is read. Nothing when the destination has no such table.
// False when the record, or the price it needs, could not be read or written.
bool RegistraCambioDePrecio(kvtx8::Conexion& destino, const std::string& clave, int numero, double nuevo,
                            double anterior = -9);

// Copies products between two databases, remembering what stays true from one product to the next of a
// walk: the catalogue translations and whether the destination records price changes. One object per walk
// over the same pair of databases.
class CopiadorDeProductos {
  public:
    // `origenProducto` is positioned on the source product (every productos column). `esNuevo`: the
    // destination lacks it. With `muestraProgreso` the caption `titulo` is shown with ". ( nuevo )" or
    // ". ( X )" once the header is written. True when the header was written and the unit confirmed: a
    // price or dependent row refused for good is skipped and written to the error log. The header and its
    // rows are one transaction on the destination, so a lost connection leaves the product as it was.
    bool Copia(const kvtx8::Registros& origenProducto, kvtx8::Conexion& origen, kvtx8::Conexion& destino,
               bool esNuevo, bool muestraProgreso, const std::string& titulo = "");

  private:
    // nullopt when a look-up or an insert failed (the reference is then left as the destination has it).
    std::optional<int64_t> Catalogo(kvtx8::Conexion& origen, kvtx8::Conexion& destino,
                                    const std::string& tabla, const std::string& campo, int64_t idOrigen);
    bool Linea(kvtx8::Conexion& origen, kvtx8::Conexion& destino, int64_t lineaOrigen, int64_t subLineaOrigen,
               int64_t& linea, int64_t& subLinea);
    // Source Id -> destination Id, by "table|id" (sub-lines by "sublineas|line|id").
    std::map<std::string, int64_t> traducidos_;
    std::optional<bool> hayCambios_;
};

// One product copy on its own (a copier for one product).
bool CopiaProducto(const kvtx8::Registros& origenProducto, kvtx8::Conexion& origen, kvtx8::Conexion& destino,
                   bool esNuevo, bool muestraProgreso, const std::string& titulo = "");

}  // namespace cnc
