#include "components/utilerias.h"
#include "core/shared_routines.h"
#include "receive/cls_pendientes.h"
#include "receive/colas_aplicadas.h"
#include "receive/valores_de_cola.h"
#include "send/cls_estandar.h"

namespace cnc {

namespace {

constexpr const char* kCrLf = "\r\n";
constexpr int kAvisoProductos = 2;
constexpr size_t kLargoDescripEnAviso = 25;

// The names of a product's line, sub-line, brand and unit in the database it was read from. Not `leidos`
// when a catalogue could not be read; not `completos` when a key names no row there either: copied with
// those names the product would lose that catalogue for good.
struct Catalogos {
    std::string linea, subLinea, marca, medida;
    bool leidos = true, completos = true;
};

std::string NombreDeCatalogo(Conexion& cn, const char* tabla, const std::string& id, const char* campo,
                             Catalogos& c) {
    const auto n = EnteroDeCola(id);
    if (!n || kvtx8::kvVal(*n) == 0) return "";
    BasesDD bd;
    Registros rs;
    if (!bd.AbrirTabla(rs, cn, kvtx8::Identificador(tabla) + " WHERE Id = " + *n, kvtx8::Identificador(campo)))
        c.leidos = false;
    const std::string nombre = !c.leidos || rs.Eof() ? "" : kvtx8::Recorta(rs.Texto(campo));
    if (nombre.empty()) c.completos = false;
    return nombre;
}

Catalogos NombresDeCatalogos(Conexion& cn, const Registros& producto) {
    Catalogos c;
    c.linea = NombreDeCatalogo(cn, "lineas", producto.Texto("Linea"), "Linea", c);
    c.subLinea = NombreDeCatalogo(cn, "sublineas", producto.Texto("SubLinea"), "Sublinea", c);
    c.marca = NombreDeCatalogo(cn, "marcas", producto.Texto("Marca"), "Marca", c);
    c.medida = NombreDeCatalogo(cn, "medidas", producto.Texto("UnidadMedida"), "Medida", c);
    return c;
}

// Adds the product row to `destino` (a record set of that database's productos) with its catalogue keys
// found or made there by name, and no stock. The key is the database's own: a
// copied Id could be another product's there. One INSERT, so the product never stands with the other
// database's keys.
bool CopiaProducto(const Registros& origen, Registros& destino, Conexion& cn, const Catalogos& nombres,
                   std::vector<std::string>& campos) {
    if (campos.empty()) Mod.BDLocal.ObtenerEstructura(origen, destino, campos, false);
    const int64_t linea = clsEstandar::ObtenerIdPorNombre(nombres.linea, "lineas", cn, "Linea");
    const int64_t subLinea = clsEstandar::ObtenerIdSubLinea(nombres.subLinea, linea, cn);
    const int64_t marca = clsEstandar::ObtenerIdPorNombre(nombres.marca, "marcas", cn, "Marca");
    const int64_t medida = clsEstandar::ObtenerIdPorNombre(nombres.medida, "medidas", cn, "Medida");
    // A catalogue named but not found nor made (a lost connection) would leave the product without it.
    if ((!nombres.linea.empty() && linea == 0) ||
        (!nombres.subLinea.empty() && linea != 0 && subLinea == 0) ||
        (!nombres.marca.empty() && marca == 0) || (!nombres.medida.empty() && medida == 0))
        return false;
    destino.AddNew();
    clsEstandar::PasaCampos(origen, destino, campos, "Id");
    destino.Poner("Linea", std::to_string(linea));
    destino.Poner("SubLinea", std::to_string(subLinea));
    destino.Poner("Marca", std::to_string(marca));
    destino.Poner("UnidadMedida", std::to_string(medida));
    destino.Poner("Existencia", "0");
    if (destino.Update()) return true;
    destino.CancelUpdate();
    return false;
}

std::string DeProducto(const Conexion& cn, const std::string& clave) {
    return "productos WHERE Clave = '" + cn.Escapar(clave) + "' LIMIT 1";
}

}  // namespace

std::string clsPendientes::DescripcionPorId(Conexion& cn, const std::string& tabla, const std::string& id,
                                            const std::string& campo) {
    const auto n = EnteroDeCola(id);
    if (!n || kvtx8::kvVal(*n) == 0) return "";
    BasesDD bd;
    Registros rs;
    if (!bd.AbrirTabla(rs, cn, kvtx8::Identificador(tabla) + " WHERE Id = " + *n,
                       kvtx8::Identificador(campo)) ||
        rs.Eof())
        return "";
    return kvtx8::Recorta(rs.Texto(campo));
}

Resultado clsPendientes::LeeListaPrecios(Conexion& servidorLocal, Conexion& hub, Conexion& local,
                                         Conexion& espejo, const std::string& nombreMatriz) {
    static constexpr const char* kRutina = "LeeListaPrecios()";
    static const std::string kCopias = "productosnuevos";
    static const std::string kCambios = "cambiosdeprecio";
    BasesDD& bdHub = Mod.BDRemota;
    const std::string& base = Mod.BDRemota.cMiBase;
    // The MATRIZ connection is this call's own, closed whichever way the call ends.
    Conexion matriz;
    struct Cierra {
        Conexion& cn;
        ~Cierra() { Mod.BDRemota.CierraBdD(cn); }
    } cierraMatriz{matriz};
    // No name would open the general database instead.
    if (nombreMatriz.empty() || !AbreBaseRemota(matriz, nombreMatriz) || !AbreBase(bdHub, hub, ""))
        return Resultado::SinConexion;

    Registros cola;
    // In queue order: a later entry for the same price is the one that stays.
    if (!bdHub.AbrirTabla(
            cola, hub,
            kvtx8::CambXXXSQL("concentradorqmx.pendientesldp WHERE BaseDeDatos='XXX'", base, hub) +
                " ORDER BY Id")) {
        return Falla(kRutina, hub);
    }
    Resultado r = Resultado::Completo;
    auto falla = [&](const Conexion& cn) { r = Peor(r, Falla(kRutina, cn)); };
    // The shared fields, MATRIZ to ESPEJO and ESPEJO to local, found once per call.
    std::vector<std::string> camposEspejo, camposLocal;

    auto unaEntrada = [&] {
        if (!AbreBase(bdHub, hub, "")) {
            r = Resultado::SinConexion;
            return;
        }
        const std::string idTexto = cola.Texto("IdLDP");
        const auto idLDP = EnteroDeCola(idTexto);
        if (!idLDP) {
            AnotaError(std::string(kRutina) + " pendientesldp: IdLDP no numérico '" + idTexto + "'");
            r = Peor(r, Resultado::Incompleto);
            return;
        }
        Registros entrada;
        if (!bdHub.AbrirTabla(entrada, hub, "concentradorqmx.listaprecios WHERE Id=" + *idLDP)) {
            falla(hub);
            return;
        }
        if (entrada.Eof()) return;  // stays queued for the next cycle
        const std::string producto = entrada.Texto("Producto");

        Ventana().Estado(std::string("LISTAS DE PRECIOS") + kCrLf + "Lista " + *idLDP +
                         kvtx8::CambXXX(", producto 'XXX'", producto));
        Ventana().Ceder();

        // An entry whose list or price is no plain number is not applied at all, nor consumed.
        const auto lista = EnteroDeCola(entrada.Texto("lista"));
        const auto precio = DecimalDeCola(entrada.Texto("Precio"));
        if (!lista || kvtx8::kvVal(*lista) < 1 || !precio) {
            AnotaError(std::string(kRutina) + " listaprecios " + *idLDP + ": lista '" +
                       entrada.Texto("lista") + "', precio '" + entrada.Texto("Precio") + "' no válidos");
            r = Peor(r, Resultado::Incompleto);
            return;
        }
        const std::string columna = "Precio" + std::to_string(static_cast<long long>(kvtx8::kvVal(*lista)));

        // MATRIZ to ESPEJO.
        std::optional<Catalogos> deMatriz;
        if (AbreBaseRemota(matriz, nombreMatriz)) {
            Registros enMatriz;
            if (!bdHub.AbrirTabla(enMatriz, matriz, DeProducto(matriz, producto))) {
                falla(matriz);
            } else if (!enMatriz.Eof()) {
                deMatriz = NombresDeCatalogos(matriz, enMatriz);
                const Catalogos& nombres = *deMatriz;
                Registros enEspejo;
                if (!AbreBaseEspejo(espejo)) {
                    r = Resultado::SinConexion;
                    return;
                }
                if (!bdHub.AbrirTabla(enEspejo, espejo, DeProducto(espejo, producto))) {
                    falla(espejo);
                } else if (enEspejo.Eof() && !nombres.leidos) {
                    falla(matriz);
                } else if (enEspejo.Eof() &&
                           !CopiaProducto(enMatriz, enEspejo, espejo, nombres, camposEspejo)) {
                    falla(espejo);
                }
            }
        }

        // ESPEJO to local.
        if (!AbreBaseEspejo(espejo)) {
            r = Resultado::SinConexion;
            return;
        }
        Registros enEspejo;
        if (!bdHub.AbrirTabla(enEspejo, espejo, DeProducto(espejo, producto))) {
            falla(espejo);
            return;
        }
        if (enEspejo.Eof()) return;  // not in the ESPEJO: stays queued
        Catalogos nombres = NombresDeCatalogos(espejo, enEspejo);

        // A price that did not reach the local company keeps its queue row.
        if (!AbreBaseLocal(local)) {
            r = Resultado::SinConexion;
            return;
        }
        Registros enLocal;
        if (!Mod.BDLocal.AbrirTabla(enLocal, local, DeProducto(local, producto))) {
            falla(local);
            return;
        }
        if (!enLocal.TieneCampo(columna)) {
            AnotaError(std::string(kRutina) + " listaprecios " + *idLDP + ": la lista " + *lista +
                       " no existe en productos");
            r = Peor(r, Resultado::Incompleto);
            return;
        }

        bool bloqueado = false;
        std::string avisoDeCambio;
        // A product copied here whose entry was not finished: new, not changed, and told once.
        const auto copiado = colas_aplicadas::Marcada(local, kCopias, producto);
        if (!copiado) {
            falla(local);
            return;
        }
        // A price written here whose entry was not finished: not written again, and its change told once.
        const auto cambiado = colas_aplicadas::Marcada(local, kCambios, *idLDP);
        if (!cambiado) {
            falla(local);
            return;
        }
        bool nuevo = false;
        if (enLocal.Eof()) {
            // The sending of the local catalogues can rewrite the ESPEJO row a key of its product named:
            // the MATRIZ's names are the ones that product was copied with (a key the MATRIZ itself leaves
            // dangling names nothing). Without them the entry waits.
            const bool deLaMatriz = !nombres.completos && deMatriz && deMatriz->leidos;
            if (deLaMatriz) nombres = *deMatriz;
            if (!nombres.leidos) {
                falla(espejo);
                return;
            }
            if (!nombres.completos && !deLaMatriz) {
                AnotaError(std::string(kRutina) + " listaprecios " + *idLDP + ": el producto " + producto +
                           " tiene catálogos que no se encontraron");
                r = Peor(r, Resultado::Incompleto);
                return;
            }
            nuevo = true;
            // The product, its catalogues and its notice still to raise go together or not at all.
            if (!EnTransaccion(local, [&] {
                    if (!CopiaProducto(enEspejo, enLocal, local, nombres, camposLocal)) return false;
                    const std::string texto =
                        "Nuevo producto: " + Entrecomillar(enLocal.Texto("Clave")) + kCrLf +
                        PrimerosCaracteres(enLocal.Texto("Descrip"), kLargoDescripEnAviso);
                    return colas_aplicadas::Marca(local, kCopias, producto, kAvisoProductos, texto);
                })) {
                falla(local);
                return;
            }
        }
        if (*copiado || nuevo) {
            if (!colas_aplicadas::AvisaPendiente(servidorLocal, kCopias, producto)) {
                falla(servidorLocal);
                return;
            }
        } else if (enLocal.Entero("BloqueadoVsCambioPrecios") == 1) {
            bloqueado = true;
        } else if (const std::string anterior = enLocal.Texto(columna); !MismoNumero(anterior, *precio)) {
            avisoDeCambio = "Cambio del " + columna + ": producto " + Entrecomillar(enLocal.Texto("Clave")) +
                            kCrLf + "Anterior: " + FormatoMoneda(anterior) +
                            ", nuevo: " + FormatoMoneda(*precio);
        }

        if (!bloqueado && !*cambiado) {
            const std::string sql = "UPDATE productos SET " + kvtx8::Identificador(columna) + "=" + *precio +
                                    " WHERE Clave = '" + local.Escapar(producto) + "'";
            bool ajustado = false;
            // A price the column cannot hold as it stands is not written rounded or clipped: the entry waits.
            // The price and its notice still to raise go together.
            const bool escrito = EnTransaccion(local, [&] {
                if (!local.Ejecutar(sql)) return false;
                ajustado = !SinAdvertencias(local);
                return !ajustado && (avisoDeCambio.empty() || colas_aplicadas::Marca(local, kCambios, *idLDP,
                                                                                     kAvisoProductos,
                                                                                     avisoDeCambio));
            });
            if (!escrito) {
                if (ajustado) {
                    AnotaError(std::string(kRutina) + " listaprecios " + *idLDP + ": el precio '" + *precio +
                               "' no cabe en " + columna);
                    r = Peor(r, Resultado::Incompleto);
                } else {
                    falla(local);
                }
                return;
            }
        }
        // Told only once the price is in place.
        const bool conAviso = *cambiado || !avisoDeCambio.empty();
        if (conAviso && !colas_aplicadas::AvisaPendiente(servidorLocal, kCambios, *idLDP)) {
            falla(servidorLocal);
            return;
        }

        if (!hub.Ejecutar(
                kvtx8::CambXXXSQL("DELETE FROM concentradorqmx.pendientesldp WHERE BaseDeDatos = 'XXX'", base,
                                  hub) +
                " AND IdLDP = " + *idLDP)) {
            falla(hub);
            return;
        }
        if (!colas_aplicadas::Olvida(local, kCopias, producto)) falla(local);
        if (conAviso && !colas_aplicadas::Olvida(local, kCambios, *idLDP)) falla(local);
    };

    for (; !cola.Eof(); cola.MoveNext()) {
        unaEntrada();
        if (!Sigue(r)) break;
    }
    return ContextoCiclo::Detenido() ? Peor(r, Resultado::Interrumpido) : r;
}

}  // namespace cnc
