// Crashes at chosen points of a whole run of the real program: the hub server, the local server or the
// program itself dies by SIGKILL after a number of statements drawn from a seed. Whatever was killed comes
// back, normal runs follow until they change nothing, and the end must be the end of a run that was never
// disturbed: nothing lost, nothing doubled.
//
//   CNC_PUNTOS=N CNC_SEMILLA=S test_killpoints   (scripts/killpoints N S)
// Point i uses seed S + i; `scripts/killpoints 1 <seed>` repeats one.
#include <mysql.h>
#include <signal.h>
#include <unistd.h>

#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "support/escenario.h"

namespace {

using prueba::Filas;
using prueba::Servidor;

std::string Var(const char* nombre, const std::string& omision) {
    const char* v = std::getenv(nombre);
    return v && *v ? v : omision;
}

// A connection of its own that reads a server's statement counter; its own readings are left out.
class Contador {
  public:
    explicit Contador(const Servidor& s) {
        m_ = mysql_init(nullptr);
        if (!mysql_real_connect(m_, s.host.c_str(), s.usuario.c_str(), s.password.c_str(), nullptr,
                                static_cast<unsigned>(std::stoul(s.puerto)), nullptr, 0)) {
            mysql_close(m_);
            m_ = nullptr;
        }
        if (m_) base_ = Lee();
    }
    ~Contador() {
        if (m_) mysql_close(m_);
    }
    bool Listo() const { return m_ != nullptr; }
    // Statements of everyone else since the start; -1 once the server is gone.
    long long Cuenta() {
        const long long q = Lee();
        return q < 0 ? -1 : q - base_ - lecturas_;
    }

