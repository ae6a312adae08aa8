#include "receive/de_archivos.h"

#include <algorithm>
#include <exception>
#include <memory>

#include "components/transaccion.h"
#include "components/utilerias.h"
#include "core/archivo_de_trabajo.h"
#include "core/shared_routines.h"
#include "notices/notice_store.h"
#include "receive/cls_aux.h"
#include "receive/cls_pendientes.h"
#include "receive/colas_aplicadas.h"
#include "receive/valores_de_cola.h"

namespace cnc {

namespace {

constexpr const char* kCrLf = "\r\n";
constexpr int kAvisoCambioDeClave = 18;
constexpr int kAvisoKit = 14;
constexpr int kAvisoCambioDeCosto = 15;

// The order the type codes are tested in.
constexpr const char* kOrden[] = {"CA", "CC", "CN", "CP", "FA", "RE", "KT", "OF",
                                  "PC", "PR", "TR", "VC", "VP", "PX", "AP"};

size_t Lugar(const std::string& codigo) {
    const auto* fin = std::end(kOrden);
    return static_cast<size_t>(std::find(std::begin(kOrden), fin, codigo) - std::begin(kOrden));
}

}  // namespace

std::string TextoDeEstado(const TipoDeArchivo& tipo, const Registros& fila) {
    std::string texto = kvtx8::CambXXX(tipo.estado, fila.Texto("clave"));
    for (size_t p; (p = texto.find("NNN")) != std::string::npos;) texto.replace(p, 3, fila.Texto("Folio"));
    return texto;
}

std::vector<TipoDeArchivo> TiposDeProductos() {
    // One handler object for the cycle; its error text is cleared for every row.
    auto aux = std::make_shared<clsAux>();
    auto con = [aux](auto f) {
        return [aux, f](ArchivoRecibido& a) {
            aux->Limpia();
            const bool ok = f(*aux, a);
            a.error = aux->TextoError;
            a.pasajero = aux->ErrorPasajero();
            return ok;
        };
    };
    return {
        {"CA", "Campos adicionales, 'XXX'", ".CamposAdicionales", false, -1,
         con([](clsAux& x, ArchivoRecibido& a) {
             return x.CamposAdicionales(a.Clave(), a.hub, a.local, a.ruta, a.servidorLocal, a.matriz,
                                        a.espejo);
         })},
        {"CC", "Cambio en costos, 'XXX'", ".LeerCambioCosto", false, kAvisoCambioDeCosto,
         con([](clsAux& x, ArchivoRecibido& a) {
             a.aviso = "Cambio en Costo-Precios-Claves alternas del producto " +
                       clsPendientes::Entrecomillar(a.Clave());
             return x.LeerCambioCosto(a.Clave(), a.local, a.ruta, a.matriz, a.espejo);
         })},
        // Consumed whatever it does: a setting that cannot be applied is not asked for again.
        {"CN", "Configuración", ".LeerDeConfigura", true, -1, con([](clsAux& x, ArchivoRecibido& a) {
             x.LeerDeConfigura(a.local, a.ruta);
             return true;
         })},
        {"KT", "Kit, 'XXX'", ".LeerKit", false, kAvisoKit, con([](clsAux& x, ArchivoRecibido& a) {
             a.aviso = "Kit " + clsPendientes::Entrecomillar(a.Clave()) + " definido";
             return x.LeerKit(a.Clave(), a.local, a.ruta);
         })},
        {"OF", "Oferta-Descuento-Promoción", ".LeerOferta", false, -1, con([](clsAux& x, ArchivoRecibido& a) {
             return x.LeerOferta(a.fila, a.local, a.ruta, a.servidorLocal);
         })},
        {"CP", "Cambio de clave, 'XXX'", "", false, kAvisoCambioDeClave,
         con([](clsAux& x, ArchivoRecibido& a) {
             const bool ok = x.CambioClaveProducto(a.Clave(), a.local, a.Contenido());
             a.aviso = "Cambio de clave al producto " + clsPendientes::Entrecomillar(a.Clave()) + " por " +
                       clsPendientes::Entrecomillar(x.ClaveNueva());
             return ok;
         })},
        {"PC", "Producto cambiado, 'XXX'", ".ProductoCambiado", false, -1,
         con([](clsAux& x, ArchivoRecibido& a) {
             return x.ProductoCambiado(a.Clave(), a.hub, a.local, a.ruta, a.servidorLocal, a.matriz,
                                       a.espejo);
         })},
        {"PR", "Nuevo producto, 'XXX'", ".ProductoNuevo", false, -1, con([](clsAux& x, ArchivoRecibido& a) {
             return x.ProductoNuevo(a.matriz, a.local, a.Clave(), a.servidorLocal);
         })},
        {"VC", "Variantes modificadas, 'XXX'", ".VarianteCambiada", false, -1,
         con([](clsAux& x, ArchivoRecibido& a) {
             return x.VarianteCambiada(a.matriz, a.local, a.Contenido(), a.servidorLocal);
         })},
        {"VP", "Variantes del producto, 'XXX'", ".VariantesDelProd", false, -1,
         con([](clsAux& x, ArchivoRecibido& a) {
             return x.VariantesDelProd(a.matriz, a.local, a.Clave(), a.servidorLocal);
         })},
        {"PX", "Cambios en mínimo-máximo de variantes en el producto, 'XXX'", ".VariantesDelProd", false, -1,
         con([](clsAux& x, ArchivoRecibido& a) {
             return x.VariantesEnElProd(a.matriz, a.local, a.Clave(), a.servidorLocal);
         })},
        {"AP", "Cambios en anexos del producto, 'XXX'", ".AnexosProducto", false, -1,
         con([](clsAux& x, ArchivoRecibido& a) {
             return x.AnexosProducto(a.matriz, a.local, a.Clave(), a.servidorLocal);
         })},
    };
}

std::vector<TipoDeArchivo> TablaDeTipos(std::vector<TipoDeArchivo> otros) {
    std::vector<TipoDeArchivo> tabla = TiposDeProductos();
    for (auto& t : otros) tabla.push_back(std::move(t));
    std::stable_sort(tabla.begin(), tabla.end(), [](const TipoDeArchivo& a, const TipoDeArchivo& b) {
        return Lugar(a.codigo) < Lugar(b.codigo);
    });
    return tabla;
}

bool clsPendientes::GuardarErrorDeLectura(Conexion& hub, const Registros& fila, const std::string& error) {
    Registros rs;
    if (!Mod.BDRemota.AbrirTabla(rs, hub, "concentradorqmx.erroresdelectura WHERE AutoInc = -9"))
        return false;
    rs.AddNew();
    for (const auto& c : rs.Campos())
        if (!kvtx8::IgualSinMayusculas(c.nombre, "AutoInc")) Mod.BDRemota.PasaCampo(c.nombre, fila, rs);
    rs.Poner("elError", error);
    return rs.Update();
}

Resultado clsPendientes::LeerDeArchivos(Conexion& servidorLocal, Conexion& hub, Conexion& local,
                                        const std::string& matriz, Conexion& espejo,
                                        const std::vector<TipoDeArchivo>& tipos) {
    static const std::string kRutina = "LeerDeArchivos()";
    static const std::string kCola = "archivosasubir";
    if (!AbreBase(Mod.BDRemota, hub, "")) return Resultado::SinConexion;
    const std::string& base = Mod.BDRemota.cMiBase;

    // The keys first, each row's text when its turn comes: the queue may hold many large files.
    Registros cola;
    if (!Mod.BDRemota.AbrirTabla(cola, hub,
                                 "concentradorqmx.archivosasubir WHERE BaseDeDatos = " + hub.Literal(base) +
                                     " AND Cancelar = 0 ORDER BY Id",
                                 "Id"))
        return Falla(kRutina.c_str(), hub);

    Resultado r = Resultado::Completo;
    std::string paso;
    auto falla = [&](const Conexion& cn) {
        AnotaError(kRutina + paso);
        r = Peor(r, cn.Abierta() ? Resultado::Incompleto : Resultado::SinConexion);
    };

    for (; !cola.Eof(); cola.MoveNext()) {
        if (ContextoCiclo::Detenido()) break;
        if (!AbreBase(Mod.BDRemota, hub, "") || !AbreBaseLocal(local)) {
            r = Resultado::SinConexion;
            break;
        }
        const std::string id = kvtx8::NumeroSQL(cola.Texto("Id"));
        Registros fila;
        if (!Mod.BDRemota.AbrirTabla(
                fila, hub, "concentradorqmx.archivosasubir WHERE Id = " + id + " AND Cancelar = 0")) {
            falla(hub);
            continue;
        }
        if (fila.Eof()) continue;  // taken or cancelled meanwhile

        std::string estado = std::string("LEYENDO DESDE ARCHIVOS") + kCrLf;
        Ventana().Estado(estado);
        Ventana().Ceder();

        // Handled already when the hub lost its removal: only its notice, if still to raise, and the removal.
        const auto marcada = colas_aplicadas::Marcada(local, kCola, id);
        if (!marcada) {
            falla(local);
            if (!Sigue(r)) break;
            continue;
        }
        if (*marcada) {
            if (!colas_aplicadas::AvisaPendiente(servidorLocal, kCola, id)) {
                falla(servidorLocal);
            } else if (!hub.Ejecutar("DELETE FROM concentradorqmx.archivosasubir WHERE Id = " + id)) {
                falla(hub);
            } else if (!colas_aplicadas::Olvida(local, kCola, id)) {
                falla(local);
            }
            if (!Sigue(r)) break;
            continue;
        }

        // Each row starts unhandled, whatever the one before did.
        bool atendido = false;
        bool espera = false;
        bool marcado = false;
        std::string error;
        {
            ArchivoDeTrabajo archivo(fila.Texto("Contenido"));
            if (!archivo.Escrito()) {
                // Without its file no handler can read it: the row waits.
                falla(local);
                continue;
            }
            const std::string codigo = fila.Texto("Tipo");
            const auto tipo = std::find_if(tipos.begin(), tipos.end(),
                                           [&](const TipoDeArchivo& t) { return t.codigo == codigo; });
            // A type this program has no handler for stays queued, untouched, for a version that has one:
            // the hub may queue types newer than this program, and they must not be lost.
            if (tipo != tipos.end()) {
                estado += TextoDeEstado(*tipo, fila);
                Ventana().Estado(estado);
                Ventana().Ceder();
                if (!tipo->paso.empty()) paso = tipo->paso;
                ArchivoRecibido a{fila, archivo.Ruta(), servidorLocal, hub, local, espejo, matriz, {},
                                  {},   false};
                // The handler's local units join this one, and so does the mark: a crash between the change
                // and the mark would have the change stand unmarked, its notice lost with the hub row.
                kvtx8::Transaccion unidad(local);
                if (!unidad.Activa()) {
                    falla(local);
                    if (!Sigue(r)) break;
                    continue;
                }
                if (tipo->atendidoAntes) atendido = true;
                bool ok = false;
                std::vector<std::pair<std::string, int>> propios;  // the notices the handler raises itself
                {
                    AvisosRetenidos retenidos;
                    try {
                        ok = tipo->manejador(a);
                    } catch (const std::exception& x) {
                        // A handler that throws is a failed change like any other, not the end of the cycle.
                        ok = false;
                        if (a.error.empty()) a.error = std::string("Nº 0: ") + x.what();
                    }
                    propios = retenidos.Toma();
                }
                if (!tipo->atendidoAntes) atendido = ok;
                error = a.error;
                if (!error.empty()) {
                    AnotaError(kRutina + paso + " " + error);
                    r = Peor(r, Resultado::Incompleto);
                    // A change that went is not applied again, whatever failed after it.
                    espera = a.pasajero && !ok;
                }
                // Handled: marked at once, with its notice still to raise, so that a hub lost before the
                // removal does not have it handled and told again.
                // The handler's own notices of one type go in the mark too, joined line by line as notices
                // of a type are.
                if (atendido && error.empty()) {
                    const bool conAviso = ok && tipo->tipoAviso >= 0 && !a.aviso.empty();
                    int tipoAviso = conAviso ? tipo->tipoAviso : -1;
                    std::string aviso = conAviso ? a.aviso : std::string();
                    std::vector<std::pair<std::string, int>> aparte;
                    for (auto& [texto, t] : propios) {
                        if (tipoAviso < 0) tipoAviso = t;
                        if (t != tipoAviso) {
                            aparte.emplace_back(std::move(texto), t);
                            continue;
                        }
                        aviso += (aviso.empty() ? "" : kCrLf) + texto;
                    }
                    propios = std::move(aparte);
                    marcado = colas_aplicadas::Marca(local, kCola, id, aviso.empty() ? -1 : tipoAviso, aviso);
                }
                // What the handler kept of its own goes with the mark, or nothing of the row does: it waits.
                if (espera || (atendido && error.empty() && !marcado) || !unidad.Confirma()) {
                    unidad.Deshace();
                    if (!espera) falla(local);
                    marcado = false;
                    espera = true;
                    propios.clear();
                }
                for (const auto& [texto, t] : propios) RegistraAviso(servidorLocal, texto, t);
            }
            paso = " Borrando el pendiente";
        }  // the work file goes here

        if (!AbreBase(Mod.BDRemota, hub, "")) {
            r = Resultado::SinConexion;
            break;
        }
        if (espera) {
            // Kept as it is: the next cycle tries it again.
            if (!local.Abierta()) r = Resultado::SinConexion;
            if (!Sigue(r)) break;
            continue;
        }
        if (!atendido && error.empty()) continue;
        if (marcado && !colas_aplicadas::AvisaPendiente(servidorLocal, kCola, id)) {
            falla(servidorLocal);
            if (!Sigue(r)) break;
            continue;
        }
        // The error kept and the row removed together, or the next cycle would keep the error twice.
        if (!EnTransaccion(hub, [&] {
                return (error.empty() || GuardarErrorDeLectura(hub, fila, error)) &&
                       hub.Ejecutar("DELETE FROM concentradorqmx.archivosasubir WHERE Id = " + id);
            }))
            falla(hub);
        else if (marcado && !colas_aplicadas::Olvida(local, kCola, id))
            falla(local);
        if (!Sigue(r)) break;
    }
    return ContextoCiclo::Detenido() ? Peor(r, Resultado::Interrumpido) : r;
}

}  // namespace cnc
