#include "connection/cls_descargas.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <functional>

#include "connection/cls_conectar.h"
#include "connection/firma_actualizacion.h"
#include "support/actualizacion.h"
#include "support/escenario.h"
#include "support/ftp.h"

using namespace cnc;
namespace fs = std::filesystem;

namespace {

const std::string kPlugins = "public_html/descargas/plugins/";
const std::string kTextoPregunta =
    "Existe una versión más reciente de este programa. ¿Desea descargarla ahora? (tome en cuenta que TAMBIEN "
    "debe "
    "estar actualizado Tarvena Premium a la ÚLTIMA VERSIÓN)";

bool Verifica(bool manual, bool forzado) {
    clsDescargas d;
    bool terminar = true;
    d.VerificaVersiones(manual, forzado, terminar);
    return terminar;
}

void ApuntaAlFTP(const prueba::ServidorFTP& s) {
    Mod.Sitio.FtpHost = s.Host();
    Mod.Sitio.FtpUsuario = s.Usuario();
    Mod.Sitio.FtpPassword = s.Password();
    Mod.Sitio.Comprobar = s.Host();
}

std::string Descargas(const prueba::ModuloAislado& m) {
    return m.carpeta.Ruta() + "/Descargas/";
}

const std::string kSinVerificar =
    "Las actualizaciones no se verifican: no hay llave pública de actualizaciones";

size_t Veces(const std::string& texto, const std::string& parte) {
    size_t n = 0;
    for (size_t i = texto.find(parte); i != std::string::npos; i = texto.find(parte, i + 1)) ++n;
    return n;
}

// The public key in the environment for as long as it lives.
struct LlaveEnVariable {
    explicit LlaveEnVariable(const std::string& llave) {
        setenv(kVariableLlaveActualizaciones, llave.c_str(), 1);
    }
    ~LlaveEnVariable() { unsetenv(kVariableLlaveActualizaciones); }
};

void LlaveEnAjustes(const std::string& llave) {
    kvtx8::EscribeIni("Configuración", "Llave pública de actualizaciones", llave, Mod.ArchivoIni);
}

// A publisher with its key pair, which puts signed files on the site.
struct Editor {
    prueba::CarpetaTemporal carpeta;
    std::string publica;
    Editor() {
        std::string error;
        EXPECT_TRUE(CreaLlaves(carpeta.Archivo("editor"), error)) << error;
        publica = kvtx8::Recorta(carpeta.Lee("editor.publica"));
    }
    void Publica(const prueba::ServidorFTP& s, const std::string& nombre,
                 const std::string& contenido) const {
        carpeta.Escribe(nombre, contenido);
        std::string error;
        EXPECT_TRUE(FirmaArchivo(carpeta.Archivo(nombre), carpeta.Archivo("editor.secreta"), error)) << error;
        s.Escribe(kPlugins + nombre, contenido);
        s.Escribe(kPlugins + nombre + ".firma", carpeta.Lee(nombre + ".firma"));
    }
};

}  // namespace

TEST(VerificaVersiones, AsksOnlyWhenItShouldAndIsSilentWithoutACatalogue) {
    REQUIERE_SERVIDORES();
    prueba::ModuloAislado m;
    prueba::Catalogo c("6.3.0", "concentrador");

    // Automatic search off and nobody asked: not even the catalogue is tried.
    Mod.ActualizAutomatica = 0;
    Mod.Sitio.Puerto = 1;
    EXPECT_FALSE(Verifica(false, false));
    EXPECT_EQ(m.reloj.pausadoMs, 0);

    // The catalogue does not answer: silent.
    EXPECT_FALSE(Verifica(true, false));
    EXPECT_GT(m.reloj.pausadoMs, 0);
    EXPECT_TRUE(m.ventana.cajas.empty());

    // The same version as this program: no question.
    Mod.Sitio.Puerto = std::stoi(c.hub.puerto);
    Mod.ActualizAutomatica = 1;
    EXPECT_FALSE(Verifica(false, false));
    EXPECT_TRUE(m.ventana.cajas.empty());
    EXPECT_FALSE(fs::exists(Descargas(m)));

    // A newer one asks; No leaves everything as it was.
    prueba::EjecutaSQL(c.hub, c.base, "UPDATE plugins_lista SET Version='6.10.0' WHERE Numero=11");
    m.ventana.respuestas = {kNo};
    EXPECT_FALSE(Verifica(false, false));
    ASSERT_EQ(m.ventana.cajas.size(), 1u);
    EXPECT_EQ(m.ventana.cajas[0].texto, kTextoPregunta);
    EXPECT_EQ(m.ventana.cajas[0].titulo, "Descargar nueva versión");
    EXPECT_EQ(m.ventana.cajas[0].estilo, 36 + 256);
    EXPECT_FALSE(fs::exists(Descargas(m)));

    // This program's row without a version counts as no row.
    prueba::EjecutaSQL(c.hub, c.base, "UPDATE plugins_lista SET Version='' WHERE Numero=11");
    m.ventana.cajas.clear();
    EXPECT_FALSE(Verifica(true, false));
    EXPECT_TRUE(m.ventana.cajas.empty());
}

