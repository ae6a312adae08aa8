#include "components/lectura_secuencial.h"

#include <gtest/gtest.h>

using kvtx8::LecturaSecuencial;

namespace {

std::string Junta(const std::vector<std::string>& v) {
    std::string s;
    for (size_t i = 0; i < v.size(); ++i) s += (i ? "|" : "") + v[i];
    return "[" + s + "]";
}

}  // namespace

TEST(LecturaSecuencial, ReadsWriteRecordsLineByLine) {
    // Windows and Linux line ends, blank lines, blanks around values, commas inside texts, dates and
    // booleans between '#', an empty value at the end of a line.
    LecturaSecuencial f(
        "\"Dato\",\"uno, dos\"\r\n"
        "\r\n"
        "  12.5 , -3,#2026-01-31#,#TRUE#\n"
        "\"con 'apóstrofo' y \\\\\",\n"
        "\"\",\"\"\r\n"
        "sin comillas, a la vista \r\n");
    std::vector<std::string> v;
    ASSERT_TRUE(f.Registro(v, 2));
    EXPECT_EQ(Junta(v), "[Dato|uno, dos]");
    ASSERT_TRUE(f.Registro(v, 4));
    EXPECT_EQ(Junta(v), "[12.5|-3|2026-01-31|TRUE]");
    EXPECT_EQ(f.NumeroDeLinea(), 3u);
    ASSERT_TRUE(f.Registro(v, 2));
    EXPECT_EQ(Junta(v), "[con 'apóstrofo' y \\\\|]");
    ASSERT_TRUE(f.Registro(v));
    EXPECT_EQ(Junta(v), "[|]");
    EXPECT_FALSE(f.Fin());
    std::string linea;
    ASSERT_TRUE(f.Linea(linea));
    EXPECT_EQ(linea, "sin comillas, a la vista ");
    EXPECT_TRUE(f.Fin());
    EXPECT_FALSE(f.Registro(v));
    EXPECT_EQ(f.Error(), "");

    LecturaSecuencial vacio("\r\n\n  \r\n");
    EXPECT_TRUE(vacio.Fin());
    EXPECT_FALSE(vacio.Registro(v, 1));
}

TEST(LecturaSecuencial, LinesThatAreNotRecordsSayWhy) {
    const std::pair<std::string, std::string> malos[] = {
        {"\"a\",\"b\",\"c\"\r\n", "línea 1: 3 datos donde van 2"},
        {"\"a\"\r\n", "línea 1: 1 datos donde van 2"},
        {"\r\n\"a\",\"cortado\r\n", "línea 2: falta cerrar las comillas"},
        {"\"a\",#2026-01-31\r\n", "línea 1: falta cerrar el '#'"},
        {"\"a\"x,\"b\"\r\n", "línea 1: texto después de un valor entre comillas"},
        {"a\"b,c\r\n", "línea 1: comillas dentro de un valor sin comillas"},
        {"", "faltan renglones: se esperaban 2 datos"},
    };
    for (const auto& [texto, error] : malos) {
        LecturaSecuencial f(texto);
        std::vector<std::string> v;
        EXPECT_FALSE(f.Registro(v, 2)) << texto;
        EXPECT_EQ(f.Error(), error) << texto;
    }
}
