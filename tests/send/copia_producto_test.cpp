#include "send/copia_producto.h"

#include <gtest/gtest.h>
#include <mysql.h>

#include "core/shared_routines.h"
#include "support/escenario.h"
#include "support/hostiles.h"

using namespace cnc;
using prueba::Lista;

namespace {

const prueba::Tablas kTablasDeProducto = {"productos",        "productosmasprecios",
                                          "lineas",           "sublineas",
                                          "marcas",           "medidas",
                                          "clavesalternas",   "existenciaexterna",
                                          "clavereferencias", "anexoproductos",
                                          "presentaciones",   "cambiosdeprecios"};

// The MATRIZ as the source and the local company as the destination, as the product update runs them.
struct DeMatriz : prueba::Escenario {
    Conexion matriz, destino;
    DeMatriz() : Escenario(kTablasDeProducto) {
        ApuntaAServidores();
        EXPECT_TRUE(AbreBaseRemota(matriz, "matriz1"));
        EXPECT_TRUE(AbreBaseLocal(destino));
        Mod.TipoSucursal = 0;
    }
    void Matriz(const std::string& sql) { Hub("matriz1", sql); }
    void Destino(const std::string& sql) { Local("datos1", sql); }
    Lista EnDestino(const std::string& sql) { return EnLocal("datos1", sql); }
    bool Copia(const std::string& clave, bool esNuevo) {
        Registros rs;
        EXPECT_TRUE(
            Mod.BDRemota.AbrirTabla(rs, matriz, "productos WHERE Clave = '" + matriz.Escapar(clave) + "'"));
        EXPECT_FALSE(rs.Eof()) << clave;
        return CopiaProducto(rs, matriz, destino, esNuevo, true, "Producto '" + clave + "'");
    }
};

}  // namespace

TEST(CopiaProducto, NewAndExistingProductsWithTheirCataloguesByName) {
    REQUIERE_SERVIDORES();
    DeMatriz e;
    e.Matriz(
        "INSERT INTO lineas (Id, Linea) VALUES (4, 'HERRAMIENTA'), (5, '');"
        "INSERT INTO sublineas (Id, IdLinea, SubLinea) VALUES (9, 4, 'MANUAL');"
        "INSERT INTO marcas (Id, Marca) VALUES (3, 'ACME');"
        "INSERT INTO medidas (Id, Medida) VALUES (2, 'PIEZA'), (8, 'CAJA');"
        "INSERT INTO productos (Clave, Descrip, DescripCorta, IVA, Costo, CostoProm, Linea, SubLinea, Marca, "
        "UnidadMedida, FechaRegistro, FechaCambios, ClaveSAT, Bloqueado, MonedaVenta, Existencia) VALUES "
        "('P''ARK', 'Martillo O''Brien', 'MART', 16, 50, 48, 4, 9, 3, 2, '2001-01-01', '2026-11-30', '2710', "
        "1, "
        "2, 99),"
        "('VACIO', 'Sin catálogo', '', 0, 0, 0, 5, 0, 0, 0, NULL, NULL, '', 0, 1, 0)");
    // The destination already has the unit, under another Id, and a product of its own.
    e.Destino(
        "INSERT INTO medidas (Id, Medida) VALUES (30, 'PIEZA');"
        "INSERT INTO productos (Id, Clave, Descrip, FechaRegistro, FechaCambios, Existencia) VALUES "
        "(77, 'VACIO', 'viejo', '2010-10-10', '2011-11-11', 5)");

    EXPECT_TRUE(e.Copia("P'ARK", true));
    EXPECT_EQ(e.EnDestino("SELECT Clave, Descrip, DescripCorta, IVA, Costo, CostoProm, ClaveSAT, Bloqueado, "
                          "MonedaVenta, Existencia FROM productos WHERE Clave = 'P''ARK'"),
              Lista{"P'ARK|Martillo O'Brien|MART|16.0000|50.0000|48.0000|2710|1|2|0.0000"});
    // A new product is registered today and has no change date.
    EXPECT_EQ(e.EnDestino("SELECT FechaRegistro, IFNULL(FechaCambios, 'nula') FROM productos WHERE Clave = "
                          "'P''ARK'"),
              Lista{"2026-12-08|nula"});
    // Catalogues by name: the line, sub-line and brand created, the unit found.
    EXPECT_EQ(
        e.EnDestino("SELECT l.Linea, s.SubLinea, s.IdLinea = l.Id, m.Marca, p.UnidadMedida FROM productos p "
                    "JOIN lineas l ON l.Id = p.Linea JOIN sublineas s ON s.Id = p.SubLinea "
                    "JOIN marcas m ON m.Id = p.Marca WHERE p.Clave = 'P''ARK'"),
        Lista{"HERRAMIENTA|MANUAL|1|ACME|30"});
    EXPECT_EQ(e.EnDestino("SELECT COUNT(*) FROM medidas"), Lista{"1"});
    EXPECT_TRUE(e.VioTabla("Producto 'P'ARK'. ( nuevo )"));

    // An existing product keeps its Id, stock and registration date; an invalid change date is not sent,
    // and an empty catalogue name gives 0.
    EXPECT_TRUE(e.Copia("VACIO", false));
    EXPECT_EQ(e.EnDestino("SELECT Id, Descrip, FechaRegistro, FechaCambios, Linea, SubLinea, Marca, "
                          "UnidadMedida, Existencia FROM productos WHERE Clave = 'VACIO'"),
              Lista{"77|Sin catálogo|2010-10-10|2011-11-11|0|0|0|0|5.0000"});
    EXPECT_TRUE(e.VioTabla("Producto 'VACIO'. ( X )"));
    EXPECT_EQ(e.EnDestino("SELECT COUNT(*) FROM lineas"), Lista{"1"});

    // A valid change date goes with an existing product.
    e.Matriz("UPDATE productos SET FechaCambios = '2026-12-01' WHERE Clave = 'VACIO'");
    EXPECT_TRUE(e.Copia("VACIO", false));
    EXPECT_EQ(e.EnDestino("SELECT FechaRegistro, FechaCambios FROM productos WHERE Clave = 'VACIO'"),
              Lista{"2010-10-10|2026-12-01"});
    // Nothing of another product moved.
    EXPECT_EQ(e.EnDestino("SELECT COUNT(*) FROM productos"), Lista{"2"});
}

