// Prices component: a product's price by number with its formula, and the rounding of computed prices.
#pragma once

#include <string>

#include "components/bases_dd.h"

namespace kvtx8 {

// Whether two prices differ by a cent or more, as the price columns store them (four decimals).
bool DifiereUnCentavo(double a, double b);

class DePrecios {
  public:
    // The formula of the last price read by ElPrecio: the column the price is computed from, the operator
    // ("+", "--", "X" or "/"), the factor and the rounding rule. Empty and 0 when the price has none.
    std::string CampoFormula;
    double FactorFormula = 0;
    std::string OperadorFormula;
    double RedondeoFormula = 0;
    // Whether the last ElPrecio found the price's row (a product or a productosmasprecios row).
    bool Hallado = false;
    // Whether the last ElPrecio's read failed: its 0 then tells nothing of the price.
    bool Fallo = false;

    // Price `numero` of the product `clave` on that connection: 1 to 5 from productos, above 5 from
    // productosmasprecios. 0 when the product or the row is missing; the formula properties are filled.
    double ElPrecio(Conexion& cn, const std::string& clave, int numero);

    // Rounding rules, as the company data write them in forRedondear:
    //   0 (or less): to the cent, halves away from zero (12.345 -> 12.35);
    //   above 0: up to the next multiple of the rule, a value already on one stays (0.5: 12.31 -> 12.50,
    //   1: 99.01 -> 100, 10: 123 -> 130), so a computed price never falls below its formula.
    // The result carries at most four decimals, as the price columns do.
    static double Redondear(double valor, double regla);

    // The formula of the last ElPrecio applied to a base value: "+" adds the factor, "--" subtracts it, "X"
    // multiplies, "/" divides (by 0: the base as it is), then Redondear with the rule. An unknown operator
    // leaves the base, rounded.
    double AplicaFormula(double base) const;
    static double AplicaFormula(double base, const std::string& operador, double factor, double regla);
};

}  // namespace kvtx8
