#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "apoyo.h"
#include "documents/archivos_de_documentos.h"
#include "documents/cls_subir_compras.h"

using namespace cnc;
using doc::LineaCompra;
using doc::Lista;

TEST(SubirCompra, RemissionBecomesOnePurchaseWithItsStockCostLotsAndStatement) {
    REQUIERE_SERVIDORES();
    doc::Escenario e;
    e.Local(e.baseLocal,
            "INSERT INTO productos (Clave, Descrip, Existencia, CostoProm) VALUES ('B-2', 'vieja', -5, 10), "
            "('C-3', 'devuelta', 3, 10);"
            "INSERT INTO clavesalternas (ClaveProducto, ClaveAlterna) VALUES ('A-1', 'YA')");
    LineaCompra a;
    a.etiquetas = {
        "R", "\"LOTE1\",3,\"2027-01-31\"", "T", "ALT-1", "X", "R", "\"LOTE1\"", "4", "no es fecha", "T",
        "YA"};
    LineaCompra b;
    b.partida = "2", b.producto = "B-2", b.descrip = "Tuerca", b.cantidad = "10", b.costo = "12";
    LineaCompra c;
    c.partida = "3", c.producto = "C-3", c.descrip = "Arandela", c.cantidad = "-3", c.costo = "12";
    const std::string ruta =
        e.Archivo("compra.txt", doc::ArchivoCompra("Remisión", "120,\"B\"", "E", {a, b, c}));

    clsSubirCompras s;
    EXPECT_EQ(s.Compra, -1);
    ASSERT_TRUE(s.SubirCompra(ruta, e.compania)) << s.Error();
    EXPECT_EQ(s.Compra, 1);
    EXPECT_EQ(s.Factura, "R120-B");
    EXPECT_EQ(
        e.EnLocal(
            e.baseLocal,
            "SELECT Compra, Proveedor, Factura, Fecha, Vence, Nota, NotaF5, SubTotal, Pago FROM compras"),
        Lista{"1|PROV1|R120-B|2026-12-08|2026-12-31|Nota general|F5|100.0000|E"});
    EXPECT_EQ(
        e.EnLocal(e.baseLocal, "SELECT Partida, Producto, Cantidad FROM comprasdetalle ORDER BY Partida"),
        (Lista{"1|A-1|10.0000", "2|B-2|10.0000", "3|C-3|-3.0000"}));

    // New product at the block's cost; -5 in stock counts as none: (0 + 10 x 12) / 10 = 12; a return that
    // leaves no stock keeps the average it had.
    EXPECT_EQ(
        e.EnLocal(e.baseLocal,
                  "SELECT Clave, Descrip, Proveedor1, Existencia, Costo, CostoProm, Precio5 FROM productos "
                  "ORDER BY Clave"),
        (Lista{"A-1|Tornillo|PROV1|10.0000|12.0000|12.0000|24.0000",
               "B-2|Tuerca|PROV1|5.0000|12.0000|12.0000|24.0000",
               "C-3|Arandela|PROV1|0.0000|12.0000|10.0000|24.0000"}));
    EXPECT_EQ(e.EnLocal(e.baseLocal,
                        "SELECT l.Linea, s.SubLinea, m.Marca, d.Medida FROM productos p JOIN lineas l ON "
                        "l.Id=p.Linea JOIN sublineas s ON s.Id=p.SubLinea JOIN marcas m ON m.Id=p.Marca JOIN "
                        "medidas d ON d.Id=p.UnidadMedida GROUP BY l.Linea, s.SubLinea, m.Marca, d.Medida"),
              Lista{"FERRETERIA|TORNILLOS|ACME|PZA"});

    // One adjustment per line with its kardex row, which points back at it.
    EXPECT_EQ(
        e.EnLocal(
            e.baseLocal,
            "SELECT a.Ajuste, a.clave, a.Tipo, a.Cantidad, a.Concepto, a.CostoProm, h.Concepto, "
            "h.ExistenciaAnterior, h.Existencia, h.TablaMovimiento, h.IdMovimiento = a.Id FROM ajustes a "
            "JOIN historicoalmacen h ON h.Id = a.IdKardex ORDER BY a.Ajuste"),
        (Lista{"1|A-1|E|10.0000|AJUSTE POR CONCENTRADOR|12.0000|COMPRA 1|0.0000|10.0000|ajustes|1",
               "2|B-2|E|10.0000|AJUSTE POR CONCENTRADOR|12.0000|COMPRA 1|-5.0000|5.0000|ajustes|1",
               "3|C-3|E|3.0000|AJUSTE POR CONCENTRADOR|10.0000|COMPRA 1|3.0000|0.0000|ajustes|1"}));

    // Two records of one lot add up; an expiry that is no date stays unset; alternative keys once each.
    EXPECT_EQ(
        e.EnLocal(e.baseLocal,
                  "SELECT Id, TipoMovimiento, IdMovimiento, Partida, Referencia, Cantidad, Caducidad FROM "
                  "referenciaexterna ORDER BY IdAuto"),
        (Lista{"CO0000000010001|CO|1|1|LOTE1|3.0000|2027-01-31",
               "CO0000000010001|CO|1|1|LOTE1|4.0000|NULL"}));
    EXPECT_EQ(e.EnLocal(e.baseLocal, "SELECT Referencia, Caducidad FROM referencias"),
              Lista{"LOTE1|2027-01-31"});
    EXPECT_EQ(e.EnLocal(e.baseLocal,
                        "SELECT Producto, Referencia, Existencia, ProductoReferencia FROM "
                        "existenciaexterna"),
              Lista{"A-1|LOTE1|7.0000|A-1 LOTE1"});
    EXPECT_EQ(e.EnLocal(e.baseLocal, "SELECT ClaveProducto, ClaveAlterna FROM clavesalternas ORDER BY Id"),
              (Lista{"A-1|YA", "A-1|ALT-1"}));

    // Cash: a charge and a payment under one statement folio, the payment's folio taken first.
    EXPECT_EQ(
        e.EnLocal(e.baseLocal,
                  "SELECT Id, Folio, clave, CantidadCargo, CantidadPago, Saldo, Concepto FROM edoctaprov "
                  "ORDER BY Id"),
        (Lista{"1|2|PROV1|116.0000|0.0000|116.0000|CARGO POR COMPRA 1",
               "2|2|PROV1|0.0000|116.0000|0.0000|PAGO POR COMPRA 1"}));
    EXPECT_EQ(
        e.EnLocal(e.baseLocal, "SELECT FolioDelPago, Cantidad, CantidadReal, Compra FROM anexopagosprov"),
        Lista{"1|116.0000|116.0000|1"});
    EXPECT_EQ(e.EnLocal(e.baseLocal, "SELECT Clave, Saldo FROM saldospro"), Lista{"PROV1|0.0000"});
    EXPECT_EQ(e.Cuenta("cxp"), "0");

    // The same document again is refused whole: nothing more is written.
    clsSubirCompras otra;
    EXPECT_FALSE(otra.SubirCompra(ruta, e.compania));
    EXPECT_EQ(otra.Compra, 0);
    EXPECT_EQ(otra.Error(), "");
    EXPECT_EQ(e.Cuenta("compras"), "1");
    EXPECT_EQ(e.Cuenta("ajustes"), "3");
    EXPECT_EQ(e.Cuenta("edoctaprov"), "2");

    // Through the file-borne handler: the notice of a remission names the purchase.
    const std::string ruta2 = e.Archivo("compra2.txt", doc::ArchivoCompra("R", "121,\"B\"", "E", {a}));
    const DocumentoRecibido r = CompraDesdeArchivo("RE", "121", ruta2, e.compania);
    EXPECT_TRUE(r.hecho);
    EXPECT_EQ(r.aviso, "Remisión 121 subida como la compra 2");
    EXPECT_EQ(r.tipoAviso, 10);
}

