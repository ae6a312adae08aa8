#include <gtest/gtest.h>

#include <functional>

#include "core/shared_routines.h"
#include "support/escenario.h"

using namespace cnc;

namespace {

// Nothing listens on port 1: the connection is refused at once.
std::string PuertoCerrado() {
    return "1";
}

}  // namespace

TEST(AbreBase, GivesUpAfterTheWindowAndSucceedsWhenTheServerAnswersLater) {
    REQUIERE_SERVIDORES();
    prueba::ModuloAislado m;
    prueba::RelojConPaso reloj({2026, 12, 8, 10, 0, 0});
    Mod.ElReloj = &reloj;
    Mod.SegundosReintento = 30;
    BasesDD bd;
    prueba::Configura(bd, prueba::ServidorLocal());
    bd.cPuerto = PuertoCerrado();
    Conexion cn;
    EXPECT_FALSE(AbreBase(bd, cn, "mysql"));
    EXPECT_EQ(reloj.Ahora(), (kvtx8::FechaHora{2026, 12, 8, 10, 0, 31}));  // 31 s of attempts, then no

    // The server "comes up" on the tenth attempt.
    reloj.Pon({2026, 12, 8, 10, 0, 0});
    reloj.alPausar = [&](int n) {
        if (n == 10) bd.cPuerto = prueba::ServidorLocal().puerto;
    };
    EXPECT_TRUE(AbreBase(bd, cn, "mysql"));
    EXPECT_TRUE(cn.Abierta());

    // An empty name opens the general database of the component.
    bd.cBaseGeneral = "information_schema";
    EXPECT_TRUE(AbreBase(bd, cn, ""));
    EXPECT_EQ(*cn.Escalar("SELECT DATABASE()"), "information_schema");
}

TEST(AbreBase, MidnightRestartsTheAllowance) {
    REQUIERE_SERVIDORES();
    prueba::ModuloAislado m;
    m.reloj.Pon({2026, 12, 8, 23, 59, 50});
    Mod.SegundosReintento = 30;
    BasesDD bd;
    prueba::Configura(bd, prueba::ServidorLocal());
    bd.cPuerto = PuertoCerrado();
    Conexion cn;
    EXPECT_FALSE(AbreBase(bd, cn, "mysql"));
    // Ten seconds before midnight, then a fresh 31 s from 00:00:00.
    EXPECT_EQ(m.reloj.Ahora(), (kvtx8::FechaHora{2026, 12, 9, 0, 0, 31}));
}

TEST(Bitacoras, ExactTextsAndLineEnds) {
    prueba::ModuloAislado m;
    m.reloj.Pon({2026, 3, 7, 9, 5, 4});
    int n = AbreBloqueBitacora(3, true);
    ASSERT_GT(n, 0);
    EscribeBitacora(n, "Abrió la base de datos general");
    AvisaDesconexion(n, true);
    AvisaDesconexion(n, false);
    EscribeProblema(n, "clientes", "enviando registros", true);
    EscribeProblema(n, "una_tabla_de_nombre_muy_largo_para_columna", "x", false);
    CierraBloqueBitacora(n);
    EscribeBitacora(n, "no se escribe: el archivo está cerrado");
    EXPECT_EQ(m.carpeta.Lee("BitacoraConcentrador.txt"),
              "Bitácora 3\r\n"
              "07/mar/26 09:05:04 - *** Inicio de bitácora\r\n"
              "07/mar/26 09:05:04 - Abrió la base de datos general\r\n"
              "07/mar/26 09:05:04 - DESCONEXIÓN DE LA EMPRESA LOCAL. ENVÍO DE INFORMACIÓN INTERRUMPIDO\r\n"
              "07/mar/26 09:05:04 - NO CONECTÓ A LA EMPRESA ESPEJO. ENVÍO DE INFORMACIÓN INTERRUMPIDO\r\n"
              "         clientes                      .-           enviando registros.\r\n"
              "         una_tabla_de_nombre_muy_largo_para_columna .- x.\r\n"
              "07/mar/26 09:05:04 - *** Fin de bitácora\r\n"
              "\r\n");
    // A second block appends unless asked to empty.
    CierraBloqueBitacora(AbreBloqueBitacora(4, false));
    EXPECT_EQ(m.carpeta.Lee("BitacoraConcentrador.txt").rfind("Bitácora 3", 0), 0u);
    CierraBloqueBitacora(AbreBloqueBitacora(1, true));
    EXPECT_EQ(m.carpeta.Lee("BitacoraConcentrador.txt").rfind("Bitácora 1\r\n", 0), 0u);

    m.carpeta.Escribe("ErrorAlLeer.txt", "renglones de una corrida anterior\r\n");
    BitacoraDeErrores(true);
    AnotaError("LeeGrupos()");
    BitacoraDeErrores(false);
    EXPECT_EQ(m.carpeta.Lee("ErrorAlLeer.txt"),
              "2026-03-07 - 09:05:04     Inicio, para bitácora de errores\r\n"
              "\r\n"
              "2026-03-07 - 09:05:04     LeeGrupos()\r\n"
              "2026-03-07 - 09:05:04     Fin de la bitácora de errores\r\n");
}

