#include <gtest/gtest.h>

#include "app/cls_de_inicio.h"
#include "app/comandos.h"
#include "notices/notice_store.h"
#include "support/escenario.h"

using namespace cnc;
using prueba::Escenario;

namespace {

bool Contiene(const std::string& texto, const std::string& parte) {
    return texto.find(parte) != std::string::npos;
}

// A trigger on the local hub settings that refuses one key, as a server with a damaged or locked row would.
void RechazaAjuste(Escenario& e, const std::string& momento, const std::string& dato) {
    e.Local("concentradorqmx", "CREATE TRIGGER rechaza_" + dato + " BEFORE " + momento +
                                   " ON configuracion FOR EACH ROW IF NEW.Dato='" + dato +
                                   "' THEN SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT='ajuste bloqueado'; "
                                   "END IF");
}

}  // namespace

TEST(Configuracion, ASettingThatCannotBeCreatedIsLoggedAndTheFileValueUsed) {
    REQUIERE_SERVIDORES();
    Escenario e;
    e.Instalacion();
    e.Ini("Avisos a mostrar", "7");
    RechazaAjuste(e, "INSERT", "AvisosAmostrar");
    ASSERT_TRUE(e.CreaObjetos());
    EXPECT_FALSE(e.HuboCaja("Atención"));
    EXPECT_EQ(Mod.AvisosAMostrar, 7);
    EXPECT_EQ(e.m.ventana.textos["Label13"], "7");
    // The settings after the refused one are still created.
    EXPECT_EQ(e.Ajuste("AvisosAmostrar"), "");
    EXPECT_EQ(e.Ajuste("ManejarAvisos"), "1");
    EXPECT_EQ(e.Ajuste("SoloRespaldar"), "0");
    EXPECT_EQ(e.Ajuste("FDDUA"), "2018-08-01 00:00:00");
    const std::string errores = e.m.carpeta.Lee("ErrorAlLeer.txt");
    EXPECT_TRUE(Contiene(errores, "\"AvisosAmostrar\"")) << errores;
    EXPECT_TRUE(Contiene(errores, "ajuste bloqueado")) << errores;
    EXPECT_FALSE(Contiene(errores, "\"Minutos\"")) << errores;
}

TEST(PanelDeAjustes, EverySettingIsWrittenAndTheOneThatFailedIsNamed) {
    REQUIERE_SERVIDORES();
    Escenario e;
    e.Instalacion();
    ASSERT_TRUE(e.CreaObjetos());
    RechazaAjuste(e, "UPDATE", "AvisosAmostrar");
    Form1().Picture1 = false, Form1().Picture4 = true;
    e.m.ventana.cajas.clear();
    EXPECT_FALSE(cmdGrabar_Click("20", "3", false, false, true));
    EXPECT_EQ(e.Ajuste("Minutos"), "20");
    EXPECT_EQ(e.Ajuste("AvisosAmostrar"), "10");
    EXPECT_EQ(e.Ajuste("ManejarAvisos"), "0");
    EXPECT_EQ(e.Ajuste("ActualizAutomatica"), "0");
    EXPECT_EQ(e.Ajuste("SoloRespaldar"), "1");
    // Read back: the panel and the summary show what the server holds.
    EXPECT_EQ(Mod.Minutos, 20);
    EXPECT_EQ(Mod.AvisosAMostrar, 10);
    EXPECT_EQ(Mod.SoloRespaldar, 1);
    EXPECT_EQ(e.m.ventana.textos["txtAvisos"], "10");
    EXPECT_TRUE(Form1().Picture1);
    EXPECT_FALSE(Form1().Picture4);
    ASSERT_EQ(e.m.ventana.cajas.size(), 1u);
    const auto& caja = e.m.ventana.cajas[0];
    EXPECT_EQ(caja.titulo, "Alerta");
    EXPECT_TRUE(Contiene(caja.texto, "Avisos a mostrar (AvisosAmostrar): ajuste bloqueado")) << caja.texto;
    EXPECT_FALSE(Contiene(caja.texto, "Minutos")) << caja.texto;
}

TEST(PanelDeConexion, AMissingCompanyRowIsToldAndThePanelLeft) {
    REQUIERE_SERVIDORES();
    Escenario e;
    e.Instalacion();
    ASSERT_TRUE(CargaConexionLocal(true));
    e.Local("generaltarvena", "INSERT INTO empresas (BaseDeDatos, NombreComercial) VALUES ('otra', 'Otra')");
    // As at a first start: the connection data asked for over the main panel.
    MuestraConexion();
    const auto& hub = e.hub;
    EXPECT_FALSE(Command2_Click({hub.host, "espejo1", hub.puerto, hub.usuario, hub.password}));
    ASSERT_EQ(e.m.ventana.cajas.size(), 1u);
    EXPECT_EQ(e.m.ventana.cajas[0].titulo, "Alerta");
    EXPECT_TRUE(Contiene(e.m.ventana.cajas[0].texto, "no se encontró la empresa datos1"))
        << e.m.ventana.cajas[0].texto;
    EXPECT_FALSE(Form1().Picture2);
    EXPECT_TRUE(Form1().Picture4);
    EXPECT_FALSE(e.m.ventana.visibles["Picture2"]);
    EXPECT_TRUE(e.m.ventana.visibles["Picture4"]);
    EXPECT_EQ(prueba::Filas(e.local, "generaltarvena", "SELECT BaseDeDatos, Servidor2 FROM empresas"),
              std::vector<std::string>{"otra|"});
}

// The stored setting decides alone: 1 is handled, anything else is not, for every reader alike.
TEST(Avisos, HandledMeansTheStoredOneForTheStoreTheControlsAndTheSummary) {
    REQUIERE_SERVIDORES();
    Escenario e;
    e.Instalacion();
    ASSERT_TRUE(e.CreaObjetos());
    for (const std::string guardado : {"2", "1"}) {
        const bool maneja = guardado == "1";
        e.Local("concentradorqmx",
                "UPDATE configuracion SET Contenido='" + guardado + "' WHERE Dato='ManejarAvisos'");
        ASSERT_TRUE(e.CreaObjetos());
        EXPECT_EQ(e.m.ventana.habilitados["Command7"], maneja) << guardado;
        EXPECT_EQ(e.m.ventana.marcados["chkAvisos"], maneja) << guardado;
        EXPECT_EQ(e.m.ventana.textos["Label(10)"], maneja ? "Sí maneja avisos." : "No maneja avisos.")
            << guardado;
        Conexion cn;
        ASSERT_TRUE(AbreBase(Mod.BDLocal, cn, ""));
        LimpiaUltimosAvisos();
        GrabarAviso(cn, "Aviso con " + guardado, 3);
        cn.Cerrar();
        // A notice raised while notices are not handled is kept as already read.
        EXPECT_EQ(
            prueba::Consulta(e.local, "concentradorqmx", "SELECT Leido FROM avisos ORDER BY Id DESC LIMIT 1"),
            maneja ? "0" : "1")
            << guardado;
    }
}