TEST(SubirCompra, PaymentFormDecidesTheStatementAndAnEmptyPurchaseStillCounts) {
    REQUIERE_SERVIDORES();
    doc::Escenario e;
    // Credit: one charge and the payable; an invoice without series keeps its bare number.
    LineaCompra a;
    const std::string credito = e.Archivo("c.txt", doc::ArchivoCompra("Factura", "15,\"\"", "C", {a}));
    clsSubirCompras s;
    ASSERT_TRUE(s.SubirCompra(credito, e.compania)) << s.Error();
    EXPECT_EQ(s.Factura, "15");
    EXPECT_EQ(e.EnLocal(e.baseLocal, "SELECT Folio, CantidadCargo, CantidadPago, Saldo FROM edoctaprov"),
              Lista{"2|116.0000|0.0000|116.0000"});
    EXPECT_EQ(e.EnLocal(e.baseLocal, "SELECT clave, Vencimiento, Tipo, Numero, NumPago, Saldo FROM cxp"),
              Lista{"PROV1|2026-12-31|M|1|1|116.0000"});
    EXPECT_EQ(e.Cuenta("anexopagosprov"), "0");

    // Any other form: the charge alone. A file that ends right after the separator: a purchase without
    // lines, with its statement.
    const std::string otra = e.Archivo("o.txt", doc::ArchivoCompra("Factura", "16,\"\"", "X", {}));
    const DocumentoRecibido r = CompraDesdeArchivo("FA", "16", otra, e.compania);
    ASSERT_TRUE(r.hecho) << r.error;
    EXPECT_EQ(r.aviso, "Factura 16 subida como la compra 2");
    EXPECT_EQ(r.tipoAviso, 11);
    EXPECT_EQ(e.EnLocal(e.baseLocal, "SELECT COUNT(*) FROM comprasdetalle WHERE Compra=2"), Lista{"0"});
    EXPECT_EQ(e.EnLocal(e.baseLocal, "SELECT Id, Concepto, Saldo FROM edoctaprov ORDER BY Id"),
              (Lista{"1|CARGO POR COMPRA 1|116.0000", "2|CARGO POR COMPRA 2|232.0000"}));
    EXPECT_EQ(e.EnLocal(e.baseLocal, "SELECT Saldo FROM saldospro WHERE Clave='PROV1'"), Lista{"232.0000"});
    EXPECT_EQ(e.Cuenta("cxp"), "1");

    // Keys and texts are stored as they stand, quotes and backslashes too.
    LineaCompra q;
    q.producto = "O'B\\1", q.descrip = "x' OR '1'='1";
    const std::string raro = e.Archivo("q.txt", doc::ArchivoCompra("Factura", "17,\"A\"", "E", {q}, "P'R"));
    ASSERT_TRUE(s.SubirCompra(raro, e.compania)) << s.Error();
    EXPECT_EQ(e.EnLocal(e.baseLocal, "SELECT Descrip, Proveedor1 FROM productos WHERE Clave='O\\'B\\\\1'"),
              Lista{"x' OR '1'='1|P'R"});
    EXPECT_EQ(e.Cuenta("productos"), "2");
}

