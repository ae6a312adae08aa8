#include <gtest/gtest.h>

#include <set>

#include "receive/cls_pendientes.h"
#include "support/escenario.h"
#include "support/hostiles.h"

using namespace cnc;
using prueba::Bytes;
using prueba::Hex;
using prueba::Lista;
using prueba::Muestra;

namespace {

struct Escenario : prueba::Escenario {
    Escenario()
        : prueba::Escenario(
              prueba::Tablas{"productos", "clavesalternas", "proveedores", "saldospro", "configura"}) {
        ApuntaAServidores();
        EXPECT_TRUE(AbreBaseLocal(compania));
        Local(baseLocal,
              "CREATE TABLE centinela (Id INT PRIMARY KEY, Texto VARCHAR(20));"
              "INSERT INTO centinela VALUES (1, 'intacta');"
              "INSERT INTO configura (Dato, Contenido) VALUES ('Otro', 'igual')");
    }
    clsPendientes p;
    // Whatever the company holds outside the rows a value may reach, and the tables it has.
    Lista Resto(const std::string& sinClaves) {
        return EnLocal(baseLocal,
                       "SELECT CONCAT_WS('|', 'p', Clave, Existencia) FROM productos WHERE Clave LIKE 'QUEDA%' "
                       "UNION ALL SELECT CONCAT_WS('|', 'pv', HEX(Clave), HEX(Nombre), HEX(Domicilio), "
                       "FechaRegistro) FROM proveedores WHERE Clave NOT IN (" +
                           sinClaves +
                           ") UNION ALL SELECT CONCAT_WS('|', 'cf', Dato, Contenido) FROM configura "
                           "WHERE Dato <> 'PROVEEDORMATRIZ' UNION ALL SELECT CONCAT_WS('|', 'c', Id, Texto) "
                           "FROM centinela UNION ALL SELECT COUNT(*) FROM information_schema.tables WHERE "
                           "table_schema = '" +
                           baseLocal + "'");
    }
    // A statement with a value that the server itself may refuse (too long, not UTF-8): whether it took.
    bool Intenta(kvtx8::Conexion& cn, const std::string& sql) { return cn.Ejecutar(sql); }
    bool EnHubIntenta(const std::string& sql) {
        try {
            prueba::EjecutaSQL(hub, "concentradorqmx", sql);
            return true;
        } catch (const std::exception&) {
            return false;
        }
    }
    // A value as the bytes it is.
    static std::string X(const std::string& h) { return "X'" + Hex(h) + "'"; }
};

}  // namespace

TEST(DatosHostiles, KeysQueuedForDeletionDeleteThatProductAndNothingElse) {
    REQUIERE_SERVIDORES();
    Escenario e;
    e.Local(e.baseLocal,
            "INSERT INTO productos (Clave, Existencia) VALUES ('QUEDA1', 0), ('QUEDA2', 0);"
            "INSERT INTO clavesalternas (ClaveProducto, ClaveAlterna) VALUES ('QUEDA1', '7501')");
    const Lista resto = e.Resto("''");
    // Each value as the columns hold it: a server that is not strict cuts a long one and turns bytes that
    // are not UTF-8 into '?'; what the program reads is what the hub holds.
    std::set<std::string> locales, enCola;
    for (const std::string& h : prueba::Hostiles()) {
        if (e.Intenta(e.compania, "INSERT INTO productos (Clave, Existencia) VALUES (" + e.X(h) + ", 0)"))
            locales.insert(e.EnLocal(e.baseLocal, "SELECT HEX(Clave) FROM productos ORDER BY Id DESC LIMIT 1")
                               .at(0));
        if (e.EnHubIntenta("INSERT INTO aborrar (BaseDeDatos, Tabla, Llave) VALUES ('espejo1', 'productos', " +
                           e.X(h) + ")"))
            enCola.insert(e.EnHub("SELECT HEX(Llave) FROM concentradorqmx.aborrar ORDER BY Id DESC LIMIT 1")
                              .at(0));
    }
    // The test proves nothing if the servers took none of them.
    ASSERT_GT(locales.size(), 40u);
    ASSERT_GT(enCola.size(), 40u);

    EXPECT_EQ(e.p.PorBorrar(e.servidorLocal, e.conHub, e.compania), Resultado::Completo);

    // The products queued are gone; those whose key the queue does not hold stay, and so do the others.
    std::set<std::string> quedan;
    for (const std::string& hex : locales)
        if (!enCola.count(hex)) quedan.insert(hex);
    quedan.insert(Hex("QUEDA1"));
    quedan.insert(Hex("QUEDA2"));
    const Lista productos = e.EnLocal(e.baseLocal, "SELECT HEX(Clave) FROM productos");
    EXPECT_EQ(std::set<std::string>(productos.begin(), productos.end()), quedan);
    EXPECT_EQ(e.EnLocal(e.baseLocal, "SELECT ClaveProducto FROM clavesalternas"), Lista{"QUEDA1"});
    EXPECT_EQ(e.Resto("''"), resto);
    EXPECT_TRUE(e.EnHub("SELECT Llave FROM concentradorqmx.aborrar").empty());
    // Each one said: deleted or not in the catalogue, with the key as it came.
    std::string todos;
    for (const std::string& a : e.Avisos(5)) todos += a + "\r\n";
    for (const std::string& hex : enCola) {
        SCOPED_TRACE(hex.substr(0, 80));
        EXPECT_NE(todos.find("\"" + Bytes(hex) + "\""), std::string::npos);
    }
}

