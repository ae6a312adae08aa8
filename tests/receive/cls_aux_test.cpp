#include "receive/cls_aux.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "core/shared_routines.h"
#include "support/escenario.h"

using namespace cnc;
using prueba::Lista;

namespace {

const prueba::Tablas kTablas = {"productos",        "productosmasprecios",
                                "lineas",           "sublineas",
                                "marcas",           "medidas",
                                "clavesalternas",   "existenciaexterna",
                                "clavereferencias", "anexoproductos",
                                "presentaciones",   "cambiosdeprecios",
                                "variantes",        "productosyvariantes",
                                "configura",        "kits",
                                "kitskardex"};

// The local company, its ESPEJO and MATRIZ with the product tables, and the connections a cycle hands over.
struct Escenario : prueba::Escenario {
    Escenario() : prueba::Escenario(kTablas) {
        ApuntaAServidores();
        EXPECT_TRUE(AbreBaseLocal(compania));
        EXPECT_TRUE(AbreBase(Mod.BDLocal, servidorLocal, ""));
        EXPECT_TRUE(AbreBase(Mod.BDRemota, conHub, ""));
        EXPECT_TRUE(AbreBaseEspejo(conEspejo));
        Mod.TipoSucursal = 0;  // read from the ESPEJO at each connection; a branch that copies prices
    }
    clsAux aux;
    void Compania(const std::string& sql) { Local(baseLocal, sql); }
    void Matriz(const std::string& sql) { Hub(matriz, sql); }
    Lista EnCompania(const std::string& sql) { return EnLocal(baseLocal, sql); }
    // The work file of a change.
    std::string Archivo(const std::string& contenido) {
        m.carpeta.Escribe("extraido.txt", contenido);
        return m.carpeta.Archivo("extraido.txt");
    }
    bool Cambiado(const std::string& clave, const std::string& contenido) {
        aux.TextoError.clear();
        return aux.ProductoCambiado(clave, conHub, compania, Archivo(contenido), servidorLocal, matriz,
                                    conEspejo);
    }
    bool Adicionales(const std::string& clave, const std::string& contenido) {
        aux.TextoError.clear();
        return aux.CamposAdicionales(clave, conHub, compania, Archivo(contenido), servidorLocal, matriz,
                                     conEspejo);
    }
    // Everything a product change may touch, to show that a refused file changed nothing.
    Lista Huella() {
        return EnCompania(
            "SELECT CONCAT_WS('|', Clave, Descrip, DescripCorta, Linea, SubLinea, Marca, UnidadMedida, "
            "Costo, "
            "IFNULL(FechaCambios,'-'), Rango1, (SELECT COUNT(*) FROM presentaciones), (SELECT COUNT(*) FROM "
            "lineas), (SELECT COUNT(*) FROM marcas), (SELECT COUNT(*) FROM medidas), (SELECT "
            "GROUP_CONCAT(CONCAT_WS(',',Texto1,Numerico1,Texto10,Numerico10)) FROM anexoproductos)) FROM "
            "productos ORDER BY Clave");
    }
};

}  // namespace

TEST(SepararLinea, ThreeOrTwoFieldsAndLinesThatAreNotChanges) {
    std::string c, a, n;
    EXPECT_TRUE(clsAux::SepararLinea("\"Descrip\",\"Viejo\",\"Nuevo, con coma\"", c, a, n));
    EXPECT_EQ(c + "|" + a + "|" + n, "Descrip|Viejo|Nuevo, con coma");
    EXPECT_TRUE(clsAux::SepararLinea("\"Costo\",\"12.5\"", c, a, n));
    EXPECT_EQ(c + "|" + a + "|" + n, "Costo||12.5");
    EXPECT_TRUE(clsAux::SepararLinea("\"Descrip\",\"\",\"\"", c, a, n));
    EXPECT_EQ(c + "|" + a + "|" + n, "Descrip||");
    // Cut short, wrong separators, nothing at all.
    EXPECT_FALSE(clsAux::SepararLinea("\"Descrip\",\"Viejo\",\"Nue", c, a, n));
    EXPECT_FALSE(clsAux::SepararLinea("\"Descrip\";\"Viejo\";\"Nuevo\"", c, a, n));
    EXPECT_FALSE(clsAux::SepararLinea("", c, a, n));
    EXPECT_FALSE(clsAux::SepararLinea("\",", c, a, n));
}

