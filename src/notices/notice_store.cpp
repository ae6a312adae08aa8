#include "notices/notice_store.h"

#include <type_traits>

#include "core/shared_routines.h"
#include "components/fecha.h"
#include "components/utilerias.h"

namespace cnc {

namespace {

constexpr const char* kTabla = "concentradorqmx.avisos";
constexpr const char* kConTexto = "*,CAST(Decode(Aviso,Metodo) AS CHAR) AS ElTexto";

static_assert(std::extent_v<decltype(Modulo::UltimoAviso)> == kTiposDeAviso);

bool Abre(Conexion& cn) {
    return AbreBase(Mod.BDLocal, cn, "");
}

std::string DondeId(long long id) {
    return std::string(kTabla) + " WHERE Id=" + std::to_string(id);
}

}  // namespace

size_t LargoEnCaracteres(const std::string& texto) {
    size_t n = 0;
    for (unsigned char c : texto)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

void LimpiaUltimosAvisos() {
    for (auto& u : Mod.UltimoAviso) u = 0;
}

long long UltimoAviso(int tipo) {
    return tipo >= 0 && tipo < kTiposDeAviso ? Mod.UltimoAviso[tipo] : 0;
}

namespace {
AvisosRetenidos* retenidos = nullptr;
}  // namespace

AvisosRetenidos::AvisosRetenidos() : anterior_(retenidos) {
    retenidos = this;
}

AvisosRetenidos::~AvisosRetenidos() {
    retenidos = anterior_;
}

void GrabarAviso(Conexion& servidorLocal, const std::string& texto, int tipo) {
    if (retenidos) {
        retenidos->avisos_.emplace_back(texto, tipo);
        return;
    }
    RegistraAviso(servidorLocal, texto, tipo);
}

bool RegistraAviso(Conexion& cn, const std::string& texto, int tipo) {
    if (tipo < 0 || tipo >= kTiposDeAviso) return false;
    if (!Abre(cn)) return false;  // the notice is dropped
    BasesDD& bd = Mod.BDLocal;
    Registros rs;
    long long id = 0;
    std::string clave, completo = texto;

    if (const long long previo = Mod.UltimoAviso[tipo]; previo != 0) {
        if (bd.AbrirTabla(rs, cn, DondeId(previo), kConTexto) && !rs.Eof()) {
            const std::string anterior = rs.Texto("ElTexto") + "\r\n";
            if (LargoEnCaracteres(anterior) + LargoEnCaracteres(texto) <= kLargoMaximoAviso) {
                id = previo;
                clave = kvtx8::NumeroSQL(rs.Texto("Metodo"));
                completo = anterior + texto;
            }
        }
        bd.CierraTabla(rs);
    }

    if (id == 0) {
        const kvtx8::FechaHora t = Ahora();
        const int metodo = (t.segundo + 1) * 3;
        if (!bd.AbrirTabla(rs, cn, DondeId(-9))) return false;
        rs.AddNew();
        rs.Poner("Fecha", kvtx8::Formato(t, "yyyy-mm-dd"));
        rs.Poner("Hora", kvtx8::Formato(t, "hh:nn:ss"));
        rs.Poner("Metodo", std::to_string(metodo));
        rs.Poner("TipoAviso", std::to_string(tipo));
        if (!AvisosManejados()) {
            // Kept for the report, never shown.
            rs.Poner("Leido", "1");
            rs.Poner("FechaLeido", kvtx8::Formato(t, "yyyy-mm-dd"));
            rs.Poner("HoraLeido", kvtx8::Formato(t, "hh:nn:ss"));
            rs.Poner("Usuario", "");
        }
        // A failed insert must not go on: the largest Id would then be another notice's row.
        if (!rs.Update()) {
            bd.CierraTabla(rs);
            return false;
        }
        // The key this connection was given; the largest key only if the server did not say.
        id = static_cast<long long>(cn.IdInsertado());
        if (id <= 0) id = bd.LastId(cn, {std::string(kvtx8::kEsquemaConcentrador), "avisos"}, "Id");
        Mod.UltimoAviso[tipo] = id;
        clave = std::to_string(metodo);
        bd.CierraTabla(rs);
    }

    return cn.Ejecutar(std::string("UPDATE ") + kTabla + " SET " + "Aviso=ENCODE('" + cn.Escapar(completo) +
                       "','" + clave + "'),Usuario=ENCODE('CONCENTRADOR','" + clave + "')" +
                       " WHERE Id=" + std::to_string(id));
}

bool LeeAvisosNoLeidos(Conexion& cn, int cuantos, std::vector<AvisoGuardado>& avisos) {
    avisos.clear();
    if (!Abre(cn)) return false;
    BasesDD& bd = Mod.BDLocal;
    Registros rs;
    if (!bd.AbrirTabla(rs, cn,
                       std::string(kTabla) + " WHERE Leido=0 ORDER BY TipoAviso,Id LIMIT " +
                           std::to_string(cuantos < 0 ? 0 : cuantos),
                       kConTexto))
        return false;
    for (; !rs.Eof(); rs.MoveNext()) {
        AvisoGuardado a;
        a.Id = rs.Entero("Id");
        a.Fecha = rs.Texto("Fecha");
        a.Hora = rs.Texto("Hora");
        a.TipoAviso = static_cast<int>(rs.Entero("TipoAviso"));
        a.ElTexto = rs.Texto("ElTexto");
        a.x = static_cast<int>(rs.Entero("x"));
        a.y = static_cast<int>(rs.Entero("y"));
        a.W = static_cast<int>(rs.Entero("W"));
        a.H = static_cast<int>(rs.Entero("H"));
        a.Color = rs.Entero("Color");
        avisos.push_back(std::move(a));
    }
    bd.CierraTabla(rs);
    return true;
}

bool MarcaAvisosLeidos(Conexion& cn) {
    return Abre(cn) && cn.Ejecutar("UPDATE concentradorqmx.avisos SET Leido=1 WHERE Leido=0");
}

bool FirmaAviso(Conexion& cn, long long id, const std::string& usuario) {
    if (!Abre(cn)) return false;
    BasesDD& bd = Mod.BDLocal;
    Registros rs;
    if (!bd.AbrirTabla(rs, cn, "concentradorqmx.avisos where Id=" + std::to_string(id), "Metodo") ||
        rs.Eof()) {
        bd.CierraTabla(rs);
        return false;
    }
    const std::string metodo = kvtx8::NumeroSQL(rs.Texto("Metodo"));
    bd.CierraTabla(rs);
    const kvtx8::FechaHora t = Ahora();
    return cn.Ejecutar("Update concentradorqmx.avisos set Leido=1,Usuario=Encode('" + cn.Escapar(usuario) +
                       "','" + metodo + "'),FechaLeido='" + kvtx8::FechaSQL(t) + "',HoraLeido='" +
                       kvtx8::Formato(t, "hh:nn:ss") + "' where Id=" + std::to_string(id));
}

bool GuardaLugarDeAviso(Conexion& cn, long long id, int x, int y, int w, int h, long long color) {
    if (!Abre(cn)) return false;
    BasesDD& bd = Mod.BDLocal;
    Registros rs;
    if (!bd.AbrirTabla(rs, cn, DondeId(id)) || rs.Eof()) {
        bd.CierraTabla(rs);
        return false;
    }
    rs.Poner("x", std::to_string(x));
    rs.Poner("y", std::to_string(y));
    rs.Poner("W", std::to_string(w));
    rs.Poner("H", std::to_string(h));
    rs.Poner("Color", std::to_string(color));
    const bool ok = rs.Update();
    bd.CierraTabla(rs);
    return ok;
}

}  // namespace cnc
