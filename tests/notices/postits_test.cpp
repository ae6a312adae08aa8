#include <gtest/gtest.h>

#include "notices/cls_impresion.h"
#include "notices/cls_postits.h"
#include "support/escenario.h"

using namespace cnc;

namespace {

std::vector<long long> Ids(const std::vector<NotaDeAviso>& notas) {
    std::vector<long long> r;
    for (const auto& n : notas) r.push_back(n.id);
    return r;
}

std::vector<long long> Ids(const ReporteDeAvisos& r) {
    std::vector<long long> ids;
    for (const auto& x : r.renglones) ids.push_back(x.id);
    return ids;
}

}  // namespace

TEST(Postits, UnreadNoticesOpenByTypeAndIdUpToTheCountAndZeroMarksAllRead) {
    REQUIERE_SERVIDORES();
    prueba::Escenario e(prueba::Tablas{});
    e.ApuntaAServidores();
    auto& v = e.m.ventana;
    const long long a4 = e.NuevoAviso(4, "Nuevo producto: A1");
    const long long a2 = e.NuevoAviso(2, "Cambio del Precio 1", "2026-03-05", "09:07:03");
    const long long b2 = e.NuevoAviso(2, "Cambio del Precio 2");
    e.NuevoAviso(9, "Oferta O1 registrada");
    const long long a0 = e.NuevoAviso(0, "Grupo G1", "2026-12-08", "10:00:00", "x=1500");
    const long long leido = e.NuevoAviso(0, "Grupo G0", "2026-12-08", "10:00:00", "Leido=1");

    Mod.AvisosAMostrar = 3;
    clsPostits::LeerPostits();
    EXPECT_EQ(Ids(v.notas), (std::vector<long long>{a0, a2, b2}));
    EXPECT_EQ(v.cierresDeAvisos, 1);  // the open ones go first
    EXPECT_TRUE(v.habilitados["Command6"]);
    ASSERT_EQ(v.notas.size(), 3u);
    EXPECT_EQ(v.notas[1].titulo, "(" + std::to_string(a2) + ") 05/mar/26 - 09:07:03");
    EXPECT_EQ(v.notas[1].texto, "Cambio del Precio 1");
    // The row's place, size and colour; never placed is 0, 0.
    EXPECT_EQ(v.notas[0].x, 1500);
    EXPECT_EQ(v.notas[1].x, 0);
    EXPECT_EQ(v.notas[1].y, 0);
    EXPECT_EQ(v.notas[1].w, 4500);
    EXPECT_EQ(v.notas[1].h, 3600);
    EXPECT_EQ(v.notas[1].color, 12648447);

    // Closing the last window keeps its place and disables "&Ocultar avisos".
    v.notasAbiertas.clear();
    frmPostit_Unload(a2, 3000, 1500, 6000, 4500, 0x80FF80);
    EXPECT_EQ(
        e.EnLocal("concentradorqmx", "SELECT x,y,W,H,Color,Leido FROM avisos WHERE Id=" + std::to_string(a2)),
        prueba::Lista{"3000|1500|6000|4500|8454016|0"});
    EXPECT_FALSE(v.habilitados["Command6"]);

    // Notices not handled: nothing opens and nothing is marked.
    Mod.ManejarAvisos = 0;
    v.notas.clear();
    clsPostits::LeerPostits();
    EXPECT_TRUE(v.notas.empty());
    EXPECT_EQ(e.EnLocal("concentradorqmx", "SELECT COUNT(*) FROM avisos WHERE Leido=0"), prueba::Lista{"5"});

    // Nothing to show: every unread notice is marked read, without user or date; with no window open
    // "&Ocultar avisos" stays off.
    Mod.ManejarAvisos = 1;
    Mod.AvisosAMostrar = 0;
    v.habilitados["Command6"] = true;
    clsPostits::LeerPostits();
    EXPECT_TRUE(v.notas.empty());
    EXPECT_FALSE(v.habilitados["Command6"]);
    EXPECT_EQ(e.EnLocal("concentradorqmx", "SELECT COUNT(*) FROM avisos WHERE Leido=0"), prueba::Lista{"0"});
    EXPECT_EQ(e.EnLocal("concentradorqmx", "SELECT COUNT(*) FROM avisos WHERE FechaLeido IS NULL AND Id<>" +
                                               std::to_string(leido)),
              prueba::Lista{"5"});
    (void)a4;
}

