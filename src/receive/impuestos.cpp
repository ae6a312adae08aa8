#include "receive/impuestos.h"

#include <string>

#include "core/reglas.h"
#include "core/shared_routines.h"

namespace cnc {

void LeerAplicacionImpuestos(uint8_t& aplicaIVA, uint8_t& aplicaImpAd, Conexion& cn) {
    aplicaIVA = ComoByte(Mod.BDLocal.LeerConfig("AplicaIVA", cn));
    aplicaImpAd = ComoByte(Mod.BDLocal.LeerConfig("AplicaImpAd", cn));
    if (aplicaIVA == 1) aplicaImpAd = 0;
}

double CostoConImpuestos(double costo, uint8_t aplicaIVA, uint8_t aplicaImpAd, double& iva, double& impAd,
                         double tasaIVA, double tasaImpAd) {
    if (aplicaIVA == 1) {
        impAd = costo * tasaImpAd / 100;
        iva = (costo + impAd) * tasaIVA / 100;
    } else if (aplicaImpAd == 1) {
        iva = costo * tasaIVA / 100;
        impAd = (costo + iva) * tasaImpAd / 100;
    } else {
        iva = costo * tasaIVA / 100;
        impAd = costo * tasaImpAd / 100;
    }
    return costo + iva + impAd;
}

std::optional<double> ConvertirMoneda(Conexion& cn, bool multiMoneda, long long compra, long long venta,
                                      double cantidad) {
    if (!multiMoneda || compra == venta) return cantidad;
    auto paridad = [&](long long id) -> std::optional<double> {
        Registros rs;
        if (!Mod.BDLocal.AbrirTabla(rs, cn, "monedas where Id=" + std::to_string(id), "Paridad") || rs.Eof())
            return std::nullopt;
        const double v = rs.Numero("Paridad");
        if (!(v > 0)) return std::nullopt;
        return v;
    };
    const auto deCompra = paridad(compra), deVenta = paridad(venta);
    if (!deCompra || !deVenta) return std::nullopt;
    return cantidad * *deCompra / *deVenta;
}

}  // namespace cnc
