#include <gtest/gtest.h>

#include <algorithm>

#include "receive/cls_pendientes.h"
#include "receive/etapas_recepcion.h"
#include "support/escenario.h"

using namespace cnc;
using prueba::Lista;

namespace {

// The company tables the price list touches, on the local company, the ESPEJO and the MATRIZ.
struct Escenario : prueba::Escenario {
    Escenario() : prueba::Escenario(prueba::Tablas{"productos", "lineas", "sublineas", "marcas", "medidas"}) {
        ApuntaAServidores();
    }
    clsPendientes p;
    Resultado Lee() { return p.LeeListaPrecios(servidorLocal, conHub, compania, conEspejo, matriz); }
    // Connections of the program still on the MATRIZ.
    std::string EnMatriz() {
        return EnHub("SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE DB='matriz1'").at(0);
    }
    std::string Errores() { return m.carpeta.Lee("ErrorAlLeer.txt"); }
};

const char* kEntradas =
    "INSERT INTO concentradorqmx.listaprecios (Id,Producto,lista,Precio) VALUES "
    "(1,'P1',1,12.5),(2,'K''2\\\\',2,2000),(3,'P3',1,5.00),(4,'P4',1,99),(5,'NADA',1,1),"
    "(7,'K''2\\\\',3,3),(8,'K''2\\\\',2,1234567.5);"
    "INSERT INTO concentradorqmx.pendientesldp (BaseDeDatos,IdLDP) VALUES "
    "('espejo1',1),('espejo1',2),('espejo1',3),('espejo1',4),('espejo1',5),('espejo1',6),('otra',1),"
    "('espejo1',7),('espejo1',8)";

}  // namespace

