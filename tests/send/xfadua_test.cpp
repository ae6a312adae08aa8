#include <gtest/gtest.h>

#include "support/escenario.h"

using namespace cnc;
using V = std::vector<std::string>;

namespace {

std::string Formatea(const std::string& valor, int tipo) {
    std::string comilla, texto;
    clsEstandar::FormateaValor(valor, tipo, comilla, texto);
    return comilla + texto + comilla;
}

}  // namespace

TEST(FormateaValor, ByTypeCode) {
    for (int t : {2, 3, 4, 5, 6, 14, 16, 17, 18, 19, 20, 21, 131}) {
        EXPECT_EQ(Formatea(" 12.5 ", t), "12.5") << t;
        EXPECT_EQ(Formatea("abc", t), "0") << t;
        EXPECT_EQ(Formatea("1; DROP TABLE x", t), "0") << t;
        EXPECT_EQ(Formatea("&H10", t), "0") << t;
    }
    for (int t : {7, 133}) {
        EXPECT_EQ(Formatea("now", t), "NOW()");
        EXPECT_EQ(Formatea("  Now() ", t), "NOW()");
        EXPECT_EQ(Formatea("2024-02-03", t), "'2024-02-03'");
        EXPECT_EQ(Formatea("2024-02-30", t), "'0000-00-00'");
        EXPECT_EQ(Formatea("0000-00-00", t), "'0000-00-00'");
    }
    // Texts stand as they are: the statement escapes them.
    for (int t : {8, 129, 130, 200, 201, 202, 203, 204, 205})
        EXPECT_EQ(Formatea("O'Brien's \\", t), "'O'Brien's \\'") << t;
    EXPECT_EQ(Formatea("10:11:12", 134), "'10:11:12'");
    EXPECT_EQ(Formatea("2024-02-03 04:05:06", 135), "'2024-02-03 04:05:06'");
    EXPECT_EQ(Formatea("2024-02-03", 135), "'2024-02-03 00:00:00'");
    EXPECT_EQ(Formatea("2024-13-03 04:05:06", 135), "'0000-00-00 00:00:00'");
    EXPECT_EQ(Formatea("now", 135), "'0000-00-00 00:00:00'");
    EXPECT_EQ(Formatea("it's", 0), "'it's'");
}

TEST(ActualizaSQL, RefusesMismatchedListsAndNoValueBreaksTheStatement) {
    REQUIERE_SERVIDORES();
    prueba::Escenario x({"clientes"});
    clsEstandar& est = x.Exportador();
    x.Espejo("INSERT INTO clientes (Id,Clave,Nombre) VALUES (1,'C1','viejo'),(2,'C2','otro')");
    Conexion& espejo = est.ConexionEspejo();
    ASSERT_TRUE(AbreBaseEspejo(espejo));
    Registros rs;
    ASSERT_TRUE(Mod.BDRemota.AbrirTabla(rs, espejo, "clientes LIMIT 0"));

    EXPECT_EQ(est.ActualizaSQL(espejo, rs, "Clientes", {"Nombre", "Saldo"}, {Valor("x")}, "Id=1"), "");
    ASSERT_EQ(x.m.ventana.cajas.size(), 1u);
    EXPECT_EQ(x.m.ventana.cajas[0].texto,
              "La lista de campos y la lista de valores tienen diferentes elementos");
    EXPECT_EQ(x.m.ventana.cajas[0].titulo, "ERROR");
    EXPECT_EQ(x.m.ventana.cajas[0].estilo, kCritico);

    // A trailing backslash would have swallowed the closing quote; the quote is stored as it stands.
    const std::string sql = est.ActualizaSQL(
        espejo, rs, "Clientes", {"Nombre", "Saldo", "FechaRegistro"},
        {Valor("x\\' , Nombre='pwned' WHERE 1=1 -- \\"), Valor("12.5"), std::nullopt}, "Id=1");
    EXPECT_EQ(sql.rfind("UPDATE `clientes` SET `Nombre`='", 0), 0u) << sql;
    EXPECT_EQ(x.EnEspejo("SELECT Id,Nombre,Saldo,FechaRegistro FROM clientes ORDER BY Id"),
              (V{"1|x\\' , Nombre='pwned' WHERE 1=1 -- \\|12.5000|NULL", "2|otro|0.0000|NULL"}));
}