TEST(CopiaProducto, OrdinaryBranchCopiesThePricesAndFormulasItIsToldTo) {
    REQUIERE_SERVIDORES();
    DeMatriz e;
    e.Matriz(
        "INSERT INTO productos (Clave, Costo, Precio1, Rango1, Precio2, forCampo2, forOperador2, forFactor2, "
        "forRedondear2, Precio3, Precio4, forCampo4) VALUES ('A1', 10, 20.50, 3, 30, 'Costo', 'X', 1.5, 0.5, "
        "40, 50.004, 'Precio1');"
        "INSERT INTO productosmasprecios (Producto, NumeroDePrecio, Precio, Rango, forCampo, forOperador, "
        "forFactor, forRedondear) VALUES ('A1', 6, 66, 2, 'Precio1', '+', 5, 1), ('A1', 7, 77, 0, '', '', 0, "
        "0), "
        "('A1', 8, 88, 0, 'Costo', 'X', 2, 0)");
    e.Destino(
        "INSERT INTO productos (Clave, Costo, Precio1, Precio2, Precio3, Precio4, forCampo4) VALUES "
        "('A1', 1, 10, 2, 3, 50, 'Costo');"
        "INSERT INTO productosmasprecios (Producto, NumeroDePrecio, Precio) VALUES ('A1', 6, 60), ('A1', 8, "
        "8)");
    Mod.EnviarPrecio[1] = true;   // value only
    Mod.EnviarFormula[2] = true;  // formula only
    Mod.EnviarPrecio[4] = true;   // moves by less than a cent
    Mod.EnviarPrecio[6] = Mod.EnviarFormula[6] = true;
    Mod.EnviarPrecio[7] = true;   // the destination has no row 7
    Mod.EnviarFormula[8] = true;  // formula only: no record

    EXPECT_TRUE(e.Copia("A1", false));
    EXPECT_EQ(e.EnDestino("SELECT Costo, Precio1, Rango1, Precio2, forCampo2, forOperador2, forFactor2, "
                          "forRedondear2, Precio3, Precio4, forCampo4 FROM productos"),
              Lista{"10.0000|20.5000|3.0000|2.0000|Costo|X|1.5000|0.5000|3.0000|50.0040|Costo"});
    EXPECT_EQ(
        e.EnDestino("SELECT NumeroDePrecio, Precio, Rango, forCampo, forOperador, forFactor, forRedondear "
                    "FROM productosmasprecios ORDER BY NumeroDePrecio"),
        (Lista{"6|66.0000|2.0000|Precio1|+|5.0000|1.0000", "8|8.0000|0.0000|Costo|X|2.0000|0.0000"}));
    // One record per price that moved by a cent or more.
    EXPECT_EQ(
        e.EnDestino("SELECT Producto, Fecha, Hora, Usuario, PrecioAnterior, PrecioNuevo, Numero, Motivo "
                    "FROM cambiosdeprecios ORDER BY Numero"),
        (Lista{"A1|2026-12-08|10:00:00|CONCENTRAD|10.0000|20.5000|1|CAMBIO DE PRECIOS DESDE CONCENTRADOR",
               "A1|2026-12-08|10:00:00|CONCENTRAD|60.0000|66.0000|6|CAMBIO DE PRECIOS DESDE CONCENTRADOR"}));

    // The same copy again changes no price: no new record.
    EXPECT_TRUE(e.Copia("A1", false));
    EXPECT_EQ(e.EnDestino("SELECT COUNT(*) FROM cambiosdeprecios"), Lista{"2"});

    // A destination without the table records nothing, and the copy still goes.
    e.Destino("DROP TABLE cambiosdeprecios");
    e.Matriz("UPDATE productos SET Precio1 = 21 WHERE Clave = 'A1'");
    EXPECT_TRUE(e.Copia("A1", false));
    EXPECT_EQ(e.EnDestino("SELECT Precio1 FROM productos"), Lista{"21.0000"});
}

