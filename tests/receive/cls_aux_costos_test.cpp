#include <gtest/gtest.h>

#include "core/shared_routines.h"
#include "receive/cls_aux.h"
#include "receive/impuestos.h"
#include "support/escenario.h"

using namespace cnc;
using prueba::Lista;

namespace {

const prueba::Tablas kTablas = {"productos",
                                "productosmasprecios",
                                "lineas",
                                "sublineas",
                                "marcas",
                                "medidas",
                                "clavesalternas",
                                "existenciaexterna",
                                "clavereferencias",
                                "anexoproductos",
                                "presentaciones",
                                "cambiosdeprecios",
                                "configura",
                                "kits",
                                "kitskardex",
                                "descuentoyoferta",
                                "productosenpromocion",
                                "monedas"};

// An SQL literal for the test's own rows.
std::string Lit(const std::string& s) {
    std::string r = "'";
    for (char c : s) {
        if (c == '\\' || c == '\'') r += '\\';
        r += c;
    }
    return r + "'";
}

struct Escenario : prueba::Escenario {
    Escenario() : prueba::Escenario(kTablas) {
        ApuntaAServidores();
        EXPECT_TRUE(AbreBaseLocal(compania));
        EXPECT_TRUE(AbreBase(Mod.BDLocal, servidorLocal, ""));
        EXPECT_TRUE(AbreBaseEspejo(conEspejo));
        Mod.TipoSucursal = 0;
    }
    clsAux aux;
    void Compania(const std::string& sql) { Local(baseLocal, sql); }
    void Matriz(const std::string& sql) { Hub(matriz, sql); }
    Lista EnCompania(const std::string& sql) { return EnLocal(baseLocal, sql); }
    void Configura(const std::string& dato, const std::string& valor) {
        Compania("INSERT INTO configura (Dato, Contenido) VALUES (" + Lit(dato) + ", " + Lit(valor) +
                 ") ON DUPLICATE KEY UPDATE Contenido = VALUES(Contenido)");
    }
    std::string Archivo(const std::string& contenido) {
        m.carpeta.Escribe("extraido.txt", contenido);
        return m.carpeta.Archivo("extraido.txt");
    }
    Lista Precios(const std::string& clave) {
        return EnCompania(
            "SELECT CONCAT_WS('|', Precio1, Precio2, Precio3, Precio4, Precio5, IFNULL((SELECT "
            "GROUP_CONCAT(Precio ORDER BY NumeroDePrecio) FROM productosmasprecios m WHERE m.Producto = "
            "p.Clave), '-')) FROM productos p WHERE Clave = " +
            Lit(clave));
    }
    Lista Cambios() {
        return EnCompania(
            "SELECT CONCAT_WS('|', Producto, Numero, PrecioAnterior, PrecioNuevo, Fecha, Hora, Usuario) FROM "
            "cambiosdeprecios ORDER BY Id");
    }
    // Everything a cost, kit, offer or settings file may touch.
    Lista Huella() {
        return EnCompania(
            "SELECT CONCAT_WS('|', 'p', Clave, Costo, CostoProm, Precio1, Precio2, Precio3, forCampo2, "
            "forFactor2, Rango1, IFNULL(FechaCambios, '-')) FROM productos UNION ALL SELECT CONCAT_WS('|', "
            "'a', ClaveProducto, ClaveAlterna) FROM clavesalternas UNION ALL SELECT CONCAT_WS('|', 'c', "
            "COUNT(*)) FROM cambiosdeprecios UNION ALL SELECT CONCAT_WS('|', 'k', Clave, Costo) FROM kits "
            "UNION ALL SELECT CONCAT_WS('|', 'kk', Kit, Partida, Clave, Cantidad, Costo) FROM kitskardex "
            "UNION ALL SELECT CONCAT_WS('|', 'o', COUNT(*)) FROM descuentoyoferta UNION ALL SELECT "
            "CONCAT_WS('|', 'pp', COUNT(*)) FROM productosenpromocion UNION ALL SELECT CONCAT_WS('|', 'l', "
            "COUNT(*)) FROM lineas UNION ALL SELECT CONCAT_WS('|', 'cf', Dato, Contenido) FROM configura");
    }
};

}  // namespace

