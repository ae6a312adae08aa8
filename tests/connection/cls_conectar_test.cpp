#include "connection/cls_conectar.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "core/shared_routines.h"
#include "support/escenario.h"

using namespace cnc;
using prueba::Linea;

namespace {

void Conecta(uint8_t modo) {
    clsConectar c;
    kvtx8::Registros rs;
    kvtx8::Conexion cn;
    c.Conectar(modo, rs, cn);
}

std::string Bitacora(const prueba::ModuloAislado& m) {
    return m.carpeta.Lee("BitacoraConcentrador.txt");
}

// The window was handed back: the last connection signal is "ended" and the send commands are enabled.
void Rearmada(const prueba::VentanaGrabadora& v) {
    ASSERT_FALSE(v.conectando.empty());
    EXPECT_FALSE(v.conectando.back());
    EXPECT_FALSE(v.habilitados.at("cmdCerrar"));
    for (const char* c : {"cmdTerminar", "Label(5)", "lblInfo", "Command10", "Command11", "cmdConexion"})
        EXPECT_TRUE(v.habilitados.at(c)) << c;
}

}  // namespace

TEST(Conectar, LogBlocksAreNumberedAndTheFileStartsAgainEveryFifthCall) {
    prueba::ModuloAislado m;
    // The local server does not answer: each call is one short block.
    Mod.BDLocal.cPuerto = "1";
    m.carpeta.Escribe("BitacoraConcentrador.txt", "de una corrida anterior\r\n");

    Conecta(0);
    std::string b = Bitacora(m);
    EXPECT_EQ(b,
              "de una corrida anterior\r\n"
              "Bitácora 0\r\n"
              "08/dic/26 10:00:00 - *** Inicio de bitácora\r\n"
              "08/dic/26 10:00:03 - No abrió la base de datos general\r\n"
              "08/dic/26 10:00:03 - *** Fin de bitácora\r\n"
              "\r\n");
    EXPECT_EQ(Mod.NumeroBitacora, 1);
    EXPECT_TRUE(m.ventana.conectando.front());
    const auto& ll = m.ventana.llamadas;
    EXPECT_NE(std::find(ll.begin(), ll.end(), "Detiene Timer1"), ll.end());
    Rearmada(m.ventana);
    // Only logged: nothing is shown for a local failure.
    EXPECT_TRUE(m.ventana.avisos.empty());
    EXPECT_FALSE(Mod.ConexionEntregada);

    Conecta(0);
    EXPECT_EQ(Bitacora(m).rfind("Bitácora 1\r\n", 0), 0u);
    for (int i = 0; i < 4; ++i) Conecta(0);
    b = Bitacora(m);
    for (int n = 1; n <= 5; ++n)
        EXPECT_NE(b.find("Bitácora " + std::to_string(n) + "\r\n"), std::string::npos) << n;
    EXPECT_EQ(Mod.NumeroBitacora, 6);

    Conecta(0);
    b = Bitacora(m);
    EXPECT_EQ(b.rfind("Bitácora 1\r\n", 0), 0u);
    EXPECT_EQ(b.find("Bitácora 2"), std::string::npos);
    EXPECT_EQ(Mod.NumeroBitacora, 2);
}