TEST(LeeListaPrecios, MakesSureOfTheProductAlongTheChainAndSetsItsPrice) {
    REQUIERE_SERVIDORES();
    Escenario e;
    e.Hub("matriz1",
          "INSERT INTO lineas (Id,Linea) VALUES (7,'Abarrotes');"
          "INSERT INTO sublineas (Id,IdLinea,SubLinea) VALUES (3,7,'Enlatados');"
          "INSERT INTO marcas (Id,Marca) VALUES (5,'Marca X');"
          "INSERT INTO medidas (Id,Medida) VALUES (2,'Pieza');"
          "INSERT INTO productos (Id,Clave,Descrip,Linea,SubLinea,Marca,UnidadMedida,Existencia,Precio1) "
          "VALUES "
          "(100,'P1','Atún en agua de 140 gramos, lata',7,3,5,2,40,10)");
    e.Espejo(
        "INSERT INTO lineas (Id,Linea) VALUES (1,'Otra');"
        "INSERT INTO productos (Id,Clave,Precio2) VALUES (1,'K''2\\\\',1000);"
        "INSERT INTO productos (Id,Clave,Precio1) VALUES (2,'P3',5),(3,'P4',7)");
    e.Local("datos1",
            "INSERT INTO lineas (Id,Linea) VALUES (9,'Abarrotes');"
            "INSERT INTO productos (Id,Clave,Descrip) VALUES (100,'Z','otro producto');"
            "INSERT INTO productos (Id,Clave,Precio2) VALUES (101,'K''2\\\\',1000);"
            "INSERT INTO productos (Id,Clave,Precio1,BloqueadoVsCambioPrecios) VALUES (102,'P3',5,0),"
            "(103,'P4',7,1)");
    e.Hub(kEntradas);

    // Through the stage table, as the cycle runs it.
    auto etapas = EtapasDeRecepcion();
    const auto etapa = std::find_if(etapas.begin(), etapas.end(),
                                    [](const Etapa& x) { return x.texto == "Listas de precios"; });
    ASSERT_NE(etapa, etapas.end());
    EXPECT_EQ(etapa->tabla, "productos");
    ContextoCiclo ctx;
    ctx.matriz = e.matriz;
    EXPECT_EQ(etapa->operacion(ctx), Resultado::Completo);

    // Only in the MATRIZ: copied into the ESPEJO with its catalogues made there by name and no stock...
    EXPECT_EQ(
        e.EnEspejo("SELECT l.Linea,s.SubLinea,m.Marca,u.Medida,p.Existencia,p.Precio1,p.Descrip "
                   "FROM productos p JOIN lineas l ON l.Id=p.Linea JOIN sublineas s ON s.Id=p.SubLinea "
                   "AND s.IdLinea=l.Id JOIN marcas m ON m.Id=p.Marca JOIN medidas u ON u.Id=p.UnidadMedida "
                   "WHERE p.Clave='P1'"),
        Lista{"Abarrotes|Enlatados|Marca X|Pieza|0.0000|10.0000|Atún en agua de 140 gramos, lata"});
    EXPECT_EQ(e.EnEspejo("SELECT Id,Linea FROM lineas ORDER BY Id"), (Lista{"1|Otra", "2|Abarrotes"}));
    // ... and then locally, under the local keys of its catalogues and of its own, with the entry's price.
    EXPECT_EQ(
        e.EnLocal("datos1",
                  "SELECT p.Id<>100,p.Linea,s.SubLinea,s.IdLinea,p.Existencia,p.Precio1 FROM productos p "
                  "JOIN sublineas s ON s.Id=p.SubLinea WHERE p.Clave='P1'"),
        Lista{"1|9|Enlatados|9|0.0000|12.5000"});
    EXPECT_EQ(e.EnLocal("datos1", "SELECT Clave FROM productos WHERE Id=100"), Lista{"Z"});
    EXPECT_EQ(e.EnLocal("datos1", "SELECT Linea FROM lineas ORDER BY Id"), Lista{"Abarrotes"});

    // Queue order: the later entry for a list is the one that stays. Unchanged and blocked prices are quiet.
    EXPECT_EQ(
        e.EnLocal("datos1", "SELECT Clave,Precio1,Precio2,Precio3 FROM productos WHERE Id>100 ORDER BY Id"),
        (Lista{"K'2\\|0.0000|1234567.5000|3.0000", "P3|5.0000|0.0000|0.0000", "P4|7.0000|0.0000|0.0000",
               "P1|12.5000|0.0000|0.0000"}));
    EXPECT_EQ(e.Avisos(2),
              Lista{"Nuevo producto: \"P1\"\r\nAtún en agua de 140 gramo\r\n"
                    "Cambio del Precio2: producto \"K'2\\\"\r\nAnterior: 1,000.00, nuevo: 2,000.00\r\n"
                    "Cambio del Precio3: producto \"K'2\\\"\r\nAnterior: 0.00, nuevo: 3.00\r\n"
                    "Cambio del Precio2: producto \"K'2\\\"\r\nAnterior: 2,000.00, nuevo: "
                    "1,234,567.50"});
    // What is not in the ESPEJO, or has no entry, waits; the blocked product's entry is consumed.
    EXPECT_EQ(e.EnHub("SELECT BaseDeDatos,IdLDP FROM concentradorqmx.pendientesldp ORDER BY Id"),
              (Lista{"espejo1|5", "espejo1|6", "otra|1"}));
    EXPECT_EQ(e.m.ventana.estados.at(0), "LISTAS DE PRECIOS\r\nLista 1, producto 'P1'");
    EXPECT_EQ(e.Errores(), "");
    EXPECT_EQ(e.EnMatriz(), "0");

    // The entries left wait quietly; the ESPEJO copy is not made twice.
    EXPECT_EQ(e.Lee(), Resultado::Completo);
    EXPECT_EQ(e.EnHub("SELECT COUNT(*) FROM concentradorqmx.pendientesldp").at(0), "3");
    EXPECT_EQ(e.EnEspejo("SELECT COUNT(*) FROM productos WHERE Clave='P1'").at(0), "1");
    EXPECT_EQ(e.Avisos(2).size(), 1u);
    EXPECT_EQ(e.EnMatriz(), "0");

    // Once the product reaches the ESPEJO, its entry goes through.
    e.Espejo("INSERT INTO productos (Clave,Descrip,Precio1) VALUES ('NADA','recién llegado',3)");
    EXPECT_EQ(e.Lee(), Resultado::Completo);
    EXPECT_EQ(e.EnLocal("datos1", "SELECT Precio1,Existencia FROM productos WHERE Clave='NADA'"),
              Lista{"1.0000|0.0000"});
    EXPECT_EQ(e.EnHub("SELECT IdLDP FROM concentradorqmx.pendientesldp ORDER BY Id"), (Lista{"6", "1"}));
}

