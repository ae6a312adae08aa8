#include "core/reglas.h"

namespace cnc {

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date.
long long DiasCiviles(long long y, int m, int d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

}  // namespace

bool ComoBooleano(std::string_view texto) {
    const std::string t = kvtx8::Minusculas(kvtx8::Recorta(texto));
    if (t == "true" || t == "verdadero") return true;
    return kvtx8::EsNumerico(t) && kvtx8::kvVal(t) != 0;
}

uint8_t ComoByte(std::string_view texto, uint8_t siNo) {
    const std::string t = kvtx8::Recorta(texto);
    if (!kvtx8::EsNumerico(t)) return siNo;
    const double v = kvtx8::kvVal(t);
    if (v < 0 || v > 255 || v != static_cast<double>(static_cast<int>(v))) return siNo;
    return static_cast<uint8_t>(v);
}

std::string VersionDelPrograma() {
    return std::to_string(CONCENTRADOR_VERSION_MAYOR) + "." + std::to_string(CONCENTRADOR_VERSION_MENOR) +
           "." + std::to_string(CONCENTRADOR_VERSION_REVISION);
}

long long SegundosDesdeEpoca(const kvtx8::FechaHora& f) {
    return DiasCiviles(f.anio, f.mes, f.dia) * 86400 + f.SegundosDelDia();
}

long long SegundosEntre(const kvtx8::FechaHora& desde, const kvtx8::FechaHora& hasta) {
    return SegundosDesdeEpoca(hasta) - SegundosDesdeEpoca(desde);
}

}  // namespace cnc
