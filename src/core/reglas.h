// How the program reads settings and data: one version of each rule, for every folder to share.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "components/bases_dd.h"
#include "components/fecha.h"
#include "components/utilerias.h"

namespace cnc {

// Names for SQL: between back-quotes, back-quotes doubled, never split on dots; the schema passed apart.
using kvtx8::Identificador;
using kvtx8::NombreTabla;

// Numbers: Basic Val (leading number, else 0), whether the whole text is a number, and the checked
// whole number and decimal number that may go into SQL unquoted.
using kvtx8::EsNumerico;
using kvtx8::kvVal;
using kvtx8::NumeroDecimalSQL;
using kvtx8::NumeroSQL;

// A server port: 1 to 65535, or 0 for the server's default port; nullopt for anything else.
using kvtx8::ComoPuerto;

// A Basic boolean of a setting: "true" or "verdadero" in any case, or a number other than 0; anything
// else is false.
bool ComoBooleano(std::string_view texto);

// A byte flag: a whole number 0 to 255; anything else reads as `siNo` (off unless told).
uint8_t ComoByte(std::string_view texto, uint8_t siNo = 0);

// This program's version, "major.minor.revision".
std::string VersionDelPrograma();

// Seconds since 1970-01-01 00:00:00 of a date-time (no time zone): a count the clock's readings compare by.
long long SegundosDesdeEpoca(const kvtx8::FechaHora& f);

// Seconds from `desde` to `hasta`, negative when `hasta` is earlier, across days, months and years.
long long SegundosEntre(const kvtx8::FechaHora& desde, const kvtx8::FechaHora& hasta);

}  // namespace cnc