  private:
    long long Lee() {
        if (!m_ || mysql_query(m_, "SHOW GLOBAL STATUS LIKE 'Questions'") != 0) return -1;
        ++lecturas_;
        long long q = -1;
        if (MYSQL_RES* r = mysql_store_result(m_)) {
            if (MYSQL_ROW f = mysql_fetch_row(r)) q = std::atoll(f[1]);
            mysql_free_result(r);
        }
        return q;
    }
    MYSQL* m_ = nullptr;
    long long base_ = 0, lecturas_ = 0;
};

// Work in every place a run reaches, on top of the demo group: statements of deletion to replay in
// ESPEJO, a price list, deletions, branches and alerts queued on the hub.
void Trabajo(prueba::Escenario& e) {
    const std::string q = "'" + e.espejo + "'";
    e.Local(e.baseLocal,
            "INSERT INTO sqlborrado (Sentencia) VALUES "
            "('DELETE FROM clientes WHERE Id=121'), ('DELETE FROM marcas WHERE Id=11');"
            "UPDATE clientes SET Nombre=CONCAT(Nombre, ' (cambiado)') WHERE Id % 7 = 0;"
            "INSERT INTO clavesalternas (ClaveProducto, ClaveAlterna) VALUES ('P0050', '7501'), ('P0051', "
            "'7502');"
            "INSERT INTO configura (Dato, Contenido) VALUES ('PROVEEDORMATRIZ', '');"
            "INSERT INTO ordenes (Orden) VALUES (31)");
    e.Espejo(
        "INSERT INTO clientes (Id, Clave, Nombre) VALUES (121, 'C0121', 'Cliente borrado');"
        "INSERT INTO marcas (Id, Marca) VALUES (11, 'Marca borrada')");
    e.Hub(
        e.matriz,
        "INSERT INTO lineas (Id, Linea) VALUES (4, 'Importados');"
        "INSERT INTO productos (Clave, Descrip, Linea, Existencia, Precio1, IVA, Precio2) VALUES "
        "('MZ01', 'Café importado de Colombia, 500 g', 4, 30, 200, 16, 210), "
        "('P0001', 'Producto de prueba número 1', 0, 0, 0, 16, 99.5);"
        "INSERT INTO sucursales (Clave, Nombre, Espejo) VALUES ('SUC9', 'Sucursal Nueve', 'sucursal_nueve');"
        "INSERT INTO proveedores (Clave, Nombre, CopiarAsucursales) VALUES ('PM1', 'Proveedor de matriz', "
        "1), "
        "('PM2', 'Solo de matriz', 0);"
        "INSERT INTO clientes (Clave, Nombre, SeriePedidos, Precio, ClienteSucursal) VALUES "
        "('SUC-C', 'Sucursal Centro', 'SC', 2, " +
            q + ")");
    e.Hub("concentradorqmx",
          "INSERT INTO listaprecios (Id, Producto, lista, Precio) VALUES (1, 'MZ01', 1, 250), "
          "(2, 'P0001', 2, 99.5), (3, 'P0003', 1, 77.75);"
          "INSERT INTO pendientesldp (BaseDeDatos, IdLDP) VALUES (" +
              q + ", 1), (" + q + ", 2), (" + q +
              ", 3);"
              "INSERT INTO aborrar (BaseDeDatos, Tabla, Llave) VALUES (" +
              q + ", 'productos', 'P0050'), (" + q +
              ", 'productos', 'P0051');"
              "INSERT INTO archivosasubir (Tipo, BaseDeDatos, clave, Contenido) VALUES ('PV', " +
              q +
              ", 'PRV1', 'Proveedor Uno\r\nCalle 1\r\nCentro');"
              "INSERT INTO listasucursales (BaseDeDatos, Sucursal, FechaCambios) VALUES (" +
              q +
              ", 'SUC9', '2026-12-01');"
              "INSERT INTO alertassinarchivo (BaseDeDatos, TipoAlerta) VALUES (" +
              q + ", 1), (" + q + ", 2), (" + q + ", 3)");
    // Changes delivered as files: a cost change, a kit, an offer, a new product of the MATRIZ, and one
    // for a product the MATRIZ no longer has, kept as an error.
    const std::string precios =
        "0,\"\",\"\",0,0\r\n0,\"\",\"\",0,0\r\n0,\"\",\"\",0,0\r\n0,\"\",\"\",0,0\r\n0,\"\",\"\",0,0\r\n";
    e.Hub(e.matriz,
          "INSERT INTO productos (Clave, Descrip, Linea, Precio1, Costo) VALUES "
          "('MZ02', 'Té verde, 20 sobres', 4, 45.5, 20)");
    e.Hub("concentradorqmx",
          "INSERT INTO archivosasubir (Tipo, BaseDeDatos, clave, Contenido) VALUES "
          "('CC', " +
              q + ", 'P0002', '120,0\r\n" + precios +
              "'), "
              "('KT', " +
              q +
              ", 'K1', '50\r\n'), "
              "('OF', " +
              q +
              ", '', '\"D\",#2026-12-01#,#2026-12-31#,\"\",\"\",\"\",0,0,5\r\n0,0\r\n'), "
              "('PR', " +
              q +
              ", 'MZ02', 'producto nuevo'), "
              "('CC', " +
              q + ", 'NADA', '1,0\r\n" + precios + "')");
    // A purchase order of the branch, to become an order of the MATRIZ.
    std::string orden =
        "2026-12-01\r\n0\r\n199\r\n31.84\r\n0\r\n\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n"
        "Urgente\r\nPEDRO\r\n\r\n\r\n";
    orden += "--------\r\n1\r\nP0001\r\nProducto de prueba número 1\r\n2\r\n0\r\n0\r\n0\r\n\r\n";
    e.Local("concentradorqmx",
            "INSERT INTO archivosasubir (Tipo, BaseDeDatos, Folio, Contenido) VALUES ('OC', '" + e.baseLocal +
                "', 31, '" + orden + "')");
}

// The databases of the group as they stand before any run, kept beside them as kp_<name> (only the tables
// with rows), and put back before every point: building them anew takes many seconds.
class Foto {
  public:
    Foto(prueba::Escenario& e)
        : bases_{{&e.local, "generaltarvena"},
                 {&e.local, e.baseLocal},
                 {&e.local, "concentradorqmx"},
                 {&e.hub, "generaltarvena"},
                 {&e.hub, "concentradorqmx"},
                 {&e.hub, e.espejo},
                 {&e.hub, e.matriz}} {
        for (auto& b : bases_) {
            b.sumas = Sumas(b);
            b.contadores = Contadores(b);
            std::string sql =
                "DROP DATABASE IF EXISTS `kp_" + b.nombre + "`; CREATE DATABASE `kp_" + b.nombre + "`;";
            for (const auto& [t, suma] : b.sumas) {
                sql += "CREATE TABLE `kp_" + b.nombre + "`.`" + t + "` LIKE `" + b.nombre + "`.`" + t +
                       "`; INSERT INTO `kp_" + b.nombre + "`.`" + t + "` SELECT * FROM `" + b.nombre + "`.`" +
                       t + "`;";
            }
            prueba::EjecutaSQL(*b.servidor, "", sql);
        }
    }
    // Only the tables whose rows or next key moved.
    void Restaura() {
        for (auto& b : bases_) {
            std::string sql;
            for (const auto& [t, suma] : Sumas(b)) {
                if (b.sumas[t] == suma) continue;
                const std::string nombre = "`" + b.nombre + "`.`" + t + "`";
                sql += "DELETE FROM " + nombre + "; INSERT INTO " + nombre + " SELECT * FROM `kp_" +
                       b.nombre + "`.`" + t + "`;";
            }
            if (!sql.empty()) prueba::EjecutaSQL(*b.servidor, "", sql);
            sql.clear();
            for (const auto& [t, siguiente] : Contadores(b))
                if (b.contadores[t] != siguiente)
                    sql +=
                        "ALTER TABLE `" + b.nombre + "`.`" + t + "` AUTO_INCREMENT=" + b.contadores[t] + ";";
            if (!sql.empty()) prueba::EjecutaSQL(*b.servidor, "", sql);
        }
    }
    ~Foto() {
        for (auto& b : bases_) {
            try {
                prueba::BorraBase(*b.servidor, "kp_" + b.nombre);
            } catch (...) {
            }
        }
    }

