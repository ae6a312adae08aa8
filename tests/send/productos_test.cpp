// The whole catalogue at once: every local product to the ESPEJO, every MATRIZ product into the company.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "core/shared_routines.h"
#include "send/cls_copia_maestra.h"
#include "support/escenario.h"

using namespace cnc;
using prueba::Lista;

namespace {

const prueba::Tablas kTablas = {"productos",        "productosmasprecios",
                                "lineas",           "sublineas",
                                "marcas",           "medidas",
                                "clavesalternas",   "existenciaexterna",
                                "clavereferencias", "anexoproductos",
                                "presentaciones",   "cambiosdeprecios"};

// The connections as the connection call hands them over, and one activity-log block per run.
struct Catalogo : prueba::Escenario {
    ContextoCiclo ctx;
    bool soloPorRenglon = false;
    int bloques = 0;  // blocks of products the last run sent whole
    Catalogo() : Escenario(kTablas) {
        ApuntaAServidores();
        Mod.TipoSucursal = 0;
        Mod.RegistrosATomar = 100;
        ctx.matriz = matriz;
    }
    Lista EnDestino(const std::string& sql) { return EnLocal("datos1", sql); }
    // The run's result and its log.
    std::pair<Resultado, std::string> Corre(const std::function<Resultado(clsCopiaMaestra&)>& corrida) {
        AbreBaseLocal(ctx.local);
        AbreBaseEspejo(ctx.espejo);
        m.ventana.tablas.clear();
        Resultado r;
        {
            BloqueDeBitacora bloque(1, true);
            ctx.bitacora = bloque.Numero();
            clsCopiaMaestra copia;
            copia.SoloPorRenglon = soloPorRenglon;
            r = corrida(copia);
            bloques = copia.BloquesProductos();
        }
        return {r, Bitacora()};
    }
    std::pair<Resultado, std::string> Enviar() {
        return Corre([&](clsCopiaMaestra& c) { return c.EnviarProductos(ctx); });
    }
    std::pair<Resultado, std::string> Pasar() {
        return Corre([&](clsCopiaMaestra& c) {
            Conexion matrizCnn;
            return c.PasarProductos(ctx, matrizCnn);
        });
    }
};

}  // namespace

