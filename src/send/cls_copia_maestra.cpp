#include "send/cls_copia_maestra.h"

#include <algorithm>
#include <cstdlib>
#include <set>

#include "core/shared_routines.h"
#include "notices/notice_store.h"
#include "send/cls_estandar.h"

namespace cnc {

namespace {

constexpr const char* kFormato = "yyyy-mm-dd hh:nn:ss";

// A table name from SHOW TABLES, back-quoted for SQL.
std::string Identificador(const std::string& nombre) {
    std::string r = "`";
    for (char c : nombre) r += c == '`' ? std::string("``") : std::string(1, c);
    return r + "`";
}

std::vector<std::string> ListaDeTablas(Conexion& cn) {
    std::vector<std::string> tablas;
    Registros rs;
    if (!Mod.BDLocal.AbrirConsulta(rs, cn, "SHOW TABLES")) return tablas;
    for (; !rs.Eof(); rs.MoveNext())
        if (Valor v = rs.Dato(size_t{0})) tablas.push_back(kvtx8::Minusculas(*v));
    return tablas;
}

// A key-value setting read as a Basic boolean.
bool EsVerdadero(const std::string& valor) {
    const std::string v = kvtx8::Minusculas(kvtx8::Recorta(valor));
    return v == "true" || v == "verdadero" || kvtx8::kvVal(v) != 0;
}

long long DiasCiviles(int y, int m, int d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

long long SegundosEntre(const kvtx8::FechaHora& a, const kvtx8::FechaHora& b) {
    auto total = [](const kvtx8::FechaHora& f) {
        return DiasCiviles(f.anio, f.mes, f.dia) * 86400 + f.SegundosDelDia();
    };
    return total(b) - total(a);
}

// The per-table routine of the autoincrement stage.
std::string RutinaDe(const std::string& tabla) {
    if (tabla == "anexopagosctes") return "LasCxCs";
    if (tabla == "anexopagosprov") return "LasCxPs";
    if (tabla == "edoctacli") return "LosClientes";
    if (tabla == "edoctaprov") return "LosProveedores";
    if (tabla == "historicoalmacen") return "ElKardex";
    if (tabla == "promociones") return "SusProductos";
    if (tabla == "vendedores") return "DeVendedores";
    return "";
}

bool AbreHub(Conexion& hub) {
    return AbreBase(Mod.BDRemota, hub, "");
}

const std::string& NombreEspejo() {
    return Mod.BDRemota.cMiBase;
}

}  // namespace

clsCopiaMaestra::clsCopiaMaestra()
    : TablasExcluidas{"actualizacion",
                      "addendas",
                      "anexoreportes",
                      "certificados",
                      "clasificactes",
                      "clasificaprov",
                      "cntpqconfig",
                      "cntpqconfigdetalle",
                      "comisiones",
                      "comisionesporlinea",
                      "comandas",
                      "complementosxml",
                      "configura",
                      "configuraremoto",
                      "desglose",
                      "enespera",
                      "folioscfd",
                      "imagenes",
                      "intereses",
                      "labelmatrix",
                      "listadecostos",
                      "listadeprecios",
                      "listafacturas",
                      "listaremisiones",
                      "notaspendientes",
                      "openssl",
                      "pantallas",
                      "pedimentos",
                      "productosbares",
                      "productoscon",
                      "productosenpromocion",
                      "reportesbin",
                      "sistema",
                      "sqlborrado",
                      "retiroscc",
                      "tapendientes",
                      "tcklogotipos",
                      "tckpendientes",
                      "textosclientes",
                      "textosproductos",
                      "textosproveedores",
                      "timbrespendientes"} {}

bool clsCopiaMaestra::Excluida(const std::string& tabla) const {
    const std::string t = kvtx8::Minusculas(tabla);
    return std::find(TablasExcluidas.begin(), TablasExcluidas.end(), t) != TablasExcluidas.end();
}

int16_t clsCopiaMaestra::Limite() const {
    return std::max<int16_t>(100, Mod.RegistrosATomar);
}

bool clsCopiaMaestra::SigueDespuesDeTabla() {
    if (Mod.Interrumpir) return false;
    Mod.Detener = false;
    return true;
}

void clsCopiaMaestra::PasarTablasYrecibir(int& bitacora, Conexion& espejo, Conexion& local, Conexion& hub,
                                          Conexion& servidorLocal, std::string& matriz, bool& soloRecibir) {
    const std::string archivo = EnCarpeta(kArchivoProblemas);
    problemas_ =
        AbreArchivo(archivo, kvtx8::HayArchivo(archivo) ? ModoArchivo::Agregar : ModoArchivo::Salida);
    Mod.Detener = false;
    Mod.Interrumpir = false;
    Ventana().Texto("Label(7)", "Enviando información... ");
    Ventana().Visible("Label(7)", true);
    Ventana().Temporizador("Timer2", true);
    Ventana().Visible("Progreso", true);
    EscribeBitacora(bitacora, "Inicia envío de información");
    // The notice windows (clsPostits.DescargarPostIts) are put away here once they exist.
    Ventana().TablaActual("");
    Ventana().Visible("TablaActual", true);

    clsEstandar estandar;
    estandar.HandleBitacora = problemas_;
    estandar.ConexionLocal = &local;
    estandar_ = &estandar;

    if (!soloRecibir) {
        EtapaSQLsBorrado(bitacora, local, espejo);
        SigueDespuesDeTabla();
        EtapaAutoincrementales(bitacora, local, espejo);
        EtapaCompletas(bitacora, local);

        Ventana().Etapa("Cambios, borrados y cancelaciones");
        EscribeProblema(bitacora, "borrarycancelar", "Cambios, borrados y cancelaciones", false);
        estandar.ExportarCambios();
        SigueDespuesDeTabla();

        EtapaPorUltimaActualizacion(bitacora, local, espejo, hub, servidorLocal);
    }

    if (AbreHub(hub)) {
        if (Mod.SoloRespaldar == 1 || Ventana().SoloRespaldarMarcado())
            GrabaFechaDeEnvio(bitacora, hub);
        else
            Recibir(bitacora, espejo, local, hub, servidorLocal, matriz);
    }

    Mod.Detener = false;
    Ventana().TablaActual("");
    Ventana().Visible("TablaActual", false);
    // The unread notices (clsPostits.LeerPostits) are shown here once the notice windows exist.
    EscribeBitacora(bitacora, "Finaliza envío de información");
    Ventana().Temporizador("Timer2", false);
    Ventana().Visible("Label(7)", false);
    Ventana().Visible("Progreso", false);
    CierraArchivo(problemas_);
    problemas_ = 0;
    estandar_ = nullptr;
    Mod.BDLocal.CierraBdD(cnFDDUA_);
}

bool clsCopiaMaestra::TablaEnviable(const std::string& tabla, Conexion& local, Conexion& espejo,
                                    std::string& llave, long long& maximo, bool& sinConexion) {
    sinConexion = false;
    if (Excluida(tabla)) return false;
    if (!AbreBaseLocal(local) || !AbreBaseEspejo(espejo)) {
        sinConexion = true;
        return false;
    }
    const std::string llaveLocal = Mod.BDLocal.AutoIncremental(tabla, local);
    if (llaveLocal.empty() || !Mod.BDRemota.HayTabla(tabla, espejo)) {
        sinConexion = !local.Abierta() || !espejo.Abierta();
        return false;
    }
    llave = Mod.BDRemota.AutoIncremental(tabla, espejo);
    if (llave != llaveLocal) {
        sinConexion = !espejo.Abierta();
        return false;
    }
    maximo = Mod.BDRemota.IdMaximo(espejo, tabla, llave);
    // A lost connection reads as 0, which would resend the whole table.
    if (!espejo.Abierta()) {
        sinConexion = true;
        return false;
    }
    return true;
}

void clsCopiaMaestra::EtapaSQLsBorrado(int bitacora, Conexion& local, Conexion& espejo) {
    Ventana().Etapa("SQLs borrado...");
    if (!AbreBaseLocal(local) || !AbreBaseEspejo(espejo)) return;
    if (!Mod.BDRemota.HayTabla("sqlborrado", espejo)) return;
    const long long n = Mod.BDRemota.IdMaximo(espejo, "sqlborrado", "Id");
    if (!espejo.Abierta()) return;
    EscribeProblema(bitacora, "sqlborrado",
                    "enviando registros cuyo campo 'Id' sea mayor a " + std::to_string(n), false);
    estandar_->Tabla = "sqlborrado";
    estandar_->Llave = "Id";
    estandar_->UltimoFolio = static_cast<int32_t>(n);
    estandar_->Limite = Limite();
    estandar_->ExportarInfo("SQLsBorrado");
}

void clsCopiaMaestra::EtapaAutoincrementales(int bitacora, Conexion& local, Conexion& espejo) {
    Ventana().Etapa("Autoincrementales...");
    std::vector<std::string> tablas;
    if (AbreBaseLocal(local)) tablas = ListaDeTablas(local);
    for (const auto& tabla : tablas) {
        if (Mod.Interrumpir) break;
        Ventana().TablaActual(tabla);
        Ventana().Ceder();
        std::string llave;
        long long n = 0;
        bool sinConexion = false;
        if (TablaEnviable(tabla, local, espejo, llave, n, sinConexion)) {
            EscribeProblema(bitacora, tabla,
                            "enviando registros cuyo campo '" + llave + "' sea mayor a " + std::to_string(n),
                            false);
            estandar_->Tabla = tabla;
            estandar_->Llave = llave;
            estandar_->UltimoFolio = static_cast<int32_t>(n);
            estandar_->Limite = Limite();
            estandar_->ExportarInfo(RutinaDe(tabla));
        }
        if (!SigueDespuesDeTabla()) break;
    }
}

void clsCopiaMaestra::CopiarTablaCompleta(const std::string& tabla, const std::string& llave, Conexion& local,
                                          const std::string& rutina) {
    clsEstandar e;
    e.HandleBitacora = problemas_;
    e.ConexionLocal = &local;
    e.Tabla = tabla;
    e.Llave = llave;
    e.Limite = Limite();
    e.ExportarTabla(rutina);
}

void clsCopiaMaestra::EtapaCompletas(int bitacora, Conexion& local) {
    Ventana().Etapa("Completas...");
    struct Completa {
        const char* tabla;
        const char* llave;
    };
    const Completa tablas[] = {{"anexoreportes", "Archivo"},
                               {"clasificactes", "Clasificacion"},
                               {"clasificaprov", "Clasificacion"},
                               {"configura", "Dato"},
                               {"generales", "Id"},
                               {"sistema", "Dato"}};
    for (const auto& t : tablas) {
        const std::string tabla = t.tabla;
        Ventana().TablaActual(tabla);
        Ventana().Ceder();
        if (tabla == "configura") {
            const std::string bandera =
                AbreBaseLocal(local) ? Mod.BDLocal.LeeDato("cncEnviarConfigura", local, "configura") : "";
            if (!EsVerdadero(bandera)) {
                EscribeProblema(bitacora, tabla, "No se envía, no hay cambios", false);
                continue;
            }
            // Cleared before the copy so that a change made meanwhile raises it again; put back when the
            // copy did not finish, or the changes would never be sent.
            Mod.BDLocal.GrabaDato("cncEnviarConfigura", "0", local, "configura");
            EscribeProblema(bitacora, tabla, "Completa", false);
            CopiarTablaCompleta(tabla, t.llave, local, "");
            if (Mod.Detener && AbreBaseLocal(local))
                Mod.BDLocal.GrabaDato("cncEnviarConfigura", bandera, local, "configura");
        } else {
            EscribeProblema(bitacora, tabla, "Completa", false);
            CopiarTablaCompleta(tabla, t.llave, local, "");
        }
        if (Mod.Interrumpir) continue;
        Mod.Detener = false;
    }
}

void clsCopiaMaestra::ObtenerFDDUA(int bitacora, std::string& fddua, Conexion& hub, Conexion& servidorLocal,
                                   bool& ok) {
    EscribeProblema(bitacora, "FDDUA", "Obteniendo fecha-hora del FDDUA...", false);
    fddua.clear();
    ok = AbreHub(hub);
    if (!ok) return;
    if (AbreBase(Mod.BDLocal, servidorLocal, ""))
        fddua = kvtx8::Recorta(Mod.BDLocal.LeeDato("FDDUA", servidorLocal, "concentradorqmx.configuracion"));
    EscribeProblema(bitacora, "FDDUA", "Valor obtenido: " + fddua, false);
}

void clsCopiaMaestra::ObtenerTiemposFADUA(int bitacora, const std::string& fddua, std::string& menor,
                                          std::string& mayor, Conexion& local) {
    menor.clear();
    mayor.clear();
    long long s = 0;
    if (AbreBaseLocal(local)) {
        const kvtx8::FechaHora inicio = Ahora();
        const std::string corte = local.Literal(fddua);
        for (const auto& tabla : ListaDeTablas(local)) {
            if (Excluida(tabla)) continue;
            Ventana().TablaActual("Verificando tiempo en " + tabla);
            Ventana().Ceder();
            Registros rs;
            auto extremo = [&](const char* orden) -> std::string {
                if (!Mod.BDLocal.AbrirTabla(rs, local,
                                            Identificador(tabla) + " WHERE FADUA>=" + corte +
                                                " ORDER BY FADUA" + orden + " LIMIT 1",
                                            "FADUA") ||
                    rs.Eof())
                    return "";
                auto f = kvtx8::LeeFecha(rs.Texto("FADUA"));
                return f ? kvtx8::Formato(*f, kFormato) : "";
            };
            const std::string primero = extremo("");
            if (!primero.empty() && (menor.empty() || primero < menor)) menor = primero;
            const std::string ultimo = extremo(" DESC");
            if (!ultimo.empty() && (mayor.empty() || ultimo > mayor)) mayor = ultimo;
            Mod.BDLocal.CierraTabla(rs);
        }
        s = -std::llabs(SegundosEntre(inicio, Ahora()));
        if (s == -1) s = 0;
    }
    EscribeProblema(bitacora, "FDDUA",
                    "Segundos que tardó en obtener tiempo mínimo y máximo: " + std::to_string(s), false);
    auto mueve = [&](std::string& t) {
        if (t.empty()) return;
        if (auto f = kvtx8::LeeFecha(t)) t = kvtx8::Formato(kvtx8::SumaSegundos(*f, s), kFormato);
    };
    mueve(menor);
    mueve(mayor);
    EscribeProblema(bitacora, "FDDUA", "Tiempo menor: " + menor, false);
    EscribeProblema(bitacora, "FDDUA", "Tiempo mayor: " + mayor, false);
}

void clsCopiaMaestra::EtapaPorUltimaActualizacion(int bitacora, Conexion& local, Conexion& espejo,
                                                  Conexion& hub, Conexion& servidorLocal) {
    std::string fddua, menor, mayor;
    bool ok = false;
    ObtenerFDDUA(bitacora, fddua, hub, servidorLocal, ok);
    if (!ok || fddua.empty()) return;
    ObtenerTiemposFADUA(bitacora, fddua, menor, mayor, local);
    if (menor.empty()) return;

    Ventana().Etapa("Por Últ. act.");
    // The cut-off may only advance past rows that really went: a table passed over for a failed
    // connection, or one whose export stopped, keeps it where it is.
    bool incompleta = false;
    std::vector<std::string> tablas;
    if (AbreBaseLocal(local))
        tablas = ListaDeTablas(local);
    else
        incompleta = true;
    for (const auto& tabla : tablas) {
        if (Mod.Interrumpir) break;
        Ventana().TablaActual(tabla);
        Ventana().Ceder();
        std::string llave;
        long long n = 0;
        bool sinConexion = false;
        if (TablaEnviable(tabla, local, espejo, llave, n, sinConexion)) {
            EscribeProblema(bitacora, tabla, "enviando registros cuyo campo cronológico sea mayor a " + fddua,
                            false);
            estandar_->Tabla = tabla;
            estandar_->Llave = llave;
            estandar_->Cronos(fddua);
            estandar_->Limite = Limite();
            estandar_->ExportarXFADUA();
            if (Mod.Detener) incompleta = true;
        } else if (sinConexion) {
            incompleta = true;
        }
        if (!SigueDespuesDeTabla()) break;
    }

    if (!Mod.Interrumpir && !Mod.Detener && !incompleta &&
        AbreBase(Mod.BDLocal, cnFDDUA_, "concentradorqmx") && !mayor.empty())
        Mod.BDLocal.GrabaDato("FDDUA", mayor, cnFDDUA_);
}

void clsCopiaMaestra::Recibir(int bitacora, Conexion& espejo, Conexion& local, Conexion& hub,
                              Conexion& servidorLocal, std::string& matriz) {
    BitacoraDeErrores(true);
    LimpiaUltimosAvisos();

    Recepcion r{servidorLocal, hub, local, espejo, matriz};
    for (const auto& etapa : Etapas) {
        if (!AbreHub(hub)) continue;
        Ventana().Etapa(etapa.texto);
        EscribeProblema(bitacora, etapa.tabla, etapa.texto, false);
        if (etapa.operacion) etapa.operacion(r);
    }

    AlertasSinArchivo(bitacora, local, hub, matriz);

    BitacoraDeErrores(false);
    GrabaFechaDeEnvio(bitacora, hub);
    // The requests sent as orders to the MATRIZ (LeerDeEnvio, "Envío de movimientos que generan de otro tipo
    // en la matriz", table "enviar_solicitudes") follow here once they exist.
}

bool clsCopiaMaestra::BorraAlerta(Conexion& hub, const std::string& tipo) {
    if (!AbreHub(hub)) return false;
    return hub.Ejecutar(
        kvtx8::CambXXXSQL("DELETE FROM concentradorqmx.alertassinarchivo WHERE BaseDeDatos='XXX'",
                          NombreEspejo(), hub) +
        " AND TipoAlerta=" + kvtx8::NumeroSQL(tipo));
}

void clsCopiaMaestra::AlertasSinArchivo(int bitacora, Conexion& local, Conexion& hub,
                                        const std::string& matriz) {
    if (!AbreHub(hub)) return;
    Registros rs;
    if (!Mod.BDRemota.AbrirTabla(
            rs, hub,
            kvtx8::CambXXXSQL("concentradorqmx.alertassinarchivo WHERE BaseDeDatos='XXX'", NombreEspejo(),
                              hub) +
                " ORDER BY TipoAlerta"))
        return;
    // One deletion takes every alert of its type, so each type is acted on once.
    std::set<std::string> hechas;
    for (; !rs.Eof(); rs.MoveNext()) {
        if (!AbreHub(hub)) continue;
        const std::string tipo = kvtx8::NumeroSQL(rs.Texto("TipoAlerta"));
        if (tipo != "1" && tipo != "2") continue;
        if (!hechas.insert(tipo).second) continue;
        if (tipo == "1") {
            EscribeProblema(bitacora, "enviar_informacion", "Envío de productos a la empresa ESPEJO", false);
            // The product send to ESPEJO is not part of this program yet: say so, and keep the request for
            // the version that has it instead of consuming it unserved.
            EscribeBitacora(bitacora,
                            "Envío de productos a la empresa ESPEJO no disponible en esta versión; "
                            "la alerta queda pendiente");
        } else {
            EscribeProblema(bitacora, "leer_informacion",
                            kvtx8::CambXXX("Leyendo monedas desde matriz (XXX)", matriz), true);
            BorraAlerta(hub, tipo);
            LeerMonedasDeMatriz(bitacora, local, hub, matriz);
        }
    }
    Mod.BDRemota.CierraTabla(rs);
}

void clsCopiaMaestra::LeerMonedasDeMatriz(int, Conexion& local, Conexion& hub, const std::string& matriz) {
    if (!AbreHub(hub)) return;
    Registros monedas, rs;
    if (!Mod.BDRemota.AbrirTabla(monedas, hub, Identificador(matriz) + ".monedas ORDER BY Id")) return;
    const std::vector<std::string> columnas = {"Nombre", "Abreviacion", "Paridad", "Simbolo"};
    for (; !monedas.Eof(); monedas.MoveNext()) {
        Ventana().Ceder();
        if (!AbreBaseLocal(local)) break;
        const std::string id = kvtx8::NumeroSQL(monedas.Texto("Id"));
        std::vector<Valor> valores;
        for (const auto& c : columnas) valores.push_back(monedas.Dato(c));
        if (!Mod.BDLocal.AbrirTabla(rs, local, "monedas WHERE Id=" + id + " LIMIT 1")) continue;
        if (rs.Eof()) {
            std::vector<std::string> todas = {"Id"};
            todas.insert(todas.end(), columnas.begin(), columnas.end());
            valores.insert(valores.begin(), Valor(id));
            Mod.BDLocal.AgregaRegistro(rs, local, "monedas", todas, valores);
        } else {
            Mod.BDLocal.ActualizaRegistro(rs, local, "monedas", columnas, valores, "Id=" + id);
        }
    }
    Mod.BDRemota.CierraTabla(monedas);
    Mod.BDLocal.CierraTabla(rs);
}

void clsCopiaMaestra::GrabaFechaDeEnvio(int bitacora, Conexion& hub) {
    if (!AbreHub(hub)) return;
    EscribeProblema(bitacora, "empresas", "Graba fecha y hora, finalización de envío de información", false);
    const kvtx8::FechaHora ahora = Ahora();
    // An open connection is only known to be lost at its next statement: the registry follows the hub.
    if (!hub.Ejecutar("UPDATE empresas SET FechaUltimoEnvio='" + kvtx8::Formato(ahora, "yyyy-mm-dd") +
                      "',HoraUltimoEnvio='" + kvtx8::Formato(ahora, "hh:nn:ss") + "'" +
                      kvtx8::CambXXXSQL(" WHERE BaseDeDatos='XXX'", NombreEspejo(), hub)))
        return;
    GrabaRegistro(Mod.Prefijo + "_UltimoEnvio", kvtx8::Formato(ahora, kFormato));
}

}  // namespace cnc
