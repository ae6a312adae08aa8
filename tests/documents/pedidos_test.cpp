#include <gtest/gtest.h>

#include "apoyo.h"
#include "core/archivo_de_trabajo.h"
#include "documents/cls_subir_pedidos.h"
#include "support/hostiles.h"

using namespace cnc;
using doc::Lista;

namespace {

// An order file: 18 header lines, then a block of nine lines per order line.
std::string ArchivoOrden(const std::vector<std::string>& renglones = {
                             "1\r\nA-1\r\nTornillo\r\n10\r\n0\r\n0\r\n0\r\n"
                             "nota renglón",
                             "2\r\nZ-9\r\nSin producto\r\n2.5\r\n1\r\n0\r\n0"
                             "\r\n"}) {
    std::string s =
        "2026-12-01\r\n5\r\n100\r\n16\r\n0\r\nno se usa\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\nNota de "
        "la "
        "orden\r\nUSUARIO1\r\nx\r\ny\r\n";
    for (const auto& r : renglones) s += "--------\r\n" + r + "\r\n";
    return s;
}

struct Escenario : doc::Escenario {
    Escenario() {
        Hub(matriz,
            "INSERT INTO clientes (Clave, Nombre, Telefono1, Calle, SeriePedidos, Precio, ClienteSucursal) "
            "VALUES "
            "('SUC1', 'Sucursal Centro', '555', 'Juárez', 'S', 2, 'espejo1'), ('OTRO', 'x', '', '', 'S', 1, "
            "'espejo9');"
            "INSERT INTO sistema (Dato, Contenido) VALUES ('PE-S', '41');"
            "INSERT INTO pedidos (Factura, Serie, Cliente, Orden) VALUES (42, 'S', 'OTRO', 1), (43, 'S', "
            "'OTRO', "
            "2);"
            "INSERT INTO productos (Clave, IVA, ImpuestoAd, Precio1, Precio2) VALUES ('A-1', 16, 3, 50, 55)");
        Local(baseLocal, "INSERT INTO ordenes (Orden) VALUES (7), (8)");
    }
    void Solicitud(int id, const std::string& tipo, long long folio, const std::string& contenido,
                   const std::string& base = "datos1", int cancelar = 0) {
        Local("concentradorqmx",
              "INSERT INTO archivosasubir (Id, Tipo, BaseDeDatos, Cancelar, Folio, Contenido) VALUES (" +
                  std::to_string(id) + ", '" + tipo + "', '" + base + "', " + std::to_string(cancelar) +
                  ", " + std::to_string(folio) + ", '" + contenido + "')");
    }
    Resultado Pasa() { return LeerDeEnvio(servidorLocal, conHub, compania, matriz, conEspejo); }
    Lista Solicitudes() { return EnLocal("concentradorqmx", "SELECT Id FROM archivosasubir ORDER BY Id"); }
};

}  // namespace

