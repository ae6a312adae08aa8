// The notice store: every intake tells the users what it did through GrabarAviso. The windows and the
// report reach concentradorqmx.avisos only through the operations here.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "components/bases_dd.h"

namespace cnc {

inline constexpr int kTiposDeAviso = 23;           // TipoAviso 0 to 22
inline constexpr size_t kLargoMaximoAviso = 6000;  // characters of text per row when notices are joined

// Raises a notice of a type 0 to 22 through the local server connection.
void GrabarAviso(kvtx8::Conexion& servidorLocal, const std::string& texto, int tipo);
// The same, telling whether the notice was recorded (false: no connection, a type out of range or a
// failing statement), so that the caller's error handling can log it.
bool RegistraAviso(kvtx8::Conexion& servidorLocal, const std::string& texto, int tipo);
// While one lives, GrabarAviso keeps the notices (text, type) here instead of raising them: the caller
// raises them once the change they tell of is written, or drops them with it.
class AvisosRetenidos {
  public:
    AvisosRetenidos();
    ~AvisosRetenidos();
    AvisosRetenidos(const AvisosRetenidos&) = delete;
    AvisosRetenidos& operator=(const AvisosRetenidos&) = delete;
    std::vector<std::pair<std::string, int>> Toma() { return std::move(avisos_); }

  private:
    friend void GrabarAviso(kvtx8::Conexion&, const std::string&, int);
    std::vector<std::pair<std::string, int>> avisos_;
    AvisosRetenidos* anterior_;
};
// Clears the per-type memory (start-up, and between sending and receiving).
void LimpiaUltimosAvisos();
// Id of the row the next notice of the type is appended to; 0 for none (and for a type out of range).
long long UltimoAviso(int tipo);

// One row of concentradorqmx.avisos as the notice windows show it.
struct AvisoGuardado {
    long long Id = 0;
    std::string Fecha;  // "yyyy-mm-dd"
    std::string Hora;   // "hh:nn:ss"
    int TipoAviso = 0;
    std::string ElTexto;  // decoded text; empty when null
    int x = 0, y = 0, W = 0, H = 0;
    long long Color = 0;
};

// Every operation below opens the connection through AbreBase when it is not open yet (local database
// component, general database) and leaves it open for the caller; false when it could not be opened or
// the statement failed.

// The unread notices, by TipoAviso and Id, at most `cuantos` of them.
bool LeeAvisosNoLeidos(kvtx8::Conexion& servidorLocal, int cuantos, std::vector<AvisoGuardado>& avisos);
// Every unread notice becomes read, without user or date.
bool MarcaAvisosLeidos(kvtx8::Conexion& servidorLocal);
// Signs the notice as read by the user (today's date, the current time); false when the row is missing.
bool FirmaAviso(kvtx8::Conexion& servidorLocal, long long id, const std::string& usuario);
// Keeps the place, size (twips) and colour of the notice's window; false when the row is missing.
bool GuardaLugarDeAviso(kvtx8::Conexion& servidorLocal, long long id, int x, int y, int w, int h,
                        long long color);

// Characters (not bytes) of a UTF-8 text.
size_t LargoEnCaracteres(const std::string& texto);

}  // namespace cnc
