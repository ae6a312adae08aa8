// The real program, headless, taking in what the hub queued for the demo branch in one cycle.
#include <gtest/gtest.h>

#include <memory>

#include "support/escenario.h"

using prueba::Consulta;

namespace {

struct Recepcion : ::testing::Test {
    void SetUp() override {
        REQUIERE_SERVIDORES();
        g = std::make_unique<prueba::Escenario>(prueba::kDemo);
    }
    std::string Local(const std::string& base, const std::string& sql) {
        return Consulta(g->local, base, sql);
    }
    std::string Hub(const std::string& base, const std::string& sql) { return Consulta(g->hub, base, sql); }
    int Avisos(const std::string& texto) {
        return std::stoi(
            Local("concentradorqmx",
                  "SELECT COUNT(*) FROM avisos WHERE CAST(DECODE(Aviso, CAST(Metodo AS CHAR)) AS CHAR) "
                  "LIKE '%" +
                      texto + "%'"));
    }
    std::unique_ptr<prueba::Escenario> g;
};

}  // namespace

TEST_F(Recepcion, OneCycleAppliesAPriceListADeletionASupplierAndABranch) {
    const std::string& espejo = g->espejo;
    g->Hub(g->matriz,
           "INSERT INTO lineas (Id,Linea) VALUES (4,'Importados');"
           "INSERT INTO productos (Clave,Descrip,Linea,Existencia,Precio1) VALUES "
           "('MZ01','Café importado de Colombia, 500 g',4,30,200);"
           "INSERT INTO sucursales (Clave,Nombre,Espejo) VALUES ('SUC9','Sucursal Nueve','sucursal_nueve');"
           "INSERT INTO proveedores (Clave,Nombre,CopiarAsucursales) VALUES ('PM1','Proveedor de matriz',1),"
           "('PM2','Solo de matriz',0)");
    g->Hub("concentradorqmx",
           "INSERT INTO listaprecios (Id,Producto,lista,Precio) VALUES (1,'MZ01',1,250),(2,'P0001',2,99.5);"
           "INSERT INTO pendientesldp (BaseDeDatos,IdLDP) VALUES ('" +
               espejo + "',1),('" + espejo + "',2);" +
               "INSERT INTO aborrar (BaseDeDatos,Tabla,Llave) VALUES ('" + espejo +
               "','productos','P0050'),('" + espejo + "','productos','P0051');" +
               "INSERT INTO archivosasubir (Tipo,BaseDeDatos,clave,Contenido) VALUES ('PV','" + espejo +
               "','PRV1','Proveedor Uno\\r\\nCalle 1\\r\\nCentro');" +
               "INSERT INTO listasucursales (BaseDeDatos,Sucursal,FechaCambios) VALUES ('" + espejo +
               "','SUC9','2026-12-01')");
    g->Local(
        "datos1",
        "INSERT INTO clavesalternas (ClaveProducto,ClaveAlterna) VALUES ('P0050','7501'),('P0051','7502');"
        "INSERT INTO configura (Dato,Contenido) VALUES ('PROVEEDORMATRIZ','')");

    const auto corrida = g->Ejecuta(0);
    ASSERT_EQ(corrida.estado, 0) << corrida.mensajes;

    // The price list: a product of the MATRIZ only reaches the ESPEJO and the branch, with its price.
    EXPECT_EQ(Hub(espejo,
                  "SELECT CONCAT(l.Linea,':',p.Existencia) FROM productos p JOIN lineas l ON l.Id=p.Linea "
                  "WHERE p.Clave='MZ01'"),
              "Importados:0.0000");
    EXPECT_EQ(Local("datos1",
                    "SELECT CONCAT(l.Linea,':',p.Existencia,':',p.Precio1) FROM productos p "
                    "JOIN lineas l ON l.Id=p.Linea WHERE p.Clave='MZ01'"),
              "Importados:0.0000:250.0000");
    EXPECT_EQ(Local("datos1", "SELECT Precio2 FROM productos WHERE Clave='P0001'"), "99.5000");
    EXPECT_EQ(Avisos("Nuevo producto: \"MZ01\"\r\nCafé importado de Colombi"), 1);
    EXPECT_EQ(Avisos("Cambio del Precio2: producto \"P0001\"\r\nAnterior: 13.75, nuevo: 99.50"), 1);

    // The deletion: the product without stock goes with its alternate key, the one with stock waits.
    EXPECT_EQ(Local("datos1", "SELECT GROUP_CONCAT(Clave) FROM productos WHERE Clave IN ('P0050','P0051')"),
              "P0051");
    EXPECT_EQ(Local("datos1", "SELECT GROUP_CONCAT(ClaveAlterna) FROM clavesalternas"), "7502");
    EXPECT_EQ(Avisos("Producto borrado: \"P0050\"\r\nExistencia actual: 0"), 1);
    EXPECT_EQ(Hub("concentradorqmx", "SELECT GROUP_CONCAT(Llave) FROM aborrar"), "P0051");

    // The supplier file, the head office's supplier, and the MATRIZ's supplier marked for branches.
    EXPECT_EQ(Local("datos1",
                    "SELECT GROUP_CONCAT(CONCAT(Clave,':',Nombre,':',Domicilio,':',Colonia) ORDER BY Id) "
                    "FROM proveedores"),
              "PRV1:Proveedor Uno:Calle 1:Centro,PM1:Proveedor de matriz::");
    EXPECT_EQ(g->ConfiguraLocal("PROVEEDORMATRIZ"), "PRV1");
    EXPECT_EQ(Avisos("Proveedor nuevo: PRV1"), 1);
    EXPECT_EQ(Avisos("Proveedor nuevo: PM1"), 1);

    // The branch.
    EXPECT_EQ(Local("datos1", "SELECT CONCAT(Clave,':',Nombre,':',Espejo) FROM sucursales"),
              "SUC9:Sucursal Nueve:sucursal_nueve");
    EXPECT_EQ(Avisos("Nueva sucursal: SUC9"), 1);

    // Every queue consumed or marked read, and nothing left in the program folder.
    EXPECT_EQ(Hub("concentradorqmx", "SELECT COUNT(*) FROM pendientesldp"), "0");
    EXPECT_EQ(Hub("concentradorqmx", "SELECT COUNT(*) FROM archivosasubir"), "0");
    EXPECT_EQ(Hub("concentradorqmx", "SELECT COUNT(*) FROM listasucursales WHERE FechaLeidos<FechaCambios"),
              "0");
    EXPECT_FALSE(kvtx8::HayArchivo(g->Carpeta() + "/extraido.txt"));
    const std::string errores = g->m.carpeta.Lee("programa/ErrorAlLeer.txt");
    for (const char* rutina : {"LeeListaPrecios()", "PorBorrar()", "LeerProveedores()", "LeerSucursales()",
                               "LeerDeArchivos()", "ProveedoresSelect()"})
        EXPECT_EQ(errores.find(rutina), std::string::npos) << errores;
    // The stages, in their order after the users.
    const std::string bitacora = g->Bitacora();
    size_t antes = bitacora.find(".- Usuarios nuevos.\r\n");
    ASSERT_NE(antes, std::string::npos);
    for (const char* etapa : {"Listas de precios", "Información por borrar", "Proveedores nuevos",
                              "Sucursales nuevas o eliminadas", "Información contenida en archivos",
                              "Proveedores seleccionados"}) {
        const size_t aqui = bitacora.find(std::string(".- ") + etapa + ".\r\n");
        EXPECT_NE(aqui, std::string::npos) << etapa;
        EXPECT_GT(aqui, antes) << etapa;
        antes = aqui;
    }

    // A second cycle adds nothing and announces nothing again.
    const auto segunda = g->Ejecuta(0);
    ASSERT_EQ(segunda.estado, 0) << segunda.mensajes;
    EXPECT_EQ(Local("datos1", "SELECT COUNT(*) FROM proveedores"), "2");
    EXPECT_EQ(Local("datos1", "SELECT COUNT(*) FROM sucursales"), "1");
    EXPECT_EQ(Avisos("Nueva sucursal: SUC9"), 1);
    EXPECT_EQ(Avisos("Proveedor nuevo: PM1"), 1);
    EXPECT_EQ(Avisos("Nuevo producto: \"MZ01\""), 1);
}
