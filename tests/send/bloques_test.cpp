// The block exports against the row-by-row ones on random tables: the same ESPEJO table, byte for byte,
// and the same problem-records lines.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>

#include "support/escenario.h"

using namespace cnc;
using V = std::vector<std::string>;

namespace {

// Every kind of column the exports format; a unique key beside the primary one on ESPEJO only, so local
// rows may collide among themselves as well.
std::string Tabla(bool unica, bool segunda = false) {
    return std::string(
               "CREATE TABLE azar (Id INT NOT NULL AUTO_INCREMENT PRIMARY KEY, Clave VARCHAR(20) NULL,"
               " Entero INT NULL, Grande BIGINT NOT NULL DEFAULT 0, Chico TINYINT UNSIGNED NULL,"
               " Importe DECIMAL(14,4) NULL, Flotante DOUBLE NULL, Fecha DATE NULL, Momento DATETIME NULL,"
               " Hora TIME NULL, Corto CHAR(6) NULL, Texto TEXT NULL, Crudo VARBINARY(24) NULL,"
               " Tipo ENUM('a','b','c') NULL, FADUA DATETIME NULL") +
           (unica ? ", UNIQUE KEY uk_clave (Clave)" : "") + (segunda ? ", UNIQUE KEY uk_corto (Corto)" : "") +
           ") ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci";
}

constexpr const char* kLectura =
    "SELECT Id,HEX(Clave),Entero,Grande,Chico,Importe,Flotante,Fecha,Momento,Hora,HEX(Corto),HEX(Texto),"
    "HEX(Crudo),Tipo,FADUA FROM azar ORDER BY Id";

class Azar {
  public:
    explicit Azar(unsigned semilla) : g_(semilla) {}
    int Entre(int a, int b) { return std::uniform_int_distribution<int>(a, b)(g_); }
    bool Moneda(int porCiento) { return Entre(1, 100) <= porCiento; }

    // Unique values from a small pool, so that rows meet: equal but for case, trailing blanks or accents.
    std::string Clave(Conexion& cn, bool delPool, const std::string& fija = "") {
        if (!fija.empty()) return fija;
        static const char* pool[] = {"a1",  "A1",  "a1 ",  "b2",   "B2",   "ñu",   "Ñu", "nu",
                                     "c'3", "C'3", "d\\4", "D\\4", "e\"5", "f%_6", "g7", "h8"};
        if (Moneda(8)) return "NULL";
        if (delPool && Moneda(70)) return "'" + cn.Escapar(pool[Entre(0, 15)]) + "'";
        return "'u" + std::to_string(Entre(1, 100000)) + "'";
    }
    std::string Texto(Conexion& cn, int largo) {
        static const std::string letras = "abcXYZ '\\\"%_\n\tñá|";
        std::string s;
        for (int i = Entre(0, largo); i > 0; --i) {
            const int k = Entre(0, static_cast<int>(letras.size()) - 1);
            // Keep multi-byte letters whole.
            if (static_cast<unsigned char>(letras[k]) >= 0x80)
                s += (letras[k] == '\xc3' ? letras.substr(k, 2) : std::string("ñ"));
            else
                s += letras[k];
        }
        return "'" + cn.Escapar(s) + "'";
    }
    std::string Crudo(Conexion& cn) {
        std::string s;
        for (int i = Entre(0, 24); i > 0; --i) s += static_cast<char>(Entre(0, 255));
        return "'" + cn.Escapar(s) + "'";
    }
    std::string Fila(Conexion& cn, int id, bool delPool = true, const std::string& clave = "") {
        auto nulo = [&](const std::string& v) { return Moneda(15) ? std::string("NULL") : v; };
        char importe[40], flotante[40];
        std::snprintf(importe, sizeof importe, "%d.%04d", Entre(-99999, 99999), Entre(0, 9999));
        std::snprintf(flotante, sizeof flotante, "%.6g", Entre(-1000000, 1000000) / 7.0);
        const std::string fecha = "2026-" + std::to_string(Entre(1, 12)) + "-" + std::to_string(Entre(1, 28));
        return "(" + std::to_string(id) + "," + Clave(cn, delPool, clave) + "," +
               nulo(std::to_string(Entre(-5000, 5000))) + "," + std::to_string(Entre(0, 2000000000)) + "," +
               nulo(std::to_string(Entre(0, 255))) + "," + nulo(importe) + "," + nulo(flotante) + "," +
               nulo("'" + fecha + "'") + "," +
               nulo("'" + fecha + " " + std::to_string(Entre(0, 23)) + ":" + std::to_string(Entre(0, 59)) +
                    ":07'") +
               "," + nulo("'" + std::to_string(Entre(0, 838)) + ":15:30'") + "," + nulo(Texto(cn, 6)) + "," +
               nulo(Texto(cn, 40)) + "," + nulo(Crudo(cn)) + "," +
               nulo("'" + std::string(1, "abc"[Entre(0, 2)]) + "'") + ",'2026-03-0" +
               std::to_string(Entre(1, 9)) + " 10:00:00')";
    }

