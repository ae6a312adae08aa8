#include "components/de_precios.h"

#include <gtest/gtest.h>

#include "support/escenario.h"

using kvtx8::DePrecios;

TEST(DePrecios, RoundsToTheCentOrUpToTheRulesMultiple) {
    // To the cent, halves away from zero, whatever binary fractions make of them.
    EXPECT_DOUBLE_EQ(DePrecios::Redondear(12.345, 0), 12.35);
    EXPECT_DOUBLE_EQ(DePrecios::Redondear(12.344, 0), 12.34);
    EXPECT_DOUBLE_EQ(DePrecios::Redondear(1.005, 0), 1.01);
    EXPECT_DOUBLE_EQ(DePrecios::Redondear(-12.345, 0), -12.35);
    EXPECT_DOUBLE_EQ(DePrecios::Redondear(7, -1), 7);
    // Up to the next multiple of the rule; a value on one stays.
    EXPECT_DOUBLE_EQ(DePrecios::Redondear(12.31, 0.5), 12.5);
    EXPECT_DOUBLE_EQ(DePrecios::Redondear(12.5, 0.5), 12.5);
    EXPECT_DOUBLE_EQ(DePrecios::Redondear(12.51, 0.5), 13);
    EXPECT_DOUBLE_EQ(DePrecios::Redondear(99.01, 1), 100);
    EXPECT_DOUBLE_EQ(DePrecios::Redondear(123, 10), 130);
    EXPECT_DOUBLE_EQ(DePrecios::Redondear(120, 10), 120);
    EXPECT_DOUBLE_EQ(DePrecios::Redondear(10.1, 0.1), 10.1);  // 10.1 / 0.1 is 100.99999...
    EXPECT_DOUBLE_EQ(DePrecios::Redondear(0.3, 0.1), 0.3);
    EXPECT_DOUBLE_EQ(DePrecios::Redondear(3.3333333, 0.05), 3.35);
    EXPECT_DOUBLE_EQ(DePrecios::Redondear(-12.31, 0.5), -12.5);

    // A formula: operator, factor, then the rule.
    EXPECT_DOUBLE_EQ(DePrecios::AplicaFormula(80, "X", 1.35, 1), 108);
    EXPECT_DOUBLE_EQ(DePrecios::AplicaFormula(80, "x", 1.3333, 0), 106.66);
    EXPECT_DOUBLE_EQ(DePrecios::AplicaFormula(80, "+", 12.5, 0), 92.5);
    EXPECT_DOUBLE_EQ(DePrecios::AplicaFormula(80, "--", 0.01, 0.5), 80);
    EXPECT_DOUBLE_EQ(DePrecios::AplicaFormula(100, "/", 3, 0), 33.33);
    EXPECT_DOUBLE_EQ(DePrecios::AplicaFormula(100, "/", 0, 0), 100);
    EXPECT_DOUBLE_EQ(DePrecios::AplicaFormula(41.2, "", 7, 5), 45);
}

TEST(DePrecios, ReadsAPriceByNumberWithItsFormula) {
    REQUIERE_SERVIDORES();
    prueba::Escenario e(prueba::Tablas{"productos", "productosmasprecios"});
    e.ApuntaAServidores();
    e.Local("datos1",
            "INSERT INTO productos (Clave, Precio2, forCampo2, forOperador2, forFactor2, forRedondear2) "
            "VALUES ('P''ARK', 15.5, 'Costo', 'X', 1.25, 0.5);"
            "INSERT INTO productosmasprecios (Producto, NumeroDePrecio, Precio, forCampo, forOperador, "
            "forFactor, forRedondear) VALUES ('P''ARK', 7, 88.25, 'Precio1', '+', 3, 1), ('OTRO', 7, 1, '', "
            "'', 0, 0)");
    kvtx8::Conexion cn;
    ASSERT_TRUE(cnc::AbreBaseLocal(cn));

    DePrecios p;
    EXPECT_DOUBLE_EQ(p.ElPrecio(cn, "P'ARK", 7), 88.25);
    EXPECT_TRUE(p.Hallado);
    EXPECT_EQ(p.CampoFormula, "Precio1");
    EXPECT_EQ(p.OperadorFormula, "+");
    EXPECT_DOUBLE_EQ(p.FactorFormula, 3);
    EXPECT_DOUBLE_EQ(p.RedondeoFormula, 1);
    EXPECT_DOUBLE_EQ(p.AplicaFormula(10.2), 14);

    EXPECT_DOUBLE_EQ(p.ElPrecio(cn, "P'ARK", 2), 15.5);
    EXPECT_EQ(p.CampoFormula, "Costo");
    EXPECT_EQ(p.OperadorFormula, "X");
    EXPECT_DOUBLE_EQ(p.FactorFormula, 1.25);
    EXPECT_DOUBLE_EQ(p.RedondeoFormula, 0.5);

    // A missing row leaves no formula of the price read before.
    EXPECT_DOUBLE_EQ(p.ElPrecio(cn, "P'ARK", 8), 0);
    EXPECT_FALSE(p.Hallado);
    EXPECT_EQ(p.CampoFormula, "");
    EXPECT_EQ(p.OperadorFormula, "");
    EXPECT_DOUBLE_EQ(p.FactorFormula, 0);
    EXPECT_DOUBLE_EQ(p.ElPrecio(cn, "x' OR '1'='1", 7), 0);
    EXPECT_FALSE(p.Hallado);
    EXPECT_DOUBLE_EQ(p.ElPrecio(cn, "NO HAY", 3), 0);
    EXPECT_FALSE(p.Hallado);
}
