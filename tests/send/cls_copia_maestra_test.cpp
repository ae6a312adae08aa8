#include "send/cls_copia_maestra.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>

#include "core/shared_routines.h"
#include "receive/etapas_recepcion.h"
#include "support/falsos.h"
#include "support/servidores.h"

using namespace cnc;
using prueba::Consulta;
using prueba::EjecutaSQL;
using prueba::Filas;

namespace {

// The recording window, with a hook on every current-table caption: the place where the operator or the
// network can strike between two tables.
class VentanaDelCiclo : public prueba::VentanaGrabadora {
  public:
    std::function<void(const std::string&)> alMostrarTabla;
    void TablaActual(const std::string& t) override {
        VentanaGrabadora::TablaActual(t);
        if (alMostrarTabla) alMostrarTabla(t);
    }
    std::string EtapaActual() const { return etapas.empty() ? "" : etapas.back(); }
};

// One company beside its hub, and the connections the connection cycle hands over.
struct Ciclo {
    prueba::Entorno e;
    prueba::ModuloDePrueba m;
    VentanaDelCiclo ventana;
    std::string matriz = "matriz1";

    Ciclo() {
        Mod.Ventana = &ventana;
        prueba::Configura(Mod.BDLocal, e.local, e.baseLocal);
        prueba::Configura(Mod.BDRemota, e.hub, e.espejo);
        Mod.Prefijo = "07";
        Mod.RegistrosATomar = 100;
        EjecutaSQL(e.hub, "generaltarvena",
                   "INSERT INTO empresas (BaseDeDatos, FechaUltimoEnvio, HoraUltimoEnvio) "
                   "VALUES ('espejo1', '2020-01-01', '01:02:03')");
        PonFDDUA("2018-08-01 00:00:00");
    }

    void Local(const std::string& sql) { EjecutaSQL(e.local, e.baseLocal, sql); }
    void Espejo(const std::string& sql) { EjecutaSQL(e.hub, e.espejo, sql); }
    std::vector<std::string> EnEspejo(const std::string& sql) { return Filas(e.hub, e.espejo, sql); }
    std::vector<std::string> EnLocal(const std::string& sql) { return Filas(e.local, e.baseLocal, sql); }
    void PonFDDUA(const std::string& valor) {
        EjecutaSQL(
            e.local, "concentradorqmx",
            "REPLACE INTO configuracion (Dato, Contenido, Tipo) VALUES ('FDDUA', '" + valor + "', 'C')");
    }
    std::string FDDUA() {
        return Consulta(e.local, "concentradorqmx", "SELECT Contenido FROM configuracion WHERE Dato='FDDUA'");
    }
    std::string UltimoEnvio() {
        return Filas(e.hub, "generaltarvena",
                     "SELECT FechaUltimoEnvio, HoraUltimoEnvio FROM empresas WHERE BaseDeDatos='espejo1'")
            .at(0);
    }

    // One cycle as the connection cycle runs it; the activity log it wrote.
    std::string Corre(bool soloRecibir = false) {
        ContextoCiclo ctx;
        AbreBaseLocal(ctx.local);
        AbreBase(Mod.BDLocal, ctx.servidorLocal, "");
        AbreBase(Mod.BDRemota, ctx.hub, "");
        AbreBaseEspejo(ctx.espejo);
        ctx.matriz = matriz;
        ctx.soloRecibir = soloRecibir;
        ventana.etapas.clear();
        ventana.tablas.clear();
        {
            BloqueDeBitacora bloque(1, true);
            ctx.bitacora = bloque.Numero();
            clsCopiaMaestra().PasarTablasYrecibir(ctx, EtapasDeRecepcion());
        }
        return m.carpeta.Lee("BitacoraConcentrador.txt");
    }
    bool VioEtapa(const std::string& etapa) const {
        return std::find(ventana.etapas.begin(), ventana.etapas.end(), etapa) != ventana.etapas.end();
    }
};

bool Contiene(const std::string& texto, const std::string& parte) {
    return texto.find(parte) != std::string::npos;
}

// The progress lines of one table.
std::vector<std::string> LineasDe(const std::string& log, const std::string& tabla) {
    std::vector<std::string> r;
    const std::string inicio = std::string(9, ' ') + tabla + ' ';
    size_t p = 0;
    while (p < log.size()) {
        size_t fin = log.find("\r\n", p);
        if (fin == std::string::npos) fin = log.size();
        std::string linea = log.substr(p, fin - p);
        if (linea.rfind(inicio, 0) == 0) r.push_back(linea.substr(linea.find(".- ") + 3));
        p = fin + 2;
    }
    return r;
}

int Veces(const std::string& texto, const std::string& parte) {
    int n = 0;
    for (size_t p = texto.find(parte); p != std::string::npos; p = texto.find(parte, p + 1)) ++n;
    return n;
}

// Crashes the hub test server and brings it back on the same data and port, whatever the test does.
class CaidaDelHub {
  public:
    ~CaidaDelHub() {
        if (caido_) Levanta();
    }
    void Tira() {
        Script("kill");
        caido_ = true;
    }
    void Levanta() {
        Script("revive");
        caido_ = false;
    }