TEST(EnviarProductos, AddsMissingProductsAndRewritesTheOthersByTheirEspejoId) {
    REQUIERE_SERVIDORES();
    Catalogo e;
    e.Local(
        "datos1",
        "INSERT INTO productos (Id, Clave, Descrip, Precio1, FechaRegistro, FechaCambios, Existencia) VALUES "
        "(1, 'A', 'nuevo en la espejo', 10, '2020-02-02', NULL, 3), "
        "(2, 'P''ARK', 'de O''Brien', 20, '2019-01-01', '2026-12-01', 4), "
        "(3, 'Z', 'sin anexo aquí', 30, NULL, NULL, 5);"
        "INSERT INTO productos (Clave, Descrip) SELECT CONCAT('V', LPAD(seq, 4, '0')), CONCAT('volumen ', "
        "seq) "
        "FROM seq_1_to_150;"
        "INSERT INTO anexoproductos (Producto, Texto, Numerico, Texto3) VALUES ('A', 'anexo A', 1, 't3'), "
        "('P''ARK', 'anexo local', 2, '')");
    // The ESPEJO's product 1 is another product; P'ARK is there under its own Id, and so is Z's annex.
    e.Espejo(
        "INSERT INTO productos (Id, Clave, Descrip, Precio1, FechaCambios) VALUES (1, 'OTRO', 'de la "
        "espejo', 1, "
        "NULL), (500, 'P''ARK', 'viejo', 1, '2001-01-01'), (600, 'Z', 'viejo', 1, '2001-01-01');"
        "INSERT INTO anexoproductos (Id, Producto, Texto, Numerico, Texto3) VALUES (70, 'P''ARK', 'viejo', "
        "9, "
        "'se va'), (71, 'Z', 'anexo de la espejo', 7, 'queda')");

    const auto [r, log] = e.Enviar();
    EXPECT_EQ(r, Resultado::Completo);
    EXPECT_EQ(
        e.EnEspejo("SELECT Id, Descrip, Precio1, IFNULL(FechaCambios, 'nula'), Existencia FROM productos "
                   "WHERE Clave IN ('OTRO', 'P''ARK', 'Z') ORDER BY Clave"),
        (Lista{"1|de la espejo|1.0000|nula|0.0000", "500|de O'Brien|20.0000|2026-12-01|4.0000",
               "600|sin anexo aquí|30.0000|nula|5.0000"}));
    // The new product could not keep the local Id 1: the ESPEJO numbered it.
    EXPECT_EQ(e.EnEspejo("SELECT Id > 600, Descrip, FechaRegistro FROM productos WHERE Clave = 'A'"),
              Lista{"1|nuevo en la espejo|2020-02-02"});
    EXPECT_EQ(e.EnEspejo("SELECT COUNT(*) FROM productos"), Lista{"154"});
    EXPECT_EQ(e.EnEspejo("SELECT COUNT(*) FROM productos WHERE Clave LIKE 'V%' AND Descrip LIKE 'volumen %'"),
              Lista{"150"});
    // Annexes: added, rewritten on their own Id, and left alone where the local product has none.
    EXPECT_EQ(
        e.EnEspejo("SELECT Id, Producto, Texto, Numerico, Texto3 FROM anexoproductos ORDER BY Producto"),
        (Lista{"1|A|anexo A|1.0000|t3", "70|P'ARK|anexo local|2.0000|",
               "71|Z|anexo de la espejo|7.0000|queda"}));

    EXPECT_TRUE(e.VioEtapa("Enviando productos"));
    EXPECT_TRUE(e.VioTabla("Producto 'A'\n1 de 153"));
    EXPECT_TRUE(e.VioTabla("Producto 'Z'\n153 de 153"));
    EXPECT_TRUE(prueba::Linea(log, "Inicia envío de productos"));
    EXPECT_TRUE(prueba::Linea(log, "Finaliza envío de productos"));
    EXPECT_FALSE(Mod.Detener);
}

TEST(EnviarProductos, ALostEspejoOrAnInterruptionEndsTheWalkAndTheLogSaysSo) {
    REQUIERE_SERVIDORES();
    Catalogo e;
    e.Local("datos1", "INSERT INTO productos (Clave, Descrip) VALUES ('A', 'a'), ('B', 'b'), ('C', 'c')");

    // The operator interrupts while the second product is shown: it still goes, the third does not.
    e.m.ventana.alMostrarTabla = [](const std::string& t) {
        if (t.rfind("Producto 'B'", 0) == 0) Mod.Detener = Mod.Interrumpir = true;
    };
    auto [r, log] = e.Enviar();
    EXPECT_EQ(r, Resultado::Interrumpido);
    EXPECT_EQ(e.EnEspejo("SELECT Clave FROM productos ORDER BY Clave"), (Lista{"A", "B"}));
    EXPECT_TRUE(prueba::Linea(log, "Finaliza envío de productos"));
    EXPECT_FALSE(Mod.Detener);
    e.m.ventana.alMostrarTabla = nullptr;
    Mod.Interrumpir = false;

    EXPECT_EQ(e.bloques, 1);

    // The ESPEJO goes away after the first product: the walk stops and says why. Product by product the
    // first one stays; by blocks the whole block is undone.
    for (const bool soloPorRenglon : {true, false}) {
        SCOPED_TRACE(soloPorRenglon ? "producto por producto" : "por bloques");
        e.soloPorRenglon = soloPorRenglon;
        e.m.ventana.alMostrarTabla = [&](const std::string& t) {
            if (t.rfind("Producto 'B'", 0) == 0) e.EspejoCaido();
        };
        e.Espejo("DELETE FROM productos");
        std::tie(r, log) = e.Enviar();
        EXPECT_EQ(r, Resultado::SinConexion);
        EXPECT_EQ(e.EnEspejo("SELECT Clave FROM productos ORDER BY Clave"),
                  soloPorRenglon ? Lista{"A"} : Lista{});
        EXPECT_TRUE(prueba::Linea(log, "NO CONECTÓ A LA EMPRESA ESPEJO. ENVÍO DE INFORMACIÓN INTERRUMPIDO"));
        EXPECT_TRUE(prueba::Linea(log, "Inicia envío de productos"));
        EXPECT_TRUE(prueba::Linea(log, "Finaliza envío de productos"));
        EXPECT_FALSE(Mod.Detener);
        EXPECT_EQ(e.bloques, 0);
        e.m.ventana.alMostrarTabla = nullptr;
        e.EspejoDeVuelta();
    }
    e.soloPorRenglon = false;

    // The next run starts again from the first product and completes.
    std::tie(r, log) = e.Enviar();
    EXPECT_EQ(r, Resultado::Completo);
    EXPECT_EQ(e.EnEspejo("SELECT Clave FROM productos ORDER BY Clave"), (Lista{"A", "B", "C"}));
}

