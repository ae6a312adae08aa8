// Documents between companies through the real program, headless, on the demo group: a branch's purchase
// order becomes a MATRIZ order in a cycle, and an alert becomes a transfer the branch then takes in.
#include <signal.h>
#include <unistd.h>

#include <sys/wait.h>

#include <chrono>
#include <memory>
#include <thread>

#include <gtest/gtest.h>

#include "support/escenario.h"

using prueba::Consulta;

namespace {

class Documentos : public ::testing::Test {
  protected:
    void SetUp() override {
        REQUIERE_SERVIDORES();
        g = std::make_unique<prueba::Escenario>(prueba::kDemo);
    }
    std::string Local(const std::string& base, const std::string& sql) {
        return Consulta(g->local, base, sql);
    }
    std::string Hub(const std::string& base, const std::string& sql) { return Consulta(g->hub, base, sql); }
    std::unique_ptr<prueba::Escenario> g;
};

const std::string kNbsp = "\xC2\xA0";

}  // namespace

TEST_F(Documentos, ABranchPurchaseOrderBecomesAMatrizOrderInOneCycle) {
    prueba::EjecutaSQL(g->hub, "matriz_norte",
                       "INSERT INTO clientes (Clave, Nombre, SeriePedidos, Precio, ClienteSucursal) VALUES "
                       "('SUC-C', 'Sucursal Centro', 'SC', 2, 'sucursal_centro');"
                       "INSERT INTO productos (Clave, IVA, Precio2) VALUES ('P0001', 16, 99.5)");
    prueba::EjecutaSQL(g->local, "datos1", "INSERT INTO ordenes (Orden) VALUES (31)");
    std::string orden =
        "2026-12-01\r\n0\r\n199\r\n31.84\r\n0\r\n\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n"
        "Urgente\r\nPEDRO\r\n\r\n\r\n";
    orden += "--------\r\n1\r\nP0001\r\nProducto de prueba número 1\r\n2\r\n0\r\n0\r\n0\r\n\r\n";
    prueba::EjecutaSQL(
        g->local, "concentradorqmx",
        "INSERT INTO archivosasubir (Tipo, BaseDeDatos, Folio, Contenido) VALUES ('OC', 'datos1', "
        "31, '" +
            orden + "')");

    const auto r = g->Ejecuta(0);
    ASSERT_EQ(r.estado, 0) << r.mensajes;
    EXPECT_EQ(Hub("matriz_norte",
                  "SELECT CONCAT_WS('/', Orden, Factura, Serie, Cliente, Usuario, Nota) FROM pedidos "
                  "WHERE Cliente='SUC-C'"),
              "31/1/SC/SUC-C/PEDRO/Urgente");
    EXPECT_EQ(
        Hub("matriz_norte", "SELECT CONCAT_WS('/', Producto, Cantidad, PrecioNeto) FROM pedidosdetalle"),
        "P0001/2.0000/99.5000");
    const std::string pedido = Hub("matriz_norte", "SELECT Id FROM pedidos WHERE Cliente='SUC-C'");
    EXPECT_EQ(Local("datos1", "SELECT Pedido FROM ordenes WHERE Orden=31"), pedido);
    EXPECT_EQ(Local("concentradorqmx", "SELECT COUNT(*) FROM archivosasubir"), "0");
    EXPECT_EQ(
        Local("concentradorqmx",
              "SELECT COUNT(*) FROM avisos WHERE TipoAviso=12 AND CAST(DECODE(Aviso, CAST(Metodo AS CHAR)) "
              "AS CHAR) = 'Orden de compra 31 enviada como el pedido " +
                  pedido + "'"),
        "1");
    // It ran last, after the time of the send.
    const std::string bitacora = g->Bitacora();
    const size_t envio = bitacora.find("Graba fecha y hora, finalización de envío de información");
    const size_t solicitudes = bitacora.find("Envío de movimientos que generan de otro tipo en la matriz");
    ASSERT_NE(solicitudes, std::string::npos) << bitacora;
    EXPECT_LT(envio, solicitudes);

    // The next cycle has nothing left to send.
    const auto otra = g->Ejecuta(0);
    ASSERT_EQ(otra.estado, 0) << otra.mensajes;
    EXPECT_EQ(Hub("matriz_norte", "SELECT COUNT(*) FROM pedidos WHERE Cliente='SUC-C'"), "1");
}