TEST(Mensajes, QuestionsDefaultsComponentsAndRegistry) {
    prueba::ModuloAislado m;
    EXPECT_FALSE(Pregunta("¿Desea interrumpir el envío de información?", "Confirme", true));
    EXPECT_EQ(m.ventana.cajas.back().estilo, 36 + 256);
    EXPECT_TRUE(Pregunta("¿Desea enviar la información al concentrador en este momento?", "Atención", false));
    EXPECT_EQ(m.ventana.cajas.back().estilo, 36);
    m.ventana.respuestas.push_back(kNo);
    EXPECT_FALSE(Pregunta("x", "y", false));

    EXPECT_TRUE(CreaComponente("DeArchivos", "kvtx8"));
    EXPECT_FALSE(CreaComponente("NoRegistrada", "kvtx8"));
    EXPECT_EQ(m.ventana.cajas.back().titulo, "Alerta");
    EXPECT_EQ(m.ventana.cajas.back().estilo, 16);
    EXPECT_NE(m.ventana.cajas.back().texto.find("Intentando crear \"kvtx8.NoRegistrada\""),
              std::string::npos);

    GrabaRegistro("01_Ruta", "  /opt/cnc  ");
    EXPECT_EQ(LeeRegistro("01_Ruta"), "/opt/cnc");
    EXPECT_EQ(LeeRegistro("01_Falta"), "");

    std::string f;
    AgregaCondicion(f, "{avisos.Tipo} = 3");
    AgregaCondicion(f, "{avisos.Leido} = 0");
    EXPECT_EQ(f, "{avisos.Tipo} = 3 and {avisos.Leido} = 0");

    Mod.Minutos = 20;
    Mod.ManejarAvisos = 0;
    MuestraOpciones();
    ASSERT_EQ(m.ventana.opciones.size(), 1u);
    EXPECT_EQ(m.ventana.opciones[0].minutos, 20);
    EXPECT_FALSE(m.ventana.opciones[0].manejarAvisos);
    EXPECT_EQ(m.ventana.textos["Label12"], "20");
    EXPECT_EQ(m.ventana.textos["Label13"], "* * *");
    EXPECT_EQ(m.ventana.textos["Label(10)"], "No maneja avisos.");
    EXPECT_EQ(m.ventana.textos["Label(11)"], "Buscar actualizaciones automáticamente.");
    EXPECT_EQ(m.ventana.textos["Label(12)"], "Enviar y recibir información de empresa espejo");
    EXPECT_FALSE(m.ventana.habilitados["Label(6)"]);
    EXPECT_FALSE(m.ventana.marcados["chkAvisos"]);
}