  private:
    std::mt19937 g_;
};

constexpr const char* kColumnas =
    "INSERT INTO azar (Id,Clave,Entero,Grande,Chico,Importe,Flotante,Fecha,Momento,Hora,Corto,Texto,Crudo,"
    "Tipo,FADUA) VALUES ";

// The problem-records lines without their date and time.
V Lineas(const std::string& texto) {
    V r;
    size_t i = 0;
    while (i < texto.size()) {
        size_t f = texto.find("\r\n", i);
        if (f == std::string::npos) f = texto.size();
        std::string l = texto.substr(i, f - i);
        r.push_back(l.size() > 19 ? l.substr(19) : l);
        i = f + 2;
    }
    return r;
}

}  // namespace

TEST(ExportarPorBloques, EndsEveryRowAsTheRowByRowExportOnRandomTables) {
    REQUIERE_SERVIDORES();
    prueba::Escenario x({"gastos"});
    clsEstandar& est = x.Exportador();
    Conexion& local = x.compania;
    int bloques = 0, conFallas = 0, sinFallas = 0;
    for (unsigned semilla = 1; semilla <= 24; ++semilla) {
        SCOPED_TRACE("semilla " + std::to_string(semilla));
        Azar a(semilla);
        // Few keys, so that ESPEJO holds many of them; more when the table is mostly new.
        const int llaves = semilla % 3 == 0 ? 400 : 60;
        std::string filasLocal, filasEspejo;
        auto agrega = [](std::string& filas, const std::string& fila) {
            filas += (filas.empty() ? "" : ",") + fila;
        };
        if (semilla % 2 == 0) {
            // A table that goes through whole: each unique value once locally, met in ESPEJO at a smaller
            // key (written another way) or at the same key.
            static const char* distintos[] = {"a1", "b2", "ñu", "c'3", "d\\4", "e\"5", "f%_6", "g7", "h8"};
            static const char* otraForma[] = {"A1 ", "B2", "Ñu", "C'3", "D\\4", "E\"5 ", "F%_6", "G7", "H8"};
            std::map<int, std::string> claveLocal, claveEspejo;
            std::set<int> enLocal, enEspejo;
            for (int id = 1; id <= llaves; ++id) (a.Moneda(75) ? enLocal : enEspejo).insert(id);
            for (int p = 0; p < 9; ++p) {
                const int id = a.Entre(llaves / 4, llaves);
                if (!enLocal.count(id) || claveLocal.count(id)) continue;
                claveLocal[id] = "'" + local.Escapar(distintos[p]) + "'";
                const int suyo = a.Entre(1, id - 1);
                if (enEspejo.count(suyo) && !claveEspejo.count(suyo))
                    claveEspejo[suyo] = "'" + local.Escapar(otraForma[p]) + "'";
            }
            for (int id : enLocal) {
                const std::string clave = claveLocal.count(id) ? claveLocal[id]
                                          : a.Moneda(10)       ? "NULL"
                                                               : "'u" + std::to_string(id) + "'";
                agrega(filasLocal, a.Fila(local, id, false, clave));
                if (!claveLocal.count(id) && a.Moneda(30))
                    agrega(filasEspejo, a.Fila(local, id, false, clave));
            }
            for (int id : enEspejo)
                if (a.Moneda(50))
                    agrega(filasEspejo,
                           a.Fila(local, id, false,
                                  claveEspejo.count(id) ? claveEspejo[id] : "'e" + std::to_string(id) + "'"));
        } else {
            for (int id = 1; id <= llaves; ++id) {
                if (a.Moneda(75)) agrega(filasLocal, a.Fila(local, id));
                if (a.Moneda(semilla % 3 == 0 ? 5 : 35)) agrega(filasEspejo, a.Fila(local, id));
            }
        }
        x.Local("datos1", "DROP TABLE IF EXISTS azar");
        x.Local("datos1", Tabla(false));
        if (!filasLocal.empty()) x.Local("datos1", kColumnas + filasLocal);
        // ESPEJO rows that break its unique key are left out, as its index would.
        const bool unaFalla = semilla % 4 == 3;
        auto espejoInicial = [&] {
            x.Espejo("DROP TABLE IF EXISTS azar");
            // A second unique key refuses rows no look-up foresees.
            x.Espejo(Tabla(true, unaFalla));
            if (!filasEspejo.empty())
                x.Espejo(std::string(kColumnas).replace(0, 6, "INSERT IGNORE") + filasEspejo);
        };
        const int limite = a.Entre(3, 40);
        for (bool xfadua : {false, true}) {
            SCOPED_TRACE(xfadua ? "ExportarXFADUA" : "ExportarInfo");
            V resultado[2], problemas[2];
            for (bool porRenglon : {true, false}) {
                espejoInicial();
                const size_t antes = x.Problemas().size();
                est.Tabla = "azar";
                est.Llave = "Id";
                est.Limite = static_cast<int16_t>(limite);
                est.UltimoFolio = semilla % 5 == 0 ? 20 : 0;
                est.SoloPorRenglon = porRenglon;
                est.Cronos("2026-03-05 00:00:00");
                if (xfadua)
                    est.ExportarXFADUA();
                else
                    est.ExportarInfo();
                Mod.Detener = Mod.Interrumpir = false;
                if (!porRenglon) bloques += est.BloquesEnviados();
                resultado[porRenglon] = x.EnEspejo(kLectura);
                problemas[porRenglon] = Lineas(x.Problemas().substr(antes));
                resultado[porRenglon].push_back(
                    x.EnEspejo("SELECT AUTO_INCREMENT FROM information_schema.TABLES "
                               "WHERE TABLE_SCHEMA=DATABASE() AND TABLE_NAME='azar'")
                        .at(0));
            }
            EXPECT_EQ(resultado[false], resultado[true]);
            EXPECT_EQ(problemas[false], problemas[true]);
            ++(problemas[true].empty() ? sinFallas : conFallas);
        }
    }
    // Both paths were walked: whole blocks, and blocks that failed and went row by row.
    EXPECT_GT(bloques, 20);
    EXPECT_GT(conFallas, 2);
    EXPECT_GT(sinFallas, 2);
}

