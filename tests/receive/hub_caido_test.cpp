#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "receive/cls_pendientes.h"
#include "support/escenario.h"

using namespace cnc;
using prueba::Lista;

namespace {

// The recording window that also lets the network strike where a queue lets window events run.
class VentanaQueCede : public prueba::VentanaConGanchos {
  public:
    std::function<void()> alCeder;
    void Ceder() override {
        VentanaConGanchos::Ceder();
        if (alCeder) alCeder();
    }
};

struct Escenario : prueba::Escenario {
    Escenario()
        : prueba::Escenario(prueba::Tablas{"productos", "clavesalternas", "lineas", "sublineas", "marcas",
                                           "medidas", "proveedores", "saldospro", "configura",
                                           "sucursales"}) {
        ApuntaAServidores();
        Mod.Ventana = &ventana;
    }
    ~Escenario() { Mod.Ventana = &m.ventana; }
    VentanaQueCede ventana;
    clsPendientes p;
    // The next cycle is another connection call, with connections of its own.
    void Revive(prueba::Caida& caida) {
        caida.Revive();
        for (auto* c : {&servidorLocal, &conHub, &compania, &conEspejo}) c->Cerrar();
    }
};

}  // namespace

// Each queue, with the hub gone at its second row: what was done stays done, the rest waits, and the next
// cycle finishes it without losing or doubling anything.
TEST(Recepcion, AHubStoppedMidQueueLosesNothing) {
    REQUIERE_SERVIDORES();
    if (!std::getenv("CNC_PRUEBA_DIR")) GTEST_SKIP() << "sin carpeta de los servidores de prueba";
    Escenario e;
    prueba::Caida caida("hub");
    auto& v = e.ventana;
    size_t cortarEn = 0;
    v.alEstado = [&](const std::string&) {
        if (v.estados.size() == cortarEn) caida.Mata();
    };
    e.Espejo("INSERT INTO productos (Clave) VALUES ('P1'),('P2'),('P3')");
    e.Local(
        "datos1",
        "INSERT INTO productos (Clave,Precio1) VALUES ('P1',1),('P2',1),('P3',1),('B1',0),('B2',0),('B3',0);"
        "INSERT INTO configura (Dato,Contenido) VALUES ('PROVEEDORMATRIZ','')");
    e.Hub(
        "INSERT INTO concentradorqmx.listaprecios (Id,Producto,lista,Precio) VALUES "
        "(1,'P1',1,10),(2,'P2',1,20),"
        "(3,'P3',1,30);"
        "INSERT INTO concentradorqmx.pendientesldp (BaseDeDatos,IdLDP) VALUES ('espejo1',1),('espejo1',2),"
        "('espejo1',3);"
        "INSERT INTO concentradorqmx.aborrar (BaseDeDatos,Tabla,Llave) VALUES ('espejo1','productos','B1'),"
        "('espejo1','productos','B2'),('espejo1','productos','B3');"
        "INSERT INTO concentradorqmx.archivosasubir (Tipo,BaseDeDatos,clave,Contenido) VALUES "
        "('PV','espejo1','V1','Uno'),('PV','espejo1','V2','Dos'),('PV','espejo1','V3','Tres');"
        "INSERT INTO concentradorqmx.listasucursales (BaseDeDatos,Sucursal,FechaCambios) VALUES "
        "('espejo1','S1','2026-12-01'),('espejo1','S2','2026-12-01'),('espejo1','S3','2026-12-01')");
    e.Hub("matriz1", "INSERT INTO sucursales (Clave,Nombre) VALUES ('S1','Uno'),('S2','Dos'),('S3','Tres')");

    // Price list: the second entry waits with the third.
    cortarEn = 2;
    EXPECT_EQ(e.p.LeeListaPrecios(e.servidorLocal, e.conHub, e.compania, e.conEspejo, e.matriz),
              Resultado::SinConexion);
    EXPECT_EQ(v.estados.size(), 2u);
    e.Revive(caida);
    EXPECT_EQ(e.EnHub("SELECT IdLDP FROM concentradorqmx.pendientesldp ORDER BY Id"), (Lista{"2", "3"}));
    EXPECT_EQ(e.p.LeeListaPrecios(e.servidorLocal, e.conHub, e.compania, e.conEspejo, e.matriz),
              Resultado::Completo);
    EXPECT_TRUE(e.EnHub("SELECT IdLDP FROM concentradorqmx.pendientesldp").empty());
    EXPECT_EQ(e.EnLocal("datos1", "SELECT Precio1 FROM productos WHERE Clave LIKE 'P%' ORDER BY Id"),
              (Lista{"10.0000", "20.0000", "30.0000"}));
    EXPECT_EQ(e.Avisos(2), Lista{"Cambio del Precio1: producto \"P1\"\r\nAnterior: 1.00, nuevo: 10.00\r\n"
                                 "Cambio del Precio1: producto \"P2\"\r\nAnterior: 1.00, nuevo: 20.00\r\n"
                                 "Cambio del Precio1: producto \"P3\"\r\nAnterior: 1.00, nuevo: 30.00"});

    // Deletions: the row in hand when the hub went may be applied already; it is consumed next time.
    cortarEn = v.estados.size() + 2;
    EXPECT_EQ(e.p.PorBorrar(e.servidorLocal, e.conHub, e.compania), Resultado::SinConexion);
    e.Revive(caida);
    EXPECT_EQ(e.EnHub("SELECT Llave FROM concentradorqmx.aborrar ORDER BY Id"), (Lista{"B2", "B3"}));
    EXPECT_EQ(e.p.PorBorrar(e.servidorLocal, e.conHub, e.compania), Resultado::Completo);
    EXPECT_TRUE(e.EnHub("SELECT Llave FROM concentradorqmx.aborrar").empty());
    EXPECT_TRUE(e.EnLocal("datos1", "SELECT Clave FROM productos WHERE Clave LIKE 'B%'").empty());
    // B2 was deleted before its queue row could go: told once, never as a product that is not there.
    EXPECT_EQ(e.Avisos(5), Lista{"Producto borrado: \"B1\"\r\nExistencia actual: 0\r\n"
                                 "Producto borrado: \"B2\"\r\nExistencia actual: 0\r\n"
                                 "Producto borrado: \"B3\"\r\nExistencia actual: 0"});

    // Suppliers: the same; the file read twice makes no second supplier nor balance.
    cortarEn = v.estados.size() + 2;
    EXPECT_EQ(e.p.LeerProveedores(e.servidorLocal, e.conHub, e.compania), Resultado::SinConexion);
    e.Revive(caida);
    EXPECT_EQ(e.EnHub("SELECT clave FROM concentradorqmx.archivosasubir ORDER BY Id"), (Lista{"V2", "V3"}));
    EXPECT_EQ(e.p.LeerProveedores(e.servidorLocal, e.conHub, e.compania), Resultado::Completo);
    EXPECT_TRUE(e.EnHub("SELECT clave FROM concentradorqmx.archivosasubir").empty());
    EXPECT_EQ(e.EnLocal("datos1", "SELECT Clave,Nombre FROM proveedores ORDER BY Clave"),
              (Lista{"V1|Uno", "V2|Dos", "V3|Tres"}));
    EXPECT_EQ(e.EnLocal("datos1", "SELECT COUNT(*) FROM saldospro"), Lista{"3"});
    EXPECT_EQ(e.ConfiguraLocal("PROVEEDORMATRIZ"), "V3");
    EXPECT_EQ(e.Avisos(3), Lista{"Proveedor nuevo: V1\r\nProveedor nuevo: V2\r\nProveedor nuevo: V3"});
    EXPECT_FALSE(kvtx8::HayArchivo(e.m.carpeta.Archivo("extraido.txt")));

    // Branches show no status line: the hub goes as the second row lets window events run.
    int cedidas = 0;
    v.alCeder = [&] {
        if (++cedidas == 2) caida.Mata();
    };
    EXPECT_EQ(e.p.LeerSucursales(e.servidorLocal, e.conHub, e.compania, e.conEspejo, e.matriz),
              Resultado::SinConexion);
    v.alCeder = nullptr;
    e.Revive(caida);
    EXPECT_EQ(e.EnHub("SELECT Sucursal FROM concentradorqmx.listasucursales WHERE FechaLeidos<FechaCambios "
                      "ORDER BY Sucursal"),
              (Lista{"S2", "S3"}));
    EXPECT_EQ(e.p.LeerSucursales(e.servidorLocal, e.conHub, e.compania, e.conEspejo, e.matriz),
              Resultado::Completo);
    EXPECT_EQ(e.EnLocal("datos1", "SELECT Clave FROM sucursales ORDER BY Clave"), (Lista{"S1", "S2", "S3"}));
    EXPECT_EQ(e.Avisos(16), Lista{"Nueva sucursal: S1\r\nNueva sucursal: S2\r\nNueva sucursal: S3"});
    EXPECT_TRUE(e.EnHub("SELECT Sucursal FROM concentradorqmx.listasucursales WHERE FechaLeidos<FechaCambios")
                    .empty());
}
