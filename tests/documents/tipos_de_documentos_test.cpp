#include "documents/tipos_de_documentos.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "apoyo.h"
#include "components/subir_entradas.h"
#include "documents/archivos_de_documentos.h"
#include "receive/cls_pendientes.h"

using namespace cnc;
using doc::LineaCompra;
using doc::Lista;

namespace {

struct Escenario : doc::Escenario {
    Escenario() { Mod.SegundosReintento = 1; }
    void Fila(const std::string& tipo, int folio, const std::string& contenido) {
        kvtx8::Conexion cn;
        ASSERT_TRUE(Mod.BDRemota.AbrirBdD(cn, "concentradorqmx"));
        ASSERT_TRUE(cn.Ejecutar(
            "INSERT INTO archivosasubir (Tipo, BaseDeDatos, clave, Folio, Contenido) VALUES ('" + tipo +
            "', 'espejo1', '', " + std::to_string(folio) + ", " + cn.Literal(contenido) + ")"));
    }
    Resultado Lee(kvtx8::Conexion& local) {
        return p.LeerDeArchivos(servidorLocal, conHub, local, matriz, conEspejo,
                                TablaDeTipos(TiposDeArchivoDeDocumentos()));
    }
    Lista Cola() {
        return EnHub("concentradorqmx", "SELECT CONCAT_WS('|', Tipo, Folio) FROM archivosasubir ORDER BY Id");
    }
    Lista Errores() {
        return EnHub("concentradorqmx",
                     "SELECT CONCAT_WS('|', Tipo, Folio, elError) FROM erroresdelectura ORDER BY AutoInc");
    }
    clsPendientes p;
};

}  // namespace

TEST(TiposDeArchivoDeDocumentos, EachDocumentRowIsConsumedWithItsNoticeOrItsError) {
    REQUIERE_SERVIDORES();
    Escenario e;
    e.Local(e.baseLocal, "INSERT INTO productos (Clave) VALUES ('A-1')");
    LineaCompra a;
    const std::string factura = doc::ArchivoCompra("Factura", "15,\"\"", "C", {a});
    kvtx8::ArchivoTraspaso t{7, "2026-12-08", "matriz1", "SURTIDO", {{1, "A-1", 4, 12, "Tornillo"}}};
    e.Fila("FA", 15, factura);
    e.Fila("FA", 15, factura);  // the same document again
    e.Fila("RE", 16, doc::ArchivoCompra("R", "16,\"\"", "E", {a}));
    e.Fila("TR", 7, kvtx8::EscribeTraspaso(t));
    e.Fila("TR", 8, "esto no es un traspaso");
    e.Fila("RE", 17, "\"PROV1\"");  // cut short
    EXPECT_EQ(e.Lee(e.compania), Resultado::Incompleto);

    EXPECT_EQ(e.Cola(), Lista{});
    EXPECT_EQ(e.Avisos(11), Lista{"Factura 15 subida como la compra 1"});
    EXPECT_EQ(e.Avisos(10), Lista{"Remisión 16 subida como la compra 2"});
    EXPECT_EQ(e.Avisos(8), Lista{"Traspaso 7 recibido. Folio de Entrada 1"});
    EXPECT_EQ(e.Errores(), (Lista{"TR|8|Archivo de traspaso no válido (2)",
                                  "RE|17|El archivo de la compra está incompleto"}));
    EXPECT_EQ(e.EnLocal(e.baseLocal, "SELECT Factura FROM compras ORDER BY Compra"), (Lista{"15", "R16"}));
    EXPECT_EQ(e.EnLocal(e.baseLocal, "SELECT Existencia FROM productos"), Lista{"24.0000"});
}

TEST(TiposDeArchivoDeDocumentos, APurchaseThatMeetsALockedSeriesStaysQueuedAndGoesNextTime) {
    REQUIERE_SERVIDORES();
    Escenario e;
    LineaCompra a;
    e.Fila("FA", 15, doc::ArchivoCompra("Factura", "15,\"\"", "C", {a}));
    // Another client holds the purchase series for longer than this one waits.
    e.Local(e.baseLocal,
            "CREATE TABLE IF NOT EXISTS folios (Serie VARCHAR(30) NOT NULL, Folio INT NOT NULL DEFAULT 0, "
            "PRIMARY KEY (Serie)); INSERT INTO folios VALUES ('Compra', 0)");
    kvtx8::Conexion otro, impaciente;
    ASSERT_TRUE(Mod.BDLocal.AbrirBdD(otro, e.baseLocal));
    ASSERT_TRUE(Mod.BDLocal.AbrirBdD(impaciente, e.baseLocal));
    ASSERT_TRUE(impaciente.Ejecutar("SET SESSION innodb_lock_wait_timeout=1"));
    ASSERT_TRUE(otro.Ejecutar("START TRANSACTION"));
    ASSERT_TRUE(otro.Escalar("SELECT Folio FROM folios WHERE Serie='Compra' FOR UPDATE"));
    e.Lee(impaciente);
    EXPECT_EQ(e.Cola(), Lista{"FA|15"});
    EXPECT_EQ(e.Errores(), Lista{});
    EXPECT_EQ(e.Cuenta("compras"), "0");
    EXPECT_NE(e.m.carpeta.Lee("ErrorAlLeer.txt").find("LeerDeArchivos().SubirCompra Nº 1205"),
              std::string::npos)
        << e.m.carpeta.Lee("ErrorAlLeer.txt");

    otro.Ejecutar("ROLLBACK");
    EXPECT_EQ(e.Lee(impaciente), Resultado::Completo);
    EXPECT_EQ(e.Cola(), Lista{});
    EXPECT_EQ(e.Avisos(11), Lista{"Factura 15 subida como la compra 1"});
}