TEST(SubirCompra, CutOrGarbageFilesWriteNothing) {
    REQUIERE_SERVIDORES();
    doc::Escenario e;
    LineaCompra a;
    a.etiquetas = {"R", "\"LOTE1\",3,\"2027-01-31\""};
    const std::string entero = doc::ArchivoCompra("Factura", "15,\"\"", "E", {a, a});
    const std::vector<std::string> malos = {
        "",
        entero.substr(0, entero.find("--------")),                // ends inside the header
        entero.substr(0, entero.rfind("renglón")),                // ends inside a line block
        entero.substr(0, entero.rfind("\"LOTE1\"")),              // ends inside a lot record
        std::string("\x00\xff\xfe garbage\x01\r\n\x80\x81", 17),  // binary
        std::string(1 << 20, 'x'),                                // one line of a megabyte
        doc::ArchivoCompra("Factura", "1e300,\"\"", "E", {a}),   // a folio no whole number holds
        doc::ArchivoCompra("Factura", "-1e19,\"\"", "E", {a}),
    };
    for (size_t i = 0; i < malos.size(); ++i) {
        clsSubirCompras s;
        EXPECT_FALSE(s.SubirCompra(e.Archivo("m.txt", malos[i]), e.compania)) << i;
        EXPECT_FALSE(s.Error().empty()) << i;
        EXPECT_FALSE(s.Pasajero()) << i;
    }
    clsSubirCompras s;
    EXPECT_FALSE(s.SubirCompra(e.m.carpeta.Archivo("no-existe.txt"), e.compania));
    for (const char* t : {"compras", "comprasdetalle", "productos", "ajustes", "historicoalmacen",
                          "edoctaprov", "referenciaexterna", "existenciaexterna", "lineas"})
        EXPECT_EQ(e.Cuenta(t), "0") << t;
}