TEST(CopiaProducto, FranchiseBranchTakesItsConfiguredPricesAndCost) {
    REQUIERE_SERVIDORES();
    DeMatriz e;
    e.Matriz(
        "INSERT INTO productos (Clave, Costo, Precio1, Precio2, Precio3, Rango1, Rango2, forCampo1) VALUES "
        "('F1', 10, 11, 12, 13, 4, 5, 'Costo');"
        "INSERT INTO productosmasprecios (Producto, NumeroDePrecio, Precio) VALUES ('F1', 7, 7.77), ('F1', "
        "9, 9.5)");
    e.Destino(
        "INSERT INTO productos (Clave, Costo, Precio1, Precio2, Precio3, Precio4) VALUES ('F1', 1, 1, 2, 3, "
        "4)");
    Mod.TipoSucursal = 1;
    Mod.CostoEnFran = 9;
    Mod.PrecioEnFran[1] = "3";
    Mod.PrecioEnFran[2] = " 7 ";
    Mod.PrecioEnFran[3] = "0";
    Mod.PrecioEnFran[4] = "";
    Mod.EnviarPrecio[3] = Mod.EnviarFormula[1] = true;  // an ordinary branch's flags do not count here

    EXPECT_TRUE(e.Copia("F1", false));
    EXPECT_EQ(e.EnDestino("SELECT Costo, Precio1, Rango1, Precio2, Rango2, Precio3, Precio4, forCampo1 FROM "
                          "productos"),
              Lista{"9.5000|13.0000|4.0000|7.7700|5.0000|3.0000|4.0000|"});
    EXPECT_EQ(e.EnDestino("SELECT Numero, PrecioAnterior, PrecioNuevo FROM cambiosdeprecios ORDER BY Numero"),
              (Lista{"1|1.0000|13.0000", "2|2.0000|7.7700"}));

    // Without a cost price the source cost goes.
    Mod.CostoEnFran = 0;
    EXPECT_TRUE(e.Copia("F1", false));
    EXPECT_EQ(e.EnDestino("SELECT Costo FROM productos"), Lista{"10.0000"});
}

