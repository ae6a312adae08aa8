#include "documents/lector_secuencial.h"

#include <charconv>
#include <cmath>

#include "core/archivo_de_trabajo.h"
#include "core/reglas.h"

namespace cnc {

LectorSecuencial::LectorSecuencial(std::string_view texto) : lineas_(LineasDe(texto)) {}

bool LectorSecuencial::Abre(const std::string& ruta) {
    std::string texto;
    if (!LeeArchivoCompleto(ruta, texto)) return false;
    lineas_ = LineasDe(texto);
    linea_ = col_ = 0;
    paso_ = false;
    return true;
}

bool LectorSecuencial::Eof() const {
    return linea_ >= lineas_.size();
}

std::string LectorSecuencial::Linea() {
    if (Eof()) {
        paso_ = true;
        return "";
    }
    std::string r = lineas_[linea_].substr(std::min(col_, lineas_[linea_].size()));
    ++linea_;
    col_ = 0;
    return r;
}

std::string LectorSecuencial::Item() {
    // Blank lines and blanks before an item are passed over, as a sequential read does.
    while (!Eof()) {
        const std::string& l = lineas_[linea_];
        while (col_ < l.size() && (l[col_] == ' ' || l[col_] == '\t')) ++col_;
        if (col_ < l.size()) break;
        ++linea_;
        col_ = 0;
    }
    if (Eof()) {
        paso_ = true;
        return "";
    }
    const std::string& l = lineas_[linea_];
    std::string r;
    if (l[col_] == '"') {
        const size_t cierra = l.find('"', col_ + 1);
        const size_t fin = cierra == std::string::npos ? l.size() : cierra;
        r = l.substr(col_ + 1, fin - col_ - 1);
        col_ = cierra == std::string::npos ? l.size() : cierra + 1;
        while (col_ < l.size() && l[col_] != ',') ++col_;
    } else {
        size_t fin = l.find(',', col_);
        if (fin == std::string::npos) fin = l.size();
        r = kvtx8::Recorta(l.substr(col_, fin - col_));
        col_ = fin;
    }
    if (col_ < l.size()) ++col_;  // the comma
    if (col_ >= l.size()) {
        ++linea_;
        col_ = 0;
    }
    return r;
}

double LectorSecuencial::Numero() {
    return kvVal(Item());
}

bool EsNumeroDeArchivo(const std::string& texto) {
    const std::string t = kvtx8::Recorta(texto);
    if (t.empty()) return true;
    if (!kvtx8::EsNumerico(t)) return false;
    double v = 0;
    const char* fin = t.data() + t.size();
    const auto [p, e] = std::from_chars(t.data() + (t[0] == '+' ? 1 : 0), fin, v);
    return e == std::errc() && p == fin && std::isfinite(v);
}

}  // namespace cnc
