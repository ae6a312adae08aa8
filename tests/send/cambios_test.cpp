#include <gtest/gtest.h>

#include "support/escenario.h"

using namespace cnc;
using V = std::vector<std::string>;

namespace {

const std::vector<std::string> kTablas = {"recepciones", "ordenes", "ordenesdetalle",
                                          "edoctacli",   "cxc",     "tickets",
                                          "productos",   "pedidos", "pedidosdetalle"};

void Encola(prueba::Escenario& x, const std::string& filas) {
    x.Local("concentradorqmx", "INSERT INTO borrarycancelar (Accion,Identificador) VALUES " + filas);
}

V Cola(prueba::Escenario& x) {
    return x.EnLocal("concentradorqmx", "SELECT Accion,Identificador FROM borrarycancelar ORDER BY Id");
}

}  // namespace

TEST(ExportarCambios, ReplaysEveryActionInOrderAndEmptiesTheQueue) {
    REQUIERE_SERVIDORES();
    prueba::Escenario x(kTablas);
    clsEstandar& est = x.Exportador();
    x.Espejo("INSERT INTO recepciones (Id,Recepcion) VALUES (1,100),(5,500)");
    x.Espejo("INSERT INTO ordenes (Id,Orden) VALUES (11,500)");
    x.Espejo("INSERT INTO ordenesdetalle (Orden,Partida) VALUES (500,1),(500,2),(501,1),(0,1)");
    x.Espejo("INSERT INTO edoctacli (Id,Folio) VALUES (3,77)");
    x.Espejo("INSERT INTO cxc (Tipo,Numero) VALUES ('C',77),('F',77)");
    x.Espejo("INSERT INTO tickets (Id,Facturada) VALUES (4,0)");
    x.Espejo("INSERT INTO pedidos (Id) VALUES (8),(9)");
    x.Espejo("INSERT INTO pedidosdetalle (Id,Partida) VALUES (8,1),(9,1)");
    x.Local("datos1", "INSERT INTO tickets (Id,Facturada) VALUES (4,7)");

    // An empty queue: nothing at all.
    est.ExportarCambios();
    EXPECT_TRUE(x.m.ventana.tablas.empty());

    Encola(x,
           "(12,'5'),(33,'5'),(35,'5'),(99,'5'),(2,'1'),(1,'11'),(1,'12'),(17,'3'),(34,'4'),(9,'8'),"
           "(2,'5 OR 1=1'),(8,'9')");
    EXPECT_EQ(est.ExportarCambios(), Resultado::Completo);
    EXPECT_EQ(Cola(x), V{});
    // 12, 33, 35 and 99 touch nothing; the text that is no number touches nothing either.
    EXPECT_EQ(x.EnEspejo("SELECT Id,Cancelada FROM recepciones ORDER BY Id"), (V{"1|1", "5|0"}));
    // The order found goes with its detail; the missing one deletes no detail (not even Orden 0).
    EXPECT_EQ(x.EnEspejo("SELECT COUNT(*) FROM ordenes"), V{"0"});
    EXPECT_EQ(x.EnEspejo("SELECT Orden FROM ordenesdetalle ORDER BY Orden"), (V{"0", "501"}));
    EXPECT_EQ(x.EnEspejo("SELECT COUNT(*) FROM edoctacli"), V{"0"});
    EXPECT_EQ(x.EnEspejo("SELECT Tipo,Numero FROM cxc"), V{"F|77"});
    EXPECT_EQ(x.EnEspejo("SELECT Facturada FROM tickets"), V{"7"});
    EXPECT_EQ(x.EnEspejo("SELECT Id,Cancelada FROM pedidos ORDER BY Id"), V{"9|1"});
    EXPECT_EQ(x.EnEspejo("SELECT Id FROM pedidosdetalle"), V{"9"});
    EXPECT_EQ(x.m.ventana.tablas.front(), "'borrarycancelar'\nRegistro 1 de 12");
    EXPECT_EQ(x.m.ventana.tablas.back(), "'borrarycancelar'\nRegistro 12 de 12");
}

