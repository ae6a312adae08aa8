#include <gtest/gtest.h>

#include "apoyo.h"
#include "components/subir_entradas.h"
#include "documents/archivos_de_documentos.h"
#include "documents/cls_de_alertas.h"
#include "support/hostiles.h"

using namespace cnc;
using doc::Lista;

namespace {

const std::string kNbsp = "\xC2\xA0";

std::string ArchivoPedido(const std::string& re = kNbsp + "RE" + kNbsp,
                          const std::string& fin = kNbsp + "FIN" + kNbsp) {
    return "USUARIO1\r\nno se usa\r\n" +
           std::string("Surtido de la semana para la sucursal número doce, con ") +
           "tornillos\r\n1\r\nA-1\r\nTornillo\r\n10,2.5,1,0\r\nEXT-1\r\nnota\r\n" + kNbsp + "RN" + kNbsp +
           "\r\n2\r\nZ-9\r\nOtro\r\n3\r\n0\r\n0\r\n0\r\n\r\n\r\n" + re + "\r\n1\r\nA-1\r\nLOTE1\r\n4\r\n" +
           fin + "\r\n";
}

struct Escenario : doc::Escenario {
    Escenario() {
        Mod.BDRemota.cMiBase = "sucur012";
        Hub(matriz,
            "INSERT INTO sucursales (Clave, Empresa) VALUES ('SUC12', 12), ('SUC13', 130);"
            "INSERT INTO productos (Clave, Costo, CostoProm, Precio1) VALUES ('A-1', 7, 8, 20);"
            "INSERT INTO sistema (Dato, Contenido) VALUES ('TR-', '99');"
            "INSERT INTO traspasos (Traspaso, Destino, Serie, NumTraspaso) VALUES (5, 'OTRA', '', 100)");
        Local(baseLocal, "INSERT INTO pedidos (Id) VALUES (900), (901)");
        Local(baseLocal, "INSERT INTO productos (Clave) VALUES ('A-1'), ('Z-9')");
        EXPECT_TRUE(Mod.BDLocal.AbrirBdD(alerta, "concentradorqmx"));
    }
    void Alerta(int id, int archivo) {
        Local("concentradorqmx", "INSERT INTO alertas (Id, IdArchivo, Fecha, Hora, BaseDeDatos) VALUES (" +
                                     std::to_string(id) + ", " + std::to_string(archivo) +
                                     ", '2026-12-07', '08:00:00', 'datos1')");
    }
    void Pendiente(int id, long long pedido, const std::string& contenido) {
        kvtx8::Conexion& cn = alerta;
        cn.Ejecutar("INSERT INTO archivosasubir (Id, Tipo, BaseDeDatos, Folio, Contenido) VALUES (" +
                    std::to_string(id) + ", 'AL', 'datos1', " + std::to_string(pedido) + ", " +
                    cn.Literal(contenido) + ")");
    }
    // Every alert in the table, one after another, as the poll hands them over.
    void Envia(const std::string& matrizUsada = "") {
        kvtx8::Registros rs;
        Mod.BDLocal.AbrirTabla(rs, alerta, "alertas order by Id");
        for (; !rs.Eof(); rs.MoveNext())
            clsDeAlertas().EnviarAlerta(0, rs, alerta, conHub, matrizUsada.empty() ? matriz : matrizUsada,
                                        compania);
    }
    Lista Alertas() { return EnLocal("concentradorqmx", "SELECT Id FROM alertas ORDER BY Id"); }
    Lista Archivadas() {
        return EnLocal("concentradorqmx",
                       "SELECT IdAlerta, IdArchivo, FechaAlerta, HoraAlerta, Fecha, BaseDeDatos "
                       "FROM historicoalertas ORDER BY Id");
    }
    kvtx8::Conexion alerta;
};

}  // namespace