  private:
    struct Base {
        Base(const Servidor* s, std::string n) : servidor(s), nombre(std::move(n)) {}
        const Servidor* servidor;
        std::string nombre;
        std::map<std::string, std::string> sumas, contadores;
    };
    // Every table's checksum, and its next autoincrement value.
    static std::map<std::string, std::string> Sumas(const Base& b) {
        std::string lista;
        for (const auto& t :
             Filas(*b.servidor, "information_schema",
                   "SELECT TABLE_NAME FROM TABLES WHERE TABLE_TYPE='BASE TABLE' AND TABLE_SCHEMA='" +
                       b.nombre + "'"))
            lista += (lista.empty() ? "`" : ", `") + b.nombre + "`.`" + t + "`";
        std::map<std::string, std::string> r;
        for (const auto& f : Filas(*b.servidor, "", "CHECKSUM TABLE " + lista)) {
            const auto barra = f.find('|');
            r[f.substr(b.nombre.size() + 1, barra - b.nombre.size() - 1)] = f.substr(barra + 1);
        }
        return r;
    }
    static std::map<std::string, std::string> Contadores(const Base& b) {
        std::map<std::string, std::string> r;
        for (const auto& f :
             Filas(*b.servidor, "information_schema",
                   "SELECT TABLE_NAME, AUTO_INCREMENT FROM TABLES WHERE AUTO_INCREMENT IS NOT "
                   "NULL AND TABLE_SCHEMA='" +
                       b.nombre + "'")) {
            const auto barra = f.find('|');
            r[f.substr(0, barra)] = f.substr(barra + 1);
        }
        return r;
    }
    std::vector<Base> bases_;
};

// The tables a run sends by key, and the columns both sides compare (never the server's own FADUA); the
// runs compare among themselves without the times of day the program writes, and by Clave where a table
// has one: rows the runs add in another order take other numbers.
// A table without a Clave is compared among runs as the multiset of its rows without the number: a unit of
// work undone by a server that died has used up numbers InnoDB never gives back, so the same row comes
// back under another. A row doubled or lost still shows; a number other rows point at still shows in the
// columns that point at it.
struct Tabla {
    std::string nombre, llave, columnas, sinHoras, llaveEstado;
    bool sinClave = false;
};

std::vector<Tabla> TablasEnviadas(prueba::Escenario& e) {
    static const std::set<std::string> fuera{"configura", "sistema", "generales", "anexoreportes"};
    // A catalogue row the run adds may take another number (see Tabla): the rows that point at it are
    // compared by its name, or by the number when it names nothing.
    static const std::map<std::string, std::string> porNombre{
        {"productos.Linea", "SELECT x.Linea FROM lineas x WHERE x.Id=productos.Linea"},
        {"productos.SubLinea", "SELECT x.SubLinea FROM sublineas x WHERE x.Id=productos.SubLinea"},
        {"productos.Marca", "SELECT x.Marca FROM marcas x WHERE x.Id=productos.Marca"},
        {"productos.UnidadMedida", "SELECT x.Medida FROM medidas x WHERE x.Id=productos.UnidadMedida"},
        {"sublineas.IdLinea", "SELECT x.Linea FROM lineas x WHERE x.Id=sublineas.IdLinea"},
        // The MATRIZ numbers its orders the same way (see Estado): here only whether the order has one.
        {"ordenes.Pedido", "SELECT IF(ordenes.Pedido > 0, 'con pedido', NULL)"}};
    std::map<std::string, std::string> columnas, sinHoras, llaves;
    std::set<std::string> conClave;
    for (const auto& f : Filas(e.local, "information_schema",
                               "SELECT TABLE_NAME, COLUMN_NAME, DATA_TYPE IN ('time', 'datetime', "
                               "'timestamp') FROM COLUMNS WHERE TABLE_SCHEMA='" +
                                   e.baseLocal +
                                   "' AND COLUMN_NAME<>'FADUA' AND TABLE_NAME IN (SELECT TABLE_NAME FROM "
                                   "COLUMNS WHERE TABLE_SCHEMA='" +
                                   e.baseLocal +
                                   "' AND EXTRA LIKE '%auto_increment%') ORDER BY TABLE_NAME, "
                                   "ORDINAL_POSITION")) {
        const auto barra = f.find('|'), otra = f.rfind('|');
        const std::string tabla = f.substr(0, barra),
                          columna = "`" + f.substr(barra + 1, otra - barra - 1) + "`";
        const bool primera = !columnas.count(tabla);
        if (primera) llaves[tabla] = columna;
        if (columna == "`Clave`") conClave.insert(tabla);
        const std::string valor = "IFNULL(" + columna + ", '~')";
        std::string& c = columnas[tabla];
        c += (c.empty() ? "" : ",") + valor;
        std::string& h = sinHoras[tabla];
        const auto nombre = porNombre.find(tabla + "." + f.substr(barra + 1, otra - barra - 1));
        if (f.substr(otra + 1) == "0" && !primera)
            h += (h.empty() ? "" : ",") +
                 (nombre == porNombre.end() ? valor : "IFNULL((" + nombre->second + "), " + valor + ")");
    }
    std::vector<Tabla> r;
    for (const auto& [tabla, c] : columnas) {
        if (fuera.count(tabla)) continue;
        const std::string& llave = llaves[tabla];
        const bool clave = conClave.count(tabla) > 0;
        r.push_back({tabla, llave, c, sinHoras[tabla].empty() ? "''" : sinHoras[tabla],
                     clave ? "`Clave`" : llave, !clave});
    }
    return r;
}

// Key and fingerprint of every row; a text's apostrophes as the timestamp export writes them.
std::map<std::string, std::string> Huellas(const Servidor& s, const std::string& base, const Tabla& t,
                                           const std::string& donde = "", bool conHoras = true) {
    std::map<std::string, std::string> r;
    for (const auto& f : Filas(s, base,
                               "SELECT CONCAT_WS('|', " + (conHoras ? t.llave : t.llaveEstado) +
                                   ", MD5(REPLACE(CONCAT_WS('|'," + (conHoras ? t.columnas : t.sinHoras) +
                                   "), \"'\", '\"'))) FROM `" + t.nombre + "`" + donde)) {
        const auto barra = f.rfind('|');
        r[f.substr(0, barra)] = f.substr(barra + 1);
    }
    return r;
}

// Every local row of a table as its values, without the times of day: what a difference is shown from.
std::map<std::string, std::vector<std::string>> Valores(prueba::Escenario& e, const Tabla& t) {
    std::map<std::string, std::vector<std::string>> r;
    for (const auto& f : Filas(
             e.local, e.baseLocal,
             "SELECT CONCAT_WS('\x1f', " + t.llaveEstado + ", " + t.sinHoras + ") FROM `" + t.nombre + "`")) {
        std::vector<std::string> v;
        std::string::size_type i = 0;
        for (auto j = f.find('\x1f');; i = j + 1, j = f.find('\x1f', i)) {
            v.push_back(f.substr(i, j == std::string::npos ? j : j - i));
            if (j == std::string::npos) break;
        }
        const std::string llave = v.front();
        v.erase(v.begin());
        r[llave] = std::move(v);
    }
    return r;
}

// The columns of a fingerprint list, by name.
std::vector<std::string> Columnas(const std::string& lista) {
    std::vector<std::string> r;
    for (auto i = lista.find('`'); i != std::string::npos; i = lista.find('`', lista.find('`', i + 1) + 1))
        r.push_back(lista.substr(i + 1, lista.find('`', i + 1) - i - 1));
    return r;
}

// Every local row (optionally those before a moment) in ESPEJO once, with the local values.
std::vector<std::string> Faltantes(prueba::Escenario& e, const std::vector<Tabla>& tablas,
                                   const std::string& antesDe = "") {
    std::vector<std::string> r;
    for (const auto& t : tablas) {
        const auto locales =
            Huellas(e.local, e.baseLocal, t, antesDe.empty() ? "" : " WHERE FADUA < '" + antesDe + "'");
        if (locales.empty()) continue;
        const auto remotas = Huellas(e.hub, e.espejo, t);
        for (const auto& [llave, huella] : locales) {
            const auto h = remotas.find(llave);
            if (h == remotas.end())
                r.push_back(t.nombre + " " + llave + " falta en ESPEJO");
            else if (h->second != huella)
                r.push_back(t.nombre + " " + llave + " difiere en ESPEJO");
        }
    }
    return r;
}

// What an undisturbed run leaves behind, minus what differs by the clock: the local company, the users and
// groups, the notices by type and text, the hub's queues, and what ESPEJO holds beyond the local rows.
std::map<std::string, std::string> Estado(prueba::Escenario& e, const std::vector<Tabla>& tablas) {
    std::map<std::string, std::string> r;
    for (const auto& t : tablas) {
        std::string todo;
        if (t.sinClave) {
            // Every row once per time it is there, its first values readable beside its fingerprint.
            const std::string valores = "CONCAT_WS('|', " + t.sinHoras + ")";
            for (const auto& f :
                 Filas(e.local, e.baseLocal,
                       "SELECT CONCAT(REPLACE(LEFT(" + valores + ", 60), ';', ','), ':', MD5(" + valores +
                           ")) FROM `" + t.nombre + "` ORDER BY 1"))
                todo += f + ";";
        } else {
            for (const auto& [llave, huella] : Huellas(e.local, e.baseLocal, t, "", false))
                todo += llave + ":" + huella + ";";
        }
        r["local " + t.nombre] = todo;
    }
    auto junta = [](const std::vector<std::string>& filas) {
        std::string s;
        for (const auto& f : filas) s += f + ";";
        return s;
    };
    r["grupos"] = junta(Filas(e.local, "generaltarvena", "SELECT Grupo, Descripcion FROM grupos ORDER BY 1"));
    r["usuarios"] = junta(Filas(e.local, "generaltarvena", "SELECT Id FROM usuarios ORDER BY 1"));
    // The MATRIZ's orders by their place among its orders rather than their number: one a dead run left
    // unwritten has used up its number.
    std::map<std::string, std::string> lugar;
    for (const auto& id : Filas(e.hub, e.matriz, "SELECT Id FROM pedidos ORDER BY Id"))
        lugar[id] = "#" + std::to_string(lugar.size() + 1);
    auto enLugar = [&](const std::string& id) {
        const auto l = lugar.find(id);
        return l == lugar.end() ? id : l->second;
    };
    // By line: a run cut short ends its notice there, and the next run's lines start a notice of their own.
    std::map<std::string, int> lineas;
    for (const auto& f : Filas(e.local, "concentradorqmx",
                               "SELECT TipoAviso, CAST(DECODE(Aviso, CAST(Metodo AS CHAR)) AS CHAR) "
                               "FROM avisos")) {
        const auto barra = f.find('|');
        std::string::size_type i = barra + 1;
        for (auto j = f.find("\r\n", i);; i = j + 2, j = f.find("\r\n", i)) {
            std::string linea = f.substr(i, j == std::string::npos ? j : j - i);
            static const std::string kPedido = " enviada como el pedido ";
            if (const auto p = linea.rfind(kPedido); p != std::string::npos)
                linea = linea.substr(0, p + kPedido.size()) + enLugar(linea.substr(p + kPedido.size()));
            ++lineas[f.substr(0, barra) + "|" + linea];
            if (j == std::string::npos) break;
        }
    }
    std::string avisos;
    for (const auto& [linea, veces] : lineas) avisos += linea + " x" + std::to_string(veces) + ";";
    r["avisos"] = avisos;
    r["borrarycancelar"] = junta(Filas(e.local, "concentradorqmx", "SELECT COUNT(*) FROM borrarycancelar"));
    for (const char* cola : {"listagrupos", "pendientesldp", "aborrar", "alertassinarchivo"})
        r[std::string("hub ") + cola] = junta(
            Filas(e.hub, "concentradorqmx",
                  std::string("SELECT COUNT(*) FROM ") + cola + " WHERE BaseDeDatos='" + e.espejo + "'"));
    r["hub listausuarios"] = junta(Filas(
        e.hub, "concentradorqmx", "SELECT COUNT(*) FROM listausuarios WHERE FechaLeidos < FechaCambios"));
    r["hub listasucursales"] = junta(Filas(
        e.hub, "concentradorqmx", "SELECT COUNT(*) FROM listasucursales WHERE FechaLeidos < FechaCambios"));
    r["espejo clientes"] =
        junta(Filas(e.hub, e.espejo, "SELECT COUNT(*), COUNT(DISTINCT Clave) FROM clientes"));
    r["espejo productos"] =
        junta(Filas(e.hub, e.espejo, "SELECT COUNT(*) - COUNT(DISTINCT Clave) FROM productos"));
    r["espejo sqlborrado"] =
        junta(Filas(e.hub, e.espejo, "SELECT Id, Sentencia FROM sqlborrado ORDER BY Id"));
    r["hub archivosasubir"] = junta(Filas(e.hub, "concentradorqmx", "SELECT COUNT(*) FROM archivosasubir"));
    r["hub erroresdelectura"] = junta(
        Filas(e.hub, "concentradorqmx", "SELECT Tipo, clave, COUNT(*) FROM erroresdelectura GROUP BY 1, 2"));
    r["kits"] = junta(Filas(e.local, e.baseLocal, "SELECT Clave, Costo FROM kits ORDER BY 1"));
    r["ofertas"] = junta(Filas(e.local, e.baseLocal, "SELECT COUNT(*) FROM descuentoyoferta"));
    r["costo P0002"] = junta(Filas(e.local, e.baseLocal, "SELECT Costo FROM productos WHERE Clave='P0002'"));
    r["MZ02"] =
        junta(Filas(e.local, e.baseLocal, "SELECT Descrip, Precio1 FROM productos WHERE Clave='MZ02'"));
    r["archivosasubir"] = junta(Filas(e.local, "concentradorqmx", "SELECT COUNT(*) FROM archivosasubir"));
    std::vector<std::string> pedidos =
        Filas(e.hub, e.matriz,
              "SELECT p.Id, p.Orden, p.Serie, p.Cliente, d.Producto, d.Cantidad, d.PrecioNeto "
              "FROM pedidos p LEFT JOIN pedidosdetalle d ON d.Id=p.Id ORDER BY p.Id, 5");
    for (auto& f : pedidos) f = enLugar(f.substr(0, f.find('|'))) + f.substr(f.find('|'));
    r["pedidos"] = junta(pedidos);
    r["espejo productos MZ01"] =
        junta(Filas(e.hub, e.espejo, "SELECT COUNT(*) FROM productos WHERE Clave='MZ01'"));
    r["espejo marcas 11"] = junta(Filas(e.hub, e.espejo, "SELECT COUNT(*) FROM marcas WHERE Id=11"));
    return r;
}

std::string Fddua(prueba::Escenario& e) {
    return prueba::Consulta(e.local, "concentradorqmx",
                            "SELECT Contenido FROM configuracion WHERE Dato='FDDUA'");
}

// Normal runs until one changes nothing; false when a run fails or they never settle.
bool HastaQueNadaQuede(prueba::Escenario& e, const std::vector<Tabla>& tablas, std::string& motivo) {
    auto antes = Estado(e, tablas);
    auto faltan = Faltantes(e, tablas);
    for (int i = 0; i < 5; ++i) {
        const auto c = e.Ejecuta(0);
        if (c.estado != 0) {
            motivo = "la corrida normal terminó con " + std::to_string(c.estado) + ": " + c.mensajes;
            return false;
        }
        auto despues = Estado(e, tablas);
        auto faltanAhora = Faltantes(e, tablas);
        if (despues == antes && faltanAhora == faltan && i > 0) return true;
        antes = std::move(despues);
        faltan = std::move(faltanAhora);
    }
    motivo = "cinco corridas normales no terminaron el trabajo";
    return false;
}

// The entries one state has and the other lacks, on one line each way.
std::string Diferencia(const std::string& obtenido, const std::string& esperado) {
    auto partes = [](const std::string& s) {
        std::multiset<std::string> r;
        std::string::size_type i = 0;
        for (auto j = s.find(';'); j != std::string::npos; i = j + 1, j = s.find(';', i)) {
            std::string p = s.substr(i, j - i);
            for (auto& c : p)
                if (c == '\n' || c == '\r') c = ' ';
            r.insert(p.substr(0, 160));
        }
        return r;
    };
    const auto a = partes(obtenido), b = partes(esperado);
    std::string sobran, faltan;
    for (const auto& p : a)
        if (a.count(p) > b.count(p) && sobran.find(p) == std::string::npos) sobran += " [" + p + "]";
    for (const auto& p : b)
        if (b.count(p) > a.count(p) && faltan.find(p) == std::string::npos) faltan += " [" + p + "]";
    return "de más:" + (sobran.empty() ? std::string(" nada") : sobran) +
           "; faltan:" + (faltan.empty() ? std::string(" nada") : faltan);
}

const char* const kVictimas[] = {"hub", "local", "programa"};

struct Resultado {
    bool bien = true;
    std::string detalle, tiempos, fallas;
    void Falla(const std::string& s) {
        bien = false;
        fallas += "\n  " + s;
    }
};

class PuntosDeCaida : public ::testing::Test {
  protected:
    void SetUp() override {
        REQUIERE_SERVIDORES();
        e_ = std::make_unique<prueba::Escenario>(prueba::kDemo);
        Trabajo(*e_);
        foto_ = std::make_unique<Foto>(*e_);
    }
    void TearDown() override { foto_.reset(); }