TEST(Conectar, VersionConflictsMarkTheHubAndSendNothing) {
    REQUIERE_SERVIDORES();
    prueba::Escenario g;
    g.Grupo();
    auto& m = g.m;
    g.ConfiguraEspejo("cncTipoSucursal", "0");
    kvtx8::EscribeIni("Información", "Ultima conexión", "07/dic/2026 - 09:00:00", Mod.ArchivoIni);

    // Local below the minimum (and so below the hub): the minimum's text is the one kept.
    g.Versiones("6.2.9", "6.3.0");
    Conecta(0);
    std::string b = Bitacora(m);
    EXPECT_TRUE(Linea(b, "Versión actual: 6.2.9"));
    EXPECT_TRUE(Linea(b, "Versión remota mayor a la actual: 6.3.0"));
    EXPECT_TRUE(Linea(b, "Versión mínima requerida, mayor a la actual: 6.3.0"));
    EXPECT_TRUE(Linea(b, "Base de datos matriz: matriz1"));
    EXPECT_TRUE(Linea(b, "Versión de Tarvena Premium diferente a la mínima necesaria"));
    EXPECT_FALSE(Linea(b, "Envío de información normal"));
    const std::string texto =
        "La versión de su programa es menor a la mínima requerida.\r\n6.3.0 contra 6.2.9\r\n"
        "Para evitar errores por la diferencia de versiones, este programa no enviará información";
    ASSERT_EQ(m.ventana.avisos, std::vector<std::string>{texto});
    EXPECT_EQ(m.ventana.bips, 1);
    EXPECT_EQ(m.ventana.textos.at("Label11"), "Última conexión: 07/dic/2026 - 09:00:00\r\n" + texto);
    EXPECT_EQ(prueba::Consulta(g.hub, "generaltarvena",
                               "SELECT HoraUltimoEnvio FROM empresas WHERE BaseDeDatos='espejo1'"),
              "!!!");
    EXPECT_EQ(prueba::Consulta(g.hub, "generaltarvena",
                               "SELECT HoraUltimoEnvio FROM empresas WHERE BaseDeDatos='MATRIZ1'"),
              "");
    // The hub's minimum for itself is created once.
    EXPECT_EQ(
        prueba::Consulta(
            g.hub, "generaltarvena",
            "SELECT CONCAT(Contenido,'#',Descripcion) FROM paneldecontrol WHERE Dato='CNCVERSIONMINIMA'"),
        "5.19.1#Versión mínima para el concentrador, iniciando esto");
    EXPECT_EQ(g.ConfiguraLocal("cncTipoSucursal"), "");
    EXPECT_FALSE(Mod.ConexionEntregada);
    EXPECT_EQ(Mod.VersionActual, "6.2.9");
    Rearmada(m.ventana);

    // The hub below the minimum; the same window shows the new text.
    g.Versiones("6.3.0", "6.2.0");
    Conecta(0);
    ASSERT_EQ(m.ventana.avisos.size(), 2u);
    EXPECT_EQ(m.ventana.avisos[1],
              "La versión del servidor es menor a la mínima requerida.\r\n6.3.0 contra 6.2.0\r\n"
              "Para evitar errores por la diferencia de versiones, este programa no enviará información");

    // The hub above this side, both above the minimum.
    g.Versiones("6.3.0", "6.4.1");
    Conecta(0);
    EXPECT_EQ(
        m.ventana.avisos.back(),
        "El servidor al que pretende conectar tiene una versión de Tarvena mayor a la de su programa, 6.4.1 "
        "contra 6.3.0\r\n"
        "Para evitar errores por la diferencia de versiones, este programa no enviará información");

    // A local version that is no version is a version below the minimum, and says so.
    g.Versiones("seis", "6.3.0");
    Conecta(0);
    b = Bitacora(m);
    EXPECT_TRUE(Linea(b, "La versión de Tarvena local no es una versión: 'seis'"));
    EXPECT_TRUE(Linea(b, "Versión mínima requerida, mayor a la actual: 6.3.0"));
    EXPECT_FALSE(Mod.ConexionEntregada);
    Rearmada(m.ventana);
}