TEST(TiposDeArchivoDeDocumentos, ATransferThatMeetsALockedProductStaysQueuedAndEntersNextTime) {
    REQUIERE_SERVIDORES();
    Escenario e;
    e.Local(e.baseLocal, "INSERT INTO productos (Clave, Existencia) VALUES ('A-1', 2)");
    kvtx8::ArchivoTraspaso t{7, "2026-12-08", "matriz1", "SURTIDO", {{1, "A-1", 4, 12, "Tornillo"}}};
    e.Fila("TR", 7, kvtx8::EscribeTraspaso(t));
    // Another client holds the product's stock for longer than this one waits.
    kvtx8::Conexion otro, impaciente;
    ASSERT_TRUE(Mod.BDLocal.AbrirBdD(otro, e.baseLocal));
    ASSERT_TRUE(Mod.BDLocal.AbrirBdD(impaciente, e.baseLocal));
    ASSERT_TRUE(impaciente.Ejecutar("SET SESSION innodb_lock_wait_timeout=1"));
    ASSERT_TRUE(otro.Ejecutar("START TRANSACTION"));
    ASSERT_TRUE(otro.Escalar("SELECT Existencia FROM productos WHERE Clave='A-1' FOR UPDATE"));
    e.Lee(impaciente);
    EXPECT_EQ(e.Cola(), Lista{"TR|7"});
    EXPECT_EQ(e.Errores(), Lista{});
    EXPECT_EQ(e.Cuenta("entradas"), "0");

    otro.Ejecutar("ROLLBACK");
    EXPECT_EQ(e.Lee(impaciente), Resultado::Completo);
    EXPECT_EQ(e.Cola(), Lista{});
    EXPECT_EQ(e.Avisos(8), Lista{"Traspaso 7 recibido. Folio de Entrada 1"});
    EXPECT_EQ(e.EnLocal(e.baseLocal, "SELECT Existencia FROM productos"), Lista{"6.0000"});

    // A caller's open transaction is joined, not committed behind its back.
    t.folio = 9;
    const std::string ruta = e.Archivo("t9.txt", kvtx8::EscribeTraspaso(t));
    ASSERT_TRUE(otro.Ejecutar("START TRANSACTION"));
    EXPECT_TRUE(TraspasoDesdeArchivo("9", ruta, otro).hecho);
    ASSERT_TRUE(otro.Ejecutar("ROLLBACK"));
    EXPECT_EQ(e.Cuenta("entradas"), "1");
    EXPECT_EQ(e.EnLocal(e.baseLocal, "SELECT Existencia FROM productos"), Lista{"6.0000"});
}

TEST(TiposDeArchivoDeDocumentos, AHubKilledDuringAPurchaseLeavesItWholeAndOnce) {
    REQUIERE_SERVIDORES();
    Escenario e;
    LineaCompra a, b;
    b.partida = "2", b.producto = "B-2";
    e.Fila("FA", 15, doc::ArchivoCompra("Factura", "15,\"\"", "E", {a, b}));
    // The purchase's second line takes long enough for the hub to die meanwhile.
    e.Local(e.baseLocal,
            "CREATE TRIGGER lento BEFORE INSERT ON comprasdetalle FOR EACH ROW "
            "IF NEW.Partida=2 THEN DO SLEEP(3); END IF");
    {
        prueba::Caida caida("hub");
        std::thread asesino([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(800));
            caida.Mata();
        });
        EXPECT_EQ(e.Lee(e.compania), Resultado::SinConexion);
        asesino.join();
        caida.Revive();
    }
    // The purchase is whole in the company; its row is still queued at the hub.
    EXPECT_EQ(e.Cuenta("compras"), "1");
    EXPECT_EQ(e.Cuenta("comprasdetalle"), "2");
    EXPECT_EQ(e.Cuenta("edoctaprov"), "2");
    EXPECT_EQ(e.Cola(), Lista{"FA|15"});
    // The next pass finds the purchase made: the row goes, with no second purchase and no second notice.
    e.conHub.Cerrar();
    EXPECT_EQ(e.Lee(e.compania), Resultado::Completo);
    EXPECT_EQ(e.Cola(), Lista{});
    EXPECT_EQ(e.Cuenta("compras"), "1");
    EXPECT_EQ(e.Avisos(11), Lista{"Factura 15 subida como la compra 1"});
}
