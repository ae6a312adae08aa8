#include <gtest/gtest.h>

#include "send/cls_rutinas.h"
#include "support/escenario.h"

using namespace cnc;
using V = std::vector<std::string>;

namespace {

// The table's own routine runs for each new row.
Resultado Exporta(prueba::Escenario& x, const std::string& tabla) {
    clsEstandar& est = x.Exportador();
    est.Tabla = tabla;
    est.Llave = "Id";
    est.UltimoFolio = 0;
    return est.ExportarInfo();
}

bool HayAuxiliar(prueba::Escenario& x) {
    return x.EnLocal("datos1", "SHOW TABLES LIKE 'cnc_tabla_auxiliar'").size() == 1;
}

}  // namespace

TEST(LasCxCs, EachPaymentBringsTheBalanceOfItsDocument) {
    REQUIERE_SERVIDORES();
    prueba::Escenario x({"anexopagosctes", "anexopagosprov", "cxc", "cxp", "facturas", "remisiones",
                         "apartados", "compras", "comprasnd"});
    x.Local("datos1",
            "INSERT INTO anexopagosctes (Id,Cargo,Factura,Remision,Apartado) VALUES "
            "(1,0,0,0,0),(2,0,100,0,0),(3,0,0,200,0),(4,7,100,0,0),(5,0,0,0,300)");
    x.Local("datos1", "INSERT INTO cxc (Tipo,Numero,Saldo) VALUES ('F',100,25.5),('C',7,3)");
    x.Espejo("INSERT INTO facturas (Numero,Saldo) VALUES (100,99),(101,99)");
    x.Espejo("INSERT INTO remisiones (Numero,Saldo) VALUES (200,10)");
    x.Espejo(
        "INSERT INTO cxc (Id,Tipo,Numero,Saldo) VALUES "
        "(7,'C',7,50),(20,'R',200,10),(21,'F',0,5),(22,'A',300,1)");
    EXPECT_EQ(Exporta(x, "anexopagosctes"), Resultado::Completo);
    EXPECT_EQ(x.EnEspejo("SELECT COUNT(*) FROM anexopagosctes"), V{"5"});
    // The charge is found by Id; settled documents lose their balance row; a payment of nothing changes
    // nothing.
    EXPECT_EQ(x.EnEspejo("SELECT Id,Tipo,Numero,Saldo FROM cxc ORDER BY Id"),
              (V{"7|C|7|3.0000", "21|F|0|5.0000"}));
    EXPECT_EQ(x.EnEspejo("SELECT Numero,Saldo FROM facturas ORDER BY Numero"),
              (V{"100|25.5000", "101|99.0000"}));
    EXPECT_EQ(x.EnEspejo("SELECT Saldo FROM remisiones"), V{"10.0000"});

    x.Local("datos1", "INSERT INTO anexopagosprov (Id,Cargo,Compra,CompraND) VALUES (1,0,0,400),(2,0,500,0)");
    x.Local("datos1", "INSERT INTO cxp (Tipo,Numero,Saldo) VALUES ('N',400,8)");
    x.Espejo("INSERT INTO comprasnd (Numero,Saldo) VALUES (400,80)");
    x.Espejo("INSERT INTO cxp (Tipo,Numero,Saldo) VALUES ('M',500,1),('N',400,80)");
    Exporta(x, "anexopagosprov");
    EXPECT_EQ(x.EnEspejo("SELECT Saldo FROM comprasnd"), V{"8.0000"});
    EXPECT_EQ(x.EnEspejo("SELECT Tipo,Numero FROM cxp"), V{"N|400"});
}