TEST(VerificaVersiones, DownloadsEveryListedFileAndLeavesTheHandOffBesideTheUpdater) {
    REQUIERE_SERVIDORES();
    prueba::ModuloAislado m;
    prueba::ServidorFTP s;
    if (!s.Listo()) GTEST_SKIP() << "sin pyftpdlib";
    ApuntaAlFTP(s);
    prueba::Catalogo c("6.4.0", "concentrador;leeme con espacio.txt;datos.bin");
    s.Escribe(kPlugins + "concentrador", prueba::Contenido(1000));
    s.Escribe(kPlugins + "leeme con espacio.txt", "léame\r\n");
    s.Escribe(kPlugins + "datos.bin", prueba::Contenido(255));
    fs::create_directories(Descargas(m));
    m.carpeta.Escribe("Descargas/concentrador", std::string(5000, 'v'));  // an older, longer copy
    prueba::Auxiliar auxiliar("qmxauxiliar", m.carpeta.Ruta());

    m.ventana.respuestas = {kSi};
    EXPECT_TRUE(Verifica(true, false));
    EXPECT_EQ(m.carpeta.Lee("Descargas/concentrador"), prueba::Contenido(1000));
    EXPECT_EQ(m.carpeta.Lee("Descargas/leeme con espacio.txt"), "léame\r\n");
    EXPECT_EQ(m.carpeta.Lee("Descargas/datos.bin"), prueba::Contenido(255));
    EXPECT_EQ(m.ventana.ocupado,
              (std::vector<std::string>{"Descargando concentrador", "Descargando leeme con espacio.txt",
                                        "Descargando datos.bin", "<quita>"}));
    ASSERT_EQ(m.ventana.cajas.size(), 2u);
    EXPECT_EQ(m.ventana.cajas[1].texto, "Archivos descargados");
    EXPECT_EQ(m.ventana.cajas[1].titulo, "Descarga terminada");
    EXPECT_EQ(m.ventana.cajas[1].estilo, 0);
    EXPECT_EQ(auxiliar.Lee("qmxAuxiliar.dat"), "-n\r\n" + Descargas(m) + "\r\n");

    // Forced, with an older version on the site, and an updater named qmxAuxiliar.exe: no question.
    prueba::Auxiliar exe("qmxAuxiliar.exe", m.carpeta.Ruta());
    auxiliar.Termina();
    fs::remove(auxiliar.Archivo("qmxAuxiliar.dat"));
    prueba::EjecutaSQL(c.hub, c.base,
                       "UPDATE plugins_lista SET Version='1.0.0', Archivo='datos.bin' WHERE Numero=11");
    m.ventana.cajas.clear();
    fs::remove(Descargas(m) + "datos.bin");
    EXPECT_TRUE(Verifica(false, true));
    ASSERT_EQ(m.ventana.cajas.size(), 1u);
    EXPECT_EQ(m.ventana.cajas[0].texto, "Archivos descargados");
    EXPECT_EQ(m.carpeta.Lee("Descargas/datos.bin"), prueba::Contenido(255));
    EXPECT_EQ(exe.Lee("qmxAuxiliar.dat"), "-n\r\n" + Descargas(m) + "\r\n");

    // No updater running: the files come, the hand-off does not.
    exe.Termina();
    fs::remove(exe.Archivo("qmxAuxiliar.dat"));
    fs::remove(auxiliar.Archivo("qmxAuxiliar.dat"));
    fs::remove(Descargas(m) + "datos.bin");
    EXPECT_TRUE(Verifica(false, true));
    EXPECT_TRUE(fs::exists(Descargas(m) + "datos.bin"));
    EXPECT_FALSE(fs::exists(exe.Archivo("qmxAuxiliar.dat")));
    EXPECT_FALSE(fs::exists(auxiliar.Archivo("qmxAuxiliar.dat")));
}