TEST(SubirCompra, AFailureHalfwayLeavesNoHalfPurchaseAndTheFileIsRetried) {
    REQUIERE_SERVIDORES();
    doc::Escenario e;
    e.Local(e.baseLocal, "INSERT INTO productos (Clave, Existencia, CostoProm) VALUES ('B-2', 4, 10)");
    LineaCompra a, b;
    b.partida = "2", b.producto = "B-2";
    const std::string ruta = e.Archivo("compra.txt", doc::ArchivoCompra("R", "120,\"B\"", "C", {a, b}));
    const Lista antes = e.EnLocal(e.baseLocal, "SELECT Clave, Existencia, CostoProm FROM productos");

    // The second line's adjustment is refused by the server.
    e.Local(e.baseLocal,
            "CREATE TRIGGER rechaza BEFORE INSERT ON ajustes FOR EACH ROW "
            "IF NEW.clave='B-2' THEN SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT='rechazado'; END IF");
    clsSubirCompras s;
    EXPECT_FALSE(s.SubirCompra(ruta, e.compania));
    EXPECT_EQ(s.Compra, 0);
    EXPECT_NE(s.Error().find("Nº 1644: rechazado"), std::string::npos) << s.Error();
    EXPECT_EQ(e.EnLocal(e.baseLocal, "SELECT Clave, Existencia, CostoProm FROM productos"), antes);
    for (const char* t :
         {"compras", "comprasdetalle", "ajustes", "historicoalmacen", "edoctaprov", "cxp", "folios"})
        EXPECT_EQ(e.Cuenta(t), "0") << t;

    // Once the cause is gone the same file becomes the purchase, with the folios it would have had.
    e.Local(e.baseLocal, "DROP TRIGGER rechaza");
    ASSERT_TRUE(s.SubirCompra(ruta, e.compania)) << s.Error();
    EXPECT_EQ(s.Compra, 1);
    EXPECT_EQ(e.EnLocal(e.baseLocal, "SELECT Clave, Existencia, CostoProm FROM productos ORDER BY Clave"),
              (Lista{"A-1|10.0000|12.0000", "B-2|14.0000|11.4286"}));

    // A brand the company can neither find nor add: no purchase with its products left under brand 0.
    e.Local(e.baseLocal,
            "DELETE FROM marcas; CREATE TRIGGER sin_marca BEFORE INSERT ON marcas FOR EACH ROW "
            "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT='sin marcas'");
    const Lista antesDeLaMarca = e.EnLocal(e.baseLocal, "SELECT Clave, Existencia, Marca FROM productos");
    EXPECT_FALSE(s.SubirCompra(e.Archivo("compra2.txt", doc::ArchivoCompra("R", "121,\"B\"", "C", {a})),
                               e.compania));
    EXPECT_NE(s.Error(), "");
    EXPECT_EQ(e.Cuenta("compras"), "1");
    EXPECT_EQ(e.EnLocal(e.baseLocal, "SELECT Clave, Existencia, Marca FROM productos"), antesDeLaMarca);
}

TEST(SubirCompra, ServerKilledDuringAPurchaseLeavesNoHalfPurchase) {
    REQUIERE_SERVIDORES();
    doc::Escenario e;
    LineaCompra a, b;
    b.partida = "2", b.producto = "B-2";
    const std::string ruta = e.Archivo("compra.txt", doc::ArchivoCompra("R", "120,\"B\"", "E", {a, b}));
    // The second line waits long enough for the server to die under it.
    e.Local(e.baseLocal,
            "CREATE TRIGGER lento BEFORE INSERT ON comprasdetalle FOR EACH ROW "
            "IF NEW.Partida=2 THEN DO SLEEP(5); END IF");
    prueba::Caida caida("local");
    std::thread asesino([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(800));
        caida.Mata();
    });
    clsSubirCompras s;
    const bool hecho = s.SubirCompra(ruta, e.compania);
    asesino.join();
    caida.Revive();
    EXPECT_FALSE(hecho);
    EXPECT_TRUE(s.Pasajero()) << s.Error();
    for (const char* t :
         {"compras", "comprasdetalle", "productos", "ajustes", "historicoalmacen", "edoctaprov"})
        EXPECT_EQ(e.Cuenta(t), "0") << t;

    // Offered again, it is written whole.
    e.Local(e.baseLocal, "DROP TRIGGER lento");
    kvtx8::Conexion cn;
    ASSERT_TRUE(AbreBaseLocal(cn));
    ASSERT_TRUE(s.SubirCompra(ruta, cn)) << s.Error();
    EXPECT_EQ(e.Cuenta("comprasdetalle"), "2");
}