  private:
    static void Script(const std::string& orden) {
        const char* dir = std::getenv("CNC_PRUEBA_DIR");
        ASSERT_NE(dir, nullptr) << "CNC_PRUEBA_DIR";
        const std::string cmd = std::string(CONCENTRADOR_FUENTES) + "/scripts/test-servers " + orden + " '" +
                                dir + "' hub >/dev/null 2>&1";
        ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    }
    bool caido_ = false;
};

}  // namespace

TEST(PasarTablasYrecibir, ReceiveOnlyLeavesEspejoAloneAndRecordsTheSendTime) {
    REQUIERE_SERVIDORES();
    Ciclo c;
    c.Local("INSERT INTO lineas (Linea) VALUES ('HERRAMIENTA')");
    c.Local("INSERT INTO sqlborrado (Sentencia) VALUES ('DELETE FROM marcas')");
    c.Local("INSERT INTO configura (Dato, Contenido, Tipo) VALUES ('cncEnviarConfigura', '1', 'N')");
    EjecutaSQL(c.e.local, "concentradorqmx",
               "INSERT INTO borrarycancelar (Accion, Identificador) VALUES (12, '5')");
    c.Espejo("INSERT INTO marcas (Marca) VALUES ('ACME')");

    const std::string log = c.Corre(true);

    EXPECT_TRUE(c.EnEspejo("SELECT * FROM lineas").empty());
    EXPECT_EQ(c.EnEspejo("SELECT Marca FROM marcas"), std::vector<std::string>{"ACME"});
    EXPECT_TRUE(c.EnEspejo("SELECT * FROM sqlborrado").empty());
    EXPECT_EQ(Consulta(c.e.local, "concentradorqmx", "SELECT COUNT(*) FROM borrarycancelar"), "1");
    EXPECT_EQ(
        Consulta(c.e.local, c.e.baseLocal, "SELECT Contenido FROM configura WHERE Dato='cncEnviarConfigura'"),
        "1");
    EXPECT_EQ(c.FDDUA(), "2018-08-01 00:00:00");
    for (const char* etapa : {"SQLs borrado...", "Autoincrementales...", "Completas...", "Por Últ. act."})
        EXPECT_FALSE(c.VioEtapa(etapa)) << etapa;

    EXPECT_EQ(c.UltimoEnvio(), "2026-12-08|10:00:00");
    EXPECT_EQ(LeeRegistro("07_UltimoEnvio"), "2026-12-08 10:00:00");
    EXPECT_TRUE(Contiene(log, " - Inicia envío de información\r\n"));
    EXPECT_TRUE(Contiene(log, "empresas") &&
                Contiene(log, ".- Graba fecha y hora, finalización de envío de información."));
    EXPECT_TRUE(Contiene(log, " - Finaliza envío de información\r\n"));
    const std::string errores = c.m.carpeta.Lee("ErrorAlLeer.txt");
    EXPECT_TRUE(Contiene(errores, "Inicio, para bitácora de errores"));
    EXPECT_TRUE(Contiene(errores, "Fin de la bitácora de errores"));
    // The intake stages run, each announced by its progress line.
    EXPECT_EQ(LineasDe(log, "grupos"), std::vector<std::string>{"Grupos nuevos."});
    EXPECT_EQ(LineasDe(log, "usuarios"), std::vector<std::string>{"Usuarios nuevos."});
    // The window is tidied: busy label stopped, captions hidden.
    EXPECT_FALSE(c.ventana.temporizadores["Timer2"]);
    EXPECT_FALSE(c.ventana.visibles["TablaActual"]);
    EXPECT_FALSE(c.ventana.visibles["Progreso"]);

    // "Solamente RESPALDAR": the time is recorded, no intake starts.
    std::remove(c.m.carpeta.Archivo("ErrorAlLeer.txt").c_str());
    c.ventana.soloRespaldar = true;
    c.m.reloj.Pon({2026, 12, 8, 11, 30, 0});
    const std::string respaldo = c.Corre(true);
    EXPECT_EQ(c.UltimoEnvio(), "2026-12-08|11:30:00");
    EXPECT_TRUE(LineasDe(respaldo, "grupos").empty());
    EXPECT_FALSE(kvtx8::HayArchivo(c.m.carpeta.Archivo("ErrorAlLeer.txt")));
}

