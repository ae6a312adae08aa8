#include "receive/de_archivos.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "components/transaccion.h"
#include "core/archivo_de_trabajo.h"
#include "core/shared_routines.h"
#include "notices/notice_store.h"
#include "receive/cls_pendientes.h"
#include "receive/etapas_recepcion.h"
#include "support/escenario.h"

using namespace cnc;
using prueba::Lista;

namespace {

// An SQL literal for the test's own rows.
std::string Lit(const std::string& s) {
    std::string r = "'";
    for (char c : s) {
        if (c == '\\' || c == '\'') r += '\\';
        r += c;
    }
    return r + "'";
}

const prueba::Tablas kTablas = {"productos",        "productosmasprecios",
                                "lineas",           "sublineas",
                                "marcas",           "medidas",
                                "clavesalternas",   "existenciaexterna",
                                "clavereferencias", "anexoproductos",
                                "presentaciones",   "cambiosdeprecios",
                                "variantes",        "productosyvariantes",
                                "configura"};

struct Escenario : prueba::Escenario {
    Escenario() : prueba::Escenario(kTablas) {
        ApuntaAServidores();
        ctx.matriz = matriz;
    }
    ContextoCiclo ctx;
    clsPendientes p;
    void Compania(const std::string& sql) { Local(baseLocal, sql); }
    Lista EnCompania(const std::string& sql) { return EnLocal(baseLocal, sql); }
    // A queue row; its Id.
    std::string Fila(const std::string& tipo, const std::string& clave, const std::string& contenido,
                     int folio = 0, int cancelar = 0, const std::string& base = "espejo1") {
        Hub("concentradorqmx",
            "INSERT INTO archivosasubir (Tipo, BaseDeDatos, Cancelar, clave, Folio, Contenido) "
            "VALUES (" +
                Lit(tipo) + ", " + Lit(base) + ", " + std::to_string(cancelar) + ", " + Lit(clave) + ", " +
                std::to_string(folio) + ", " + Lit(contenido) + ")");
        return EnHub("concentradorqmx", "SELECT MAX(Id) FROM archivosasubir").at(0);
    }
    Lista Cola() {
        return EnHub(
            "concentradorqmx",
            "SELECT CONCAT_WS('|', Tipo, BaseDeDatos, Cancelar, clave) FROM archivosasubir ORDER BY Id");
    }
    Lista Errores() {
        return EnHub(
            "concentradorqmx",
            "SELECT CONCAT_WS('|', Id, Tipo, BaseDeDatos, Cancelar, clave, Folio, Contenido, elError) "
            "FROM erroresdelectura ORDER BY AutoInc");
    }
    Resultado Lee(const std::vector<TipoDeArchivo>& tipos) {
        return p.LeerDeArchivos(ctx.servidorLocal, ctx.hub, ctx.local, ctx.matriz, ctx.espejo, tipos);
    }
    bool HayArchivoDeTrabajo() const { return std::filesystem::exists(Carpeta() + kArchivoDeTrabajo); }
};

}  // namespace