TEST(Conectar, EqualVersionsCopyTheBranchSettingsAndHandOver) {
    REQUIERE_SERVIDORES();
    prueba::Escenario g;
    g.Grupo();
    auto& m = g.m;
    g.ConfiguraEspejo("cncTipoSucursal", "0");
    g.ConfiguraEspejo("cncEnviarPrecio1", "1");
    g.ConfiguraEspejo("cncEnviarFormul1", "0");
    g.ConfiguraEspejo("cncEnviarPrecio3", "-1");
    g.ConfiguraEspejo("cncEnviarFormul3", "True");
    g.ConfiguraEspejo("cncEnviarFormul4", "1");  // no price row for 4: both stay false
    Mod.EnviarPrecio[7] = true;                  // left from an earlier connection

    Conecta(4);
    std::string b = Bitacora(m);
    for (const char* l :
         {"Abrió la base de datos general", "Versión actual: 6.3.0", "Busca la empresa datos1",
          "Abrió la base de datos datos1", "Leyó datos de conexión remotos",
          "Abrió la base de datos general, remota", "Revisa la indicación de versión mínima",
          "     Actual  : 6.3.0", "     Indicada: 1.0.0", "     No se requiere descargar",
          "Base de datos matriz: matriz1", "Versión remota mínima, mayor o igual a la actual",
          "Conectó a la base de datos ESPEJO: espejo1", "Envío de información normal"})
        EXPECT_TRUE(Linea(b, l)) << l;
    EXPECT_TRUE(Mod.ConexionEntregada);
    EXPECT_TRUE(m.ventana.avisos.empty());
    EXPECT_EQ(Mod.TipoSucursal, 0);
    EXPECT_EQ(g.ConfiguraLocal("cncTipoSucursal"), "0");
    EXPECT_TRUE(Mod.EnviarPrecio[1]);
    EXPECT_FALSE(Mod.EnviarFormula[1]);
    EXPECT_TRUE(Mod.EnviarPrecio[3]);
    EXPECT_TRUE(Mod.EnviarFormula[3]);
    EXPECT_FALSE(Mod.EnviarFormula[4]);
    EXPECT_FALSE(Mod.EnviarPrecio[7]);
    EXPECT_EQ(Mod.BDRemota.cMiBase, "espejo1");
    EXPECT_EQ(Mod.BDRemota.cPuerto, g.hub.puerto);
    EXPECT_EQ(kvtx8::LeeIni("Información", "Ultima conexión", Mod.ArchivoIni), "08/dic/2026 - 10:00:00");
    EXPECT_EQ(prueba::Consulta(
                  g.local, "concentradorqmx",
                  "SELECT COUNT(*) FROM information_schema.TABLES WHERE TABLE_SCHEMA='concentradorqmx' AND "
                  "TABLE_NAME='productosenkardex'"),
              "1");
    Rearmada(m.ventana);

    // Franchise: the cost flag and the five trimmed price texts come over.
    g.ConfiguraEspejo("cncTipoSucursal", "1");
    g.ConfiguraEspejo("cncCostoEnFran", "1");
    g.ConfiguraEspejo("cncPrecio2EnFran", "  Precio mayoreo  ");
    Conecta(4);
    EXPECT_TRUE(Mod.ConexionEntregada);
    EXPECT_EQ(Mod.TipoSucursal, 1);
    EXPECT_EQ(Mod.CostoEnFran, 1);
    EXPECT_EQ(Mod.PrecioEnFran[2], "Precio mayoreo");
    EXPECT_EQ(g.ConfiguraLocal("cncPrecio2EnFran"), "Precio mayoreo");
    EXPECT_EQ(g.ConfiguraLocal("cncCostoEnFran"), "1");

    // Any other type copies nothing more and still hands over.
    g.ConfiguraEspejo("cncTipoSucursal", "2");
    g.ConfiguraEspejo("cncPrecio2EnFran", "Otro texto");
    g.ConfiguraEspejo("cncCostoEnFran", "0");
    Conecta(4);
    EXPECT_TRUE(Mod.ConexionEntregada);
    EXPECT_EQ(Mod.TipoSucursal, 2);
    EXPECT_EQ(g.ConfiguraLocal("cncTipoSucursal"), "2");
    EXPECT_EQ(g.ConfiguraLocal("cncPrecio2EnFran"), "Precio mayoreo");
    EXPECT_EQ(Mod.CostoEnFran, 1);

    // A type that is no byte: nothing is handed over and the local company keeps its own.
    g.ConfiguraEspejo("cncTipoSucursal", "sucursal");
    Conecta(4);
    b = Bitacora(m);
    EXPECT_TRUE(Linea(b, "El tipo de sucursal de la ESPEJO no es un número de 0 a 255: 'sucursal'"));
    EXPECT_TRUE(Linea(b, "No leyó correctamente el tipo de sucursal, desde la ESPEJO"));
    EXPECT_FALSE(Mod.ConexionEntregada);
    EXPECT_EQ(Mod.TipoSucursal, 250);
    EXPECT_EQ(g.ConfiguraLocal("cncTipoSucursal"), "2");
    Rearmada(m.ventana);

    // The mode without its work in this program says so and runs nothing.
    g.ConfiguraEspejo("cncTipoSucursal", "2");
    for (uint8_t modo : {5}) {
        Conecta(modo);
        EXPECT_TRUE(
            Linea(Bitacora(m), "Modo de conexión " + std::to_string(modo) +
                                   " no disponible en esta versión: no se envió ni se recibió información"));
        EXPECT_FALSE(Mod.ConexionEntregada);
    }
    // The alert sender is handed over; without an alert it has nothing to do (this call's log only).
    std::filesystem::remove(m.carpeta.Archivo("BitacoraConcentrador.txt"));
    Conecta(2);
    EXPECT_TRUE(Mod.ConexionEntregada);
    EXPECT_FALSE(Linea(Bitacora(m),
                       "Modo de conexión 2 no disponible en esta versión: no se envió ni se recibió "
                       "información"));
    EXPECT_FALSE(Linea(Bitacora(m), "Envío de información normal"));
    EXPECT_TRUE(m.ventana.avisos.empty());
}

