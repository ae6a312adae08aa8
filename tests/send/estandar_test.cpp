#include <gtest/gtest.h>

#include "support/escenario.h"

using namespace cnc;
using V = std::vector<std::string>;

TEST(ExportarInfo, SendsEveryRowAboveTheWatermarkAndLeavesPresentOnesAlone) {
    REQUIERE_SERVIDORES();
    prueba::Escenario x({"gastos"});
    clsEstandar& est = x.Exportador();
    x.Local("datos1",
            "INSERT INTO gastos (Id,Folio,Fecha,Concepto,Importe) VALUES "
            "(1,11,'2026-01-02','luz',10.5),(2,12,NULL,'O''Brien \\\\ x',20),(3,13,'2026-01-03','agua',30),"
            "(4,14,'2026-01-04','gas',40),(5,15,'2026-01-05','renta',50)");
    x.Espejo("INSERT INTO gastos (Id,Folio,Concepto,Importe) VALUES (3,99,'viejo',1)");
    // Blocks of two rows: the reader moves on by key.
    est.Limite = 2;
    est.Tabla = "gastos";
    est.Llave = "Id";
    est.UltimoFolio = 0;
    EXPECT_EQ(est.ExportarInfo(), Resultado::Completo);
    EXPECT_EQ(x.EnEspejo("SELECT Id,Folio,Fecha,Concepto,Importe FROM gastos ORDER BY Id"),
              (V{"1|11|2026-01-02|luz|10.5000", "2|12|NULL|O'Brien \\ x|20.0000", "3|99|NULL|viejo|1.0000",
                 "4|14|2026-01-04|gas|40.0000", "5|15|2026-01-05|renta|50.0000"}));
    EXPECT_TRUE(x.VioTabla("GASTOS. Registro 1 de 5\nCopiando Id 1. ( Nuevo )"));
    EXPECT_TRUE(x.VioTabla("GASTOS. Registro 3 de 5\nCopiando Id 3. ( X )"));
    EXPECT_TRUE(x.VioTabla("GASTOS. Registro 5 de 5\nCopiando Id 5. ( Nuevo )"));
    EXPECT_GE(x.m.ventana.cedidas, 5);
    EXPECT_EQ(x.Problemas(), "");

    // Only what lies above the watermark is read the next time.
    x.Local("datos1", "INSERT INTO gastos (Id,Folio,Concepto) VALUES (6,16,'nuevo')");
    x.Local("datos1", "UPDATE gastos SET Concepto='cambiado' WHERE Id=5");
    x.m.ventana.tablas.clear();
    est.UltimoFolio = 5;
    est.ExportarInfo();
    EXPECT_EQ(x.m.ventana.tablas.front(), "GASTOS. Registro 1 de 1\nCopiando Id 6");
    EXPECT_EQ(x.EnEspejo("SELECT Id,Concepto FROM gastos WHERE Id>=5 ORDER BY Id"),
              (V{"5|renta", "6|nuevo"}));
}

TEST(ExportarInfo, AUniqueKeyMatchRenumbersTheEspejoRowUnlessTheKeyIsTakenOrSmaller) {
    REQUIERE_SERVIDORES();
    prueba::Escenario x({"lineas"});
    clsEstandar& est = x.Exportador();
    x.Local("datos1",
            "INSERT INTO lineas (Id,Linea) VALUES (4,'Nueva'),(5,'Abarrotes'),(6,'Bebidas'),(7,'Dulces')");
    x.Espejo(
        "INSERT INTO lineas (Id,Linea) VALUES (2,'Abarrotes'),(3,'Bebidas'),(6,'Cremería'),(9,'Dulces')");
    est.Tabla = "lineas";
    est.Llave = "Id";
    const Resultado r = est.ExportarInfo();

    // 4: no match, added with its key; 5: moved from 2; 6: its key is taken, nothing moves.
    // 7: the match has the larger key 9, so the row goes by key alone, and the unique key refuses it.
    EXPECT_EQ(x.EnEspejo("SELECT Id,Linea FROM lineas ORDER BY Id"),
              (V{"3|Bebidas", "4|Nueva", "5|Abarrotes", "6|Cremería", "9|Dulces"}));
    EXPECT_TRUE(x.VioTabla("LINEAS. Registro 1 de 4\nCopiando Id 4. ( X )"));
    EXPECT_TRUE(x.VioTabla("LINEAS. Registro 3 de 4\nCopiando Id 6. ( X )"));
    EXPECT_TRUE(x.VioTabla("LINEAS. Registro 4 de 4\nCopiando Id 7. ( Nuevo )"));
    EXPECT_EQ(r, Resultado::Incompleto);
    EXPECT_NE(x.Problemas().find(" .- No se copió lineas, Id 7: "), std::string::npos) << x.Problemas();
}

