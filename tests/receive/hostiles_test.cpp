#include <gtest/gtest.h>

#include "core/shared_routines.h"
#include "receive/cls_aux.h"
#include "support/escenario.h"
#include "support/hostiles.h"

using namespace cnc;
using prueba::Lista;

namespace {

using prueba::CabeEnUnaLinea;
using prueba::Hex;
using prueba::Muestra;

struct Escenario : prueba::Escenario {
    Escenario() : prueba::Escenario(prueba::Tablas{"productos", "configura", "kits", "kitskardex"}) {
        ApuntaAServidores();
        EXPECT_TRUE(AbreBaseLocal(compania));
        Local(baseLocal,
              "CREATE TABLE centinela (Id INT PRIMARY KEY, Texto VARCHAR(20));"
              "INSERT INTO centinela VALUES (1, 'intacta');"
              "INSERT INTO kits (Clave, Costo) VALUES ('OTRO', 5);"
              "INSERT INTO kitskardex (Kit, Partida, Clave, Cantidad, Costo) VALUES ('OTRO', 1, 'X', 1, 1);"
              "INSERT INTO configura (Dato, Contenido) VALUES ('Nombre', 'antes'), ('Otro', 'igual')");
    }
    clsAux aux;
    std::string Archivo(const std::string& contenido) {
        m.carpeta.Escribe("extraido.txt", contenido);
        return m.carpeta.Archivo("extraido.txt");
    }
    // Every row the handlers could reach but the one they were sent to change, and the sentinel.
    Lista Resto(const std::string& dato) {
        return EnLocal(baseLocal,
                       "SELECT CONCAT_WS('|', 'k', Clave, Costo) FROM kits WHERE Clave <> 'K1' UNION ALL "
                       "SELECT CONCAT_WS('|', 'kk', Kit, Partida, Clave, Cantidad) FROM kitskardex WHERE Kit "
                       "<> 'K1' UNION ALL SELECT CONCAT_WS('|', 'cf', Dato, Contenido) FROM configura WHERE "
                       "Dato <> '" +
                           dato + "' UNION ALL SELECT CONCAT_WS('|', 'c', Id, Texto) FROM centinela UNION ALL "
                                  "SELECT COUNT(*) FROM information_schema.tables WHERE table_schema = '" +
                           baseLocal + "'");
    }
    Lista Uno(const std::string& sql) { return EnLocal(baseLocal, sql); }
};

TEST(DatosHostiles, KitFilesStoreEachValueAsItStandsOrRefuseItAndSayWhy) {
    REQUIERE_SERVIDORES();
    Escenario e;
    const Lista resto = e.Resto("");
    int guardados = 0, rehusados = 0;
    for (const std::string& h : prueba::Hostiles()) {
        if (!CabeEnUnaLinea(h)) continue;
        SCOPED_TRACE(Muestra(h));
        // As a component's key: stored byte for byte, or refused with the reason.
        e.aux.Limpia();
        const Lista antes = e.Uno("SELECT CONCAT_WS('|', Clave, HEX(Clave)) FROM kitskardex WHERE Kit='K1'");
        const bool hecho = e.aux.LeerKit("K1", e.compania, e.Archivo("10\n1\n" + h + "\n2\n3\n"));
        if (hecho) {
            ++guardados;
            EXPECT_EQ(e.aux.TextoError, "");
            EXPECT_EQ(e.Uno("SELECT HEX(Clave) FROM kitskardex WHERE Kit='K1'"), Lista{Hex(h)});
        } else {
            ++rehusados;
            EXPECT_EQ(e.aux.TextoError.rfind("Nº ", 0), 0u) << e.aux.TextoError;
            EXPECT_EQ(e.Uno("SELECT CONCAT_WS('|', Clave, HEX(Clave)) FROM kitskardex WHERE Kit='K1'"),
                      antes);
        }
        // As the cost and as a quantity: a number the file means, or refused.
        for (const std::string& archivo : {h + "\n", "10\n1\nA\n" + h + "\n3\n"}) {
            e.aux.Limpia();
            const Lista kit = e.Uno("SELECT CONCAT_WS('|', Costo, IFNULL((SELECT GROUP_CONCAT(Cantidad) "
                                    "FROM kitskardex WHERE Kit='K1'), '-')) FROM kits WHERE Clave='K1'");
            if (e.aux.LeerKit("K1", e.compania, e.Archivo(archivo))) {
                EXPECT_TRUE(kvtx8::EsNumerico(h));
                EXPECT_EQ(e.aux.TextoError, "");
            } else {
                EXPECT_EQ(e.aux.TextoError.rfind("Nº ", 0), 0u) << e.aux.TextoError;
                EXPECT_EQ(e.Uno("SELECT CONCAT_WS('|', Costo, IFNULL((SELECT GROUP_CONCAT(Cantidad) FROM "
                                "kitskardex WHERE Kit='K1'), '-')) FROM kits WHERE Clave='K1'"),
                          kit);
            }
        }
        EXPECT_EQ(e.Resto(""), resto);
    }
    // Most values are plain text to a key column; the test would prove nothing if all were refused.
    EXPECT_GT(guardados, 30);
    EXPECT_GT(rehusados, 0);
}

TEST(DatosHostiles, SettingsFilesStoreEachValueAsItStandsOrRefuseItAndSayWhy) {
    REQUIERE_SERVIDORES();
    Escenario e;
    const Lista resto = e.Resto("Nombre");
    int guardados = 0;
    for (const std::string& h : prueba::Hostiles()) {
        if (!CabeEnUnaLinea(h)) continue;
        SCOPED_TRACE(Muestra(h));
        // The sender doubles backslashes.
        std::string escrito;
        for (char c : h) escrito += c == '\\' ? std::string("\\\\") : std::string(1, c);
        const Lista antes = e.Uno("SELECT HEX(Contenido) FROM configura WHERE Dato='Nombre'");
        e.aux.Limpia();
        e.aux.LeerDeConfigura(e.compania, e.Archivo("\"Nombre\",\"" + escrito + "\"\r\n"));
        if (e.aux.TextoError.empty()) {
            ++guardados;
            EXPECT_EQ(e.Uno("SELECT HEX(Contenido) FROM configura WHERE Dato='Nombre'"), Lista{Hex(h)});
        } else {
            EXPECT_EQ(e.aux.TextoError.rfind("Nº ", 0), 0u) << e.aux.TextoError;
            EXPECT_EQ(e.Uno("SELECT HEX(Contenido) FROM configura WHERE Dato='Nombre'"), antes);
        }
        // As the name of the setting: only a row of that name, which the company lacks, could change.
        e.aux.Limpia();
        e.aux.LeerDeConfigura(e.compania, e.Archivo("\"" + escrito + "\",\"cambiado\"\r\n"));
        EXPECT_TRUE(e.aux.TextoError.empty() || e.aux.TextoError.rfind("Nº ", 0) == 0) << e.aux.TextoError;
        EXPECT_EQ(e.Resto("Nombre"), resto);
    }
    EXPECT_GT(guardados, 30);
}

}  // namespace
