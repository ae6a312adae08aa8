#include "send/cls_copia_maestra.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>

#include "components/transaccion.h"
#include "core/reglas.h"
#include "core/shared_routines.h"
#include "notices/cls_postits.h"
#include "notices/notice_store.h"
#include "send/cls_estandar.h"
#include "send/copia_producto.h"

namespace cnc {

namespace {

constexpr const char* kFormato = "yyyy-mm-dd hh:nn:ss";
// cncEnviarConfigura while configura is being copied: still true to every reader.
constexpr const char* kCopiandoConfigura = "2";

std::vector<std::string> ListaDeTablas(Conexion& cn) {
    std::vector<std::string> tablas;
    Registros rs;
    if (!Mod.BDLocal.AbrirConsulta(rs, cn, "SHOW TABLES")) return tablas;
    for (; !rs.Eof(); rs.MoveNext())
        if (Valor v = rs.Dato(size_t{0})) tablas.push_back(kvtx8::Minusculas(*v));
    return tablas;
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
    if (ContextoCiclo::Interrumpido()) return false;
    Mod.Detener = false;
    return true;
}

std::vector<Etapa> clsCopiaMaestra::EtapasDeEnvio() {
    using M = Etapa::Mitad;
    return {
        {M::Envio, "SQLs borrado...", "", [this](ContextoCiclo& c) { return EtapaSQLsBorrado(c); }},
        {M::Envio, "Autoincrementales...", "",
         [this](ContextoCiclo& c) { return EtapaAutoincrementales(c); }},
        {M::Envio, "Completas...", "", [this](ContextoCiclo& c) { return EtapaCompletas(c); }},
        {M::Envio, "Cambios, borrados y cancelaciones", "borrarycancelar",
         [this](ContextoCiclo& c) { return EtapaCambios(c); }},
        // Shows its caption only once it has a cut-off to send from.
        {M::Envio, "", "", [this](ContextoCiclo& c) { return EtapaPorUltimaActualizacion(c); }},
    };
}

namespace {

Resultado CorreEtapa(ContextoCiclo& ctx, const Etapa& etapa) {
    if (!etapa.texto.empty()) Ventana().Etapa(etapa.texto);
    if (!etapa.tabla.empty()) EscribeProblema(ctx.bitacora, etapa.tabla, etapa.texto, false);
    return etapa.operacion ? etapa.operacion(ctx) : Resultado::Completo;
}

}  // namespace

void clsCopiaMaestra::PasarTablasYrecibir(ContextoCiclo& ctx, const std::vector<Etapa>& recepcion) {
    const std::string archivo = EnCarpeta(kArchivoProblemas);
    ctx.problemas =
        ArchivoDeTexto(archivo, kvtx8::HayArchivo(archivo) ? ModoArchivo::Agregar : ModoArchivo::Salida);
    Mod.Detener = false;
    Mod.Interrumpir = false;
    Ventana().IndicadorOcupado("Enviando información... ");
    Ventana().ProgresoVisible(true);
    EscribeBitacora(ctx.bitacora, "Inicia envío de información");
    // The notice windows go while the cycle runs, and come back with what it brought.
    clsPostits::DescargarPostIts();
    Ventana().TablaActual("");
    Ventana().TablaActualVisible(true);

    clsEstandar estandar;
    estandar.HandleBitacora = ctx.problemas.Numero();
    estandar.ConexionLocal = &ctx.local;
    estandar_ = &estandar;

    // One table for both halves, in the order they run.
    std::vector<Etapa> etapas = EtapasDeEnvio();
    etapas.insert(etapas.end(), recepcion.begin(), recepcion.end());

    envioSuspendido_ = false;
    if (!ctx.soloRecibir) {
        for (const auto& etapa : etapas) {
            if (etapa.mitad != Etapa::Mitad::Envio) continue;
            // An interrupted stage leaves the next ones to end at their first table.
            const Resultado r = CorreEtapa(ctx, etapa);
            SigueDespuesDeTabla();
            // A stage cut by a lost connection leaves the rest of the sending for the next cycle: rows
            // ESPEJO still holds for deletions not replayed hide local rows from the autoincrement stage,
            // and rows that stage did not send would be added by the last-update stage under keys of
            // ESPEJO's own.
            if (r == Resultado::SinConexion) {
                EscribeBitacora(ctx.bitacora,
                                "Envío suspendido hasta el siguiente ciclo: se perdió la conexión");
                envioSuspendido_ = true;
                break;
            }
        }
    }

    // A cycle whose sending was cut receives nothing either: the receiving adds rows to ESPEJO under
    // ESPEJO's own numbers (a MATRIZ product's line, its extra prices), which would take numbers of local
    // rows not sent yet and hide them from the next autoincrement stage for good.
    if (!envioSuspendido_ && AbreBase(Mod.BDRemota, ctx.hub, "")) {
        if (Mod.SoloRespaldar == 1 || Ventana().SoloRespaldarMarcado())
            GrabaFechaDeEnvio(ctx);
        else
            Recibir(ctx, etapas);
    }

    Mod.Detener = false;
    Ventana().TablaActual("");
    Ventana().TablaActualVisible(false);
    clsPostits::LeerPostits();
    EscribeBitacora(ctx.bitacora, "Finaliza envío de información");
    Ventana().QuitaIndicadorOcupado();
    Ventana().ProgresoVisible(false);
    ctx.problemas.Cierra();
    estandar_ = nullptr;
}

bool clsCopiaMaestra::TablaEnviable(ContextoCiclo& ctx, const std::string& tabla, std::string& llave,
                                    long long& maximo, Resultado& r) {
    Conexion& local = ctx.local;
    Conexion& espejo = ctx.espejo;
    if (Excluida(tabla)) return false;
    auto sinConexion = [&](bool perdida) {
        if (perdida) r = Peor(r, Resultado::SinConexion);
        return false;
    };
    if (!AbreBaseLocal(local) || !AbreBaseEspejo(espejo)) return sinConexion(true);
    const std::string llaveLocal = Mod.BDLocal.AutoIncremental(tabla, local);
    if (llaveLocal.empty() || !Mod.BDRemota.HayTabla(tabla, espejo))
        return sinConexion(!local.Abierta() || !espejo.Abierta());
    llave = Mod.BDRemota.AutoIncremental(tabla, espejo);
    if (llave != llaveLocal) return sinConexion(!espejo.Abierta());
    maximo = Mod.BDRemota.IdMaximo(espejo, tabla, llave);
    // A lost connection reads as 0, which would resend the whole table.
    if (!espejo.Abierta()) return sinConexion(true);
    return true;
}

Resultado clsCopiaMaestra::ExportaTabla(ContextoCiclo&, const std::string& tabla, const std::string& llave,
                                        Resultado (clsEstandar::*como)()) {
    estandar_->Tabla = tabla;
    estandar_->Llave = llave;
    estandar_->Limite = Limite();
    return (estandar_->*como)();
}

Resultado clsCopiaMaestra::EtapaSQLsBorrado(ContextoCiclo& ctx) {
    if (!AbreBaseLocal(ctx.local) || !AbreBaseEspejo(ctx.espejo)) return Resultado::SinConexion;
    if (!Mod.BDRemota.HayTabla("sqlborrado", ctx.espejo))
        return ctx.espejo.Abierta() ? Resultado::Completo : Resultado::SinConexion;
    const long long n = Mod.BDRemota.IdMaximo(ctx.espejo, "sqlborrado", "Id");
    if (!ctx.espejo.Abierta()) return Resultado::SinConexion;
    EscribeProblema(ctx.bitacora, "sqlborrado",
                    "enviando registros cuyo campo 'Id' sea mayor a " + std::to_string(n), false);
    estandar_->UltimoFolio = n;
    return ExportaTabla(ctx, "sqlborrado", "Id", &clsEstandar::ExportarInfo);
}

Resultado clsCopiaMaestra::EtapaAutoincrementales(ContextoCiclo& ctx) {
    Resultado r = Resultado::Completo;
    std::vector<std::string> tablas;
    if (AbreBaseLocal(ctx.local))
        tablas = ListaDeTablas(ctx.local);
    else
        r = Resultado::SinConexion;
    for (const auto& tabla : tablas) {
        if (ContextoCiclo::Interrumpido()) break;
        Ventana().TablaActual(tabla);
        Ventana().Ceder();
        std::string llave;
        long long n = 0;
        if (TablaEnviable(ctx, tabla, llave, n, r)) {
            EscribeProblema(ctx.bitacora, tabla,
                            "enviando registros cuyo campo '" + llave + "' sea mayor a " + std::to_string(n),
                            false);
            estandar_->UltimoFolio = n;
            r = Peor(r, ExportaTabla(ctx, tabla, llave, &clsEstandar::ExportarInfo));
        }
        if (!SigueDespuesDeTabla()) break;
    }
    return ContextoCiclo::Interrumpido() ? Resultado::Interrumpido : r;
}

Resultado clsCopiaMaestra::CopiarTablaCompleta(ContextoCiclo& ctx, const std::string& tabla,
                                               const std::string& llave) {
    clsEstandar e;
    e.HandleBitacora = ctx.problemas.Numero();
    e.ConexionLocal = &ctx.local;
    e.Tabla = tabla;
    e.Llave = llave;
    e.Limite = Limite();
    return e.ExportarTabla();
}

Resultado clsCopiaMaestra::EtapaCompletas(ContextoCiclo& ctx) {
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
    Resultado r = Resultado::Completo;
    for (const auto& t : tablas) {
        const std::string tabla = t.tabla;
        Ventana().TablaActual(tabla);
        Ventana().Ceder();
        if (tabla == "configura") {
            const std::string bandera =
                AbreBaseLocal(ctx.local) ? Mod.BDLocal.LeeDato("cncEnviarConfigura", ctx.local, "configura")
                                         : "";
            if (!ComoBooleano(bandera)) {
                EscribeProblema(ctx.bitacora, tabla, "No se envía, no hay cambios", false);
                continue;
            }
            // Marked as being copied before the copy, and cleared only from that mark once every row went: a
            // crash leaves it raised, a failed copy puts it back, and a change made meanwhile raises it
            // again.
            Mod.BDLocal.GrabaDato("cncEnviarConfigura", kCopiandoConfigura, ctx.local, "configura");
            EscribeProblema(ctx.bitacora, tabla, "Completa", false);
            const Resultado copia = CopiarTablaCompleta(ctx, tabla, t.llave);
            r = Peor(r, copia);
            if (AbreBaseLocal(ctx.local))
                ctx.local.Ejecutar("UPDATE configura SET Contenido=" +
                                   ctx.local.Literal(copia == Resultado::Completo ? "0" : bandera) +
                                   " WHERE Dato='cncEnviarConfigura' AND Contenido='" + kCopiandoConfigura +
                                   "'");
        } else {
            EscribeProblema(ctx.bitacora, tabla, "Completa", false);
            r = Peor(r, CopiarTablaCompleta(ctx, tabla, t.llave));
        }
        if (ContextoCiclo::Interrumpido()) continue;
        Mod.Detener = false;
    }
    return r;
}

Resultado clsCopiaMaestra::EtapaCambios(ContextoCiclo&) {
    return estandar_->ExportarCambios();
}

std::string clsCopiaMaestra::ObtenerFDDUA(ContextoCiclo& ctx) {
    EscribeProblema(ctx.bitacora, "FDDUA", "Obteniendo fecha-hora del FDDUA...", false);
    if (!AbreBase(Mod.BDRemota, ctx.hub, "")) return "";
    std::string fddua;
    if (AbreBase(Mod.BDLocal, ctx.servidorLocal, ""))
        fddua =
            kvtx8::Recorta(Mod.BDLocal.LeeDato("FDDUA", ctx.servidorLocal, "concentradorqmx.configuracion"));
    EscribeProblema(ctx.bitacora, "FDDUA", "Valor obtenido: " + fddua, false);
    return fddua;
}

void clsCopiaMaestra::ObtenerTiemposFADUA(ContextoCiclo& ctx, const std::string& fddua, std::string& menor,
                                          std::string& mayor) {
    Conexion& local = ctx.local;
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
    EscribeProblema(ctx.bitacora, "FDDUA",
                    "Segundos que tardó en obtener tiempo mínimo y máximo: " + std::to_string(s), false);
    auto mueve = [&](std::string& t) {
        if (t.empty()) return;
        if (auto f = kvtx8::LeeFecha(t)) t = kvtx8::Formato(kvtx8::SumaSegundos(*f, s), kFormato);
    };
    mueve(menor);
    mueve(mayor);
    EscribeProblema(ctx.bitacora, "FDDUA", "Tiempo menor: " + menor, false);
    EscribeProblema(ctx.bitacora, "FDDUA", "Tiempo mayor: " + mayor, false);
}

void clsCopiaMaestra::GrabaFDDUA(ContextoCiclo& ctx, const std::string& valor) {
    // Not stored: the same rows go again next time, which loses nothing; the log says so.
    Conexion qmx;
    if (!AbreBase(Mod.BDLocal, qmx, "concentradorqmx") || !Mod.BDLocal.GrabaDato("FDDUA", valor, qmx))
        EscribeProblema(ctx.bitacora, "FDDUA", "No se grabó el nuevo valor: " + qmx.MensajeError(), false);
    Mod.BDLocal.CierraBdD(qmx);
}

Resultado clsCopiaMaestra::EtapaPorUltimaActualizacion(ContextoCiclo& ctx) {
    const std::string fddua = ObtenerFDDUA(ctx);
    if (fddua.empty()) return Resultado::Completo;
    std::string menor, mayor;
    ObtenerTiemposFADUA(ctx, fddua, menor, mayor);
    if (menor.empty()) return Resultado::Completo;

    Ventana().Etapa("Por Últ. act.");
    Resultado r = Resultado::Completo;
    std::vector<std::string> tablas;
    if (AbreBaseLocal(ctx.local))
        tablas = ListaDeTablas(ctx.local);
    else
        r = Resultado::SinConexion;
    for (const auto& tabla : tablas) {
        if (ContextoCiclo::Interrumpido()) break;
        Ventana().TablaActual(tabla);
        Ventana().Ceder();
        std::string llave;
        long long n = 0;
        if (TablaEnviable(ctx, tabla, llave, n, r)) {
            EscribeProblema(ctx.bitacora, tabla,
                            "enviando registros cuyo campo cronológico sea mayor a " + fddua, false);
            estandar_->Cronos(fddua);
            r = Peor(r, ExportaTabla(ctx, tabla, llave, &clsEstandar::ExportarXFADUA));
        }
        if (!SigueDespuesDeTabla()) break;
    }
    if (ContextoCiclo::Interrumpido()) r = Peor(r, Resultado::Interrumpido);
    // The cut-off may only advance past rows that really went: any table passed over for a failed
    // connection, or whose export did not finish, keeps it where it is.
    if (r == Resultado::Completo && !mayor.empty()) GrabaFDDUA(ctx, mayor);
    return r;
}

void clsCopiaMaestra::Recibir(ContextoCiclo& ctx, const std::vector<Etapa>& etapas) {
    BitacoraDeErrores(true);
    LimpiaUltimosAvisos();

    for (const auto& etapa : etapas) {
        if (etapa.mitad != Etapa::Mitad::Recepcion) continue;
        if (!AbreBase(Mod.BDRemota, ctx.hub, "")) continue;
        CorreEtapa(ctx, etapa);
    }

    AlertasSinArchivo(ctx);

    BitacoraDeErrores(false);
    GrabaFechaDeEnvio(ctx);
    for (const auto& etapa : etapas) {
        if (etapa.mitad != Etapa::Mitad::Cierre) continue;
        if (!AbreBase(Mod.BDRemota, ctx.hub, "")) continue;
        CorreEtapa(ctx, etapa);
    }
}

bool clsCopiaMaestra::BorraAlerta(Conexion& hub, const std::string& tipo) {
    if (!AbreBase(Mod.BDRemota, hub, "")) return false;
    return hub.Ejecutar(
        kvtx8::CambXXXSQL("DELETE FROM concentradorqmx.alertassinarchivo WHERE BaseDeDatos='XXX'",
                          NombreEspejo(), hub) +
        " AND TipoAlerta=" + kvtx8::NumeroSQL(tipo));
}

void clsCopiaMaestra::AlertasSinArchivo(ContextoCiclo& ctx) {
    Conexion& hub = ctx.hub;
    if (!AbreBase(Mod.BDRemota, hub, "")) return;
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
        if (!AbreBase(Mod.BDRemota, hub, "")) continue;
        const std::string tipo = kvtx8::NumeroSQL(rs.Texto("TipoAlerta"));
        if (tipo != "1" && tipo != "2") continue;
        if (!hechas.insert(tipo).second) continue;
        if (tipo == "1") {
            EscribeProblema(ctx.bitacora, "enviar_informacion", "Envío de productos a la empresa ESPEJO",
                            false);
            BorraAlerta(hub, tipo);
            EnviarProductos(ctx);
        } else {
            EscribeProblema(ctx.bitacora, "leer_informacion",
                            kvtx8::CambXXX("Leyendo monedas desde matriz (XXX)", ctx.matriz), true);
            BorraAlerta(hub, tipo);
            LeerMonedasDeMatriz(ctx);
        }
    }
    Mod.BDRemota.CierraTabla(rs);
}

void clsCopiaMaestra::LeerMonedasDeMatriz(ContextoCiclo& ctx) {
    Conexion& hub = ctx.hub;
    Conexion& local = ctx.local;
    if (!AbreBase(Mod.BDRemota, hub, "")) return;
    Registros monedas, rs;
    if (!Mod.BDRemota.AbrirTabla(monedas, hub, Identificador(ctx.matriz, "monedas") + " ORDER BY Id")) return;
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

void clsCopiaMaestra::GrabaFechaDeEnvio(ContextoCiclo& ctx) {
    Conexion& hub = ctx.hub;
    if (!AbreBase(Mod.BDRemota, hub, "")) return;
    EscribeProblema(ctx.bitacora, "empresas", "Graba fecha y hora, finalización de envío de información",
                    false);
    const kvtx8::FechaHora ahora = Ahora();
    // An open connection is only known to be lost at its next statement: the registry follows the hub.
    if (!hub.Ejecutar("UPDATE empresas SET FechaUltimoEnvio='" + kvtx8::Formato(ahora, "yyyy-mm-dd") +
                      "',HoraUltimoEnvio='" + kvtx8::Formato(ahora, "hh:nn:ss") + "'" +
                      kvtx8::CambXXXSQL(" WHERE BaseDeDatos='XXX'", NombreEspejo(), hub)))
        return;
    GrabaRegistro(Mod.Prefijo + "_UltimoEnvio", kvtx8::Formato(ahora, kFormato));
}

namespace {

// The caption of one product of a walk.
std::string TituloDeProducto(const std::string& clave, const kvtx8::CicloSecuencial& ciclo) {
    return kvtx8::CambXXX("Producto 'XXX'", clave) + "\n" + std::to_string(ciclo.RegistroActual()) + " de " +
           std::to_string(ciclo.RegistrosTotales());
}

// The end of a walk over the products: its result, the screen cleared, the closing log line.
Resultado TerminaPaseDeProductos(kvtx8::CicloSecuencial& ciclo, Resultado r, int bitacora, const char* linea) {
    if (ContextoCiclo::Interrumpido()) r = Peor(r, Resultado::Interrumpido);
    ciclo.Cierra();
    Mod.Detener = false;
    Ventana().TablaActual("");
    Ventana().Etapa("");
    Ventana().ProgresoVisible(false);
    EscribeBitacora(bitacora, linea);
    return r;
}

bool EsFechaOHora(int tipo) {
    return tipo == kvtx8::adDate || tipo == kvtx8::adDBDate || tipo == kvtx8::adDBTime ||
           tipo == kvtx8::adDBTimeStamp;
}

// The value of a column, never null where the column has a value of its own: a number 0, a text "". A
// missing date stays missing, as '' would be stored as the zero date.
Valor SinNulo(const Registros& rs, const std::string& campo) {
    const Valor v = rs.Dato(campo);
    if (v) return v;
    const int tipo = rs.Tipo(campo);
    if (EsFechaOHora(tipo)) return std::nullopt;
    return kvtx8::EsTipoNumerico(tipo) ? Valor("0") : Valor(BasesDD::NoNull(v));
}

// Writes one local row into the ESPEJO table: added through the structure record set when `suyo` holds
// none, else rewritten column by column on the ESPEJO row's own Id. False when the ESPEJO refused it.
bool EscribeEnEspejo(Conexion& espejo, const Registros& mio, const Registros& suyo,
                     const Registros& estructura, const std::vector<std::string>& campos,
                     const std::string& tabla) {
    if (suyo.Eof()) {
        Registros nuevo = estructura;
        nuevo.AddNew();
        clsEstandar::PasaCampos(mio, nuevo, campos, "");
        if (nuevo.Update()) return true;
        // The local Id is already some other ESPEJO row's: the ESPEJO numbers this one itself.
        if (espejo.UltimoError() != 1062) return false;
        nuevo = estructura;
        nuevo.AddNew();
        clsEstandar::PasaCampos(mio, nuevo, campos, "Id");
        return nuevo.Update();
    }
    std::vector<std::string> columnas;
    std::vector<Valor> valores;
    for (const auto& c : campos) {
        if (kvtx8::IgualSinMayusculas(c, "Id") || !mio.TieneCampo(c)) continue;
        columnas.push_back(c);
        valores.push_back(SinNulo(mio, c));
    }
    Registros rs;
    return Mod.BDRemota.ActualizaRegistro(rs, espejo, tabla, columnas, valores,
                                          "Id = " + std::to_string(suyo.Entero("Id")));
}

// A block whose statements outgrow this goes product by product (well under the server's packet limit).
constexpr size_t kTextoMaximoProductos = 4u << 20;

// The ESPEJO side of one table (products or annexes) within a block: which of the local rows it holds, by
// its own Id, and the statements that bring it level, kept in the order the walk would send them.
struct LadoEspejo {
    LadoEspejo(const char* t, const char* c) : tabla(t), columna(c) {}
    const char* tabla;
    const char* columna;  // the column the product's Clave is looked up by
    std::map<size_t, int64_t> suyos;  // row of the block -> Id of the ESPEJO row it rewrites
    std::set<int64_t> tomadas;         // Ids held, as far as the block's new rows need to know
    int64_t contador = 0;              // the ESPEJO's next number
    std::vector<std::string> inserciones;
    std::string cambios, actualiza;  // the rows rewritten, as one statement and its ending
    std::string abierta;             // the open multi-row insert
    size_t largo = 0;                // of all the statements
    bool abiertaConId = false;
};

// Whether two Claves could be equal under the server's collation without being equal byte for byte:
// such a block cannot be followed in memory and goes product by product.
bool ClavesDudosas(const std::vector<std::string>& claves) {
    std::set<std::string> vistas;
    for (const auto& c : claves) {
        std::string p;
        for (unsigned char ch : c) {
            if (ch >= 0x80) return true;
            p += static_cast<char>(std::tolower(ch));
        }
        while (!p.empty() && (p.back() == ' ' || static_cast<unsigned char>(p.back()) < 0x20)) p.pop_back();
        if (!vistas.insert(p).second) return true;
    }
    return false;
}

// The row of the block each ESPEJO row met stands for, one look-up per row in one request, as the walk
// would ask it (the first the server returns).
bool BuscaPorClave(BasesDD& bd, Conexion& cn, const char* tabla, const char* columna, const std::vector<std::string>& claves,
                   const std::vector<size_t>& filas, const std::string& columnas, Registros& rs) {
    std::string sql;
    for (size_t i : filas)
        sql += std::string(sql.empty() ? "" : " UNION ALL ") + "(SELECT " + columnas + "," + std::to_string(i) +
               " AS cnc_fila FROM " + kvtx8::Identificador(tabla) + " WHERE " + kvtx8::Identificador(columna) +
               " = " + cn.Literal(claves[i]) + " LIMIT 1)";
    if (sql.empty()) return true;
    return bd.AbrirConsulta(rs, cn, sql);
}

// The ESPEJO row each row of the block meets by its Clave, as BuscaPorClave finds it, asked first all at
// once: a Clave the ESPEJO holds once, byte for byte, meets that row, since the block's Claves differ under
// the collation (ClavesDudosas); the rows left ask one by one, and only when some ESPEJO row met by the
// block is not yet accounted for.
bool IdsPorClave(Conexion& espejo, const char* tabla, const char* columna, const std::vector<std::string>& claves,
                 const std::vector<size_t>& filas, std::map<size_t, int64_t>& suyos) {
    if (filas.empty()) return true;
    std::string lista;
    std::map<std::string, size_t> porClave;
    for (size_t i : filas) {
        lista += (lista.empty() ? "" : ",") + espejo.Literal(claves[i]);
        porClave.emplace(claves[i], i);
    }
    const std::string col = kvtx8::Identificador(columna);
    Registros rs;
    if (!Mod.BDRemota.AbrirConsulta(rs, espejo,
                                    "SELECT " + col + " AS cnc_clave, MIN(Id) AS cnc_id, COUNT(*) AS cnc_cuantos FROM " +
                                        kvtx8::Identificador(tabla) + " WHERE " + col + " IN (" + lista +
                                        ") GROUP BY " + col))
        return false;
    bool sueltos = false;
    for (; !rs.Eof(); rs.MoveNext()) {
        const auto it = porClave.find(rs.Texto("cnc_clave"));
        if (it == porClave.end() || rs.Entero("cnc_cuantos") != 1) {
            sueltos = true;
            continue;
        }
        suyos.emplace(it->second, rs.Entero("cnc_id"));
    }
    if (!sueltos) return true;
    std::vector<size_t> resto;
    for (size_t i : filas)
        if (!suyos.count(i)) resto.push_back(i);
    if (!BuscaPorClave(Mod.BDRemota, espejo, tabla, columna, claves, resto, "Id", rs)) return false;
    for (; !rs.Eof(); rs.MoveNext()) suyos.emplace(static_cast<size_t>(rs.Entero("cnc_fila")), rs.Entero("Id"));
    return true;
}

// The local annex of each product of the block, as BuscaPorClave finds it, asked first all at once: when
// every annex met names one product of the block byte for byte, and no product has two, each is its
// product's; anything else asks product by product.
bool AnexosPorClave(Conexion& local, const std::vector<std::string>& claves, Registros& anexos,
                    std::map<size_t, size_t>& anexoDe) {
    std::string lista;
    std::map<std::string, size_t> porClave;
    for (size_t i = 0; i < claves.size(); ++i) {
        lista += (lista.empty() ? "" : ",") + local.Literal(claves[i]);
        porClave.emplace(claves[i], i);
    }
    if (!Mod.BDLocal.AbrirConsulta(anexos, local,
                                   "SELECT anexoproductos.* FROM anexoproductos WHERE Producto IN (" + lista + ")"))
        return false;
    bool claras = true;
    for (size_t k = 0; claras && !anexos.Eof(); anexos.MoveNext(), ++k) {
        const auto it = porClave.find(anexos.Texto("Producto"));
        claras = it != porClave.end() && anexoDe.emplace(it->second, k).second;
    }
    if (claras) return true;
    anexoDe.clear();
    std::vector<size_t> todas(claves.size());
    for (size_t i = 0; i < todas.size(); ++i) todas[i] = i;
    if (!BuscaPorClave(Mod.BDLocal, local, "anexoproductos", "Producto", claves, todas, "anexoproductos.*", anexos))
        return false;
    for (size_t k = 0; !anexos.Eof(); anexos.MoveNext(), ++k) anexoDe.emplace(anexos.Entero("cnc_fila"), k);
    return true;
}

bool AsientaLado(Conexion& espejo, LadoEspejo& lado, const std::vector<std::string>& claves,
                 const std::vector<size_t>& filas, const std::vector<int64_t>& idsNuevos) {
    Registros rs;
    if (!IdsPorClave(espejo, lado.tabla, lado.columna, claves, filas, lado.suyos)) return false;
    std::string ids;
    for (int64_t id : idsNuevos) ids += (ids.empty() ? "" : ",") + std::to_string(id);
    if (!ids.empty()) {
        if (!Mod.BDRemota.AbrirConsulta(rs, espejo, "SELECT Id FROM " + kvtx8::Identificador(lado.tabla) +
                                                       " WHERE Id IN (" + ids + ")"))
            return false;
        for (; !rs.Eof(); rs.MoveNext()) lado.tomadas.insert(rs.Entero("Id"));
    }
    const Valor v = espejo.Escalar(
        "SELECT COALESCE(AUTO_INCREMENT,0) FROM information_schema.TABLES WHERE TABLE_SCHEMA=DATABASE() AND "
        "TABLE_NAME=" +
        espejo.Literal(lado.tabla));
    if (!v) return false;
    lado.contador = std::strtoll(v->c_str(), nullptr, 10);
    return true;
}

void CierraInsercion(LadoEspejo& lado) {
    if (!lado.abierta.empty()) lado.inserciones.push_back(std::move(lado.abierta));
    lado.abierta.clear();
}

// One local row into the ESPEJO, as EscribeEnEspejo would write it; false when the block cannot tell the
// outcome (a local Id that is not a plain number).
bool AgregaRenglon(Conexion& espejo, LadoEspejo& lado, size_t fila, const Registros& mio,
                   const std::vector<std::string>& campos) {
    auto it = lado.suyos.find(fila);
    if (it != lado.suyos.end()) {
        // Rewritten on its ESPEJO Id. All of them go in one INSERT ... ON DUPLICATE KEY UPDATE, which ends
        // as their UPDATEs: the Id exists, so the primary key meets first and that row takes the values.
        std::string tupla = "(" + std::to_string(it->second);
        std::string lista = "Id", asigna;
        for (const auto& c : campos) {
            if (kvtx8::IgualSinMayusculas(c, "Id") || !mio.TieneCampo(c)) continue;
            tupla += "," + espejo.Literal(SinNulo(mio, c));
            if (!lado.cambios.empty()) continue;
            lista += "," + kvtx8::Identificador(c);
            asigna += (asigna.empty() ? "" : ",") + kvtx8::Identificador(c) + "=VALUES(" +
                      kvtx8::Identificador(c) + ")";
        }
        tupla += ")";
        if (asigna.empty() && lado.cambios.empty()) return true;
        if (lado.cambios.empty()) {
            lado.cambios = "INSERT INTO " + kvtx8::Identificador(lado.tabla) + " (" + lista + ") VALUES " + tupla;
            lado.actualiza = " ON DUPLICATE KEY UPDATE " + asigna;
        } else {
            lado.cambios += "," + tupla;
        }
        lado.largo += tupla.size();
        return true;
    }
    // The local Id when the ESPEJO has it free at this point of the walk, else the ESPEJO numbers it.
    const std::string clave = mio.Texto("Id");
    const int64_t id = mio.Entero("Id");
    if (!mio.TieneCampo("Id") || std::to_string(id) != clave) return false;
    const bool conId = !lado.tomadas.count(id);
    const int64_t queda = conId ? id : lado.contador;
    lado.tomadas.insert(queda);
    lado.contador = std::max(lado.contador, queda + 1);
    std::string tupla;
    for (const auto& c : campos) {
        if ((!conId && kvtx8::IgualSinMayusculas(c, "Id")) || !mio.TieneCampo(c)) continue;
        tupla += (tupla.empty() ? "(" : ",") + espejo.Literal(mio.Dato(c));
    }
    tupla += ")";
    lado.largo += tupla.size();
    if (!lado.abierta.empty() && lado.abiertaConId == conId) {
        lado.abierta += "," + tupla;
        return true;
    }
    // Rows numbered by the ESPEJO and rows keeping their Id never share a statement: mixed, the server
    // may reserve numbers it does not use.
    CierraInsercion(lado);
    std::string lista;
    for (const auto& c : campos) {
        if ((!conId && kvtx8::IgualSinMayusculas(c, "Id")) || !mio.TieneCampo(c)) continue;
        lista += (lista.empty() ? "" : ",") + kvtx8::Identificador(c);
    }
    lado.abierta = "INSERT INTO " + kvtx8::Identificador(lado.tabla) + " (" + lista + ") VALUES " + tupla;
    lado.largo += lado.abierta.size();
    lado.abiertaConId = conId;
    return true;
}

}  // namespace

clsCopiaMaestra::BloqueProductos clsCopiaMaestra::EnviaBloqueProductos(Conexion& local, Conexion& espejo,
                                                                        Registros& productos,
                                                                        const kvtx8::CicloSecuencial& ciclo,
                                                                        const std::vector<std::string>& campos,
                                                                        const std::vector<std::string>& camposAnexo) {
    BloqueProductos b;
    const size_t inicio = productos.Posicion(), fin = productos.RecordCount();
    // A connection to open again goes product by product, which reports it once.
    if (inicio >= fin || !local.Abierta() || !espejo.Abierta()) return b;
    std::vector<std::string> claves;
    std::vector<size_t> todas;
    for (size_t i = inicio; i < fin; ++i) {
        productos.IrA(i);
        claves.push_back(productos.Texto("Clave"));
        todas.push_back(i - inicio);
    }
    productos.IrA(inicio);
    if (ClavesDudosas(claves)) return b;

    // The local annexes, each product's first as the walk reads it.
    Registros anexos;
    std::map<size_t, size_t> anexoDe;  // row of the block -> row of `anexos`
    if (!AnexosPorClave(local, claves, anexos, anexoDe)) return b;

    LadoEspejo prod("productos", "Clave"), anexo("anexoproductos", "Producto");
    std::vector<int64_t> idsProd, idsAnexo;
    for (size_t i = inicio; i < fin; ++i) {
        productos.IrA(i);
        idsProd.push_back(productos.Entero("Id"));
    }
    productos.IrA(inicio);
    std::vector<size_t> conAnexo;
    for (const auto& [fila, k] : anexoDe) {
        conAnexo.push_back(fila);
        anexos.IrA(k);
        idsAnexo.push_back(anexos.Entero("Id"));
    }
    kvtx8::Transaccion tx(espejo);
    if (!tx.Activa() || !AsientaLado(espejo, prod, claves, todas, idsProd) ||
        !AsientaLado(espejo, anexo, claves, conAnexo, idsAnexo))
        return productos.IrA(inicio), b;

    size_t j = 0;
    for (; j < claves.size(); ++j) {
        productos.IrA(inicio + j);
        Ventana().TablaActual(kvtx8::CambXXX("Producto 'XXX'", claves[j]) + "\n" +
                              std::to_string(ciclo.RegistroActual() + static_cast<long long>(j)) + " de " +
                              std::to_string(ciclo.RegistrosTotales()));
        Ventana().Ceder();
        if (!AgregaRenglon(espejo, prod, j, productos, campos)) return productos.IrA(inicio), b;
        if (auto it = anexoDe.find(j); it != anexoDe.end()) {
            anexos.IrA(it->second);
            if (!AgregaRenglon(espejo, anexo, j, anexos, camposAnexo)) return productos.IrA(inicio), b;
        }
        // The product on screen goes even when the operator has just asked to stop.
        if (ContextoCiclo::Detenido()) {
            ++j;
            break;
        }
        if (prod.largo + anexo.largo > kTextoMaximoProductos) return productos.IrA(inicio), b;
    }
    // As the walk checks both sides before each product: one gone away sends nothing of the block.
    if (!AbreBaseLocal(local) || !AbreBaseEspejo(espejo)) return productos.IrA(inicio), b;
    CierraInsercion(prod);
    CierraInsercion(anexo);
    std::string texto;
    for (auto* lado : {&prod, &anexo}) {
        for (const auto& sql : lado->inserciones) texto += sql + ";";
        if (!lado->cambios.empty()) texto += lado->cambios + lado->actualiza + ";";
    }
    if ((!texto.empty() && !espejo.EjecutarVarias(texto)) || !tx.Confirma()) {
        // Refused or lost: the block goes product by product, which says which and why.
        tx.Deshace();
        productos.IrA(inicio);
        return b;
    }
    productos.IrA(inicio);
    b.hecho = true;
    b.filas = j;
    ++bloquesProductos_;
    return b;
}

Resultado clsCopiaMaestra::EnviarProductos(ContextoCiclo& ctx) {
    const int b = ctx.bitacora;
    Conexion& local = ctx.local;
    Conexion& espejo = ctx.espejo;
    Mod.Detener = false;
    Ventana().Etapa("Enviando productos");
    Ventana().ProgresoVisible(true);
    EscribeBitacora(b, "Inicia envío de productos");

    Resultado r = Resultado::Completo;
    kvtx8::CicloSecuencial ciclo;
    ciclo.Tabla = "productos";
    ciclo.Llave = "Clave";
    Registros productos, estructura, estructuraAnexo;
    std::vector<std::string> campos, camposAnexo;
    if (!AbreBaseLocal(local)) {
        AvisaDesconexion(b, true);
        r = Resultado::SinConexion;
    } else if (!AbreBaseEspejo(espejo)) {
        AvisaDesconexion(b, false);
        r = Resultado::SinConexion;
    } else if (!ciclo.AbrirTabla(productos, local, Limite()) ||
               !Mod.BDRemota.AbrirTabla(estructuraAnexo, espejo, "anexoproductos LIMIT 0") ||
               !Mod.BDRemota.AbrirTabla(estructura, espejo, "productos LIMIT 0")) {
        EscribeBitacora(b, "No se pudieron leer los productos: " +
                               (local.UltimoError() ? local.MensajeError() : espejo.MensajeError()));
        r = ErrorPasajero(local) || ErrorPasajero(espejo) ? Resultado::SinConexion : Resultado::Incompleto;
    } else {
        Mod.BDRemota.ObtenerEstructura(estructura, campos);
        Mod.BDRemota.ObtenerEstructura(estructuraAnexo, camposAnexo);
        // Left on for the whole walk rather than switched at every block.
        kvtx8::Conexion::VariasSentencias varias(espejo);
        int porRenglon = 0;  // the block that goes product by product
        while (!ciclo.Eof()) {
            if (!SoloPorRenglon && ciclo.Bloques() != porRenglon) {
                const BloqueProductos bloque =
                    EnviaBloqueProductos(local, espejo, productos, ciclo, campos, camposAnexo);
                if (bloque.hecho) {
                    if (ContextoCiclo::Detenido()) break;
                    for (size_t i = 0; i < bloque.filas; ++i) ciclo.SiguienteRegistro();
                    continue;
                }
                porRenglon = ciclo.Bloques();
            }
            const std::string clave = productos.Texto("Clave");
            const bool localAbierta = AbreBaseLocal(local);
            if (localAbierta) {
                Ventana().TablaActual(TituloDeProducto(clave, ciclo));
                Ventana().Ceder();
            } else {
                AvisaDesconexion(b, true);
                Mod.Detener = true;
                r = Resultado::SinConexion;
            }
            // The product on screen goes even when the operator has just asked to stop.
            if (localAbierta && AbreBaseEspejo(espejo)) {
                // The product and its annex are one unit in the ESPEJO; a product alone is one statement.
                Registros suyo, anexo, suAnexo;
                const bool conAnexo =
                    Mod.BDLocal.AbrirTabla(
                        anexo, local,
                        kvtx8::CambXXXSQL("anexoproductos WHERE Producto = 'XXX' LIMIT 1", clave, local)) &&
                    !anexo.Eof();
                std::optional<kvtx8::Transaccion> unidad;
                if (conAnexo) unidad.emplace(espejo);
                bool escrito =
                    (!unidad || unidad->Activa()) &&
                    Mod.BDRemota.AbrirTabla(
                        suyo, espejo,
                        kvtx8::CambXXXSQL("productos WHERE Clave = 'XXX' LIMIT 1", clave, espejo), "Id") &&
                    EscribeEnEspejo(espejo, productos, suyo, estructura, campos, "productos");
                if (escrito && conAnexo)
                    escrito =
                        Mod.BDRemota.AbrirTabla(
                            suAnexo, espejo,
                            kvtx8::CambXXXSQL("anexoproductos WHERE Producto = 'XXX' LIMIT 1", clave, espejo),
                            "Id") &&
                        EscribeEnEspejo(espejo, anexo, suAnexo, estructuraAnexo, camposAnexo,
                                        "anexoproductos");
                if (escrito && unidad) escrito = unidad->Confirma();
                if (!escrito) {
                    if (unidad) unidad->Deshace();
                    if (ErrorPasajero(espejo) || ErrorPasajero(local)) {
                        AvisaDesconexion(b, ErrorPasajero(local));
                        Mod.Detener = true;
                        r = Peor(r, Resultado::SinConexion);
                    } else {
                        // A product the ESPEJO refuses is written down and the walk goes on.
                        ImprimeLinea(ctx.problemas.Numero() ? ctx.problemas.Numero() : b,
                                     AhoraTexto("yyyy-mm-dd hh:nn:ss") + " .- No se copió productos, Clave " +
                                         clave + ": " + espejo.MensajeError());
                        r = Peor(r, Resultado::Incompleto);
                    }
                }
            } else if (localAbierta) {
                AvisaDesconexion(b, false);
                Mod.Detener = true;
                r = Peor(r, Resultado::SinConexion);
            }
            if (ContextoCiclo::Detenido()) break;
            ciclo.SiguienteRegistro();
        }
        if (ciclo.Fallo()) r = Peor(r, Resultado::SinConexion);
    }
    return TerminaPaseDeProductos(ciclo, r, b, "Finaliza envío de productos");
}

Resultado clsCopiaMaestra::PasarProductos(ContextoCiclo& ctx, Conexion& matriz) {
    const int b = ctx.bitacora;
    Conexion& local = ctx.local;
    Mod.Detener = false;
    Ventana().Etapa("Recibiendo productos");
    Ventana().ProgresoVisible(true);
    EscribeBitacora(b, "Inicia recepción de productos");

    Resultado r = Resultado::Completo;
    kvtx8::CicloSecuencial ciclo;
    ciclo.Tabla = "productos";
    ciclo.Llave = "Clave";
    Registros productos;
    if (!AbreBaseRemota(matriz, ctx.matriz) || !ciclo.AbrirTabla(productos, matriz, Limite())) {
        r = Resultado::SinConexion;
    } else {
        CopiadorDeProductos copiador;
        while (!ciclo.Eof()) {
            const std::string clave = productos.Texto("Clave");
            const std::string titulo = TituloDeProducto(clave, ciclo);
            if (!AbreBaseLocal(local)) {
                AvisaDesconexion(b, true);
                Mod.Detener = true;
            } else {
                Ventana().TablaActual(titulo);
                Ventana().Ceder();
                Registros mio;
                if (!AbreBaseRemota(matriz, ctx.matriz) ||
                    !Mod.BDLocal.AbrirTabla(
                        mio, local, kvtx8::CambXXXSQL("productos WHERE Clave = 'XXX' LIMIT 1", clave, local),
                        "Id")) {
                    Mod.Detener = true;
                } else if (!copiador.Copia(productos, matriz, local, mio.Eof(), true, titulo)) {
                    // A lost side stops the walk; a product the local company refuses waits for the next run.
                    if (ErrorPasajero(local) || ErrorPasajero(matriz))
                        Mod.Detener = true;
                    else
                        r = Peor(r, Resultado::Incompleto);
                }
            }
            if (Mod.Detener && !ContextoCiclo::Interrumpido()) r = Peor(r, Resultado::SinConexion);
            if (ContextoCiclo::Detenido()) break;
            ciclo.SiguienteRegistro();
        }
        if (ciclo.Fallo()) r = Peor(r, Resultado::SinConexion);
    }
    return TerminaPaseDeProductos(ciclo, r, b, "Finaliza recepción de productos");
}

}  // namespace cnc
