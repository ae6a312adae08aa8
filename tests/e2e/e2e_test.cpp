// The real program, headless, through whole runs on the demo group: what a branch meets in the field.
#include <signal.h>
#include <unistd.h>

#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>

#include <gtest/gtest.h>

#include "support/escenario.h"

using prueba::Consulta;

namespace {

const char* const kTablas[] = {"lineas",   "marcas",     "monedas",         "productos",
                               "clientes", "vendedores", "historicoalmacen"};

class E2E : public ::testing::Test {
  protected:
    void SetUp() override {
        REQUIERE_SERVIDORES();
        g = std::make_unique<prueba::Escenario>(prueba::kDemo);
    }
    std::string Local(const std::string& base, const std::string& sql) {
        return Consulta(g->local, base, sql);
    }
    std::string Hub(const std::string& base, const std::string& sql) { return Consulta(g->hub, base, sql); }
    // The first local row, its columns joined by '|'.
    std::string Fila(const std::string& sql) {
        const auto filas = prueba::Filas(g->local, "datos1", sql);
        return filas.empty() ? "" : filas[0];
    }
    std::string Cuenta(const prueba::Servidor& s, const std::string& base, const std::string& tabla) {
        return Consulta(s, base, "SELECT COUNT(*) FROM " + tabla);
    }
    // A fingerprint of a table's rows that both sides must share once the copy is complete.
    std::string Huella(const prueba::Servidor& s, const std::string& base, const std::string& tabla,
                       const std::string& columnas) {
        return Consulta(
            s, base,
            "SELECT CONCAT(COUNT(*), ':', COUNT(DISTINCT Id), ':', IFNULL(SUM(CRC32(CONCAT_WS('|'," +
                columnas + "))), 0)) FROM " + tabla);
    }
    std::string Fddua() {
        return Local("concentradorqmx", "SELECT Contenido FROM configuracion WHERE Dato='FDDUA'");
    }
    int Avisos(const std::string& texto) {
        return std::stoi(
            Local("concentradorqmx",
                  "SELECT COUNT(*) FROM avisos WHERE CAST(DECODE(Aviso, CAST(Metodo AS CHAR)) AS CHAR) "
                  "LIKE '%" +
                      texto + "%'"));
    }
    long long FilasEspejo() {
        long long n = 0;
        for (const auto& t : prueba::Filas(g->hub, g->espejo, "SHOW TABLES"))
            n += std::stoll(Hub(g->espejo, "SELECT COUNT(*) FROM `" + t + "`"));
        return n;
    }
    // Every local row of the product and sales tables is in ESPEJO exactly once, value for value (the
    // timestamp export writes a text's apostrophes as double quotes, as stored data expects).
    void CopiaCompleta() {
        EXPECT_EQ(Huella(g->hub, g->espejo, "productos",
                         "Id,Clave,REPLACE(Descrip, \"'\", '\"'),Precio1,Existencia"),
                  Huella(g->local, "datos1", "productos",
                         "Id,Clave,REPLACE(Descrip, \"'\", '\"'),Precio1,Existencia"));
        EXPECT_EQ(Huella(g->hub, g->espejo, "clientes", "Id,Clave,Nombre"),
                  Huella(g->local, "datos1", "clientes", "Id,Clave,Nombre"));
        EXPECT_EQ(Huella(g->hub, g->espejo, "historicoalmacen", "Id,Producto,Cantidad"),
                  Huella(g->local, "datos1", "historicoalmacen", "Id,Producto,Cantidad"));
    }
    // The hub's queues for the branch are applied exactly once.
    void ColasAplicadas() {
        EXPECT_EQ(Hub("concentradorqmx", "SELECT COUNT(*) FROM listagrupos"), "0");
        EXPECT_EQ(
            Hub("concentradorqmx", "SELECT COUNT(*) FROM listausuarios WHERE FechaLeidos < FechaCambios"),
            "0");
        EXPECT_EQ(Local("generaltarvena", "SELECT GROUP_CONCAT(Grupo ORDER BY Grupo) FROM grupos"),
                  "ALMACEN,CAJEROS");
        EXPECT_EQ(Local("generaltarvena", "SELECT GROUP_CONCAT(Id ORDER BY Id) FROM usuarios"), "1,3");
        EXPECT_EQ(Avisos("Grupo nuevo: \"ALMACEN\""), 1);
        EXPECT_EQ(Avisos("Usuario nuevo: \"LUCIA\""), 1);
    }
    // Enough rows that a run is still copying when a fault is staged.
    void MuchasFilas() {
        prueba::EjecutaSQL(
            g->local, "datos1",
            "INSERT INTO productos (Clave, Descrip, Linea, Marca, Costo, Precio1, Existencia) "
            "SELECT CONCAT('Q', LPAD(seq, 6, '0')), CONCAT('Artículo de volumen ', seq), 1 + seq % 8, "
            "1 + seq % 10, 12.5, 19.9, seq % 40 FROM seq_1_to_12000");
    }
    // Waits until the run has copied some but not all products into ESPEJO.
    bool EsperaAMitad(int pid) {
        for (int i = 0; i < 600; ++i) {
            const std::string n = Hub(g->espejo, "SELECT COUNT(*) FROM productos");
            if (!n.empty() && std::stoi(n) > 500) return true;
            if (waitpid(pid, nullptr, WNOHANG) == pid) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }
    std::unique_ptr<prueba::Escenario> g;
};

TEST_F(E2E, FirstRunSendsAndAppliesEverythingASecondAddsNothing) {
    const auto primera = g->Ejecuta(0);
    ASSERT_EQ(primera.estado, 0) << primera.mensajes;
    for (const char* t : kTablas) EXPECT_EQ(Cuenta(g->hub, g->espejo, t), Cuenta(g->local, "datos1", t)) << t;
    CopiaCompleta();
    ColasAplicadas();
    EXPECT_EQ(Local("concentradorqmx", "SELECT COUNT(*) FROM borrarycancelar"), "0");
    // configura goes whole but for the hub's own keys, and its send flag is consumed.
    EXPECT_EQ(Hub(g->espejo, "SELECT COUNT(*) FROM configura WHERE Dato IN ('Precios','IVA')"), "2");
    EXPECT_EQ(Hub(g->espejo, "SELECT COUNT(*) FROM configura WHERE Dato='cncEnviarConfigura'"), "0");
    EXPECT_NE(Fddua(), "2018-08-01 00:00:00");

    // The log holds the block of the run; the send time is on the hub and in the registry.
    const std::string bitacora = g->Bitacora();
    for (const char* linea :
         {"Bitácora 0\r\n", "*** Inicio de bitácora", "Abrió la base de datos general\r\n",
          "Abrió la base de datos general, remota", "Base de datos matriz: matriz_norte",
          "Conectó a la base de datos ESPEJO: sucursal_centro", "Envío de información normal",
          "Inicia envío de información", "Finaliza envío de información", "*** Fin de bitácora"})
        EXPECT_NE(bitacora.find(linea), std::string::npos) << linea;
    EXPECT_EQ(
        Hub("generaltarvena",
            "SELECT FechaUltimoEnvio = CURDATE() AND HoraUltimoEnvio REGEXP '^[0-9]{2}:[0-9]{2}:[0-9]{2}$' "
            "FROM empresas WHERE BaseDeDatos='sucursal_centro'"),
        "1");
    const std::string registro = g->m.carpeta.Lee("registro.ini");
    EXPECT_NE(registro.find("00_UltimoEnvio = 20"), std::string::npos) << registro;

    // Rows, not statements: a block rewrites the rows of the last second again, as an insert that finds them.
    const long long insertados = FilasEspejo();
    const int avisos = std::stoi(Local("concentradorqmx", "SELECT COUNT(*) FROM avisos"));
    const auto segunda = g->Ejecuta(0);
    ASSERT_EQ(segunda.estado, 0) << segunda.mensajes;
    EXPECT_EQ(FilasEspejo(), insertados);  // nothing new reached the hub
    EXPECT_EQ(std::stoi(Local("concentradorqmx", "SELECT COUNT(*) FROM avisos")), avisos);
    CopiaCompleta();
    ColasAplicadas();
    // One block per run.
    const std::string dos = g->Bitacora();
    size_t bloques = 0;
    for (size_t p = dos.find("*** Inicio de bitácora"); p != std::string::npos;
         p = dos.find("*** Inicio de bitácora", p + 1))
        ++bloques;
    EXPECT_EQ(bloques, 2u);
}

TEST_F(E2E, ReceiveOnlyTouchesNoEspejoTable) {
    const auto r = g->Ejecuta(4);
    ASSERT_EQ(r.estado, 0) << r.mensajes;
    for (const char* t : kTablas) EXPECT_EQ(Cuenta(g->hub, g->espejo, t), "0") << t;
    ColasAplicadas();
    EXPECT_EQ(Local("concentradorqmx", "SELECT COUNT(*) FROM borrarycancelar"), "2");  // the send queue waits
    EXPECT_EQ(Fddua(), "2018-08-01 00:00:00");
    EXPECT_EQ(Hub("generaltarvena",
                  "SELECT FechaUltimoEnvio = CURDATE() FROM empresas WHERE BaseDeDatos='sucursal_centro'"),
              "1");
}

TEST_F(E2E, AVersionConflictSendsNothingAndMarksTheBranch) {
    prueba::EjecutaSQL(g->local, "generaltarvena",
                       "UPDATE paneldecontrol SET Contenido='6.2.9' WHERE Dato='VersionActual'");
    const auto r = g->Ejecuta(0);
    EXPECT_EQ(r.estado, 2) << r.mensajes;
    EXPECT_EQ(
        Hub("generaltarvena", "SELECT HoraUltimoEnvio FROM empresas WHERE BaseDeDatos='sucursal_centro'"),
        "!!!");
    for (const char* t : kTablas) EXPECT_EQ(Cuenta(g->hub, g->espejo, t), "0") << t;
    EXPECT_EQ(Hub("concentradorqmx", "SELECT COUNT(*) FROM listagrupos"), "2");
    EXPECT_NE(g->Bitacora().find("Versión mínima requerida, mayor a la actual: 6.3.0"), std::string::npos);
    EXPECT_NE(r.mensajes.find("La versión de su programa es menor a la mínima requerida."), std::string::npos)
        << r.mensajes;
}

// The two product commands, headless: the whole catalogue moves one way, and nothing else does.
TEST_F(E2E, ProductSendAndUpdateMoveTheWholeCatalogueAndNothingElse) {
    const auto envio = g->Ejecuta(3);
    ASSERT_EQ(envio.estado, 0) << envio.mensajes;
    EXPECT_EQ(Huella(g->hub, g->espejo, "productos", "Id,Clave,Descrip,Precio1,Existencia,FechaRegistro"),
              Huella(g->local, "datos1", "productos", "Id,Clave,Descrip,Precio1,Existencia,FechaRegistro"));
    for (const char* t : {"clientes", "vendedores", "historicoalmacen"})
        EXPECT_EQ(Cuenta(g->hub, g->espejo, t), "0") << t;
    EXPECT_EQ(Hub("concentradorqmx", "SELECT COUNT(*) FROM listagrupos"), "2");  // nothing received
    std::string bitacora = g->Bitacora();
    for (const char* linea : {"Inicia envío de productos", "Finaliza envío de productos"})
        EXPECT_TRUE(prueba::Linea(bitacora, linea)) << linea;
    EXPECT_EQ(bitacora.find("Inicia envío de información"), std::string::npos);

    // The MATRIZ holds a new product under a brand the branch lacks, and a new price for one it has.
    prueba::EjecutaSQL(g->hub, "matriz_norte",
                       "INSERT INTO marcas (Id, Marca) VALUES (70, 'Marca de la matriz');"
                       "INSERT INTO productos (Clave, Descrip, Marca, Precio1, FechaCambios) VALUES "
                       "('M''ATRIZ', 'Sólo en la matriz', 70, 99.5, '2026-12-01'), "
                       "('P0001', 'Producto de prueba número 1', 0, 77.7, '2026-12-02')");
    const std::string existencia = Local("datos1", "SELECT Existencia FROM productos WHERE Clave='P0001'");
    const auto lectura = g->Ejecuta(1);
    ASSERT_EQ(lectura.estado, 0) << lectura.mensajes;
    EXPECT_EQ(Fila("SELECT p.Descrip, m.Marca, p.Precio1 FROM productos p JOIN marcas "
                   "m ON m.Id = p.Marca WHERE p.Clave = 'M''ATRIZ'"),
              "Sólo en la matriz|Marca de la matriz|99.5000");
    // The demo branch sends price 1: it changes and the change is recorded; the stock stays the branch's.
    EXPECT_EQ(Fila("SELECT Precio1, FechaCambios, Existencia FROM productos WHERE "
                   "Clave = 'P0001'"),
              "77.7000|2026-12-02|" + existencia);
    EXPECT_EQ(Fila("SELECT Usuario, PrecioNuevo, Numero FROM cambiosdeprecios WHERE "
                   "Producto = 'P0001'"),
              "CONCENTRAD|77.7000|1");
    EXPECT_EQ(Local("datos1", "SELECT COUNT(*) FROM productos"), "301");
    bitacora = g->Bitacora();
    for (const char* linea : {"Lectura de productos desde la empresa matriz", "Inicia recepción de productos",
                              "Finaliza recepción de productos"})
        EXPECT_TRUE(prueba::Linea(bitacora, linea)) << linea;
}

// A hub that crashes, a local server that goes down, an operator who interrupts: each run may end short,
// but nothing is lost and the next normal run completes the work exactly once.
TEST_F(E2E, FaultsLoseNothingAndTheNextRunCompletes) {
    MuchasFilas();
    struct Falla {
        const char* nombre;
        std::function<void(int)> provoca;
    };
    const Falla fallas[] = {
        {"hub SIGKILL",
         [](int) {
             prueba::MataServidor("hub");
             std::this_thread::sleep_for(std::chrono::milliseconds(300));
             prueba::ReviveServidor("hub");
         }},
        {"local detenido",
         [](int) {
             prueba::MataServidor("local");
             std::this_thread::sleep_for(std::chrono::milliseconds(300));
             prueba::ReviveServidor("local");
         }},
        {"interrupción", [](int pid) { kill(pid, SIGINT); }},
    };
    for (const auto& f : fallas) {
        SCOPED_TRACE(f.nombre);
        prueba::EjecutaSQL(g->hub, g->espejo, "DELETE FROM productos");
        prueba::EjecutaSQL(g->local, "concentradorqmx",
                           "UPDATE configuracion SET Contenido='2018-08-01 00:00:00' WHERE Dato='FDDUA'");
        const int pid = g->Inicia(0);
        ASSERT_TRUE(EsperaAMitad(pid));
        f.provoca(pid);
        const int corta = prueba::Escenario::Espera(pid);
        EXPECT_LT(corta, 128) << "the run died instead of ending in order";
        const int enEspejo = std::stoi(Hub(g->espejo, "SELECT COUNT(*) FROM productos"));
        const int locales = std::stoi(Local("datos1", "SELECT COUNT(*) FROM productos"));
        std::printf("[ %s ] corrida corta: estado %d, productos en ESPEJO %d de %d, FDDUA %s\n", f.nombre,
                    corta, enEspejo, locales, Fddua().c_str());
        // The cut-off never moves past rows that did not reach ESPEJO.
        if (enEspejo < locales) {
            EXPECT_EQ(Fddua(), "2018-08-01 00:00:00");
        }

        const auto completa = g->Ejecuta(0);
        ASSERT_EQ(completa.estado, 0) << completa.mensajes;
        std::printf("[ %s ] corrida siguiente: productos en ESPEJO %s de %d\n", f.nombre,
                    Hub(g->espejo, "SELECT COUNT(*) FROM productos").c_str(), locales);
        CopiaCompleta();
        ColasAplicadas();
    }
}

// Without a desktop the unread notices of a run are printed, never marked read by it, and the notice report
// is written from the command line with the panel's rules.
TEST_F(E2E, HeadlessRunsPrintUnreadNoticesAndWriteTheReport) {
    const auto c = g->Ejecuta(0);
    ASSERT_EQ(c.estado, 0) << c.mensajes;
    const std::string unread = Local("concentradorqmx", "SELECT COUNT(*) FROM avisos WHERE Leido=0");
    ASSERT_NE(unread, "0");
    const std::string primero =
        Local("concentradorqmx",
              "SELECT CONCAT('(', Id, ') ') FROM avisos WHERE Leido=0 ORDER BY TipoAviso, "
              "Id LIMIT 1");
    // One block per notice: the window's title line, then the text, then an empty line.
    const auto bloque = c.salida.find(primero);
    ASSERT_NE(bloque, std::string::npos) << c.salida;
    EXPECT_TRUE(bloque == 0 || c.salida.compare(bloque - 2, 2, "\n\n") == 0) << c.salida;
    EXPECT_NE(c.salida.find("Grupo nuevo: \"ALMACEN\""), std::string::npos) << c.salida;
    EXPECT_EQ(c.salida.find('\r'), std::string::npos);
    EXPECT_EQ(c.mensajes.find("Grupo nuevo"), std::string::npos);  // notices go to standard output only
    EXPECT_EQ(Local("concentradorqmx", "SELECT COUNT(*) FROM avisos WHERE Leido=0"), unread);

    // The report of the unread ones by number; then one read by a user, alone.
    Local("concentradorqmx",
          "UPDATE avisos SET Leido=1, FechaLeido='2026-12-09', HoraLeido='08:00:00', "
          "Usuario=ENCODE('ANA', CAST(Metodo AS CHAR)) ORDER BY Id DESC LIMIT 1");
    const std::string pdf = g->m.carpeta.Archivo("reporte avisos.pdf");
    auto reporte = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"--carpeta", g->Carpeta(), "--reporte-avisos", pdf});
        prueba::Corrida r;
        r.estado = prueba::Escenario::Espera(g->Lanza(args, g->m.carpeta.Archivo("rep.err")));
        r.mensajes = g->m.carpeta.Lee("rep.err");
        std::remove((pdf + ".txt").c_str());
        if (r.estado == 0 && prueba::Sistema("pdftotext -layout '" + pdf + "' '" + pdf + ".txt'") == 0)
            r.salida = g->m.carpeta.Lee("reporte avisos.pdf.txt");
        return r;
    };
    auto r = reporte({"--estado", "no-leidos", "--orden", "folio", "--desde", "2000-01-01"});
    ASSERT_EQ(r.estado, 0) << r.mensajes;
    EXPECT_NE(r.salida.find("Bitácora de avisos"), std::string::npos) << r.salida;
    EXPECT_NE(r.salida.find("Grupo nuevo: \"ALMACEN\""), std::string::npos) << r.salida;
    size_t antes = 0;
    for (const std::string& id : prueba::Filas(
             g->local, "concentradorqmx", "SELECT CONCAT(Id, ' ') FROM avisos WHERE Leido=0 ORDER BY Id")) {
        const auto donde = r.salida.find(id, antes);
        EXPECT_NE(donde, std::string::npos) << id << r.salida;
        if (donde != std::string::npos) antes = donde;
    }
    r = reporte({"--estado", "leidos", "--usuario", "ANA", "--orden", "fecha-leido"});
    ASSERT_EQ(r.estado, 0) << r.mensajes;
    EXPECT_NE(r.salida.find(" 1 aviso\n"), std::string::npos) << r.salida;
    EXPECT_NE(r.salida.find("ANA"), std::string::npos) << r.salida;
    EXPECT_EQ(Local("concentradorqmx", "SELECT COUNT(*) FROM avisos WHERE IFNULL(TextoAviso,'')<>''"), "0");

    // A bad value is named and ends with 2, before anything is read or written.
    std::remove(pdf.c_str());
    for (const auto& [opcion, valor] : {std::pair{"--estado", "todos"},
                                        {"--orden", "tipo"},
                                        {"--desde", "2026-13-01"},
                                        {"--hasta", "31/03/2026"}}) {
        r = reporte({opcion, valor});
        EXPECT_EQ(r.estado, 2) << opcion;
        EXPECT_NE(r.mensajes.find(opcion), std::string::npos) << r.mensajes;
        EXPECT_FALSE(std::filesystem::exists(pdf)) << opcion;
    }
}

}  // namespace