TEST(ExportarPorBloques, MovesInChainsRowsNumberedByEspejoAndARefusedRewriteWithinOneBlock) {
    REQUIERE_SERVIDORES();
    prueba::Escenario x({"gastos"});
    clsEstandar& est = x.Exportador();
    est.Tabla = "azar";
    est.Llave = "Id";
    est.Limite = 100;
    est.UltimoFolio = 0;
    est.Cronos("2026-01-01 00:00:00");
    auto corre = [&](bool xfadua, bool unica, const std::string& espejo, bool segunda = false) {
        V r[2];
        for (bool porRenglon : {true, false}) {
            x.Espejo("DROP TABLE IF EXISTS azar");
            x.Espejo(Tabla(unica, segunda));
            x.Espejo(kColumnas + espejo);
            est.SoloPorRenglon = porRenglon;
            xfadua ? est.ExportarXFADUA() : est.ExportarInfo();
            EXPECT_EQ(est.BloquesEnviados(), porRenglon ? 0 : 1);
            r[porRenglon] = x.EnEspejo("SELECT Id,Clave,Entero,Corto FROM azar ORDER BY Id");
        }
        EXPECT_EQ(r[false], r[true]);
        return r[false];
    };
    x.Local("datos1", Tabla(false));
    auto fila = [](int id, const std::string& clave, int entero, const std::string& corto = "NULL") {
        return "(" + std::to_string(id) + "," + clave + "," + std::to_string(entero) +
               ",0,NULL,NULL,NULL,NULL,NULL,NULL," + corto + ",NULL,NULL,NULL,'2026-02-01 00:00:00')";
    };

    // The row at 2 moves to 5 for the first local row and on to 7 for the second, written another way.
    x.Local("datos1", kColumnas + fila(5, "'A1'", 50) + "," + fila(7, "'a1 '", 70));
    EXPECT_EQ(corre(false, true, fila(2, "'a1'", 20)), (V{"7|a1|20|NULL"}));
    EXPECT_EQ(x.Problemas(), "");

    // Row 4 is new and ESPEJO numbers it 10, so the local row 10 finds its key taken and rewrites it.
    x.Local("datos1", "DELETE FROM azar");
    x.Local("datos1", kColumnas + fila(3, "'c'", 3) + "," + fila(4, "'d'", 4) + "," + fila(10, "'z'", 100));
    std::string espejo;
    for (int id : {1, 2, 3, 5, 6, 7, 8, 9}) espejo += (id > 1 ? "," : "") + fila(id, "'e'", id);
    const V r = corre(true, false, espejo);
    ASSERT_EQ(r.size(), 9u);
    EXPECT_EQ(r[2], "3|c|3|NULL");
    EXPECT_EQ(r[8], "10|z|100|NULL");
    EXPECT_EQ(x.Problemas(), "");

    // Rewritten together, the second row is refused by the other unique key: the first stays rewritten
    // and the export ends at the second, as row by row.
    x.Local("datos1", "DELETE FROM azar");
    std::string local, suyas;
    for (int id = 1; id <= 5; ++id) {
        const std::string n = std::to_string(id);
        local += (id > 1 ? "," : "") + fila(id, "'k" + n + "'", id * 10, id == 2 ? "'c4'" : "'x" + n + "'");
        suyas += (id > 1 ? "," : "") + fila(id, "'k" + n + "'", id, "'c" + n + "'");
    }
    x.Local("datos1", kColumnas + local);
    const size_t antes = x.Problemas().size();
    EXPECT_EQ(corre(true, true, suyas, true),
              (V{"1|k1|10|x1", "2|k2|2|c2", "3|k3|3|c3", "4|k4|4|c4", "5|k5|5|c5"}));
    EXPECT_NE(x.Problemas().find(" .- No se copió azar, Id 2: Duplicate entry 'c4'", antes),
              std::string::npos)
        << x.Problemas();
}

