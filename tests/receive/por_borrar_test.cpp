#include <gtest/gtest.h>

#include "receive/cls_pendientes.h"
#include "support/escenario.h"

using namespace cnc;
using prueba::Lista;

namespace {

struct Escenario : prueba::Escenario {
    Escenario() : prueba::Escenario(prueba::Tablas{"productos", "clavesalternas"}) { ApuntaAServidores(); }
    clsPendientes p;
    Resultado Borra() { return p.PorBorrar(servidorLocal, conHub, compania); }
    std::string Usuario(int id, const std::string& usuario, const std::string& ale) {
        return "INSERT INTO usuarios (Id,Usuario,Nombre,AlE) VALUES (" + std::to_string(id) + ",'" +
               Mod.Acceso.Encripta(usuario, ale) + "','','" + ale + "');";
    }
    std::string EnCola(const std::string& tabla, const std::string& llave,
                       const std::string& base = "espejo1") {
        return "INSERT INTO concentradorqmx.aborrar (BaseDeDatos,Tabla,Llave) VALUES ('" + base + "','" +
               tabla + "','" + llave + "');";
    }
    Lista Cola() { return EnHub("SELECT Tabla,Llave FROM concentradorqmx.aborrar ORDER BY Id"); }
};

}  // namespace

TEST(PorBorrar, DeletesWhatIsQueuedWithItsGuards) {
    REQUIERE_SERVIDORES();
    Escenario e;
    e.Local("datos1",
            "INSERT INTO productos (Clave,Existencia) VALUES ('A0',0),('B+',2.5),('C-',-1),('D''x\\\\',0),"
            "('Productos',0);"
            "INSERT INTO clavesalternas (ClaveProducto,ClaveAlterna) VALUES ('A0','750100'),('A0','750101'),"
            "('B+','750200'),('D''x\\\\','750300')");
    // Two users with the same name: the first by Id goes. Names are compared deciphered.
    e.Local(e.Usuario(4, "pedro", "k4") + e.Usuario(2, "ana", "k2") + e.Usuario(9, "ana", "k9") +
            "INSERT INTO grupos (Grupo) VALUES ('Ventas'),('Caja')");
    e.Hub(e.EnCola("usuarios", "ana") + e.EnCola("productos", "A0") + e.EnCola("grupos", "Ventas") +
          e.EnCola("productos", "B+") + e.EnCola("productos", "C-") + e.EnCola("productos", "D''x\\\\") +
          e.EnCola("productos", "NoHay") + e.EnCola("usuarios", "nadie") + e.EnCola("grupos", "Nadie") +
          e.EnCola("Productos", "Productos") + e.EnCola("clientes", "X") +
          e.EnCola("grupos", "Caja", "otra"));

    EXPECT_EQ(e.Borra(), Resultado::Completo);

    // Only products without stock go, with every alternate key of theirs.
    EXPECT_EQ(e.EnLocal("datos1", "SELECT Clave FROM productos ORDER BY Id"),
              (Lista{"B+", "C-", "Productos"}));
    EXPECT_EQ(e.EnLocal("datos1", "SELECT ClaveAlterna FROM clavesalternas"), Lista{"750200"});
    EXPECT_EQ(e.EnLocal("SELECT Id FROM usuarios ORDER BY Id"), (Lista{"4", "9"}));
    EXPECT_EQ(e.EnLocal("SELECT Grupo FROM grupos"), Lista{"Caja"});
    EXPECT_EQ(e.Avisos(5), Lista{"Producto borrado: \"A0\"\r\nExistencia actual: 0\r\n"
                                 "Producto borrado: \"D'x\\\"\r\nExistencia actual: 0\r\n"
                                 "Intento de borrar el producto \"NoHay\", que no existe en el catálogo"});
    EXPECT_EQ(e.Avisos(6), Lista{"Usuario borrado: \"ana\"\r\n"
                                 "Intento de borrar el usuario \"nadie\", que no existe en el catálogo"});
    EXPECT_EQ(e.Avisos(7), Lista{"Intento de borrar el grupo \"Nadie\", que no existe en el catálogo\r\n"
                                 "Grupo borrado: \"Ventas\""});
    // Products with stock wait; other tables, whatever their case, are consumed untouched.
    EXPECT_EQ(e.Cola(), (Lista{"productos|B+", "productos|C-", "grupos|Caja"}));
    // Groups first, then products, then users.
    const auto& estados = e.m.ventana.estados;
    ASSERT_EQ(estados.size(), 11u);
    EXPECT_EQ(estados.front(), "BORRANDO INFORMACIÓN\r\nTabla clientes, X");
    EXPECT_EQ(estados.at(1), "BORRANDO INFORMACIÓN\r\nTabla grupos, Nadie");
    EXPECT_EQ(estados.back(), "BORRANDO INFORMACIÓN\r\nTabla usuarios, nadie");
    EXPECT_EQ(e.m.carpeta.Lee("ErrorAlLeer.txt"), "");

    // The waiting rows stay quiet until the stock is gone.
    EXPECT_EQ(e.Borra(), Resultado::Completo);
    EXPECT_EQ(e.Cola().size(), 3u);
    e.Local("datos1", "UPDATE productos SET Existencia=0 WHERE Clave='C-'");
    e.Borra();
    EXPECT_EQ(e.Cola(), (Lista{"productos|B+", "grupos|Caja"}));
    EXPECT_EQ(e.EnLocal("datos1", "SELECT Clave FROM productos ORDER BY Id"), (Lista{"B+", "Productos"}));
}