TEST(LeeListaPrecios, EntriesThatAreNoPlainPriceStayQueuedAndWrittenDown) {
    REQUIERE_SERVIDORES();
    Escenario e;
    // A hub whose columns are texts sends whatever was typed into them.
    e.Hub(
        "ALTER TABLE concentradorqmx.listaprecios MODIFY Precio VARCHAR(30), MODIFY lista VARCHAR(20);"
        "INSERT INTO concentradorqmx.listaprecios (Id,Producto,lista,Precio) VALUES "
        "(1,'P3','1','1e309'),(2,'P3','1','0x10'),(3,'P3','1','12,50'),(4,'P3','0','5'),(5,'P3','9','5'),"
        "(6,'P3','1','100000000000000000000'),(7,'P3','1; DROP TABLE x','5'),(8,'P3','1','6.5');"
        "INSERT INTO concentradorqmx.pendientesldp (BaseDeDatos,IdLDP) VALUES "
        "('espejo1',1),('espejo1',2),('espejo1',3),('espejo1',4),('espejo1',5),('espejo1',6),('espejo1',7),"
        "('espejo1',8)");
    e.Espejo("INSERT INTO productos (Clave,Precio1) VALUES ('P3',5)");
    e.Local("datos1", "INSERT INTO productos (Clave,Precio1) VALUES ('P3',5)");

    EXPECT_EQ(e.Lee(), Resultado::Incompleto);
    // Only the good entry is applied, after all the bad ones; none of those wrote anything.
    EXPECT_EQ(e.EnLocal("datos1", "SELECT Precio1 FROM productos"), Lista{"6.5000"});
    EXPECT_EQ(e.Avisos(2), Lista{"Cambio del Precio1: producto \"P3\"\r\nAnterior: 5.00, nuevo: 6.50"});
    EXPECT_EQ(e.EnHub("SELECT IdLDP FROM concentradorqmx.pendientesldp ORDER BY Id"),
              (Lista{"1", "2", "3", "4", "5", "6", "7"}));
    const std::string errores = e.Errores();
    for (const char* visto : {"'1e309'", "'0x10'", "'12,50'", "lista '0'", "la lista 9 no existe",
                              "'100000000000000000000' no cabe en Precio1", "lista '1; DROP TABLE x'"})
        EXPECT_NE(errores.find(visto), std::string::npos) << visto << "\n" << errores;
    EXPECT_EQ(e.EnMatriz(), "0");
}

TEST(LeeListaPrecios, ANewProductWhosePriceDidNotGoInIsToldOnceAsNew) {
    REQUIERE_SERVIDORES();
    Escenario e;
    e.Espejo("INSERT INTO productos (Clave,Descrip,Precio1) VALUES ('N1','Nuevo uno',5)");
    e.Hub(
        "INSERT INTO concentradorqmx.listaprecios (Id,Producto,lista,Precio) VALUES (1,'N1',1,9.5);"
        "INSERT INTO concentradorqmx.pendientesldp (BaseDeDatos,IdLDP) VALUES ('espejo1',1)");
    // The product is copied, then its price is refused, as a local server lost in between would.
    e.Local("datos1",
            "CREATE TRIGGER sinprecio BEFORE UPDATE ON productos FOR EACH ROW "
            "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT='sin precio'");
    EXPECT_EQ(e.Lee(), Resultado::Incompleto);
    EXPECT_EQ(e.EnLocal("datos1", "SELECT Precio1 FROM productos WHERE Clave='N1'"), Lista{"5.0000"});
    e.Local("datos1", "DROP TRIGGER sinprecio");

    // The next pass finishes it as the new product it is: no price change is told.
    EXPECT_EQ(e.Lee(), Resultado::Completo);
    EXPECT_EQ(e.EnLocal("datos1", "SELECT Precio1 FROM productos WHERE Clave='N1'"), Lista{"9.5000"});
    EXPECT_EQ(e.Avisos(2), Lista{"Nuevo producto: \"N1\"\r\nNuevo uno"});
    EXPECT_TRUE(e.EnHub("SELECT * FROM concentradorqmx.pendientesldp").empty());
    EXPECT_EQ(e.EnLocal("concentradorqmx", "SELECT COUNT(*) FROM colasaplicadas"), Lista{"0"});
}