TEST(LeerDeArchivos, EachRowOfThisCompanyInOrderIsConsumedAsItsTypeSays) {
    REQUIERE_SERVIDORES();
    Escenario e;
    // What the handlers saw, in the order they ran.
    Lista vistos;
    auto mira = [&](ArchivoRecibido& a) {
        std::string contenido;
        const bool hay = LeeArchivoCompleto(a.ruta, contenido);
        vistos.push_back(a.fila.Texto("Tipo") + ":" + a.Clave() + ":" + (hay ? contenido : "sin archivo"));
    };
    std::vector<TipoDeArchivo> tipos = {
        {"T1", "Uno, 'XXX'", ".Uno", false, 5,
         [&](ArchivoRecibido& a) {
             mira(a);
             a.aviso = "Hecho " + a.Clave();
             return true;
         }},
        // Handled before its handler runs: consumed whatever it returns, and no notice.
        {"T2", "Dos, folio NNN", ".Dos", true, 6,
         [&](ArchivoRecibido& a) {
             mira(a);
             a.aviso = "no se dice";
             return false;
         }},
        // Not applied without error: waits.
        {"T3", "Tres", ".Tres", false, 7,
         [&](ArchivoRecibido& a) {
             mira(a);
             return false;
         }},
        // An error: recorded at the hub and consumed; a step name left empty keeps the one before, which
        // after a row is the deletion's.
        {"T4", "Cuatro, 'XXX'", "", false, 8,
         [&](ArchivoRecibido& a) {
             mira(a);
             a.error = "Nº 7: roto";
             return false;
         }},
        // A handler that throws fails its row like an error, and the queue goes on.
        {"T5", "Cinco", ".Cinco", false, 9,
         [&](ArchivoRecibido& a) -> bool {
             mira(a);
             throw std::runtime_error("se cayó");
         }},
    };
    e.Fila("T1", "otra", "de otra empresa", 0, 0, "otra");
    e.Fila("T3", "k3", "tres");
    e.Fila("T1", "cancelada", "no se lee", 0, 1);
    e.Fila("T2", "k2", "dos", 12);
    // Unknown after a handled row: it does not inherit the handled flag, runs nothing and waits.
    e.Fila("t1", "minúsculas", "x");
    e.Fila("T1", "k'1", "l\\u00ednea 1\r\nl\u00ednea 2\n\u00f1");
    const std::string cinco = e.Fila("T5", "k5", "cinco");
    const std::string cuatro = e.Fila("T4", "k4", "cuatro", 4);

    EXPECT_EQ(e.Lee(tipos), Resultado::Incompleto);
    EXPECT_EQ(vistos, (Lista{"T3:k3:tres", "T2:k2:dos", "T1:k'1:l\\u00ednea 1\r\nlínea 2\nñ", "T5:k5:cinco",
                             "T4:k4:cuatro"}));
    EXPECT_EQ(e.Cola(), (Lista{"T1|otra|0|otra", "T3|espejo1|0|k3", "T1|espejo1|1|cancelada",
                               "t1|espejo1|0|minúsculas"}));
    EXPECT_EQ(e.Errores(), (Lista{cinco + "|T5|espejo1|0|k5|0|cinco|Nº 0: se cayó",
                                  cuatro + "|T4|espejo1|0|k4|4|cuatro|Nº 7: roto"}));
    EXPECT_EQ(e.Avisos(5), Lista{"Hecho k'1"});
    EXPECT_EQ(e.Avisos(6), Lista{});
    EXPECT_EQ(
        e.m.ventana.estados,
        (Lista{"LEYENDO DESDE ARCHIVOS\r\n", "LEYENDO DESDE ARCHIVOS\r\nTres", "LEYENDO DESDE ARCHIVOS\r\n",
               "LEYENDO DESDE ARCHIVOS\r\nDos, folio 12", "LEYENDO DESDE ARCHIVOS\r\n",
               "LEYENDO DESDE ARCHIVOS\r\n", "LEYENDO DESDE ARCHIVOS\r\nUno, 'k'1'",
               "LEYENDO DESDE ARCHIVOS\r\n", "LEYENDO DESDE ARCHIVOS\r\nCinco", "LEYENDO DESDE ARCHIVOS\r\n",
               "LEYENDO DESDE ARCHIVOS\r\nCuatro, 'k4'"}));
    EXPECT_NE(
        e.m.carpeta.Lee("ErrorAlLeer.txt").find("     LeerDeArchivos() Borrando el pendiente Nº 7: roto\r\n"),
        std::string::npos)
        << e.m.carpeta.Lee("ErrorAlLeer.txt");
    EXPECT_FALSE(e.HayArchivoDeTrabajo());

    // What waits is offered again; nothing else is touched twice.
    vistos.clear();
    EXPECT_EQ(e.Lee(tipos), Resultado::Completo);
    EXPECT_EQ(vistos, Lista{"T3:k3:tres"});
    EXPECT_EQ(e.Errores().size(), 2u);

    // A work file that cannot be written: the row waits and nothing runs.
    std::filesystem::create_directories(e.Carpeta() + kArchivoDeTrabajo + "/ocupado");
    vistos.clear();
    EXPECT_EQ(e.Lee(tipos), Resultado::Incompleto);
    EXPECT_EQ(vistos, Lista{});
    EXPECT_EQ(e.Cola().size(), 4u);
    std::filesystem::remove_all(e.Carpeta() + kArchivoDeTrabajo);
}

