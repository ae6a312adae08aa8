#include "components/utilerias.h"
#include "core/shared_routines.h"
#include "notices/notice_store.h"
#include "receive/cls_pendientes.h"
#include "receive/colas_aplicadas.h"
#include "receive/valores_de_cola.h"

namespace cnc {

namespace {
constexpr const char* kCrLf = "\r\n";
constexpr int kAvisoProductoBorrado = 5;
constexpr int kAvisoUsuarioBorrado = 6;
constexpr int kAvisoGrupoBorrado = 7;
}  // namespace

Resultado clsPendientes::PorBorrar(Conexion& servidorLocal, Conexion& hub, Conexion& local) {
    static constexpr const char* kRutina = "PorBorrar()";
    static const std::string kCola = "aborrar";
    BasesDD& bdLocal = Mod.BDLocal;
    BasesDD& bdHub = Mod.BDRemota;
    const std::string& base = Mod.BDRemota.cMiBase;

    if (!AbreBase(bdHub, hub, "")) return Resultado::SinConexion;
    Registros cola;
    if (!bdHub.AbrirTabla(
            cola, hub,
            "concentradorqmx.aborrar WHERE BaseDeDatos='" + hub.Escapar(base) + "' ORDER BY Tabla,Llave")) {
        return Falla(kRutina, hub);
    }
    Resultado r = Resultado::Completo;
    auto falla = [&](const Conexion& cn) { r = Peor(r, Falla(kRutina, cn)); };

    auto unRenglon = [&] {
        if (!AbreBase(bdHub, hub, "")) {
            r = Resultado::SinConexion;
            return;
        }
        const auto id = EnteroDeCola(cola.Texto("Id"));
        if (!id) {
            AnotaError(std::string(kRutina) + " aborrar: Id no numérico '" + cola.Texto("Id") + "'");
            r = Peor(r, Resultado::Incompleto);
            return;
        }
        const std::string tabla = cola.Texto("Tabla");
        const std::string llave = cola.Texto("Llave");
        bool consumir = true;
        std::string aviso;
        int tipo = 0;

        Ventana().Estado(std::string("BORRANDO INFORMACIÓN") + kCrLf + "Tabla " + tabla + ", " + llave);
        Ventana().Ceder();

        // A local database that is gone keeps the row and ends the queue.
        auto sinConexion = [&] {
            consumir = false;
            r = Resultado::SinConexion;
        };
        // A statement that failed keeps the row; the queue goes on unless the connection went with it.
        auto fallo = [&](const Conexion& cn) {
            consumir = false;
            aviso.clear();
            falla(cn);
        };

        // The local change and its notice still to raise go with the mark of the queue row, in one
        // transaction: a row found marked was applied already, and is only consumed.
        auto marca = [&](Conexion& cn) { return colas_aplicadas::Marca(cn, kCola, *id, tipo, aviso); };
        auto soloMarca = [&](Conexion& cn) {
            if (!EnTransaccion(cn, [&] { return marca(cn); })) fallo(cn);
        };
        std::optional<bool> marcada;
        if (!AbreBase(bdLocal, servidorLocal, "")) {
            sinConexion();
        } else if (marcada = colas_aplicadas::Marcada(servidorLocal, kCola, *id); !marcada) {
            fallo(servidorLocal);
        } else if (*marcada) {
            // applied before the hub lost the row's removal
        } else if (tabla == "productos") {
            tipo = kAvisoProductoBorrado;
            Registros producto;
            if (!AbreBaseLocal(local)) {
                sinConexion();
            } else if (!bdLocal.AbrirTabla(producto, local,
                                           "productos WHERE Clave = '" + local.Escapar(llave) + "' LIMIT 1",
                                           "Existencia")) {
                fallo(local);
            } else if (producto.Eof()) {
                aviso = "Intento de borrar el producto " + Entrecomillar(llave) +
                        ", que no existe en el catálogo";
                soloMarca(servidorLocal);
            } else if (!MismoNumero(producto.Texto("Existencia"), "0")) {
                consumir = false;  // still in stock: waits for a later cycle
            } else {
                const std::string clave = local.Escapar(llave);
                bool conExistencia = false;
                aviso = "Producto borrado: " + Entrecomillar(llave) + kCrLf +
                        "Existencia actual: " + NumeroCorto(producto.Texto("Existencia"));
                // The product and its alternate keys go together or not at all; the stock is checked again
                // in the statement, as a sale may have come in since it was read.
                const bool borrado = EnTransaccion(local, [&] {
                    if (!local.Ejecutar("DELETE FROM productos WHERE Clave = '" + clave +
                                        "' AND Existencia = 0"))
                        return false;
                    if (local.FilasAfectadas() == 0) {
                        conExistencia = true;
                        return false;
                    }
                    return local.Ejecutar("DELETE FROM clavesalternas WHERE ClaveProducto = '" + clave +
                                          "'") &&
                           marca(local);
                });
                if (conExistencia) {
                    consumir = false;
                } else if (!borrado) {
                    fallo(local);
                }
            }
        } else if (tabla == "usuarios") {
            tipo = kAvisoUsuarioBorrado;
            Registros usuarios;
            if (!AbreBase(bdLocal, servidorLocal, "")) {
                sinConexion();
            } else if (!bdLocal.AbrirTabla(usuarios, servidorLocal, "usuarios ORDER BY Id",
                                           "Usuario,Id,AlE")) {
                fallo(servidorLocal);
            } else {
                while (!usuarios.Eof() &&
                       Mod.Acceso.DesEncripta(usuarios.Texto("Usuario"), usuarios.Texto("AlE")) != llave)
                    usuarios.MoveNext();
                if (usuarios.Eof()) {
                    aviso = "Intento de borrar el usuario " + Entrecomillar(llave) +
                            ", que no existe en el catálogo";
                    soloMarca(servidorLocal);
                } else {
                    aviso = "Usuario borrado: " + Entrecomillar(llave);
                    if (!EnTransaccion(servidorLocal, [&] {
                            return servidorLocal.Ejecutar("DELETE FROM usuarios WHERE Id = " +
                                                          kvtx8::NumeroSQL(usuarios.Texto("Id"))) &&
                                   marca(servidorLocal);
                        }))
                        fallo(servidorLocal);
                }
            }
        } else if (tabla == "grupos") {
            tipo = kAvisoGrupoBorrado;
            Registros grupo;
            const std::string condicion = "Grupo='" + servidorLocal.Escapar(llave) + "'";
            if (!AbreBase(bdLocal, servidorLocal, "")) {
                sinConexion();
            } else if (!bdLocal.AbrirTabla(grupo, servidorLocal, "grupos WHERE " + condicion + " LIMIT 1",
                                           "Grupo")) {
                fallo(servidorLocal);
            } else if (grupo.Eof()) {
                aviso =
                    "Intento de borrar el grupo " + Entrecomillar(llave) + ", que no existe en el catálogo";
                soloMarca(servidorLocal);
            } else {
                aviso = "Grupo borrado: " + Entrecomillar(llave);
                if (!EnTransaccion(servidorLocal, [&] {
                        return servidorLocal.Ejecutar("DELETE FROM grupos WHERE " + condicion) &&
                               marca(servidorLocal);
                    }))
                    fallo(servidorLocal);
            }
        }
        // Any other table: consumed without effect.

        if (!consumir) return;
        if (!colas_aplicadas::AvisaPendiente(servidorLocal, kCola, *id)) {
            falla(servidorLocal);
            return;
        }
        if (!hub.Ejecutar("DELETE FROM concentradorqmx.aborrar WHERE Id=" + *id)) {
            falla(hub);
            return;
        }
        if (!colas_aplicadas::Olvida(servidorLocal, kCola, *id)) falla(servidorLocal);
    };

    for (; !cola.Eof(); cola.MoveNext()) {
        unRenglon();
        if (!Sigue(r)) break;
    }
    return ContextoCiclo::Detenido() ? Peor(r, Resultado::Interrumpido) : r;
}

}  // namespace cnc