TEST(DatosHostiles, SupplierKeysAndFilesAreStoredAsTheyStandOrWaitReported) {
    REQUIERE_SERVIDORES();
    Escenario e;
    e.Local(e.baseLocal,
            "INSERT INTO proveedores (Clave, Nombre, FechaRegistro) VALUES ('QUEDA', 'igual', '2020-01-01')");
    int guardados = 0, esperan = 0, n = 0;
    for (const std::string& h : prueba::Hostiles()) {
        SCOPED_TRACE(Muestra(h));
        const std::string otra = "PX" + std::to_string(++n);
        // The key from the hub's column, and the value in the file's first two lines.
        e.Hub("DELETE FROM concentradorqmx.archivosasubir");
        e.EnHubIntenta("INSERT INTO archivosasubir (Tipo, BaseDeDatos, clave, Contenido) VALUES ('PV', "
                       "'espejo1', " + e.X(h) + ", 'Nombre fijo')");
        if (prueba::CabeEnUnaLinea(h))
            e.EnHubIntenta("INSERT INTO archivosasubir (Tipo, BaseDeDatos, clave, Contenido) VALUES ('PV', "
                           "'espejo1', '" + otra + "', " + e.X(h + "\r\n" + h + "\r\n") + ")");
        // As the hub holds them.
        const Lista filas =
            e.EnHub("SELECT CONCAT(HEX(clave), '|', HEX(Contenido)) FROM concentradorqmx.archivosasubir ORDER BY Id");
        std::string clave, contenido;
        for (const std::string& f : filas) {
            const std::string hexClave = f.substr(0, f.find('|'));
            if (hexClave == Hex(otra))
                contenido = Bytes(f.substr(f.find('|') + 1));
            else
                clave = Bytes(hexClave);
        }
        const std::string claves =
            "CONVERT(" + e.X(clave) + " USING utf8mb4), '" + otra + "'";
        const Lista resto = e.Resto(claves);
        const size_t errores = e.m.carpeta.Lee("ErrorAlLeer.txt").size();

        e.p.LeerProveedores(e.servidorLocal, e.conHub, e.compania);

        const Lista cola = e.EnHub("SELECT HEX(clave) FROM concentradorqmx.archivosasubir ORDER BY Id");
        const bool reportado = e.m.carpeta.Lee("ErrorAlLeer.txt").size() > errores;
        if (filas.size() == 2 || contenido.empty()) {
            // Stored under that very key, or still queued and written down.
            const Lista guardado = e.EnLocal(
                e.baseLocal, "SELECT Nombre FROM proveedores WHERE HEX(Clave) = '" + Hex(clave) + "'");
            const bool enCola = !cola.empty() && cola.front() == Hex(clave);
            EXPECT_NE(guardado == Lista{"Nombre fijo"}, enCola && reportado);
            guardado.empty() ? ++esperan : ++guardados;
        }
        if (!contenido.empty()) {
            const std::string valor = contenido.substr(0, contenido.find("\r\n"));
            const Lista guardado = e.EnLocal(
                e.baseLocal, "SELECT CONCAT(HEX(Nombre), '|', HEX(Domicilio)) FROM proveedores WHERE Clave = '" +
                                 otra + "'");
            const bool enCola = !cola.empty() && cola.back() == Hex(otra);
            EXPECT_NE(guardado == Lista{Hex(valor) + "|" + Hex(valor)}, enCola && reportado);
            guardado.empty() ? ++esperan : ++guardados;
        }
        EXPECT_EQ(e.Resto(claves), resto);
        // Keys equal to a later value by the column's collation ("" and " ", "NULL" and "null") start afresh.
        e.Local(e.baseLocal, "DELETE FROM proveedores WHERE Clave IN (" + claves +
                                 "); DELETE FROM saldospro WHERE Clave IN (" + claves + ")");
    }
    EXPECT_GT(guardados, 60);
    EXPECT_GT(esperan, 0);
}
