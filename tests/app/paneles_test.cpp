#include <gtest/gtest.h>

#include "app/cls_de_inicio.h"
#include "app/comandos.h"
#include "app/scheduler.h"
#include "support/escenario.h"

using namespace cnc;
using prueba::Escenario;

TEST(PanelDeAjustes, ValidationsNoticeBoxAndSaving) {
    REQUIERE_SERVIDORES();
    Escenario e;
    e.Instalacion();
    EXPECT_FALSE(txtMinutos_Validate("0"));
    EXPECT_FALSE(txtMinutos_Validate("1000"));
    EXPECT_FALSE(txtMinutos_Validate(""));
    EXPECT_TRUE(txtMinutos_Validate("1"));
    EXPECT_TRUE(txtMinutos_Validate("999"));
    EXPECT_TRUE(txtAvisos_Validate("0"));
    EXPECT_TRUE(txtAvisos_Validate("9999"));
    EXPECT_FALSE(txtAvisos_Validate("10000"));
    EXPECT_FALSE(txtAvisos_Validate("-1"));
    EXPECT_EQ(e.m.ventana.bips, 5);

    chkAvisos_Click(false);
    EXPECT_FALSE(e.m.ventana.habilitados["txtAvisos"]);
    EXPECT_FALSE(e.m.ventana.habilitados["Label(9)"]);
    chkAvisos_Click(true);
    EXPECT_TRUE(e.m.ventana.habilitados["txtAvisos"]);

    ASSERT_TRUE(e.CreaObjetos());
    Form1().Minutos = 6, Form1().Segundos = 40, Form1().Picture1 = false, Form1().Picture4 = true;
    // An out-of-range value that reached the button is refused, and nothing is stored.
    EXPECT_FALSE(cmdGrabar_Click("0", "5", true, false, true));
    EXPECT_EQ(e.Ajuste("Minutos"), "15");
    EXPECT_TRUE(Form1().Picture4);

    ASSERT_TRUE(cmdGrabar_Click("20", "0", false, false, true));
    EXPECT_EQ(e.Ajuste("Minutos"), "20");
    EXPECT_EQ(e.Ajuste("AvisosAmostrar"), "0");
    EXPECT_EQ(e.Ajuste("ManejarAvisos"), "0");
    EXPECT_EQ(e.Ajuste("ActualizAutomatica"), "0");
    EXPECT_EQ(e.Ajuste("SoloRespaldar"), "1");
    EXPECT_EQ(Mod.Minutos, 20);
    EXPECT_EQ(Mod.SoloRespaldar, 1);
    EXPECT_FALSE(e.m.ventana.habilitados["Command7"]);
    // The minutes of the countdown are kept; only the seconds start again.
    EXPECT_EQ(Form1().Minutos, 6);
    EXPECT_EQ(Form1().Segundos, 0);
    EXPECT_TRUE(Form1().Picture1);
    EXPECT_FALSE(Form1().Picture4);
    EXPECT_TRUE(Form1().Timer1);
    EXPECT_TRUE(e.m.ventana.opciones.back().soloRespaldar);

    // Without the hub schema nothing is stored and the panel stays.
    prueba::BorraBase(e.local, "concentradorqmx");
    Form1().Picture4 = true;
    EXPECT_FALSE(cmdGrabar_Click("30", "1", true, true, false));
    EXPECT_TRUE(Form1().Picture4);
    EXPECT_EQ(Mod.Minutos, 20);
}

TEST(PanelDeConexion, StoresEncipheredReadsBackAndTests) {
    REQUIERE_SERVIDORES();
    Escenario e;
    e.Instalacion();
    ASSERT_TRUE(CargaConexionLocal(true));
    e.Local("generaltarvena",
            "INSERT INTO empresas (BaseDeDatos, NombreComercial) VALUES ('datos1', 'Sucursal Uno'), ('otra', "
            "'Otra')");
    const auto& hub = e.hub;
    DatosDeConexion d{hub.host, "espejo1", hub.puerto, hub.usuario, hub.password};
    Form1().Picture2 = true;
    ASSERT_TRUE(Command2_Click(d));
    EXPECT_TRUE(e.m.ventana.visibles["Picture4"]);
    // Each value under its own variant, the port as a number.
    const auto fila = prueba::Filas(e.local, "generaltarvena",
                                    "SELECT BaseDeDatos3, Puerto2 FROM empresas WHERE BaseDeDatos='datos1'")
                          .at(0);
    EXPECT_EQ(Mod.Acceso.DesEncripta(fila.substr(0, fila.find('|')), 2), "espejo1");
    EXPECT_EQ(fila.substr(fila.find('|') + 1), hub.puerto);

    bool presentes = false;
    clsDeInicio().DatosConexion(presentes);
    EXPECT_TRUE(presentes);
    EXPECT_EQ(e.m.ventana.textos["txtConecte(1)"], "espejo1");
    EXPECT_EQ(e.m.ventana.textos["txtConecte(4)"], hub.password);

    // "Probar" with a fresh component.
    EXPECT_TRUE(Command3_Click(d));
    EXPECT_EQ(e.m.ventana.cajas.back().texto, "Conexión correcta");
    const auto antes = e.m.reloj.Ahora();
    d.password = "equivocada";
    EXPECT_FALSE(Command3_Click(d));
    EXPECT_EQ(e.m.ventana.cajas.back().texto,
              "No pudo establecerse conexión al servidor o a la base de datos");
    EXPECT_EQ(e.m.ventana.cajas.back().titulo, "Alerta");
    // Only after the whole retry window.
    EXPECT_GE(e.m.reloj.Ahora().SegundosDelDia() - antes.SegundosDelDia(), Mod.SegundosReintento + 1);

    // A server text without the database name counts as missing.
    e.Local("generaltarvena", "UPDATE empresas SET BaseDeDatos3='' WHERE BaseDeDatos='datos1'");
    clsDeInicio().DatosConexion(presentes);
    EXPECT_FALSE(presentes);

    // A company name made to break the statement touches no row, and the failure is said.
    Mod.BDLocal.cMiBase = "x' OR '1'='1";
    e.m.ventana.cajas.clear();
    Form1().Picture2 = true;
    EXPECT_FALSE(Command2_Click(d));
    EXPECT_EQ(prueba::Consulta(e.local, "generaltarvena",
                               "SELECT Servidor2 FROM empresas WHERE BaseDeDatos='otra'"),
              "");
    ASSERT_EQ(e.m.ventana.cajas.size(), 1u);
    EXPECT_EQ(e.m.ventana.cajas[0].titulo, "Alerta");
    // The panel is left as "Cancelar" leaves it, the typed data kept in its fields.
    EXPECT_FALSE(Form1().Picture2);
    EXPECT_TRUE(Form1().Picture4);

    // chkVer shows and masks again.
    chkVer_Click();
    EXPECT_FALSE(e.m.ventana.enmascarados["txtConecte(3)"]);
    chkVer_Click();
    EXPECT_TRUE(e.m.ventana.enmascarados["txtConecte(3)"]);
}