TEST(ExportarInfo, ADownEspejoIsReportedAndStopsTheExport) {
    REQUIERE_SERVIDORES();
    prueba::Escenario x({"gastos"});
    clsEstandar& est = x.Exportador();
    x.Local("datos1", "INSERT INTO gastos (Id,Folio) VALUES (1,1)");
    x.EspejoCaido();
    est.Tabla = "gastos";
    est.Llave = "Id";
    EXPECT_NE(est.ExportarInfo(), Resultado::Completo);
    EXPECT_NE(x.Problemas().find("NO CONECTÓ A LA EMPRESA ESPEJO. ENVÍO DE INFORMACIÓN INTERRUMPIDO\r\n"),
              std::string::npos);
    x.EspejoDeVuelta();
    EXPECT_EQ(x.EnEspejo("SELECT COUNT(*) FROM gastos"), V{"0"});
}

TEST(ExportarTabla, OverwritesEspejoRowsAndNeverSendsTheHubKeysOfConfigura) {
    REQUIERE_SERVIDORES();
    prueba::Escenario x({"configura", "clasificactes"});
    clsEstandar& est = x.Exportador();
    x.Local(
        "datos1",
        "INSERT INTO configura (Dato,Contenido) VALUES ('cncEnviarConfigura','1'),('CNCTipoSucursal','2'),"
        "('Moneda','MXN'),('Ruta','C:\\\\datos\\\\O''Hara')");
    x.Espejo("INSERT INTO configura (Dato,Contenido) VALUES ('Moneda','USD'),('cncEnviarConfigura','0')");
    est.Tabla = "configura";
    est.Llave = "Dato";
    EXPECT_EQ(est.ExportarTabla(), Resultado::Completo);
    EXPECT_EQ(x.EnEspejo("SELECT Dato,Contenido FROM configura ORDER BY Dato"),
              (V{"cncEnviarConfigura|0", "Moneda|MXN", "Ruta|C:\\datos\\O'Hara"}));
    EXPECT_TRUE(x.VioTabla("CONFIGURA. Registro 1 de 2\nCopiando Dato Moneda. ( X )"));
    EXPECT_TRUE(x.VioTabla("CONFIGURA. Registro 2 de 2\nCopiando Dato Ruta. ( Nuevo )"));

    // Any other table goes whole, its own rows overwritten by key.
    x.Local("datos1",
            "INSERT INTO clasificactes (Clasificacion,Descripcion) VALUES ('A','Mayoreo'),('CNC','Cadena')");
    x.Espejo("INSERT INTO clasificactes (Clasificacion,Descripcion) VALUES ('A','viejo'),('Z','solo allá')");
    est.Tabla = "clasificactes";
    est.Llave = "Clasificacion";
    est.ExportarTabla();
    EXPECT_EQ(x.EnEspejo("SELECT Clasificacion,Descripcion FROM clasificactes ORDER BY 1"),
              (V{"A|Mayoreo", "CNC|Cadena", "Z|solo allá"}));
}

TEST(BuscaOAgrega, EmptyNamesGiveZeroAndNamesAreAddedOnce) {
    REQUIERE_SERVIDORES();
    prueba::Escenario x({"lineas", "sublineas"});
    x.ApuntaAServidores();
    Conexion& cn = x.compania;
    AbreBaseLocal(cn);
    EXPECT_EQ(clsEstandar::ObtenerIdPorNombre("", "lineas", cn, "Linea"), 0);
    const std::string raro = "Ferretería O'Neil \\";
    const int32_t id = clsEstandar::ObtenerIdPorNombre(raro, "lineas", cn, "Linea");
    EXPECT_GT(id, 0);
    EXPECT_EQ(clsEstandar::ObtenerIdPorNombre(raro, "lineas", cn, "Linea"), id);
    EXPECT_EQ(clsEstandar::ObtenerIdPorNombre("x' OR '1'='1", "lineas", cn, "Linea"), id + 1);
    EXPECT_EQ(x.EnLocal("datos1", "SELECT Id,Linea FROM lineas ORDER BY Id"),
              (V{std::to_string(id) + "|" + raro, std::to_string(id + 1) + "|x' OR '1'='1"}));

    EXPECT_EQ(clsEstandar::ObtenerIdSubLinea("", id, cn), 0);
    EXPECT_EQ(clsEstandar::ObtenerIdSubLinea("Tornillos", 0, cn), 0);
    const int32_t sub = clsEstandar::ObtenerIdSubLinea("Tornillos", id, cn);
    EXPECT_GT(sub, 0);
    EXPECT_EQ(clsEstandar::ObtenerIdSubLinea("Tornillos", id, cn), sub);
    EXPECT_NE(clsEstandar::ObtenerIdSubLinea("Tornillos", id + 1, cn), sub);
    EXPECT_EQ(x.EnLocal("datos1", "SELECT COUNT(*) FROM sublineas"), V{"2"});

    // A row that cannot be added gives 0 after a few attempts instead of looping.
    EXPECT_EQ(clsEstandar::ObtenerIdPorNombre("algo", "no_existe", cn, "Nombre"), 0);
    EXPECT_EQ(x.EnLocal("datos1", "SELECT COUNT(*) FROM lineas"), V{"2"});
}
