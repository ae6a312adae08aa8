#include "components/lectura_secuencial.h"

namespace kvtx8 {

namespace {

bool EsBlanco(char c) {
    return c == ' ' || c == '\t';
}

bool EnBlanco(std::string_view s) {
    for (char c : s)
        if (!EsBlanco(c)) return false;
    return true;
}

}  // namespace

LecturaSecuencial::LecturaSecuencial(std::string_view texto) {
    size_t inicio = 0;
    while (inicio < texto.size()) {
        size_t fin = texto.find('\n', inicio);
        if (fin == std::string_view::npos) fin = texto.size();
        size_t largo = fin - inicio;
        if (largo > 0 && texto[inicio + largo - 1] == '\r') --largo;
        lineas_.emplace_back(texto.substr(inicio, largo));
        inicio = fin + 1;
    }
}

bool LecturaSecuencial::Fin() const {
    for (size_t i = siguiente_; i < lineas_.size(); ++i)
        if (!EnBlanco(lineas_[i])) return false;
    return true;
}

bool LecturaSecuencial::Linea(std::string& linea) {
    error_.clear();
    if (siguiente_ >= lineas_.size()) return false;
    linea = lineas_[siguiente_++];
    linea_ = siguiente_;
    return true;
}

bool LecturaSecuencial::Registro(std::vector<std::string>& valores) {
    valores.clear();
    error_.clear();
    while (siguiente_ < lineas_.size() && EnBlanco(lineas_[siguiente_])) ++siguiente_;
    if (siguiente_ >= lineas_.size()) return false;
    linea_ = ++siguiente_;
    if (Valores(lineas_[linea_ - 1], valores, error_)) return true;
    error_ = "línea " + std::to_string(linea_) + ": " + error_;
    return false;
}

bool LecturaSecuencial::Registro(std::vector<std::string>& valores, size_t n) {
    if (!Registro(valores)) {
        if (error_.empty()) error_ = "faltan renglones: se esperaban " + std::to_string(n) + " datos";
        return false;
    }
    if (valores.size() == n) return true;
    error_ = "línea " + std::to_string(linea_) + ": " + std::to_string(valores.size()) + " datos donde van " +
             std::to_string(n);
    return false;
}

bool LecturaSecuencial::Valores(std::string_view linea, std::vector<std::string>& valores,
                                std::string& error) {
    valores.clear();
    size_t i = 0;
    const size_t n = linea.size();
    while (true) {
        while (i < n && EsBlanco(linea[i])) ++i;
        std::string valor;
        if (i < n && (linea[i] == '"' || linea[i] == '#')) {
            // Write # has no way to put its own delimiter inside a value: the next one closes it.
            const char delimitador = linea[i];
            const size_t cierre = linea.find(delimitador, i + 1);
            if (cierre == std::string_view::npos) {
                error = std::string("falta cerrar ") + (delimitador == '"' ? "las comillas" : "el '#'");
                return false;
            }
            valor = linea.substr(i + 1, cierre - i - 1);
            i = cierre + 1;
            while (i < n && EsBlanco(linea[i])) ++i;
            if (i < n && linea[i] != ',') {
                error = "texto después de un valor entre comillas";
                return false;
            }
        } else {
            const size_t coma = linea.find(',', i);
            const size_t fin = coma == std::string_view::npos ? n : coma;
            valor = linea.substr(i, fin - i);
            while (!valor.empty() && EsBlanco(valor.back())) valor.pop_back();
            if (valor.find('"') != std::string::npos) {
                error = "comillas dentro de un valor sin comillas";
                return false;
            }
            i = fin;
        }
        valores.push_back(std::move(valor));
        if (i >= n) return true;
        ++i;  // the comma; one at the end of the line leaves an empty last value
    }
}

}  // namespace kvtx8
