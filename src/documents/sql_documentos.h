// What the document classes share: rows written as one statement, each value already SQL text.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "components/bases_dd.h"

namespace cnc {

using Columnas = std::vector<std::pair<std::string, std::string>>;

// INSERT INTO tabla (columns) VALUES (values): values are SQL text made by Texto, Num, FechaONull...
bool Inserta(kvtx8::Conexion& cn, const kvtx8::NombreTabla& tabla, const Columnas& columnas);
// UPDATE tabla SET ... WHERE condicion.
bool Actualiza(kvtx8::Conexion& cn, const kvtx8::NombreTabla& tabla, const Columnas& columnas,
               const std::string& condicion);

std::string Num(double n);
std::string Num(long long n);
// A date literal of a date text, or NULL when it is no date.
std::string FechaONull(const std::string& texto);

// "Nº " + error number + ": " + description, of the connection's last error.
std::string TextoDeError(const kvtx8::Conexion& cn);

}  // namespace cnc