TEST(LeerDeArchivos, AFileHandledWhenTheHubLostItsRemovalIsNeitherHandledNorToldAgain) {
    REQUIERE_SERVIDORES();
    Escenario e;
    int veces = 0;
    std::vector<TipoDeArchivo> tipos = {{"T1", "Uno", ".Uno", false, 5, [&](ArchivoRecibido& a) {
                                             ++veces;
                                             a.aviso = "Hecho " + a.Clave();
                                             return true;
                                         }}};
    e.Fila("T1", "k1", "uno");
    // The hub refuses the removal, as one lost right after the handler would.
    e.Hub("concentradorqmx",
          "CREATE TRIGGER noborra BEFORE DELETE ON archivosasubir FOR EACH ROW "
          "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT='sin hub'");
    EXPECT_EQ(e.Lee(tipos), Resultado::Incompleto);
    EXPECT_EQ(e.Cola(), Lista{"T1|espejo1|0|k1"});
    EXPECT_EQ(e.Avisos(5), Lista{"Hecho k1"});

    e.Hub("concentradorqmx", "DROP TRIGGER noborra");
    EXPECT_EQ(e.Lee(tipos), Resultado::Completo);
    EXPECT_EQ(veces, 1);
    EXPECT_TRUE(e.Cola().empty());
    EXPECT_EQ(e.Avisos(5), Lista{"Hecho k1"});
    EXPECT_EQ(e.EnLocal("concentradorqmx", "SELECT COUNT(*) FROM colasaplicadas"), Lista{"0"});
}

TEST(LeerDeArchivos, AChangeStandsOnlyWithItsMarkAndItsNoticeIsToldOnce) {
    REQUIERE_SERVIDORES();
    Escenario e;
    int veces = 0;
    // A change in a unit of its own, told through its type's notice or by the handler itself.
    auto cambio = [&](ArchivoRecibido& a) {
        ++veces;
        kvtx8::Transaccion unidad(a.local);
        return a.local.Ejecutar("INSERT INTO lineas (Linea) VALUES (" + Lit(a.Clave()) + ")") &&
               unidad.Confirma();
    };
    std::vector<TipoDeArchivo> tipos = {{"T1", "Uno", ".Uno", false, 5,
                                         [&](ArchivoRecibido& a) {
                                             a.aviso = "Hecho " + a.Clave();
                                             return cambio(a);
                                         }},
                                        {"T2", "Dos", ".Dos", false, -1, [&](ArchivoRecibido& a) {
                                             if (!cambio(a)) return false;
                                             GrabarAviso(a.servidorLocal, "Propio " + a.Clave(), 6);
                                             GrabarAviso(a.servidorLocal, "Otra línea " + a.Clave(), 6);
                                             return true;
                                         }}};
    e.Fila("T1", "k1", "uno");
    e.Fila("T2", "k2", "dos");

    // The mark cannot be written, as when the local server goes right after the change: the change is
    // undone with it and the rows wait, rather than stand unmarked with their notices lost.
    e.Local("concentradorqmx",
            "CREATE TRIGGER sinmarca BEFORE INSERT ON colasaplicadas FOR EACH ROW "
            "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT='sin servidor'");
    EXPECT_EQ(e.Lee(tipos), Resultado::Incompleto);
    EXPECT_EQ(e.Cola(), (Lista{"T1|espejo1|0|k1", "T2|espejo1|0|k2"}));
    EXPECT_EQ(e.EnCompania("SELECT COUNT(*) FROM lineas"), Lista{"0"});
    EXPECT_EQ(e.Avisos(5), Lista{});
    EXPECT_EQ(e.Avisos(6), Lista{});
    e.Local("concentradorqmx", "DROP TRIGGER sinmarca");

    // The notices cannot be raised: the changes stand marked, the handler's own notice kept in its mark.
    e.Local("concentradorqmx",
            "CREATE TRIGGER sinaviso BEFORE INSERT ON avisos FOR EACH ROW "
            "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT='sin avisos'");
    veces = 0;
    EXPECT_EQ(e.Lee(tipos), Resultado::Incompleto);
    EXPECT_EQ(veces, 2);
    EXPECT_EQ(e.Cola(), (Lista{"T1|espejo1|0|k1", "T2|espejo1|0|k2"}));
    EXPECT_EQ(e.EnCompania("SELECT Linea FROM lineas ORDER BY Id"), (Lista{"k1", "k2"}));
    EXPECT_EQ(e.Avisos(6), Lista{});
    e.Local("concentradorqmx", "DROP TRIGGER sinaviso");

    EXPECT_EQ(e.Lee(tipos), Resultado::Completo);
    EXPECT_EQ(veces, 2);
    EXPECT_TRUE(e.Cola().empty());
    EXPECT_EQ(e.EnCompania("SELECT Linea FROM lineas ORDER BY Id"), (Lista{"k1", "k2"}));
    EXPECT_EQ(e.Avisos(5), Lista{"Hecho k1"});
    EXPECT_EQ(e.Avisos(6), Lista{"Propio k2\r\nOtra línea k2"});
    EXPECT_EQ(e.EnLocal("concentradorqmx", "SELECT COUNT(*) FROM colasaplicadas"), Lista{"0"});
}