TEST(CopiaProducto, APriceThatCannotBeReadOrWrittenStaysAsItWasWithoutARecord) {
    REQUIERE_SERVIDORES();
    DeMatriz e;
    e.Matriz("INSERT INTO productos (Clave, Costo, Precio1) VALUES ('F1', 10, 11)");
    e.Destino("INSERT INTO productos (Clave, Costo, Precio1, Precio2) VALUES ('F1', 1, 1, 2)");
    // A franchise whose cost and second price come from the MATRIZ's list 7, which cannot be read.
    Mod.TipoSucursal = 1;
    Mod.CostoEnFran = 7;
    Mod.PrecioEnFran[1] = "1";
    Mod.PrecioEnFran[2] = "7";
    e.Matriz("RENAME TABLE productosmasprecios TO otrosprecios");
    e.Copia("F1", false);
    EXPECT_EQ(e.EnDestino("SELECT CONCAT_WS('|', Costo, Precio1, Precio2) FROM productos"),
              Lista{"1.0000|11.0000|2.0000"});
    EXPECT_EQ(e.EnDestino("SELECT CONCAT_WS('|', Numero, PrecioAnterior, PrecioNuevo) FROM cambiosdeprecios"),
              Lista{"1|1.0000|11.0000"});

    // An ordinary branch whose price 6 the company refuses to change: no record of a change not made.
    e.Matriz(
        "RENAME TABLE otrosprecios TO productosmasprecios;"
        "INSERT INTO productosmasprecios (Producto, NumeroDePrecio, Precio) VALUES ('F1', 6, 66)");
    e.Destino(
        "INSERT INTO productosmasprecios (Producto, NumeroDePrecio, Precio) VALUES ('F1', 6, 60);"
        "CREATE TRIGGER sin_cambio BEFORE UPDATE ON productosmasprecios FOR EACH ROW "
        "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT='no'");
    Mod.TipoSucursal = 0;
    Mod.EnviarPrecio[6] = true;
    e.Copia("F1", false);
    EXPECT_EQ(e.EnDestino("SELECT Precio FROM productosmasprecios"), Lista{"60.0000"});
    EXPECT_EQ(e.EnDestino("SELECT COUNT(*) FROM cambiosdeprecios WHERE Numero = 6"), Lista{"0"});
}