TEST(ProductoCambiado, AppliesEachLineByItsFieldAndTellsWhatChanged) {
    REQUIERE_SERVIDORES();
    Escenario e;
    e.Compania(
        "INSERT INTO lineas (Id, Linea) VALUES (1, 'VIEJA');"
        "INSERT INTO medidas (Id, Medida) VALUES (5, 'CAJA'), (6, 'PAQUETE');"
        "INSERT INTO productos (Clave, Descrip, Linea, Costo) VALUES ('A1', 'Martillo', 0, 10), "
        "('B''2', 'Otro', 0, 1);"
        "INSERT INTO presentaciones (Producto, IdUnidad, Cantidad, ClaveAlterna) VALUES ('A1', 6, 12, "
        "'P12')");
    e.Matriz("INSERT INTO productos (Clave, Rango1, Rango2) VALUES ('A1', 3, 7)");

    // Windows and Linux line ends in one file; the sub-line comes before the product has a line: skipped.
    const std::string cambios =
        "\"SubLinea\",\"\",\"MANUAL\"\r\n"
        "\"Linea\",\"VIEJA\",\"HERRAMIENTA\"\n"
        "\"SubLinea\",\"\",\"MANUAL\"\r\n"
        "\"Marca\",\"ACME\"\r\n"
        "\"UnidadMedida\",\"\",\"PIEZA\"\r\n"
        "\"Descrip\",\"Martillo\",\"Martillo d'Ana \\ \"grande\"\"\r\n"
        "\"costo\",\"10\",\"12.5\"\r\n"
        "\"Presentación\",\"CAJA\",\"24\"\r\n"
        "\"Presentación\",\"PAQUETE\",\"12\"\r\n"
        "\"ClavePresentación\",\"PAQUETE\",\"P-12\"\r\n"
        "\r\n";
    EXPECT_TRUE(e.Cambiado("A1", cambios)) << e.aux.TextoError;
    EXPECT_EQ(e.aux.TextoError, "");
    EXPECT_EQ(
        e.EnCompania("SELECT CONCAT_WS('|', p.Descrip, l.Linea, s.SubLinea, m.Marca, u.Medida, p.Costo, "
                     "p.FechaCambios) FROM productos p JOIN lineas l ON l.Id=p.Linea JOIN sublineas s ON "
                     "s.Id=p.SubLinea AND s.IdLinea=p.Linea JOIN marcas m ON m.Id=p.Marca JOIN medidas u "
                     "ON u.Id=p.UnidadMedida WHERE Clave='A1'"),
        // Apostrophes, backslashes and quotes inside the new value are stored as they stand.
        Lista{"Martillo d'Ana \\ \"grande\"|HERRAMIENTA|MANUAL|ACME|PIEZA|12.5000|2026-12-08"});
    EXPECT_EQ(e.EnCompania("SELECT CONCAT_WS('|', IdUnidad, Cantidad, ClaveAlterna) FROM presentaciones "
                           "WHERE Producto='A1' ORDER BY IdUnidad"),
              (Lista{"5|24.0000|", "6|12.0000|P-12"}));
    // The ranges come from the MATRIZ, as many as the company's prices (none set: one).
    EXPECT_EQ(e.EnCompania("SELECT CONCAT_WS('|', Rango1, Rango2) FROM productos WHERE Clave='A1'"),
              Lista{"3.0000|0.0000"});
    EXPECT_EQ(e.EnCompania("SELECT Descrip FROM productos WHERE Clave='B''2'"), Lista{"Otro"});
    // A two-field line tells an empty previous value; a packaging equal to the stored one says nothing.
    EXPECT_EQ(e.Avisos(9), Lista{"Producto modificado: \"A1\"\r\n"
                                 "Linea: anterior: VIEJA, nuevo: HERRAMIENTA\r\n"
                                 "SubLinea: anterior: , nuevo: MANUAL\r\n"
                                 "Marca: anterior: , nuevo: ACME\r\n"
                                 "UnidadMedida: anterior: , nuevo: PIEZA\r\n"
                                 "Descrip: anterior: Martillo, nuevo: Martillo d'Ana \\ \"grande\"\r\n"
                                 "costo: anterior: 10, nuevo: 12.5\r\n"
                                 "Nueva presentación, CAJA con 24\r\n"
                                 "Cambio en presentación, PAQUETE con P-12"});
}