TEST(LeerDeArchivos, TheProductTypesThroughTheCyclesStage) {
    REQUIERE_SERVIDORES();
    Escenario e;
    auto etapas = EtapasDeRecepcion();
    const auto etapa =
        std::find_if(etapas.begin(), etapas.end(), [](const Etapa& x) { return x.tabla == "de_archivos"; });
    ASSERT_NE(etapa, etapas.end());
    EXPECT_EQ(etapa->texto, "Información contenida en archivos");
    EXPECT_EQ(etapa->mitad, Etapa::Mitad::Recepcion);
    // After the users: the groups and users of the company come before the products that may name them.
    EXPECT_GT(etapa - etapas.begin(), 1);

    e.Compania("INSERT INTO productos (Clave, Descrip) VALUES ('A1', 'Martillo'), ('B2', 'Pinza')");
    e.Hub(e.matriz,
          "INSERT INTO anexoproductos (Producto, Texto1) VALUES ('Z9', 'de matriz');"
          "INSERT INTO productos (Clave) VALUES ('NUEVO')");
    // The local company refuses new products: the copy fails with the server's error.
    e.Compania(
        "CREATE TRIGGER rechaza BEFORE INSERT ON productos FOR EACH ROW "
        "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT='rechazado'");
    e.Fila("PR", "FALTA", "");                            // not in the MATRIZ yet: waits
    const std::string nuevo = e.Fila("PR", "NUEVO", "");  // fails: recorded and consumed
    e.Fila("CP", "A1", "A1\tZ9\r\n");
    e.Fila("AP", "Z9", "");
    const std::string pc = e.Fila("PC", "B2", "\"Descrip\",\"Pinza\",\"Tenaza\"\r\n\"NoHay\",\"\",\"x\"\r\n");
    e.Fila("VC", "", "SIN SALTO");  // refused: waits

    EXPECT_EQ(etapa->operacion(e.ctx), Resultado::Incompleto);
    EXPECT_EQ(e.Cola(), (Lista{"PR|espejo1|0|FALTA", "VC|espejo1|0|"}));
    const Lista errores = e.Errores();
    ASSERT_EQ(errores.size(), 2u);
    // The server's own error number and text reach the hub.
    EXPECT_EQ(errores[0], nuevo + "|PR|espejo1|0|NUEVO|0||Nº 1644: rechazado");
    EXPECT_EQ(errores[1].rfind(pc + "|PC|espejo1|0|B2|0|", 0), 0u) << errores[1];
    EXPECT_NE(errores[1].find("|Nº 0: El campo \"NoHay\" no se puede cambiar en productos"),
              std::string::npos);
    EXPECT_EQ(e.EnCompania("SELECT CONCAT_WS('|', Clave, Descrip) FROM productos ORDER BY Clave"),
              (Lista{"B2|Pinza", "Z9|Martillo"}));
    EXPECT_EQ(e.EnCompania("SELECT CONCAT_WS('|', Producto, Texto1) FROM anexoproductos"),
              Lista{"Z9|de matriz"});
    EXPECT_EQ(e.Avisos(22), Lista{"Anexos del producto: \"Z9\""});
    EXPECT_EQ(e.Avisos(18), Lista{"Cambio de clave al producto \"A1\" por \"Z9\""});
    EXPECT_EQ(e.Avisos(4), Lista{});
    EXPECT_EQ(e.Avisos(9), Lista{});
    EXPECT_FALSE(e.HayArchivoDeTrabajo());
}