TEST(CopiaProducto, DependentRowsAreAddedNeverChangedOrDeleted) {
    REQUIERE_SERVIDORES();
    DeMatriz e;
    e.Matriz(
        "INSERT INTO medidas (Id, Medida) VALUES (2, 'CAJA'), (3, 'PAQUETE');"
        "INSERT INTO productos (Clave) VALUES ('D''1');"
        "INSERT INTO clavesalternas (ClaveProducto, ClaveAlterna) VALUES ('D''1', '750'), ('D''1', '751');"
        "INSERT INTO existenciaexterna (Producto, Referencia, Caducidad, ExistMin, ExistMax, "
        "ProductoReferencia, "
        "ClaveReferencia) VALUES ('D''1', 'LOTE1', '2027-01-31', 1, 9, 'pr', 'cr'), ('D''1', 'LOTE2', NULL, "
        "2, 8, "
        "'', ''), ('D''1', 'LOTE3', NULL, 3, 7, 'nuevo', '');"
        "INSERT INTO clavereferencias (Producto, Referencia) VALUES ('D''1', 'R1'), ('D''1', 'R2');"
        "INSERT INTO anexoproductos (Producto, Texto, Numerico) VALUES ('D''1', 'anexo de O''Brien', 4.5);"
        "INSERT INTO presentaciones (Producto, IdUnidad, Cantidad, ClaveAlterna) VALUES ('D''1', 2, 12, "
        "'C12'), "
        "('D''1', 3, 6, 'P6')");
    e.Destino(
        "INSERT INTO medidas (Id, Medida) VALUES (40, 'CAJA');"
        "INSERT INTO productos (Clave) VALUES ('D''1');"
        "INSERT INTO clavesalternas (ClaveProducto, ClaveAlterna) VALUES ('D''1', '751'), ('D''1', 'MIA');"
        "INSERT INTO existenciaexterna (Producto, Referencia, ExistMin, ExistMax, ProductoReferencia) VALUES "
        "('D''1', 'LOTE3', 30, 70, 'mio'), ('D''1', 'MIO', 1, 1, '');"
        "INSERT INTO clavereferencias (Producto, Referencia) VALUES ('D''1', 'R2'), ('D''1', 'MIA');"
        "INSERT INTO anexoproductos (Producto, Texto, Numerico, Texto1) VALUES ('D''1', 'viejo', 1, 'queda');"
        "INSERT INTO presentaciones (Producto, IdUnidad, Cantidad, ClaveAlterna) VALUES ('D''1', 40, 1, "
        "'X')");

    EXPECT_TRUE(e.Copia("D'1", false));
    EXPECT_EQ(e.EnDestino("SELECT ClaveAlterna FROM clavesalternas ORDER BY ClaveAlterna"),
              (Lista{"750", "751", "MIA"}));
    EXPECT_EQ(
        e.EnDestino("SELECT Referencia, IFNULL(Caducidad, 'nula'), ExistMin, ExistMax, ProductoReferencia, "
                    "ClaveReferencia FROM existenciaexterna ORDER BY Referencia"),
        (Lista{"LOTE1|2027-01-31|1.0000|9.0000|pr|cr", "LOTE2|nula|2.0000|8.0000||",
               "LOTE3|nula|30.0000|70.0000|mio|", "MIO|nula|1.0000|1.0000||"}));
    EXPECT_EQ(e.EnDestino("SELECT Referencia FROM clavereferencias ORDER BY Referencia"),
              (Lista{"MIA", "R1", "R2"}));
    // The annex is rewritten in its copied columns only.
    EXPECT_EQ(e.EnDestino("SELECT Producto, Texto, Numerico, Texto1 FROM anexoproductos"),
              Lista{"D'1|anexo de O'Brien|4.5000|queda"});
    // Presentations by the translated unit: the existing one rewritten, the missing one (and its unit)
    // added.
    EXPECT_EQ(
        e.EnDestino("SELECT m.Medida, p.Cantidad, p.ClaveAlterna FROM presentaciones p JOIN medidas m ON "
                    "m.Id = p.IdUnidad ORDER BY m.Medida"),
        (Lista{"CAJA|12.0000|C12", "PAQUETE|6.0000|P6"}));
    EXPECT_EQ(e.EnDestino("SELECT COUNT(*) FROM presentaciones WHERE IdUnidad = 40"), Lista{"1"});

    // A second copy adds nothing twice.
    EXPECT_TRUE(e.Copia("D'1", false));
    EXPECT_EQ(e.EnDestino("SELECT COUNT(*) FROM clavesalternas"), Lista{"3"});
    EXPECT_EQ(e.EnDestino("SELECT COUNT(*) FROM existenciaexterna"), Lista{"4"});
    EXPECT_EQ(e.EnDestino("SELECT COUNT(*) FROM clavereferencias"), Lista{"3"});
    EXPECT_EQ(e.EnDestino("SELECT COUNT(*) FROM presentaciones"), Lista{"2"});
    EXPECT_EQ(e.EnDestino("SELECT COUNT(*) FROM anexoproductos"), Lista{"1"});

    // A source without annex leaves the destination's as it is; a destination without one gets it.
    e.Matriz("DELETE FROM anexoproductos");
    EXPECT_TRUE(e.Copia("D'1", false));
    EXPECT_EQ(e.EnDestino("SELECT Texto FROM anexoproductos"), Lista{"anexo de O'Brien"});
}