TEST(ElKardex, ProductsAreQueuedOnceAndLeaveTheQueueOnlyWhenEspejoIsReached) {
    REQUIERE_SERVIDORES();
    prueba::Escenario x({"historicoalmacen", "productos", "textosproductos"});
    clsEstandar& est = x.Exportador();
    x.Local("datos1",
            "INSERT INTO productos (Clave,Existencia,Costo,Precio1,Precio5) VALUES "
            "('P1',10,2,5,9),('P2',20,3,6,7)");
    x.Local("datos1", "INSERT INTO textosproductos (Clave,Texto) VALUES ('P1','a''b\\\\c'),('P2','nuevo')");
    x.Local("datos1",
            "INSERT INTO historicoalmacen (Id,Producto) VALUES (1,'P1'),(2,'P2'),(3,'P1'),(4,'P9')");
    x.Espejo("INSERT INTO productos (Id,Clave) VALUES (31,'P1'),(32,'P2')");
    x.Espejo("INSERT INTO textosproductos (Clave,Texto) VALUES ('P2','viejo')");
    x.Local("concentradorqmx", "INSERT INTO productosenkardex (Clave) VALUES ('P0')");

    {
        clsRutinas r;
        Conexion espejo;
        ASSERT_TRUE(AbreBaseEspejo(espejo));
        r.BdL = &x.compania;
        r.BdR = &espejo;
        Registros mov;
        ASSERT_TRUE(Mod.BDLocal.AbrirTabla(mov, x.compania, "historicoalmacen ORDER BY Id"));
        for (; !mov.Eof(); mov.MoveNext()) r.ElKardex(mov);
        EXPECT_FALSE(r.Fallo());
        EXPECT_EQ(x.EnLocal("concentradorqmx", "SELECT Clave FROM productosenkardex ORDER BY Clave"),
                  (V{"P0", "P1", "P2", "P9"}));
        EXPECT_EQ(x.EnLocal("datos1", "SELECT Clave FROM cnc_tabla_auxiliar ORDER BY Clave"),
                  (V{"P1", "P2", "P9"}));
        EXPECT_EQ(x.EnEspejo("SELECT Clave,Texto FROM textosproductos ORDER BY Clave"),
                  (V{"P1|a'b\\c", "P2|nuevo"}));

        r.PasarProductosLista();
        // Gone from the queue, also the keys whose product no longer exists.
        EXPECT_EQ(x.EnLocal("concentradorqmx", "SELECT COUNT(*) FROM productosenkardex"), V{"0"});
        EXPECT_EQ(x.EnEspejo("SELECT Clave,Existencia,Costo,Precio1,Precio5 FROM productos ORDER BY Clave"),
                  (V{"P1|10.0000|2.0000|5.0000|9.0000", "P2|20.0000|3.0000|6.0000|7.0000"}));
        EXPECT_TRUE(x.VioTabla("productosenkardex \nProducto 'P1'"));
    }
    EXPECT_FALSE(HayAuxiliar(x));  // released with the object

    // ESPEJO out of reach: the key stays queued, and so does the auxiliary table.
    x.Local("datos1", "INSERT INTO historicoalmacen (Id,Producto) VALUES (5,'P2')");
    x.Local("datos1", "UPDATE productos SET Existencia=33, Precio1=66 WHERE Clave='P2'");
    {
        clsRutinas r;
        Conexion espejo;
        ASSERT_TRUE(AbreBaseEspejo(espejo));
        r.BdL = &x.compania;
        r.BdR = &espejo;
        Registros mov;
        ASSERT_TRUE(Mod.BDLocal.AbrirTabla(mov, x.compania, "historicoalmacen WHERE Id=5"));
        r.ElKardex(mov);
        Mod.BDRemota.cPuerto = "1";
        espejo.Cerrar();
        r.PasarProductosLista();
        EXPECT_TRUE(r.Fallo());
        EXPECT_EQ(x.EnLocal("concentradorqmx", "SELECT Clave FROM productosenkardex"), V{"P2"});
    }
    EXPECT_TRUE(HayAuxiliar(x));

    // The next export of the movements finishes the job.
    x.EspejoDeVuelta();
    est.Tabla = "historicoalmacen";
    est.Llave = "Id";
    est.UltimoFolio = 5;
    EXPECT_EQ(est.ExportarInfo(), Resultado::Completo);
    EXPECT_EQ(x.EnLocal("concentradorqmx", "SELECT COUNT(*) FROM productosenkardex"), V{"0"});
    EXPECT_EQ(x.EnEspejo("SELECT Existencia,Precio1 FROM productos WHERE Clave='P2'"), V{"33.0000|66.0000"});
    EXPECT_FALSE(HayAuxiliar(x));
}