TEST_F(Documentos, TheLiveProgramsAlertPollTurnsAnOrderIntoATransferTheBranchTakesIn) {
    // "sucursal_centro" from its sixth character is no number: company 0.
    prueba::EjecutaSQL(
        g->hub, "matriz_norte",
        "INSERT INTO sucursales (Clave, Nombre, Empresa) VALUES ('CENTRO', 'Centro', 0);"
        "INSERT INTO productos (Clave, Costo, CostoProm, Precio1) VALUES ('P0002', 11, 11.5, 15)");
    const std::string pedido =
        "PEDRO\r\n\r\nSurtido\r\n1\r\nP0002\r\nProducto de prueba número 2\r\n6,15,0,0\r\n\r\n"
        "\r\n" +
        kNbsp + "FIN" + kNbsp + "\r\n";
    prueba::EjecutaSQL(
        g->local, "concentradorqmx",
        "INSERT INTO archivosasubir (Id, Tipo, BaseDeDatos, Folio, Contenido) VALUES (50, 'PE', "
        "'datos1', 700, '" +
            pedido +
            "');"
            "INSERT INTO alertas (IdArchivo, Fecha, Hora, BaseDeDatos) VALUES (50, CURDATE(), "
            "CURTIME(), 'datos1')");
    const std::string antes = Local("datos1", "SELECT Existencia FROM productos WHERE Clave='P0002'");

    // The countdown runs as in the window; the poll finds the alert within seconds.
    const int pid = g->Lanza({"--sin-ventana", "--si", "--carpeta", g->Carpeta()},
                             g->m.carpeta.Archivo("m.txt"), g->m.carpeta.Archivo("s.txt"));
    ASSERT_GT(pid, 0);
    bool archivada = false;
    for (int i = 0; i < 300 && !archivada; ++i) {
        archivada = Local("concentradorqmx", "SELECT COUNT(*) FROM historicoalertas") == "1";
        if (!archivada) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    kill(pid, SIGTERM);
    prueba::Escenario::Espera(pid);
    ASSERT_TRUE(archivada) << g->m.carpeta.Lee("m.txt") << g->Bitacora();

    EXPECT_EQ(Hub("matriz_norte",
                  "SELECT CONCAT_WS('/', Destino, IdPedido, Usuario, Concepto, NumTraspaso) FROM "
                  "traspasos"),
              "CENTRO/700/PEDRO/Surtido/1");
    EXPECT_EQ(Local("concentradorqmx", "SELECT COUNT(*) FROM alertas"), "0");
    EXPECT_EQ(Local("concentradorqmx", "SELECT COUNT(*) FROM archivosasubir"), "0");
    const std::string bitacora = g->Bitacora();
    EXPECT_NE(bitacora.find(".Generó el traspaso 1 desde el pedido ID 700"), std::string::npos) << bitacora;

    // The branch's file waits in the hub's queue; the next cycle makes it the stock entry.
    EXPECT_EQ(Hub("concentradorqmx", "SELECT CONCAT_WS('/', Tipo, BaseDeDatos, Folio) FROM archivosasubir"),
              "TR/sucursal_centro/1");
    const auto r = g->Ejecuta(0);
    ASSERT_EQ(r.estado, 0) << r.mensajes;
    EXPECT_EQ(Hub("concentradorqmx", "SELECT COUNT(*) FROM archivosasubir"), "0");
    EXPECT_EQ(
        Local("concentradorqmx",
              "SELECT COUNT(*) FROM avisos WHERE TipoAviso=8 AND CAST(DECODE(Aviso, CAST(Metodo AS CHAR)) "
              "AS CHAR) = 'Traspaso 1 recibido. Folio de Entrada 1'"),
        "1");
    EXPECT_EQ(Local("datos1", "SELECT CONCAT_WS('/', Entrada, Traspaso, Usuario) FROM entradas"),
              "1/1/CONCENTRAD");
    EXPECT_EQ(Local("datos1", "SELECT Existencia - " + antes + " FROM productos WHERE Clave='P0002'"),
              "6.0000");
}

TEST_F(Documentos, AHeadOfficeTakesABranchsInvoiceFileAsAPurchase) {
    // The file a branch leaves for this company at the hub: an invoice of one line, paid in cash.
    std::string f =
        "\"SUC-N\",\"Sucursal Norte\",\"Factura\",1\r\n88,\"N\"\r\n2026-12-31\r\n0\r\n0\r\n0\r\n0\r\n"
        "\r\n\r\n\r\n\r\n\r\n\r\n50\r\n8\r\n0\r\n0\r\n1\r\nE\r\n--------\r\n";
    f += "1\r\nP0003\r\nProducto de prueba número "
         "3\r\n5\r\n10\r\n10\r\n\r\n0\r\n0\r\n0\r\n10\r\n20\r\n16\r\n0\r\n"
         "Línea 1\r\n\r\nMarca 1\r\nPZA\r\n10,0,0,0,0\r\nR\r\n\"L-7\",5,\"2027-06-30\"\r\nD\r\n";
    kvtx8::Conexion hub;
    prueba::Configura(cnc::Mod.BDRemota, g->hub, "");
    ASSERT_TRUE(cnc::Mod.BDRemota.AbrirBdD(hub, "concentradorqmx"));
    ASSERT_TRUE(
        hub.Ejecutar("INSERT INTO archivosasubir (Tipo, BaseDeDatos, Folio, Contenido) VALUES ('FA', "
                     "'sucursal_centro', 88, " +
                     hub.Literal(f) + ")"));
    const std::string antes = Local("datos1",
                                    "SELECT CONCAT_WS('/', Existencia, CostoProm) FROM productos WHERE "
                                    "Clave='P0003'");

    const auto r = g->Ejecuta(0);
    ASSERT_EQ(r.estado, 0) << r.mensajes;
    EXPECT_EQ(Hub("concentradorqmx", "SELECT COUNT(*) FROM archivosasubir"), "0");
    EXPECT_EQ(Local("datos1", "SELECT CONCAT_WS('/', Compra, Proveedor, Factura, Pago) FROM compras"),
              "1/SUC-N/88-N/E");
    EXPECT_EQ(
        Local("concentradorqmx",
              "SELECT COUNT(*) FROM avisos WHERE TipoAviso=11 AND CAST(DECODE(Aviso, CAST(Metodo AS CHAR)) "
              "AS CHAR) = 'Factura 88 subida como la compra 1'"),
        "1");
    // Stock 3 at 13 (demo data) plus 5 at 10.
    EXPECT_EQ(antes, "3.0000/13.0000");
    EXPECT_EQ(Local("datos1",
                    "SELECT CONCAT_WS('/', Existencia, ROUND(CostoProm, 4)) FROM productos WHERE "
                    "Clave='P0003'"),
              "8.0000/11.1250");
    EXPECT_EQ(Local("datos1", "SELECT GROUP_CONCAT(Concepto ORDER BY Id) FROM edoctaprov"),
              "CARGO POR COMPRA 1,PAGO POR COMPRA 1");
    EXPECT_EQ(Local("datos1", "SELECT Saldo FROM saldospro WHERE Clave='SUC-N'"), "0.0000");
    EXPECT_EQ(Local("datos1", "SELECT Existencia FROM existenciaexterna WHERE Producto='P0003'"), "5.0000");
}