TEST(LeerDeEnvio, APurchaseOrderBecomesOneMatrizOrderWithItsCustomersPrices) {
    REQUIERE_SERVIDORES();
    Escenario e;
    e.Solicitud(1, "OC", 7, ArchivoOrden());
    EXPECT_EQ(e.Pasa(), Resultado::Completo);

    // 41 stored, 42 and 43 taken: the order is 44, and so is the counter.
    EXPECT_EQ(
        e.EnHub(e.matriz,
                "SELECT Orden, Factura, Serie, Cliente, Nombre, Telefono, Calle, Vence, Fecha, Hora, "
                "Descuento, SubTotal, IVA, Desc3, NotaF1, NotaF5, Nota, Usuario, Origen FROM pedidos WHERE "
                "Cliente='SUC1'"),
        Lista{"7|44|S|SUC1|Sucursal Centro|555|Juárez|2026-12-08|2026-12-01|10:00:00|5.0000|100.0000|"
              "16.0000|3.0000|4|8|Nota de la orden|USUARIO1|RECOMPRA"});
    EXPECT_EQ(e.EnHub(e.matriz, "SELECT Contenido FROM sistema WHERE Dato='PE-S'"), Lista{"44"});
    // Prices from the customer's list (2); a product the MATRIZ lacks keeps none.
    EXPECT_EQ(e.EnHub(e.matriz,
                      "SELECT d.Id = p.Id, Partida, Producto, Descripcion, Cantidad, Pedido, d.Desc1, d.IVA, "
                      "d.ImpuestoAd, PrecioBruto, PrecioNeto, d.Nota FROM pedidosdetalle d JOIN pedidos p ON "
                      "p.Cliente='SUC1' ORDER BY Partida"),
              (Lista{"1|1|A-1|Tornillo|10.0000|10.0000|0.0000|16.0000|3.0000|55.0000|55.0000|nota renglón",
                     "1|2|Z-9|Sin producto|2.5000|2.5000|1.0000|0.0000|0.0000|0.0000|0.0000|"}));
    EXPECT_EQ(e.EnLocal(e.baseLocal, "SELECT Orden, Pedido FROM ordenes ORDER BY Orden"),
              (Lista{"7|3", "8|0"}));
    EXPECT_EQ(e.Avisos(12), Lista{"Orden de compra 7 enviada como el pedido 3"});
    EXPECT_EQ(e.Solicitudes(), Lista{});
    EXPECT_EQ(e.m.ventana.estados.back(), "ENVIANDO SOLICITUDES\r\nTipo: OC, folio 1");

    // The same request again finds its order: it is only removed.
    e.Solicitud(2, "OC", 7, ArchivoOrden());
    EXPECT_EQ(e.Pasa(), Resultado::Completo);
    EXPECT_EQ(e.Solicitudes(), Lista{});
    EXPECT_EQ(e.EnHub(e.matriz, "SELECT COUNT(*) FROM pedidos"), Lista{"3"});
    EXPECT_EQ(e.Avisos(12).size(), 1u);

    // A MATRIZ whose orders have no Origen column gets the order without it.
    e.Hub(e.matriz, "ALTER TABLE pedidos DROP COLUMN Origen");
    e.Solicitud(3, "OC", 8, ArchivoOrden());
    EXPECT_EQ(e.Pasa(), Resultado::Completo);
    EXPECT_EQ(e.EnHub(e.matriz, "SELECT Orden, Factura FROM pedidos WHERE Cliente='SUC1' ORDER BY Id"),
              (Lista{"7|44", "8|45"}));
}

TEST(LeerDeEnvio, EachRequestIsConsumedOrKeptAsItsOutcomeSays) {
    REQUIERE_SERVIDORES();
    Escenario e;
    e.Espejo(
        "INSERT INTO barcomandas (Id, Mesa) VALUES (5, 'M5'), (6, 'M6');"
        "INSERT INTO barcomandasvar (IdComanda, Producto) VALUES (5, 'A'), (5, 'B'), (6, 'C')");
    const std::string orden = ArchivoOrden();
    e.Solicitud(1, "PQ", 5, "");                   // removes bar order 5 and its variants
    e.Solicitud(2, "PQ", 99, "");                  // no such bar order: consumed all the same
    e.Solicitud(3, "XX", 7, orden);                // not this pass's
    e.Solicitud(4, "OC", 0, orden);                // no folio: stays
    e.Solicitud(5, "OC", 7, orden, "otra");        // another company's
    e.Solicitud(6, "OC", 7, orden, "datos1", 1);   // cancelled
    e.Solicitud(7, "OC", 8, orden.substr(0, 60));  // ends inside the header: no order, consumed
    e.Solicitud(8, "OC", 9, orden.substr(0, orden.size() - 12));  // ends inside a line: the same
    EXPECT_EQ(e.Pasa(), Resultado::Incompleto);
    EXPECT_EQ(e.EnEspejo("SELECT Id FROM barcomandas"), Lista{"6"});
    EXPECT_EQ(e.EnEspejo("SELECT IdComanda, Producto FROM barcomandasvar"), Lista{"6|C"});
    EXPECT_EQ(e.Solicitudes(), (Lista{"3", "4", "5", "6"}));
    EXPECT_EQ(e.EnHub(e.matriz, "SELECT COUNT(*) FROM pedidos"), Lista{"2"});
    EXPECT_EQ(e.EnHub(e.matriz, "SELECT COUNT(*) FROM pedidosdetalle"), Lista{"0"});
    EXPECT_EQ(e.EnHub(e.matriz, "SELECT Contenido FROM sistema WHERE Dato='PE-S'"), Lista{"41"});
    EXPECT_EQ(e.Avisos(12), Lista{});

    // An order the MATRIZ refuses halfway leaves nothing of it, and is not offered again every cycle.
    e.Hub(e.matriz,
          "CREATE TRIGGER rechaza BEFORE INSERT ON pedidosdetalle FOR EACH ROW "
          "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT='rechazado'");
    e.Solicitud(10, "OC", 7, orden);
    EXPECT_EQ(e.Pasa(), Resultado::Incompleto);
    EXPECT_EQ(e.Solicitudes(), (Lista{"3", "4", "5", "6"}));
    EXPECT_EQ(e.EnHub(e.matriz, "SELECT COUNT(*) FROM pedidos"), Lista{"2"});
    EXPECT_EQ(e.EnHub(e.matriz, "SELECT Contenido FROM sistema WHERE Dato='PE-S'"), Lista{"41"});
    e.Hub(e.matriz, "DROP TRIGGER rechaza");

    // Without the branch's customer in the MATRIZ, or without the MATRIZ, a request waits.
    e.Hub(e.matriz, "DELETE FROM clientes WHERE Clave='SUC1'");
    e.Solicitud(9, "OC", 7, orden);
    EXPECT_EQ(e.Pasa(), Resultado::Incompleto);
    EXPECT_EQ(LeerDeEnvio(e.servidorLocal, e.conHub, e.compania, "no_hay_matriz", e.conEspejo),
              Resultado::Incompleto);
    EXPECT_EQ(e.Solicitudes(), (Lista{"3", "4", "5", "6", "9"}));
    EXPECT_EQ(e.EnLocal(e.baseLocal, "SELECT SUM(Pedido) FROM ordenes"), Lista{"0"});
}