TEST(ClsRutinas, TextsPromotionsSellersAndRecordedDeletionsFollowTheirNewRows) {
    REQUIERE_SERVIDORES();
    prueba::Escenario x({"edoctacli", "edoctaprov", "textosclientes", "textosproveedores", "promociones",
                         "productosenpromocion", "vendedores", "comisiones", "comisionesporlinea",
                         "sqlborrado", "gastos"});
    x.Local("datos1", "INSERT INTO edoctacli (Id,clave) VALUES (1,'C1'),(2,'C1'),(3,'C2')");
    x.Local("datos1", "INSERT INTO textosclientes (Clave,Texto) VALUES ('C1','texto C1'),('C3','no va')");
    x.Espejo("INSERT INTO textosclientes (Clave,Texto) VALUES ('C1','viejo')");
    Exporta(x, "edoctacli");
    EXPECT_EQ(x.EnEspejo("SELECT Clave,Texto FROM textosclientes"), V{"C1|texto C1"});
    EXPECT_FALSE(HayAuxiliar(x));

    x.Local("datos1", "INSERT INTO edoctaprov (Id,clave) VALUES (1,'O''P')");
    x.Local("datos1", "INSERT INTO textosproveedores (Clave,Texto) VALUES ('O''P','del proveedor')");
    Exporta(x, "edoctaprov");
    EXPECT_EQ(x.EnEspejo("SELECT Clave,Texto FROM textosproveedores"), V{"O'P|del proveedor"});

    x.Local("datos1", "INSERT INTO promociones (Id) VALUES (1),(2)");
    x.Local(
        "datos1",
        "INSERT INTO productosenpromocion (Id,IdPromocion,Producto) VALUES (1,1,'A'),(2,1,'B'),(3,2,'C')");
    x.Espejo("INSERT INTO productosenpromocion (Id,IdPromocion,Producto) VALUES (1,1,'A')");
    Exporta(x, "promociones");
    EXPECT_EQ(x.EnEspejo("SELECT Id,IdPromocion,Producto FROM productosenpromocion ORDER BY Id"),
              (V{"1|1|A", "2|1|B", "3|2|C"}));

    // Sellers have a unique key: a new one is added through it, and its commissions follow all the same.
    x.Local("datos1", "INSERT INTO vendedores (Id,Clave) VALUES (1,'V1'),(2,'O''V')");
    x.Local(
        "datos1",
        "INSERT INTO comisiones (Id,Vendedor,Renglon) VALUES (1,'V1',1),(2,'V1',2),(3,'O''V',1),(4,'V9',1)");
    x.Local("datos1", "INSERT INTO comisionesporlinea (Id,Vendedor,Linea) VALUES (1,'V1',3),(2,'O''V',4)");
    x.Espejo("INSERT INTO comisiones (Id,Vendedor,Renglon) VALUES (10,'V1',1)");
    EXPECT_EQ(Exporta(x, "vendedores"), Resultado::Completo);
    EXPECT_EQ(x.EnEspejo("SELECT Vendedor,Renglon FROM comisiones ORDER BY Id"),
              (V{"V1|2", "O'V|1", "V1|1"}));
    EXPECT_EQ(x.EnEspejo("SELECT Vendedor,Linea FROM comisionesporlinea ORDER BY Id"), (V{"V1|3", "O'V|4"}));

    x.Local("datos1", "INSERT INTO sqlborrado (Id,Sentencia) VALUES (1,'DELETE FROM gastos WHERE Folio=5')");
    x.Espejo("INSERT INTO gastos (Folio) VALUES (5),(6)");
    Exporta(x, "sqlborrado");
    EXPECT_EQ(x.EnEspejo("SELECT Folio FROM gastos"), V{"6"});
    EXPECT_EQ(x.EnEspejo("SELECT Sentencia FROM sqlborrado"), V{"DELETE FROM gastos WHERE Folio=5"});
}

