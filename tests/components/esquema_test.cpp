#include <gtest/gtest.h>

#include "support/escenario.h"

// Every schema file loads into both servers, and again over itself; the tables the program relies on are
// there.
TEST(Esquema, LoadsIntoBothServers) {
    REQUIERE_SERVIDORES();
    prueba::Escenario e;
    EXPECT_NO_THROW(prueba::EjecutaArchivo(e.local, "generaltarvena", prueba::RutaEsquema("general.sql")));
    EXPECT_NO_THROW(prueba::EjecutaArchivo(e.hub, e.espejo, prueba::RutaEsquema("empresa.sql")));
    EXPECT_NO_THROW(
        prueba::EjecutaArchivo(e.local, "concentradorqmx", prueba::RutaEsquema("concentradorqmx_local.sql")));
    prueba::CreaBase(e.hub, "plugins_prueba", {"plugins.sql"});
    auto tablas = [](const prueba::Servidor& s, const std::string& base) {
        return prueba::Consulta(
            s, base, "SELECT COUNT(*) FROM information_schema.TABLES WHERE TABLE_SCHEMA='" + base + "'");
    };
    EXPECT_EQ(tablas(e.local, "generaltarvena"), "4");
    EXPECT_EQ(tablas(e.local, "concentradorqmx"), "9");
    EXPECT_EQ(tablas(e.hub, "concentradorqmx"), "10");
    EXPECT_EQ(tablas(e.hub, "plugins_prueba"), "1");
    EXPECT_GE(std::stoi(tablas(e.hub, e.espejo)), 100);
    EXPECT_EQ(tablas(e.hub, e.espejo), tablas(e.local, e.baseLocal));
    prueba::BorraBase(e.hub, "plugins_prueba");
    // Notices keep their window defaults.
    prueba::EjecutaSQL(e.local, "concentradorqmx",
                       "INSERT INTO avisos (Fecha, Hora, TipoAviso) VALUES (CURDATE(), '10:00:00', 3)");
    EXPECT_EQ(prueba::Filas(e.local, "concentradorqmx", "SELECT Leido, x, y, Metodo FROM avisos")[0],
              "0|0|0|3");
}
