#include <gtest/gtest.h>

#include "receive/cls_pendientes.h"
#include "receive/etapas_recepcion.h"
#include "support/escenario.h"

using namespace cnc;
using prueba::Lista;

namespace {

struct Escenario : prueba::Escenario {
    Escenario() : prueba::Escenario(prueba::Tablas{"proveedores", "saldospro", "configura", "sucursales"}) {
        ApuntaAServidores();
    }
    clsPendientes p;
    Resultado Proveedores() { return p.LeerProveedores(servidorLocal, conHub, compania); }
    Resultado Sucursales() { return p.LeerSucursales(servidorLocal, conHub, compania, conEspejo, matriz); }
    Resultado Seleccionados() { return p.ProveedoresSelect(servidorLocal, conHub, compania, matriz); }
    std::string Archivo(const std::string& clave, const std::string& contenido,
                        const std::string& base = "espejo1", const std::string& tipo = "PV",
                        int cancelar = 0) {
        return "INSERT INTO concentradorqmx.archivosasubir (Tipo,BaseDeDatos,Cancelar,clave,Contenido) "
               "VALUES ('" +
               tipo + "','" + base + "'," + std::to_string(cancelar) + ",'" + clave + "','" + contenido +
               "');";
    }
    static constexpr const char* kCampos = "Nombre,Domicilio,Colonia,CP,Ciudad,Estado,Telefono1,RFC,CURP";
};

}  // namespace

TEST(LeerProveedores, SupplierFilesBecomeSuppliersAndTheHeadOfficesOne) {
    REQUIERE_SERVIDORES();
    Escenario e;
    e.Local("datos1",
            "INSERT INTO proveedores (Clave,Nombre,RFC,FechaRegistro) VALUES "
            "('PRV2','Viejo','XAXX','2020-01-01');"
            "INSERT INTO saldospro (Clave,IdMoneda,Saldo) VALUES ('PRV2',1,50);"
            "INSERT INTO configura (Dato,Contenido) VALUES ('PROVEEDORMATRIZ','viejo');"
            "CREATE TRIGGER rechaza BEFORE INSERT ON proveedores FOR EACH ROW "
            "IF NEW.Clave='MALO' THEN SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT='rechazado'; END IF");
    e.Hub(e.Archivo("PRV1",
                    "Uno S.A.\\r\\nAv. Uno "
                    "1\\r\\nCentro\\r\\n01000\\r\\nMérida\\r\\nYucatán\\r\\n999\\r\\nUNO010101\\r\\n"
                    "CURP1\\r\\nsobra") +
          e.Archivo("PRV2", "Solo nombre\\nCalle con LF") + e.Archivo("MALO", "Rechazado") +
          e.Archivo("PRV1", "Uno Nuevo\\r\\n") + e.Archivo("Cancelado", "x", "espejo1", "PV", 1) +
          e.Archivo("Otra", "x", "otra") + e.Archivo("PR1", "producto", "espejo1", "PR") +
          e.Archivo("O''B\\\\", "") + e.Archivo("LARGO", std::string(151, 'x')));

    EXPECT_EQ(e.Proveedores(), Resultado::Incompleto);

    EXPECT_EQ(e.EnLocal("datos1", std::string("SELECT Clave,") + Escenario::kCampos +
                                      ",FechaRegistro,FechaCambios FROM proveedores ORDER BY Id"),
              (Lista{"PRV2|Solo nombre|Calle con LF||||||||2020-01-01|2026-12-08",
                     "PRV1|Uno Nuevo|||||||||2026-12-08|2026-12-08", "O'B\\||||||||||2026-12-08|NULL"}));
    // One balance row per supplier, whatever the rows read; the one refused left none behind.
    EXPECT_EQ(e.EnLocal("datos1", "SELECT Clave,IdMoneda,Saldo FROM saldospro ORDER BY Id"),
              (Lista{"PRV2|1|50.0000", "PRV1|1|0.0000", "O'B\\|1|0.0000"}));
    EXPECT_EQ(e.ConfiguraLocal("PROVEEDORMATRIZ"), "O'B\\");
    EXPECT_EQ(e.Avisos(3), Lista{"Proveedor nuevo: PRV1\r\nProveedor actualizado: PRV2\r\n"
                                 "Proveedor actualizado: PRV1\r\nProveedor nuevo: O'B\\"});
    EXPECT_EQ(e.EnHub("SELECT clave FROM concentradorqmx.archivosasubir ORDER BY Id"),
              (Lista{"MALO", "Cancelado", "Otra", "PR1", "LARGO"}));
    EXPECT_EQ(e.m.ventana.estados.at(0), "PROVEEDORES\r\nClave: 'PRV1'");
    EXPECT_FALSE(kvtx8::HayArchivo(e.m.carpeta.Archivo("extraido.txt")));
    EXPECT_NE(e.m.carpeta.Lee("ErrorAlLeer.txt").find("LeerProveedores()"), std::string::npos);
    // A name longer than its column is not stored cut short.
    EXPECT_NE(e.m.carpeta.Lee("ErrorAlLeer.txt").find("el proveedor 'LARGO' no cabe"), std::string::npos);
    EXPECT_TRUE(e.EnLocal("datos1", "SELECT Clave FROM saldospro WHERE Clave='LARGO'").empty());

    // The first file's nine lines, in their order; the tenth is not read.
    e.Hub(e.Archivo("PRV3",
                    "Uno S.A.\\r\\nAv. Uno 1\\r\\nCentro\\r\\n01000\\r\\nMérida\\r\\nYucatán\\r\\n999\\r\\n"
                    "UNO010101\\r\\nCURP1\\r\\nsobra"));
    e.Local("datos1", "DROP TRIGGER rechaza");
    // The long name still waits.
    EXPECT_EQ(e.Proveedores(), Resultado::Incompleto);
    EXPECT_EQ(e.EnLocal("datos1",
                        std::string("SELECT ") + Escenario::kCampos + " FROM proveedores WHERE Clave='PRV3'"),
              Lista{"Uno S.A.|Av. Uno 1|Centro|01000|Mérida|Yucatán|999|UNO010101|CURP1"});
    EXPECT_EQ(e.EnLocal("datos1", "SELECT Nombre FROM proveedores WHERE Clave='MALO'"), Lista{"Rechazado"});
    EXPECT_EQ(e.ConfiguraLocal("PROVEEDORMATRIZ"), "PRV3");
    EXPECT_EQ(e.EnHub("SELECT clave FROM concentradorqmx.archivosasubir ORDER BY Id"),
              (Lista{"Cancelado", "Otra", "PR1", "LARGO"}));
    EXPECT_FALSE(kvtx8::HayArchivo(e.m.carpeta.Archivo("extraido.txt")));
}

