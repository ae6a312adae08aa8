// What the exports must never lose, double or let through.
#include <gtest/gtest.h>

#include "send/cls_rutinas.h"
#include "support/escenario.h"

using namespace cnc;
using V = std::vector<std::string>;

TEST(ExportarCambios, ALockedRowKeepsItsChangeQueuedAndOneThatCanNeverGoIsWrittenDown) {
    REQUIERE_SERVIDORES();
    prueba::Escenario x({"pedidos", "pedidosdetalle", "gastos"});
    clsEstandar& est = x.Exportador();
    x.Espejo("DROP TABLE gastos");
    x.Espejo("INSERT INTO pedidos (Id) VALUES (5),(6)");
    x.Local("concentradorqmx",
            "INSERT INTO borrarycancelar (Accion,Identificador) VALUES (26,'3'),(9,'5'),(9,'6')");
    x.EsperasCortas();

    Conexion otra = x.OtraAlEspejo();
    ASSERT_TRUE(otra.Ejecutar("START TRANSACTION"));
    ASSERT_TRUE(otra.Ejecutar("SELECT * FROM pedidos WHERE Id=5 FOR UPDATE"));
    EXPECT_EQ(est.ExportarCambios(), Resultado::Incompleto);
    // The deletion of a table the ESPEJO lacks will never go: noted, and not queued forever. The locked one
    // waits, with what follows it.
    EXPECT_EQ(x.EnLocal("concentradorqmx", "SELECT Accion,Identificador FROM borrarycancelar ORDER BY Id"),
              (V{"9|5", "9|6"}));
    EXPECT_NE(x.Problemas().find(" .- No se aplicó en espejo1: DELETE FROM gastos WHERE Folio=3: "),
              std::string::npos)
        << x.Problemas();
    EXPECT_EQ(x.EnEspejo("SELECT Id FROM pedidos ORDER BY Id"), (V{"5", "6"}));

    ASSERT_TRUE(otra.Ejecutar("ROLLBACK"));
    EXPECT_EQ(est.ExportarCambios(), Resultado::Completo);
    EXPECT_TRUE(x.EnLocal("concentradorqmx", "SELECT * FROM borrarycancelar").empty());
    EXPECT_TRUE(x.EnEspejo("SELECT Id FROM pedidos").empty());
}

TEST(ExportarInfo, KeysBeyond32BitsAndANegativeWatermark) {
    REQUIERE_SERVIDORES();
    prueba::Escenario x({"lineas"});
    clsEstandar& est = x.Exportador();
    x.Local("datos1", "ALTER TABLE lineas MODIFY Id BIGINT NOT NULL AUTO_INCREMENT");
    x.Espejo("ALTER TABLE lineas MODIFY Id BIGINT NOT NULL AUTO_INCREMENT");
    x.Local("datos1",
            "INSERT INTO lineas (Id,Linea) VALUES (-3,'Negativa'),(3000000001,'Dulces'),(3000000002,'Sal')");
    x.Espejo("INSERT INTO lineas (Id,Linea) VALUES (-7,'Vieja'),(5,'Dulces')");
    est.Tabla = "lineas";
    est.Llave = "Id";

    // The watermark and the keys compared by the unique key keep all their digits: the row found by its
    // name moves up to the local key.
    est.UltimoFolio = 3000000000LL;
    EXPECT_EQ(est.ExportarInfo(), Resultado::Completo);
    EXPECT_EQ(x.EnEspejo("SELECT Id,Linea FROM lineas ORDER BY Id"),
              (V{"-7|Vieja", "3000000001|Dulces", "3000000002|Sal"}));

    // Beyond the 53 bits a double keeps, keys are still read to the last digit.
    x.Local("datos1", "INSERT INTO lineas (Id,Linea) VALUES (9007199254740993,'Grande')");
    est.UltimoFolio = Mod.BDRemota.IdMaximo(est.ConexionEspejo(), "lineas", "Id");
    EXPECT_EQ(est.UltimoFolio, 3000000002LL);
    EXPECT_EQ(est.ExportarInfo(), Resultado::Completo);
    EXPECT_EQ(Mod.BDRemota.IdMaximo(est.ConexionEspejo(), "lineas", "Id"), 9007199254740993LL);
    x.Local("datos1", "DELETE FROM lineas WHERE Id=9007199254740993");
    x.Espejo("DELETE FROM lineas WHERE Id=9007199254740993");

    // A negative watermark reads as 0: not the whole table again.
    x.Espejo("DELETE FROM lineas WHERE Id>0");
    est.UltimoFolio = -7;
    EXPECT_EQ(est.ExportarInfo(), Resultado::Completo);
    EXPECT_EQ(x.EnEspejo("SELECT Id,Linea FROM lineas ORDER BY Id"),
              (V{"-7|Vieja", "3000000001|Dulces", "3000000002|Sal"}));
}