TEST(LeerDeArchivos, ANewProductFromTheHubReachesTheCompanyThroughTheProgram) {
    REQUIERE_SERVIDORES();
    prueba::Escenario g(prueba::kDemo);
    prueba::EjecutaSQL(g.hub, "matriz_norte",
                       "INSERT INTO lineas (Id, Linea) VALUES (7, 'FERRETERÍA');"
                       "INSERT INTO productos (Clave, Descrip, Linea, Precio1, Costo) VALUES "
                       "('N''1', 'Llave de paso', 7, 99.5, 40);"
                       "INSERT INTO clavesalternas (ClaveProducto, ClaveAlterna) VALUES ('N''1', '7501')");
    prueba::EjecutaSQL(g.hub, "concentradorqmx",
                       "INSERT INTO archivosasubir (Tipo, BaseDeDatos, clave, Contenido) VALUES "
                       "('PR', 'sucursal_centro', 'N''1', 'producto nuevo')");

    const auto r = g.Ejecuta(4);
    ASSERT_EQ(r.estado, 0) << r.mensajes;
    EXPECT_EQ(
        prueba::Filas(g.local, "datos1",
                      "SELECT CONCAT_WS('|', p.Descrip, l.Linea, p.Precio1, c.ClaveAlterna) FROM productos p "
                      "JOIN lineas l ON l.Id = p.Linea JOIN clavesalternas c ON c.ClaveProducto = p.Clave "
                      "WHERE p.Clave = 'N''1'"),
        Lista{"Llave de paso|FERRETERÍA|99.5000|7501"});
    EXPECT_EQ(prueba::Filas(g.local, "concentradorqmx",
                            "SELECT CAST(DECODE(Aviso, Metodo) AS CHAR) FROM avisos WHERE TipoAviso = 4"),
              Lista{"Nuevo producto: \"N'1\""});
    EXPECT_EQ(prueba::Consulta(g.hub, "concentradorqmx", "SELECT COUNT(*) FROM archivosasubir"), "0");
    EXPECT_EQ(prueba::Consulta(g.hub, "concentradorqmx", "SELECT COUNT(*) FROM erroresdelectura"), "0");
    EXPECT_FALSE(std::filesystem::exists(g.Carpeta() + kArchivoDeTrabajo));
}