TEST(PasarTablasYrecibir, SendsOnlyTablesWithTheSameAutoincrementKeyOnBothSides) {
    REQUIERE_SERVIDORES();
    Ciclo c;
    // Recorded deletions go first, so the ESPEJO watermark of lineas drops before lineas is sent.
    c.Espejo("INSERT INTO lineas (Id, Linea) VALUES (50, 'VIEJA')");
    c.Local("INSERT INTO sqlborrado (Sentencia) VALUES ('DELETE FROM lineas WHERE Linea=''VIEJA''')");
    c.Local(
        "INSERT INTO lineas (Linea, FADUA) VALUES ('A', '2026-12-01 08:00:00'), ('B', '2026-12-01 "
        "08:00:00')");
    // Excluded, though it has an autoincrement key and a recent FADUA.
    c.Local("INSERT INTO comisiones (Vendedor, Renglon, FADUA) VALUES ('V1', 1, '2026-12-07 09:00:00')");
    // Its key is no autoincrement on the ESPEJO side.
    c.Espejo("ALTER TABLE marcas MODIFY Id INT NOT NULL");
    c.Local("INSERT INTO marcas (Marca, FADUA) VALUES ('M1', '2026-12-02 00:00:00')");
    // Missing on the ESPEJO side.
    c.Espejo("DROP TABLE medidas");
    c.Local("INSERT INTO medidas (Medida, FADUA) VALUES ('PZA', '2026-12-03 00:00:00')");
    // A name that needs quoting; not on the ESPEJO side, but its FADUA is the latest.
    c.Local("CREATE TABLE `raro'``nombre` (Id INT AUTO_INCREMENT PRIMARY KEY, FADUA DATETIME)");
    c.Local("INSERT INTO `raro'``nombre` (FADUA) VALUES ('2026-12-04 05:06:07')");
    c.Local(
        "INSERT INTO configura (Dato, Contenido, Tipo) VALUES ('cncEnviarConfigura', '0', 'N'), ('IVA', "
        "'16', 'N')");

    const std::string log = c.Corre();

    EXPECT_TRUE(c.EnEspejo("SELECT * FROM lineas WHERE Linea='VIEJA'").empty());
    EXPECT_EQ(c.EnEspejo("SELECT Id, Linea FROM lineas ORDER BY Id"),
              (std::vector<std::string>{"1|A", "2|B"}));
    EXPECT_EQ(c.EnEspejo("SELECT COUNT(*) FROM sqlborrado"), std::vector<std::string>{"1"});
    EXPECT_TRUE(c.EnEspejo("SELECT * FROM comisiones").empty());
    EXPECT_TRUE(c.EnEspejo("SELECT * FROM marcas").empty());
    EXPECT_TRUE(c.EnEspejo("SELECT * FROM configura").empty());
    EXPECT_TRUE(Contiene(log, ".- No se envía, no hay cambios."));

    EXPECT_EQ(LineasDe(log, "sqlborrado"),
              std::vector<std::string>{"enviando registros cuyo campo 'Id' sea mayor a 0."});
    EXPECT_EQ(LineasDe(log, "lineas"),
              (std::vector<std::string>{
                  "enviando registros cuyo campo 'Id' sea mayor a 0.",
                  "enviando registros cuyo campo cronológico sea mayor a 2018-08-01 00:00:00."}));
    for (const char* t : {"comisiones", "marcas", "medidas", "raro'`nombre"})
        EXPECT_TRUE(LineasDe(log, t).empty()) << t;

    const std::vector<std::string> orden = {"SQLs borrado...", "Autoincrementales...", "Completas...",
                                            "Cambios, borrados y cancelaciones", "Por Últ. act."};
    ASSERT_GE(c.ventana.etapas.size(), orden.size());
    EXPECT_EQ(std::vector<std::string>(c.ventana.etapas.begin(), c.ventana.etapas.begin() + 5), orden);

    // The scan ran over every table with FADUA but the excluded ones; nothing stopped, so the cut-off moves.
    EXPECT_TRUE(Contiene(log, ".- Tiempo menor: 2026-12-01 08:00:00."));
    EXPECT_TRUE(Contiene(log, ".- Tiempo mayor: 2026-12-04 05:06:07."));
    EXPECT_EQ(c.FDDUA(), "2026-12-04 05:06:07");
    EXPECT_EQ(c.UltimoEnvio(), "2026-12-08|10:00:00");
}