TEST(ExportarInfo, ARoutineCutShortRunsAtTheNextExportOfItsTable) {
    REQUIERE_SERVIDORES();
    prueba::Escenario x({"anexopagosctes", "cxc", "facturas"});
    clsEstandar& est = x.Exportador();
    x.Local("datos1", "INSERT INTO anexopagosctes (Id,Factura) VALUES (1,100),(2,100)");
    x.Local("datos1", "INSERT INTO cxc (Tipo,Numero,Saldo) VALUES ('F',100,25.5)");
    x.EsperasCortas();
    est.Tabla = "anexopagosctes";
    est.Llave = "Id";
    for (bool porRenglon : {true, false}) {
        SCOPED_TRACE(porRenglon ? "por renglón" : "por bloques");
        x.Local("datos1", "DELETE FROM anexopagosctes WHERE Id>2");
        x.Espejo("DELETE FROM anexopagosctes");
        x.Espejo("DELETE FROM facturas");
        x.Espejo("INSERT INTO facturas (Numero,Saldo) VALUES (100,99)");
        est.SoloPorRenglon = porRenglon;
        est.UltimoFolio = 0;

        // The routine of the first new row waits on a lock: the row went, its routine did not. By
        // blocks the whole block went first, and every routine not run is still owed.
        Conexion otra = x.OtraAlEspejo();
        ASSERT_TRUE(otra.Ejecutar("START TRANSACTION"));
        ASSERT_TRUE(otra.Ejecutar("SELECT * FROM facturas FOR UPDATE"));
        const size_t antes = x.Problemas().size();
        EXPECT_EQ(est.ExportarInfo(), Resultado::Incompleto);
        ASSERT_TRUE(otra.Ejecutar("ROLLBACK"));
        const V enEspejo = porRenglon ? V{"1"} : V{"1", "2"};
        EXPECT_EQ(x.EnEspejo("SELECT Id FROM anexopagosctes ORDER BY Id"), enEspejo);
        EXPECT_EQ(x.EnLocal("concentradorqmx", "SELECT Tabla,Clave FROM rutinaspendientes ORDER BY Clave"),
                  porRenglon ? V{"anexopagosctes|1"} : (V{"anexopagosctes|1", "anexopagosctes|2"}));
        EXPECT_NE(x.Problemas().find(" .- Rutina de anexopagosctes, Id 1 pendiente para el siguiente envío",
                                     antes),
                  std::string::npos)
            << x.Problemas();

        // The next export starts after what ESPEJO holds; the routines owed run all the same.
        est.UltimoFolio = Mod.BDRemota.IdMaximo(est.ConexionEspejo(), "anexopagosctes", "Id");
        EXPECT_EQ(est.ExportarInfo(), Resultado::Completo);
        EXPECT_EQ(x.EnEspejo("SELECT Id FROM anexopagosctes ORDER BY Id"), (V{"1", "2"}));
        EXPECT_EQ(x.EnEspejo("SELECT Saldo FROM facturas"), V{"25.5000"});
        EXPECT_TRUE(x.EnLocal("concentradorqmx", "SELECT * FROM rutinaspendientes").empty());

        // A routine that can never go (its table is gone) is written down and holds nothing up.
        x.Local("datos1", "INSERT INTO anexopagosctes (Id,Factura) VALUES (3,100),(4,100)");
        x.Espejo("RENAME TABLE facturas TO facturas_fuera");
        est.UltimoFolio = 2;
        EXPECT_EQ(est.ExportarInfo(), Resultado::Completo);
        EXPECT_EQ(x.EnEspejo("SELECT Id FROM anexopagosctes ORDER BY Id"), (V{"1", "2", "3", "4"}));
        EXPECT_TRUE(x.EnLocal("concentradorqmx", "SELECT * FROM rutinaspendientes").empty());
        EXPECT_NE(x.Problemas().find(" .- No se completó la rutina de anexopagosctes, Id 3", antes),
                  std::string::npos);
        x.Espejo("RENAME TABLE facturas_fuera TO facturas");
    }
}

TEST(SQLsBorrado, OnlyAPlainDeletionInTheEspejoReachesTheHub) {
    std::string motivo;
    for (const char* bien :
         {"DELETE FROM gastos WHERE Folio=5", " delete from `gastos` where Concepto='a.b; c' ;",
          "DELETE FROM gastos WHERE Importe>1.5 AND Usuario='O''Brien'",
          "DELETE FROM `raro.nombre` WHERE Id=1"})
        EXPECT_TRUE(clsRutinas::BorradoPermitido(bien, motivo)) << bien << ": " << motivo;
    for (const char* mal :
         {"DELETE FROM generaltarvena.usuarios", "DELETE FROM `generaltarvena`.`usuarios`",
          "DELETE FROM gastos; DROP TABLE productos", "UPDATE gastos SET Importe=0",
          "DELETE FROM gastos WHERE Folio IN (SELECT Id FROM otra.t)", "DELETE FROM gastos /*!50000 , x */",
          "DELETE FROM gastos -- x", "DELETE FROM gastos WHERE Concepto='abierta", "DELETE FROM gastos #",
          "GRANT ALL ON *.* TO x", "DELETE gastos FROM gastos, concentradorqmx.avisos"})
        EXPECT_FALSE(clsRutinas::BorradoPermitido(mal, motivo)) << mal;
}