TEST(CopiaProducto, AConnectionLostHalfwayLeavesTheProductAsItWas) {
    REQUIERE_SERVIDORES();
    DeMatriz e;
    e.Matriz(
        "INSERT INTO lineas (Id, Linea) VALUES (1, 'NUEVA');"
        "INSERT INTO productos (Clave, Descrip, Linea) VALUES ('M1', 'de la matriz', 1);"
        "INSERT INTO clavesalternas (ClaveProducto, ClaveAlterna) VALUES ('M1', '1'), ('M1', '2')");
    Mod.EnviarPrecio[1] = true;
    Conexion verdugo;
    ASSERT_TRUE(AbreBaseLocal(verdugo));
    const unsigned long victima = mysql_thread_id(e.destino.mysql());
    // Right after the header is written, the destination's session dies.
    e.m.ventana.alMostrarTabla = [&](const std::string& t) {
        if (t.find("( nuevo )") != std::string::npos) verdugo.Ejecutar("KILL " + std::to_string(victima));
    };
    EXPECT_FALSE(e.Copia("M1", true));
    EXPECT_EQ(e.EnDestino("SELECT COUNT(*) FROM productos"), Lista{"0"});
    EXPECT_EQ(e.EnDestino("SELECT COUNT(*) FROM lineas"), Lista{"0"});
    EXPECT_EQ(e.EnDestino("SELECT COUNT(*) FROM clavesalternas"), Lista{"0"});
    EXPECT_EQ(e.EnDestino("SELECT COUNT(*) FROM cambiosdeprecios"), Lista{"0"});

    // Once the connection is back, the whole product goes.
    e.m.ventana.alMostrarTabla = nullptr;
    ASSERT_TRUE(AbreBaseLocal(e.destino));
    EXPECT_TRUE(e.Copia("M1", true));
    EXPECT_EQ(e.EnDestino("SELECT p.Descrip, l.Linea FROM productos p JOIN lineas l ON l.Id = p.Linea"),
              Lista{"de la matriz|NUEVA"});
    EXPECT_EQ(e.EnDestino("SELECT COUNT(*) FROM clavesalternas"), Lista{"2"});
}

TEST(DatosHostiles, ProductsFromTheMatrizArriveByteForByteWithTheirCatalogues) {
    REQUIERE_SERVIDORES();
    DeMatriz e;
    e.Destino("CREATE TABLE centinela (Id INT PRIMARY KEY, Texto VARCHAR(20));"
              "INSERT INTO centinela VALUES (1, 'intacta');"
              "INSERT INTO productos (Clave, Descrip) VALUES ('QUEDA', 'igual')");
    const std::string resto = "SELECT CONCAT_WS('|', 'p', Clave, Descrip) FROM productos WHERE Clave = 'QUEDA' UNION "
                              "ALL SELECT CONCAT_WS('|', 'c', Id, Texto) FROM centinela UNION ALL SELECT COUNT(*) FROM "
                              "information_schema.tables WHERE table_schema = 'datos1'";
    const Lista antes = e.EnDestino(resto);
    int copiados = 0;
    for (const std::string& h : prueba::Hostiles()) {
        SCOPED_TRACE(prueba::Muestra(h));
        // In the MATRIZ as its columns hold the value (cut or with '?' when the session is not strict).
        const std::string x = "X'" + prueba::Hex(h) + "'";
        e.Matriz("DELETE FROM productos; DELETE FROM lineas; INSERT INTO lineas (Id, Linea) VALUES (7, " + x +
                 "); INSERT INTO productos (Clave, Descrip, DescripCorta, Linea) VALUES (" + x + ", " + x + ", " + x +
                 ", 7)");
        const Lista origen = e.EnHub("matriz1", "SELECT CONCAT_WS('|', HEX(p.Clave), HEX(p.Descrip), "
                                                "HEX(p.DescripCorta), HEX(l.Linea)) FROM productos p JOIN lineas l "
                                                "ON l.Id = p.Linea");
        const std::string clave = prueba::Bytes(e.EnHub("matriz1", "SELECT HEX(Clave) FROM productos").at(0));
        if (e.Copia(clave, true)) {
            ++copiados;
            EXPECT_EQ(e.EnDestino("SELECT CONCAT_WS('|', HEX(p.Clave), HEX(p.Descrip), HEX(p.DescripCorta), "
                                  "HEX(l.Linea)) FROM productos p LEFT JOIN lineas l ON l.Id = p.Linea WHERE "
                                  "HEX(p.Clave) = '" + prueba::Hex(clave) + "'"),
                      origen);
        } else {
            EXPECT_EQ(e.EnDestino("SELECT COUNT(*) FROM productos WHERE HEX(Clave) = '" + prueba::Hex(clave) + "'"),
                      Lista{"0"});
        }
        EXPECT_EQ(e.EnDestino(resto), antes);
        e.Destino("DELETE FROM productos WHERE Clave <> 'QUEDA'; DELETE FROM lineas");
    }
    EXPECT_GT(copiados, 60);
}