TEST(VerificaVersiones, AnUnreachableSiteBadNamesAndMissingFilesDoNotEndTheProgram) {
    REQUIERE_SERVIDORES();
    prueba::ModuloAislado m;
    prueba::ServidorFTP s;
    if (!s.Listo()) GTEST_SKIP() << "sin pyftpdlib";
    ApuntaAlFTP(s);
    prueba::Catalogo c("1.0.0", "a.bin;b.bin;c.bin");

    // The site does not answer: one "Error" box per file.
    Mod.Sitio.Comprobar = "127.0.0.1:1";
    EXPECT_FALSE(Verifica(false, true));
    ASSERT_EQ(m.ventana.cajas.size(), 4u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(m.ventana.cajas[i].texto, "No hay conexión con el servidor Velnor");
        EXPECT_EQ(m.ventana.cajas[i].titulo, "Error");
        EXPECT_EQ(m.ventana.cajas[i].estilo, 16);
    }
    EXPECT_EQ(m.ventana.cajas[3].texto, "Archivos descargados");

    // Names are only names: nothing lands outside the download folder; empty parts are skipped.
    Mod.Sitio.Comprobar = s.Host();
    s.Escribe(kPlugins + "fuera.bin", "f");
    s.Escribe(kPlugins + "dentro.bin", "d");
    prueba::EjecutaSQL(
        c.hub, c.base,
        "UPDATE plugins_lista SET Archivo='../fuera.bin;;sub/dentro.bin; ;..;C:\\\\x\\\\dentro.bin' "
        "WHERE Numero=11");
    m.ventana.cajas.clear();
    m.ventana.ocupado.clear();
    EXPECT_TRUE(Verifica(false, true));
    EXPECT_EQ(m.carpeta.Lee("Descargas/fuera.bin"), "f");
    EXPECT_EQ(m.carpeta.Lee("Descargas/dentro.bin"), "d");
    EXPECT_FALSE(fs::exists(m.carpeta.Archivo("fuera.bin")));
    EXPECT_FALSE(fs::exists(m.carpeta.Archivo("Descargas/sub")));
    EXPECT_EQ(m.ventana.ocupado, (std::vector<std::string>{"Descargando fuera.bin", "Descargando dentro.bin",
                                                           "Descargando dentro.bin", "<quita>"}));
    size_t archivos = 0;
    for (auto& e : fs::directory_iterator(Descargas(m))) archivos += e.is_regular_file();
    EXPECT_EQ(archivos, 2u);

    // A file missing on the site: the set is incomplete, so the program must not end for the updater.
    prueba::EjecutaSQL(c.hub, c.base,
                       "UPDATE plugins_lista SET Archivo='dentro.bin;falta.bin' WHERE Numero=11");
    EXPECT_FALSE(Verifica(false, true));
    EXPECT_FALSE(fs::exists(Descargas(m) + "falta.bin"));
    EXPECT_FALSE(fs::exists(Descargas(m) + "falta.bin.parcial"));

    // A row that names no file: nothing came, so nothing is being installed.
    for (const char* archivo : {"", ";..; ;"}) {
        prueba::EjecutaSQL(c.hub, c.base,
                           std::string("UPDATE plugins_lista SET Archivo='") + archivo + "' WHERE Numero=11");
        EXPECT_FALSE(Verifica(false, true)) << archivo;
    }
}

