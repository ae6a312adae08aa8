#include "receive/cls_pendientes.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "notices/notice_store.h"
#include "receive/etapas_recepcion.h"
#include "support/escenario.h"
#include "support/hostiles.h"

using namespace cnc;
using Lista = std::vector<std::string>;

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

// The harness with the intake under test, both general databases and both concentradorqmx, no company
// databases; this company is "espejo1" at the hub.
struct Escenario : prueba::Escenario {
    Escenario() : prueba::Escenario(prueba::Tablas{}) { ApuntaAServidores(); }
    clsPendientes p;

    std::string Cifra(const std::string& v, const std::string& ale) { return Mod.Acceso.Encripta(v, ale); }
    // A user row with its fields enciphered under its own key.
    std::string Usuario(int id, const std::string& usuario, const std::string& nombre,
                        const std::string& grupo, const std::string& ale) {
        return "INSERT INTO usuarios (Id,Usuario,Nombre,Grupo,Codigo,AlE) VALUES (" + std::to_string(id) +
               "," + Lit(Cifra(usuario, ale)) + "," + Lit(Cifra(nombre, ale)) + "," + Lit(Cifra(grupo, ale)) +
               "," + Lit(Cifra("1234", ale)) + "," + Lit(ale) + ");";
    }
    std::string EnCola(int id, const std::string& base = "espejo1", int quitar = 0,
                       const std::string& leidos = "2000-01-01") {
        return "INSERT INTO concentradorqmx.listausuarios "
               "(IdUsuario,BaseDeDatos,FechaCambios,FechaLeidos,Quitar) "
               "VALUES (" +
               std::to_string(id) + "," + Lit(base) + ",'2026-12-01'," + Lit(leidos) + "," +
               std::to_string(quitar) + ");";
    }
};

}  // namespace

TEST(LeeGrupos, DeliversThisCompanysGroupsAndKeepsWhatWasNotWritten) {
    REQUIERE_SERVIDORES();
    Escenario e;
    e.Local("INSERT INTO grupos VALUES ('Ventas','vieja')");
    e.Hub("INSERT INTO grupos VALUES ('Ventas','Ventas del día'),('Almacén','Bodega'),(" + Lit("D'Ana \\") +
          ",'comillas'),('Malo','x');"
          "INSERT INTO concentradorqmx.listagrupos (Grupo,BaseDeDatos) VALUES ('Ventas','otra')");

    // Nothing queued for this company: nothing is touched.
    e.p.LeeGrupos(e.servidorLocal, e.conHub, e.compania);
    EXPECT_TRUE(e.m.ventana.estados.empty());
    EXPECT_EQ(e.EnLocal("SELECT * FROM grupos"), Lista{"Ventas|vieja"});
    EXPECT_EQ(prueba::Consulta(e.local, "concentradorqmx", "SELECT COUNT(*) FROM avisos"), "0");

    // The local server refuses one group: it is logged and stays queued, the others go on.
    e.Local(
        "CREATE TRIGGER rechaza BEFORE INSERT ON grupos FOR EACH ROW "
        "IF NEW.Grupo='Malo' THEN SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT='rechazado'; END IF");
    e.Hub("INSERT INTO concentradorqmx.listagrupos (Grupo,BaseDeDatos) VALUES ('Almacén','espejo1'),(" +
          Lit("D'Ana \\") + ",'espejo1'),('Fantasma','espejo1'),('Malo','espejo1'),('Ventas','espejo1')");
    // One group failed, the queue went on: the intake ends incomplete, not cut.
    EXPECT_EQ(e.p.LeeGrupos(e.servidorLocal, e.conHub, e.compania), Resultado::Incompleto);
    EXPECT_EQ(e.EnLocal("SELECT * FROM grupos ORDER BY Grupo"),
              (Lista{"Almacén|Bodega", "D'Ana \\|comillas", "Ventas|Ventas del día"}));
    // A group without its source row, and the one not written, wait for the next cycle.
    EXPECT_EQ(e.EnHub("SELECT Grupo,BaseDeDatos FROM concentradorqmx.listagrupos ORDER BY Grupo,BaseDeDatos"),
              (Lista{"Fantasma|espejo1", "Malo|espejo1", "Ventas|otra"}));
    EXPECT_EQ(e.Avisos(0), Lista{"Grupo nuevo: \"Almacén\"\r\nGrupo nuevo: \"D'Ana \\\"\r\n"
                                 "Grupo modificado: \"Ventas\""});
    EXPECT_EQ(e.m.ventana.estados.at(0), "GRUPOS\r\nGrupo 'Almacén'");
    EXPECT_NE(e.m.carpeta.Lee("ErrorAlLeer.txt").find("     LeeGrupos()\r\n"), std::string::npos);
}

