#include <gtest/gtest.h>

#include "app/cls_de_inicio.h"
#include "app/comandos.h"
#include "connection/cls_descargas.h"
#include "support/escenario.h"

using namespace cnc;
using prueba::Escenario;

namespace {

std::string ValorDelRegistro(const std::string& nombre) {
    return Mod.Registro.LeerCadena(kLlaveRegistro, nombre);
}

void Otro(const std::string& nn, const std::string& ruta, const std::string& base) {
    GrabaRegistro("*** Información para el concentrador " + std::to_string(std::stoi(nn) + 1) + " (sufijo '" +
                      nn + "_') ***",
                  nn);
    GrabaRegistro(nn + "_Ruta", ruta);
    GrabaRegistro(nn + "_BaseDeDatos", base);
    GrabaRegistro(nn + "_UltimoEnvio", "2026-12-01 10:00:00");
    GrabaRegistro(nn + "_Correcto", "S");
}

// The company window as the user works it: "&Aceptar" on the given rows in turn.
void EligeEnLaVentana(prueba::VentanaGrabadora& v, std::initializer_list<int> filas) {
    v.eleccionesEmpresa = filas;
    v.aceptar = [](const std::vector<FilaEmpresa>& f, int i) { return frmElegirEmpresa_cmdAceptar(f, i); };
}

}  // namespace

TEST(Registro, TakesTheFirstFreePrefixAfterChoosingTheCompany) {
    REQUIERE_SERVIDORES();
    Escenario e;
    e.Instalacion();
    ASSERT_TRUE(CargaConexionLocal(true));
    e.Local("generaltarvena",
            "INSERT INTO empresas (Id, BaseDeDatos, NombreComercial) VALUES (5, 'DATOS1', 'Sucursal Uno'), "
            "(2, 'Datos2', 'Matriz'), (9, 'datos3', 'Tercera')");
    Otro("00", "/otra/carpeta", "datos7");
    Otro("01", "/y/otra/mas", "datos8");

    // No to the registration: nothing is written, the prefix stays empty.
    clsDescargas d;
    d.RegistrarConcentrador();
    EXPECT_TRUE(Mod.Prefijo.empty());
    ASSERT_EQ(e.m.ventana.cajas.size(), 1u);
    EXPECT_EQ(e.m.ventana.cajas[0].texto,
              "¿Desea registrar este Concentrador Cliente, en la ruta actual?\r\n(" + Mod.Carpeta +
                  ")\r\nEl registro es necesario para que funcione correctamente el programa");
    EXPECT_EQ(e.m.ventana.cajas[0].titulo, "Registrar concentrador");
    EXPECT_EQ(e.m.ventana.cajas[0].estilo, 36 + 256);
    EXPECT_EQ(ValorDelRegistro("02_Ruta"), "");

    // Yes; in the company window No first keeps it open on the grid, then Yes on the third row.
    e.m.ventana.respuestas = {kSi, kNo, kSi};
    EligeEnLaVentana(e.m.ventana, {0, 2});
    d.RegistrarConcentrador();
    EXPECT_EQ(Mod.Prefijo, "02");
    ASSERT_EQ(e.m.ventana.empresasMostradas.size(), 1u);
    const auto& filas = e.m.ventana.empresasMostradas[0];
    ASSERT_EQ(filas.size(), 3u);
    EXPECT_EQ(filas[0].baseDeDatos, "datos2");
    EXPECT_EQ(filas[1].baseDeDatos, "datos1");
    EXPECT_EQ(filas[1].empresa, "Sucursal Uno");
    EXPECT_EQ(filas[2].id, 9);
    EXPECT_EQ(e.m.ventana.empresaActual[0], 1);
    EXPECT_EQ(e.m.ventana.focos, std::vector<std::string>{"mfgReja"});
    EXPECT_EQ(e.m.ventana.cajas[2].texto, "¿Es correcta la empresa elegida?\r\n(Matriz)");
    EXPECT_EQ(e.m.ventana.cajas[3].texto, "¿Es correcta la empresa elegida?\r\n(Tercera)");
    EXPECT_EQ(Mod.BDLocal.cMiBase, "datos3");
    EXPECT_EQ(e.LeeIni("Base de datos principal"), "datos3");

    EXPECT_EQ(ValorDelRegistro("*** Información para el concentrador 3 (sufijo '02_') ***"), "02");
    EXPECT_EQ(ValorDelRegistro("02_Ruta"), Mod.Carpeta);
    EXPECT_EQ(ValorDelRegistro("02_BaseDeDatos"), "datos3");
    EXPECT_EQ(ValorDelRegistro("02_UltimoEnvio"), "Aún no se completa");
    EXPECT_EQ(ValorDelRegistro("02_Correcto"), "S");

    // Next start from the same folder written in other letters: found, nothing asked.
    GrabaRegistro("02_Ruta", kvtx8::Mayusculas(Mod.Carpeta) + "/");
    e.m.ventana.cajas.clear();
    d.RegistrarConcentrador();
    EXPECT_EQ(Mod.Prefijo, "02");
    EXPECT_TRUE(e.m.ventana.cajas.empty());
}