TEST(PasarTablasYrecibir, ConfiguraGoesOnlyWhenFlaggedAndTheFlagSurvivesAFailedCopy) {
    REQUIERE_SERVIDORES();
    Ciclo c;
    c.Local(
        "INSERT INTO configura (Dato, Contenido, Tipo) VALUES ('cncEnviarConfigura', '1', 'N'), ('IVA', "
        "'16', "
        "'N'), ('cncTipoSucursal', '0', 'N')");
    c.Espejo("INSERT INTO configura (Dato, Contenido, Tipo) VALUES ('IVA', '15', 'N')");

    const std::string log = c.Corre();
    EXPECT_EQ(c.EnEspejo("SELECT Dato, Contenido FROM configura ORDER BY Dato"),
              std::vector<std::string>{"IVA|16"});
    EXPECT_EQ(c.EnLocal("SELECT Contenido FROM configura WHERE Dato='cncEnviarConfigura'"),
              std::vector<std::string>{"0"});
    EXPECT_TRUE(Contiene(log, "configura") && Contiene(log, ".- Completa."));
    EXPECT_FALSE(Contiene(log, "No se envía, no hay cambios"));

    // The ESPEJO does not open: the copy stops, and the flag is raised again for the next cycle.
    c.Local("UPDATE configura SET Contenido='1' WHERE Dato='cncEnviarConfigura'");
    Mod.BDRemota.cMiBase = "espejo_ausente";
    Mod.SegundosReintento = 0;
    c.Corre();
    EXPECT_EQ(c.EnLocal("SELECT Contenido FROM configura WHERE Dato='cncEnviarConfigura'"),
              std::vector<std::string>{"1"});
}