TEST(LeeUsuarios, AppliesChangesUnderLocalKeysAndRemovesByName) {
    REQUIERE_SERVIDORES();
    Escenario e;
    const std::string pedro = e.Cifra("pedro", "k50");  // the stored form both sides share
    const std::string obrien = "O'Brien \"x\" \\";      // stored as it stands
    e.Local(e.Usuario(1, "admin", "Administrador", "", "k1") + e.Usuario(3, "carmen", "Carmen", "", "k3") +
            "INSERT INTO usuarios (Id,Usuario,Nombre,AlE) VALUES (7," + Lit(pedro) + ",'viejo','k50'),(9," +
            Lit(obrien) + ",'',''),(12," + Lit(obrien + "2") + ",'','')");
    e.Hub(e.Usuario(3, "maria", "María López", "Ventas", "h3") +
          e.Usuario(4, "luis", "Luis Gómez", "   ", "h4") + e.Usuario(5, "rosa", "Rosa", "", "h5") +
          "INSERT INTO usuarios (Id,Usuario,Nombre,Grupo,AlE) VALUES (50," + Lit(pedro) + "," +
          Lit(e.Cifra("Pedro Páez", "k50")) + "," + Lit(e.Cifra("Almacén", "k50")) + ",'k50'),(60," +
          Lit(obrien) + ",'','',''),(70,'fantasma','','','');" + e.EnCola(3) + e.EnCola(4) +
          e.EnCola(5, "espejo1", 0, "2026-12-01") + e.EnCola(50) + e.EnCola(60, "espejo1", 1) +
          e.EnCola(70, "espejo1", 1) + e.EnCola(99) + e.EnCola(3, "otra"));

    ContextoCiclo r;
    auto etapas = EtapasDeRecepcion();
    ASSERT_GE(etapas.size(), 2u);
    EXPECT_EQ(etapas[0].texto + "/" + etapas[0].tabla, "Grupos nuevos/grupos");
    EXPECT_EQ(etapas[1].texto + "/" + etapas[1].tabla, "Usuarios nuevos/usuarios");
    EXPECT_EQ(etapas[1].operacion(r), Resultado::Completo);

    // New users take the next local keys, whatever their keys at the hub; local user 3 is not touched.
    EXPECT_EQ(e.EnLocal("SELECT Id,AlE FROM usuarios ORDER BY Id"),
              (Lista{"1|k1", "3|k3", "7|k50", "12|", "13|h3", "14|h4"}));
    EXPECT_EQ(e.EnLocal("SELECT Nombre FROM usuarios WHERE Id=7"),
              e.EnHub("SELECT Nombre FROM usuarios WHERE Id=50"));
    EXPECT_EQ(e.Avisos(1),
              Lista{"Usuario nuevo: \"maria\"\r\nNombre: María López\r\nGrupo: \"Ventas\"\r\n"
                    "Usuario nuevo: \"luis\"\r\nNombre: Luis Gómez\r\n"
                    "Usuario modificado: \"pedro\"\r\nNombre: Pedro Páez\r\nGrupo: \"Almacén\""});
    // Every pending row of this company is read, removals and missing users too; the rest stay as they were.
    EXPECT_EQ(e.EnHub("SELECT BaseDeDatos,IdUsuario,FechaLeidos FROM concentradorqmx.listausuarios "
                      "ORDER BY BaseDeDatos,IdUsuario"),
              (Lista{"espejo1|3|2026-12-08", "espejo1|4|2026-12-08", "espejo1|5|2026-12-01",
                     "espejo1|50|2026-12-08", "espejo1|60|2026-12-08", "espejo1|70|2026-12-08",
                     "espejo1|99|2026-12-08", "otra|3|2000-01-01"}));
    EXPECT_EQ(e.m.ventana.estados,
              (Lista{"USUARIOS\r\nUsuario 3", "USUARIOS\r\nUsuario 4", "USUARIOS\r\nUsuario 50",
                     "USUARIOS\r\nUsuario 60", "USUARIOS\r\nUsuario 70"}));
    EXPECT_EQ(e.m.carpeta.Lee("ErrorAlLeer.txt"), "");

    // Nothing is pending any more.
    etapas[1].operacion(r);
    EXPECT_EQ(e.m.ventana.estados.size(), 5u);
    EXPECT_EQ(e.Avisos(1).size(), 1u);
}