    // The undisturbed run: its statements on each server and the state it settles in.
    void Referencia() {
        prueba::Escenario& e = *e_;
        foto_->Restaura();
        tablas_ = TablasEnviadas(e);
        Contador hub(e.hub), local(e.local);
        const auto c = e.Ejecuta(0);
        ASSERT_EQ(c.estado, 0) << c.mensajes;
        total_[0] = hub.Cuenta();
        total_[1] = local.Cuenta();
        std::string motivo;
        ASSERT_TRUE(HastaQueNadaQuede(e, tablas_, motivo)) << motivo;
        const auto faltan = Faltantes(e, tablas_);
        ASSERT_TRUE(faltan.empty()) << faltan.front();
        referencia_ = Estado(e, tablas_);
        for (const auto& t : tablas_) valores_[t.nombre] = Valores(e, t);
        std::printf("referencia: %lld sentencias en el hub, %lld en el servidor local\n", total_[0],
                    total_[1]);
    }

    Resultado Punto(uint64_t semilla) {
        Resultado r;
        std::mt19937_64 azar(semilla);
        int victima = static_cast<int>(azar() % 3);
        int cuenta = victima < 2 ? victima : static_cast<int>(azar() % 2);
        long long en = static_cast<long long>(azar() % static_cast<uint64_t>(total_[cuenta]));
        // CNC_PUNTO="victim counter statement [step]" (victim 0 hub, 1 local, 2 program; counter 0 hub, 1
        // local) names the first point, each next one `step` statements later.
        if (const std::string punto = Var("CNC_PUNTO", ""); !punto.empty()) {
            long long paso = 0;
            std::sscanf(punto.c_str(), "%d %d %lld %lld", &victima, &cuenta, &en, &paso);
            en += paso * static_cast<long long>(semilla - std::stoull(Var("CNC_SEMILLA", "1")));
        }
        r.detalle = std::string("semilla ") + std::to_string(semilla) + ": " + kVictimas[victima] +
                    " tras la sentencia " + std::to_string(en) + " del " + (cuenta ? "local" : "hub");

        prueba::Escenario& e = *e_;
        const auto t0 = std::chrono::steady_clock::now();
        foto_->Restaura();
        const auto t1 = std::chrono::steady_clock::now();
        Contador contador(cuenta ? e.local : e.hub);
        if (!contador.Listo()) {
            r.Falla("sin contador");
            return r;
        }
        const int pid = e.Inicia(0);
        bool murio = false;
        int estado = -1;
        for (;;) {
            int st = 0;
            if (waitpid(pid, &st, WNOHANG) == pid) {
                estado = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
                break;
            }
            const long long n = contador.Cuenta();
            if (n >= en) {
                if (victima == 2) {
                    kill(pid, SIGKILL);
                } else {
                    prueba::MataServidor(kVictimas[victima]);
                    murio = true;
                }
                break;
            }
        }
        if (murio && !prueba::ReviveServidor(kVictimas[victima])) {
            r.Falla("el servidor no volvió");
            return r;
        }
        if (estado < 0) {
            // A run that lost a server ends on its own, in order.
            const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(120);
            while (estado < 0) {
                int st = 0;
                if (waitpid(pid, &st, WNOHANG) == pid) {
                    estado = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
                } else if (std::chrono::steady_clock::now() > limite) {
                    kill(pid, SIGKILL);
                    r.Falla("la corrida no terminó en dos minutos");
                    estado = prueba::Escenario::Espera(pid);
                } else {
                    std::this_thread::sleep_for(std::chrono::milliseconds(20));
                }
            }
            if (victima < 2 && estado >= 128)
                r.Falla("la corrida murió (" + std::to_string(estado) + ") en vez de terminar en orden");
        }
        // The cut-off never passes a row that is not in ESPEJO as it stands locally.
        // No cut-off yet (the run died before its first export) promises nothing.
        if (const std::string corte = Fddua(e); !corte.empty())
            for (const auto& f : Faltantes(e, tablas_, corte)) r.Falla("FDDUA " + corte + " pasa: " + f);

        const auto t2 = std::chrono::steady_clock::now();
        std::string motivo;
        if (!HastaQueNadaQuede(e, tablas_, motivo)) {
            r.Falla(motivo);
            return r;
        }
        const auto t3 = std::chrono::steady_clock::now();
        auto ms = [](auto a, auto b) {
            return std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(b - a).count());
        };
        r.tiempos = "restaura " + ms(t0, t1) + " ms, corrida " + ms(t1, t2) + " ms, corridas normales " +
                    ms(t2, t3) + " ms";
        for (const auto& f : Faltantes(e, tablas_)) r.Falla(f);
        const auto final = Estado(e, tablas_);
        for (const auto& [clave, valor] : referencia_) {
            const auto v = final.find(clave);
            if (v == final.end() || v->second != valor)
                r.Falla(clave + ": " + Diferencia(v == final.end() ? "" : v->second, valor));
        }
        // The columns that differ in the local rows that differ.
        for (const auto& t : tablas_) {
            if (t.sinClave || final.at("local " + t.nombre) == referencia_.at("local " + t.nombre)) continue;
            const auto ahora = Valores(e, t);
            const auto nombres = Columnas(t.sinHoras);
            for (const auto& [llave, antes] : valores_[t.nombre]) {
                const auto a = ahora.find(llave);
                if (a == ahora.end() || a->second == antes) continue;
                std::string cuales;
                for (size_t i = 0; i < antes.size() && i < a->second.size(); ++i)
                    if (antes[i] != a->second[i])
                        cuales += " " + (i < nombres.size() ? nombres[i] : std::to_string(i)) + " " +
                                  a->second[i].substr(0, 60) + " en vez de " + antes[i].substr(0, 60);
                r.Falla(t.nombre + " " + llave + ":" + cuales);
            }
        }
        return r;
    }