TEST(ProductoCambiado, ARefusedLineUndoesTheWholeFile) {
    REQUIERE_SERVIDORES();
    Escenario e;
    e.Compania("INSERT INTO productos (Clave, Descrip, Costo) VALUES ('A1', 'Martillo', 10)");
    const Lista antes = e.Huella();
    const std::string primera = "\"Descrip\",\"Martillo\",\"Cambiado\"\r\n\"Marca\",\"\",\"NUEVA\"\r\n";
    const std::pair<std::string, std::string> malos[] = {
        {primera + "\"NoExiste\",\"\",\"x\"\r\n", "Nº 0: El campo \"NoExiste\" no se puede cambiar"},
        {primera + "\"Clave\",\"A1\",\"Z9\"\r\n", "Nº 0: El campo \"Clave\" no se puede cambiar"},
        {primera + "\"Id\",\"1\",\"99\"\r\n", "Nº 0: El campo \"Id\" no se puede cambiar"},
        {primera + "\"Costo\",\"10\",\"diez\"\r\n", "Nº 1366: "},
        {primera + "\"Presentación\",\"CAJA\",\"doce\"\r\n", "Nº 0: Cantidad de presentación"},
        {primera + "\"Presentación\",\"\",\"12\"\r\n", "Nº 0: Presentación sin unidad"},
        {primera + "\"Descrip\",\"\",\"" + std::string(1 << 20, 'x') + "\"\r\n", "Nº 1406: "},
        {primera + "\"Descrip\",\"\",\"\xff\xfe\xc3\"\r\n", "Nº 1366: "},
        {primera + "\"Descrip\",\"Martillo\",\"Cort", "Nº 0: Línea sin el formato"},
        {primera + "\"Descrip\";\"Martillo\";\"x\"\r\n", "Nº 0: Línea sin el formato"},
        {primera + std::string("\x00\x01\x02\",\x80\xff", 8), "Nº 0: Línea sin el formato"},
        {"", "Nº 0: El archivo de cambios está vacío"},
        {"\r\n\r\n", "Nº 0: El archivo de cambios está vacío"},
    };
    for (const auto& [archivo, error] : malos) {
        EXPECT_FALSE(e.Cambiado("A1", archivo)) << error;
        EXPECT_EQ(e.aux.TextoError.rfind(error, 0), 0u) << e.aux.TextoError;
        EXPECT_EQ(e.Huella(), antes) << error;
    }
    EXPECT_EQ(e.Avisos(9), Lista{});
    // The session is back to the mode it had: a value too long is cut again, as everywhere else.
    EXPECT_EQ(prueba::Consulta(e.local, "", "SELECT 1"), "1");
    EXPECT_EQ(*e.compania.Escalar("SELECT @@SESSION.sql_mode"), "NO_ENGINE_SUBSTITUTION");
}

