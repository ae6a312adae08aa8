#include <gtest/gtest.h>

#include "apoyo.h"
#include "components/subir_entradas.h"
#include "documents/archivos_de_documentos.h"

using namespace cnc;
using doc::Lista;
using kvtx8::ArchivoTraspaso;

namespace {

ArchivoTraspaso Ejemplo() {
    return {7,
            "2026-12-08",
            "matriz1",
            "SURTIDO\r\nSEMANAL",
            {{1, "A-1", 10, 12.5, "Tornillo 1/4"}, {2, "B'7\\", 3.25, 0, "Tuerca | hexagonal"}}};
}

}  // namespace

TEST(ArchivoDeTraspaso, WhatIsWrittenReadsBackTheSameWithEitherLineEnd) {
    const std::string texto = kvtx8::EscribeTraspaso(Ejemplo());
    EXPECT_EQ(
        texto,
        "TRASPASO\r\n7\r\n2026-12-08\r\nmatriz1\r\nSURTIDO  SEMANAL\r\n2\r\n1|A-1|10|12.5|Tornillo 1/4\r\n"
        "2|B'7\\|3.25|0|Tuerca | hexagonal\r\nFIN\r\n");
    for (const std::string& t : {texto, [&] {
                                     std::string lf;
                                     for (char c : texto)
                                         if (c != '\r') lf += c;
                                     return lf;
                                 }()}) {
        ArchivoTraspaso leido;
        ASSERT_EQ(kvtx8::LeeTraspaso(t, leido), kvtx8::kTraspasoValido);
        EXPECT_EQ(leido.folio, 7);
        EXPECT_EQ(leido.fecha, "2026-12-08");
        EXPECT_EQ(leido.origen, "matriz1");
        EXPECT_EQ(leido.concepto, "SURTIDO  SEMANAL");
        ASSERT_EQ(leido.renglones.size(), 2u);
        EXPECT_EQ(leido.renglones[1].producto, "B'7\\");
        EXPECT_EQ(leido.renglones[1].cantidad, 3.25);
        EXPECT_EQ(leido.renglones[1].descrip, "Tuerca | hexagonal");
    }
    // Numbers of any size travel whole, never cut to the first digits.
    ArchivoTraspaso grande = Ejemplo();
    grande.renglones[0].costo = 5.5555555555555555e92;
    grande.renglones[0].cantidad = -1.7e308;
    grande.renglones[1].costo = 1234567.25;
    ArchivoTraspaso leido;
    ASSERT_EQ(kvtx8::LeeTraspaso(kvtx8::EscribeTraspaso(grande), leido), kvtx8::kTraspasoValido);
    EXPECT_EQ(leido.renglones[0].costo, 5.5555555555555555e92);
    EXPECT_EQ(leido.renglones[0].cantidad, -1.7e308);
    EXPECT_EQ(leido.renglones[1].costo, 1234567.25);
    // Whole numbers of up to 18 digits too, past what a double holds exactly.
    grande.folio = 123456789012345678;
    grande.renglones[0].partida = 99999999999999999;
    ASSERT_EQ(kvtx8::LeeTraspaso(kvtx8::EscribeTraspaso(grande), leido), kvtx8::kTraspasoValido);
    EXPECT_EQ(leido.folio, 123456789012345678);
    EXPECT_EQ(leido.renglones[0].partida, 99999999999999999);
}

TEST(ArchivoDeTraspaso, MalformedFilesAreRefusedWithTheirFault) {
    const std::string bueno = kvtx8::EscribeTraspaso(Ejemplo());
    auto cambia = [&](const std::string& de, const std::string& a) {
        std::string s = bueno;
        s.replace(s.find(de), de.size(), a);
        return s;
    };
    const std::vector<std::pair<std::string, int>> casos = {
        {"", kvtx8::kTraspasoSinMarca},
        {std::string("\x00\xff\x80garbage", 10), kvtx8::kTraspasoSinMarca},
        {"traspaso\r\n7\r\n", kvtx8::kTraspasoSinMarca},
        {bueno.substr(0, bueno.find("FIN")), kvtx8::kTraspasoCortado},
        {bueno.substr(0, bueno.find("2|B")), kvtx8::kTraspasoCortado},
        {bueno.substr(0, 15), kvtx8::kTraspasoCortado},
        {cambia("\r\n7\r\n", "\r\n0\r\n"), kvtx8::kTraspasoEncabezado},
        {cambia("\r\n7\r\n", "\r\n7x\r\n"), kvtx8::kTraspasoEncabezado},
        {cambia("2026-12-08", "2026-13-08"), kvtx8::kTraspasoEncabezado},
        {cambia("\r\n2\r\n1|", "\r\n99999999999\r\n1|"), kvtx8::kTraspasoCortado},
        {cambia("\r\n2\r\n1|", "\r\n1\r\n1|"), kvtx8::kTraspasoCortado},
        {cambia("|10|", "|diez|"), kvtx8::kTraspasoRenglon},
        {cambia("1|A-1|10|12.5|", "1;A-1;10;12.5;"), kvtx8::kTraspasoRenglon},
        {cambia("1|A-1|", "1||"), kvtx8::kTraspasoRenglon},
        {cambia("Tornillo 1/4", std::string(1 << 20, 'x')), kvtx8::kTraspasoValido},
    };
    for (size_t i = 0; i < casos.size(); ++i) {
        ArchivoTraspaso t;
        EXPECT_EQ(kvtx8::LeeTraspaso(casos[i].first, t), casos[i].second) << i;
    }
    kvtx8::SubirEntradas s;
    EXPECT_EQ(s.ValidarArchivo("/no/existe.txt"), kvtx8::kTraspasoIlegible);
}