TEST(VerificaVersiones, TheHubsMinimumForcesTheDownloadAndEndsTheProgram) {
    REQUIERE_SERVIDORES();
    prueba::Escenario g;
    auto& m = g.m;
    prueba::ServidorFTP s;
    if (!s.Listo()) GTEST_SKIP() << "sin pyftpdlib";
    ApuntaAlFTP(s);
    g.Grupo();
    prueba::Catalogo c("9.0.0", "concentrador");
    s.Escribe(kPlugins + "concentrador", prueba::Contenido(300));
    g.Hub("concentradorqmx", "UPDATE configuracion SET Contenido='9.0.0' WHERE Dato='VERSIONMINIMA'");
    prueba::Auxiliar auxiliar("qmxauxiliar", m.carpeta.Ruta());

    g.Ciclo(0);
    const std::string b = m.carpeta.Lee("BitacoraConcentrador.txt");
    for (const std::string& l : std::vector<std::string>{
             "     Actual  : 6.3.0", "     Indicada: 9.0.0", "     Descargará la nueva versión",
             "     " + kSinVerificar, "     Descarga terminada", "*** Fin de bitácora"})
        EXPECT_TRUE(prueba::Linea(b, l)) << l;
    EXPECT_FALSE(prueba::Linea(b, "Base de datos matriz: matriz1"));
    EXPECT_TRUE(Mod.TerminarPrograma);
    EXPECT_EQ(m.ventana.descargas, 1);
    EXPECT_TRUE(m.ventana.conectando.back());  // the window is not handed back: the program ends
    EXPECT_FALSE(Mod.ConexionEntregada);
    EXPECT_EQ(m.carpeta.Lee("Descargas/concentrador"), prueba::Contenido(300));
    EXPECT_EQ(auxiliar.Lee("qmxAuxiliar.dat"), "-n\r\n" + Descargas(m) + "\r\n");
    // Nothing shown but the end of the download.
    ASSERT_EQ(m.ventana.cajas.size(), 1u);
    EXPECT_EQ(m.ventana.cajas[0].texto, "Archivos descargados");

    // The site's files did not all come: the connection goes on as usual.
    s.Mata();
    g.Ciclo(4);
    EXPECT_FALSE(Mod.TerminarPrograma);
    EXPECT_TRUE(prueba::Linea(m.carpeta.Lee("BitacoraConcentrador.txt"), "Base de datos matriz: matriz1"));
    EXPECT_FALSE(m.ventana.conectando.back());
}

