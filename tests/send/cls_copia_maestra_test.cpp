#include "send/cls_copia_maestra.h"

#include <gtest/gtest.h>

#include "core/shared_routines.h"
#include "support/escenario.h"

using namespace cnc;
using prueba::Consulta;
using prueba::Filas;

namespace {

// This company beside its hub as the connection call hands it over: registered as client 07, last sent
// on 2020-01-01, cut-off in August 2018.
void Prepara(prueba::Escenario& c) {
    c.ApuntaAServidores();
    Mod.Prefijo = "07";
    c.Hub(
        "INSERT INTO empresas (BaseDeDatos, FechaUltimoEnvio, HoraUltimoEnvio) "
        "VALUES ('espejo1', '2020-01-01', '01:02:03')");
    c.PonFDDUA("2018-08-01 00:00:00");
}

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

}  // namespace

TEST(PasarTablasYrecibir, ReceiveOnlyLeavesEspejoAloneAndRecordsTheSendTime) {
    REQUIERE_SERVIDORES();
    prueba::Escenario c;
    Prepara(c);
    c.Local("datos1", "INSERT INTO lineas (Linea) VALUES ('HERRAMIENTA')");
    c.Local("datos1", "INSERT INTO sqlborrado (Sentencia) VALUES ('DELETE FROM marcas')");
    c.Local("datos1",
            "INSERT INTO configura (Dato, Contenido, Tipo) VALUES ('cncEnviarConfigura', '1', 'N')");
    c.Local("concentradorqmx", "INSERT INTO borrarycancelar (Accion, Identificador) VALUES (12, '5')");
    c.Espejo("INSERT INTO marcas (Marca) VALUES ('ACME')");

    const std::string log = c.PasarTablasYrecibir(true);

    EXPECT_TRUE(c.EnEspejo("SELECT * FROM lineas").empty());
    EXPECT_EQ(c.EnEspejo("SELECT Marca FROM marcas"), std::vector<std::string>{"ACME"});
    EXPECT_TRUE(c.EnEspejo("SELECT * FROM sqlborrado").empty());
    EXPECT_EQ(Consulta(c.local, "concentradorqmx", "SELECT COUNT(*) FROM borrarycancelar"), "1");
    EXPECT_EQ(
        Consulta(c.local, c.baseLocal, "SELECT Contenido FROM configura WHERE Dato='cncEnviarConfigura'"),
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
    EXPECT_FALSE(c.m.ventana.temporizadores["Timer2"]);
    EXPECT_FALSE(c.m.ventana.visibles["TablaActual"]);
    EXPECT_FALSE(c.m.ventana.visibles["Progreso"]);

    // "Solamente RESPALDAR": the time is recorded, no intake starts.
    std::remove(c.m.carpeta.Archivo("ErrorAlLeer.txt").c_str());
    c.m.ventana.soloRespaldar = true;
    c.m.reloj.Pon({2026, 12, 8, 11, 30, 0});
    const std::string respaldo = c.PasarTablasYrecibir(true);
    EXPECT_EQ(c.UltimoEnvio(), "2026-12-08|11:30:00");
    EXPECT_TRUE(LineasDe(respaldo, "grupos").empty());
    EXPECT_FALSE(kvtx8::HayArchivo(c.m.carpeta.Archivo("ErrorAlLeer.txt")));
}

TEST(PasarTablasYrecibir, SendsOnlyTablesWithTheSameAutoincrementKeyOnBothSides) {
    REQUIERE_SERVIDORES();
    prueba::Escenario c;
    Prepara(c);
    // Recorded deletions go first, so the ESPEJO watermark of lineas drops before lineas is sent.
    c.Espejo("INSERT INTO lineas (Id, Linea) VALUES (50, 'VIEJA')");
    c.Local("datos1",
            "INSERT INTO sqlborrado (Sentencia) VALUES ('DELETE FROM lineas WHERE Linea=''VIEJA''')");
    c.Local("datos1",
            "INSERT INTO lineas (Linea, FADUA) VALUES ('A', '2026-12-01 08:00:00'), ('B', '2026-12-01 "
            "08:00:00')");
    // Excluded, though it has an autoincrement key and a recent FADUA.
    c.Local("datos1",
            "INSERT INTO comisiones (Vendedor, Renglon, FADUA) VALUES ('V1', 1, '2026-12-07 09:00:00')");
    // Its key is no autoincrement on the ESPEJO side.
    c.Espejo("ALTER TABLE marcas MODIFY Id INT NOT NULL");
    c.Local("datos1", "INSERT INTO marcas (Marca, FADUA) VALUES ('M1', '2026-12-02 00:00:00')");
    // Missing on the ESPEJO side.
    c.Espejo("DROP TABLE medidas");
    c.Local("datos1", "INSERT INTO medidas (Medida, FADUA) VALUES ('PZA', '2026-12-03 00:00:00')");
    // A name that needs quoting; not on the ESPEJO side, but its FADUA is the latest.
    c.Local("datos1", "CREATE TABLE `raro'``nombre` (Id INT AUTO_INCREMENT PRIMARY KEY, FADUA DATETIME)");
    c.Local("datos1", "INSERT INTO `raro'``nombre` (FADUA) VALUES ('2026-12-04 05:06:07')");
    c.Local("datos1",
            "INSERT INTO configura (Dato, Contenido, Tipo) VALUES ('cncEnviarConfigura', '0', 'N'), ('IVA', "
            "'16', 'N')");

    const std::string log = c.PasarTablasYrecibir();

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
    ASSERT_GE(c.m.ventana.etapas.size(), orden.size());
    EXPECT_EQ(std::vector<std::string>(c.m.ventana.etapas.begin(), c.m.ventana.etapas.begin() + 5), orden);

    // The scan ran over every table with FADUA but the excluded ones; nothing stopped, so the cut-off moves.
    EXPECT_TRUE(Contiene(log, ".- Tiempo menor: 2026-12-01 08:00:00."));
    EXPECT_TRUE(Contiene(log, ".- Tiempo mayor: 2026-12-04 05:06:07."));
    EXPECT_EQ(c.FDDUA(), "2026-12-04 05:06:07");
    EXPECT_EQ(c.UltimoEnvio(), "2026-12-08|10:00:00");
}

TEST(PasarTablasYrecibir, ConfiguraGoesOnlyWhenFlaggedAndTheFlagSurvivesAFailedCopy) {
    REQUIERE_SERVIDORES();
    prueba::Escenario c;
    Prepara(c);
    c.Local("datos1",
            "INSERT INTO configura (Dato, Contenido, Tipo) VALUES ('cncEnviarConfigura', '1', 'N'), ('IVA', "
            "'16', "
            "'N'), ('cncTipoSucursal', '0', 'N')");
    c.Espejo("INSERT INTO configura (Dato, Contenido, Tipo) VALUES ('IVA', '15', 'N')");

    const std::string log = c.PasarTablasYrecibir();
    EXPECT_EQ(c.EnEspejo("SELECT Dato, Contenido FROM configura ORDER BY Dato"),
              std::vector<std::string>{"IVA|16"});
    EXPECT_EQ(c.EnLocal("datos1", "SELECT Contenido FROM configura WHERE Dato='cncEnviarConfigura'"),
              std::vector<std::string>{"0"});
    EXPECT_TRUE(Contiene(log, "configura") && Contiene(log, ".- Completa."));
    EXPECT_FALSE(Contiene(log, "No se envía, no hay cambios"));

    // The ESPEJO does not open: the copy stops, and the flag is raised again for the next cycle.
    c.Local("datos1", "UPDATE configura SET Contenido='1' WHERE Dato='cncEnviarConfigura'");
    Mod.BDRemota.cMiBase = "espejo_ausente";
    Mod.SegundosReintento = 0;
    c.PasarTablasYrecibir();
    EXPECT_EQ(c.EnLocal("datos1", "SELECT Contenido FROM configura WHERE Dato='cncEnviarConfigura'"),
              std::vector<std::string>{"1"});
}

TEST(PasarTablasYrecibir, TheCutOffMovesOnlyAfterACompleteLastUpdateStage) {
    REQUIERE_SERVIDORES();
    prueba::Escenario c;
    Prepara(c);
    c.Local("datos1",
            "INSERT INTO gastos (Id, Concepto, FADUA) VALUES (1, 'viejo', '2026-11-30 00:00:00'), "
            "(2, 'nuevo', '2026-12-05 10:00:00')");
    c.Espejo("INSERT INTO gastos (Id, Concepto) VALUES (1, 'antes'), (2, 'antes')");

    // No cut-off: nothing by timestamp, and it stays empty.
    c.PonFDDUA("");
    std::string log = c.PasarTablasYrecibir();
    EXPECT_FALSE(c.VioEtapa("Por Últ. act."));
    EXPECT_EQ(c.FDDUA(), "");
    EXPECT_TRUE(Contiene(log, ".- Valor obtenido: ."));

    // A cut-off after every FADUA: no bounds, stage passed over.
    c.PonFDDUA("2027-01-01 00:00:00");
    log = c.PasarTablasYrecibir();
    EXPECT_FALSE(c.VioEtapa("Por Últ. act."));
    EXPECT_EQ(c.FDDUA(), "2027-01-01 00:00:00");
    EXPECT_TRUE(Contiene(log, ".- Tiempo menor: ."));
    EXPECT_EQ(c.EnEspejo("SELECT Concepto FROM gastos ORDER BY Id"),
              (std::vector<std::string>{"antes", "antes"}));

    // The scan takes one second per table: the new cut-off is the latest FADUA moved back by that time.
    c.PonFDDUA("2026-12-01 00:00:00");
    int revisadas = 0;
    c.m.ventana.alMostrarTabla = [&](const std::string& t) {
        if (t.rfind("Verificando tiempo en ", 0) == 0) ++revisadas, c.m.reloj.Avanza(1);
    };
    log = c.PasarTablasYrecibir();
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
    c.Local("datos1", "UPDATE gastos SET Concepto='otra vez', FADUA='2026-12-06 00:00:00' WHERE Id=2");
    c.m.ventana.alMostrarTabla = [&](const std::string& t) {
        if (c.m.ventana.EtapaActual() == "Por Últ. act." && t == "ajustes")
            Mod.Detener = Mod.Interrumpir = true;
    };
    c.PasarTablasYrecibir();
    EXPECT_EQ(c.EnEspejo("SELECT Concepto FROM gastos WHERE Id=2"), std::vector<std::string>{"nuevo"});
    EXPECT_EQ(c.FDDUA(), "2026-12-01 00:00:00");
    EXPECT_FALSE(Mod.Detener);
    // The remaining stages still ran.
    EXPECT_EQ(c.UltimoEnvio(), "2026-12-08|12:00:00");
}

TEST(PasarTablasYrecibir, AlertsOfTypeOneAndTwoGoOncePerTypeAndOthersStay) {
    REQUIERE_SERVIDORES();
    prueba::Escenario c;
    Prepara(c);
    c.Hub("concentradorqmx",
          "INSERT INTO alertassinarchivo (BaseDeDatos, TipoAlerta) VALUES ('espejo1', 3), ('espejo1', 2), "
          "('espejo1', 1), ('espejo1', 2), ('espejo1', 1), ('otra', 2)");
    c.Hub(
        c.matriz,
        "INSERT INTO monedas (Id, Nombre, Abreviacion, Paridad, Simbolo) VALUES (1, 'Peso', 'MXN', 1, '$'), "
        "(2, 'Dólar ''fuerte''', 'USD', 17.5, 'US$')");
    c.Local(
        "datos1",
        "INSERT INTO monedas (Id, Nombre, Abreviacion, Paridad, Simbolo) VALUES (1, 'Pesos viejos', 'MXP', "
        "1, "
        "'$')");
    c.Local("datos1", "INSERT INTO productos (Clave, Descrip) VALUES ('P''ARK', 'pedido por el hub')");

    const std::string log = c.PasarTablasYrecibir(true);

    EXPECT_EQ(Filas(c.hub, "concentradorqmx",
                    "SELECT BaseDeDatos, TipoAlerta FROM alertassinarchivo ORDER BY BaseDeDatos, TipoAlerta"),
              (std::vector<std::string>{"espejo1|3", "otra|2"}));
    EXPECT_EQ(
        c.EnLocal("datos1", "SELECT Id, Nombre, Abreviacion, Paridad, Simbolo FROM monedas ORDER BY Id"),
        (std::vector<std::string>{"1|Peso|MXN|1.000000|$", "2|Dólar 'fuerte'|USD|17.500000|US$"}));
    EXPECT_EQ(Veces(log, ".- " + std::string(10, ' ') + "Leyendo monedas desde matriz (matriz1)."), 1);
    EXPECT_EQ(Veces(log, "enviar_informacion"), 1);
    EXPECT_TRUE(Contiene(log, ".- Envío de productos a la empresa ESPEJO."));
    // Type 1 sends every product to the ESPEJO, once.
    EXPECT_EQ(c.EnEspejo("SELECT Clave, Descrip FROM productos"),
              std::vector<std::string>{"P'ARK|pedido por el hub"});
    EXPECT_EQ(Veces(log, " - Inicia envío de productos\r\n"), 1);
    EXPECT_EQ(Veces(log, " - Finaliza envío de productos\r\n"), 1);
}

TEST(PasarTablasYrecibir, WithoutTheHubNothingIsReceivedNorRecorded) {
    REQUIERE_SERVIDORES();
    prueba::Escenario c;
    Prepara(c);
    c.Local("datos1", "INSERT INTO lineas (Linea) VALUES ('A')");
    Mod.BDRemota.cPuerto = "1";  // nothing listens there
    Mod.SegundosReintento = 0;

    const std::string log = c.PasarTablasYrecibir();

    EXPECT_EQ(c.UltimoEnvio(), "2020-01-01|01:02:03");
    EXPECT_EQ(LeeRegistro("07_UltimoEnvio"), "");
    EXPECT_FALSE(kvtx8::HayArchivo(c.m.carpeta.Archivo("ErrorAlLeer.txt")));
    EXPECT_TRUE(LineasDe(log, "grupos").empty());
    EXPECT_FALSE(c.VioEtapa("Por Últ. act."));
    EXPECT_EQ(c.FDDUA(), "2018-08-01 00:00:00");
    EXPECT_EQ(c.EnLocal("datos1", "SELECT Linea FROM lineas"), std::vector<std::string>{"A"});
    EXPECT_TRUE(Contiene(log, " - Finaliza envío de información\r\n"));
    EXPECT_FALSE(Mod.Detener);
}

TEST(PasarTablasYrecibir, AHubThatDiesMidCycleLosesNothingAndTheNextCycleCatchesUp) {
    REQUIERE_SERVIDORES();
    prueba::Escenario c;
    Prepara(c);
    prueba::Caida caida("hub");
    c.Local("datos1", "INSERT INTO clientes (Clave, Nombre) VALUES ('C1', 'Uno'), ('C2', 'Dos')");
    c.Local("datos1", "INSERT INTO lineas (Linea) VALUES ('L1')");
    c.Local("datos1", "INSERT INTO marcas (Marca) VALUES ('M1'), ('M2')");
    c.Local("datos1", "INSERT INTO productos (Clave, Descrip) VALUES ('P1', 'Martillo')");
    Mod.SegundosReintento = 0;

    // The hub goes down between two tables of the autoincrement stage.
    c.m.ventana.alMostrarTabla = [&](const std::string& t) {
        if (c.m.ventana.EtapaActual() == "Autoincrementales..." && t == "lineas") caida.Mata();
    };
    std::string log = c.PasarTablasYrecibir();
    caida.Revive();
    c.m.ventana.alMostrarTabla = nullptr;
    EXPECT_TRUE(Contiene(log, " - Finaliza envío de información\r\n"));
    EXPECT_FALSE(Mod.Detener);
    EXPECT_EQ(c.EnEspejo("SELECT Clave FROM clientes ORDER BY Id"), (std::vector<std::string>{"C1", "C2"}));
    EXPECT_TRUE(c.EnEspejo("SELECT * FROM marcas").empty());
    EXPECT_EQ(c.EnLocal("datos1", "SELECT COUNT(*) FROM marcas"), std::vector<std::string>{"2"});
    EXPECT_EQ(c.EnLocal("datos1", "SELECT COUNT(*) FROM clientes"), std::vector<std::string>{"2"});
    EXPECT_EQ(c.FDDUA(), "2018-08-01 00:00:00");
    EXPECT_EQ(c.UltimoEnvio(), "2020-01-01|01:02:03");
    EXPECT_EQ(LeeRegistro("07_UltimoEnvio"), "");

    c.m.reloj.Pon({2026, 12, 8, 10, 0, 0});
    log = c.PasarTablasYrecibir();
    EXPECT_EQ(c.EnEspejo("SELECT Linea FROM lineas"), std::vector<std::string>{"L1"});
    EXPECT_EQ(c.EnEspejo("SELECT Marca FROM marcas ORDER BY Id"), (std::vector<std::string>{"M1", "M2"}));
    EXPECT_EQ(c.EnEspejo("SELECT Clave FROM productos"), std::vector<std::string>{"P1"});
    const std::string corte = c.FDDUA();
    EXPECT_GT(corte, "2018-08-01 00:00:00");
    EXPECT_EQ(c.UltimoEnvio(), "2026-12-08|10:00:00");

    // Down again in the middle of the last-update stage, while the local server stays up: the cut-off
    // must not pass rows of the tables that could not be reached.
    c.Local("datos1",
            "UPDATE productos SET Descrip='Martillo grande', FADUA='2030-01-01 00:00:00' WHERE Clave='P1'");
    c.m.ventana.alMostrarTabla = [&](const std::string& t) {
        if (c.m.ventana.EtapaActual() == "Por Últ. act." && t == "lineas") caida.Mata();
    };
    c.PasarTablasYrecibir();
    caida.Revive();
    c.m.ventana.alMostrarTabla = nullptr;
    EXPECT_EQ(c.FDDUA(), corte);

    c.PasarTablasYrecibir();
    EXPECT_EQ(c.EnEspejo("SELECT Clave, Descrip FROM productos"),
              std::vector<std::string>{"P1|Martillo grande"});
    EXPECT_EQ(c.FDDUA(), "2030-01-01 00:00:00");
}

TEST(PasarTablasYrecibir, AHubLostDuringTheDeletionsLeavesTheRestOfTheSendingForTheNextCycle) {
    REQUIERE_SERVIDORES();
    prueba::Escenario c;
    Prepara(c);
    prueba::Caida caida("hub");
    // ESPEJO holds a row above every local one that a deletion statement removes: until it runs, the
    // largest ESPEJO key hides the local rows from the autoincrement stage.
    c.Espejo("INSERT INTO marcas (Id, Marca) VALUES (5, 'Borrada')");
    c.Local("datos1", "INSERT INTO marcas (Marca) VALUES ('M1'), ('M2')");
    c.Local("datos1", "INSERT INTO sqlborrado (Sentencia) VALUES ('DELETE FROM marcas WHERE Id=5')");
    Mod.SegundosReintento = 0;

    // The hub goes as the deletion is sent, and is back for the stages after it.
    bool caido = false;
    c.m.ventana.alMostrarTabla = [&](const std::string&) {
        const bool borrando = c.m.ventana.EtapaActual() == "SQLs borrado...";
        if (borrando && !caido) caida.Mata();
        if (!borrando && caido) caida.Revive();
        caido = borrando;
    };
    c.PasarTablasYrecibir();
    if (caido) caida.Revive();
    c.m.ventana.alMostrarTabla = nullptr;
    EXPECT_EQ(c.EnEspejo("SELECT Id, Marca FROM marcas ORDER BY Id"), std::vector<std::string>{"5|Borrada"});
    EXPECT_EQ(c.FDDUA(), "2018-08-01 00:00:00");

    // The next cycle replays the deletion first, and the rows go under their own keys.
    c.PasarTablasYrecibir();
    EXPECT_EQ(c.EnEspejo("SELECT Id, Marca FROM marcas ORDER BY Id"),
              (std::vector<std::string>{"1|M1", "2|M2"}));

    // Lost at a table of the autoincrement stage and back for the next one: the last-update stage does
    // not add the row that stage did not send under a key of ESPEJO's own.
    c.Local("datos1", "INSERT INTO marcas (Marca) VALUES ('M3')");
    c.m.ventana.alMostrarTabla = [&](const std::string& t) {
        const bool cae = c.m.ventana.EtapaActual() == "Autoincrementales..." && t == "marcas";
        if (cae && !caido) caida.Mata();
        if (!cae && caido) caida.Revive();
        caido = cae;
    };
    c.PasarTablasYrecibir();
    if (caido) caida.Revive();
    c.m.ventana.alMostrarTabla = nullptr;
    c.PasarTablasYrecibir();
    EXPECT_EQ(c.EnEspejo("SELECT Id, Marca FROM marcas ORDER BY Id"),
              (std::vector<std::string>{"1|M1", "2|M2", "3|M3"}));

    // Only the ESPEJO connection lost during the deletions, the hub itself still there: nothing is
    // received either, and the whole catalogue, which goes after the rows of the sending, waits with them.
    c.Local("datos1", "INSERT INTO sqlborrado (Sentencia) VALUES ('DELETE FROM marcas WHERE Id=99')");
    c.Hub("concentradorqmx", "INSERT INTO alertassinarchivo (BaseDeDatos, TipoAlerta) VALUES ('espejo1', 1)");
    const std::string enviado = c.UltimoEnvio();
    c.m.reloj.Avanza(60);
    bool cortada = false;
    c.m.ventana.alMostrarTabla = [&](const std::string&) {
        if (cortada || c.m.ventana.EtapaActual() != "SQLs borrado...") return;
        cortada = true;
        for (const auto& id :
             Filas(c.hub, "", "SELECT ID FROM information_schema.PROCESSLIST WHERE DB='espejo1'"))
            prueba::EjecutaSQL(c.hub, "", "KILL CONNECTION " + id);
    };
    std::string log = c.PasarTablasYrecibir();
    c.m.ventana.alMostrarTabla = nullptr;
    EXPECT_TRUE(cortada);
    EXPECT_TRUE(LineasDe(log, "grupos").empty());
    EXPECT_EQ(c.UltimoEnvio(), enviado);
    EXPECT_EQ(c.EnHub("concentradorqmx", "SELECT COUNT(*) FROM alertassinarchivo"),
              std::vector<std::string>{"1"});
    c.PasarTablasYrecibir();
    EXPECT_EQ(c.EnHub("concentradorqmx", "SELECT COUNT(*) FROM alertassinarchivo"),
              std::vector<std::string>{"0"});

    // Lost as the lines go, and back for the next table, with a MATRIZ product queued whose line ESPEJO
    // lacks: copied in that cycle, that line would take ESPEJO's next number, the key of a local line not
    // sent yet, and that local line would never reach ESPEJO under its own key.
    c.Local("datos1", "INSERT INTO lineas (Id, Linea) VALUES (1, 'L1')");
    c.Hub(c.matriz,
          "INSERT INTO lineas (Id, Linea) VALUES (4, 'Importados');"
          "INSERT INTO productos (Clave, Descrip, Linea) VALUES ('MZ', 'De la matriz', 4)");
    c.Hub("concentradorqmx",
          "INSERT INTO listaprecios (Id, Producto, lista, Precio) VALUES (1, 'MZ', 1, 10);"
          "INSERT INTO pendientesldp (BaseDeDatos, IdLDP) VALUES ('espejo1', 1)");
    c.m.ventana.alMostrarTabla = [&](const std::string& t) {
        const bool cae = c.m.ventana.EtapaActual() == "Autoincrementales..." && t == "lineas";
        if (cae && !caido) caida.Mata();
        if (!cae && caido) caida.Revive();
        caido = cae;
    };
    log = c.PasarTablasYrecibir();
    if (caido) caida.Revive();
    c.m.ventana.alMostrarTabla = nullptr;
    EXPECT_FALSE(Contiene(log, ".- Listas de precios."));
    EXPECT_EQ(c.EnHub("concentradorqmx", "SELECT COUNT(*) FROM pendientesldp"), std::vector<std::string>{"1"});
    for (int i = 0; i < 2; ++i) c.PasarTablasYrecibir();
    EXPECT_EQ(c.EnHub("concentradorqmx", "SELECT COUNT(*) FROM pendientesldp"), std::vector<std::string>{"0"});
    EXPECT_EQ(c.EnLocal("datos1", "SELECT Id, Linea FROM lineas ORDER BY Id"),
              (std::vector<std::string>{"1|L1", "2|Importados"}));
    EXPECT_EQ(c.EnEspejo("SELECT Id, Linea FROM lineas ORDER BY Id"),
              (std::vector<std::string>{"1|L1", "2|Importados"}));
}

TEST(PasarTablasYrecibir, ALocalReadThatFailsMidTableKeepsTheCutOffAndTheNextCycleSendsTheRest) {
    REQUIERE_SERVIDORES();
    prueba::Escenario c;
    Prepara(c);
    // More changed rows than one block: the export walks them a block at a time.
    std::string filas, antes;
    for (int i = 1; i <= 150; ++i) {
        const std::string id = std::to_string(i), coma = i > 1 ? "," : "";
        filas += coma + "(" + id + ",'c" + id + "','2026-12-05 10:00:00')";
        antes += coma + "(" + id + ",'antes')";
    }
    c.Local("datos1", "INSERT INTO gastos (Id, Concepto, FADUA) VALUES " + filas);
    c.Espejo("INSERT INTO gastos (Id, Concepto) VALUES " + antes);

    // The second block cannot be read (the column it asks for is gone for a moment).
    bool roto = false;
    c.m.ventana.alMostrarTabla = [&](const std::string& t) {
        if (!roto && t == "GASTOS\nCopiando Id 100") {
            c.Local("datos1", "ALTER TABLE gastos CHANGE FADUA FADUA2 DATETIME NULL");
            roto = true;
        }
    };
    c.PasarTablasYrecibir();
    EXPECT_TRUE(roto);
    EXPECT_EQ(c.EnEspejo("SELECT COUNT(*) FROM gastos WHERE Concepto='antes'"),
              std::vector<std::string>{"50"});
    EXPECT_EQ(c.FDDUA(), "2018-08-01 00:00:00");
    EXPECT_TRUE(Contiene(c.m.carpeta.Lee("RegistrosConProblema.txt"), " .- No se copió gastos, Id : "));

    c.Local("datos1", "ALTER TABLE gastos CHANGE FADUA2 FADUA DATETIME NULL");
    c.m.ventana.alMostrarTabla = nullptr;
    c.PasarTablasYrecibir();
    EXPECT_EQ(c.EnEspejo("SELECT COUNT(*) FROM gastos WHERE Concepto='antes'"),
              std::vector<std::string>{"0"});
    EXPECT_NE(c.FDDUA(), "2018-08-01 00:00:00");
}

TEST(PasarTablasYrecibir, ConfiguraKeepsItsFlagWhenABlockOfTheCopyCannotBeRead) {
    REQUIERE_SERVIDORES();
    prueba::Escenario c;
    Prepara(c);
    std::string filas = "('cncEnviarConfigura', '1', 'N')";
    for (int i = 100; i < 250; ++i) filas += ",('dato" + std::to_string(i) + "', 'v', 'C')";
    c.Local("datos1", "INSERT INTO configura (Dato, Contenido, Tipo) VALUES " + filas);

    // The walk ends after the first block without a word from the reader.
    bool roto = false;
    c.m.ventana.alMostrarTabla = [&](const std::string& t) {
        if (!roto && t.rfind("CONFIGURA. Registro 100 de", 0) == 0) {
            c.Local("datos1", "ALTER TABLE configura CHANGE Dato Dato2 VARCHAR(60) NOT NULL DEFAULT ''");
            roto = true;
        }
    };
    c.PasarTablasYrecibir();
    EXPECT_TRUE(roto);
    c.Local("datos1", "ALTER TABLE configura CHANGE Dato2 Dato VARCHAR(60) NOT NULL DEFAULT ''");
    EXPECT_EQ(c.EnEspejo("SELECT COUNT(*) FROM configura"), std::vector<std::string>{"100"});
    // Still marked as being copied (the table could not even be written back): raised for the next cycle.
    EXPECT_EQ(c.EnLocal("datos1", "SELECT Contenido FROM configura WHERE Dato='cncEnviarConfigura'"),
              std::vector<std::string>{"2"});

    c.m.ventana.alMostrarTabla = nullptr;
    c.PasarTablasYrecibir();
    EXPECT_EQ(c.EnEspejo("SELECT COUNT(*) FROM configura"), std::vector<std::string>{"150"});
    EXPECT_EQ(c.EnLocal("datos1", "SELECT Contenido FROM configura WHERE Dato='cncEnviarConfigura'"),
              std::vector<std::string>{"0"});
}