TEST(PasarTablasYrecibir, TheCutOffMovesOnlyAfterACompleteLastUpdateStage) {
    REQUIERE_SERVIDORES();
    Ciclo c;
    c.Local(
        "INSERT INTO gastos (Id, Concepto, FADUA) VALUES (1, 'viejo', '2026-11-30 00:00:00'), "
        "(2, 'nuevo', '2026-12-05 10:00:00')");
    c.Espejo("INSERT INTO gastos (Id, Concepto) VALUES (1, 'antes'), (2, 'antes')");

    // No cut-off: nothing by timestamp, and it stays empty.
    c.PonFDDUA("");
    std::string log = c.Corre();
    EXPECT_FALSE(c.VioEtapa("Por Últ. act."));
    EXPECT_EQ(c.FDDUA(), "");
    EXPECT_TRUE(Contiene(log, ".- Valor obtenido: ."));

    // A cut-off after every FADUA: no bounds, stage passed over.
    c.PonFDDUA("2027-01-01 00:00:00");
    log = c.Corre();
    EXPECT_FALSE(c.VioEtapa("Por Últ. act."));
    EXPECT_EQ(c.FDDUA(), "2027-01-01 00:00:00");
    EXPECT_TRUE(Contiene(log, ".- Tiempo menor: ."));
    EXPECT_EQ(c.EnEspejo("SELECT Concepto FROM gastos ORDER BY Id"),
              (std::vector<std::string>{"antes", "antes"}));

    // The scan takes one second per table: the new cut-off is the latest FADUA moved back by that time.
    c.PonFDDUA("2026-12-01 00:00:00");
    int revisadas = 0;
    c.ventana.alMostrarTabla = [&](const std::string& t) {
        if (t.rfind("Verificando tiempo en ", 0) == 0) ++revisadas, c.m.reloj.Avanza(1);
    };
    log = c.Corre();
    EXPECT_TRUE(c.VioEtapa("Por Últ. act."));
    EXPECT_EQ(c.EnEspejo("SELECT Concepto FROM gastos ORDER BY Id"),
              (std::vector<std::string>{"antes", "nuevo"}));
    ASSERT_GT(revisadas, 50);
    EXPECT_TRUE(Contiene(
        log, ".- Segundos que tardó en obtener tiempo mínimo y máximo: -" + std::to_string(revisadas) + "."));
    const std::string esperado =
        kvtx8::Formato(kvtx8::SumaSegundos({2026, 12, 5, 10, 0, 0}, -revisadas), "yyyy-mm-dd hh:nn:ss");
    EXPECT_EQ(c.FDDUA(), esperado);
    EXPECT_TRUE(Contiene(log, ".- Tiempo mayor: " + esperado + "."));

    // Interrupted at the first table of the stage: later tables are not sent and the cut-off stays.
    c.PonFDDUA("2026-12-01 00:00:00");
    c.m.reloj.Pon({2026, 12, 8, 12, 0, 0});
    c.Local("UPDATE gastos SET Concepto='otra vez', FADUA='2026-12-06 00:00:00' WHERE Id=2");
    c.ventana.alMostrarTabla = [&](const std::string& t) {
        if (c.ventana.EtapaActual() == "Por Últ. act." && t == "ajustes")
            Mod.Detener = Mod.Interrumpir = true;
    };
    c.Corre();
    EXPECT_EQ(c.EnEspejo("SELECT Concepto FROM gastos WHERE Id=2"), std::vector<std::string>{"nuevo"});
    EXPECT_EQ(c.FDDUA(), "2026-12-01 00:00:00");
    EXPECT_FALSE(Mod.Detener);
    // The remaining stages still ran.
    EXPECT_EQ(c.UltimoEnvio(), "2026-12-08|12:00:00");
}

TEST(PasarTablasYrecibir, AlertsOfTypeOneAndTwoGoOncePerTypeAndOthersStay) {
    REQUIERE_SERVIDORES();
    Ciclo c;
    EjecutaSQL(
        c.e.hub, "concentradorqmx",
        "INSERT INTO alertassinarchivo (BaseDeDatos, TipoAlerta) VALUES ('espejo1', 3), ('espejo1', 2), "
        "('espejo1', 1), ('espejo1', 2), ('espejo1', 1), ('otra', 2)");
    EjecutaSQL(
        c.e.hub, c.matriz,
        "INSERT INTO monedas (Id, Nombre, Abreviacion, Paridad, Simbolo) VALUES (1, 'Peso', 'MXN', 1, '$'), "
        "(2, 'Dólar ''fuerte''', 'USD', 17.5, 'US$')");
    c.Local(
        "INSERT INTO monedas (Id, Nombre, Abreviacion, Paridad, Simbolo) VALUES (1, 'Pesos viejos', 'MXP', "
        "1, "
        "'$')");

    const std::string log = c.Corre(true);

    EXPECT_EQ(Filas(c.e.hub, "concentradorqmx",
                    "SELECT BaseDeDatos, TipoAlerta FROM alertassinarchivo ORDER BY BaseDeDatos, TipoAlerta"),
              (std::vector<std::string>{"espejo1|1", "espejo1|1", "espejo1|3", "otra|2"}));
    EXPECT_EQ(c.EnLocal("SELECT Id, Nombre, Abreviacion, Paridad, Simbolo FROM monedas ORDER BY Id"),
              (std::vector<std::string>{"1|Peso|MXN|1.000000|$", "2|Dólar 'fuerte'|USD|17.500000|US$"}));
    EXPECT_EQ(Veces(log, ".- " + std::string(10, ' ') + "Leyendo monedas desde matriz (matriz1)."), 1);
    EXPECT_EQ(Veces(log, "enviar_informacion"), 1);
    EXPECT_TRUE(Contiene(log, ".- Envío de productos a la empresa ESPEJO."));
    EXPECT_TRUE(
        Contiene(log,
                 " - Envío de productos a la empresa ESPEJO no disponible en esta versión; la alerta queda "
                 "pendiente\r\n"));
}