TEST(Postits, TheSignaturePromptChecksUserCodeAndTheModulesRight) {
    REQUIERE_SERVIDORES();
    prueba::Escenario e(prueba::Tablas{});
    e.ApuntaAServidores();
    auto& v = e.m.ventana;
    std::string derechos(600, 'N');
    derechos[kModuloFirmaDeAvisos - 1] = 'S';
    derechos[599] = 'S';
    e.Usuario(1, "ADMIN", "0000", "");
    e.Usuario(2, "ANA", "clave de ana", derechos);
    e.Usuario(3, "BETO", "1234", std::string(600, 'N'));
    const std::string kIncorrectos = "Datos de usuario incorrectos";
    const std::string kSinDerecho =
        "Sus atributos como usuario no le permiten realizar esta acción, o entrar a este módulo";

    // Blanks around either field are ignored; a right is its position in Modulos1+2+3.
    EXPECT_TRUE(frmPideUsuario_cmdAceptar("  ANA ", " clave de ana  ", kModuloFirmaDeAvisos));
    EXPECT_TRUE(frmPideUsuario_cmdAceptar("ANA", "clave de ana", 600));
    EXPECT_TRUE(v.cajas.empty());
    // A wrong code, or a user that is not there.
    EXPECT_FALSE(frmPideUsuario_cmdAceptar("ANA", "clave", kModuloFirmaDeAvisos));
    EXPECT_FALSE(frmPideUsuario_cmdAceptar("NADIE", "clave de ana", kModuloFirmaDeAvisos));
    // A known user without the right.
    EXPECT_FALSE(frmPideUsuario_cmdAceptar("ANA", "clave de ana", kModuloConfigurar));
    EXPECT_FALSE(frmPideUsuario_cmdAceptar("BETO", "1234", kModuloFirmaDeAvisos));
    ASSERT_EQ(v.cajas.size(), 4u);
    EXPECT_EQ(v.cajas[0].texto, kIncorrectos);
    EXPECT_EQ(v.cajas[0].titulo, "Error");
    EXPECT_EQ(v.cajas[1].texto, kIncorrectos);
    EXPECT_EQ(v.cajas[2].texto, kSinDerecho);
    EXPECT_EQ(v.cajas[3].texto, kSinDerecho);
    // User 1 has every right, whatever its rows hold.
    for (int modulo : {1, kModuloConfigurar, kModuloFirmaDeAvisos, 600})
        EXPECT_TRUE(frmPideUsuario_cmdAceptar("ADMIN", "0000", modulo)) << modulo;
    EXPECT_EQ(v.cajas.size(), 4u);
    // No server: refused as unknown data, never accepted.
    Mod.BDLocal.cPuerto = "1";
    Mod.SegundosReintento = 0;
    EXPECT_FALSE(frmPideUsuario_cmdAceptar("ADMIN", "0000", 1));
}