TEST(ExportarXFADUA, RewritesPresentRowsAndInsertsAbsentOnesWithoutTheirKey) {
    REQUIERE_SERVIDORES();
    prueba::Escenario x({"tickets", "clientes"});
    clsEstandar& est = x.Exportador();
    x.Local("datos1",
            "INSERT INTO tickets (Id,Ticket,Fecha,Hora,Cliente,Total,Facturada,FADUA) VALUES "
            "(1,101,'2026-01-01','09:00:00','viejo',1,0,'2026-01-01 00:00:00'),"
            "(2,102,NULL,'10:11:12','O''Brien \\\\x',20.25,1,'2026-06-01 10:00:00'),"
            "(3,103,'2026-06-02','11:00:00','nuevo',30,0,'2026-06-02 08:00:00'),"
            "(4,104,'0000-00-00',NULL,'cero',40,0,'2026-05-01 00:00:00')");
    x.Espejo(
        "INSERT INTO tickets (Id,Ticket,Fecha,Hora,Cliente,Total,Facturada,FADUA) VALUES "
        "(1,1,'2020-01-01','01:00:00','espejo',0,0,'2020-01-01 00:00:00'),"
        "(2,2,'2020-01-01','01:00:00','espejo',0,0,'2020-01-01 00:00:00'),"
        "(4,4,'2020-01-01','01:00:00','espejo',0,0,'2020-01-01 00:00:00'),"
        "(50,50,'2020-01-01','01:00:00','espejo',0,0,'2020-01-01 00:00:00')");
    est.Tabla = "tickets";
    est.Llave = "Id";
    est.Cronos("2026-05-01 00:00:00");
    est.Cronos("");  // keeps the cut-off
    EXPECT_EQ(est.Cronos(), "2026-05-01 00:00:00");
    EXPECT_EQ(est.ExportarXFADUA(), Resultado::Completo);
    // A rewritten row keeps its apostrophe, as an inserted one does.
    EXPECT_EQ(
        x.EnEspejo("SELECT Id,Ticket,Fecha,Hora,Cliente,Total,Facturada,FADUA FROM tickets ORDER BY Id"),
        (V{"1|1|2020-01-01|01:00:00|espejo|0.0000|0|2020-01-01 00:00:00",
           "2|102|NULL|10:11:12|O'Brien \\x|20.2500|1|2026-06-01 10:00:00",
           "4|104|0000-00-00|NULL|cero|40.0000|0|2026-05-01 00:00:00",
           "50|50|2020-01-01|01:00:00|espejo|0.0000|0|2020-01-01 00:00:00",
           "51|103|2026-06-02|11:00:00|nuevo|30.0000|0|2026-06-02 08:00:00"}));
    EXPECT_TRUE(x.VioTabla("TICKETS\nCopiando Id 2"));
    EXPECT_EQ(x.Problemas(), "");

    // By a unique key: the ESPEJO row is moved to the local key and takes the new values; a row with no
    // match is added with the ESPEJO's own number.
    x.Local(
        "datos1",
        "INSERT INTO clientes (Id,Clave,Nombre,FADUA) VALUES (5,'C1','Nuevo nombre','2026-06-01 00:00:00'),"
        "(6,'C2','Otro','2026-06-01 00:00:00'),(7,'C3','Tercero','2026-06-01 00:00:00')");
    x.Espejo(
        "INSERT INTO clientes (Id,Clave,Nombre) VALUES (2,'C1','Viejo'),(7,'C3','Viejo 3'),(9,'C9','x')");
    est.Tabla = "clientes";
    EXPECT_EQ(est.ExportarXFADUA(), Resultado::Completo);
    EXPECT_EQ(x.EnEspejo("SELECT Id,Clave,Nombre FROM clientes ORDER BY Clave"),
              (V{"5|C1|Nuevo nombre", "10|C2|Otro", "7|C3|Tercero", "9|C9|x"}));
}

TEST(ExportarXFADUA, ADownEspejoStopsAndIsReported) {
    REQUIERE_SERVIDORES();
    prueba::Escenario x({"tickets"});
    clsEstandar& est = x.Exportador();
    x.Local("datos1", "INSERT INTO tickets (Id,FADUA) VALUES (1,'2026-06-01 00:00:00')");
    x.EspejoCaido();
    est.Tabla = "tickets";
    est.Llave = "Id";
    est.Cronos("2026-05-01 00:00:00");
    EXPECT_NE(est.ExportarXFADUA(), Resultado::Completo);
    EXPECT_NE(x.Problemas().find("NO CONECTÓ A LA EMPRESA ESPEJO. ENVÍO DE INFORMACIÓN INTERRUMPIDO"),
              std::string::npos);
}