TEST(LeerDeEnvio, GarbageAndInvalidTextNeverLeaveHalfAnOrder) {
    REQUIERE_SERVIDORES();
    Escenario e;
    std::string basura(std::string("\x00\xff\xfe\r\n\x80", 6));
    for (int i = 0; i < 40; ++i) basura += "\x01,\"\r\n";
    std::string mala = ArchivoOrden({"1\r\nA-1\r\n\xff\xfe no es UTF-8\r\n10\r\n0\r\n0\r\n0\r\nnota"});
    kvtx8::Conexion cn;
    ASSERT_TRUE(Mod.BDLocal.AbrirBdD(cn, "concentradorqmx"));
    auto solicitud = [&](int id, long long folio, const std::string& contenido) {
        ASSERT_TRUE(
            cn.Ejecutar("INSERT INTO archivosasubir (Id, Tipo, BaseDeDatos, Folio, Contenido) VALUES (" +
                        std::to_string(id) + ", 'OC', 'datos1', " + std::to_string(folio) + ", " +
                        cn.Literal(contenido) + ")"))
            << cn.MensajeError();
    };
    solicitud(1, 7, basura);
    solicitud(2, 8, std::string(1 << 20, 'x'));
    // The server refuses the bytes that are no UTF-8, or keeps them as it can: either way the order is whole
    // or absent, and the request is done.
    solicitud(3, 9, mala);
    e.Pasa();
    EXPECT_EQ(e.Solicitudes(), Lista{});
    const Lista pedidos = e.EnHub(e.matriz, "SELECT Id FROM pedidos WHERE Cliente='SUC1'");
    const Lista renglones = e.EnHub(e.matriz, "SELECT DISTINCT Id FROM pedidosdetalle");
    EXPECT_EQ(pedidos, renglones);
    EXPECT_LE(pedidos.size(), 1u);
    EXPECT_EQ(e.EnHub(e.matriz, "SELECT Contenido FROM sistema WHERE Dato='PE-S'"),
              Lista{pedidos.empty() ? "41" : "44"});
}

TEST(LeerDeEnvio, AnOrderWhoseLocalRecordFailsWaitsAndIsMarkedNextTimeOnce) {
    REQUIERE_SERVIDORES();
    Escenario e;
    // The order goes to the MATRIZ, but the purchase order here refuses to take its number.
    e.Local(e.baseLocal,
            "CREATE TRIGGER sin_pedido BEFORE UPDATE ON ordenes FOR EACH ROW "
            "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT='ocupada'");
    e.Solicitud(1, "OC", 7, ArchivoOrden());
    EXPECT_EQ(e.Pasa(), Resultado::Incompleto);
    EXPECT_EQ(e.Solicitudes(), Lista{"1"});
    EXPECT_EQ(e.EnHub(e.matriz, "SELECT COUNT(*) FROM pedidos WHERE Cliente='SUC1'"), Lista{"1"});
    // Told only with the number taken.
    EXPECT_EQ(e.Avisos(12), Lista{});

    // Next time the order is found sent: it is not sent again, and the purchase order gets its number.
    e.Local(e.baseLocal, "DROP TRIGGER sin_pedido");
    EXPECT_EQ(e.Pasa(), Resultado::Completo);
    EXPECT_EQ(e.Solicitudes(), Lista{});
    EXPECT_EQ(e.EnHub(e.matriz, "SELECT COUNT(*) FROM pedidos WHERE Cliente='SUC1'"), Lista{"1"});
    const std::string pedido = e.EnHub(e.matriz, "SELECT Id FROM pedidos WHERE Cliente='SUC1'").at(0);
    EXPECT_EQ(e.EnLocal(e.baseLocal, "SELECT CONCAT_WS('|', Orden, Pedido) FROM ordenes ORDER BY Orden"),
              (Lista{"7|" + pedido, "8|0"}));
    EXPECT_EQ(e.Avisos(12), Lista{"Orden de compra 7 enviada como el pedido " + pedido});

    // A run that died right after the MATRIZ took the order left nothing here: the next one tells it, once.
    e.Hub(e.matriz, "INSERT INTO pedidos (Id, Factura, Serie, Cliente, Orden) VALUES (90, 60, 'S', 'SUC1', 8)");
    e.Solicitud(2, "OC", 8, ArchivoOrden());
    EXPECT_EQ(e.Pasa(), Resultado::Completo);
    e.Solicitud(3, "OC", 8, ArchivoOrden());
    EXPECT_EQ(e.Pasa(), Resultado::Completo);
    EXPECT_EQ(e.EnLocal(e.baseLocal, "SELECT CONCAT_WS('|', Orden, Pedido) FROM ordenes ORDER BY Orden"),
              (Lista{"7|" + pedido, "8|90"}));
    EXPECT_EQ(e.Avisos(12), Lista{"Orden de compra 7 enviada como el pedido " + pedido +
                                  "\r\nOrden de compra 8 enviada como el pedido 90"});
}