TEST(SQLsBorrado, ARefusedStatementIsWrittenDownAndCountsAsSent) {
    REQUIERE_SERVIDORES();
    prueba::Escenario x({"sqlborrado", "gastos"});
    clsEstandar& est = x.Exportador();
    x.Local("datos1",
            "INSERT INTO sqlborrado (Id,Sentencia) VALUES (1,'DELETE FROM gastos WHERE Folio=5'),"
            "(2,'DELETE FROM gastos; DELETE FROM productos'),(3,'DELETE FROM espejo1.gastos')");
    x.Espejo("INSERT INTO gastos (Folio) VALUES (5),(6)");
    est.Tabla = "sqlborrado";
    est.Llave = "Id";
    EXPECT_EQ(est.ExportarInfo(), Resultado::Completo);
    EXPECT_EQ(x.EnEspejo("SELECT Folio FROM gastos"), V{"6"});
    EXPECT_EQ(x.EnEspejo("SELECT Id FROM sqlborrado ORDER BY Id"), (V{"1", "2", "3"}));
    EXPECT_NE(x.Problemas().find("No se ejecutó sqlborrado, Id 2 (contiene más de una sentencia)"),
              std::string::npos)
        << x.Problemas();
    EXPECT_NE(x.Problemas().find("No se ejecutó sqlborrado, Id 3 (nombra otra base de datos)"),
              std::string::npos);
}

TEST(SQLsBorrado, ADeletionThatCanNeverRunDoesNotHoldBackTheOnesAfterIt) {
    REQUIERE_SERVIDORES();
    prueba::Escenario x({"sqlborrado", "gastos"});
    clsEstandar& est = x.Exportador();
    // Row 1 names a table the ESPEJO lacks: it fails every time.
    x.Local("datos1", "INSERT INTO sqlborrado (Id,Sentencia) VALUES (1,'DELETE FROM noexiste WHERE Id=1')");
    est.Tabla = "sqlborrado";
    est.Llave = "Id";
    est.ExportarInfo();

    x.Local("datos1", "INSERT INTO sqlborrado (Id,Sentencia) VALUES (2,'DELETE FROM gastos WHERE Folio=5')");
    x.Espejo("INSERT INTO gastos (Folio) VALUES (5),(6)");
    for (int ciclo = 0; ciclo < 3; ++ciclo) {
        est.UltimoFolio = std::stoll(x.EnEspejo("SELECT MAX(Id) FROM sqlborrado").at(0));
        est.ExportarInfo();
    }
    EXPECT_EQ(x.EnEspejo("SELECT Id FROM sqlborrado ORDER BY Id"), (V{"1", "2"}));
    EXPECT_EQ(x.EnEspejo("SELECT Folio FROM gastos"), V{"6"});
}

TEST(ExportarCambios, AHeaderTableTheEspejoLacksDoesNotHoldBackTheQueue) {
    REQUIERE_SERVIDORES();
    prueba::Escenario x({"ordenes", "ordenesdetalle", "recepciones"});
    clsEstandar& est = x.Exportador();
    x.Espejo("DROP TABLE ordenes");
    x.Espejo("INSERT INTO recepciones (Id) VALUES (1)");
    x.Local("concentradorqmx", "INSERT INTO borrarycancelar (Accion,Identificador) VALUES (1,'11'),(2,'1')");
    EXPECT_EQ(est.ExportarCambios(), Resultado::Completo);
    EXPECT_EQ(x.EnEspejo("SELECT Cancelada FROM recepciones"), V{"1"});
    EXPECT_TRUE(x.EnLocal("concentradorqmx", "SELECT * FROM borrarycancelar").empty());
}

TEST(ExportarXFADUA, ATableWithoutFaduaIsPassedOver) {
    REQUIERE_SERVIDORES();
    prueba::Escenario x({"gastos"});
    clsEstandar& est = x.Exportador();
    x.Local("datos1", "ALTER TABLE gastos DROP FADUA");
    x.Espejo("ALTER TABLE gastos DROP FADUA");
    est.Tabla = "gastos";
    est.Llave = "Id";
    est.Cronos("2026-01-01 00:00:00");
    // Nothing to send by time: the cycle stays free to move its cut-off.
    EXPECT_EQ(est.ExportarXFADUA(), Resultado::Completo);
    EXPECT_EQ(x.Problemas().find("No se copió gastos"), std::string::npos) << x.Problemas();
}