TEST(ExportarPorBloques, AHubThatDiesMidBlockKeepsWholeBlocksOnly) {
    REQUIERE_SERVIDORES();
    prueba::Escenario x({"gastos"});
    clsEstandar& est = x.Exportador();
    prueba::Caida caida("hub");
    Mod.SegundosReintento = 0;
    std::string filas;
    // Row 16 meets row 13 by its unique value: the rows before it go to ESPEJO before the block ends.
    for (int id = 1; id <= 25; ++id)
        filas += (id > 1 ? "," : "") + std::string("(") + std::to_string(id) + "," +
                 (id == 16 ? std::string("'C13'") : "'c" + std::to_string(id) + "'") +
                 ",0,'2026-05-01 00:00:00')";
    x.Local("datos1", Tabla(false));
    x.Local("datos1", "INSERT INTO azar (Id,Clave,Grande,FADUA) VALUES " + filas);
    est.Tabla = "azar";
    est.Llave = "Id";
    est.Limite = 10;
    est.UltimoFolio = 0;
    est.Cronos("2026-04-01 00:00:00");

    for (bool xfadua : {false, true}) {
        SCOPED_TRACE(xfadua ? "ExportarXFADUA" : "ExportarInfo");
        x.Espejo("DROP TABLE IF EXISTS azar");
        x.Espejo(Tabla(true));
        // Down while the second block is on its way: rows 11 to 15 reached ESPEJO, none of them stays.
        bool muerto = false;
        x.m.ventana.alMostrarTabla = [&](const std::string& t) {
            if (!muerto && t.find("Copiando Id 17") != std::string::npos) caida.Mata(), muerto = true;
        };
        const Resultado r = xfadua ? est.ExportarXFADUA() : est.ExportarInfo();
        x.m.ventana.alMostrarTabla = nullptr;
        caida.Revive();
        EXPECT_EQ(r, Resultado::SinConexion);
        EXPECT_EQ(x.EnEspejo("SELECT COUNT(*), MIN(Clave), MAX(Clave) FROM azar"), V{"10|c1|c9"});
        EXPECT_NE(x.Problemas().find("NO CONECTÓ A LA EMPRESA ESPEJO. ENVÍO DE INFORMACIÓN INTERRUMPIDO"),
                  std::string::npos);
    }
}

