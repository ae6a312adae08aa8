#include <gtest/gtest.h>

#include "core/reglas.h"

using namespace cnc;

TEST(Reglas, SettingsReadAsBooleansBytesAndPorts) {
    // Basic booleans: the words for true in any case, or any number other than 0.
    for (const char* t : {"true", "True", " VERDADERO ", "1", "-1", "2", "0.5", " 7 "})
        EXPECT_TRUE(ComoBooleano(t)) << t;
    for (const char* t : {"", "0", "0.0", "false", "Falso", "si", "S", "1abc", "abc", "&H1"})
        EXPECT_FALSE(ComoBooleano(t)) << t;

    // Byte flags: 0 to 255 as they stand; anything else is off, or what the caller says.
    EXPECT_EQ(ComoByte("0"), 0);
    EXPECT_EQ(ComoByte(" 1 "), 1);
    EXPECT_EQ(ComoByte("255"), 255);
    for (const char* t : {"256", "-1", "1.5", "uno", "", "65537"}) {
        EXPECT_EQ(ComoByte(t), 0) << t;
        EXPECT_EQ(ComoByte(t, 250), 250) << t;
    }

    // Ports: 1 to 65535, and 0 for the server's default; nothing else, and never cut to 16 bits.
    EXPECT_EQ(ComoPuerto("3306"), 3306u);
    EXPECT_EQ(ComoPuerto(" 65535 "), 65535u);
    EXPECT_EQ(ComoPuerto("0"), 0u);
    for (const char* t : {"", "65536", "70000", "-1", "33o6", "3306.5", "1e3", "99999999999999999999"})
        EXPECT_FALSE(ComoPuerto(t).has_value()) << t;
}

TEST(Reglas, NumbersForSqlAreCheckedNotTrusted) {
    EXPECT_EQ(NumeroSQL(" 42 "), "42");
    EXPECT_EQ(NumeroSQL("4.5"), "0");
    EXPECT_EQ(NumeroDecimalSQL(" 12.50 "), "12.50");
    EXPECT_EQ(NumeroDecimalSQL("-3e2"), "-3e2");
    for (const char* t : {"", "1; DROP TABLE x", "0x1A", "inf", "nan", "1,5", "12.5.1", "1 2"})
        EXPECT_EQ(NumeroDecimalSQL(t), "0") << t;
}

TEST(Reglas, NamesAreQuotedWholeWithTheSchemaApart) {
    EXPECT_EQ(Identificador("productos"), "`productos`");
    EXPECT_EQ(Identificador("a.b"), "`a.b`");
    EXPECT_EQ(Identificador("x`; DROP TABLE y; `"), "`x``; DROP TABLE y; ```");
    EXPECT_EQ(Identificador("concentradorqmx", "avisos"), "`concentradorqmx`.`avisos`");
    EXPECT_EQ(Identificador("", "avisos"), "`avisos`");
    EXPECT_EQ(Identificador("mi`base", "t.1"), "`mi``base`.`t.1`");

    // A literal of the code may name the hub schema; a name held in a string is one table name.
    const NombreTabla literal = "concentradorqmx.configuracion";
    EXPECT_EQ(literal.esquema, "concentradorqmx");
    EXPECT_EQ(literal.tabla, "configuracion");
    EXPECT_EQ(literal.SQL(), "`concentradorqmx`.`configuracion`");
    const NombreTabla otroLiteral = "otra.configuracion";
    EXPECT_EQ(otroLiteral.SQL(), "`otra.configuracion`");
    const std::string deDatos = "concentradorqmx.configuracion";
    EXPECT_EQ(NombreTabla(deDatos).SQL(), "`concentradorqmx.configuracion`");
    EXPECT_EQ(NombreTabla("datos1", "a.b").SQL(), "`datos1`.`a.b`");
}

TEST(Reglas, VersionAndSecondsBetweenDates) {
    EXPECT_EQ(VersionDelPrograma(), CONCENTRADOR_VERSION);
    EXPECT_TRUE(kvtx8::EsVersion(VersionDelPrograma()));

    using kvtx8::FechaHora;
    EXPECT_EQ(SegundosEntre({2026, 12, 31, 23, 59, 59}, {2027, 1, 1, 0, 0, 0}), 1);
    EXPECT_EQ(SegundosEntre({2024, 2, 28, 12, 0, 0}, {2024, 3, 1, 12, 0, 0}), 2 * 86400);  // leap day
    EXPECT_EQ(SegundosEntre({2023, 2, 28, 12, 0, 0}, {2023, 3, 1, 12, 0, 0}), 86400);
    EXPECT_EQ(SegundosEntre({2026, 3, 7, 9, 5, 4}, {2026, 3, 7, 9, 0, 0}), -304);
    // The same calendar as the date arithmetic that adds seconds.
    const FechaHora desde{1999, 12, 31, 22, 30, 0};
    for (long long s : {0LL, 1LL, 5400LL, 86399LL, 31622400LL, -86400LL * 400})
        EXPECT_EQ(SegundosEntre(desde, kvtx8::SumaSegundos(desde, s)), s) << s;
}
