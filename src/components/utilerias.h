// Stateless utilities: templates, numbers, dates, profile files, files and folders, versions, workstation.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "components/fecha.h"

namespace kvtx8 {

class Conexion;

// The template with every "XXX" replaced by the value, as it stands.
std::string CambXXX(std::string_view plantilla, std::string_view valor);
// The same, with the value escaped by the connection's rules: for values put between quotes in SQL.
std::string CambXXXSQL(std::string_view plantilla, std::string_view valor, const Conexion& cn);

// Basic Val: the leading number of a text (blanks ignored, &H hex, &O octal), else 0.
double kvVal(std::string_view texto);
// A number's whole part; nothing when it is not finite or a long long cannot hold it (the cast would be
// undefined, and a file or a row may carry any number).
std::optional<long long> ParteEntera(double v);
// Whether the whole text (trimmed) is a number.
bool EsNumerico(std::string_view texto);
// A checked whole number for SQL: the text when it is an integer, otherwise "0".
std::string NumeroSQL(std::string_view texto);
// A checked number for SQL, decimals too: the trimmed text when it is a number, otherwise "0".
std::string NumeroDecimalSQL(std::string_view texto);
// A server port: a whole number 1 to 65535, or 0 for the server's default port; nullopt for anything else.
std::optional<unsigned> ComoPuerto(std::string_view texto);

// "yyyy-mm-dd" of a date text; empty when it is no date.
std::string FechaSQL(const std::string& fecha);
std::string FechaSQL(const FechaHora& f);

std::string Recorta(std::string_view s);
std::string Mayusculas(std::string_view s);
std::string Minusculas(std::string_view s);
bool IgualSinMayusculas(std::string_view a, std::string_view b);

// Whether a profile file gives the text back as it stands: no NUL, no line break, no blank at either end
// (the reader trims them). Writing any other text is refused.
bool CabeEnIni(std::string_view texto);
// Profile files: the value or ""; writing creates the file and the section.
std::string LeeIni(const std::string& seccion, const std::string& clave, const std::string& archivo);
// Whether the key is written in the file, even with an empty value.
bool HayClaveIni(const std::string& seccion, const std::string& clave, const std::string& archivo);
bool EscribeIni(const std::string& seccion, const std::string& clave, const std::string& valor,
                const std::string& archivo);
// Input mask and display format of dates on this workstation.
inline constexpr const char* kMascaraFecha = "##/##/####";
inline constexpr const char* kFormatoFecha = "dd/mm/yyyy";

// Replaces the whole file at once (a temporary file renamed over it); the file is readable and writable
// by its owner only, whatever it was before.
bool EscribeArchivoPrivado(const std::string& archivo, const std::string& texto);

bool HayArchivo(const std::string& ruta);
bool HayCarpeta(const std::string& ruta);
bool BorraArchivo(const std::string& ruta);
// Opens the file with the desktop's program for its type; false when none could be started.
bool AbreDocumento(const std::string& ruta);
// A number whose order is the order of versions "a.b.c" (each part up to 9999).
double VersionVB(std::string_view version);
// Whether the text is a version "a[.b[.c]]" of numbers.
bool EsVersion(std::string_view version);
std::string RutaDeArchivo(const std::string& ruta);
std::string NombreDeArchivo(const std::string& ruta);
// Backslashes of stored paths become slashes.
std::string RutaLocal(std::string_view ruta);

// The workstation's network name.
std::string NetName();
// A pause of the given milliseconds (the engine pauses through its clock instead).
void Segundos(int ms);
// True when a TCP connection to the host (host or host:port, default port 21) succeeds within a few seconds.
bool ComprobarConexion(const std::string& host);

}  // namespace kvtx8