TEST(ProductoCambiado, MissingProductsComeFromTheMatrizOrAreReported) {
    REQUIERE_SERVIDORES();
    Escenario e;
    // Missing here and in the MATRIZ.
    EXPECT_FALSE(e.Cambiado("NADA", "\"Descrip\",\"\",\"x\"\r\n"));
    EXPECT_EQ(e.aux.TextoError, "El producto a actualizar o dar de alta ya no existe en MATRIZ");
    EXPECT_EQ(e.EnCompania("SELECT COUNT(*) FROM productos"), Lista{"0"});

    // Missing here: copied from the MATRIZ with its prices, then changed.
    e.Matriz("INSERT INTO productos (Clave, Descrip, Precio1, Rango1) VALUES ('M1', 'De matriz', 20, 4)");
    Mod.EnviarPrecio[1] = true;
    EXPECT_TRUE(e.Cambiado("M1", "\"DescripCorta\",\"\",\"Corta\"\r\n")) << e.aux.TextoError;
    EXPECT_EQ(e.EnCompania("SELECT CONCAT_WS('|', Descrip, DescripCorta, Precio1, Rango1) FROM productos"),
              Lista{"De matriz|Corta|20.0000|4.0000"});
}

TEST(ProductoNuevo, ARefusedDependentRowIsSkippedAndALostMatrizLeavesTheChangeWaiting) {
    REQUIERE_SERVIDORES();
    Escenario e;
    // This company keeps its alternate keys unique across products: one of the new product's is taken.
    e.Compania(
        "ALTER TABLE clavesalternas ADD UNIQUE KEY unica (ClaveAlterna);"
        "INSERT INTO productos (Clave) VALUES ('OTRO');"
        "INSERT INTO clavesalternas (ClaveProducto, ClaveAlterna) VALUES ('OTRO', '7501')");
    e.Matriz(
        "INSERT INTO productos (Clave, Descrip) VALUES ('N1', 'Nuevo'), ('N2', 'Otro nuevo');"
        "INSERT INTO clavesalternas (ClaveProducto, ClaveAlterna) VALUES ('N1', '7501'), ('N1', '7502')");
    EXPECT_TRUE(e.aux.ProductoNuevo(e.matriz, e.compania, "N1", e.servidorLocal)) << e.aux.TextoError;
    EXPECT_EQ(e.aux.TextoError, "");
    EXPECT_EQ(e.EnCompania("SELECT CONCAT_WS('|', ClaveAlterna, ClaveProducto) FROM clavesalternas "
                           "ORDER BY ClaveAlterna"),
              (Lista{"7501|OTRO", "7502|N1"}));
    EXPECT_EQ(e.EnCompania("SELECT Descrip FROM productos WHERE Clave = 'N1'"), Lista{"Nuevo"});
    EXPECT_EQ(e.Avisos(4), Lista{"Nuevo producto: \"N1\""});
    EXPECT_NE(e.m.carpeta.Lee("ErrorAlLeer.txt").find("Nº 1062"), std::string::npos)
        << e.m.carpeta.Lee("ErrorAlLeer.txt");

    // The MATRIZ connection dies while the header is written: nothing stays, and the error passes.
    e.Compania(
        "CREATE TRIGGER lento BEFORE INSERT ON productos FOR EACH ROW "
        "IF NEW.Clave = 'N2' THEN DO SLEEP(2); END IF");
    std::thread asesino([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        for (const auto& id : e.EnHub("SELECT ID FROM information_schema.PROCESSLIST WHERE DB = '" +
                                      e.matriz + "' AND ID <> CONNECTION_ID()"))
            e.Hub("KILL CONNECTION " + id);
    });
    e.aux.Limpia();
    EXPECT_FALSE(e.aux.ProductoNuevo(e.matriz, e.compania, "N2", e.servidorLocal));
    asesino.join();
    EXPECT_TRUE(e.aux.ErrorPasajero()) << e.aux.TextoError;
    EXPECT_EQ(e.EnCompania("SELECT COUNT(*) FROM productos WHERE Clave = 'N2'"), Lista{"0"});
    EXPECT_EQ(e.Avisos(4), Lista{"Nuevo producto: \"N1\""});
}