TEST(Registro, DuplicateCompanyAsksToRemoveTheOtherCopy) {
    REQUIERE_SERVIDORES();
    Escenario e;
    e.Instalacion();
    Mod.BDLocal.cMiBase = "datos1";
    Otro("00", "/otra/carpeta", "datos7");
    Otro("03", "/carpeta/vieja", "datos1");
    Otro("04", "/aun/otra", "datos1");
    Mod.Prefijo = "05";
    GrabaRegistro("05_Ruta", Mod.Carpeta);
    GrabaRegistro("05_BaseDeDatos", "datos1");

    clsDescargas d;
    bool correcto = true;
    e.m.ventana.respuestas = {kSi, kNo};
    d.EmpresaCorrecta(correcto);
    EXPECT_FALSE(correcto);
    ASSERT_EQ(e.m.ventana.cajas.size(), 3u);
    EXPECT_EQ(
        e.m.ventana.cajas[0].texto,
        "El concentrador 03, registrado en la ruta '/carpeta/vieja', conecta a la misma base de datos que el "
        "actual (datos1).\r\n¿Desea borrarlo del registro y dejar este programa como activo?");
    EXPECT_EQ(e.m.ventana.cajas[0].titulo, "Advertencia");
    EXPECT_EQ(e.m.ventana.cajas[2].texto,
              "Usted decidió dejar activo el otro concentrador. Este programa se cerrará.");
    EXPECT_EQ(e.m.ventana.cajas[2].titulo, "Atención");
    EXPECT_EQ(e.m.ventana.cajas[2].estilo, 80);
    EXPECT_EQ(e.m.ventana.bips, 2);
    // Yes removed all five values of 03; No left 04 alone.
    for (const char* v : {"*** Información para el concentrador 4 (sufijo '03_') ***", "03_Ruta",
                          "03_BaseDeDatos", "03_UltimoEnvio", "03_Correcto"})
        EXPECT_EQ(ValorDelRegistro(v), "") << v;
    EXPECT_EQ(ValorDelRegistro("04_Ruta"), "/aun/otra");
    EXPECT_EQ(ValorDelRegistro("00_Ruta"), "/otra/carpeta");
    EXPECT_EQ(ValorDelRegistro("05_Correcto"), "N");

    e.m.ventana.respuestas = {kSi};
    d.EmpresaCorrecta(correcto);
    EXPECT_TRUE(correcto);
    EXPECT_EQ(ValorDelRegistro("04_BaseDeDatos"), "");
    EXPECT_EQ(ValorDelRegistro("05_Correcto"), "S");
    EXPECT_EQ(ValorDelRegistro("05_Ruta"), Mod.Carpeta);
}

TEST(Registro, AFolderKeepsItsPrefixAfterALowerOneWasFreed) {
    prueba::ModuloAislado m;
    // This folder was registered as 01 while 00 held its old place; the duplicate check then removed 00.
    Otro("01", Mod.Carpeta, "datos1");
    Otro("02", "/otra/carpeta", "datos7");

    clsDescargas d;
    d.RegistrarConcentrador();
    EXPECT_EQ(Mod.Prefijo, "01");
    EXPECT_TRUE(m.ventana.cajas.empty());
    EXPECT_EQ(ValorDelRegistro("00_Ruta"), "");
    EXPECT_EQ(ValorDelRegistro("01_UltimoEnvio"), "2026-12-01 10:00:00");
}

// Database names differ when their letters do: a copy sending "Datos1" is not a duplicate of this one.
TEST(Registro, ADatabaseNameDifferingOnlyInCaseIsNotADuplicate) {
    prueba::ModuloAislado m;
    Mod.BDLocal.cMiBase = "datos1";
    Otro("03", "/carpeta/vieja", "Datos1");
    Otro("04", "/aun/otra", "DATOS1");
    Mod.Prefijo = "05";
    GrabaRegistro("05_Ruta", Mod.Carpeta);
    GrabaRegistro("05_BaseDeDatos", "datos1");

    bool correcto = false;
    clsDescargas().EmpresaCorrecta(correcto);
    EXPECT_TRUE(correcto);
    EXPECT_TRUE(m.ventana.cajas.empty());
    EXPECT_EQ(m.ventana.bips, 0);
    EXPECT_EQ(ValorDelRegistro("03_BaseDeDatos"), "Datos1");
    EXPECT_EQ(ValorDelRegistro("03_Ruta"), "/carpeta/vieja");
    EXPECT_EQ(ValorDelRegistro("04_Ruta"), "/aun/otra");
    EXPECT_EQ(ValorDelRegistro("05_Correcto"), "S");
}