TEST(ClsRutinas, ByBlocksEveryRoutineTableEndsAsRowByRow) {
    REQUIERE_SERVIDORES();
    const std::vector<std::string> espejo = {
        "sqlborrado", "gastos",  "anexopagosctes", "cxc",         "facturas",          "edoctacli",
        "textosclientes", "historicoalmacen", "productos", "textosproductos", "promociones",
        "productosenpromocion", "vendedores", "comisiones", "comisionesporlinea"};
    prueba::Escenario x(espejo);
    clsEstandar& est = x.Exportador();
    x.Local("datos1",
            "INSERT INTO sqlborrado (Id,Sentencia) VALUES (1,'DELETE FROM gastos WHERE Folio=1'),"
            "(2,'DROP TABLE gastos'),(3,'DELETE FROM gastos WHERE Folio=3'),(4,'DELETE FROM gastos WHERE "
            "Folio=4'),(5,'DELETE FROM gastos WHERE Folio=9')");
    x.Local("datos1",
            "INSERT INTO anexopagosctes (Id,Factura) VALUES (1,100),(2,101),(3,100),(4,102),(5,103),(6,101)");
    x.Local("datos1", "INSERT INTO cxc (Tipo,Numero,Saldo) VALUES ('F',100,25.5),('F',101,7)");
    x.Local("datos1", "INSERT INTO edoctacli (Id,clave) VALUES (1,'C1'),(2,'C1'),(3,'C''2'),(4,'C3'),(5,'C4')");
    x.Local("datos1",
            "INSERT INTO textosclientes (Clave,Texto) VALUES ('C1','uno'),('C''2','dos\\\\'),('C4','cuatro')");
    x.Local("datos1",
            "INSERT INTO productos (Clave,Existencia,Costo,Precio1) VALUES ('P1',10,2,5),('P2',20,3,6)");
    x.Local("datos1", "INSERT INTO textosproductos (Clave,Texto) VALUES ('P1','a'),('P2','b')");
    x.Local("datos1",
            "INSERT INTO historicoalmacen (Id,Producto) VALUES (1,'P1'),(2,'P2'),(3,'P1'),(4,'P9'),(5,'P2')");
    x.Local("datos1", "INSERT INTO promociones (Id) VALUES (1),(2),(3),(4)");
    x.Local("datos1",
            "INSERT INTO productosenpromocion (Id,IdPromocion,Producto) VALUES (1,1,'A'),(2,1,'B'),(3,2,'C'),"
            "(4,4,'D'),(5,3,'E')");
    x.Local("datos1", "INSERT INTO vendedores (Id,Clave) VALUES (1,'V1'),(2,'O''V'),(5,'V3'),(6,'V4')");
    x.Local("datos1",
            "INSERT INTO comisiones (Id,Vendedor,Renglon) VALUES (1,'V1',1),(2,'V1',2),(3,'O''V',1),(4,'V4',1)");
    x.Local("datos1", "INSERT INTO comisionesporlinea (Id,Vendedor,Linea) VALUES (1,'V1',3),(2,'V3',4)");
    auto inicial = [&] {
        for (const auto& t : espejo) x.Espejo("DELETE FROM " + t);
        x.Local("concentradorqmx", "DELETE FROM productosenkardex");
        x.Espejo("INSERT INTO gastos (Folio) VALUES (1),(2),(3),(4),(5)");
        x.Espejo("INSERT INTO facturas (Numero,Saldo) VALUES (100,99),(101,99),(102,5)");
        x.Espejo("INSERT INTO productos (Id,Clave) VALUES (31,'P1'),(32,'P2')");
        x.Espejo("INSERT INTO textosclientes (Clave,Texto) VALUES ('C1','viejo')");
        x.Espejo("INSERT INTO productosenpromocion (Id,IdPromocion,Producto) VALUES (1,1,'A')");
        // Rows already there: no routine follows them.
        x.Espejo("INSERT INTO anexopagosctes (Id,Factura) VALUES (2,101)");
        x.Espejo("INSERT INTO promociones (Id) VALUES (3)");
        // Met by its unique key at its own number, and at a smaller one (moved): neither is new.
        x.Espejo("INSERT INTO vendedores (Id,Clave) VALUES (1,'V1'),(3,'V3')");
    };
    const std::vector<std::string> lecturas = {
        "SELECT Id,Sentencia FROM sqlborrado ORDER BY Id", "SELECT Folio FROM gastos ORDER BY Folio",
        "SELECT Id,Factura FROM anexopagosctes ORDER BY Id",
        "SELECT Tipo,Numero,Saldo FROM cxc ORDER BY Tipo,Numero",
        "SELECT Numero,Saldo FROM facturas ORDER BY Numero", "SELECT Id,clave FROM edoctacli ORDER BY Id",
        "SELECT Clave,Texto FROM textosclientes ORDER BY Clave",
        "SELECT Id,Producto FROM historicoalmacen ORDER BY Id",
        "SELECT Clave,Existencia,Costo,Precio1 FROM productos ORDER BY Clave",
        "SELECT Clave,Texto FROM textosproductos ORDER BY Clave", "SELECT Id FROM promociones ORDER BY Id",
        "SELECT Id,IdPromocion,Producto FROM productosenpromocion ORDER BY Id",
        "SELECT Id,Clave FROM vendedores ORDER BY Id", "SELECT Vendedor,Renglon FROM comisiones ORDER BY Id",
        "SELECT Vendedor,Linea FROM comisionesporlinea ORDER BY Id"};
    const char* tablas[] = {"sqlborrado", "anexopagosctes", "edoctacli", "historicoalmacen", "promociones",
                            "vendedores"};
    V estado[2], problemas[2];
    int bloques = 0;
    for (bool porRenglon : {true, false}) {
        SCOPED_TRACE(porRenglon ? "por renglón" : "por bloques");
        inicial();
        const size_t antes = x.Problemas().size();
        for (const char* t : tablas) {
            est.Tabla = t;
            est.Llave = "Id";
            est.Limite = 2;
            est.UltimoFolio = 0;
            est.SoloPorRenglon = porRenglon;
            EXPECT_EQ(est.ExportarInfo(), Resultado::Completo) << t;
            if (!porRenglon) bloques += est.BloquesEnviados();
        }
        for (const auto& l : lecturas)
            for (const auto& f : x.EnEspejo(l)) estado[porRenglon].push_back(f);
        EXPECT_TRUE(x.EnLocal("concentradorqmx", "SELECT * FROM rutinaspendientes").empty());
        EXPECT_TRUE(x.EnLocal("concentradorqmx", "SELECT * FROM productosenkardex").empty());
        EXPECT_FALSE(HayAuxiliar(x));
        const std::string texto = x.Problemas().substr(antes);
        for (size_t i = 0; i < texto.size();) {
            const size_t f = std::min(texto.find("\r\n", i), texto.size());
            problemas[porRenglon].push_back(texto.substr(std::min(i + 19, f), f - std::min(i + 19, f)));
            i = f + 2;
        }
    }
    EXPECT_EQ(estado[false], estado[true]);
    EXPECT_EQ(problemas[false], problemas[true]);
    EXPECT_EQ(problemas[false].size(), 1u);  // the statement that is no deletion
    EXPECT_GE(bloques, 10);
}
