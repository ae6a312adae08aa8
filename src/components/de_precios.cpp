#include "components/de_precios.h"

#include <cmath>

#include "components/utilerias.h"

namespace kvtx8 {

namespace {

// Binary fractions make 12.345 a hair less than itself; half a millionth of a cent puts it back.
constexpr double kHolgura = 1e-9;

double A4Decimales(double v) {
    return std::round(v * 10000.0) / 10000.0;
}

}  // namespace

bool DifiereUnCentavo(double a, double b) {
    return std::fabs(std::round(a * 10000) - std::round(b * 10000)) >= 100;
}

double DePrecios::ElPrecio(Conexion& cn, const std::string& clave, int numero) {
    CampoFormula.clear();
    OperadorFormula.clear();
    FactorFormula = 0;
    RedondeoFormula = 0;
    Hallado = false;
    Fallo = false;
    if (numero < 1) return 0;
    Registros rs;
    BasesDD bd;
    bool abierto;
    if (numero <= 5) {
        const std::string n = std::to_string(numero);
        abierto = bd.AbrirTabla(rs, cn, "productos WHERE Clave = '" + cn.Escapar(clave) + "' LIMIT 1",
                                "Precio" + n + " AS Precio, forCampo" + n + " AS forCampo, forOperador" + n +
                                    " AS forOperador, forFactor" + n + " AS forFactor, forRedondear" + n +
                                    " AS forRedondear");
    } else {
        abierto = bd.AbrirTabla(rs, cn,
                                "productosmasprecios WHERE Producto = '" + cn.Escapar(clave) +
                                    "' AND NumeroDePrecio = " + std::to_string(numero) + " LIMIT 1",
                                "Precio, forCampo, forOperador, forFactor, forRedondear");
    }
    Fallo = !abierto;
    if (!abierto || rs.Eof()) return 0;
    Hallado = true;
    CampoFormula = rs.Texto("forCampo");
    OperadorFormula = rs.Texto("forOperador");
    FactorFormula = rs.Numero("forFactor");
    RedondeoFormula = rs.Numero("forRedondear");
    return rs.Numero("Precio");
}

double DePrecios::Redondear(double valor, double regla) {
    if (!std::isfinite(valor)) return 0;
    if (!(regla > 0)) {
        const double centavos = std::round(valor * 100.0 + (valor < 0 ? -kHolgura : kHolgura) * 100.0);
        return A4Decimales(centavos / 100.0);
    }
    const double veces = valor / regla;
    const double cerca = std::round(veces);
    // Already on a multiple (within the noise of the division): it stays.
    if (std::fabs(veces - cerca) < 1e-7) return A4Decimales(cerca * regla);
    // Away from zero, so a negative value mirrors a positive one.
    return A4Decimales((valor < 0 ? std::floor(veces) : std::ceil(veces)) * regla);
}

double DePrecios::AplicaFormula(double base, const std::string& operador, double factor, double regla) {
    const std::string op = Mayusculas(Recorta(operador));
    double v = base;
    if (op == "+")
        v = base + factor;
    else if (op == "--" || op == "-")
        v = base - factor;
    else if (op == "X" || op == "*")
        v = base * factor;
    else if (op == "/")
        v = factor != 0 ? base / factor : base;
    return Redondear(v, regla);
}

double DePrecios::AplicaFormula(double base) const {
    return AplicaFormula(base, OperadorFormula, FactorFormula, RedondeoFormula);
}

}  // namespace kvtx8
