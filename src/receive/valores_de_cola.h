// Values read from the hub's queues before they go into SQL or into a notice, and the transaction that
// keeps a unit of change whole.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "components/bases_dd.h"

namespace cnc {

// A whole number, sign and digits only (at most 18 of them); nullopt for anything else.
std::optional<std::string> EnteroDeCola(std::string_view texto);
// A plain decimal number ("-12.5", "300", "0.0001"): no exponent, no hexadecimal, no comma; nullopt
// otherwise. The text returned is trimmed.
std::optional<std::string> DecimalDeCola(std::string_view texto);
// Whether two plain decimals are the same number ("12.5000" and "12.50"); texts that are no number are
// compared as they stand.
bool MismoNumero(std::string_view a, std::string_view b);
// The decimal as money in notices, "##,###,##0.00": digit grouping and two decimals, rounded half away
// from zero.
std::string FormatoMoneda(std::string_view decimal);
// The decimal without the zeros its column pads it with ("0.0000" is "0", "2.5000" is "2.5").
std::string NumeroCorto(std::string_view decimal);
// The first `n` characters (not bytes) of a UTF-8 text.
std::string PrimerosCaracteres(const std::string& texto, size_t n);

// Whether the connection's last statement went through without the server adjusting a value (a number
// out of the column's range, a text cut short): a session that is not strict stores those with a warning.
bool SinAdvertencias(kvtx8::Conexion& cn);

// Runs the statements of `cuerpo` as one transaction on the connection: committed when it returns true,
// rolled back otherwise. False when anything failed; the connection's error is the first one met.
bool EnTransaccion(kvtx8::Conexion& cn, const std::function<bool()>& cuerpo);

}  // namespace cnc