TEST(VerificaVersiones, WithAPublicKeyOnlyFilesSignedByItAreKeptAndHandedOff) {
    REQUIERE_SERVIDORES();
    prueba::ModuloAislado m;
    unsetenv(kVariableLlaveActualizaciones);
    prueba::ServidorFTP s;
    if (!s.Listo()) GTEST_SKIP() << "sin pyftpdlib";
    ApuntaAlFTP(s);
    prueba::Catalogo c("1.0.0", "a.bin;b.bin");
    prueba::Auxiliar auxiliar("qmxauxiliar", m.carpeta.Ruta());
    const std::string entrega = auxiliar.Archivo("qmxAuxiliar.dat");
    const std::string errores = "ErrorAlLeer.txt";
    Editor editor, otro;
    auto publicaAmbos = [&] {
        editor.Publica(s, "a.bin", prueba::Contenido(600));
        editor.Publica(s, "b.bin", prueba::Contenido(300));
    };
    publicaAmbos();
    LlaveEnAjustes(editor.publica);

    // Both signed by the key: kept without their signatures, and handed off; nothing to note.
    EXPECT_TRUE(Verifica(false, true));
    EXPECT_EQ(m.carpeta.Lee("Descargas/a.bin"), prueba::Contenido(600));
    EXPECT_EQ(m.carpeta.Lee("Descargas/b.bin"), prueba::Contenido(300));
    EXPECT_FALSE(fs::exists(Descargas(m) + "a.bin.firma"));
    EXPECT_FALSE(fs::exists(Descargas(m) + "b.bin.firma"));
    EXPECT_EQ(auxiliar.Lee("qmxAuxiliar.dat"), "-n\r\n" + Descargas(m) + "\r\n");
    EXPECT_FALSE(fs::exists(m.carpeta.Archivo(errores)));

    // One file that does not verify: it goes, the program does not end, the updater is told nothing, and
    // the user is told which file.
    const std::function<void()> fallas[] = {
        [&] { s.Escribe(kPlugins + "b.bin", prueba::Contenido(301)); },  // changed after it was signed
        [&] { fs::remove(s.Raiz() + "/" + kPlugins + "b.bin.firma"); },  // no signature
        [&] { otro.Publica(s, "b.bin", prueba::Contenido(300)); },       // someone else's
        [&] { s.Escribe(kPlugins + "b.bin.firma", "corta"); },           // not a signature
    };
    int caso = 0;
    for (const auto& falla : fallas) {
        SCOPED_TRACE(++caso);
        publicaAmbos();
        falla();
        fs::remove(entrega);
        m.ventana.cajas.clear();
        EXPECT_FALSE(Verifica(false, true));
        EXPECT_EQ(m.carpeta.Lee("Descargas/a.bin"), prueba::Contenido(600));
        EXPECT_FALSE(fs::exists(Descargas(m) + "b.bin"));
        EXPECT_FALSE(fs::exists(Descargas(m) + "b.bin.firma"));
        EXPECT_FALSE(fs::exists(entrega));
        ASSERT_EQ(m.ventana.cajas.size(), 2u);
        EXPECT_NE(m.ventana.cajas[0].texto.find("b.bin"), std::string::npos) << m.ventana.cajas[0].texto;
        EXPECT_EQ(m.ventana.cajas[0].titulo, "Error");
        EXPECT_EQ(Veces(m.carpeta.Lee(errores), "La firma de b.bin no es válida"), static_cast<size_t>(caso));
    }

    // The variable overrides the settings file, both ways.
    publicaAmbos();
    LlaveEnAjustes(otro.publica);
    {
        LlaveEnVariable v(editor.publica);
        EXPECT_TRUE(Verifica(false, true));
        EXPECT_TRUE(fs::exists(Descargas(m) + "b.bin"));
    }
    LlaveEnAjustes(editor.publica);
    {
        LlaveEnVariable v(otro.publica);
        EXPECT_FALSE(Verifica(false, true));
        EXPECT_FALSE(fs::exists(Descargas(m) + "a.bin"));
        EXPECT_FALSE(fs::exists(Descargas(m) + "b.bin"));
    }

    // A key that is no key accepts nothing.
    LlaveEnAjustes("no es una llave");
    EXPECT_FALSE(Verifica(false, true));
    EXPECT_FALSE(fs::exists(Descargas(m) + "a.bin"));
    EXPECT_EQ(Veces(m.carpeta.Lee(errores), "La llave pública de actualizaciones no es una llave"), 1u);

    // No key: the files are taken as they come, and the log says so once per check.
    LlaveEnAjustes("");
    fs::remove(m.carpeta.Archivo(errores));
    fs::remove(entrega);
    EXPECT_TRUE(Verifica(false, true));
    EXPECT_TRUE(fs::exists(Descargas(m) + "b.bin"));
    EXPECT_TRUE(fs::exists(entrega));
    EXPECT_EQ(Veces(m.carpeta.Lee(errores), kSinVerificar), 1u);
}