TEST(Conectar, ARequiredTlsHubConnectionTrustsOnlyItsCa) {
    REQUIERE_SERVIDORES();
    const char* caHub = std::getenv("CNC_PRUEBA_CA_HUB");
    const char* caOtra = std::getenv("CNC_PRUEBA_CA_OTRA");
    if (!caHub || !caOtra) GTEST_SKIP() << "test servers without TLS";
    prueba::Escenario g;
    g.Grupo();
    auto& m = g.m;
    // The log of this call only: the file would hold the earlier ones too.
    auto llamada = [&] {
        Mod.ConexionEntregada = false;
        std::filesystem::remove(m.carpeta.Archivo("BitacoraConcentrador.txt"));
        Conecta(0);
        return Bitacora(m);
    };

    // No CA: a plain connection, as ever, and no word about TLS.
    std::string b = llamada();
    EXPECT_TRUE(Linea(b, "Abrió la base de datos general, remota"));
    EXPECT_TRUE(Mod.ConexionEntregada);
    EXPECT_EQ(b.find("TLS"), std::string::npos) << b;
    EXPECT_EQ(b.find("certificado"), std::string::npos) << b;

    // The hub's own CA: encrypted, verified, and the call reaches the hand-over.
    Mod.CAConcentrador = caHub;
    b = llamada();
    EXPECT_TRUE(Linea(b, "Abrió la base de datos general, remota")) << b;
    EXPECT_TRUE(Linea(b, std::string("Conexión cifrada al concentrador (TLS, CA ") + caHub + ")")) << b;
    EXPECT_TRUE(Mod.ConexionEntregada);
    kvtx8::Conexion cn;
    ASSERT_TRUE(Mod.BDRemota.AbrirBdD(cn, ""));
    kvtx8::Registros rs;
    ASSERT_TRUE(Mod.BDRemota.AbrirConsulta(rs, cn, "SHOW SESSION STATUS LIKE 'Ssl_cipher'"));
    EXPECT_NE(rs.Texto("Value"), "");
    cn.Cerrar();

    // A CA that did not sign the hub's certificate: refused, said so, nothing handed over.
    Mod.CAConcentrador = caOtra;
    b = llamada();
    EXPECT_TRUE(Linea(b, "No abrió la base de datos general, remota")) << b;
    const std::string noVerificado =
        std::string("No se verificó el certificado del concentrador con la CA ") + caOtra + ": ";
    EXPECT_NE(b.find(noVerificado), std::string::npos) << b;
    EXPECT_EQ(b.find("Conexión cifrada al concentrador"), std::string::npos) << b;
    EXPECT_FALSE(Mod.ConexionEntregada);
    EXPECT_EQ(m.ventana.avisos.back(),
              "No pudo conectar a la base de datos general, remota\r\nNo pudo localizar empresa MATRIZ");
    // A CA file that is not there trusts nothing.
    Mod.CAConcentrador = g.m.carpeta.Archivo("no-existe.pem");
    b = llamada();
    EXPECT_FALSE(Mod.ConexionEntregada);
    EXPECT_TRUE(Linea(b, "No abrió la base de datos general, remota")) << b;
    Rearmada(m.ventana);
}