TEST(TraspasoDesdeArchivo, ATransferBecomesOneStockEntryOnce) {
    REQUIERE_SERVIDORES();
    doc::Escenario e;
    e.Local(
        e.baseLocal,
        "INSERT INTO productos (Clave, Existencia, CostoProm) VALUES ('A-1', 2, 11), ('B''7\\\\', -1, 0)");
    const std::string ruta = e.Archivo("t.txt", kvtx8::EscribeTraspaso(Ejemplo()));
    DocumentoRecibido r = TraspasoDesdeArchivo("7", ruta, e.compania);
    ASSERT_TRUE(r.hecho) << r.error;
    EXPECT_EQ(r.aviso, "Traspaso 7 recibido. Folio de Entrada 1");
    EXPECT_EQ(r.tipoAviso, 8);
    EXPECT_EQ(e.EnLocal(e.baseLocal, "SELECT Entrada, Fecha, Usuario, Traspaso, Concepto FROM entradas"),
              Lista{"1|2026-12-08|CONCENTRAD|7|TRASPASO 7 DE matriz1"});
    EXPECT_EQ(e.EnLocal(e.baseLocal,
                        "SELECT Entrada, Partida, Producto, Descrip, Cantidad, Costo FROM "
                        "entradasdetalle ORDER BY Partida"),
              (Lista{"1|1|A-1|Tornillo 1/4|10.0000|12.5000", "1|2|B'7\\|Tuerca | hexagonal|3.2500|0.0000"}));
    EXPECT_EQ(e.EnLocal(e.baseLocal, "SELECT Clave, Existencia FROM productos ORDER BY Clave"),
              (Lista{"A-1|12.0000", "B'7\\|2.2500"}));
    EXPECT_EQ(e.EnLocal(e.baseLocal,
                        "SELECT Producto, Tipo, Cantidad, TablaMovimiento FROM historicoalmacen "
                        "ORDER BY Id"),
              (Lista{"A-1|E|10.0000|entradas", "B'7\\|E|3.2500|entradas"}));

    // The same transfer again: no second entry, and no fault either.
    r = TraspasoDesdeArchivo("7", ruta, e.compania);
    EXPECT_FALSE(r.hecho);
    EXPECT_EQ(r.error, "");
    EXPECT_EQ(e.Cuenta("entradas"), "1");

    // A transfer naming a product this company lacks, or a cut file: nothing of it is written.
    ArchivoTraspaso otro = Ejemplo();
    otro.folio = 8;
    otro.renglones.push_back({3, "FALTA", 1, 1, "no está"});
    r = TraspasoDesdeArchivo("8", e.Archivo("t8.txt", kvtx8::EscribeTraspaso(otro)), e.compania);
    EXPECT_FALSE(r.hecho);
    EXPECT_NE(r.error.find("FALTA"), std::string::npos);
    EXPECT_FALSE(r.pasajero);
    const std::string cortado = kvtx8::EscribeTraspaso(Ejemplo());
    r = TraspasoDesdeArchivo("9", e.Archivo("t9.txt", cortado.substr(0, cortado.size() - 5)), e.compania);
    EXPECT_FALSE(r.hecho);
    EXPECT_EQ(r.error, "Archivo de traspaso no válido (5)");
    EXPECT_EQ(e.Cuenta("entradas"), "1");
    EXPECT_EQ(e.Cuenta("entradasdetalle"), "2");
    EXPECT_EQ(e.EnLocal(e.baseLocal, "SELECT SUM(Existencia) FROM productos"), Lista{"14.2500"});
}

TEST(TraspasoDesdeArchivo, AConceptTooLongForItsColumnNeverLetsATransferEnterTwice) {
    REQUIERE_SERVIDORES();
    doc::Escenario e;
    e.Local(e.baseLocal,
            "INSERT INTO productos (Clave, Existencia) VALUES ('A-1', 2), ('B''7\\\\', 0);"
            "ALTER TABLE entradas MODIFY Concepto VARCHAR(12)");
    const std::string ruta = e.Archivo("t.txt", kvtx8::EscribeTraspaso(Ejemplo()));
    // Delivered twice: a concept cut to fit would never match the transfer again.
    for (int vez = 0; vez < 2; ++vez) {
        const DocumentoRecibido r = TraspasoDesdeArchivo("7", ruta, e.compania);
        EXPECT_FALSE(r.hecho) << vez;
        EXPECT_NE(r.error, "") << vez;
        EXPECT_FALSE(r.pasajero) << vez;
    }
    EXPECT_EQ(e.Cuenta("entradas"), "0");
    EXPECT_EQ(e.EnLocal(e.baseLocal, "SELECT Existencia FROM productos WHERE Clave = 'A-1'"),
              Lista{"2.0000"});
    // The session keeps its own mode afterwards.
    EXPECT_EQ(e.compania.Escalar("SELECT @@SESSION.sql_mode").value_or(""), "NO_ENGINE_SUBSTITUTION");
}