TEST(PasarTablasYrecibir, WithoutTheHubNothingIsReceivedNorRecorded) {
    REQUIERE_SERVIDORES();
    Ciclo c;
    c.Local("INSERT INTO lineas (Linea) VALUES ('A')");
    Mod.BDRemota.cPuerto = "1";  // nothing listens there
    Mod.SegundosReintento = 0;

    const std::string log = c.Corre();

    EXPECT_EQ(c.UltimoEnvio(), "2020-01-01|01:02:03");
    EXPECT_EQ(LeeRegistro("07_UltimoEnvio"), "");
    EXPECT_FALSE(kvtx8::HayArchivo(c.m.carpeta.Archivo("ErrorAlLeer.txt")));
    EXPECT_TRUE(LineasDe(log, "grupos").empty());
    EXPECT_FALSE(c.VioEtapa("Por Últ. act."));
    EXPECT_EQ(c.FDDUA(), "2018-08-01 00:00:00");
    EXPECT_EQ(c.EnLocal("SELECT Linea FROM lineas"), std::vector<std::string>{"A"});
    EXPECT_TRUE(Contiene(log, " - Finaliza envío de información\r\n"));
    EXPECT_FALSE(Mod.Detener);
}

TEST(PasarTablasYrecibir, AHubThatDiesMidCycleLosesNothingAndTheNextCycleCatchesUp) {
    REQUIERE_SERVIDORES();
    Ciclo c;
    CaidaDelHub caida;
    c.Local("INSERT INTO clientes (Clave, Nombre) VALUES ('C1', 'Uno'), ('C2', 'Dos')");
    c.Local("INSERT INTO lineas (Linea) VALUES ('L1')");
    c.Local("INSERT INTO marcas (Marca) VALUES ('M1'), ('M2')");
    c.Local("INSERT INTO productos (Clave, Descrip) VALUES ('P1', 'Martillo')");
    Mod.SegundosReintento = 0;

    // The hub goes down between two tables of the autoincrement stage.
    c.ventana.alMostrarTabla = [&](const std::string& t) {
        if (c.ventana.EtapaActual() == "Autoincrementales..." && t == "lineas") caida.Tira();
    };
    std::string log = c.Corre();
    caida.Levanta();
    c.ventana.alMostrarTabla = nullptr;
    EXPECT_TRUE(Contiene(log, " - Finaliza envío de información\r\n"));
    EXPECT_FALSE(Mod.Detener);
    EXPECT_EQ(c.EnEspejo("SELECT Clave FROM clientes ORDER BY Id"), (std::vector<std::string>{"C1", "C2"}));
    EXPECT_TRUE(c.EnEspejo("SELECT * FROM marcas").empty());
    EXPECT_EQ(c.EnLocal("SELECT COUNT(*) FROM marcas"), std::vector<std::string>{"2"});
    EXPECT_EQ(c.EnLocal("SELECT COUNT(*) FROM clientes"), std::vector<std::string>{"2"});
    EXPECT_EQ(c.FDDUA(), "2018-08-01 00:00:00");
    EXPECT_EQ(c.UltimoEnvio(), "2020-01-01|01:02:03");
    EXPECT_EQ(LeeRegistro("07_UltimoEnvio"), "");

    c.m.reloj.Pon({2026, 12, 8, 10, 0, 0});
    log = c.Corre();
    EXPECT_EQ(c.EnEspejo("SELECT Linea FROM lineas"), std::vector<std::string>{"L1"});
    EXPECT_EQ(c.EnEspejo("SELECT Marca FROM marcas ORDER BY Id"), (std::vector<std::string>{"M1", "M2"}));
    EXPECT_EQ(c.EnEspejo("SELECT Clave FROM productos"), std::vector<std::string>{"P1"});
    const std::string corte = c.FDDUA();
    EXPECT_GT(corte, "2018-08-01 00:00:00");
    EXPECT_EQ(c.UltimoEnvio(), "2026-12-08|10:00:00");

    // Down again in the middle of the last-update stage, while the local server stays up: the cut-off
    // must not pass rows of the tables that could not be reached.
    c.Local("UPDATE productos SET Descrip='Martillo grande', FADUA='2030-01-01 00:00:00' WHERE Clave='P1'");
    c.ventana.alMostrarTabla = [&](const std::string& t) {
        if (c.ventana.EtapaActual() == "Por Últ. act." && t == "lineas") caida.Tira();
    };
    c.Corre();
    caida.Levanta();
    c.ventana.alMostrarTabla = nullptr;
    EXPECT_EQ(c.FDDUA(), corte);

    c.Corre();
    EXPECT_EQ(c.EnEspejo("SELECT Clave, Descrip FROM productos"),
              std::vector<std::string>{"P1|Martillo grande"});
    EXPECT_EQ(c.FDDUA(), "2030-01-01 00:00:00");
}