TEST(ProductoCambiado, RangesFollowTheCompanysNumberOfPricesAndTheEspejoGetsPricesAndAnnex) {
    REQUIERE_SERVIDORES();
    Escenario e;
    e.Compania(
        "INSERT INTO productos (Clave, Precio1, Precio5, Costo, CostoProm, forCampo3) VALUES "
        "('A1', 11, 55, 7, 6, 'Costo');"
        "INSERT INTO productosmasprecios (Producto, NumeroDePrecio, Precio, Rango) VALUES ('A1', 6, 66, 1), "
        "('A1', 7, 77, 2);"
        "INSERT INTO anexoproductos (Producto, Texto1, Numerico10) VALUES ('A1', 'uno', 10)");
    e.Matriz(
        "INSERT INTO productos (Clave, Rango1, Rango2, Rango3, Rango4, Rango5) VALUES ('A1', 1, 2, 3, 4, 5)");
    e.Espejo(
        "INSERT INTO productos (Clave) VALUES ('A1');"
        "INSERT INTO productosmasprecios (Producto, NumeroDePrecio, Precio) VALUES ('A1', 7, 1)");

    e.Compania("INSERT INTO configura (Dato, Contenido) VALUES ('Precios', '0')");
    EXPECT_TRUE(e.Cambiado("A1", "\"Descrip\",\"\",\"uno\"\r\n")) << e.aux.TextoError;
    EXPECT_EQ(e.EnCompania("SELECT CONCAT_WS('|', Rango1, Rango2, Rango5) FROM productos"),
              Lista{"1.0000|0.0000|0.0000"});
    e.Compania("UPDATE configura SET Contenido='9' WHERE Dato='Precios'");
    EXPECT_TRUE(e.Cambiado("A1", "\"Descrip\",\"\",\"dos\"\r\n")) << e.aux.TextoError;
    EXPECT_EQ(e.EnCompania("SELECT CONCAT_WS('|', Rango1, Rango2, Rango5) FROM productos"),
              Lista{"1.0000|2.0000|5.0000"});

    // The ESPEJO has the local prices, the price rows it lacked, and an annex made for it.
    EXPECT_EQ(e.EnEspejo("SELECT CONCAT_WS('|', Precio1, Precio5, Costo, CostoProm, forCampo3, Rango5, "
                         "FechaCambios) FROM productos"),
              Lista{"11.0000|55.0000|7.0000|6.0000|Costo|5.0000|2026-12-08"});
    EXPECT_EQ(e.EnEspejo("SELECT CONCAT_WS('|', NumeroDePrecio, Precio, Rango) FROM productosmasprecios "
                         "ORDER BY NumeroDePrecio"),
              (Lista{"6|66.0000|1.0000", "7|77.0000|2.0000"}));
    EXPECT_EQ(e.EnEspejo("SELECT CONCAT_WS('|', Producto, Texto1, Numerico10) FROM anexoproductos"),
              Lista{"A1|uno|10.0000"});
}