    std::unique_ptr<prueba::Escenario> e_;
    std::unique_ptr<Foto> foto_;
    std::vector<Tabla> tablas_;
    long long total_[2] = {0, 0};
    std::map<std::string, std::string> referencia_;
    std::map<std::string, std::map<std::string, std::vector<std::string>>> valores_;
};

TEST_F(PuntosDeCaida, NothingLostNothingDoubled) {
    const int n = std::stoi(Var("CNC_PUNTOS", "100"));
    const uint64_t semilla = std::stoull(Var("CNC_SEMILLA", "1"));
    Referencia();
    if (HasFatalFailure()) return;
    int bien = 0;
    std::vector<std::string> fallas;
    for (int i = 0; i < n; ++i) {
        const auto inicio = std::chrono::steady_clock::now();
        const Resultado r = Punto(semilla + static_cast<uint64_t>(i));
        const auto ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - inicio)
                .count();
        std::printf("%s %s (%lld ms: %s)%s\n", r.bien ? "bien" : "FALLA", r.detalle.c_str(),
                    static_cast<long long>(ms), r.tiempos.c_str(), r.fallas.c_str());
        std::fflush(stdout);
        if (r.bien) {
            ++bien;
        } else {
            fallas.push_back(std::to_string(semilla + static_cast<uint64_t>(i)));
            // The program folder with its logs, to read what the runs did.
            const auto destino =
                std::filesystem::path(Var("CNC_FALLAS", "killpoints-fallas")) / ("semilla-" + fallas.back());
            std::error_code ec;
            std::filesystem::remove_all(destino, ec);
            std::filesystem::create_directories(destino, ec);
            std::filesystem::copy(e_->Carpeta(), destino, std::filesystem::copy_options::recursive, ec);
        }
    }
    std::printf("%d passed, %d failed\n", bien, n - bien);
    if (!fallas.empty()) {
        std::string s;
        for (const auto& f : fallas) s += " " + f;
        std::printf("semillas con falla:%s\n", s.c_str());
    }
    EXPECT_EQ(bien, n);
}

}  // namespace