TEST(Impuestos, TheTwoTaxesNeverCompoundEachOther) {
    REQUIERE_SERVIDORES();
    Escenario e;
    uint8_t iva = 9, impAd = 9;
    // Not set: neither applies on the other.
    LeerAplicacionImpuestos(iva, impAd, e.compania);
    EXPECT_EQ(iva + 10 * impAd, 0);
    e.Configura("AplicaIVA", "1");
    e.Configura("AplicaImpAd", "1");
    LeerAplicacionImpuestos(iva, impAd, e.compania);
    EXPECT_EQ(iva + 10 * impAd, 1);
    e.Configura("AplicaIVA", "0");
    LeerAplicacionImpuestos(iva, impAd, e.compania);
    EXPECT_EQ(iva + 10 * impAd, 10);
    e.Configura("AplicaIVA", "sí");
    e.Configura("AplicaImpAd", "300");
    LeerAplicacionImpuestos(iva, impAd, e.compania);
    EXPECT_EQ(iva + 10 * impAd, 0);

    // Cost 100, VAT 16 %, additional tax 8 %.
    double v = 0, a = 0;
    EXPECT_DOUBLE_EQ(CostoConImpuestos(100, 0, 0, v, a, 16, 8), 124);
    EXPECT_DOUBLE_EQ(v, 16);
    EXPECT_DOUBLE_EQ(a, 8);
    EXPECT_DOUBLE_EQ(CostoConImpuestos(100, 1, 0, v, a, 16, 8), 125.28);
    EXPECT_DOUBLE_EQ(v, 17.28);
    EXPECT_DOUBLE_EQ(a, 8);
    EXPECT_DOUBLE_EQ(CostoConImpuestos(100, 0, 1, v, a, 16, 8), 125.28);
    EXPECT_DOUBLE_EQ(v, 16);
    EXPECT_DOUBLE_EQ(a, 9.28);

    // Currencies: 1 national, 2 at 20, 3 without parity.
    e.Compania(
        "INSERT INTO monedas (Id, Nombre, Paridad) VALUES (1, 'PESO', 1), (2, 'DOLAR', 20), (3, 'X', 0)");
    EXPECT_EQ(ConvertirMoneda(e.compania, true, 2, 1, 10), 200);
    EXPECT_EQ(ConvertirMoneda(e.compania, true, 1, 2, 400), 20);
    EXPECT_EQ(ConvertirMoneda(e.compania, false, 2, 1, 10), 10);
    EXPECT_EQ(ConvertirMoneda(e.compania, true, 3, 3, 10), 10);
    EXPECT_EQ(ConvertirMoneda(e.compania, true, 3, 1, 10), std::nullopt);
    EXPECT_EQ(ConvertirMoneda(e.compania, true, 1, 9, 10), std::nullopt);
}