TEST(CambioClaveProducto, RenamesOnceAndTakesANewKeyThatExistsAsDone) {
    REQUIERE_SERVIDORES();
    Escenario e;
    e.Compania(
        "INSERT INTO productos (Clave) VALUES ('A1'), ('B2');"
        "INSERT INTO presentaciones (Producto, IdUnidad) VALUES ('A1', 1);"
        "INSERT INTO kitskardex (Kit, Clave) VALUES ('K', 'A1'), ('A1', 'B2')");
    // No tab: not a key change.
    EXPECT_FALSE(e.aux.CambioClaveProducto("A1", e.compania, "A1 Z9"));
    // The product is not here (yet): it waits.
    EXPECT_FALSE(e.aux.CambioClaveProducto("NADA", e.compania, "NADA\tZ9"));
    EXPECT_EQ(e.aux.TextoError, "");

    // The new key already exists: nothing changes, and it counts as done.
    EXPECT_TRUE(e.aux.CambioClaveProducto("A1", e.compania, "A1\tB2"));
    EXPECT_EQ(e.aux.ClaveNueva(), "B2");
    EXPECT_EQ(e.EnCompania("SELECT Clave FROM productos ORDER BY Clave"), (Lista{"A1", "B2"}));

    // The line end of the file is not part of the key.
    EXPECT_TRUE(e.aux.CambioClaveProducto("A1", e.compania, "A1\tZ'9\r\n"));
    EXPECT_EQ(e.aux.ClaveNueva(), "Z'9");
    EXPECT_EQ(e.EnCompania("SELECT Clave FROM productos ORDER BY Clave"), (Lista{"B2", "Z'9"}));
    EXPECT_EQ(e.EnCompania("SELECT Producto FROM presentaciones"), Lista{"Z'9"});
    EXPECT_EQ(e.EnCompania("SELECT CONCAT(Kit, '>', Clave) FROM kitskardex ORDER BY Id"),
              (Lista{"K>Z'9", "Z'9>B2"}));

    // A new key longer than the column is refused whole, with its reason.
    EXPECT_FALSE(e.aux.CambioClaveProducto("B2", e.compania, "B2\t0123456789ABCDEFG"));
    EXPECT_EQ(e.aux.TextoError.rfind("Nº 1406: ", 0), 0u) << e.aux.TextoError;
    EXPECT_EQ(e.EnCompania("SELECT Clave FROM productos ORDER BY Clave"), (Lista{"B2", "Z'9"}));
    EXPECT_EQ(e.EnCompania("SELECT CONCAT(Kit, '>', Clave) FROM kitskardex ORDER BY Id"),
              (Lista{"K>Z'9", "Z'9>B2"}));

    // Files that name no usable key: empty ones wait, the others are refused with the server's reason.
    const Lista antes = e.EnCompania("SELECT CONCAT_WS('|', Clave, FADUA) FROM productos ORDER BY Clave");
    e.aux.TextoError.clear();
    EXPECT_FALSE(e.aux.CambioClaveProducto("B2", e.compania, ""));
    EXPECT_EQ(e.aux.TextoError, "");
    const std::pair<std::string, std::string> malos[] = {
        {"B2\t", "Nº 0: La clave \"B2\" no se cambió por \"\": clave vacía"},
        {"B2\t\xff\xfe\x80", "Nº 1366: "},
        {"B2\t" + std::string(1 << 20, 'x'), "Nº 1406: "},
        {std::string("B2\t\0\x01", 5), "Nº 0: La clave \"B2\" no se cambió por \""},
    };
    for (const auto& [archivo, error] : malos) {
        e.aux.TextoError.clear();
        EXPECT_FALSE(e.aux.CambioClaveProducto("B2", e.compania, archivo)) << error;
        EXPECT_EQ(e.aux.TextoError.rfind(error, 0), 0u) << e.aux.TextoError;
    }
    EXPECT_EQ(e.EnCompania("SELECT CONCAT_WS('|', Clave, FADUA) FROM productos ORDER BY Clave"), antes);
}

TEST(CamposAdicionales, RecordsOfThreeLinesFillTheirSlots) {
    REQUIERE_SERVIDORES();
    Escenario e;
    e.Compania("INSERT INTO productos (Clave) VALUES ('A1'), ('B2')");
    e.Matriz(
        "INSERT INTO anexoproductos (Producto, Texto2, Numerico2, Lun) VALUES ('A1', 'de matriz', 2, 1)");

    // No annex here: one is made from the MATRIZ's, then the records go over it.
    EXPECT_TRUE(
        e.Adicionales("A1", "Campo adicional 1\r\nRojo d'Ana\r\n\r\nCampo adicional 10\nAzul\n3.5x\n"))
        << e.aux.TextoError;
    EXPECT_EQ(e.EnCompania("SELECT CONCAT_WS('|', Texto1, Numerico1, Texto2, Numerico2, Texto10, Numerico10, "
                           "Lun) FROM anexoproductos"),
              Lista{"Rojo d'Ana|0.0000|de matriz|2.0000|Azul|3.5000|0"});
    EXPECT_EQ(e.EnCompania("SELECT Clave FROM productos WHERE FechaCambios='2026-12-08'"), Lista{"A1"});
    EXPECT_EQ(e.Avisos(9), Lista{"Campos adicionales de productos: \"A1\""});

    // Files that are not records change nothing.
    const Lista antes = e.Huella();
    const std::pair<std::string, std::string> malos[] = {
        {"", "Nº 0: El archivo de campos adicionales no está completo (0 líneas)"},
        {"Campo 1\r\nRojo\r\n1\r\nCampo 2\r\n", "Nº 0: El archivo de campos adicionales no está completo (4"},
        {"Campo 11\r\nRojo\r\n1\r\n", "Nº 0: Campo adicional sin número de 1 a 10"},
        {"Campo 0\r\nRojo\r\n1\r\n", "Nº 0: Campo adicional sin número de 1 a 10"},
        {"Campo x\r\nRojo\r\n1\r\n", "Nº 0: Campo adicional sin número de 1 a 10"},
        {"Campo 1\r\n" + std::string(1 << 20, 'x') + "\r\n1\r\n", "Nº 1406: "},
        {"Campo 1\r\n\xff\xfe\r\n1\r\n", "Nº 1366: "},
        {"Campo 1;Rojo;1", "Nº 0: El archivo de campos adicionales no está completo (1"},
    };
    for (const auto& [archivo, error] : malos) {
        EXPECT_FALSE(e.Adicionales("B2", archivo)) << error;
        EXPECT_EQ(e.aux.TextoError.rfind(error, 0), 0u) << e.aux.TextoError;
        EXPECT_EQ(e.Huella(), antes) << error;
    }
    EXPECT_EQ(e.Avisos(9).size(), 1u);
}

