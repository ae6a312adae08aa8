#include "receive/valores_de_cola.h"

#include <mysql.h>

#include <cctype>

#include "components/utilerias.h"

namespace cnc {

namespace {

bool Digito(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// A plain decimal in parts: sign, whole digits without leading zeros, decimals without trailing zeros.
struct Decimal {
    bool negativo = false;
    std::string entero, fraccion;
    bool Cero() const { return entero.empty() && fraccion.empty(); }
};

std::optional<Decimal> Partes(std::string_view texto) {
    const std::string t = kvtx8::Recorta(texto);
    size_t i = 0;
    Decimal d;
    if (i < t.size() && (t[i] == '-' || t[i] == '+')) d.negativo = t[i++] == '-';
    const size_t inicioEntero = i;
    while (i < t.size() && Digito(t[i])) ++i;
    std::string entero = t.substr(inicioEntero, i - inicioEntero);
    std::string fraccion;
    if (i < t.size() && t[i] == '.') {
        const size_t inicio = ++i;
        while (i < t.size() && Digito(t[i])) ++i;
        fraccion = t.substr(inicio, i - inicio);
    }
    if (i != t.size() || (entero.empty() && fraccion.empty())) return std::nullopt;
    const size_t primero = entero.find_first_not_of('0');
    d.entero = primero == std::string::npos ? "" : entero.substr(primero);
    const size_t ultimo = fraccion.find_last_not_of('0');
    d.fraccion = ultimo == std::string::npos ? "" : fraccion.substr(0, ultimo + 1);
    if (d.Cero()) d.negativo = false;
    return d;
}

// Adds one to a text of digits.
std::string MasUno(std::string digitos) {
    for (size_t i = digitos.size(); i-- > 0;) {
        if (digitos[i] != '9') {
            ++digitos[i];
            return digitos;
        }
        digitos[i] = '0';
    }
    return "1" + digitos;
}

}  // namespace

std::optional<std::string> EnteroDeCola(std::string_view texto) {
    const std::string t = kvtx8::Recorta(texto);
    const size_t i = (!t.empty() && (t[0] == '-' || t[0] == '+')) ? 1 : 0;
    if (t.size() == i || t.size() - i > 18) return std::nullopt;
    for (size_t j = i; j < t.size(); ++j)
        if (!Digito(t[j])) return std::nullopt;
    return t;
}

std::optional<std::string> DecimalDeCola(std::string_view texto) {
    if (!Partes(texto)) return std::nullopt;
    return kvtx8::Recorta(texto);
}

bool MismoNumero(std::string_view a, std::string_view b) {
    const auto x = Partes(a), y = Partes(b);
    if (!x || !y) return kvtx8::Recorta(a) == kvtx8::Recorta(b);
    return x->negativo == y->negativo && x->entero == y->entero && x->fraccion == y->fraccion;
}

std::string FormatoMoneda(std::string_view decimal) {
    auto d = Partes(decimal);
    if (!d) return kvtx8::Recorta(decimal);
    std::string fraccion = d->fraccion + "000";
    std::string cifras = (d->entero.empty() ? "0" : d->entero) + fraccion.substr(0, 2);
    if (fraccion[2] >= '5') cifras = MasUno(cifras);
    const std::string entero = cifras.substr(0, cifras.size() - 2);
    const std::string centavos = cifras.substr(cifras.size() - 2);
    std::string agrupado;
    for (size_t i = 0; i < entero.size(); ++i) {
        if (i > 0 && (entero.size() - i) % 3 == 0) agrupado += ',';
        agrupado += entero[i];
    }
    const bool cero = entero.find_first_not_of('0') == std::string::npos && centavos == "00";
    return (d->negativo && !cero ? "-" : "") + agrupado + "." + centavos;
}

std::string NumeroCorto(std::string_view decimal) {
    const auto d = Partes(decimal);
    if (!d) return kvtx8::Recorta(decimal);
    std::string r = (d->negativo ? "-" : "") + (d->entero.empty() ? std::string("0") : d->entero);
    if (!d->fraccion.empty()) r += "." + d->fraccion;
    return r;
}

std::string PrimerosCaracteres(const std::string& texto, size_t n) {
    size_t i = 0, cuenta = 0;
    while (i < texto.size() && cuenta < n) {
        ++i;
        // Continuation bytes belong to the character before them.
        while (i < texto.size() && (static_cast<unsigned char>(texto[i]) & 0xC0) == 0x80) ++i;
        ++cuenta;
    }
    return texto.substr(0, i);
}

bool SinAdvertencias(kvtx8::Conexion& cn) {
    return cn.Abierta() && mysql_warning_count(cn.mysql()) == 0;
}

bool EnTransaccion(kvtx8::Conexion& cn, const std::function<bool()>& cuerpo) {
    if (!cn.Ejecutar("START TRANSACTION")) return false;
    if (cuerpo() && cn.Ejecutar("COMMIT")) return true;
    // Through the client library, so the connection keeps the first error for the caller to judge (a lost
    // connection has rolled back by itself).
    if (cn.Abierta()) mysql_rollback(cn.mysql());
    return false;
}

}  // namespace cnc
