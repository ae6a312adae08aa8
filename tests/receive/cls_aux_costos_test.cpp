#include <gtest/gtest.h>

#include "core/archivo_de_trabajo.h"
#include "core/shared_routines.h"
#include "receive/cls_aux.h"
#include "receive/cls_pendientes.h"
#include "receive/de_archivos.h"
#include "receive/impuestos.h"
#include "support/escenario.h"
#include "support/hostiles.h"

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
    bool Costo(const std::string& clave, const std::string& contenido) {
        aux.Limpia();
        return aux.LeerCambioCosto(clave, compania, Archivo(contenido), matriz, conEspejo);
    }
    bool Kit(const std::string& clave, const std::string& contenido) {
        aux.Limpia();
        return aux.LeerKit(clave, compania, Archivo(contenido));
    }
    bool Oferta(const std::string& contenido) {
        aux.Limpia();
        kvtx8::Registros fila;
        return aux.LeerOferta(fila, compania, Archivo(contenido), servidorLocal);
    }
    void Configuracion(const std::string& contenido) {
        aux.Limpia();
        aux.LeerDeConfigura(compania, Archivo(contenido));
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

// A cost file: the cost record, the five price records and the rest.
std::string ArchivoDeCosto(const std::string& costo, const std::string& precios,
                           const std::string& resto = "") {
    return costo + "\r\n" + precios + resto;
}

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

TEST(LeerCambioCosto, CostPricesFormulasRangesAlternateKeysAndTheEspejo) {
    REQUIERE_SERVIDORES();
    Escenario e;
    e.Configura("Precios", "3");
    Mod.EnviarPrecio[1] = Mod.EnviarPrecio[2] = true;
    Mod.EnviarFormula[2] = true;
    e.Compania(
        "INSERT INTO productos (Clave, Costo, CostoProm, Precio1, Precio2, Precio3, forCampo3, forOperador3, "
        "forFactor3) VALUES ('A''1', 100, 100, 150, 120, 151, 'Precio1', '+', 1);"
        "INSERT INTO clavesalternas (ClaveProducto, ClaveAlterna) VALUES ('A''1', 'YA')");
    e.Matriz("INSERT INTO productos (Clave, Rango1, Rango2, Rango3) VALUES ('A''1', 1, 2, 3)");
    e.Espejo("INSERT INTO productos (Clave, Costo) VALUES ('A''1', 100)");

    // Price 1 by value (its formula is not sent); price 2 by the formula the file sends, whatever value
    // it brings; price 3 by its own formula on the new price 1. Bare line feeds.
    const std::string precios =
        "160,\"Costo\",\"X\",1.5,0\n"
        "999,\"Costo\",\"X\",1.3,0\n"
        "5,\"\",\"\",0,0\n"
        "0,\"\",\"\",0,0\n"
        "0,\"\",\"\",0,0\n";
    const std::string archivo =
        ArchivoDeCosto("110,105", precios,
                       "\"Otra cosa\",\"x\"\n\"ClaveAlterna\",\"750100\"\n\"ClaveAlterna\",\"A'B\\\"\n"
                       "\"ClaveAlterna\",\"YA\"\n");
    EXPECT_TRUE(e.Costo("A'1", archivo)) << e.aux.TextoError;
    EXPECT_EQ(e.aux.TextoError, "");
    // The work file was given Windows line ends.
    EXPECT_EQ(e.m.carpeta.Lee("extraido.txt").find("105\r\n160,"), 4u);
    EXPECT_EQ(
        e.EnCompania("SELECT CONCAT_WS('|', Costo, CostoProm, Precio1, Precio2, Precio3, forCampo2, "
                     "forOperador2, forFactor2, forCampo1, Rango1, Rango2, Rango3, Rango4, FechaCambios) "
                     "FROM productos"),
        Lista{"110.0000|105.0000|160.0000|143.0000|161.0000|Costo|X|1.3000||1.0000|2.0000|3.0000|"
              "0.0000|2026-12-08"});
    EXPECT_EQ(e.EnCompania("SELECT ClaveAlterna FROM clavesalternas ORDER BY ClaveAlterna"),
              (Lista{"750100", "A'B\\", "YA"}));
    EXPECT_EQ(e.Cambios(), (Lista{"A'1|1|150.0000|160.0000|2026-12-08|10:00:00|CONCENTRAD",
                                  "A'1|2|120.0000|143.0000|2026-12-08|10:00:00|CONCENTRAD",
                                  "A'1|3|151.0000|161.0000|2026-12-08|10:00:00|CONCENTRAD"}));
    EXPECT_EQ(e.EnEspejo("SELECT CONCAT_WS('|', Costo, Precio1, Precio2, Precio3, forCampo2, FechaCambios) "
                         "FROM productos"),
              Lista{"110.0000|160.0000|143.0000|161.0000|Costo|2026-12-08"});

    // The same file again: nothing moves, nothing more is recorded.
    const Lista antes = e.Huella();
    EXPECT_TRUE(e.Costo("A'1", archivo)) << e.aux.TextoError;
    EXPECT_EQ(e.Huella(), antes);

    // A cost that moves less than a cent does not recompute; a cent does.
    e.Compania("UPDATE productos SET Precio3 = 1");
    EXPECT_TRUE(e.Costo("A'1", ArchivoDeCosto("110.009,\"\"", precios)));
    EXPECT_EQ(e.EnCompania("SELECT CONCAT_WS('|', Costo, CostoProm, Precio3) FROM productos"),
              Lista{"110.0090|105.0000|1.0000"});
    EXPECT_TRUE(e.Costo("A'1", ArchivoDeCosto("110.019,\"\"", precios)));
    EXPECT_EQ(e.EnCompania("SELECT CONCAT_WS('|', Costo, Precio2, Precio3) FROM productos"),
              Lista{"110.0190|143.0200|161.0000"});

    // Locked against price changes: the cost and the keys, no price nor formula.
    e.Compania("UPDATE productos SET BloqueadoVsCambioPrecios = 1");
    EXPECT_TRUE(e.Costo("A'1", ArchivoDeCosto("200,0",
                                              "1,\"\",\"\",0,0\n2,\"CostoProm\",\"+\",1,0\n3,\"\",\"\",0,0\n"
                                              "4,\"\",\"\",0,0\n5,\"\",\"\",0,0\n",
                                              "\"ClaveAlterna\",\"NUEVA\"\n")));
    EXPECT_EQ(
        e.EnCompania("SELECT CONCAT_WS('|', Costo, CostoProm, Precio1, Precio2, Precio3, forCampo2) FROM "
                     "productos"),
        Lista{"200.0000|0.0000|160.0000|143.0200|161.0000|Costo"});
    EXPECT_EQ(e.EnCompania("SELECT COUNT(*) FROM clavesalternas WHERE ClaveAlterna = 'NUEVA'"), Lista{"1"});
}

TEST(LeerCambioCosto, MissingProductsAndFranchisePrices) {
    REQUIERE_SERVIDORES();
    Escenario e;
    const std::string precios =
        "10,\"\",\"\",0,0\r\n20,\"\",\"\",0,0\r\n30,\"\",\"\",0,0\r\n40,\"\",\"\",0,0\r\n50,\"\",\"\",0,"
        "0\r\n";
    // Neither here nor in the MATRIZ.
    EXPECT_FALSE(e.Costo("NADA", ArchivoDeCosto("1,1", precios)));
    EXPECT_EQ(e.aux.TextoError, "El producto a actualizar o dar de alta ya no existe en MATRIZ");
    EXPECT_EQ(e.EnCompania("SELECT COUNT(*) FROM productos"), Lista{"0"});

    // Only in the MATRIZ: copied, then given the file's cost. A franchise takes file price 3 as its price 1
    // and file price 4 as its price 2.
    Mod.TipoSucursal = 2;
    Mod.PrecioEnFran[1] = "3";
    Mod.PrecioEnFran[2] = "4";
    e.Configura("Precios", "2");
    e.Matriz("INSERT INTO productos (Clave, Descrip, Costo) VALUES ('M1', 'De matriz', 7)");
    EXPECT_TRUE(e.Costo("M1", ArchivoDeCosto("12,", precios))) << e.aux.TextoError;
    EXPECT_EQ(e.EnCompania("SELECT CONCAT_WS('|', Descrip, Costo, Precio1, Precio2) FROM productos"),
              Lista{"De matriz|12.0000|30.0000|40.0000"});
    // Its own formula for price 2 wins over the file's value.
    e.Compania("UPDATE productos SET forCampo2 = 'Costo', forOperador2 = '+', forFactor2 = 1");
    EXPECT_TRUE(e.Costo("M1", ArchivoDeCosto("13,", precios))) << e.aux.TextoError;
    EXPECT_EQ(e.EnCompania("SELECT CONCAT_WS('|', Costo, Precio1, Precio2, forCampo2) FROM productos"),
              Lista{"13.0000|30.0000|14.0000|Costo"});
}

TEST(LeerCambioCosto, AMalformedFileOrAHubOutOfReachChangesNothing) {
    REQUIERE_SERVIDORES();
    Escenario e;
    Mod.EnviarPrecio[1] = true;
    e.Compania("INSERT INTO productos (Clave, Costo, Precio1) VALUES ('A1', 100, 150)");
    e.Espejo("INSERT INTO productos (Clave, Costo) VALUES ('A1', 100)");
    const std::string bien = "1,\"\",\"\",0,0\r\n";
    const std::string cinco = bien + bien + bien + bien + bien;
    const Lista antes = e.Huella();
    const std::pair<std::string, std::string> malos[] = {
        {"", "faltan renglones"},
        {"110\r\n" + cinco, "línea 1: 1 datos donde van 2"},
        {"diez,1\r\n" + cinco, "costo que no es número"},
        {"110,1\r\n" + bien + bien + bien, "precio 4, faltan renglones"},
        {"110,1\r\n" + bien + "x,\"\",\"\",0,0\r\n" + bien + bien + bien, "precio 2 sin el formato"},
        {"110,1\r\n" + bien + "1,\"Costo\",\"%\",0,0\r\n" + bien + bien + bien, "precio 2 sin el formato"},
        {"110,1\r\n" + bien + "1,\"Costo\",\"X\",0\r\n" + bien + bien + bien, "precio 2, línea 3: 4 datos"},
        {"110,1\r\n1,\"Costo,\"X\",1,0\r\n" + bien + bien + bien + bien, "precio 1, línea 2: texto después"},
        {"110,1\r\n" + cinco + "\"ClaveAlterna\"\r\n", "clave alterna sin el formato"},
        {"110,1\r\n" + cinco + "\"ClaveAlterna\",\"\"\r\n", "clave alterna sin el formato"},
        {"110,1\r\n" + cinco + "\"ClaveAlterna\",\"sin cerrar\r\n", "clave alterna sin el formato"},
        {"110,1\r\n1,\"NoExiste\",\"X\",1,0\r\n" + bien + bien + bien + bien,
         "el precio 1 se calcula de un campo que no existe"},
    };
    for (const auto& [archivo, error] : malos) {
        EXPECT_FALSE(e.Costo("A1", archivo)) << error;
        EXPECT_EQ(e.aux.TextoError.rfind("Nº 0: Archivo de cambio de costo mal formado, ", 0), 0u)
            << e.aux.TextoError;
        EXPECT_NE(e.aux.TextoError.find(error), std::string::npos) << e.aux.TextoError;
        EXPECT_EQ(e.Huella(), antes) << error;
    }
    // The server refuses an alternate key too long for its column after the cost went in: undone whole.
    EXPECT_FALSE(
        e.Costo("A1", "110,1\r\n" + cinco + "\"ClaveAlterna\",\"" + std::string(31, '7') + "\"\r\n"));
    EXPECT_EQ(e.aux.TextoError.rfind("Nº 1406: ", 0), 0u) << e.aux.TextoError;
    EXPECT_EQ(e.Huella(), antes);
    EXPECT_EQ(e.EnEspejo("SELECT Costo FROM productos"), Lista{"100.0000"});

    // The hub out of reach is no fault of the file: an error that passes (the row waits), nothing
    // applied; once it answers, the whole change goes in.
    e.Matriz("INSERT INTO productos (Clave, Rango1) VALUES ('A1', 4)");
    e.EspejoCaido();
    e.conEspejo.Cerrar();
    EXPECT_FALSE(e.Costo("A1", "110,1\r\n" + cinco));
    EXPECT_NE(e.aux.TextoError, "");
    EXPECT_TRUE(e.aux.ErrorPasajero());
    EXPECT_EQ(e.Huella(), antes);
    e.EspejoDeVuelta();
    EXPECT_TRUE(e.Costo("A1", "110,1\r\n" + cinco)) << e.aux.TextoError;
    EXPECT_EQ(e.EnCompania("SELECT CONCAT_WS('|', Costo, Precio1, Rango1) FROM productos"),
              Lista{"110.0000|1.0000|4.0000"});
    EXPECT_EQ(e.EnEspejo("SELECT CONCAT_WS('|', Costo, Precio1) FROM productos"), Lista{"110.0000|1.0000"});

    // The record of a price change refused by the company undoes the whole change.
    e.Compania(
        "CREATE TRIGGER sin_registro BEFORE INSERT ON cambiosdeprecios FOR EACH ROW "
        "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT='sin registro'");
    const Lista cambiado = e.Huella();
    EXPECT_FALSE(e.Costo("A1", "120,1\r\n2,\"\",\"\",0,0\r\n" + bien + bien + bien + bien));
    EXPECT_EQ(e.aux.TextoError, "Nº 1644: sin registro");
    EXPECT_FALSE(e.aux.ErrorPasajero());
    EXPECT_EQ(e.Huella(), cambiado);
}

TEST(LeerKit, TheCostAloneOrWithItsComponentsAndMalformedKits) {
    REQUIERE_SERVIDORES();
    Escenario e;
    // A new kit with its components; quantities and costs as single-precision numbers.
    EXPECT_TRUE(e.Kit("K'1", "250.5\r\n1\r\nTORN, 3\r\n4\r\n1.23456789\r\n2\r\nTUERCA\r\n0.5\r\n2\r\n\r\n"))
        << e.aux.TextoError;
    EXPECT_EQ(e.aux.TextoError, "");
    EXPECT_EQ(e.EnCompania("SELECT CONCAT_WS('|', Clave, Costo) FROM kits"), Lista{"K'1|250.5000"});
    const Lista componentes = {"K'1|1|TORN, 3|4.0000|1.2346", "K'1|2|TUERCA|0.5000|2.0000"};
    auto Componentes = [&] {
        return e.EnCompania(
            "SELECT CONCAT_WS('|', Kit, Partida, Clave, Cantidad, Costo) FROM kitskardex ORDER BY Partida");
    };
    EXPECT_EQ(Componentes(), componentes);
    // One line: only the cost.
    EXPECT_TRUE(e.Kit("K'1", "300\n"));
    EXPECT_EQ(e.EnCompania("SELECT CONCAT_WS('|', Clave, Costo) FROM kits"), Lista{"K'1|300.0000"});
    EXPECT_EQ(Componentes(), componentes);
    // More lines: the components are replaced.
    EXPECT_TRUE(e.Kit("K'1", "310\n7\nCLAVO\n100\n0.1\n"));
    EXPECT_EQ(Componentes(), Lista{"K'1|7|CLAVO|100.0000|0.1000"});

    const Lista antes = e.Huella();
    const std::pair<std::string, std::string> malos[] = {
        {"", "no trae el costo"},
        {"\r\n\r\n", "no trae el costo"},
        {"trescientos\r\n", "costo que no es número"},
        {"300\r\n1\r\nCLAVO\r\n2\r\n", "incompletos (4 líneas)"},
        {"300\r\n1.5\r\nCLAVO\r\n2\r\n3\r\n", "partida que no es número entero en la línea 2"},
        {"300\r\n1\r\n\r\n2\r\n3\r\n", "componente sin clave en la línea 2"},
        {"300\r\n1\r\nCLAVO\r\ndos\r\n3\r\n", "cantidad o costo que no es número en la línea 2"},
        {"300\r\n1\r\nCLAVO\r\n2\r\n3\r\n2\r\nTUERCA\r\n1\r\nx\r\n", "en la línea 6"},
    };
    for (const auto& [archivo, error] : malos) {
        EXPECT_FALSE(e.Kit("K'1", archivo)) << error;
        EXPECT_EQ(e.aux.TextoError.rfind("Nº 0: Archivo de kit mal formado: ", 0), 0u) << e.aux.TextoError;
        EXPECT_NE(e.aux.TextoError.find(error), std::string::npos) << e.aux.TextoError;
        EXPECT_EQ(e.Huella(), antes) << error;
    }
    // A component key too long for its column: the server refuses it and the kit's cost stays too.
    EXPECT_FALSE(e.Kit("K'1", "999\r\n1\r\n" + std::string(16, 'C') + "\r\n1\r\n1\r\n"));
    EXPECT_EQ(e.aux.TextoError.rfind("Nº 1406: ", 0), 0u) << e.aux.TextoError;
    EXPECT_EQ(e.Huella(), antes);
}

TEST(LeerOferta, RegisteredOnceWithItsCataloguesAndProducts) {
    REQUIERE_SERVIDORES();
    Escenario e;
    e.Compania("INSERT INTO lineas (Id, Linea) VALUES (4, 'HERRAMIENTA')");
    const std::string oferta =
        "\"DESC\",#2026-12-01#,#2026-12-31#,\"HERRAMIENTA\",\"MANUAL\",\"AC'ME\",0,0,12.5\r\n"
        "2,#TRUE#\r\n"
        "\"A1\"\r\n"
        "\"B'2\"\r\n";
    EXPECT_TRUE(e.Oferta(oferta)) << e.aux.TextoError;
    EXPECT_EQ(e.aux.TextoError, "");
    const Lista registrada = {
        "1|DESC|2026-12-01|2026-12-31|HERRAMIENTA|MANUAL|AC'ME|0.0000|0.0000|12.5000|2|1"};
    auto Ofertas = [&] {
        return e.EnCompania(
            "SELECT CONCAT_WS('|', o.Id, Tipo, FechaInicio, FechaFinal, l.Linea, s.SubLinea, m.Marca, Paga, "
            "Lleva, Descuento, ManeraDeAplicar, ProductoExacto) FROM descuentoyoferta o JOIN lineas l ON "
            "l.Id = o.Linea JOIN sublineas s ON s.Id = o.SubLinea AND s.IdLinea = l.Id JOIN marcas m ON m.Id "
            "= o.Marca ORDER BY o.Id");
    };
    EXPECT_EQ(Ofertas(), registrada);
    EXPECT_EQ(e.EnCompania("SELECT CONCAT_WS('|', IdPromocion, Producto) FROM productosenpromocion ORDER BY "
                           "Id"),
              (Lista{"1|A1", "1|B'2"}));
    EXPECT_EQ(e.Avisos(9), Lista{"Oferta 1 registrada"});

    // The same offer again: done, nothing added, no notice.
    EXPECT_TRUE(e.Oferta(oferta));
    EXPECT_EQ(Ofertas(), registrada);
    EXPECT_EQ(e.EnCompania("SELECT COUNT(*) FROM productosenpromocion"), Lista{"2"});
    EXPECT_EQ(e.Avisos(9), Lista{"Oferta 1 registrada"});

    // Sent again with a longer list: the products it lacked join the same offer.
    EXPECT_TRUE(e.Oferta(oferta + "\"C3\"\r\n")) << e.aux.TextoError;
    EXPECT_EQ(Ofertas(), registrada);
    EXPECT_EQ(e.EnCompania("SELECT CONCAT_WS('|', IdPromocion, Producto) FROM productosenpromocion ORDER BY "
                           "Id"),
              (Lista{"1|A1", "1|B'2", "1|C3"}));
    EXPECT_EQ(e.Avisos(9), Lista{"Oferta 1 registrada"});

    // No names: any line, sub-line and brand; dates as quoted texts; no products.
    EXPECT_TRUE(e.Oferta("\"2X1\",\"2026-12-24\",\"2026-12-25\",\"\",\"MANUAL\",\"\",2,1,0\r\n0,0\r\n"));
    EXPECT_EQ(e.EnCompania("SELECT CONCAT_WS('|', Id, Tipo, Linea, SubLinea, Marca, Paga, Lleva, "
                           "ProductoExacto) FROM descuentoyoferta WHERE Id = 2"),
              Lista{"2|2X1|0|0|0|2.0000|1.0000|0"});
    // Notices of one type are joined.
    EXPECT_EQ(e.Avisos(9), Lista{"Oferta 1 registrada\r\nOferta 2 registrada"});

    const Lista antes = e.Huella();
    const std::string bien = "\"D\",#2026-12-01#,#2026-12-31#,\"NUEVA\",\"\",\"\",0,0,1\r\n";
    const std::pair<std::string, std::string> malos[] = {
        {"", "faltan renglones"},
        {bien, "faltan renglones: se esperaban 2 datos"},
        {"\"D\",#2026-12-01#,#2026-12-31#,\"NUEVA\",\"\",\"\",0,0\r\n1,0\r\n", "8 datos donde van 9"},
        {"\"D\",#2026-02-30#,#2026-12-31#,\"NUEVA\",\"\",\"\",0,0,1\r\n1,0\r\n",
         "fecha no válida: \"2026-02-30\""},
        {"\"D\",#2026-12-01#,#2026-12-31#,\"NUEVA\",\"\",\"\",0,0,mucho\r\n1,0\r\n", "que no es número"},
        {bien + "uno,0\r\n", "ManeraDeAplicar o ProductoExacto"},
        {bien + "1,#QUIZA#\r\n", "ManeraDeAplicar o ProductoExacto"},
        {bien + "1,0\r\n\"A1\",\"B2\"\r\n", "línea 3: 2 datos donde van 1"},
        {bien + "1,0\r\n\"\"\r\n", "producto sin clave en la línea 3"},
    };
    for (const auto& [archivo, error] : malos) {
        EXPECT_FALSE(e.Oferta(archivo)) << error;
        EXPECT_EQ(e.aux.TextoError.rfind("Nº 0: Archivo de oferta mal formado, ", 0), 0u) << e.aux.TextoError;
        EXPECT_NE(e.aux.TextoError.find(error), std::string::npos) << e.aux.TextoError;
        EXPECT_EQ(e.Huella(), antes) << error;
    }
    // A type too long for its column: refused by the server after the line was created; both undone.
    EXPECT_FALSE(
        e.Oferta("\"DEMASIADO LARGO\",#2026-12-01#,#2026-12-31#,\"NUEVA\",\"\",\"\",0,0,1\r\n1,0\r\n"));
    EXPECT_EQ(e.aux.TextoError.rfind("Nº 1406: ", 0), 0u) << e.aux.TextoError;
    EXPECT_EQ(e.Huella(), antes);
    EXPECT_EQ(e.Avisos(9), Lista{"Oferta 1 registrada\r\nOferta 2 registrada"});
}

TEST(LeerDeConfigura, SettingsStoredAsTheyStandAllOrNone) {
    REQUIERE_SERVIDORES();
    Escenario e;
    e.Configura("Ruta", "");
    e.Configura("Nombre", "");
    e.Configura("Otro", "igual");
    e.Configuracion(
        "\"Ruta\",\"C:\\\\datos\\\\nuevo\"\r\n\"Nombre\",\"Ferretería d'Ana\"\r\n\"Falta\",\"x\"\r\n");
    EXPECT_EQ(e.aux.TextoError, "");
    // Doubled backslashes are single; an apostrophe is kept; a setting the company lacks is not made.
    EXPECT_EQ(e.EnCompania("SELECT CONCAT_WS('|', Dato, Contenido) FROM configura ORDER BY Dato"),
              (Lista{"Nombre|Ferretería d'Ana", "Otro|igual", "Ruta|C:\\datos\\nuevo"}));

    const Lista antes = e.Huella();
    for (const char* malo :
         {"\"Otro\",\"cambiado\"\r\n\"Nombre\"\r\n", "\"Otro\",\"cambiado\"\r\n\"x\",\"sin",
          "\"Otro\",\"cambiado\"\r\n\"\",\"sin nombre\"\r\n"}) {
        e.Configuracion(malo);
        EXPECT_EQ(e.aux.TextoError.rfind("Nº 0: ", 0), 0u) << malo;
        EXPECT_EQ(e.Huella(), antes) << malo;
    }
    // A key that tries to reach other rows touches none.
    e.Configuracion("\"x' OR '1'='1\",\"todos\"\r\n");
    EXPECT_EQ(e.aux.TextoError, "");
    EXPECT_EQ(e.Huella(), antes);
}

TEST(LeerDeArchivos, CostKitOfferAndSettingRowsAreConsumedAsTheirTypesSay) {
    REQUIERE_SERVIDORES();
    Escenario e;
    e.Compania("INSERT INTO productos (Clave, Costo) VALUES ('A1', 100)");
    e.Configura("Otro", "antes");
    auto fila = [&](const std::string& tipo, const std::string& clave, const std::string& contenido) {
        e.Hub("concentradorqmx",
              "INSERT INTO archivosasubir (Tipo, BaseDeDatos, Cancelar, clave, Folio, "
              "Contenido) VALUES (" +
                  Lit(tipo) + ", 'espejo1', 0, " + Lit(clave) + ", 0, " + Lit(contenido) + ")");
    };
    const std::string precios =
        "0,\"\",\"\",0,0\r\n0,\"\",\"\",0,0\r\n0,\"\",\"\",0,0\r\n0,\"\",\"\",0,0\r\n"
        "0,\"\",\"\",0,0\r\n";
    fila("CC", "A1", "120,0\r\n" + precios);
    fila("CC", "A1", "ciento veinte,0\r\n" + precios);
    fila("CN", "", "\"Otro\",\"después\"\r\n");
    fila("CN", "", "\"Otro\"\r\n");
    fila("KT", "K1", "50\r\n");
    fila("KT", "K2", "cincuenta\r\n");
    // The same offer twice: registered once, the second row consumed without a notice.
    fila("OF", "", "\"D\",#2026-12-01#,#2026-12-31#,\"\",\"\",\"\",0,0,5\r\n0,0\r\n");
    fila("OF", "", "\"D\",#2026-12-01#,#2026-12-31#,\"\",\"\",\"\",0,0,5\r\n0,0\r\n");
    fila("OF", "", "\"D\"\r\n");
    fila("CC", "NADA", "1,0\r\n" + precios);

    clsPendientes p;
    const auto tipos = TablaDeTipos({});
    p.LeerDeArchivos(e.servidorLocal, e.conHub, e.compania, e.matriz, e.conEspejo, tipos);
    EXPECT_EQ(e.EnHub("concentradorqmx", "SELECT COUNT(*) FROM archivosasubir"), Lista{"0"});
    EXPECT_EQ(e.EnHub("concentradorqmx",
                      "SELECT CONCAT_WS('|', Tipo, clave, SUBSTRING_INDEX(elError, ',', 1)) FROM "
                      "erroresdelectura ORDER BY AutoInc"),
              (Lista{"CC|A1|Nº 0: Archivo de cambio de costo mal formado",
                     "CN||Nº 0: Archivo de configuración mal formado",
                     "KT|K2|Nº 0: Archivo de kit mal formado: costo que no es número \"cincuenta\"",
                     "OF||Nº 0: Archivo de oferta mal formado",
                     "CC|NADA|El producto a actualizar o dar de alta ya no existe en MATRIZ"}));
    EXPECT_EQ(e.EnCompania("SELECT Costo FROM productos"), Lista{"120.0000"});
    EXPECT_EQ(e.EnCompania("SELECT Contenido FROM configura WHERE Dato = 'Otro'"), Lista{"después"});
    EXPECT_EQ(e.EnCompania("SELECT CONCAT_WS('|', Clave, Costo) FROM kits"), Lista{"K1|50.0000"});
    EXPECT_EQ(e.Avisos(15), Lista{"Cambio en Costo-Precios-Claves alternas del producto \"A1\""});
    EXPECT_EQ(e.Avisos(14), Lista{"Kit \"K1\" definido"});
    EXPECT_EQ(e.Avisos(9), Lista{"Oferta 1 registrada"});
    EXPECT_EQ(e.EnCompania("SELECT COUNT(*) FROM descuentoyoferta"), Lista{"1"});

    // A kit met by another writer's lock is no fault of its file: no error, the row waits and goes in
    // once the lock is gone.
    fila("KT", "K1", "60\r\n");
    kvtx8::Conexion otra;
    ASSERT_TRUE(AbreBaseLocal(otra));
    ASSERT_TRUE(otra.Ejecutar("BEGIN"));
    ASSERT_TRUE(otra.Ejecutar("UPDATE kits SET Costo = 55 WHERE Clave = 'K1'"));
    ASSERT_TRUE(e.compania.Ejecutar("SET SESSION innodb_lock_wait_timeout = 1"));
    p.LeerDeArchivos(e.servidorLocal, e.conHub, e.compania, e.matriz, e.conEspejo, tipos);
    EXPECT_EQ(e.EnHub("concentradorqmx", "SELECT CONCAT_WS('|', Tipo, clave) FROM archivosasubir"),
              Lista{"KT|K1"});
    EXPECT_EQ(e.EnHub("concentradorqmx", "SELECT COUNT(*) FROM erroresdelectura"), Lista{"5"});
    ASSERT_TRUE(otra.Ejecutar("ROLLBACK"));
    p.LeerDeArchivos(e.servidorLocal, e.conHub, e.compania, e.matriz, e.conEspejo, tipos);
    EXPECT_EQ(e.EnHub("concentradorqmx", "SELECT COUNT(*) FROM archivosasubir"), Lista{"0"});
    EXPECT_EQ(e.EnCompania("SELECT CONCAT_WS('|', Clave, Costo) FROM kits"), Lista{"K1|60.0000"});
}

TEST(DatosHostiles, OfferAndCostFilesStoreEachValueAsItStandsOrRefuseItAndSayWhy) {
    REQUIERE_SERVIDORES();
    Escenario e;
    e.Compania("INSERT INTO productos (Clave, Costo, CostoProm, Precio1) VALUES ('A1', 100, 100, 150)");
    e.Matriz("INSERT INTO productos (Clave, Rango1) VALUES ('A1', 1)");
    e.Espejo("INSERT INTO productos (Clave, Costo) VALUES ('A1', 100)");
    const std::string precios = "160,\"\",\"\",0,0\n0,\"\",\"\",0,0\n0,\"\",\"\",0,0\n0,\"\",\"\",0,0\n0,\"\",\"\",0,0\n";
    int guardados = 0, rehusados = 0;
    // Refused: the reason given and nothing of the company changed.
    auto rehusado = [&](const Lista& antes) {
        ++rehusados;
        EXPECT_EQ(e.aux.TextoError.rfind("Nº ", 0), 0u) << e.aux.TextoError;
        EXPECT_EQ(e.Huella(), antes);
    };
    for (const std::string& h : prueba::Hostiles()) {
        // A quote inside a quoted field, or a line end, is another record to these files.
        if (!prueba::CabeEnUnaLinea(h) || h.find('"') != std::string::npos) continue;
        SCOPED_TRACE(prueba::Muestra(h));
        // The offer's type, line and product: as they stand.
        Lista antes = e.Huella();
        if (e.Oferta("\"" + h + "\",#2026-12-01#,#2026-12-31#,\"" + h + "\",\"\",\"\",0,0,1\r\n1,#TRUE#\r\n\"" + h +
                     "\"\r\n")) {
            ++guardados;
            EXPECT_EQ(e.EnCompania("SELECT CONCAT_WS('|', HEX(o.Tipo), HEX(l.Linea), HEX(p.Producto)) FROM "
                                   "descuentoyoferta o JOIN productosenpromocion p ON p.IdPromocion = o.Id LEFT JOIN "
                                   "lineas l ON l.Id = o.Linea ORDER BY o.Id DESC LIMIT 1"),
                      Lista{prueba::Hex(h) + "|" + prueba::Hex(h) + "|" + prueba::Hex(h)});
        } else {
            rehusado(antes);
        }
        // The offer's numbers and the cost: numbers, or refused.
        if (h.find(',') == std::string::npos) {
            antes = e.Huella();
            if (e.Oferta("\"N\",#2026-12-01#,#2026-12-31#,\"\",\"\",\"\"," + h + ",0,1\r\n1,#TRUE#\r\n")) {
                EXPECT_TRUE(kvtx8::EsNumerico(h));
            } else {
                rehusado(antes);
            }
            antes = e.Huella();
            if (e.Costo("A1", ArchivoDeCosto(h + ",105", precios))) {
                EXPECT_TRUE(kvtx8::EsNumerico(h));
            } else {
                rehusado(antes);
            }
        }
        // An alternate key from the cost file: as it stands.
        antes = e.Huella();
        if (e.Costo("A1", ArchivoDeCosto("110,105", precios, "\"ClaveAlterna\",\"" + h + "\"\n"))) {
            ++guardados;
            EXPECT_EQ(e.EnCompania("SELECT COUNT(*) FROM clavesalternas WHERE ClaveProducto = 'A1' AND "
                                   "HEX(ClaveAlterna) = '" + prueba::Hex(h) + "'"),
                      Lista{h.empty() ? "0" : "1"});
        } else {
            rehusado(antes);
        }
        // Names equal to a later value by the columns' collation ("NULL" and "null") start afresh.
        e.Compania("DELETE FROM descuentoyoferta; DELETE FROM productosenpromocion; DELETE FROM clavesalternas; "
                   "DELETE FROM lineas");
    }
    EXPECT_GT(guardados, 40);
    EXPECT_GT(rehusados, 0);
}