TEST(AnexosProducto, TheMatrizAnnexOverTheLocalOneMadeWhenMissing) {
    REQUIERE_SERVIDORES();
    Escenario e;
    // Not in the MATRIZ: it waits, without error.
    EXPECT_FALSE(e.aux.AnexosProducto(e.matriz, e.compania, "A1", e.servidorLocal));
    EXPECT_EQ(e.aux.TextoError, "");
    e.Matriz(
        "INSERT INTO anexoproductos (Producto, Texto1, Texto10, Numerico5, Lun, Dom, HoraIni, HoraFin, "
        "SaldableParaClientes, RelacionadoCon) VALUES ('A1', 'uno', 'diez', 5, 1, 1, '08:00:00', '20:30:00', "
        "1, 'B''2')");
    const std::string campos =
        "SELECT CONCAT_WS('|', Producto, Texto1, Texto10, Numerico5, Lun, Mar, Dom, HoraIni, HoraFin, "
        "SaldableParaClientes, RelacionadoCon) FROM anexoproductos";
    EXPECT_TRUE(e.aux.AnexosProducto(e.matriz, e.compania, "A1", e.servidorLocal));
    EXPECT_EQ(e.EnCompania(campos), e.EnHub(e.matriz, campos));
    // Over an annex that is there, and only its own product's.
    e.Compania(
        "UPDATE anexoproductos SET Texto1='local', Mar=1; INSERT INTO anexoproductos (Producto) VALUES "
        "('B2')");
    EXPECT_TRUE(e.aux.AnexosProducto(e.matriz, e.compania, "A1", e.servidorLocal));
    EXPECT_EQ(e.EnCompania(campos + " WHERE Producto='A1'"), e.EnHub(e.matriz, campos));
    EXPECT_EQ(e.EnCompania("SELECT COUNT(*) FROM anexoproductos"), Lista{"2"});
    EXPECT_EQ(e.Avisos(22), Lista{"Anexos del producto: \"A1\"\r\nAnexos del producto: \"A1\""});
}

