#include <gtest/gtest.h>

#include "apoyo.h"
#include "components/movimientos.h"
#include "components/utilerias.h"
#include "documents/cls_subir_compras.h"
#include "support/hostiles.h"

using namespace cnc;
using doc::LineaCompra;
using doc::Lista;
using prueba::Hex;
using prueba::Muestra;

namespace {

// Everything a purchase writes, and what it must leave alone.
Lista Huella(doc::Escenario& e) {
    return e.EnLocal(e.baseLocal,
                     "SELECT CONCAT_WS('|', (SELECT COUNT(*) FROM compras), (SELECT COUNT(*) FROM comprasdetalle), "
                     "(SELECT COUNT(*) FROM productos), (SELECT COUNT(*) FROM edoctaprov), (SELECT COUNT(*) FROM "
                     "historicoalmacen), (SELECT COUNT(*) FROM referenciaexterna), (SELECT COUNT(*) FROM "
                     "lineas)) UNION ALL SELECT CONCAT_WS('|', Clave, Existencia, Costo) FROM productos WHERE "
                     "Clave = 'QUEDA' UNION ALL SELECT CONCAT_WS('|', Id, Texto) FROM centinela UNION ALL SELECT "
                     "COUNT(*) FROM information_schema.tables WHERE table_schema = '" +
                         e.baseLocal + "'");
}

}  // namespace

TEST(DatosHostiles, PurchaseFilesStoreEachValueAsItStandsOrRefuseItAndSayWhy) {
    REQUIERE_SERVIDORES();
    doc::Escenario e;
    e.Local(e.baseLocal,
            "CREATE TABLE centinela (Id INT PRIMARY KEY, Texto VARCHAR(20));"
            "INSERT INTO centinela VALUES (1, 'intacta');"
            "INSERT INTO productos (Clave, Existencia, Costo) VALUES ('QUEDA', 3, 7)");
    int folio = 0, guardados = 0, rehusados = 0;
    std::string factura;
    // One purchase of one line; true when it was written, else the reason given and nothing written.
    auto sube = [&](const LineaCompra& l, const std::string& proveedor = "PROV1") {
        const Lista antes = Huella(e);
        const std::string archivo =
            doc::ArchivoCompra("Factura", std::to_string(++folio) + ",\"\"", "E", {l}, proveedor);
        clsSubirCompras s;
        if (s.SubirCompra(e.Archivo("compra.txt", archivo), e.compania)) {
            ++guardados;
            factura = s.Factura;
            return true;
        }
        ++rehusados;
        EXPECT_FALSE(s.Error().empty());
        EXPECT_EQ(Huella(e), antes);
        return false;
    };
    auto detalle = [&](const std::string& columnas) {
        return e.EnLocal(e.baseLocal, "SELECT CONCAT_WS('|', " + columnas +
                                          ") FROM comprasdetalle d JOIN compras c ON c.Compra = d.Compra WHERE "
                                          "c.Factura = " +
                                          e.compania.Literal(factura));
    };
    for (const std::string& h : prueba::Hostiles()) {
        if (!prueba::CabeEnUnaLinea(h)) continue;
        SCOPED_TRACE(Muestra(h));
        LineaCompra l;
        // The product's key and its description.
        l.producto = h;
        l.descrip = h;
        if (sube(l)) {
            EXPECT_EQ(detalle("HEX(d.Producto)"), Lista{Hex(h)});
            EXPECT_EQ(e.EnLocal(e.baseLocal, "SELECT HEX(Descrip) FROM productos WHERE Clave = CONVERT(X'" +
                                                 Hex(h) + "' USING utf8mb4)"),
                      Lista{Hex(h)});
        }
        // The quantity and the cost: the number the text is, never a part of it.
        l = LineaCompra();
        l.producto = "N" + std::to_string(folio + 1);
        l.cantidad = h;
        if (sube(l)) {
            EXPECT_TRUE(kvtx8::Recorta(h).empty() || kvtx8::EsNumerico(h));
            EXPECT_EQ(detalle("d.Cantidad = " + kvtx8::NumeroParaSQL(kvtx8::kvVal(h))), Lista{"1"});
        }
        l.cantidad = "10";
        l.costo = h;
        l.producto = "N" + std::to_string(folio + 1);
        if (sube(l)) {
            EXPECT_TRUE(kvtx8::Recorta(h).empty() || kvtx8::EsNumerico(h));
        }
        // The supplier, from the first line.
        if (h.find('"') == std::string::npos && h.find(',') == std::string::npos && sube(LineaCompra(), h)) {
            EXPECT_EQ(e.EnLocal(e.baseLocal, "SELECT HEX(Proveedor) FROM compras WHERE Factura = " +
                                                 e.compania.Literal(factura)),
                      Lista{Hex(h)});
        }
    }
    EXPECT_GT(guardados, 60);
    EXPECT_GT(rehusados, 0);
}
