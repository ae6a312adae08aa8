#include "components/movimientos.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <thread>

#include "apoyo.h"

using namespace cnc;
using doc::Lista;

TEST(Movimientos, FoliarNeverGivesOneFolioTwiceEvenToTwoClientsAtOnce) {
    REQUIERE_SERVIDORES();
    doc::Escenario e;
    e.Local(e.baseLocal, "INSERT INTO compras (Compra) VALUES (41)");
    kvtx8::Movimientos mov;
    ASSERT_TRUE(kvtx8::Movimientos::PreparaFolios(e.compania));
    // Above what the table holds, then above what was given even when the table does not show it.
    EXPECT_EQ(mov.Foliar(e.compania, "Compra", "compras", "Compra"), 42);
    EXPECT_EQ(mov.Foliar(e.compania, "Compra", "compras", "Compra"), 43);
    // Rows written by someone else past the series move it on.
    e.Local(e.baseLocal, "INSERT INTO compras (Compra) VALUES (60)");
    EXPECT_EQ(mov.Foliar(e.compania, "Compra", "compras", "Compra"), 61);
    // A series of its own per name.
    EXPECT_EQ(mov.Foliar(e.compania, "Ajuste", "ajustes", "Ajuste"), 1);

    // Two clients, each on its own connection, forty folios each, some inside transactions.
    std::vector<long long> dados[2];
    auto cliente = [&](int n) {
        kvtx8::Conexion cn;
        if (!Mod.BDLocal.AbrirBdD(cn, e.baseLocal)) return;
        kvtx8::Movimientos m;
        for (int i = 0; i < 40; ++i) {
            const bool enTransaccion = i % 3 == 0;
            if (enTransaccion) cn.Ejecutar("START TRANSACTION");
            dados[n].push_back(m.Foliar(cn, "Compra", "compras", "Compra"));
            if (enTransaccion) cn.Ejecutar("COMMIT");
        }
    };
    std::thread uno(cliente, 0), dos(cliente, 1);
    uno.join();
    dos.join();
    std::set<long long> todos(dados[0].begin(), dados[0].end());
    todos.insert(dados[1].begin(), dados[1].end());
    ASSERT_EQ(dados[0].size() + dados[1].size(), 80u);
    EXPECT_EQ(todos.size(), 80u);
    EXPECT_EQ(*todos.begin(), 62);
    EXPECT_EQ(*todos.rbegin(), 141);

    // A folio taken inside a transaction that is rolled back is given again.
    e.compania.Ejecutar("START TRANSACTION");
    EXPECT_EQ(mov.Foliar(e.compania, "Compra", "compras", "Compra"), 142);
    e.compania.Ejecutar("ROLLBACK");
    EXPECT_EQ(mov.Foliar(e.compania, "Compra", "compras", "Compra"), 142);
}

TEST(Movimientos, KardexMovesTheStockAndTheStatementKeepsItsRunningBalance) {
    REQUIERE_SERVIDORES();
    doc::Escenario e;
    e.Local(e.baseLocal, "INSERT INTO productos (Clave, Existencia, CostoProm) VALUES ('A-1', -5, 10)");
    kvtx8::Movimientos mov;
    const kvtx8::FechaHora f{2026, 12, 8, 9, 30, 15};
    const long long k = mov.GrabaHistAlmacen("CONCENTRAD", "A-1", e.compania, 10, 12, f, "COMPRA 1");
    ASSERT_GT(k, 0);
    const long long s = mov.GrabaHistAlmacen("CONCENTRAD", "A-1", e.compania, -2, 12, f, "SALIDA");
    EXPECT_EQ(e.EnLocal(e.baseLocal, "SELECT Existencia FROM productos"), Lista{"3.0000"});
    EXPECT_EQ(
        e.EnLocal(e.baseLocal,
                  "SELECT Producto, Fecha, Hora, Usuario, Tipo, Cantidad, ExistenciaAnterior, Existencia, "
                  "Costo, CostoProm, Concepto FROM historicoalmacen ORDER BY Id"),
        (Lista{"A-1|2026-12-08|09:30:15|CONCENTRAD|E|10.0000|-5.0000|5.0000|12.0000|10.0000|COMPRA 1",
               "A-1|2026-12-08|09:30:15|CONCENTRAD|S|2.0000|5.0000|3.0000|12.0000|10.0000|SALIDA"}));
    // A product that does not exist moves nothing.
    EXPECT_EQ(mov.GrabaHistAlmacen("CONCENTRAD", "NO", e.compania, 1, 1, f, "x"), 0);
    EXPECT_EQ(e.Cuenta("historicoalmacen"), "2");

    EXPECT_TRUE(mov.ComplementaHistorico(e.compania, k, "ajustes", 77));
    EXPECT_FALSE(mov.ComplementaHistorico(e.compania, s + 100, "ajustes", 78));
    EXPECT_EQ(
        e.EnLocal(e.baseLocal, "SELECT TablaMovimiento, IdMovimiento FROM historicoalmacen ORDER BY Id"),
        (Lista{"ajustes|77", "|0"}));

    // Every row of the account and currency, in key order; other accounts are left alone.
    e.Local(
        e.baseLocal,
        "INSERT INTO edoctaprov (Id, IdMoneda, clave, CantidadCargo, CantidadPago, Saldo) VALUES "
        "(1, 1, 'P1', 100, 0, 0), (2, 1, 'OTRO', 50, 0, 50), (3, 1, 'P1', 0, 30, 0), (4, 2, 'P1', 9, 0, 9), "
        "(5, 1, 'P1', 20, 0, 0);"
        "INSERT INTO saldospro (Clave, IdMoneda, Saldo) VALUES ('P1', 1, 999)");
    long long id = 3;
    EXPECT_TRUE(mov.CalculaEdoCta(id, e.compania, "edoctaprov", "saldospro"));
    EXPECT_EQ(e.EnLocal(e.baseLocal, "SELECT Id, Saldo FROM edoctaprov ORDER BY Id"),
              (Lista{"1|100.0000", "2|50.0000", "3|70.0000", "4|9.0000", "5|90.0000"}));
    EXPECT_EQ(e.EnLocal(e.baseLocal, "SELECT Clave, IdMoneda, Saldo FROM saldospro ORDER BY Clave, IdMoneda"),
              Lista{"P1|1|90.0000"});
    id = 4;
    EXPECT_TRUE(mov.CalculaEdoCta(id, e.compania, "edoctaprov", "saldospro"));
    EXPECT_EQ(e.EnLocal(e.baseLocal, "SELECT Clave, IdMoneda, Saldo FROM saldospro ORDER BY Clave, IdMoneda"),
              (Lista{"P1|1|90.0000", "P1|2|9.0000"}));
    id = 99;
    EXPECT_FALSE(mov.CalculaEdoCta(id, e.compania, "edoctaprov", "saldospro"));
}