TEST(Variantes, ChangedVariantsAndAProductsVariantsAndItsVariantData) {
    REQUIERE_SERVIDORES();
    Escenario e;
    e.Matriz(
        "INSERT INTO variantes (Id, Variante, Precio, Producto, Cantidad) VALUES (40, 'QUESO', 5, 'A1', 1), "
        "(41, 'JAMÓN', 7, '', 2), (42, 'TOCINO', 9, '', 1);"
        "INSERT INTO productosyvariantes (Producto, IdVariante) VALUES ('A1', 40), ('A1', 41), ('A1', 99);"
        "INSERT INTO productos (Clave, VariantesMinimo, VariantesMaximo, VariantesSinCosto, "
        "AgregarVariantes) "
        "VALUES ('A1', 1, 3, 1, 1)");

    // A variant file: its first line names the variant; without a line break it is refused.
    EXPECT_FALSE(e.aux.VarianteCambiada(e.matriz, e.compania, "QUESO", e.servidorLocal));
    EXPECT_FALSE(e.aux.VarianteCambiada(e.matriz, e.compania, "NADA\r\n", e.servidorLocal));
    EXPECT_TRUE(e.aux.VarianteCambiada(e.matriz, e.compania, "QUESO\r\nresto", e.servidorLocal));
    e.Matriz("UPDATE variantes SET Precio=6 WHERE Variante='QUESO'");
    EXPECT_TRUE(e.aux.VarianteCambiada(e.matriz, e.compania, "QUESO\n", e.servidorLocal));
    EXPECT_EQ(e.EnCompania("SELECT CONCAT_WS('|', Variante, Precio, Producto, Cantidad) FROM variantes"),
              Lista{"QUESO|6.0000|A1|1.0000"});
    EXPECT_EQ(e.Avisos(20), Lista{"Variante modificada: \"QUESO\"\r\nVariante modificada: \"QUESO\""});
    // Variant files that name nothing the MATRIZ has wait; nothing changes.
    for (const auto& malo : {std::string(""), std::string("\r\n"), std::string(1 << 20, 'x') + "\n",
                             std::string("\xff\xfe\n"), std::string("QUESO;JAMÓN;1")}) {
        e.aux.TextoError.clear();
        EXPECT_FALSE(e.aux.VarianteCambiada(e.matriz, e.compania, malo, e.servidorLocal));
        EXPECT_EQ(e.aux.TextoError, "");
    }
    EXPECT_EQ(e.EnCompania("SELECT COUNT(*) FROM variantes"), Lista{"1"});
    EXPECT_EQ(e.Avisos(20).size(), 1u);

    // The product's variants: each newly linked one tells, one already linked does not; a link to a
    // variant the MATRIZ lacks is passed over.
    EXPECT_FALSE(e.aux.VariantesDelProd(e.matriz, e.compania, "NADA", e.servidorLocal));
    const std::string queso = e.EnCompania("SELECT Id FROM variantes WHERE Variante='QUESO'").at(0);
    e.Compania("INSERT INTO productosyvariantes (Producto, IdVariante) VALUES ('A1', " + queso + ")");
    EXPECT_TRUE(e.aux.VariantesDelProd(e.matriz, e.compania, "A1", e.servidorLocal));
    EXPECT_EQ(
        e.EnCompania("SELECT v.Variante FROM productosyvariantes p JOIN variantes v ON v.Id=p.IdVariante "
                     "WHERE p.Producto='A1' ORDER BY v.Variante"),
        (Lista{"JAMÓN", "QUESO"}));
    EXPECT_EQ(e.Avisos(19), Lista{"Variantes del producto: \"A1\""});
    EXPECT_TRUE(e.aux.VariantesDelProd(e.matriz, e.compania, "A1", e.servidorLocal));
    EXPECT_EQ(e.Avisos(19).size(), 1u);

    // The product's variant data, when both sides have it.
    EXPECT_FALSE(e.aux.VariantesEnElProd(e.matriz, e.compania, "A1", e.servidorLocal));
    e.Compania("INSERT INTO productos (Clave) VALUES ('A1')");
    EXPECT_TRUE(e.aux.VariantesEnElProd(e.matriz, e.compania, "A1", e.servidorLocal));
    EXPECT_EQ(e.EnCompania("SELECT CONCAT_WS('|', VariantesMinimo, VariantesMaximo, VariantesSinCosto, "
                           "AgregarVariantes) FROM productos"),
              Lista{"1|3|1|1"});
    EXPECT_EQ(e.Avisos(21), Lista{"Datos para variantes, del producto: \"A1\""});
    EXPECT_EQ(e.aux.TextoError, "");
}