// Random products and annexes against an ESPEJO that already holds some of them (under other Ids, with
// other case), whose Ids are partly taken by other products, above and below its counter: by blocks the
// ESPEJO ends exactly as product by product, numbering included.
TEST(EnviarProductos, ByBlocksTheEspejoEndsAsProductByProduct) {
    REQUIERE_SERVIDORES();
    Catalogo e;
    const unsigned semilla = std::random_device{}();
    SCOPED_TRACE("semilla " + std::to_string(semilla));
    std::mt19937 azar(semilla);
    auto de = [&](int n) { return static_cast<int>(azar() % static_cast<unsigned>(n)); };
    const char* textos[] = {"", "O''Brien", "ruta\\\\dos", "niño", "  espacios  ", "x"};
    auto texto = [&] { return std::string("'") + textos[de(6)] + "'"; };
    auto fecha = [&] {
        return de(3) == 0 ? std::string("NULL") : "'20" + std::to_string(10 + de(15)) + "-0" +
                                                      std::to_string(1 + de(9)) + "-1" + std::to_string(de(9)) + "'";
    };
    std::string local, espejo, anexoLocal, anexoEspejo;
    std::vector<std::string> claves;
    const int productos = 340;
    for (int i = 1; i <= productos; ++i) {
        const std::string clave = "C" + std::to_string(i * 7 % 1000);
        claves.push_back(clave);
        // Some above the ESPEJO's counter, most below.
        const std::string id = std::to_string(de(4) == 0 ? 5000 + i * 3 : i * 2);
        local += std::string(local.empty() ? "" : ",") + "(" + id + ",'" + clave + "'," + texto() + "," +
                 std::to_string(de(1000)) + "." + std::to_string(de(100)) + "," + fecha() + "," + fecha() + ")";
        // 0: present under another Id, in lower case; 1: present under its own Id; 2: its Id taken by
        // another product; 3, 4: absent.
        const int caso = de(5);
        if (caso <= 2) {
            const std::string suya = caso == 2 ? "OTRO" + std::to_string(i) : kvtx8::Minusculas(clave);
            const std::string suId = caso == 0 ? std::to_string(3000 + i) : id;
            espejo += std::string(espejo.empty() ? "" : ",") + "(" + suId + ",'" + suya +
                      "','viejo',1,NULL,'2001-01-01')";
        }
        if (de(2) == 0)
            anexoLocal += std::string(anexoLocal.empty() ? "" : ",") + "(" + std::to_string(i * 3 + de(3)) +
                          ",'" + clave + "'," + texto() + "," + std::to_string(de(50)) + ",'" +
                          std::to_string(de(24) % 10) + ":00:00')";
        // Now and then a second local annex: the walk sends the first the server returns.
        if (de(6) == 0)
            anexoLocal += std::string(anexoLocal.empty() ? "" : ",") + "(" + std::to_string(2000 + i) + ",'" +
                          clave + "'," + texto() + ",7,'02:00:00')";
        if (de(3) == 0)
            anexoEspejo += std::string(anexoEspejo.empty() ? "" : ",") + "(" + std::to_string(i * 3 + de(3)) +
                           ",'" + (de(2) ? clave : "OTRO" + std::to_string(i)) + "','viejo',9,'01:00:00')";
    }
    e.Local("datos1",
            "INSERT IGNORE INTO productos (Id, Clave, Descrip, Precio1, FechaRegistro, FechaCambios) VALUES " +
                local + ";INSERT IGNORE INTO anexoproductos (Id, Producto, Texto, Numerico, HoraIni) VALUES " +
                anexoLocal);
    const std::string inicial =
        "DELETE FROM productos; DELETE FROM anexoproductos; ALTER TABLE productos AUTO_INCREMENT = 1;"
        "ALTER TABLE anexoproductos AUTO_INCREMENT = 1;"
        "INSERT IGNORE INTO productos (Id, Clave, Descrip, Precio1, FechaRegistro, FechaCambios) VALUES " +
        espejo + ";INSERT IGNORE INTO anexoproductos (Id, Producto, Texto, Numerico, HoraIni) VALUES " +
        anexoEspejo;
    // Every column but FADUA, the last one, which the ESPEJO's own rows take from the clock.
    auto sinFadua = [](std::string f) { return f.substr(0, f.rfind('|')); };
    auto estado = [&] {
        Lista r;
        for (auto& f : e.EnEspejo("SELECT * FROM productos ORDER BY Id")) r.push_back(sinFadua(f));
        for (auto& f : e.EnEspejo("SELECT * FROM anexoproductos ORDER BY Id")) r.push_back("anexo " + sinFadua(f));
        for (auto& f : e.EnEspejo("SELECT TABLE_NAME, AUTO_INCREMENT FROM information_schema.TABLES WHERE "
                                  "TABLE_SCHEMA = DATABASE() AND TABLE_NAME IN ('productos', "
                                  "'anexoproductos') ORDER BY 1"))
            r.push_back("contador " + f);
        return r;
    };

    e.Espejo(inicial);
    e.soloPorRenglon = true;
    const auto [r1, log1] = e.Enviar();
    const Lista porRenglon = estado();
    EXPECT_EQ(e.bloques, 0);

    e.Espejo(inicial);
    e.soloPorRenglon = false;
    const auto [r2, log2] = e.Enviar();
    EXPECT_EQ(r2, r1);
    EXPECT_EQ(estado(), porRenglon);
    // Limite is 100: four blocks, every one sent whole.
    EXPECT_EQ(e.bloques, 4);
    EXPECT_EQ(r1, Resultado::Completo);
    std::sort(claves.begin(), claves.end());
    EXPECT_TRUE(e.VioTabla("Producto '" + claves.front() + "'\n1 de 340"));
    EXPECT_TRUE(e.VioTabla("Producto '" + claves.back() + "'\n340 de 340"));
    EXPECT_EQ(e.EnEspejo("SELECT COUNT(*) FROM productos WHERE Descrip = 'viejo' AND Clave LIKE 'C%'"),
              Lista{"0"});
}

