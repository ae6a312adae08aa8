#include "receive/valores_de_cola.h"

#include <gtest/gtest.h>

#include <regex>

#include "support/hostiles.h"

using namespace cnc;

TEST(ValoresDeCola, NumbersFromTheHubArePlainOrRefused) {
    EXPECT_EQ(DecimalDeCola(" 12.50 ").value_or("no"), "12.50");
    EXPECT_EQ(DecimalDeCola("-3").value_or("no"), "-3");
    for (const char* malo : {"1e309", "0x10", "12,50", "", "-", ".", "1.2.3", "&H10", "NaN", "inf", "1 2"})
        EXPECT_FALSE(DecimalDeCola(malo)) << malo;
    EXPECT_EQ(EnteroDeCola("42").value_or("no"), "42");
    for (const char* malo : {"4.2", "1e3", "", "9999999999999999999", "0x1"})
        EXPECT_FALSE(EnteroDeCola(malo));
    // Whatever the hub holds, what goes on into SQL is digits, a sign and a point.
    const std::regex decimal("[-+]?[0-9]+(\\.[0-9]+)?"), entero("[-+]?[0-9]{1,18}");
    for (const std::string& h : prueba::Hostiles()) {
        if (const auto d = DecimalDeCola(h)) {
            EXPECT_TRUE(std::regex_match(*d, decimal)) << prueba::Muestra(h);
        }
        if (const auto n = EnteroDeCola(h)) {
            EXPECT_TRUE(std::regex_match(*n, entero)) << prueba::Muestra(h);
        }
    }

    EXPECT_EQ(FormatoMoneda("1234567.5"), "1,234,567.50");
    EXPECT_EQ(FormatoMoneda("1000"), "1,000.00");
    EXPECT_EQ(FormatoMoneda("0.0000"), "0.00");
    EXPECT_EQ(FormatoMoneda("999.995"), "1,000.00");
    EXPECT_EQ(FormatoMoneda("2.675"), "2.68");  // no binary rounding on the way
    EXPECT_EQ(FormatoMoneda("-1234.5"), "-1,234.50");
    EXPECT_EQ(FormatoMoneda("123"), "123.00");
    EXPECT_EQ(FormatoMoneda("123456789012345.1234"), "123,456,789,012,345.12");

    EXPECT_TRUE(MismoNumero("12.5000", "12.50"));
    EXPECT_TRUE(MismoNumero("-0.00", "0"));
    EXPECT_FALSE(MismoNumero("12.5001", "12.5"));
    EXPECT_FALSE(MismoNumero("-1", "1"));
    EXPECT_EQ(NumeroCorto("0.0000"), "0");
    EXPECT_EQ(NumeroCorto("-2.5000"), "-2.5");
    EXPECT_EQ(PrimerosCaracteres("Atún en agua", 3), "Atú");
    EXPECT_EQ(PrimerosCaracteres("ñ", 25), "ñ");
}
