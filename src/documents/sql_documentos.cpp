#include "documents/sql_documentos.h"

#include "components/movimientos.h"
#include "core/reglas.h"

namespace cnc {

bool Inserta(kvtx8::Conexion& cn, const kvtx8::NombreTabla& tabla, const Columnas& columnas) {
    std::string nombres, valores;
    for (const auto& [c, v] : columnas) {
        if (!nombres.empty()) nombres += ", ", valores += ", ";
        nombres += Identificador(c);
        valores += v;
    }
    return cn.Ejecutar("INSERT INTO " + tabla.SQL() + " (" + nombres + ") VALUES (" + valores + ")");
}

bool Actualiza(kvtx8::Conexion& cn, const kvtx8::NombreTabla& tabla, const Columnas& columnas,
               const std::string& condicion) {
    std::string asigna;
    for (const auto& [c, v] : columnas) asigna += (asigna.empty() ? "" : ", ") + Identificador(c) + " = " + v;
    return cn.Ejecutar("UPDATE " + tabla.SQL() + " SET " + asigna + " WHERE " + condicion);
}

std::string Num(double n) {
    return kvtx8::NumeroParaSQL(n);
}

std::string Num(long long n) {
    return std::to_string(n);
}

std::string FechaONull(const std::string& texto) {
    const std::string f = kvtx8::FechaSQL(texto);
    return f.empty() ? "NULL" : "'" + f + "'";
}

std::string TextoDeError(const kvtx8::Conexion& cn) {
    return "Nº " + std::to_string(cn.UltimoError()) + ": " + cn.MensajeError();
}

}  // namespace cnc
