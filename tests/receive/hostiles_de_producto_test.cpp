#include <gtest/gtest.h>

#include "core/shared_routines.h"
#include "receive/cls_aux.h"
#include "support/escenario.h"
#include "support/hostiles.h"

using namespace cnc;
using prueba::Hex;
using prueba::Lista;
using prueba::Muestra;

namespace {

struct Escenario : prueba::Escenario {
    Escenario()
        : prueba::Escenario(prueba::Tablas{"productos", "productosmasprecios", "lineas", "sublineas", "marcas",
                                           "medidas", "clavesalternas", "existenciaexterna", "clavereferencias",
                                           "anexoproductos", "presentaciones", "cambiosdeprecios", "variantes",
                                           "productosyvariantes", "configura"}) {
        ApuntaAServidores();
        EXPECT_TRUE(AbreBaseLocal(compania));
        EXPECT_TRUE(AbreBase(Mod.BDLocal, servidorLocal, ""));
        EXPECT_TRUE(AbreBase(Mod.BDRemota, conHub, ""));
        EXPECT_TRUE(AbreBaseEspejo(conEspejo));
        Mod.TipoSucursal = 0;
        Local(baseLocal,
              "CREATE TABLE centinela (Id INT PRIMARY KEY, Texto VARCHAR(20));"
              "INSERT INTO centinela VALUES (1, 'intacta');"
              "INSERT INTO productos (Clave, Descrip, Costo) VALUES ('A1', 'antes', 10), ('OTRO', 'igual', 5)");
    }
    clsAux aux;
    bool Cambiado(const std::string& contenido) {
        aux.Limpia();
        m.carpeta.Escribe("extraido.txt", contenido);
        return aux.ProductoCambiado("A1", conHub, compania, m.carpeta.Archivo("extraido.txt"), servidorLocal,
                                    matriz, conEspejo);
    }
    // The product a file is about, everything else in the company, and the tables it has.
    Lista Producto() {
        return EnLocal(baseLocal, "SELECT CONCAT_WS('|', HEX(Descrip), Costo, Linea, Marca) FROM productos WHERE "
                                  "Clave = 'A1'");
    }
    Lista Resto() {
        return EnLocal(baseLocal,
                       "SELECT CONCAT_WS('|', 'p', Clave, Descrip, Costo, Linea, IFNULL(FechaCambios, '-')) FROM "
                       "productos WHERE Clave <> 'A1' UNION ALL SELECT CONCAT_WS('|', 'c', Id, Texto) FROM "
                       "centinela UNION ALL SELECT COUNT(*) FROM information_schema.tables WHERE table_schema = '" +
                           baseLocal + "'");
    }
};

}  // namespace

TEST(DatosHostiles, ProductChangeFilesStoreEachValueAsItStandsOrRefuseItAndSayWhy) {
    REQUIERE_SERVIDORES();
    Escenario e;
    const Lista resto = e.Resto();
    int guardados = 0, rehusados = 0;
    for (const std::string& h : prueba::Hostiles()) {
        if (!prueba::CabeEnUnaLinea(h)) continue;
        SCOPED_TRACE(Muestra(h));
        // A text column: the value byte for byte, or refused with the product as it was.
        Lista antes = e.Producto();
        if (e.Cambiado("\"Descrip\",\"antes\",\"" + h + "\"\r\n")) {
            ++guardados;
            EXPECT_EQ(e.aux.TextoError, "");
            EXPECT_EQ(e.EnLocal(e.baseLocal, "SELECT HEX(Descrip) FROM productos WHERE Clave = 'A1'"),
                      Lista{Hex(h)});
        } else {
            ++rehusados;
            EXPECT_EQ(e.aux.TextoError.rfind("Nº ", 0), 0u) << e.aux.TextoError;
            EXPECT_EQ(e.Producto(), antes);
        }
        // A numeric column takes a number the text means, never a part of it or a stand-in.
        antes = e.Producto();
        if (e.Cambiado("\"Costo\",\"10\",\"" + h + "\"\r\n")) {
            EXPECT_TRUE(kvtx8::EsNumerico(h)) << e.Producto().at(0);
            EXPECT_EQ(e.aux.TextoError, "");
        } else {
            EXPECT_EQ(e.aux.TextoError.rfind("Nº ", 0), 0u) << e.aux.TextoError;
            EXPECT_EQ(e.Producto(), antes);
        }
        // A catalogue by name: the line of that name (as the catalogue compares names: "null" is "NULL"),
        // or refused.
        antes = e.Producto();
        if (e.Cambiado("\"Linea\",\"\",\"" + h + "\"\r\n")) {
            const Lista linea = e.EnLocal(e.baseLocal, "SELECT l.Linea = CONVERT(X'" + Hex(h) +
                                                           "' USING utf8mb4) FROM productos p JOIN lineas l ON "
                                                           "l.Id = p.Linea WHERE p.Clave = 'A1'");
            EXPECT_EQ(linea, h.empty() ? Lista{} : Lista{"1"});
        } else {
            EXPECT_EQ(e.aux.TextoError.rfind("Nº ", 0), 0u) << e.aux.TextoError;
            EXPECT_EQ(e.Producto(), antes);
        }
        // As the field's name: no column of the products is called so.
        antes = e.Producto();
        EXPECT_FALSE(e.Cambiado("\"" + h + "\",\"\",\"1\"\r\n"));
        EXPECT_EQ(e.aux.TextoError.rfind("Nº ", 0), 0u) << e.aux.TextoError;
        EXPECT_EQ(e.Producto(), antes);
        EXPECT_EQ(e.Resto(), resto);
    }
    EXPECT_GT(guardados, 30);
    EXPECT_GT(rehusados, 0);
}
