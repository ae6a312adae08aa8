#include "receive/cls_pendientes.h"

#include "components/utilerias.h"
#include "core/shared_routines.h"
#include "notices/notice_store.h"
#include "receive/colas_aplicadas.h"
#include "receive/valores_de_cola.h"
#include "send/ciclo.h"

namespace cnc {

namespace {
constexpr const char* kCrLf = "\r\n";
constexpr int kAvisoGrupos = 0;
constexpr int kAvisoUsuarios = 1;
}  // namespace

std::string clsPendientes::Entrecomillar(const std::string& texto) {
    return "\"" + texto + "\"";
}

std::string clsPendientes::LiteralDeNombre(const std::string& nombre, const Conexion& cn) {
    // Between apostrophes always: a name between double quotes would be a column name to a server that
    // runs with ANSI_QUOTES.
    return cn.Literal(nombre);
}

bool clsPendientes::AbreAmbas(Conexion& servidorLocal, Conexion& hub) {
    return AbreBase(Mod.BDLocal, servidorLocal, "") && AbreBase(Mod.BDRemota, hub, "");
}

Resultado clsPendientes::Falla(const char* rutina, const Conexion& cn) {
    AnotaError(rutina);
    return cn.Abierta() ? Resultado::Incompleto : Resultado::SinConexion;
}

bool clsPendientes::Sigue(Resultado r) {
    return r != Resultado::SinConexion && !ContextoCiclo::Detenido();
}

Resultado clsPendientes::LeeGrupos(Conexion& servidorLocal, Conexion& hub, Conexion&) {
    static constexpr const char* kRutina = "LeeGrupos()";
    static const std::string kCola = "listagrupos";
    if (!AbreAmbas(servidorLocal, hub)) return Resultado::SinConexion;
    BasesDD& bdLocal = Mod.BDLocal;
    BasesDD& bdHub = Mod.BDRemota;
    const std::string& base = Mod.BDRemota.cMiBase;

    Registros cola;
    if (!bdHub.AbrirTabla(
            cola, hub, kvtx8::CambXXXSQL("concentradorqmx.listagrupos where BaseDeDatos='XXX'", base, hub))) {
        return Falla(kRutina, hub);
    }
    Resultado r = Resultado::Completo;
    auto falla = [&](const Conexion& cn) { r = Peor(r, Falla(kRutina, cn)); };
    std::vector<std::string> campos;  // shared by the source and the local table, found once

    auto unGrupo = [&] {
        if (!AbreAmbas(servidorLocal, hub)) {
            r = Resultado::SinConexion;
            return;
        }
        const std::string grupo = cola.Texto("Grupo");
        const std::string llave = kvtx8::NumeroSQL(cola.Texto("Id"));
        const auto aplicada = colas_aplicadas::Marcada(servidorLocal, kCola, llave);
        if (!aplicada) {
            falla(servidorLocal);
            return;
        }
        if (!*aplicada) {
            Registros origen;
            if (!bdHub.AbrirTabla(origen, hub, "grupos WHERE Grupo='" + hub.Escapar(grupo) + "' LIMIT 1")) {
                falla(hub);
                return;
            }
            if (origen.Eof()) return;  // stays queued for the next cycle

            Ventana().Estado(std::string("GRUPOS") + kCrLf + kvtx8::CambXXX("Grupo 'XXX'", grupo));
            Ventana().Ceder();

            const std::string fuenteLocal =
                "grupos WHERE Grupo='" + servidorLocal.Escapar(grupo) + "' LIMIT 1";
            Registros destino;
            if (!bdLocal.AbrirTabla(destino, servidorLocal, fuenteLocal)) {
                falla(servidorLocal);
                return;
            }
            const bool existia = !destino.Eof();
            if (campos.empty()) bdLocal.ObtenerEstructura(origen, destino, campos, false);
            if (!existia) destino.AddNew();
            for (const auto& c : campos) bdLocal.PasaCampo(c, origen, destino);
            // The group, its notice and the mark together: a group not written keeps its queue row.
            const bool hecho = EnTransaccion(servidorLocal, [&] {
                if (!destino.Update()) return false;
                Registros escrito;
                if (!bdLocal.AbrirTabla(escrito, servidorLocal, fuenteLocal)) return false;
                if (!escrito.Eof()) {
                    const std::string texto = std::string("Grupo ") + (existia ? "modificado" : "nuevo") +
                                              ": " + Entrecomillar(escrito.Texto("Grupo"));
                    if (!RegistraAviso(servidorLocal, texto, kAvisoGrupos)) return false;
                }
                return colas_aplicadas::Marca(servidorLocal, kCola, llave);
            });
            if (!hecho) {
                falla(servidorLocal);
                return;
            }
        }

        if (!hub.Ejecutar("DELETE FROM concentradorqmx.listagrupos WHERE Grupo='" + hub.Escapar(grupo) +
                          kvtx8::CambXXXSQL("' AND BaseDeDatos='XXX'", base, hub))) {
            falla(hub);
            return;
        }
        if (!colas_aplicadas::Olvida(servidorLocal, kCola, llave)) falla(servidorLocal);
    };

    for (; !cola.Eof(); cola.MoveNext()) {
        unGrupo();
        if (!Sigue(r)) break;
    }
    return ContextoCiclo::Detenido() ? Peor(r, Resultado::Interrumpido) : r;
}

Resultado clsPendientes::LeeUsuarios(Conexion& servidorLocal, Conexion& hub, Conexion&) {
    static constexpr const char* kRutina = "LeeUsuarios()";
    static const std::string kCola = "listausuarios";
    if (!AbreAmbas(servidorLocal, hub)) return Resultado::SinConexion;
    BasesDD& bdLocal = Mod.BDLocal;
    BasesDD& bdHub = Mod.BDRemota;
    const std::string& base = Mod.BDRemota.cMiBase;

    Registros cola;
    if (!bdHub.AbrirTabla(cola, hub,
                          "concentradorqmx.listausuarios WHERE BaseDeDatos='" + hub.Escapar(base) +
                              "' AND FechaLeidos<FechaCambios")) {
        return Falla(kRutina, hub);
    }
    Resultado r = Resultado::Completo;
    auto falla = [&](const Conexion& cn) { r = Peor(r, Falla(kRutina, cn)); };

    auto unUsuario = [&] {
        if (!AbreAmbas(servidorLocal, hub)) {
            r = Resultado::SinConexion;
            return;
        }
        const std::string idUsuario = kvtx8::NumeroSQL(cola.Texto("IdUsuario"));
        auto marcaLeido = [&] {
            if (hub.Ejecutar("UPDATE concentradorqmx.listausuarios SET FechaLeidos='" +
                             kvtx8::FechaSQL(Ahora()) + "' WHERE BaseDeDatos='" + hub.Escapar(base) +
                             "' AND IdUsuario=" + idUsuario))
                return true;
            falla(hub);
            return false;
        };

        // The row again once the hub changes the user anew: its date of change goes with it.
        const std::string llave = kvtx8::NumeroSQL(cola.Texto("Id")) + "|" + cola.Texto("FechaCambios");
        const auto aplicada = colas_aplicadas::Marcada(servidorLocal, kCola, llave);
        if (!aplicada) {
            falla(servidorLocal);
            return;
        }
        if (*aplicada) {
            if (marcaLeido() && !colas_aplicadas::Olvida(servidorLocal, kCola, llave)) falla(servidorLocal);
            return;
        }

        Registros origen;
        // A failed read is not a missing user: the row stays pending.
        if (!bdHub.AbrirTabla(origen, hub, "usuarios WHERE Id=" + idUsuario)) {
            falla(hub);
            return;
        }
        if (origen.Eof()) {
            marcaLeido();
            return;
        }

        Ventana().Estado(std::string("USUARIOS") + kCrLf + "Usuario " + idUsuario);
        Ventana().Ceder();

        const std::string literal = LiteralDeNombre(origen.Texto("Usuario"), servidorLocal);
        Registros destino;
        if (!bdLocal.AbrirTabla(destino, servidorLocal, "usuarios WHERE Usuario=" + literal)) {
            falla(servidorLocal);
            return;
        }
        const bool existia = !destino.Eof();

        if (cola.Entero("Quitar") == 1) {
            if (!servidorLocal.Ejecutar("DELETE FROM usuarios WHERE Usuario=" + literal)) {
                falla(servidorLocal);
                return;
            }
            marcaLeido();
            return;
        }

        const long long id =
            existia ? destino.Entero("Id") : bdLocal.IdMaximo(servidorLocal, "usuarios", "Id") + 1;
        if (!existia) destino.AddNew();
        for (const auto& c : destino.Campos()) bdLocal.PasaCampo(c.nombre, origen, destino);
        destino.Poner("Id", std::to_string(id));
        // The user, its notice and the mark together: a user not written stays pending.
        const bool hecho = EnTransaccion(servidorLocal, [&] {
            if (!destino.Update()) return false;
            Registros escrito;
            if (!bdLocal.AbrirTabla(escrito, servidorLocal, "usuarios WHERE Id=" + std::to_string(id)))
                return false;
            if (!escrito.Eof()) {
                const std::string ale = escrito.Texto("AlE");
                const std::string usuario = Mod.Acceso.DesEncripta(escrito.Texto("Usuario"), ale);
                const std::string nombre = Mod.Acceso.DesEncripta(escrito.Texto("Nombre"), ale);
                const std::string grupo = kvtx8::Recorta(Mod.Acceso.DesEncripta(escrito.Texto("Grupo"), ale));
                std::string texto = std::string("Usuario ") + (existia ? "modificado" : "nuevo") + ": " +
                                    Entrecomillar(usuario) + kCrLf + "Nombre: " + nombre;
                if (!grupo.empty()) texto += kCrLf + std::string("Grupo: ") + Entrecomillar(grupo);
                if (!RegistraAviso(servidorLocal, texto, kAvisoUsuarios)) return false;
            }
            return colas_aplicadas::Marca(servidorLocal, kCola, llave);
        });
        if (!hecho) {
            falla(servidorLocal);
            return;
        }
        if (marcaLeido() && !colas_aplicadas::Olvida(servidorLocal, kCola, llave)) falla(servidorLocal);
    };

    for (; !cola.Eof(); cola.MoveNext()) {
        unUsuario();
        if (!Sigue(r)) break;
    }
    return ContextoCiclo::Detenido() ? Peor(r, Resultado::Interrumpido) : r;
}

}  // namespace cnc