TEST(EnviarAlerta, AnOrderBecomesOneTransferQueuedForTheBranch) {
    REQUIERE_SERVIDORES();
    Escenario e;
    e.Pendiente(1, 900, ArchivoPedido());
    e.Pendiente(2, 900, ArchivoPedido());
    e.Alerta(1, 1);
    e.Alerta(2, 2);
    e.Envia();

    // "sucur012" is company 12; folio above the last, number above the one taken (99 stored, 100 used).
    EXPECT_EQ(e.EnHub(e.matriz,
                      "SELECT Traspaso, Oferta, Fecha, Usuario, Hora, Destino, Entrada, Cancelado, Concepto, "
                      "Pendiente, IdPedido, Serie, NumTraspaso FROM traspasos WHERE Destino='SUC12'"),
              Lista{"6|0|2026-12-08|USUARIO1|10:00:00|SUC12|0|0|Surtido de la semana para la sucursal número "
                    "doce,|1|900||101"});
    EXPECT_EQ(e.EnHub(e.matriz, "SELECT Contenido FROM sistema WHERE Dato='TR-'"), Lista{"101"});
    EXPECT_EQ(
        e.EnHub(e.matriz,
                "SELECT Traspaso, Partida, Producto, Descrip, Cantidad, CostoProm, Costo, Precio1, Precio, "
                "Costales, IdExterna, NotaRenglon, PartidaPedido FROM traspasosdetalle ORDER BY Partida"),
        (Lista{"6|1|A-1|Tornillo|10.0000|8.0000|7.0000|20.0000|2.5000|1.0000|EXT-1|nota|1",
               "6|2|Z-9|Otro|3.0000|0.0000|0.0000|0.0000|0.0000|0.0000|||2"}));
    EXPECT_EQ(e.EnHub(e.matriz,
                      "SELECT TipoMovimiento, IdMovimiento, Partida, Producto, Referencia, Cantidad "
                      "FROM referenciaexterna"),
              Lista{"TR|6|1|A-1|LOTE1|4.0000"});
    EXPECT_EQ(e.EnLocal(e.baseLocal, "SELECT Id, Traspaso FROM pedidos ORDER BY Id"),
              (Lista{"900|6", "901|0"}));

    // The second alert for the same order finds the transfer: both are archived with their requests.
    EXPECT_EQ(e.Alertas(), Lista{});
    EXPECT_EQ(e.Archivadas(), (Lista{"1|1|2026-12-07|08:00:00|2026-12-08|datos1",
                                     "2|2|2026-12-07|08:00:00|2026-12-08|datos1"}));
    EXPECT_EQ(e.EnLocal("concentradorqmx", "SELECT COUNT(*) FROM archivosasubir"), Lista{"0"});
    EXPECT_EQ(e.EnHub(e.matriz, "SELECT COUNT(*) FROM traspasos"), Lista{"2"});

    // The branch's file: one "TR" row for its ESPEJO, which it receives as stock entries.
    const Lista cola = e.EnHub("concentradorqmx", "SELECT Tipo, BaseDeDatos, Folio FROM archivosasubir");
    EXPECT_EQ(cola, Lista{"TR|sucur012|6"});
    ASSERT_TRUE(AbreBase(Mod.BDRemota, e.conHub, ""));
    const std::string contenido =
        e.conHub.Escalar("SELECT Contenido FROM concentradorqmx.archivosasubir").value_or("");
    kvtx8::ArchivoTraspaso t;
    ASSERT_EQ(kvtx8::LeeTraspaso(contenido, t), kvtx8::kTraspasoValido) << contenido;
    EXPECT_EQ(t.origen, "matriz1");
    const DocumentoRecibido r = TraspasoDesdeArchivo("6", e.Archivo("tr.txt", contenido), e.compania);
    ASSERT_TRUE(r.hecho) << r.error;
    EXPECT_EQ(e.EnLocal(e.baseLocal, "SELECT Clave, Existencia FROM productos ORDER BY Clave"),
              (Lista{"A-1|10.0000", "Z-9|3.0000"}));
    EXPECT_EQ(e.EnLocal(e.baseLocal, "SELECT Producto, Costo FROM entradasdetalle ORDER BY Partida"),
              (Lista{"A-1|7.0000", "Z-9|0.0000"}));
}

