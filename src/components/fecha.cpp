#include "components/fecha.h"

#include <cctype>
#include <cstdio>
#include <ctime>

namespace kvtx8 {

namespace {
const char* const kMeses[] = {"ene", "feb", "mar", "abr", "may", "jun",
                              "jul", "ago", "sep", "oct", "nov", "dic"};
const char* const kMesesLargos[] = {"enero", "febrero", "marzo",      "abril",   "mayo",      "junio",
                                    "julio", "agosto",  "septiembre", "octubre", "noviembre", "diciembre"};

std::string Dos(int n) {
    char b[16];
    std::snprintf(b, sizeof b, "%02d", n);
    return b;
}
}  // namespace

std::string Formato(const FechaHora& f, const std::string& patron) {
    std::string r;
    bool trasHora = false;
    size_t i = 0;
    auto corre = [&](char c) {
        size_t n = 0;
        while (i + n < patron.size() && std::tolower(static_cast<unsigned char>(patron[i + n])) == c) ++n;
        return n;
    };
    while (i < patron.size()) {
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(patron[i])));
        size_t n = (c == 'y' || c == 'm' || c == 'd' || c == 'h' || c == 'n' || c == 's') ? corre(c) : 0;
        if (c == 'y' && n > 0) {
            r += n >= 4 ? std::to_string(f.anio) : Dos(f.anio % 100);
        } else if (c == 'm' && n > 0) {
            if (trasHora && n <= 2) {
                r += n == 2 ? Dos(f.minuto) : std::to_string(f.minuto);
            } else if (n >= 4) {
                r += kMesesLargos[(f.mes + 11) % 12];
            } else if (n == 3) {
                r += kMeses[(f.mes + 11) % 12];
            } else {
                r += n == 2 ? Dos(f.mes) : std::to_string(f.mes);
            }
        } else if (c == 'd' && n > 0) {
            r += n >= 2 ? Dos(f.dia) : std::to_string(f.dia);
        } else if (c == 'h' && n > 0) {
            r += n >= 2 ? Dos(f.hora) : std::to_string(f.hora);
        } else if (c == 'n' && n > 0) {
            r += n >= 2 ? Dos(f.minuto) : std::to_string(f.minuto);
        } else if (c == 's' && n > 0) {
            r += n >= 2 ? Dos(f.segundo) : std::to_string(f.segundo);
        } else {
            r += patron[i];
            n = 1;
        }
        if (c == 'h')
            trasHora = true;
        else if (c != ':' && c != ' ' && c != 'm')
            trasHora = false;
        i += n;
    }
    return r;
}

bool EsFechaValida(int a, int m, int d) {
    if (a < 100 || a > 9999 || m < 1 || m > 12 || d < 1) return false;
    static const int dias[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int max = dias[m - 1];
    if (m == 2 && ((a % 4 == 0 && a % 100 != 0) || a % 400 == 0)) max = 29;
    return d <= max;
}

std::optional<FechaHora> LeeFecha(const std::string& texto) {
    size_t i = 0;
    while (i < texto.size() && std::isspace(static_cast<unsigned char>(texto[i]))) ++i;
    std::string t = texto.substr(i);
    while (!t.empty() && std::isspace(static_cast<unsigned char>(t.back()))) t.pop_back();
    FechaHora f;
    int a = 0, m = 0, d = 0, hh = 0, nn = 0, ss = 0, usados = 0;
    char s1 = 0, s2 = 0;
    if (std::sscanf(t.c_str(), "%d%c%d%c%d%n", &a, &s1, &m, &s2, &d, &usados) == 5 && s1 == s2 &&
        (s1 == '-' || s1 == '/' || s1 == '.')) {
        if (a < 100 && d >= 100) std::swap(a, d);  // dd/mm/yyyy
    } else if (t.size() >= 8 && std::sscanf(t.c_str(), "%4d%2d%2d%n", &a, &m, &d, &usados) == 3) {
    } else {
        return std::nullopt;
    }
    if (!EsFechaValida(a, m, d)) return std::nullopt;
    std::string resto = t.substr(static_cast<size_t>(usados));
    size_t j = 0;
    while (j < resto.size() && (resto[j] == ' ' || resto[j] == 'T' || resto[j] == '-')) ++j;
    resto = resto.substr(j);
    if (!resto.empty()) {
        int leidos = std::sscanf(resto.c_str(), "%d:%d:%d", &hh, &nn, &ss);
        if (leidos < 2 || hh < 0 || hh > 23 || nn < 0 || nn > 59 || ss < 0 || ss > 59) return std::nullopt;
    }
    f.anio = a, f.mes = m, f.dia = d, f.hora = hh, f.minuto = nn, f.segundo = ss;
    return f;
}

FechaHora AhoraDelSistema() {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

FechaHora SumaSegundos(const FechaHora& f, long long s) {
    std::tm tm{};
    tm.tm_year = f.anio - 1900, tm.tm_mon = f.mes - 1, tm.tm_mday = f.dia;
    tm.tm_hour = f.hora, tm.tm_min = f.minuto, tm.tm_sec = f.segundo;
    std::time_t t = timegm(&tm) + s;
    gmtime_r(&t, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

}  // namespace kvtx8