TEST(LeeUsuarios, NamesWithQuotesAreLiteralsWhateverTheSessionsQuoteMode) {
    REQUIERE_SERVIDORES();
    Escenario e;
    const std::string obrien = "O'Brien \"x\" \\";
    e.Local("INSERT INTO usuarios (Id,Usuario,Nombre,AlE) VALUES (9," + Lit(obrien) +
            ",'',''),(10,'O','','')");
    e.Hub("INSERT INTO usuarios (Id,Usuario,Nombre,Grupo,AlE) VALUES (60," + Lit(obrien) + ",'','','');" +
          e.EnCola(60, "espejo1", 1));
    // A session where double quotes enclose names, not texts.
    ASSERT_TRUE(AbreBase(Mod.BDLocal, e.servidorLocal, ""));
    ASSERT_TRUE(e.servidorLocal.Ejecutar("SET SESSION sql_mode='ANSI_QUOTES'"));

    e.p.LeeUsuarios(e.servidorLocal, e.conHub, e.compania);
    EXPECT_FALSE(Mod.Detener);
    EXPECT_EQ(e.EnLocal("SELECT Id FROM usuarios ORDER BY Id"), Lista{"10"});
    EXPECT_EQ(e.EnHub("SELECT FechaLeidos FROM concentradorqmx.listausuarios"), Lista{"2026-12-08"});
    EXPECT_EQ(e.m.carpeta.Lee("ErrorAlLeer.txt"), "");
}

TEST(Pendientes, AHubLostMidQueueLeavesTheRestForTheNextCycle) {
    REQUIERE_SERVIDORES();
    if (!std::getenv("CNC_PRUEBA_DIR")) GTEST_SKIP() << "sin carpeta de los servidores de prueba";
    Escenario e;
    // The hub goes down at a chosen status line, as a lost network would.
    prueba::Caida caida("hub");
    size_t cortarEn = 0;
    auto& v = e.m.ventana;
    v.alEstado = [&](const std::string&) {
        if (v.estados.size() == cortarEn) caida.Mata();
    };
    e.Hub(
        "INSERT INTO grupos (Grupo) VALUES ('G1'),('G2'),('G3');"
        "INSERT INTO concentradorqmx.listagrupos (Grupo,BaseDeDatos) VALUES "
        "('G1','espejo1'),('G2','espejo1'),"
        "('G3','espejo1');" +
        e.Usuario(21, "u1", "Uno", "", "a") + e.Usuario(22, "u2", "Dos", "", "b") +
        e.Usuario(23, "u3", "Tres", "", "c") + e.EnCola(21) + e.EnCola(22) + e.EnCola(23));

    // The hub goes down after the second group was read from it.
    cortarEn = 2;
    EXPECT_EQ(e.p.LeeGrupos(e.servidorLocal, e.conHub, e.compania), Resultado::SinConexion);
    EXPECT_EQ(v.estados.size(), 2u);
    caida.Revive();
    EXPECT_EQ(e.EnHub("SELECT Grupo FROM concentradorqmx.listagrupos ORDER BY Grupo"), (Lista{"G2", "G3"}));
    EXPECT_NE(e.m.carpeta.Lee("ErrorAlLeer.txt").find("LeeGrupos()"), std::string::npos);

    LimpiaUltimosAvisos();
    EXPECT_EQ(e.p.LeeGrupos(e.servidorLocal, e.conHub, e.compania), Resultado::Completo);
    EXPECT_TRUE(e.EnHub("SELECT Grupo FROM concentradorqmx.listagrupos").empty());
    EXPECT_EQ(e.EnLocal("SELECT Grupo FROM grupos ORDER BY Grupo"), (Lista{"G1", "G2", "G3"}));
    // G2 was written before its queue row could go: it is neither written nor noticed again.
    EXPECT_EQ(e.Avisos(0), (Lista{"Grupo nuevo: \"G1\"\r\nGrupo nuevo: \"G2\"", "Grupo nuevo: \"G3\""}));
    EXPECT_EQ(e.EnLocal("concentradorqmx", "SELECT COUNT(*) FROM colasaplicadas"), Lista{"0"});

    // The same for users: the row in hand when the hub went down stays pending with those after it.
    cortarEn = v.estados.size() + 2;
    EXPECT_EQ(e.p.LeeUsuarios(e.servidorLocal, e.conHub, e.compania), Resultado::SinConexion);
    caida.Revive();
    EXPECT_EQ(e.EnHub("SELECT IdUsuario,FechaLeidos FROM concentradorqmx.listausuarios ORDER BY IdUsuario"),
              (Lista{"21|2026-12-08", "22|2000-01-01", "23|2000-01-01"}));
    EXPECT_EQ(e.p.LeeUsuarios(e.servidorLocal, e.conHub, e.compania), Resultado::Completo);
    EXPECT_EQ(e.EnHub("SELECT COUNT(*) FROM concentradorqmx.listausuarios WHERE FechaLeidos<FechaCambios"),
              Lista{"0"});
    EXPECT_EQ(e.EnLocal("SELECT Id,AlE FROM usuarios ORDER BY Id"), (Lista{"1|a", "2|b", "3|c"}));
    EXPECT_EQ(e.Avisos(1), Lista{"Usuario nuevo: \"u1\"\r\nNombre: Uno\r\nUsuario nuevo: \"u2\"\r\nNombre: "
                                 "Dos\r\nUsuario nuevo: \"u3\"\r\nNombre: Tres"});
    EXPECT_EQ(e.EnLocal("concentradorqmx", "SELECT COUNT(*) FROM colasaplicadas"), Lista{"0"});
}