TEST(LeerSucursales, BranchesComeFromTheMatrizAndGoWhenRemoved) {
    REQUIERE_SERVIDORES();
    Escenario e;
    e.Hub("matriz1",
          "INSERT INTO sucursales (Clave,Nombre,Espejo,Empresa) VALUES ('S1','Sucursal Uno','espejo_s1',4),"
          "('S2','Dos de matriz','e2',0),('S9''','Nueve','e9',0)");
    e.Local("datos1",
            "INSERT INTO sucursales (Clave,Nombre,Espejo,Empresa) VALUES ('S2','Nombre local','mio',5),"
            "('S3','Tres','e3',0),('S6','Seis','e6',0)");
    e.Hub(
        "INSERT INTO concentradorqmx.listasucursales (BaseDeDatos,Sucursal,Quitar,FechaCambios,FechaLeidos) "
        "VALUES "
        "('espejo1','S9''',0,'2026-12-01','2000-01-01'),('espejo1','S1',0,'2026-12-01','2000-01-01'),"
        "('espejo1','S2',0,'2026-12-01','2000-01-01'),('espejo1','S3',1,'2026-12-01','2000-01-01'),"
        "('espejo1','S5',0,'2026-12-01','2000-01-01'),('espejo1','S6',1,'2026-12-01','2026-12-01'),"
        "('otra','S1',0,'2026-12-01','2000-01-01')");

    EXPECT_EQ(e.Sucursales(), Resultado::Completo);
    // New branches as the MATRIZ has them, under no company; an existing one is left as it is.
    EXPECT_EQ(
        e.EnLocal("datos1", "SELECT Clave,Nombre,Espejo,Empresa FROM sucursales ORDER BY Clave"),
        (Lista{"S1|Sucursal Uno|espejo_s1|0", "S2|Nombre local|mio|5", "S6|Seis|e6|0", "S9'|Nueve|e9|0"}));
    EXPECT_EQ(e.Avisos(16), Lista{"Nueva sucursal: S1\r\nNueva sucursal: S9'"});
    EXPECT_EQ(e.Avisos(17), Lista{"Sucursal eliminada: S3"});
    // Read once applied, the removal too; a branch the MATRIZ lacks stays pending.
    EXPECT_EQ(
        e.EnHub("SELECT BaseDeDatos,Sucursal,FechaLeidos FROM concentradorqmx.listasucursales ORDER BY Id"),
        (Lista{"espejo1|S9'|2026-12-08", "espejo1|S1|2026-12-08", "espejo1|S2|2026-12-08",
               "espejo1|S3|2026-12-08", "espejo1|S5|2000-01-01", "espejo1|S6|2026-12-01",
               "otra|S1|2000-01-01"}));

    // The next cycle announces nothing again.
    EXPECT_EQ(e.Sucursales(), Resultado::Completo);
    EXPECT_EQ(e.Avisos(16).size(), 1u);
    EXPECT_EQ(e.Avisos(17), Lista{"Sucursal eliminada: S3"});
    EXPECT_EQ(e.EnLocal("datos1", "SELECT COUNT(*) FROM sucursales"), Lista{"4"});
}