TEST(PasarProductos, CopiesEveryMatrizProductAndAnUnreachableMatrizChangesNothing) {
    REQUIERE_SERVIDORES();
    Catalogo e;
    Mod.EnviarPrecio[1] = true;
    e.Hub("matriz1",
          "INSERT INTO marcas (Id, Marca) VALUES (5, 'ACME');"
          "INSERT INTO productos (Clave, Descrip, Marca, Precio1, FechaCambios) VALUES ('NUEVO', 'de la "
          "matriz', "
          "5, 12, '2026-12-02'), ('P''ARK', 'cambiado', 0, 30, '2026-12-03');"
          "INSERT INTO productos (Clave, Descrip) SELECT CONCAT('V', LPAD(seq, 4, '0')), 'volumen' "
          "FROM seq_1_to_120;"
          "INSERT INTO clavesalternas (ClaveProducto, ClaveAlterna) VALUES ('P''ARK', '7501')");
    e.Local("datos1",
            "INSERT INTO productos (Id, Clave, Descrip, Precio1, FechaRegistro, Existencia) VALUES "
            "(40, 'P''ARK', 'local', 25, '2015-05-05', 8), (41, 'SOLO', 'sólo local', 1, NULL, 0)");

    // An unreachable MATRIZ: nothing changes, and both lines are written.
    e.ctx.matriz = "no_existe";
    auto [r, log] = e.Pasar();
    EXPECT_EQ(r, Resultado::SinConexion);
    EXPECT_EQ(e.EnDestino("SELECT COUNT(*) FROM productos"), Lista{"2"});
    EXPECT_TRUE(prueba::Linea(log, "Inicia recepción de productos"));
    EXPECT_TRUE(prueba::Linea(log, "Finaliza recepción de productos"));

    e.ctx.matriz = e.matriz;
    // The operator interrupts while the second product is shown: it still comes, the rest wait.
    e.m.ventana.alMostrarTabla = [](const std::string& t) {
        if (t.rfind("Producto 'P'ARK'", 0) == 0) Mod.Detener = Mod.Interrumpir = true;
    };
    std::tie(r, log) = e.Pasar();
    EXPECT_EQ(r, Resultado::Interrumpido);
    EXPECT_EQ(e.EnDestino("SELECT Clave, Descrip FROM productos ORDER BY Clave"),
              (Lista{"NUEVO|de la matriz", "P'ARK|cambiado", "SOLO|sólo local"}));
    EXPECT_TRUE(prueba::Linea(log, "Finaliza recepción de productos"));
    EXPECT_FALSE(Mod.Detener);
    e.m.ventana.alMostrarTabla = nullptr;
    Mod.Interrumpir = false;
    e.Local("datos1",
            "UPDATE productos SET Descrip = 'local', Precio1 = 25 WHERE Clave = 'P''ARK';"
            "DELETE FROM productos WHERE Clave = 'NUEVO'; DELETE FROM clavesalternas;"
            "DELETE FROM cambiosdeprecios; ALTER TABLE productos AUTO_INCREMENT = 42");

    std::tie(r, log) = e.Pasar();
    EXPECT_EQ(r, Resultado::Completo);
    EXPECT_EQ(
        e.EnDestino("SELECT p.Id, p.Clave, p.Descrip, m.Marca, p.Precio1, p.FechaRegistro, "
                    "IFNULL(p.FechaCambios, 'nula'), p.Existencia FROM productos p LEFT JOIN marcas m ON "
                    "m.Id = p.Marca WHERE p.Clave NOT LIKE 'V%' ORDER BY p.Clave"),
        (Lista{"42|NUEVO|de la matriz|ACME|12.0000|2026-12-08|nula|0.0000",
               "40|P'ARK|cambiado|NULL|30.0000|2015-05-05|2026-12-03|8.0000",
               "41|SOLO|sólo local|NULL|1.0000|NULL|nula|0.0000"}));
    EXPECT_EQ(e.EnDestino("SELECT COUNT(*) FROM productos WHERE Clave LIKE 'V%'"), Lista{"120"});
    EXPECT_EQ(e.EnDestino("SELECT ClaveAlterna FROM clavesalternas"), Lista{"7501"});
    EXPECT_EQ(
        e.EnDestino("SELECT Producto, PrecioAnterior, PrecioNuevo FROM cambiosdeprecios ORDER BY Producto"),
        Lista{"P'ARK|25.0000|30.0000"});
    EXPECT_TRUE(e.VioEtapa("Recibiendo productos"));
    EXPECT_TRUE(e.VioTabla("Producto 'NUEVO'\n1 de 122"));
    EXPECT_TRUE(e.VioTabla("Producto 'NUEVO'\n1 de 122. ( nuevo )"));
    EXPECT_TRUE(e.VioTabla("Producto 'P'ARK'\n2 de 122. ( X )"));
    EXPECT_TRUE(prueba::Linea(log, "Inicia recepción de productos"));
    EXPECT_TRUE(prueba::Linea(log, "Finaliza recepción de productos"));
    EXPECT_FALSE(Mod.Detener);
}