TEST(DatosHostiles, GroupsFromTheHubArriveAsTheHubHoldsThemOrWaitReported) {
    REQUIERE_SERVIDORES();
    Escenario e;
    e.Local("CREATE TABLE centinela (Id INT PRIMARY KEY, Texto VARCHAR(20));"
            "INSERT INTO centinela VALUES (1, 'intacta');"
            "INSERT INTO grupos VALUES ('QUEDA', 'igual')");
    const std::string resto = "SELECT CONCAT_WS('|', Grupo, Descripcion) FROM grupos WHERE Grupo = 'QUEDA' UNION ALL "
                              "SELECT CONCAT_WS('|', Id, Texto) FROM centinela";
    const Lista antes = e.EnLocal(resto);
    int guardados = 0, esperan = 0;
    for (const std::string& h : prueba::Hostiles()) {
        SCOPED_TRACE(prueba::Muestra(h));
        const std::string x = "X'" + prueba::Hex(h) + "'";
        // As the hub's columns hold the value (cut, or '?' for bytes that are not UTF-8).
        e.Hub("DELETE FROM grupos; DELETE FROM concentradorqmx.listagrupos; INSERT INTO grupos VALUES (" + x + ", " +
              x + "); INSERT INTO concentradorqmx.listagrupos (Grupo, BaseDeDatos) SELECT Grupo, 'espejo1' FROM "
              "grupos");
        const Lista enHub = e.EnHub("SELECT CONCAT(HEX(Grupo), '|', HEX(Descripcion)) FROM grupos");
        const std::string grupo = enHub.at(0).substr(0, enHub.at(0).find('|'));
        const size_t errores = e.m.carpeta.Lee("ErrorAlLeer.txt").size();

        e.p.LeeGrupos(e.servidorLocal, e.conHub, e.compania);

        const Lista local = e.EnLocal("SELECT CONCAT(HEX(Grupo), '|', HEX(Descripcion)) FROM grupos WHERE HEX(Grupo) "
                                      "= '" + grupo + "'");
        if (local == enHub) {
            ++guardados;
            EXPECT_TRUE(e.EnHub("SELECT Grupo FROM concentradorqmx.listagrupos").empty());
        } else {
            ++esperan;
            EXPECT_EQ(e.EnHub("SELECT HEX(Grupo) FROM concentradorqmx.listagrupos"), Lista{grupo});
            EXPECT_GT(e.m.carpeta.Lee("ErrorAlLeer.txt").size(), errores);
        }
        EXPECT_EQ(e.EnLocal(resto), antes);
        e.Local("DELETE FROM grupos WHERE Grupo <> 'QUEDA'");
    }
    EXPECT_GT(guardados, 50);
}