TEST(EnviarAlerta, WhatIsArchivedAndWhatWaitsForTheNextCheck) {
    REQUIERE_SERVIDORES();
    Escenario e;
    // Tags written with ordinary spaces are no tags: after a " FIN " the file simply ends; after a " RE " the
    // lot records read as a line cut short, and the order is refused.
    e.Pendiente(
        1, 900,
        "USUARIO1\r\nx\r\nconcepto\r\n1\r\nA-1\r\nTornillo\r\n10,2.5,1,0\r\nEXT-1\r\nnota\r\n FIN \r\n");
    e.Alerta(1, 1);
    e.Pendiente(5, 901, ArchivoPedido(" RE ", " FIN "));
    e.Alerta(5, 5);
    e.Alerta(2, 77);  // its request is gone: archived
    e.Pendiente(3, 901, "USUARIO1\r\nx\r\nconcepto\r\n1\r\nA-1\r\nTornillo\r\n10,2.5");  // cut short
    e.Alerta(3, 3);
    e.Envia();
    EXPECT_EQ(e.EnHub(e.matriz, "SELECT IdPedido, Traspaso FROM traspasos WHERE Destino='SUC12'"),
              Lista{"900|6"});
    EXPECT_EQ(e.EnHub(e.matriz, "SELECT COUNT(*) FROM traspasosdetalle"), Lista{"1"});
    EXPECT_EQ(e.EnHub(e.matriz, "SELECT COUNT(*) FROM referenciaexterna"), Lista{"0"});
    EXPECT_EQ(e.Alertas(), Lista{});
    EXPECT_EQ(e.EnLocal("concentradorqmx", "SELECT IdAlerta FROM historicoalertas ORDER BY Id"),
              (Lista{"1", "2", "3", "5"}));
    EXPECT_EQ(e.EnLocal(e.baseLocal, "SELECT Id, Traspaso FROM pedidos ORDER BY Id"),
              (Lista{"900|6", "901|0"}));

    // No branch row for company 13, or no MATRIZ: the alert and its request stay.
    e.Pendiente(4, 901, ArchivoPedido());
    e.Alerta(4, 4);
    Mod.BDRemota.cMiBase = "sucur013";
    e.Envia();
    Mod.BDRemota.cMiBase = "sucur012";
    e.Envia("no_hay_matriz");
    EXPECT_EQ(e.Alertas(), Lista{"4"});
    EXPECT_EQ(e.EnLocal("concentradorqmx", "SELECT Id FROM archivosasubir"), Lista{"4"});
    // A statement the MATRIZ refuses halfway leaves no half transfer, and the alert waits.
    e.Hub(e.matriz,
          "CREATE TRIGGER rechaza BEFORE INSERT ON referenciaexterna FOR EACH ROW "
          "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT='rechazado'");
    e.Envia();
    EXPECT_EQ(e.Alertas(), Lista{"4"});
    EXPECT_EQ(e.EnHub(e.matriz, "SELECT COUNT(*) FROM traspasos"), Lista{"2"});
    EXPECT_EQ(e.EnHub(e.matriz, "SELECT COUNT(*) FROM traspasosdetalle"), Lista{"1"});
    EXPECT_EQ(e.EnHub(e.matriz, "SELECT Contenido FROM sistema WHERE Dato='TR-'"), Lista{"101"});
    e.Hub(e.matriz, "DROP TRIGGER rechaza");
    e.Envia();
    EXPECT_EQ(e.Alertas(), Lista{});
    EXPECT_EQ(
        e.EnHub(e.matriz, "SELECT IdPedido, NumTraspaso FROM traspasos WHERE Destino='SUC12' ORDER BY Id"),
        (Lista{"900|101", "901|102"}));
}

