// Dates and times as the program shows and stores them.
#pragma once

#include <optional>
#include <string>

namespace kvtx8 {

struct FechaHora {
    int anio = 1899, mes = 12, dia = 30;
    int hora = 0, minuto = 0, segundo = 0;

    int SegundosDelDia() const { return hora * 3600 + minuto * 60 + segundo; }
    bool operator==(const FechaHora&) const = default;
};

// Format in the Basic manner: yyyy, yy, mmmm, mmm, mm, m, dd, d, hh, h, nn, ss (m after h means minutes).
// Month names are Spanish ("ene", "feb", ...).
std::string Formato(const FechaHora& f, const std::string& patron);

bool EsFechaValida(int anio, int mes, int dia);

// Reads "yyyy-mm-dd[ hh:nn[:ss]]", "dd/mm/yyyy[ hh:nn[:ss]]" or "yyyymmdd"; nullopt when not a valid date.
std::optional<FechaHora> LeeFecha(const std::string& texto);

// The local time of the system.
FechaHora AhoraDelSistema();

// Adds seconds (may be negative) with calendar carry.
FechaHora SumaSegundos(const FechaHora& f, long long segundos);

}  // namespace kvtx8