TEST(ExportarPorBloques, ARowLockedOnEspejoStaysQueuedAsRowByRow) {
    REQUIERE_SERVIDORES();
    prueba::Escenario x({"gastos"});
    clsEstandar& est = x.Exportador();
    x.EsperasCortas();
    est.Tabla = "azar";
    est.Llave = "Id";
    est.Limite = 100;
    est.UltimoFolio = 0;
    est.Cronos("2026-04-01 00:00:00");
    x.Local("datos1", Tabla(false));
    std::string local, suyas;
    for (int id = 1; id <= 5; ++id) {
        const std::string n = std::to_string(id);
        local += (id > 1 ? "," : "") + ("(" + n + ",'k" + n + "'," + n + "0,'2026-05-01 00:00:00')");
        suyas += (id > 1 ? "," : "") + ("(" + n + ",'k" + n + "'," + n + ",'2026-01-01 00:00:00')");
    }
    x.Local("datos1", "INSERT INTO azar (Id,Clave,Entero,FADUA) VALUES " + local);

    V espejo[2], problemas[2];
    Resultado r[2];
    for (bool porRenglon : {true, false}) {
        SCOPED_TRACE(porRenglon ? "por renglón" : "por bloques");
        x.Espejo("DROP TABLE IF EXISTS azar");
        x.Espejo(Tabla(true));
        x.Espejo("INSERT INTO azar (Id,Clave,Entero,FADUA) VALUES " + suyas);
        kvtx8::Conexion otra = x.OtraAlEspejo();
        ASSERT_TRUE(otra.Ejecutar("START TRANSACTION"));
        ASSERT_TRUE(otra.Ejecutar("SELECT * FROM azar WHERE Id = 3 FOR UPDATE"));
        const size_t antes = x.Problemas().size();
        est.SoloPorRenglon = porRenglon;
        r[porRenglon] = est.ExportarXFADUA();
        otra.Ejecutar("ROLLBACK");
        espejo[porRenglon] = x.EnEspejo("SELECT Id,Entero FROM azar ORDER BY Id");
        problemas[porRenglon] = Lineas(x.Problemas().substr(antes));
        EXPECT_NE(r[porRenglon], Resultado::Completo);
    }
    EXPECT_EQ(espejo[false], espejo[true]);
    EXPECT_EQ(problemas[false], problemas[true]);
    EXPECT_EQ(r[false], r[true]);
}