TEST(ExportarCambios, ProductDataGoesOnlyWhereTheProductIsOnBothSides) {
    REQUIERE_SERVIDORES();
    prueba::Escenario x(kTablas);
    clsEstandar& est = x.Exportador();
    x.Local(
        "datos1",
        "INSERT INTO productos (Clave,Descrip,Linea,Precio1,Precio5,Costo) VALUES "
        "('P1','Nuevo \\\\ \"1\"',3,10.5,50,99),('P2','Solo aquí',1,1,1,1),('O''K','Con comilla',2,2,2,2)");
    x.Espejo(
        "INSERT INTO productos (Clave,Descrip,Linea,Precio1,Precio5,Costo) VALUES "
        "('P1','Viejo',1,1,1,5),('P3','Solo allá',1,1,1,1),('O''K','viejo',1,1,1,1)");
    Encola(x, "(36,'P1'),(36,'P2'),(36,'P3'),(36,'O''K'),(36,'x'' OR ''1''=''1')");
    est.ExportarCambios();
    EXPECT_EQ(Cola(x), V{});
    EXPECT_EQ(x.EnEspejo("SELECT Clave,Descrip,Linea,Precio1,Precio5,Costo FROM productos ORDER BY Id"),
              (V{"P1|Nuevo \\ \"1\"|3|10.5000|50.0000|5.0000", "P3|Solo allá|1|1.0000|1.0000|1.0000",
                 "O'K|Con comilla|2|2.0000|2.0000|1.0000"}));
}

TEST(ExportarCambios, ALostEspejoKeepsTheRestOfTheQueue) {
    REQUIERE_SERVIDORES();
    prueba::Escenario x(kTablas);
    clsEstandar& est = x.Exportador();
    x.Espejo("INSERT INTO recepciones (Id) VALUES (1),(2)");
    Encola(x, "(2,'1'),(2,'2')");

    // The hub server unreachable: nothing leaves the queue.
    x.EspejoCaido();
    est.ExportarCambios();
    EXPECT_EQ(Cola(x), (V{"2|1", "2|2"}));
    x.EspejoDeVuelta();

    // The server drops an open connection: the row whose statements met the loss stays queued.
    Conexion& espejo = est.ConexionEspejo();
    ASSERT_TRUE(AbreBaseEspejo(espejo));
    const std::string id = *espejo.Escalar("SELECT CONNECTION_ID()");
    prueba::EjecutaSQL(x.hub, "", "KILL " + id);
    est.ExportarCambios();
    EXPECT_EQ(Cola(x), (V{"2|1", "2|2"}));
    EXPECT_EQ(x.EnEspejo("SELECT Cancelada FROM recepciones ORDER BY Id"), (V{"0", "0"}));

    // The next cycle reconnects and replays both.
    est.ExportarCambios();
    EXPECT_EQ(Cola(x), V{});
    EXPECT_EQ(x.EnEspejo("SELECT Cancelada FROM recepciones ORDER BY Id"), (V{"1", "1"}));

    // A local company that does not open stops the replay and says so.
    Encola(x, "(2,'1')");
    Mod.BDLocal.cPuerto = "1";
    x.compania.Cerrar();
    EXPECT_NE(est.ExportarCambios(), Resultado::Completo);
    EXPECT_NE(x.Problemas().find("DESCONEXIÓN DE LA EMPRESA LOCAL. ENVÍO DE INFORMACIÓN INTERRUMPIDO"),
              std::string::npos);
    EXPECT_EQ(Cola(x), V{"2|1"});
}

TEST(ExportarCambios, AnIdentifierThatIsNoNumberDeletesNothing) {
    REQUIERE_SERVIDORES();
    prueba::Escenario x({"gastos"});
    clsEstandar& est = x.Exportador();
    // Folio 0 is the column's default: an empty or garbled identifier must not reach those rows.
    x.Espejo("INSERT INTO gastos (Folio,Concepto) VALUES (0,'sin folio'),(0,'otro'),(7,'siete')");
    Encola(x, "(26,''),(27,'abc'),(26,' '),(27,'7')");
    est.ExportarCambios();
    EXPECT_EQ(Cola(x), V{});
    EXPECT_EQ(x.EnEspejo("SELECT Folio,Concepto FROM gastos ORDER BY Id"), (V{"0|sin folio", "0|otro"}));
}