TEST(LeerPorRecibir, RunsTheReceiveOnlyConnectionThenArchives) {
    REQUIERE_SERVIDORES();
    Escenario e;
    e.Pendiente(1, 0, "");
    e.Alerta(1, 1);
    kvtx8::Registros rs;
    Mod.BDLocal.AbrirTabla(rs, e.alerta, "alertas order by Id");
    int corridas = 0;
    clsDeAlertas().LeerPorRecibir(rs, e.alerta, [&] {
        ++corridas;
        // Still there while the connection runs.
        EXPECT_EQ(e.Alertas(), Lista{"1"});
    });
    EXPECT_EQ(corridas, 1);
    EXPECT_EQ(e.Alertas(), Lista{});
    EXPECT_EQ(e.EnLocal("concentradorqmx", "SELECT COUNT(*) FROM archivosasubir"), Lista{"0"});
    EXPECT_EQ(e.EnLocal("concentradorqmx", "SELECT IdAlerta FROM historicoalertas"), Lista{"1"});
}

TEST(EnviarAlerta, GarbageOrdersAreArchivedWithoutATransfer) {
    REQUIERE_SERVIDORES();
    Escenario e;
    e.Pendiente(1, 900, std::string("\x00\xff\xfe\r\n\x80garbage", 13));
    e.Alerta(1, 1);
    e.Pendiente(2, 901, std::string(1 << 20, 'x'));
    e.Alerta(2, 2);
    e.Pendiente(3, 902, "");
    e.Alerta(3, 3);
    // A line number no whole number holds.
    std::string grande = ArchivoPedido();
    grande.replace(grande.find("\r\n1\r\nA-1\r\n"), 5, "\r\n1e300\r\n");
    e.Pendiente(4, 903, grande);
    e.Alerta(4, 4);
    e.Envia();
    EXPECT_EQ(e.Alertas(), Lista{});
    EXPECT_EQ(e.EnHub(e.matriz, "SELECT COUNT(*) FROM traspasos"), Lista{"1"});
    EXPECT_EQ(e.EnHub(e.matriz, "SELECT COUNT(*) FROM traspasosdetalle"), Lista{"0"});
    EXPECT_EQ(e.EnHub(e.matriz, "SELECT Contenido FROM sistema WHERE Dato='TR-'"), Lista{"99"});
    EXPECT_EQ(e.EnLocal("concentradorqmx", "SELECT COUNT(*) FROM historicoalertas"), Lista{"4"});
}