TEST(PorBorrar, AProductIsDeletedWithItsAlternateKeysOrNotAtAll) {
    REQUIERE_SERVIDORES();
    Escenario e;
    e.Local("datos1",
            "INSERT INTO productos (Clave,Existencia) VALUES ('A0',0);"
            "INSERT INTO clavesalternas (ClaveProducto,ClaveAlterna) VALUES ('A0','1'),('A0','2');"
            "CREATE TRIGGER niega BEFORE DELETE ON clavesalternas FOR EACH ROW "
            "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT='no se borra'");
    e.Hub(e.EnCola("productos", "A0"));

    EXPECT_EQ(e.Borra(), Resultado::Incompleto);
    EXPECT_EQ(e.EnLocal("datos1", "SELECT Clave FROM productos"), Lista{"A0"});
    EXPECT_EQ(e.EnLocal("datos1", "SELECT COUNT(*) FROM clavesalternas"), Lista{"2"});
    EXPECT_TRUE(e.Avisos(5).empty());
    EXPECT_EQ(e.Cola(), Lista{"productos|A0"});
    EXPECT_NE(e.m.carpeta.Lee("ErrorAlLeer.txt").find("PorBorrar()"), std::string::npos);

    e.Local("datos1", "DROP TRIGGER niega");
    EXPECT_EQ(e.Borra(), Resultado::Completo);
    EXPECT_TRUE(e.EnLocal("datos1", "SELECT Clave FROM productos").empty());
    EXPECT_EQ(e.EnLocal("datos1", "SELECT COUNT(*) FROM clavesalternas"), Lista{"0"});
    EXPECT_TRUE(e.Cola().empty());
}

TEST(PorBorrar, ALostLocalServerKeepsTheRowAndEndsTheQueue) {
    REQUIERE_SERVIDORES();
    if (!std::getenv("CNC_PRUEBA_DIR")) GTEST_SKIP() << "sin carpeta de los servidores de prueba";
    Escenario e;
    prueba::Caida caida("local");
    e.m.ventana.alEstado = [&](const std::string&) {
        if (e.m.ventana.estados.size() == 2) caida.Mata();
    };
    e.Local("INSERT INTO grupos (Grupo) VALUES ('G1'),('G2'),('G3')");
    e.Hub(e.EnCola("grupos", "G1") + e.EnCola("grupos", "G2") + e.EnCola("grupos", "G3"));

    EXPECT_EQ(e.Borra(), Resultado::SinConexion);
    EXPECT_EQ(e.m.ventana.estados.size(), 2u);
    caida.Revive();
    EXPECT_EQ(e.Cola(), (Lista{"grupos|G2", "grupos|G3"}));
    EXPECT_EQ(e.EnLocal("SELECT Grupo FROM grupos ORDER BY Grupo"), (Lista{"G2", "G3"}));

    EXPECT_EQ(e.Borra(), Resultado::Completo);
    EXPECT_TRUE(e.Cola().empty());
    EXPECT_TRUE(e.EnLocal("SELECT Grupo FROM grupos").empty());
}