TEST(DatosHostiles, PurchaseOrdersReachTheMatrizAsTheyStandOrAreRefusedAndSaidSo) {
    REQUIERE_SERVIDORES();
    Escenario e;
    kvtx8::Conexion cn;
    ASSERT_TRUE(Mod.BDLocal.AbrirBdD(cn, "concentradorqmx"));
    const std::string ruta = e.m.carpeta.Archivo("bitacora.txt");
    int id = 0, guardados = 0, rehusados = 0;
    // One request: the MATRIZ order's first line as the local queue held it, or none and the log saying why.
    auto envia = [&](const std::string& producto, const std::string& cantidad) {
        ++id;
        const std::string contenido =
            ArchivoOrden({"1\r\n" + producto + "\r\n" + producto + "\r\n" + cantidad + "\r\n0\r\n0\r\n0\r\nnota"});
        if (!cn.Ejecutar("INSERT INTO archivosasubir (Id, Tipo, BaseDeDatos, Folio, Contenido) VALUES (" +
                         std::to_string(id) + ", 'OC', 'datos1', " + std::to_string(100 + id) + ", " +
                         cn.Literal(contenido) + ")"))
            return;
        const std::vector<std::string> lineas = LineasDe(prueba::Bytes(
            e.EnLocal("concentradorqmx", "SELECT HEX(Contenido) FROM archivosasubir WHERE Id = " + std::to_string(id))
                .at(0)));
        const Lista antes = e.EnHub(e.matriz, "SELECT COUNT(*) FROM pedidosdetalle");
        const size_t bitacora = e.m.carpeta.Lee("bitacora.txt").size();
        {
            ArchivoDeTexto b(ruta, ModoArchivo::Agregar);
            LeerDeEnvio(e.servidorLocal, e.conHub, e.compania, e.matriz, e.conEspejo, b.Numero());
        }
        EXPECT_EQ(e.Solicitudes(), Lista{});
        const Lista linea =
            e.EnHub(e.matriz, "SELECT CONCAT_WS('|', HEX(d.Producto), HEX(d.Descripcion), d.Cantidad) FROM "
                              "pedidosdetalle d JOIN pedidos p ON p.Id = d.Id WHERE p.Cliente = 'SUC1' AND p.Orden = " +
                                  std::to_string(100 + id));
        if (linea.empty()) {
            ++rehusados;
            EXPECT_EQ(e.EnHub(e.matriz, "SELECT COUNT(*) FROM pedidosdetalle"), antes);
            EXPECT_NE(e.m.carpeta.Lee("bitacora.txt").substr(bitacora).find(std::to_string(100 + id)),
                      std::string::npos);
        } else {
            ++guardados;
            EXPECT_EQ(linea.at(0).substr(0, linea.at(0).rfind('|')),
                      prueba::Hex(lineas.at(20)) + "|" + prueba::Hex(lineas.at(21)));
            EXPECT_TRUE(kvtx8::Recorta(cantidad).empty() || kvtx8::EsNumerico(cantidad));
        }
    };
    for (const std::string& h : prueba::Hostiles()) {
        if (!prueba::CabeEnUnaLinea(h)) continue;
        SCOPED_TRACE(prueba::Muestra(h));
        envia(h, "10");
        envia("A-1", h);
    }
    EXPECT_GT(guardados, 40);
    EXPECT_GT(rehusados, 0);
}