TEST(LeeListaPrecios, AnEspejoProductWhoseCatalogueRowWasRewrittenIsCopiedWithTheMatrizNames) {
    REQUIERE_SERVIDORES();
    Escenario e;
    // The ESPEJO copy's line went out under a local Id when the local company sent its own line of that
    // name: the ESPEJO product still holds the old key. A product only in the ESPEJO has no other names.
    e.Hub("matriz1",
          "INSERT INTO lineas (Id,Linea) VALUES (4,'Importados');"
          "INSERT INTO marcas (Id,Marca) VALUES (5,'Marca X');"
          "INSERT INTO productos (Clave,Descrip,Linea,Marca,Precio1) VALUES ('M1','Café',4,5,200)");
    e.Espejo(
        "INSERT INTO lineas (Id,Linea) VALUES (16,'Importados');"
        "INSERT INTO marcas (Id,Marca) VALUES (2,'Marca X');"
        "INSERT INTO productos (Clave,Descrip,Linea,Marca,Precio1) VALUES ('M1','Café',9,2,200),"
        "('S1','Solo aquí',9,0,1)");
    e.Local("datos1", "INSERT INTO lineas (Id,Linea) VALUES (16,'Importados')");
    e.Hub(
        "INSERT INTO concentradorqmx.listaprecios (Id,Producto,lista,Precio) VALUES (1,'M1',1,250),"
        "(2,'S1',1,2);"
        "INSERT INTO concentradorqmx.pendientesldp (BaseDeDatos,IdLDP) VALUES ('espejo1',1),('espejo1',2)");

    EXPECT_EQ(e.Lee(), Resultado::Incompleto);
    EXPECT_EQ(e.EnLocal("datos1",
                        "SELECT p.Clave,l.Linea,m.Marca,p.Precio1 FROM productos p JOIN lineas l ON l.Id=p.Linea "
                        "JOIN marcas m ON m.Id=p.Marca"),
              Lista{"M1|Importados|Marca X|250.0000"});
    // The other is neither copied without its line nor consumed, and is written down.
    EXPECT_EQ(e.EnLocal("datos1", "SELECT COUNT(*) FROM productos WHERE Clave='S1'"), Lista{"0"});
    EXPECT_EQ(e.EnHub("SELECT IdLDP FROM concentradorqmx.pendientesldp"), Lista{"2"});
    EXPECT_NE(e.Errores().find("S1"), std::string::npos) << e.Errores();
    EXPECT_EQ(e.Avisos(2), Lista{"Nuevo producto: \"M1\"\r\nCafé"});

    // Once the ESPEJO product names its line again, a later pass finishes it.
    e.Espejo("UPDATE productos SET Linea=16 WHERE Clave='S1'");
    EXPECT_EQ(e.Lee(), Resultado::Completo);
    EXPECT_EQ(e.EnLocal("datos1",
                        "SELECT l.Linea,p.Precio1 FROM productos p JOIN lineas l ON l.Id=p.Linea "
                        "WHERE p.Clave='S1'"),
              Lista{"Importados|2.0000"});
    EXPECT_TRUE(e.EnHub("SELECT * FROM concentradorqmx.pendientesldp").empty());
    EXPECT_EQ(e.EnMatriz(), "0");
}

TEST(LeeListaPrecios, APriceChangeWrittenBeforeItsNoticeIsToldOnceByALaterPass) {
    REQUIERE_SERVIDORES();
    Escenario e;
    e.Espejo("INSERT INTO productos (Clave,Precio1) VALUES ('P3',5)");
    e.Local("datos1", "INSERT INTO productos (Clave,Precio1) VALUES ('P3',5)");
    e.Hub(
        "INSERT INTO concentradorqmx.listaprecios (Id,Producto,lista,Precio) VALUES (1,'P3',1,6.5);"
        "INSERT INTO concentradorqmx.pendientesldp (BaseDeDatos,IdLDP) VALUES ('espejo1',1)");
    // The notice is refused after the price went in, as a local server lost in between would.
    e.Local("concentradorqmx",
            "CREATE TRIGGER sinaviso BEFORE INSERT ON avisos FOR EACH ROW "
            "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT='sin aviso'");
    EXPECT_NE(e.Lee(), Resultado::Completo);
    EXPECT_EQ(e.EnLocal("datos1", "SELECT Precio1 FROM productos"), Lista{"6.5000"});
    EXPECT_EQ(e.EnHub("SELECT IdLDP FROM concentradorqmx.pendientesldp"), Lista{"1"});
    e.Local("concentradorqmx", "DROP TRIGGER sinaviso");

    EXPECT_EQ(e.Lee(), Resultado::Completo);
    EXPECT_EQ(e.Avisos(2), Lista{"Cambio del Precio1: producto \"P3\"\r\nAnterior: 5.00, nuevo: 6.50"});
    EXPECT_TRUE(e.EnHub("SELECT * FROM concentradorqmx.pendientesldp").empty());
    EXPECT_EQ(e.EnLocal("concentradorqmx", "SELECT COUNT(*) FROM colasaplicadas"), Lista{"0"});
    // Nothing is told again.
    EXPECT_EQ(e.Lee(), Resultado::Completo);
    EXPECT_EQ(e.Avisos(2).size(), 1u);
}