TEST(Postits, SigningAsksTheUserThenTheQuestionAndExportWritesTheFile) {
    REQUIERE_SERVIDORES();
    prueba::Escenario e(prueba::Tablas{});
    e.ApuntaAServidores();
    auto& v = e.m.ventana;
    const long long id = e.NuevoAviso(3, "Proveedor nuevo: \"P1\"");
    e.m.reloj.Pon({2026, 12, 9, 8, 5, 7});
    auto fila = [&] {
        return e.EnLocal(
            "concentradorqmx",
            "SELECT Leido, IFNULL(FechaLeido,''), IFNULL(HoraLeido,''), CAST(DECODE(Usuario,Metodo) "
            "AS CHAR) FROM avisos WHERE Id=" +
                std::to_string(id));
    };

    // Refused by the prompt, or No to the question: nothing changes.
    EXPECT_FALSE(frmPostit_cmdFirmar(id));
    EXPECT_EQ(v.modulosPedidos, std::vector<int>{kModuloFirmaDeAvisos});
    v.usuarios = {true};
    v.respuestas = {kNo};
    EXPECT_FALSE(frmPostit_cmdFirmar(id));
    ASSERT_EQ(v.cajas.size(), 1u);
    EXPECT_EQ(v.cajas[0].texto, "Confirme si desea firmar este aviso como leido, por el usuario 'ANA'");
    EXPECT_EQ(v.cajas[0].titulo, "Firmar aviso");
    EXPECT_EQ(fila(), prueba::Lista{"0|||CONCENTRADOR"});

    // Yes: read, by that user, today, now.
    v.usuarios = {true};
    v.firmante = "O'Brien\\";
    v.respuestas = {kSi};
    EXPECT_TRUE(frmPostit_cmdFirmar(id));
    EXPECT_EQ(fila(), prueba::Lista{"1|2026-12-09|08:05:07|O'Brien\\"});
    // A row gone is not signed.
    v.usuarios = {true};
    v.respuestas = {kSi};
    EXPECT_FALSE(frmPostit_cmdFirmar(id + 100));

    // Export: "Aviso <Id>.txt" in the program folder, replaced each time, told and opened.
    v.cajas.clear();
    const std::string ruta = frmPostit_Command3(57, "primera línea\r\nsegunda");
    EXPECT_EQ(ruta, e.Carpeta() + "/Aviso 57.txt");
    EXPECT_EQ(e.m.carpeta.Lee("Aviso 57.txt"), "primera línea\r\nsegunda");
    frmPostit_Command3(57, "otra");
    EXPECT_EQ(e.m.carpeta.Lee("Aviso 57.txt"), "otra");
    ASSERT_FALSE(v.cajas.empty());
    EXPECT_EQ(v.cajas[0].texto, "Archivo creado:\r\n" + ruta);
    EXPECT_EQ(v.cajas[0].titulo, "Atención");
    EXPECT_EQ(v.documentos.back(), ruta);
}