TEST(Conectar, AMissingMatrizOrEspejoRowIsReported) {
    REQUIERE_SERVIDORES();
    prueba::Escenario g;
    g.Grupo();
    auto& m = g.m;
    // The only company of the group without licence and workstation is gone.
    g.Hub("UPDATE empresas SET Licencia='L-1' WHERE BaseDeDatos='MATRIZ1'");
    Conecta(0);
    std::string b = Bitacora(m);
    EXPECT_TRUE(Linea(b, "Base de datos matriz: "));
    EXPECT_TRUE(Linea(b, "No puede enviar información sin base de datos matriz"));
    EXPECT_EQ(m.ventana.avisos, std::vector<std::string>{"No pudo localizar empresa MATRIZ"});
    EXPECT_FALSE(Mod.ConexionEntregada);
    Rearmada(m.ventana);

    // No row for the ESPEJO on the hub.
    g.Hub("DELETE FROM empresas WHERE BaseDeDatos='espejo1'");
    Conecta(0);
    b = Bitacora(m);
    EXPECT_TRUE(Linea(b, "No obtuvo base de datos matriz"));
    EXPECT_EQ(m.ventana.avisos.back(),
              "No se pudo obtener la base de datos MATRIZ. Esto se debe a una incorrecta definición de las "
              "empresas.\r\nUna empresa MATRIZ debe tener CLASIFICACIÓN, pero no NÚMERO DE LICENCIA\r\nni "
              "nombre de "
              "EQUIPO en su configuración)");

    // No row for the local company: only logged.
    g.Local("DELETE FROM empresas");
    m.ventana.avisos.clear();
    Conecta(0);
    EXPECT_TRUE(Linea(Bitacora(m), "No halló la empresa datos1"));
    EXPECT_TRUE(m.ventana.avisos.empty());
    Rearmada(m.ventana);
}

TEST(Conectar, BadConnectionDataStopBeforeAnyServerIsTouched) {
    REQUIERE_SERVIDORES();
    prueba::Escenario g;
    g.Grupo();
    auto& m = g.m;
    const std::string noLlega =
        "No pudo conectar a la base de datos general, remota\r\nNo pudo localizar empresa MATRIZ";

    // Stored under another key: it does not decipher, and an empty server must not become this machine.
    g.Local("UPDATE empresas SET Servidor2='" + kvtx8::DeAcceso("otra llave").Encripta("127.0.0.1", 1) + "'");
    Conecta(0);
    std::string b = Bitacora(m);
    EXPECT_TRUE(Linea(b, "Datos de conexión remotos no válidos (Servidor2 no se descifra)"));
    EXPECT_FALSE(Linea(b, "Leyó datos de conexión remotos"));
    EXPECT_TRUE(Linea(b, "No puede enviar información sin base de datos matriz"));
    EXPECT_EQ(m.ventana.avisos.back(), noLlega);
    EXPECT_EQ(prueba::Consulta(g.hub, "generaltarvena",
                               "SELECT COUNT(*) FROM paneldecontrol WHERE Dato='CNCVERSIONMINIMA'"),
              "0");
    Rearmada(m.ventana);

    // A port that is no number, in an installation where the column is text.
    g.Local("UPDATE empresas SET Servidor2='" + Mod.Acceso.Encripta("127.0.0.1", 1) + "'");
    g.Local("ALTER TABLE empresas MODIFY Puerto2 VARCHAR(10) NOT NULL DEFAULT ''");
    g.Local("UPDATE empresas SET Puerto2='33o6'");
    Conecta(0);
    EXPECT_TRUE(Linea(Bitacora(m), "Datos de conexión remotos no válidos (Puerto2 no es un puerto: '33o6')"));
    EXPECT_EQ(m.ventana.avisos.back(), noLlega);

    // Port 0, as the panel stores an empty port field, is the server's default port, as "Probar" takes it.
    g.Local("UPDATE empresas SET Puerto2='0'");
    Conecta(0);
    EXPECT_FALSE(Linea(Bitacora(m), "Datos de conexión remotos no válidos (Puerto2 no es un puerto: '0')"));
    EXPECT_EQ(Mod.BDRemota.cPuerto, "0");

    // A hub that does not answer.
    g.Local("UPDATE empresas SET Puerto2='1'");
    Conecta(0);
    b = Bitacora(m);
    EXPECT_TRUE(Linea(b, "Leyó datos de conexión remotos"));
    EXPECT_TRUE(Linea(b, "No abrió la base de datos general, remota"));
    EXPECT_EQ(m.ventana.avisos.back(), noLlega);
    EXPECT_FALSE(Mod.ConexionEntregada);
    Rearmada(m.ventana);

    // An ESPEJO database that is not there.
    g.Local("UPDATE empresas SET Puerto2='" + g.hub.puerto + "', BaseDeDatos3='" +
            Mod.Acceso.Encripta("espejo9", 2) + "'");
    g.Hub("UPDATE empresas SET BaseDeDatos='espejo9' WHERE BaseDeDatos='espejo1'");
    Conecta(0);
    EXPECT_TRUE(Linea(Bitacora(m), "No pudo conectar a la base de datos ESPEJO: espejo9"));
    EXPECT_EQ(m.ventana.avisos.back(), "No pudo conectar a la base de datos ESPEJO");
    Rearmada(m.ventana);
}