TEST(LeerDeArchivos, AChangeMetByALockWaitsForTheNextCycleUnrecorded) {
    REQUIERE_SERVIDORES();
    Escenario e;
    e.Hub(e.matriz, "INSERT INTO anexoproductos (Producto, Texto1) VALUES ('A1', 'de matriz')");
    e.Compania("INSERT INTO anexoproductos (Producto, Texto1) VALUES ('A1', 'local')");
    e.Fila("AP", "A1", "");
    // Another writer holds the annex; the intake's waits end in a second.
    Conexion otra;
    ASSERT_TRUE(AbreBaseLocal(otra));
    ASSERT_TRUE(otra.Ejecutar("START TRANSACTION"));
    ASSERT_TRUE(otra.Ejecutar("UPDATE anexoproductos SET Texto2='ocupado'"));
    ASSERT_TRUE(AbreBaseLocal(e.ctx.local));
    ASSERT_TRUE(e.ctx.local.Ejecutar("SET SESSION innodb_lock_wait_timeout=1"));

    EXPECT_EQ(e.Lee(TablaDeTipos({})), Resultado::Incompleto);
    EXPECT_EQ(e.Cola(), Lista{"AP|espejo1|0|A1"});
    EXPECT_EQ(e.Errores(), Lista{});
    EXPECT_NE(e.m.carpeta.Lee("ErrorAlLeer.txt").find("LeerDeArchivos().AnexosProducto Nº 1205: "),
              std::string::npos)
        << e.m.carpeta.Lee("ErrorAlLeer.txt");
    EXPECT_EQ(e.Avisos(22), Lista{});

    ASSERT_TRUE(otra.Ejecutar("ROLLBACK"));
    EXPECT_EQ(e.Lee(TablaDeTipos({})), Resultado::Completo);
    EXPECT_EQ(e.Cola(), Lista{});
    EXPECT_EQ(e.EnCompania("SELECT Texto1 FROM anexoproductos"), Lista{"de matriz"});
    EXPECT_EQ(e.Avisos(22), Lista{"Anexos del producto: \"A1\""});
}

TEST(LeerDeArchivos, ARowIsConsumedOnlyWhenItsOutcomeIsKeptAndNeverAppliedTwice) {
    REQUIERE_SERVIDORES();
    Escenario e;
    e.Compania("INSERT INTO productos (Clave, Descrip) VALUES ('B2', 'Pinza')");
    e.Espejo("INSERT INTO productos (Clave, Descrip) VALUES ('B2', 'Pinza')");

    // The change commits here, then the ESPEJO is held by another writer: the change is not queued
    // again (a second pass would tell it twice and overwrite what was edited meanwhile).
    e.Fila("PC", "B2", "\"Descrip\",\"Pinza\",\"Tenaza\"\r\n");
    e.EsperasCortas();
    Conexion otra = e.OtraAlEspejo();
    ASSERT_TRUE(otra.Ejecutar("START TRANSACTION"));
    ASSERT_TRUE(otra.Ejecutar("UPDATE productos SET Descrip = 'ocupado'"));
    EXPECT_EQ(e.Lee(TablaDeTipos({})), Resultado::Incompleto);
    ASSERT_TRUE(otra.Ejecutar("ROLLBACK"));
    EXPECT_EQ(e.Cola(), Lista{});
    EXPECT_EQ(e.EnCompania("SELECT Descrip FROM productos"), Lista{"Tenaza"});
    EXPECT_EQ(e.Avisos(9).size(), 1u);
    e.Compania("UPDATE productos SET Descrip = 'Editada aquí'");
    EXPECT_EQ(e.Lee(TablaDeTipos({})), Resultado::Completo);
    EXPECT_EQ(e.EnCompania("SELECT Descrip FROM productos"), Lista{"Editada aquí"});
    EXPECT_EQ(e.Avisos(9).size(), 1u);

    // A failed change whose error cannot be stored at the hub stays queued rather than vanish.
    e.Hub("concentradorqmx",
          "CREATE TRIGGER sin_errores BEFORE INSERT ON erroresdelectura FOR EACH ROW "
          "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT='lleno'");
    const std::string fila = e.Fila("PC", "B2", "\"NoHay\",\"\",\"x\"\r\n");
    EXPECT_EQ(e.Lee(TablaDeTipos({})), Resultado::Incompleto);
    EXPECT_EQ(e.Cola(), Lista{"PC|espejo1|0|B2"});
    e.Hub("concentradorqmx", "DROP TRIGGER sin_errores");
    EXPECT_EQ(e.Lee(TablaDeTipos({})), Resultado::Incompleto);
    EXPECT_EQ(e.Cola(), Lista{});
    const Lista errores = e.Errores();
    ASSERT_EQ(errores.size(), 2u);
    EXPECT_NE(errores[0].find("|Nº 1205: "), std::string::npos) << errores[0];
    EXPECT_EQ(errores[1].rfind(fila + "|PC|", 0), 0u) << errores[1];
}