TEST(DatosHostiles, OrderFilesBecomeTransfersAsTheyStandOrAreRefusedAndSaidSo) {
    REQUIERE_SERVIDORES();
    Escenario e;
    const std::string ruta = e.m.carpeta.Archivo("bitacora.txt");
    int id = 0, guardados = 0, rehusados = 0;
    // One order through its alert: the transfer's first line, or none and the log saying why. The order
    // as the local queue holds it (a session that is not strict turns bytes that are not UTF-8 into '?').
    std::vector<std::string> lineas;
    auto envia = [&](const std::string& contenido) -> Lista {
        ++id;
        e.Pendiente(id, 1000 + id, contenido);
        e.Alerta(id, id);
        lineas.clear();
        const std::string guardado =
            prueba::Bytes(e.EnLocal("concentradorqmx", "SELECT HEX(Contenido) FROM archivosasubir WHERE Id = " +
                                                            std::to_string(id))
                              .at(0));
        for (size_t i = 0, j; i <= guardado.size(); i = j + 2) {
            j = std::min(guardado.find("\r\n", i), guardado.size());
            lineas.push_back(guardado.substr(i, j - i));
        }
        const Lista antes = e.EnHub(e.matriz, "SELECT COUNT(*) FROM traspasosdetalle");
        const size_t bitacora = e.m.carpeta.Lee("bitacora.txt").size();
        {
            ArchivoDeTexto b(ruta, ModoArchivo::Agregar);
            kvtx8::Registros rs;
            Mod.BDLocal.AbrirTabla(rs, e.alerta, "alertas WHERE Id=" + std::to_string(id));
            clsDeAlertas().EnviarAlerta(b.Numero(), rs, e.alerta, e.conHub, e.matriz, e.compania);
        }
        const Lista linea = e.EnHub(e.matriz, "SELECT CONCAT_WS('|', HEX(d.Producto), HEX(d.Descrip), d.Cantidad) "
                                              "FROM traspasosdetalle d JOIN traspasos t ON t.Traspaso = d.Traspaso "
                                              "WHERE t.IdPedido = " +
                                                  std::to_string(1000 + id) + " AND d.Partida = 1");
        const std::string dicho = e.m.carpeta.Lee("bitacora.txt").substr(bitacora);
        if (linea.empty()) {
            ++rehusados;
            EXPECT_EQ(e.EnHub(e.matriz, "SELECT COUNT(*) FROM traspasosdetalle"), antes);
            // Unreadable: archived; refused by the MATRIZ: waits for the next check. Said either way.
            if (e.Alertas().empty())
                EXPECT_NE(dicho.find("no se pudo leer"), std::string::npos) << dicho;
            else
                EXPECT_NE(dicho.find("No generó el traspaso"), std::string::npos) << dicho;
            e.Local("concentradorqmx", "DELETE FROM alertas; DELETE FROM archivosasubir");
        } else {
            ++guardados;
            EXPECT_EQ(e.Alertas(), Lista{});
        }
        return linea;
    };
    for (const std::string& h : prueba::Hostiles()) {
        if (!prueba::CabeEnUnaLinea(h)) continue;
        SCOPED_TRACE(prueba::Muestra(h));
        // The product's key and description are lines: taken as they stand.
        std::string pedido = ArchivoPedido();
        pedido.replace(pedido.find("A-1\r\nTornillo"), 13, h + "\r\n" + h);
        const Lista linea = envia(pedido);
        if (!linea.empty()) {
            EXPECT_EQ(linea, Lista{prueba::Hex(lineas.at(4)) + "|" + prueba::Hex(lineas.at(5)) + "|10.0000"});
            // The branch's file carries the same line.
            const Lista archivo = e.EnHub("concentradorqmx", "SELECT HEX(Contenido) FROM archivosasubir WHERE "
                                                             "Tipo = 'TR' ORDER BY Id DESC LIMIT 1");
            kvtx8::ArchivoTraspaso t;
            ASSERT_EQ(kvtx8::LeeTraspaso(prueba::Bytes(archivo.at(0)), t), kvtx8::kTraspasoValido);
            EXPECT_EQ(t.renglones.at(0).producto, lineas.at(4));
            EXPECT_EQ(t.renglones.at(0).cantidad, 10);
        }
        // The quantity is an item: a number, or the order is refused.
        if (h.find(',') != std::string::npos || h.find('"') != std::string::npos) continue;
        pedido = ArchivoPedido();
        pedido.replace(pedido.find("10,2.5"), 2, h);
        if (!envia(pedido).empty()) {
            EXPECT_TRUE(kvtx8::Recorta(h).empty() || kvtx8::EsNumerico(h));
        }
    }
    EXPECT_GT(guardados, 40);
    EXPECT_GT(rehusados, 0);
}

TEST(EnviarAlerta, AnAlertWhoseOrderCannotBeMarkedWaitsAndIsMarkedNextTime) {
    REQUIERE_SERVIDORES();
    Escenario e;
    e.Pendiente(1, 900, ArchivoPedido());
    e.Alerta(1, 1);
    e.Local(e.baseLocal,
            "CREATE TRIGGER sin_traspaso BEFORE UPDATE ON pedidos FOR EACH ROW "
            "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT='ocupado'");
    e.Envia();
    EXPECT_EQ(e.Alertas(), Lista{"1"});
    EXPECT_EQ(e.EnLocal("concentradorqmx", "SELECT Id FROM archivosasubir WHERE Tipo='AL'"), Lista{"1"});

    // The next check finds the transfer made: none again, and the order gets its number.
    e.Local(e.baseLocal, "DROP TRIGGER sin_traspaso");
    e.Envia();
    EXPECT_EQ(e.Alertas(), Lista{});
    EXPECT_EQ(e.EnHub(e.matriz, "SELECT COUNT(*) FROM traspasos WHERE Destino='SUC12'"), Lista{"1"});
    EXPECT_EQ(e.EnLocal(e.baseLocal, "SELECT Id, Traspaso FROM pedidos ORDER BY Id"),
              (Lista{"900|6", "901|0"}));
}