TEST(PasarTablasYrecibir, ALocalReadThatFailsMidTableKeepsTheCutOffAndTheNextCycleSendsTheRest) {
    REQUIERE_SERVIDORES();
    Ciclo c;
    // More changed rows than one block: the export walks them a block at a time.
    std::string filas, antes;
    for (int i = 1; i <= 150; ++i) {
        const std::string id = std::to_string(i), coma = i > 1 ? "," : "";
        filas += coma + "(" + id + ",'c" + id + "','2026-12-05 10:00:00')";
        antes += coma + "(" + id + ",'antes')";
    }
    c.Local("INSERT INTO gastos (Id, Concepto, FADUA) VALUES " + filas);
    c.Espejo("INSERT INTO gastos (Id, Concepto) VALUES " + antes);

    // The second block cannot be read (the column it asks for is gone for a moment).
    bool roto = false;
    c.ventana.alMostrarTabla = [&](const std::string& t) {
        if (!roto && t == "GASTOS\nCopiando Id 100") {
            c.Local("ALTER TABLE gastos CHANGE FADUA FADUA2 DATETIME NULL");
            roto = true;
        }
    };
    c.Corre();
    EXPECT_TRUE(roto);
    EXPECT_EQ(c.EnEspejo("SELECT COUNT(*) FROM gastos WHERE Concepto='antes'"),
              std::vector<std::string>{"50"});
    EXPECT_EQ(c.FDDUA(), "2018-08-01 00:00:00");
    EXPECT_TRUE(Contiene(c.m.carpeta.Lee("RegistrosConProblema.txt"), " .- No se copió gastos, Id : "));

    c.Local("ALTER TABLE gastos CHANGE FADUA2 FADUA DATETIME NULL");
    c.ventana.alMostrarTabla = nullptr;
    c.Corre();
    EXPECT_EQ(c.EnEspejo("SELECT COUNT(*) FROM gastos WHERE Concepto='antes'"),
              std::vector<std::string>{"0"});
    EXPECT_NE(c.FDDUA(), "2018-08-01 00:00:00");
}

TEST(PasarTablasYrecibir, ConfiguraKeepsItsFlagWhenABlockOfTheCopyCannotBeRead) {
    REQUIERE_SERVIDORES();
    Ciclo c;
    std::string filas = "('cncEnviarConfigura', '1', 'N')";
    for (int i = 100; i < 250; ++i) filas += ",('dato" + std::to_string(i) + "', 'v', 'C')";
    c.Local("INSERT INTO configura (Dato, Contenido, Tipo) VALUES " + filas);

    // The walk ends after the first block without a word from the reader.
    bool roto = false;
    c.ventana.alMostrarTabla = [&](const std::string& t) {
        if (!roto && t.rfind("CONFIGURA. Registro 100 de", 0) == 0) {
            c.Local("ALTER TABLE configura CHANGE Dato Dato2 VARCHAR(60) NOT NULL DEFAULT ''");
            roto = true;
        }
    };
    c.Corre();
    EXPECT_TRUE(roto);
    c.Local("ALTER TABLE configura CHANGE Dato2 Dato VARCHAR(60) NOT NULL DEFAULT ''");
    EXPECT_EQ(c.EnEspejo("SELECT COUNT(*) FROM configura"), std::vector<std::string>{"100"});
    // Still marked as being copied (the table could not even be written back): raised for the next cycle.
    EXPECT_EQ(c.EnLocal("SELECT Contenido FROM configura WHERE Dato='cncEnviarConfigura'"),
              std::vector<std::string>{"2"});

    c.ventana.alMostrarTabla = nullptr;
    c.Corre();
    EXPECT_EQ(c.EnEspejo("SELECT COUNT(*) FROM configura"), std::vector<std::string>{"150"});
    EXPECT_EQ(c.EnLocal("SELECT Contenido FROM configura WHERE Dato='cncEnviarConfigura'"),
              std::vector<std::string>{"0"});
}
