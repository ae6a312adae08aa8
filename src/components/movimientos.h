// Movements: folio series, the warehouse history (kardex) with the stock it moves, and the running balance
// of an account statement.
#pragma once

#include <string>

#include "components/bases_dd.h"
#include "components/fecha.h"

namespace kvtx8 {

// A number as SQL text: integral values without decimals, others with up to six; NaN and infinities are 0.
std::string NumeroParaSQL(double n);

class Movimientos {
  public:
    // The folio store of the company, created when it is missing. Call it before a transaction: creating a
    // table ends the transaction that is open.
    static bool PreparaFolios(Conexion& cn);

    // The next free folio of the series: above the last one given and above every value the column of the
    // table holds. One statement, so two clients never get the same folio; inside a transaction the series
    // stays locked until it ends, and a rollback gives the folio back. 0 on failure.
    long long Foliar(Conexion& cn, const std::string& serie, const NombreTabla& tabla,
                     const std::string& columna);

    // Writes the kardex row of a stock movement of the product (an entry when the quantity is positive) and
    // moves its stock; the key of the row, 0 on failure. The product's CostoProm is taken as it stands now.
    long long GrabaHistAlmacen(const std::string& usuario, const std::string& producto, Conexion& cn,
                               double cantidad, double costo, const FechaHora& cuando,
                               const std::string& concepto);

    // Points the kardex row at the document row that caused it; true when the kardex row exists.
    bool ComplementaHistorico(Conexion& cn, long long idKardex, const std::string& tabla, long long id,
                              int = 0);

    // Recomputes the running balance of the supplier or customer of statement row `id` (every row of that
    // account and currency, in Id order) and stores the final balance in the balance table. False when the
    // row is missing or a statement fails.
    bool CalculaEdoCta(long long& id, Conexion& cn, const NombreTabla& tabla, const NombreTabla& saldos);
};

}  // namespace kvtx8
