#include "components/cambio_claves.h"

#include <gtest/gtest.h>

#include "core/shared_routines.h"
#include "support/escenario.h"

using namespace cnc;
using prueba::Lista;

namespace {

// Every product-key column of the list, with the row it holds for a key.
std::string Huella(prueba::Escenario& e, const std::string& clave) {
    std::string r;
    for (const auto& [tabla, columna] : kvtx8::ColumnasDeClaveDeProducto())
        r += tabla + "." + columna + "=" +
             e.EnLocal(e.baseLocal,
                       "SELECT COUNT(*) FROM `" + tabla + "` WHERE `" + columna + "`='" + clave + "'")
                 .at(0) +
             " ";
    return r;
}

}  // namespace

TEST(CambioClaves, RenamesTheKeyInEveryTableAtOnceOrNotAtAll) {
    REQUIERE_SERVIDORES();
    prueba::Escenario e;
    e.ApuntaAServidores();
    Conexion cn;
    ASSERT_TRUE(AbreBaseLocal(cn));
    // Every listed column holds the key once, and another key beside it.
    std::string sql;
    for (const auto& [tabla, columna] : kvtx8::ColumnasDeClaveDeProducto())
        sql += tabla == "variantes"
                   ? "INSERT INTO variantes (Producto, Variante) VALUES ('A1', 'v1'), ('OTRA', 'v2');"
                   : "INSERT INTO `" + tabla + "` (`" + columna + "`) VALUES ('A1'),('OTRA');";
    // kitskardex holds two key columns, each filled by a row of its own above.
    e.Local(e.baseLocal, "SET SESSION sql_mode='';" + sql);
    const std::string conA1 = Huella(e, "A1");
    const std::string vacia = Huella(e, "Z9");
    const std::string otra = Huella(e, "OTRA");

    kvtx8::CambioClaves c;
    // Refused: the new key exists, is empty, is the same, or the old one is missing.
    EXPECT_FALSE(c.CambiarClaves("A1", "OTRA", cn));
    EXPECT_EQ(c.Error(), "la clave nueva ya existe");
    EXPECT_FALSE(c.CambiarClaves("A1", "", cn));
    EXPECT_FALSE(c.CambiarClaves("A1", "A1", cn));
    EXPECT_FALSE(c.CambiarClaves("A1", "Z\t9", cn));
    EXPECT_EQ(c.Error(), "la clave nueva tiene caracteres de control");
    EXPECT_FALSE(c.CambiarClaves("NADA", "Z9", cn));
    EXPECT_EQ(c.Error(), "no existe la clave");
    // Too long for the key columns: refused whole, not cut.
    EXPECT_FALSE(c.CambiarClaves("A1", "0123456789ABCDEF", cn));
    EXPECT_EQ(c.NumeroError(), 1406u) << c.Error();
    EXPECT_EQ(Huella(e, "A1"), conA1);
    EXPECT_EQ(Huella(e, "0123456789ABCDE"), vacia);

    // One table refuses halfway: nothing is renamed anywhere.
    e.Local(e.baseLocal,
            "CREATE TRIGGER rechaza BEFORE UPDATE ON historicoalmacen FOR EACH ROW "
            "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT='rechazado'");
    EXPECT_FALSE(c.CambiarClaves("A1", "Z9", cn));
    EXPECT_EQ(c.Error(), "rechazado");
    EXPECT_EQ(Huella(e, "A1"), conA1);
    e.Local(e.baseLocal, "DROP TRIGGER rechaza");

    // Renamed everywhere; the other key is untouched; a key with quotes is a value like any other.
    EXPECT_TRUE(c.CambiarClaves("A1", "Z'9\\", cn)) << c.Error();
    EXPECT_EQ(Huella(e, "A1"), vacia);
    EXPECT_EQ(Huella(e, "Z''9\\\\"), conA1);
    EXPECT_EQ(Huella(e, "OTRA"), otra);
    // The session is as it was.
    EXPECT_EQ(*cn.Escalar("SELECT @@SESSION.sql_mode"), "NO_ENGINE_SUBSTITUTION");
    EXPECT_EQ(*cn.Escalar("SELECT @@in_transaction"), "0");
}