TEST(Conectar, ProductModesHandOverToTheProductUpdateAndSend) {
    REQUIERE_SERVIDORES();
    prueba::Escenario g;
    g.Grupo();
    auto& m = g.m;
    g.ConfiguraEspejo("cncTipoSucursal", "0");
    g.Hub(g.matriz, "INSERT INTO productos (Clave, Descrip) VALUES ('M''1', 'de la matriz')");
    g.Local(g.baseLocal, "INSERT INTO productos (Clave, Descrip) VALUES ('L1', 'de aquí')");

    // 1: the MATRIZ is opened by its name, and its products come in.
    Conecta(1);
    std::string b = Bitacora(m);
    for (const char* l : {"Lectura de productos desde la empresa matriz", "Inicia recepción de productos",
                          "Finaliza recepción de productos"})
        EXPECT_TRUE(Linea(b, l)) << l;
    EXPECT_FALSE(Linea(b, "Envío de información normal"));
    EXPECT_TRUE(Mod.ConexionEntregada);
    EXPECT_EQ(g.EnLocal(g.baseLocal, "SELECT Clave FROM productos ORDER BY Clave"),
              (prueba::Lista{"L1", "M'1"}));
    EXPECT_TRUE(g.EnEspejo("SELECT * FROM productos").empty());
    Rearmada(m.ventana);

    // 3: every local product goes to the ESPEJO, and nothing else does.
    g.Local(g.baseLocal, "INSERT INTO lineas (Linea) VALUES ('NO VA')");
    Conecta(3);
    b = Bitacora(m);
    EXPECT_TRUE(Linea(b, "Inicia envío de productos"));
    EXPECT_TRUE(Linea(b, "Finaliza envío de productos"));
    EXPECT_FALSE(Linea(b, "Inicia envío de información"));
    EXPECT_TRUE(Mod.ConexionEntregada);
    EXPECT_EQ(g.EnEspejo("SELECT Clave FROM productos ORDER BY Clave"), (prueba::Lista{"L1", "M'1"}));
    EXPECT_TRUE(g.EnEspejo("SELECT * FROM lineas").empty());
    Rearmada(m.ventana);

    // A MATRIZ database that cannot be opened: said, and nothing is handed over.
    g.Hub("DROP DATABASE " + g.matriz);
    Conecta(1);
    b = Bitacora(m);
    EXPECT_TRUE(Linea(b, "No conectó para lectura de productos desde la empresa matriz"));
    EXPECT_FALSE(Linea(b, "Inicia recepción de productos"));
    EXPECT_FALSE(Mod.ConexionEntregada);
    Rearmada(m.ventana);
}
