// The handlers of configuration, kit, offer and cost files, and the recomputation of sale prices.
#include <cmath>
#include <cstdio>
#include <fstream>

#include "components/de_precios.h"
#include "components/lectura_secuencial.h"
#include "components/modo_estricto.h"
#include "components/transaccion.h"
#include "components/utilerias.h"
#include "core/archivo_de_trabajo.h"
#include "core/reglas.h"
#include "core/shared_routines.h"
#include "notices/notice_store.h"
#include "receive/cls_aux.h"
#include "receive/impuestos.h"
#include "send/ciclo.h"
#include "send/cls_estandar.h"
#include "send/copia_producto.h"

namespace cnc {

namespace {

std::string NumeroTexto(double v) {
    char b[64];
    std::snprintf(b, sizeof b, "%.15g", v);
    return b;
}

// "Precio7" (any case) -> 7; 0 when the name is no price number.
int NumeroDePrecio(const std::string& campo) {
    const std::string c = kvtx8::Minusculas(kvtx8::Recorta(campo));
    if (c.size() < 7 || c.rfind("precio", 0) != 0) return 0;
    const std::string n = c.substr(6);
    if (n.find_first_not_of("0123456789") != std::string::npos) return 0;
    const int v = std::atoi(n.c_str());
    return v >= 1 && v <= 50 ? v : 0;
}

}  // namespace

// --- Sale prices from their formulas ---
//
// Settings, as the company keeps them in configura:
// - "IVA" is the general VAT rate; with "VariosIVAs" each product's own IVA is used.
// - With "ImpAdicional" set, the additional tax is the product's own ImpuestoAd when "VariosImpAd" is set,
//   else the general rate "ImpAdGeneral" ("ImpuestoAd" when that one is empty, as older companies name
//   it). Without "ImpAdicional" there is no additional tax.
// - "AumentarImptosCosto": prices built on cost are built on cost with taxes.
// - "Precios": how many prices the company uses; 0 or nothing is 1, more than 50 is 50.
// A price whose formula names a column the product does not have, a price above 5 the product lacks, or a
// currency without a parity is left as it stands.

bool clsAux::RecalcularPrecios(Conexion& local, const std::string& clave) {
    BasesDD& bd = Mod.BDLocal;
    kvtx8::DePrecios precios;
    const std::string fuente = "productos WHERE Clave = " + local.Literal(clave) + " LIMIT 1";
    Registros p;
    if (!bd.AbrirTabla(p, local, fuente)) return false;
    if (p.Eof()) return true;

    auto config = [&](const char* dato) { return bd.LeerConfig(dato, local); };
    const bool multiMoneda = ComoBooleano(config("MultiMoneda"));
    const bool variosIVAs = ComoBooleano(config("VariosIVAs"));
    const double ivaGeneral = kvtx8::kvVal(config("IVA"));
    const bool impAdicional = ComoBooleano(config("ImpAdicional"));
    bool variosImpAd = false;
    double impAdGeneral = 0;
    if (impAdicional) {
        variosImpAd = ComoBooleano(config("VariosImpAd"));
        std::string general = kvtx8::Recorta(config("ImpAdGeneral"));
        if (general.empty()) general = config("ImpuestoAd");
        impAdGeneral = kvtx8::kvVal(general);
    }
    uint8_t aplicaIVA = 0, aplicaImpAd = 0;
    LeerAplicacionImpuestos(aplicaIVA, aplicaImpAd, local);
    const bool conImpuestos = ComoBooleano(config("AumentarImptosCosto"));
    const double cuantos = kvtx8::kvVal(config("Precios"));
    const int numeroDePrecios = cuantos < 1 ? 1 : cuantos > 50 ? 50 : static_cast<int>(cuantos);

    for (int n = 1; n <= numeroDePrecios; ++n) {
        std::string campo, operador;
        double factor = 0, regla = 0, actual = 0;
        if (n <= 5) {
            const std::string s = std::to_string(n);
            campo = p.Texto("forCampo" + s);
            operador = p.Texto("forOperador" + s);
            factor = p.Numero("forFactor" + s);
            regla = p.Numero("forRedondear" + s);
            actual = p.Numero("Precio" + s);
        } else {
            actual = precios.ElPrecio(local, clave, n);
            if (!precios.Hallado) continue;
            campo = precios.CampoFormula;
            operador = precios.OperadorFormula;
            factor = precios.FactorFormula;
            regla = precios.RedondeoFormula;
        }
        campo = kvtx8::Recorta(campo);
        if (campo.empty()) continue;
        const std::string nombre = kvtx8::Minusculas(campo);
        double base = 0;
        if (nombre == "costo" || nombre == "costoprom") {
            base = p.Numero(nombre == "costo" ? "Costo" : "CostoProm");
            if (conImpuestos) {
                const double tasaIVA = variosIVAs ? p.Numero("IVA") : ivaGeneral;
                const double tasaImpAd = !impAdicional ? 0
                                         : variosImpAd ? p.Numero("ImpuestoAd")
                                                       : impAdGeneral;
                double iva = 0, impAd = 0;
                base = CostoConImpuestos(base, aplicaIVA, aplicaImpAd, iva, impAd, tasaIVA, tasaImpAd);
            }
            const auto enVenta =
                ConvertirMoneda(local, multiMoneda, p.Entero("MonedaCompra"), p.Entero("MonedaVenta"), base);
            if (!enVenta) {
                if (!local.Abierta()) return false;
                continue;
            }
            base = *enVenta;
        } else if (const int m = NumeroDePrecio(nombre); m > 5) {
            kvtx8::DePrecios otro;
            base = otro.ElPrecio(local, clave, m);
            if (!otro.Hallado) continue;
        } else if (p.TieneCampo(campo)) {
            base = p.Numero(campo);
        } else {
            continue;
        }
        const double nuevo = kvtx8::DePrecios::AplicaFormula(base, operador, factor, regla);
        if (std::round(nuevo * 10000) == std::round(actual * 10000)) continue;
        const bool escrito =
            n > 5
                ? local.Ejecutar("UPDATE productosmasprecios SET Precio=" + NumeroTexto(nuevo) +
                                 " WHERE Producto=" + local.Literal(clave) +
                                 " AND NumeroDePrecio=" + std::to_string(n))
                : local.Ejecutar("Update productos set Precio" + std::to_string(n) + "=" +
                                 NumeroTexto(nuevo) + kvtx8::CambXXXSQL(" where Clave='XXX'", clave, local));
        if (!escrito) return false;
        RegistraCambioDePrecio(local, clave, n, nuevo, actual);
        // Later formulas may be built on this price.
        if (!bd.AbrirTabla(p, local, fuente)) return false;
        if (p.Eof()) return true;
    }
    return true;
}

}  // namespace cnc
