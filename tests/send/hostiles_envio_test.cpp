#include <gtest/gtest.h>

#include "support/escenario.h"
#include "support/hostiles.h"

using namespace cnc;
using prueba::Hex;
using prueba::Lista;

TEST(DatosHostiles, LocalRowsReachTheEspejoByteForByteAndNothingElseRuns) {
    REQUIERE_SERVIDORES();
    prueba::Escenario x({"gastos", "lineas"});
    clsEstandar& est = x.Exportador();
    x.Espejo("CREATE TABLE centinela (Id INT PRIMARY KEY, Texto VARCHAR(20));"
             "INSERT INTO centinela VALUES (1, 'intacta');"
             "INSERT INTO lineas (Id, Linea) VALUES (1, 'QUEDA')");
    // Each value in a text, a date and a number column of its own row, as the local columns hold it (a
    // session that is not strict cuts it or stores a zero date).
    kvtx8::Conexion& local = x.compania;
    long long id = 0;
    for (const std::string& h : prueba::Hostiles()) {
        const std::string v = "X'" + Hex(h) + "'";
        for (const std::string& valores : {v + ", NULL, 0", "'fecha', " + v + ", 0", "'importe', NULL, " + v}) {
            ++id;
            local.Ejecutar("INSERT INTO gastos (Id, Folio, Concepto, Fecha, Importe) VALUES (" +
                           std::to_string(id) + ", " + std::to_string(id) + ", " + valores + ")");
        }
    }
    const std::string filas = "SELECT CONCAT_WS('|', Id, HEX(Concepto), IFNULL(Fecha, '-'), Importe) FROM gastos "
                              "ORDER BY Id";
    const Lista enLocal = x.EnLocal("datos1", filas);
    ASSERT_GT(enLocal.size(), 150u);
    const std::string tablas = "SELECT COUNT(*) FROM information_schema.tables WHERE table_schema = 'espejo1'";
    const Lista cuantas = x.EnHub(tablas);

    est.Tabla = "gastos";
    est.Llave = "Id";
    est.UltimoFolio = 0;
    EXPECT_EQ(est.ExportarInfo(), Resultado::Completo);

    EXPECT_EQ(x.EnEspejo(filas), enLocal);
    EXPECT_EQ(x.Problemas(), "");
    EXPECT_EQ(x.EnEspejo("SELECT CONCAT_WS('|', Id, Texto) FROM centinela"), Lista{"1|intacta"});
    EXPECT_EQ(x.EnEspejo("SELECT CONCAT_WS('|', Id, Linea) FROM lineas"), Lista{"1|QUEDA"});
    EXPECT_EQ(x.EnHub(tablas), cuantas);
}