TEST(ProveedoresSelect, CopiesMarkedSuppliersOfTheMatrizOnce) {
    REQUIERE_SERVIDORES();
    Escenario e;
    e.Hub(
        "matriz1",
        "INSERT INTO proveedores (Clave,Nombre,Domicilio,Colonia,CP,Ciudad,Estado,Telefono1,RFC,CURP,Saldo,"
        "Clasificacion,CopiarAsucursales) VALUES "
        "('M1','Matriz Uno','Dom','Col','97000','Mérida','Yucatán','555','RFC1','CURP1',900,'A',1),"
        "('M2','No se copia','','','','','','','','',0,'',0),"
        "('PRV1','De matriz','','','','','','','','',0,'',1),('M''3','Tres','','','','','','','','',0,'',1)");
    e.Local("datos1", "INSERT INTO proveedores (Clave,Nombre) VALUES ('PRV1','Local')");

    auto etapas = EtapasDeRecepcion();
    ASSERT_FALSE(etapas.empty());
    // The last intake stage, after the file-borne one.
    EXPECT_EQ(etapas.back().texto + "/" + etapas.back().tabla, "Proveedores seleccionados/proveedores");
    ContextoCiclo ctx;
    ctx.matriz = e.matriz;
    EXPECT_EQ(etapas.back().operacion(ctx), Resultado::Completo);

    EXPECT_EQ(e.EnLocal("datos1", std::string("SELECT Clave,") + Escenario::kCampos +
                                      ",Saldo,Clasificacion,CopiarAsucursales FROM proveedores ORDER BY Id"),
              (Lista{"PRV1|Local|||||||||0.0000||0", "M'3|Tres|||||||||0.0000||0",
                     "M1|Matriz Uno|Dom|Col|97000|Mérida|Yucatán|555|RFC1|CURP1|0.0000||0"}));
    EXPECT_EQ(e.Avisos(3), Lista{"Proveedor nuevo: M'3\r\nProveedor nuevo: M1"});

    EXPECT_EQ(e.Seleccionados(), Resultado::Completo);
    EXPECT_EQ(e.EnLocal("datos1", "SELECT COUNT(*) FROM proveedores"), Lista{"3"});
    EXPECT_EQ(e.Avisos(3).size(), 1u);

    // A copy whose notice could not be written is told at the next pass, once.
    e.Hub("matriz1", "INSERT INTO proveedores (Clave,Nombre,CopiarAsucursales) VALUES ('M4','Cuatro',1)");
    e.Local("concentradorqmx",
            "CREATE TRIGGER sinavisos BEFORE UPDATE ON avisos FOR EACH ROW "
            "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT='sin avisos'");
    EXPECT_EQ(e.Seleccionados(), Resultado::Incompleto);
    EXPECT_EQ(e.EnLocal("datos1", "SELECT COUNT(*) FROM proveedores"), Lista{"4"});
    e.Local("concentradorqmx", "DROP TRIGGER sinavisos");
    EXPECT_EQ(e.Seleccionados(), Resultado::Completo);
    EXPECT_EQ(e.Seleccionados(), Resultado::Completo);
    EXPECT_EQ(e.Avisos(3), Lista{"Proveedor nuevo: M'3\r\nProveedor nuevo: M1\r\nProveedor nuevo: M4"});
    EXPECT_EQ(e.EnLocal("concentradorqmx", "SELECT COUNT(*) FROM colasaplicadas"), Lista{"0"});
}
