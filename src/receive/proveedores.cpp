#include "components/utilerias.h"
#include "core/archivo_de_trabajo.h"
#include "core/shared_routines.h"
#include "notices/notice_store.h"
#include "receive/cls_pendientes.h"
#include "receive/colas_aplicadas.h"
#include "receive/valores_de_cola.h"

namespace cnc {

namespace {

constexpr const char* kCrLf = "\r\n";
constexpr int kAvisoProveedores = 3;
constexpr int kAvisoSucursalNueva = 16;
constexpr int kAvisoSucursalEliminada = 17;

// The fields of a supplier file, one a line in this order.
constexpr const char* kCamposDeArchivo[] = {"Nombre", "Domicilio", "Colonia", "CP",  "Ciudad",
                                            "Estado", "Telefono1", "RFC",     "CURP"};

std::string PorClave(const std::string& tabla, const Conexion& cn, const std::string& clave) {
    return tabla + " WHERE Clave='" + cn.Escapar(clave) + "'";
}

}  // namespace

Resultado clsPendientes::LeerProveedores(Conexion& servidorLocal, Conexion& hub, Conexion& local) {
    static constexpr const char* kRutina = "LeerProveedores()";
    static const std::string kCola = "archivosasubir";
    BasesDD& bdLocal = Mod.BDLocal;
    BasesDD& bdHub = Mod.BDRemota;
    const std::string& base = Mod.BDRemota.cMiBase;

    if (!AbreBase(bdHub, hub, "")) return Resultado::SinConexion;
    Registros cola;
    if (!bdHub.AbrirTabla(cola, hub,
                          "concentradorqmx.archivosasubir WHERE Tipo='PV' AND BaseDeDatos='" +
                              hub.Escapar(base) + "' AND Cancelar=0 ORDER BY Id")) {
        return Falla(kRutina, hub);
    }
    Resultado r = Resultado::Completo;
    auto falla = [&](const Conexion& cn) { r = Peor(r, Falla(kRutina, cn)); };

    auto unProveedor = [&] {
        // A server that is gone stays gone for the rows after this one: the queue ends here.
        if (!AbreBase(bdHub, hub, "")) {
            r = Resultado::SinConexion;
            return;
        }
        const std::string clave = cola.Texto("clave");
        const auto id = EnteroDeCola(cola.Texto("Id"));
        Ventana().Estado(std::string("PROVEEDORES") + kCrLf + kvtx8::CambXXX("Clave: 'XXX'", clave));
        if (!AbreBaseLocal(local)) {
            r = Resultado::SinConexion;
            return;
        }
        Ventana().Ceder();
        if (!id) {
            AnotaError(std::string(kRutina) + " archivosasubir: Id no numérico '" + cola.Texto("Id") + "'");
            r = Peor(r, Resultado::Incompleto);
            return;
        }

        // A file saved before the hub lost its row's removal is not read again.
        const auto marcada = colas_aplicadas::Marcada(local, kCola, *id);
        if (!marcada) {
            falla(local);
            return;
        }
        if (!*marcada) {
            // The file goes through the work file, which is gone again before anything is written.
            std::vector<std::string> lineas;
            {
                ArchivoDeTrabajo trabajo(cola.Texto("Contenido"));
                std::string texto;
                if (!trabajo.Escrito() || !LeeArchivoCompleto(trabajo.Ruta(), texto)) {
                    AnotaError(std::string(kRutina) + " no se pudo escribir ni leer " + trabajo.Ruta());
                    r = Peor(r, Resultado::Incompleto);
                    return;
                }
                lineas = LineasDe(texto);
            }

            // The balance row, the supplier and the head office's supplier setting go together.
            bool nuevo = false, cortado = false;
            const bool guardado = EnTransaccion(local, [&] {
                Registros saldo;
                if (!bdLocal.AbrirTabla(saldo, local,
                                        PorClave("saldospro", local, clave) + " AND IdMoneda=1"))
                    return false;
                if (saldo.Eof() && !bdLocal.AgregaRegistro(saldo, local, "saldospro",
                                                           {"Clave", "IdMoneda", "Saldo"}, {clave, "1", "0"}))
                    return false;

                Registros proveedor;
                if (!bdLocal.AbrirTabla(proveedor, local, PorClave("proveedores", local, clave) + " LIMIT 1"))
                    return false;
                nuevo = proveedor.Eof();
                const std::string hoy = kvtx8::FechaSQL(Ahora());
                if (nuevo) {
                    proveedor.AddNew();
                    proveedor.Poner("Clave", clave);
                    proveedor.Poner("FechaRegistro", hoy);
                } else {
                    proveedor.Poner("FechaCambios", hoy);
                }
                for (size_t i = 0; i < std::size(kCamposDeArchivo); ++i)
                    proveedor.Poner(kCamposDeArchivo[i], i < lineas.size() ? lineas[i] : std::string());
                if (!proveedor.Update()) return false;
                // A field longer than its column would be stored cut short: the file waits instead.
                if (!SinAdvertencias(local)) {
                    cortado = true;
                    return false;
                }

                return local.Ejecutar("UPDATE configura SET Contenido='" + local.Escapar(clave) +
                                      "' WHERE Dato='PROVEEDORMATRIZ'") &&
                       colas_aplicadas::Marca(
                           local, kCola, *id, kAvisoProveedores,
                           kvtx8::CambXXX("Proveedor XXX: ", nuevo ? "nuevo" : "actualizado") + clave);
            });
            // Not saved: the row stays queued and is read again next cycle.
            if (cortado) {
                AnotaError(std::string(kRutina) + " archivosasubir " + *id + ": el proveedor '" + clave +
                           "' no cabe en proveedores");
                r = Peor(r, Resultado::Incompleto);
                return;
            }
            if (!guardado) {
                falla(local);
                return;
            }
        }

        if (!colas_aplicadas::AvisaPendiente(servidorLocal, kCola, *id)) {
            falla(servidorLocal);
            return;
        }
        if (!hub.Ejecutar("DELETE FROM concentradorqmx.archivosasubir WHERE Id=" + *id)) {
            falla(hub);
            return;
        }
        if (!colas_aplicadas::Olvida(local, kCola, *id)) falla(local);
    };

    for (; !cola.Eof(); cola.MoveNext()) {
        unProveedor();
        if (!Sigue(r)) break;
    }
    return ContextoCiclo::Detenido() ? Peor(r, Resultado::Interrumpido) : r;
}

Resultado clsPendientes::LeerSucursales(Conexion& servidorLocal, Conexion& hub, Conexion& local, Conexion&,
                                        const std::string& matriz) {
    static constexpr const char* kRutina = "LeerSucursales()";
    static const std::string kCola = "listasucursales";
    BasesDD& bdLocal = Mod.BDLocal;
    BasesDD& bdHub = Mod.BDRemota;
    const std::string& base = Mod.BDRemota.cMiBase;

    if (!AbreBase(bdHub, hub, "")) return Resultado::SinConexion;
    Registros cola;
    if (!bdHub.AbrirTabla(cola, hub,
                          "concentradorqmx.listasucursales WHERE BaseDeDatos='" + hub.Escapar(base) +
                              "' AND FechaLeidos<FechaCambios ORDER BY Sucursal",
                          "Id,Sucursal,Quitar,FechaCambios")) {
        return Falla(kRutina, hub);
    }
    Resultado r = Resultado::Completo;
    auto falla = [&](const Conexion& cn) { r = Peor(r, Falla(kRutina, cn)); };

    auto unaSucursal = [&] {
        if (!AbreBaseLocal(local)) {
            r = Resultado::SinConexion;
            return;
        }
        Ventana().Ceder();
        const std::string sucursal = cola.Texto("Sucursal");
        const auto id = EnteroDeCola(cola.Texto("Id"));
        if (!id) {
            AnotaError(std::string(kRutina) + " listasucursales: Id no numérico '" + cola.Texto("Id") + "'");
            r = Peor(r, Resultado::Incompleto);
            return;
        }
        auto marcaLeido = [&] {
            if (!AbreBase(bdHub, hub, "")) {
                r = Resultado::SinConexion;
                return false;
            }
            if (hub.Ejecutar("UPDATE concentradorqmx.listasucursales SET FechaLeidos='" +
                             kvtx8::FechaSQL(Ahora()) + "' WHERE Id=" + *id))
                return true;
            falla(hub);
            return false;
        };
        // A change made before the hub lost its row's reading is not made or told again; the row is
        // pending anew once the hub changes the branch again.
        const std::string llave = *id + "|" + cola.Texto("FechaCambios");
        const auto marcada = colas_aplicadas::Marcada(local, kCola, llave);
        if (!marcada) {
            falla(local);
            return;
        }

        if (*marcada) {
            // made already: only told and read
        } else if (cola.Entero("Quitar") == 1) {
            if (!EnTransaccion(local, [&] {
                    return local.Ejecutar("DELETE FROM " + PorClave("sucursales", local, sucursal)) &&
                           colas_aplicadas::Marca(local, kCola, llave, kAvisoSucursalEliminada,
                                                  "Sucursal eliminada: " + sucursal);
                })) {
                falla(local);
                return;
            }
        } else {
            if (!AbreBase(bdHub, hub, "")) {
                r = Resultado::SinConexion;
                return;
            }
            Registros enMatriz;
            if (!bdHub.AbrirTabla(enMatriz, hub,
                                  kvtx8::Identificador(matriz, "sucursales") + " WHERE Clave='" +
                                      hub.Escapar(sucursal) + "'")) {
                falla(hub);
                return;
            }
            if (enMatriz.Eof()) return;  // stays pending until the MATRIZ has it

            Registros enLocal;
            if (!bdLocal.AbrirTabla(enLocal, local, PorClave("sucursales", local, sucursal))) {
                falla(local);
                return;
            }
            // A branch the company has already is left as it is.
            if (enLocal.Eof()) {
                enLocal.AddNew();
                bdLocal.PasaCampo("Clave", enMatriz, enLocal);
                bdLocal.PasaCampo("Nombre", enMatriz, enLocal);
                bdLocal.PasaCampo("Espejo", enMatriz, enLocal);
                enLocal.Poner("Empresa", "0");
                if (!EnTransaccion(local, [&] {
                        return enLocal.Update() &&
                               colas_aplicadas::Marca(local, kCola, llave, kAvisoSucursalNueva,
                                                      "Nueva sucursal: " + sucursal);
                    })) {
                    falla(local);
                    return;
                }
            }
        }
        if (!colas_aplicadas::AvisaPendiente(servidorLocal, kCola, llave)) {
            falla(servidorLocal);
            return;
        }
        // Read once done, or it would be removed and announced again at every cycle.
        if (marcaLeido() && !colas_aplicadas::Olvida(local, kCola, llave)) falla(local);
    };

    for (; !cola.Eof(); cola.MoveNext()) {
        unaSucursal();
        if (!Sigue(r)) break;
    }
    return ContextoCiclo::Detenido() ? Peor(r, Resultado::Interrumpido) : r;
}

Resultado clsPendientes::ProveedoresSelect(Conexion& servidorLocal, Conexion& hub, Conexion& local,
                                           const std::string& matriz) {
    static constexpr const char* kRutina = "ProveedoresSelect()";
    static const std::string kCola = "proveedoresdematriz";
    BasesDD& bdLocal = Mod.BDLocal;
    BasesDD& bdHub = Mod.BDRemota;

    if (!AbreBase(bdHub, hub, "")) return Resultado::SinConexion;
    Registros deMatriz;
    if (!bdHub.AbrirTabla(
            deMatriz, hub,
            kvtx8::Identificador(matriz, "proveedores") + " WHERE CopiarAsucursales=1 ORDER BY Clave")) {
        return Falla(kRutina, hub);
    }
    Resultado r = Resultado::Completo;
    auto falla = [&](const Conexion& cn) { r = Peor(r, Falla(kRutina, cn)); };

    auto unProveedor = [&] {
        if (!AbreBase(bdHub, hub, "") || !AbreBaseLocal(local)) {
            r = Resultado::SinConexion;
            return;
        }
        Ventana().Ceder();
        const std::string clave = deMatriz.Texto("Clave");
        Registros enLocal;
        if (!bdLocal.AbrirTabla(enLocal, local, PorClave("proveedores", local, clave) + " LIMIT 1")) {
            falla(local);
            return;
        }
        // Copied once and never updated from here; the notice of the copy goes with it, and is raised from
        // its mark, so that a crash in between neither loses it nor tells it twice.
        if (!enLocal.Eof()) {
            const auto marcada = colas_aplicadas::Marcada(local, kCola, clave);
            if (!marcada) {
                falla(local);
                return;
            }
            if (!*marcada) return;
        } else {
            enLocal.AddNew();
            for (const char* campo : {"Clave", "Nombre", "Domicilio", "Colonia", "CP", "Ciudad", "Estado",
                                      "Telefono1", "RFC", "CURP"})
                bdLocal.PasaCampo(campo, deMatriz, enLocal);
            if (!EnTransaccion(local, [&] {
                    return enLocal.Update() && colas_aplicadas::Marca(local, kCola, clave, kAvisoProveedores,
                                                                      "Proveedor nuevo: " + clave);
                })) {
                falla(local);
                return;
            }
        }
        if (!colas_aplicadas::AvisaPendiente(servidorLocal, kCola, clave))
            falla(servidorLocal);
        else if (!colas_aplicadas::Olvida(local, kCola, clave))
            falla(local);
    };

    for (; !deMatriz.Eof(); deMatriz.MoveNext()) {
        unProveedor();
        if (!Sigue(r)) break;
    }
    return ContextoCiclo::Detenido() ? Peor(r, Resultado::Interrumpido) : r;
}

}  // namespace cnc
