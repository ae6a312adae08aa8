#include "notices/cls_impresion.h"

#include "components/fecha.h"
#include "components/utilerias.h"
#include "core/shared_routines.h"

namespace cnc {

namespace {

// The user as the report compares it: the first 10 characters of the decoded code.
constexpr const char* kUsuario = "LEFT(CAST(DECODE(Usuario,Metodo) AS CHAR),10)";

std::string DateDe(const kvtx8::FechaHora& f) {
    return "Date(" + std::to_string(f.anio) + "," + std::to_string(f.mes) + "," + std::to_string(f.dia) + ")";
}

std::string Fecha(const kvtx8::FechaHora& f) {
    return kvtx8::Formato(f, "dd/mm/yyyy");
}

}  // namespace

SeleccionDeReporte Seleccion(const FiltroDeReporte& f, const Conexion& cn) {
    SeleccionDeReporte s;
    if (auto d = kvtx8::LeeFecha(kvtx8::Recorta(f.desde))) {
        AgregaCondicion(s.formula, "{cncavisos.Fecha}>=" + DateDe(*d));
        AgregaCondicion(s.donde, "Fecha>='" + kvtx8::Formato(*d, "yyyy-mm-dd") + "'");
    }
    if (auto h = kvtx8::LeeFecha(kvtx8::Recorta(f.hasta))) {
        AgregaCondicion(s.formula, "{cncavisos.Fecha}<=" + DateDe(*h));
        AgregaCondicion(s.donde, "Fecha<='" + kvtx8::Formato(*h, "yyyy-mm-dd") + "'");
    }
    if (const std::string u = kvtx8::Recorta(f.usuario); !u.empty()) {
        AgregaCondicion(s.formula, kvtx8::CambXXX("{cncavisos.TextoUsuario}='XXX'", u));
        AgregaCondicion(s.donde, std::string(kUsuario) + "='" + cn.Escapar(u) + "'");
    }
    if (f.estado == FiltroDeReporte::Estado::Leidos) {
        AgregaCondicion(s.formula, "{cncavisos.Leido}=1");
        AgregaCondicion(s.donde, "Leido=1");
    } else if (f.estado == FiltroDeReporte::Estado::NoLeidos) {
        AgregaCondicion(s.formula, "{cncavisos.Leido}=0");
        AgregaCondicion(s.donde, "Leido=0");
    }
    switch (f.orden) {
        case FiltroDeReporte::Orden::FechaRegistro:
            s.orden[0] = "+{cncavisos.Fecha}", s.orden[1] = "+{cncavisos.Hora}";
            s.ordenSQL = "Fecha,Hora,Id";
            break;
        case FiltroDeReporte::Orden::FechaLeido:
            s.orden[0] = "+{cncavisos.FechaLeido}", s.orden[1] = "+{cncavisos.HoraLeido}";
            s.ordenSQL = "FechaLeido,HoraLeido,Id";
            break;
        case FiltroDeReporte::Orden::Folio:
            s.orden[0] = "+{cncavisos.Id}";
            s.ordenSQL = "Id";
            break;
    }
    return s;
}

bool clsImpresion::Lee(const FiltroDeReporte& f, ReporteDeAvisos& r, std::string& problema) {
    r = ReporteDeAvisos{};
    Conexion cn;
    if (!AbreBase(Mod.BDLocal, cn, "")) {
        problema = "No se pudo abrir la base de datos general del servidor local (" + Mod.BDLocal.cRuta +
                   ":" + Mod.BDLocal.cPuerto + ").";
        return false;
    }
    const SeleccionDeReporte s = Seleccion(f, cn);
    r.titulo = "Bitácora de avisos";
    r.empresa = Mod.BDLocal.cMiBase;
    r.formula = s.formula;
    r.orden[0] = s.orden[0];
    r.orden[1] = s.orden[1];
    r.impreso = kvtx8::Formato(Ahora(), "dd/mm/yyyy hh:nn");

    // The heading says in words what was chosen.
    std::string filtro;
    const auto d = kvtx8::LeeFecha(kvtx8::Recorta(f.desde));
    const auto h = kvtx8::LeeFecha(kvtx8::Recorta(f.hasta));
    if (d && h)
        filtro = "Del " + Fecha(*d) + " al " + Fecha(*h);
    else if (d)
        filtro = "Desde el " + Fecha(*d);
    else if (h)
        filtro = "Hasta el " + Fecha(*h);
    else
        filtro = "Todas las fechas";
    if (const std::string u = kvtx8::Recorta(f.usuario); !u.empty()) filtro += "; usuario " + u;
    filtro += f.estado == FiltroDeReporte::Estado::Leidos     ? "; leídos"
              : f.estado == FiltroDeReporte::Estado::NoLeidos ? "; no leídos"
                                                              : "; leídos y no leídos";
    filtro += f.orden == FiltroDeReporte::Orden::Folio        ? "; por folio"
              : f.orden == FiltroDeReporte::Orden::FechaLeido ? "; por fecha de lectura"
                                                              : "; por fecha de registro";
    r.filtro = filtro;

    // The plain texts are read by the query itself and never written into the table.
    const std::string sql =
        std::string("SELECT Id,Fecha,Hora,TipoAviso,Leido,FechaLeido,HoraLeido,") + kUsuario +
        " AS ElUsuario,CAST(DECODE(Aviso,Metodo) AS CHAR) AS ElTexto FROM concentradorqmx.avisos" +
        (s.donde.empty() ? "" : " WHERE " + s.donde) + " ORDER BY " + s.ordenSQL;
    Registros rs;
    if (!Mod.BDLocal.AbrirConsulta(rs, cn, sql)) {
        problema = "No se pudieron leer los avisos: " + cn.MensajeError();
        cn.Cerrar();
        return false;
    }
    for (; !rs.Eof(); rs.MoveNext()) {
        RenglonDeReporte x;
        x.id = rs.Entero("Id");
        x.fecha = rs.Texto("Fecha");
        x.hora = rs.Texto("Hora");
        x.tipoAviso = static_cast<int>(rs.Entero("TipoAviso"));
        x.leido = rs.Entero("Leido") != 0;
        x.fechaLeido = rs.Texto("FechaLeido");
        x.horaLeido = rs.Texto("HoraLeido");
        x.usuario = rs.Texto("ElUsuario");
        x.texto = rs.Texto("ElTexto");
        r.renglones.push_back(std::move(x));
    }
    Mod.BDLocal.CierraTabla(rs);
    cn.Cerrar();
    return true;
}

bool clsImpresion::Impresion(const FiltroDeReporte& f, const std::string& ruta) {
    ReporteDeAvisos r;
    std::string problema;
    if (!Lee(f, r, problema)) {
        MensajeSkn(problema, kCritico, "Bitácora de avisos");
        return false;
    }
    if (!Ventana().ImprimeReporte(r, ruta)) {
        MensajeSkn("No se pudo escribir el reporte en " + ruta, kCritico, "Bitácora de avisos");
        return false;
    }
    Ventana().AbreDocumento(ruta);
    return true;
}

}  // namespace cnc