TEST(Impresion, TheSelectionFormulaOrderAndRowsFollowThePanel) {
    REQUIERE_SERVIDORES();
    prueba::Escenario e(prueba::Tablas{});
    e.ApuntaAServidores();
    kvtx8::Conexion& cn = e.servidorLocal;
    ASSERT_TRUE(AbreBase(Mod.BDLocal, cn, ""));

    FiltroDeReporte f;
    SeleccionDeReporte s = Seleccion(f, cn);
    EXPECT_EQ(s.formula, "");
    EXPECT_EQ(s.orden[0], "+{cncavisos.Id}");
    EXPECT_EQ(s.orden[1], "");

    f.desde = "01/03/2026";
    f.hasta = "31/03/2026";
    f.estado = FiltroDeReporte::Estado::NoLeidos;
    f.orden = FiltroDeReporte::Orden::FechaRegistro;
    s = Seleccion(f, cn);
    EXPECT_EQ(s.formula,
              "{cncavisos.Fecha}>=Date(2026,3,1) and {cncavisos.Fecha}<=Date(2026,3,31) and "
              "{cncavisos.Leido}=0");
    EXPECT_EQ(s.orden[0], "+{cncavisos.Fecha}");
    EXPECT_EQ(s.orden[1], "+{cncavisos.Hora}");

    // An empty or impossible date adds nothing; the user is trimmed.
    f = {};
    f.desde = "  /  /    ";
    f.hasta = "30/02/2026";
    f.usuario = "  ANA ";
    f.estado = FiltroDeReporte::Estado::Leidos;
    f.orden = FiltroDeReporte::Orden::FechaLeido;
    s = Seleccion(f, cn);
    EXPECT_EQ(s.formula, "{cncavisos.TextoUsuario}='ANA' and {cncavisos.Leido}=1");
    EXPECT_EQ(s.orden[0], "+{cncavisos.FechaLeido}");
    EXPECT_EQ(s.orden[1], "+{cncavisos.HoraLeido}");

    // The rows: by date range and read state, in each order, texts decoded by the query.
    const long long n1 = e.NuevoAviso(2, "marzo tarde", "2026-03-20", "18:00:00");
    const long long n2 = e.NuevoAviso(3, "marzo temprano", "2026-03-20", "08:00:00");
    const long long n3 = e.NuevoAviso(4, "febrero", "2026-02-28", "12:00:00");
    const long long n4 = e.NuevoAviso(5, "abril", "2026-04-01", "00:00:00");
    const long long n5 = e.NuevoAviso(6, "marzo leído", "2026-03-01", "09:00:00");
    e.Local("concentradorqmx",
            "UPDATE avisos SET Leido=1, FechaLeido='2026-03-02', HoraLeido='07:00:00', "
            "Usuario=ENCODE('SUPERVISORA1','42') WHERE Id=" +
                std::to_string(n5));
    e.Local("concentradorqmx",
            "UPDATE avisos SET Leido=1, FechaLeido='2026-03-01', HoraLeido='23:00:00', "
            "Usuario=ENCODE('ANA','42') WHERE Id=" +
                std::to_string(n4));
    clsImpresion imp;
    ReporteDeAvisos r;
    std::string problema;

    ASSERT_TRUE(imp.Lee(FiltroDeReporte{}, r, problema)) << problema;
    EXPECT_EQ(Ids(r), (std::vector<long long>{n1, n2, n3, n4, n5}));
    EXPECT_EQ(r.renglones[1].texto, "marzo temprano");
    EXPECT_EQ(r.renglones[1].usuario, "CONCENTRAD");  // the first 10 characters
    EXPECT_EQ(r.renglones[4].usuario, "SUPERVISOR");

    f = {};
    f.desde = "01/03/2026";
    f.hasta = "31/03/2026";
    f.estado = FiltroDeReporte::Estado::NoLeidos;
    f.orden = FiltroDeReporte::Orden::FechaRegistro;
    ASSERT_TRUE(imp.Lee(f, r, problema));
    EXPECT_EQ(Ids(r), (std::vector<long long>{n2, n1}));
    EXPECT_EQ(r.formula, Seleccion(f, cn).formula);

    f = {};
    f.estado = FiltroDeReporte::Estado::Leidos;
    f.orden = FiltroDeReporte::Orden::FechaLeido;
    ASSERT_TRUE(imp.Lee(f, r, problema));
    EXPECT_EQ(Ids(r), (std::vector<long long>{n4, n5}));
    EXPECT_EQ(r.renglones[0].fechaLeido, "2026-03-01");

    // The user compares with the first 10 characters: the code typed in full matches nothing.
    f = {};
    f.usuario = "SUPERVISOR";
    ASSERT_TRUE(imp.Lee(f, r, problema));
    EXPECT_EQ(Ids(r), std::vector<long long>{n5});
    f.usuario = "SUPERVISORA1";
    ASSERT_TRUE(imp.Lee(f, r, problema));
    EXPECT_TRUE(r.renglones.empty());
    // A quote in the user is a value, not SQL.
    f.usuario = "x' OR '1'='1";
    ASSERT_TRUE(imp.Lee(f, r, problema));
    EXPECT_TRUE(r.renglones.empty());

    // The plain texts never go into the table.
    EXPECT_EQ(e.EnLocal("concentradorqmx",
                        "SELECT COUNT(*) FROM avisos WHERE IFNULL(TextoAviso,'')<>'' OR "
                        "IFNULL(TextoUsuario,'')<>''"),
              prueba::Lista{"0"});

    // The whole run hands the report to the port, writes it to the path given and opens it.
    auto& v = e.m.ventana;
    ASSERT_TRUE(imp.Impresion(FiltroDeReporte{}, e.m.carpeta.Archivo("bitacora.pdf")));
    ASSERT_EQ(v.reportes.size(), 1u);
    EXPECT_EQ(v.reportes[0].renglones.size(), 5u);
    EXPECT_EQ(v.documentos.back(), e.m.carpeta.Archivo("bitacora.pdf"));
    // No server: said, nothing written.
    Mod.BDLocal.cPuerto = "1";
    Mod.SegundosReintento = 0;
    EXPECT_FALSE(imp.Impresion(FiltroDeReporte{}, e.m.carpeta.Archivo("bitacora.pdf")));
    EXPECT_EQ(v.reportes.size(), 1u);
    ASSERT_FALSE(v.cajas.empty());
    EXPECT_EQ(v.cajas.back().titulo, "Bitácora de avisos");
}