TEST(VerificaVersiones, HandsOffOnlyToAnUpdaterInTheProgramFolderAndNeverThroughALink) {
    REQUIERE_SERVIDORES();
    prueba::ModuloAislado m;
    unsetenv(kVariableLlaveActualizaciones);
    prueba::ServidorFTP s;
    if (!s.Listo()) GTEST_SKIP() << "sin pyftpdlib";
    ApuntaAlFTP(s);
    prueba::Catalogo c("1.0.0", "datos.bin");
    s.Escribe(kPlugins + "datos.bin", prueba::Contenido(255));

    // An updater that runs from elsewhere is not this program's: it is told nothing.
    prueba::Auxiliar ajeno;
    EXPECT_TRUE(Verifica(false, true));
    EXPECT_EQ(m.carpeta.Lee("Descargas/datos.bin"), prueba::Contenido(255));
    EXPECT_FALSE(fs::exists(ajeno.Archivo("qmxAuxiliar.dat")));

    // The one in the program folder is, and a link planted where its file goes is replaced, not written
    // through, whether its target exists or not.
    prueba::Auxiliar propio("qmxauxiliar", m.carpeta.Ruta());
    const std::string entrega = propio.Archivo("qmxAuxiliar.dat");
    m.carpeta.Escribe("victima.txt", "intacto");
    for (const char* destino : {"victima.txt", "nuevo.txt"}) {
        SCOPED_TRACE(destino);
        fs::remove(entrega);
        fs::create_symlink(m.carpeta.Archivo(destino), entrega);
        EXPECT_TRUE(Verifica(false, true));
        EXPECT_FALSE(fs::is_symlink(entrega));
        EXPECT_EQ(propio.Lee("qmxAuxiliar.dat"), "-n\r\n" + Descargas(m) + "\r\n");
        EXPECT_EQ(m.carpeta.Lee("victima.txt"), "intacto");
        EXPECT_FALSE(fs::exists(m.carpeta.Archivo("nuevo.txt")));
    }
    EXPECT_FALSE(fs::exists(ajeno.Archivo("qmxAuxiliar.dat")));
    size_t sobrantes = 0;
    for (auto& e : fs::directory_iterator(m.carpeta.Ruta()))
        sobrantes += e.path().filename().string().rfind("qmxAuxiliar.dat.", 0) == 0;
    EXPECT_EQ(sobrantes, 0u);
}

TEST(PreparaDatosDelSitio, KeepsThreeEncipheredValuesAndReadsThemBack) {
    prueba::ModuloAislado m;
    const std::string llave = "SOFTWARE\\Velnor\\QMX plugins";
    PreparaDatosDelSitio();
    const auto s = Mod.Sitio;
    EXPECT_FALSE(s.Servidor.empty());
    EXPECT_FALSE(s.FtpHost.empty());
    EXPECT_EQ(s.Comprobar, s.FtpHost);
    for (const char* v : {"Dato1", "Dato2", "Dato3"}) {
        const std::string guardado = Mod.Registro.LeerCadena(llave, v);
        EXPECT_FALSE(guardado.empty()) << v;
        EXPECT_EQ(guardado.find(s.FtpHost), std::string::npos) << v;
        EXPECT_EQ(guardado.find(s.Servidor), std::string::npos) << v;
    }

    // A deployment's own site.
    Mod.Registro.GrabarCadena(llave, "Dato1",
                              Mod.Acceso.Encripta("10.0.0.5\n3307\nsitio\nlector\nclave;con|raros"));
    Mod.Registro.GrabarCadena(llave, "Dato2", Mod.Acceso.Encripta("ftp.sitio.mx:2121\nbajador\nsecreto"));
    Mod.Registro.GrabarCadena(llave, "Dato3", Mod.Acceso.Encripta("10.0.0.9:21"));
    PreparaDatosDelSitio();
    EXPECT_EQ(Mod.Sitio.Servidor, "10.0.0.5");
    EXPECT_EQ(Mod.Sitio.Puerto, 3307);
    EXPECT_EQ(Mod.Sitio.Base, "sitio");
    EXPECT_EQ(Mod.Sitio.Usuario, "lector");
    EXPECT_EQ(Mod.Sitio.Password, "clave;con|raros");
    EXPECT_EQ(Mod.Sitio.FtpHost, "ftp.sitio.mx:2121");
    EXPECT_EQ(Mod.Sitio.FtpUsuario, "bajador");
    EXPECT_EQ(Mod.Sitio.FtpPassword, "secreto");
    EXPECT_EQ(Mod.Sitio.Comprobar, "10.0.0.9:21");

    // A value that does not decipher, or a port that is no port: the built-in ones, and nothing rewritten.
    Mod.Registro.GrabarCadena(llave, "Dato2", "no es una forma guardada");
    Mod.Registro.GrabarCadena(llave, "Dato1", Mod.Acceso.Encripta("10.0.0.5\nnoventa\nsitio\nlector\nclave"));
    PreparaDatosDelSitio();
    EXPECT_EQ(Mod.Sitio.FtpHost, s.FtpHost);
    EXPECT_EQ(Mod.Sitio.Servidor, "10.0.0.5");
    EXPECT_EQ(Mod.Sitio.Puerto, s.Puerto);
    EXPECT_EQ(Mod.Registro.LeerCadena(llave, "Dato2"), "no es una forma guardada");
}