TEST(RecalcularPrecios, AWorkedTableOfFormulasTaxesAndCurrencies) {
    REQUIERE_SERVIDORES();
    Escenario e;
    e.Compania("INSERT INTO monedas (Id, Nombre, Paridad) VALUES (1, 'PESO', 1), (2, 'DOLAR', 20)");
    e.Configura("MultiMoneda", "1");
    e.Configura("IVA", "16");
    e.Configura("Precios", "7");
    e.Compania(
        // Every operator; a price built on a price computed before it, and on prices above 5.
        "INSERT INTO productos (Clave, Costo, CostoProm, Precio5, "
        "forCampo1, forOperador1, forFactor1, forRedondear1, forCampo2, forOperador2, forFactor2, "
        "forCampo3, forOperador3, forFactor3, forCampo4, forOperador4, forFactor4, forRedondear4) VALUES "
        "('P1', 100, 90, 77, 'Costo', 'X', 1.5, 0, 'CostoProm', '+', 10, 'Precio1', '--', 12.345, "
        "'COSTO', '/', 0.7, 5);"
        "INSERT INTO productosmasprecios (Producto, NumeroDePrecio, Precio, forCampo, forOperador, "
        "forFactor, "
        "forRedondear) VALUES ('P1', 6, 1, 'Precio4', '+', 5, 1), ('P1', 7, 1, 'precio6', 'X', 2, 0);"
        // Bought in dollars, sold in pesos, and the other way round.
        "INSERT INTO productos (Clave, Costo, MonedaCompra, MonedaVenta, forCampo1, forOperador1, "
        "forFactor1, "
        "forRedondear1, forCampo2, forOperador2, forFactor2) VALUES "
        "('P2', 10, 2, 1, 'Costo', 'X', 1.3, 1, 'costo', '+', 0.5),"
        "('P3', 400, 1, 2, 'Costo', 'X', 1.1, 0.5, '', '', 0),"
        // A currency the company does not have: the price stays.
        "('P4', 10, 9, 1, 'Costo', 'X', 2, 0, '', '', 0)");
    e.Compania("UPDATE productos SET Precio1 = 3 WHERE Clave = 'P4'");

    for (const char* clave : {"P1", "P2", "P3", "P4", "NOHAY"})
        EXPECT_TRUE(e.aux.RecalcularPrecios(e.compania, clave)) << clave;
    // P1: 100 x 1.5 = 150; 90 + 10 = 100; 150 - 12.345 = 137.655, to the cent 137.66; 100 / 0.7 = 142.857,
    // up to a multiple of 5: 145; price 5 has no formula; 145 + 5 = 150; 150 x 2 = 300.
    EXPECT_EQ(e.Precios("P1"), Lista{"150.0000|100.0000|137.6600|145.0000|77.0000|150.0000,300.0000"});
    // P2: 10 dollars are 200 pesos; x 1.3 = 260 (on a multiple of 1); + 0.5 = 200.50.
    EXPECT_EQ(e.Precios("P2"), Lista{"260.0000|200.5000|0.0000|0.0000|0.0000|-"});
    // P3: 400 pesos are 20 dollars; x 1.1 = 22, already a multiple of 0.5.
    EXPECT_EQ(e.Precios("P3"), Lista{"22.0000|0.0000|0.0000|0.0000|0.0000|-"});
    EXPECT_EQ(e.Precios("P4"), Lista{"3.0000|0.0000|0.0000|0.0000|0.0000|-"});
    // Each price that moved is recorded; recomputing again moves nothing.
    EXPECT_EQ(e.Cambios().size(), 9u);
    EXPECT_EQ(e.Cambios().at(2), "P1|3|0.0000|137.6600|2026-12-08|10:00:00|CONCENTRAD");
    EXPECT_TRUE(e.aux.RecalcularPrecios(e.compania, "P1"));
    EXPECT_EQ(e.Cambios().size(), 9u);

    // Taxes on cost: VAT 16 % on cost plus the general additional tax 8 %; AplicaImpAd yields to AplicaIVA.
    e.Configura("AumentarImptosCosto", "1");
    e.Configura("ImpAdicional", "1");
    e.Configura("ImpAdGeneral", "8");
    e.Configura("AplicaIVA", "1");
    e.Configura("AplicaImpAd", "1");
    e.Configura("Precios", "1");
    e.Compania(
        "INSERT INTO productos (Clave, Costo, IVA, ImpuestoAd, MonedaCompra, forCampo1, forOperador1, "
        "forFactor1, forCampo2, forOperador2, forFactor2) VALUES "
        "('T1', 100, 0, 50, 1, 'Costo', 'X', 1, 'Costo', 'X', 1),"
        "('T2', 10, 0, 0, 2, 'Costo', 'X', 1, '', '', 0)");
    EXPECT_TRUE(e.aux.RecalcularPrecios(e.compania, "T1"));
    EXPECT_TRUE(e.aux.RecalcularPrecios(e.compania, "T2"));
    // T1: 100 + 8 = 108, + 16 % = 125.28; only one price in use, so price 2 stays.
    EXPECT_EQ(e.Precios("T1"), Lista{"125.2800|0.0000|0.0000|0.0000|0.0000|-"});
    // T2: 10 dollars with taxes 12.528, in pesos 250.56.
    EXPECT_EQ(e.Precios("T2"), Lista{"250.5600|0.0000|0.0000|0.0000|0.0000|-"});

    // Each product's own rates; taxes side by side; no additional tax without ImpAdicional.
    e.Configura("VariosIVAs", "1");
    e.Configura("VariosImpAd", "1");
    e.Configura("AplicaIVA", "0");
    e.Configura("AplicaImpAd", "0");
    e.Compania("UPDATE productos SET IVA = 10, ImpuestoAd = 5, forRedondear1 = 1 WHERE Clave = 'T1'");
    EXPECT_TRUE(e.aux.RecalcularPrecios(e.compania, "T1"));
    // 100 + 10 + 5 = 115.
    EXPECT_EQ(e.Precios("T1"), Lista{"115.0000|0.0000|0.0000|0.0000|0.0000|-"});
    e.Configura("ImpAdicional", "0");
    EXPECT_TRUE(e.aux.RecalcularPrecios(e.compania, "T1"));
    EXPECT_EQ(e.Precios("T1"), Lista{"110.0000|0.0000|0.0000|0.0000|0.0000|-"});
    // Taxes off: the cost as it is.
    e.Configura("AumentarImptosCosto", "0");
    EXPECT_TRUE(e.aux.RecalcularPrecios(e.compania, "T1"));
    EXPECT_EQ(e.Precios("T1"), Lista{"100.0000|0.0000|0.0000|0.0000|0.0000|-"});
}
