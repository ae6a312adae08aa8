// Taxes and currencies of a company, as the price formulas built on cost use them.
#pragma once

#include <optional>

#include "components/bases_dd.h"

namespace cnc {

// The company's "AplicaIVA" and "AplicaImpAd" as bytes (anything but a whole 0..255 is 0). With VAT applied
// on the additional tax (1), the additional tax is not applied on the VAT: the two never compound.
void LeerAplicacionImpuestos(uint8_t& aplicaIVA, uint8_t& aplicaImpAd, kvtx8::Conexion& cn);

// The cost with both taxes; rates in percent. aplicaIVA 1: VAT on cost plus additional tax; aplicaImpAd 1:
// additional tax on cost plus VAT; otherwise each on the cost alone. Both at 1 (only a caller that skipped
// LeerAplicacionImpuestos can ask it) reads as aplicaIVA.
double CostoConImpuestos(double costo, uint8_t aplicaIVA, uint8_t aplicaImpAd, double& iva, double& impAd,
                         double tasaIVA, double tasaImpAd);

// An amount in the purchase currency in the sale currency: amount x Paridad(compra) / Paridad(venta), when
// the company works with several currencies and the two differ; the amount as it is otherwise. nullopt
// when a currency is missing or its parity is not above 0: no price is made from a guess.
std::optional<double> ConvertirMoneda(kvtx8::Conexion& cn, bool multiMoneda, long long compra,
                                      long long venta, double cantidad);

}  // namespace cnc
