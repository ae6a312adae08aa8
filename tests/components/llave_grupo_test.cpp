#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "components/de_acceso.h"
#include "components/del_registro.h"
#include "components/utilerias.h"
#include "support/escenario.h"

using namespace kvtx8;

namespace {

// An environment variable set (or removed) for one test, put back afterwards.
class Variable {
  public:
    Variable(const char* nombre, const std::optional<std::string>& valor) : nombre_(nombre) {
        if (const char* v = std::getenv(nombre)) antes_ = v;
        if (valor)
            setenv(nombre, valor->c_str(), 1);
        else
            unsetenv(nombre);
    }
    ~Variable() {
        if (antes_)
            setenv(nombre_, antes_->c_str(), 1);
        else
            unsetenv(nombre_);
    }

  private:
    const char* nombre_;
    std::optional<std::string> antes_;
};

unsigned Permisos(const std::string& ruta) {
    struct stat st {};
    return stat(ruta.c_str(), &st) == 0 ? st.st_mode & 07777 : 0xFFFF;
}

// Runs the real executable with a key file; its status, and what it printed.
prueba::Corrida Programa(const prueba::CarpetaTemporal& c, const std::string& llave,
                         const std::string& args) {
    prueba::Corrida r;
    r.estado = prueba::Sistema("CONCENTRADOR_LLAVE_GRUPO='" + llave + "' CONCENTRADOR_REGISTRO='" +
                               c.Archivo("registro.ini") + "' XDG_CONFIG_HOME='" + c.Archivo("xdg") + "' '" +
                               CONCENTRADOR_BINARIO + "' " + args + " >'" + c.Archivo("salida") + "' 2>'" +
                               c.Archivo("errores") + "' </dev/null");
    r.salida = c.Lee("salida");
    r.mensajes = c.Lee("errores");
    return r;
}

}  // namespace

TEST(LlaveDelGrupo, MadeOnFirstUseReadableByItsOwnerOnlyAndNeverShared) {
    prueba::CarpetaTemporal c;
    const std::string llave = c.Archivo("velnor/llave-grupo");
    Variable v("CONCENTRADOR_LLAVE_GRUPO", llave);
    DeAcceso a;
    const std::string guardado = a.Encripta("secreto", 4);
    ASSERT_TRUE(a.LlaveLista()) << a.Problema();
    EXPECT_EQ(Permisos(llave), 0600u);
    EXPECT_EQ(c.Lee("velnor/llave-grupo").size(), 32u);
    // Another instance, and the program itself, read the same key.
    EXPECT_EQ(DeAcceso().DesEncripta(guardado, 4), "secreto");
    prueba::Corrida r = Programa(c, llave, "--descifrar '" + guardado + "' --variante 4");
    EXPECT_EQ(r.estado, 0) << r.mensajes;
    EXPECT_EQ(r.salida, "secreto\n");

    // Another installation has a key of its own: nothing of this one deciphers there.
    const std::string otra = c.Archivo("otra/llave-grupo");
    r = Programa(c, otra, "--descifrar '" + guardado + "' --variante 4");
    EXPECT_EQ(r.estado, 1);
    EXPECT_EQ(r.salida, "");
    EXPECT_NE(c.Lee("otra/llave-grupo"), c.Lee("velnor/llave-grupo"));
    r = Programa(c, otra, "--cifrar hola --clave a1");
    ASSERT_EQ(r.estado, 0) << r.mensajes;
    EXPECT_EQ(a.DesEncripta(r.salida.substr(0, r.salida.size() - 1), std::string("a1")), "");
    EXPECT_TRUE(a.UltimoFallo());
}

TEST(LlaveDelGrupo, AKeyOthersMayReadOrOfAnotherSizeIsRefusedAndLeftAlone) {
    prueba::CarpetaTemporal c;
    const std::string llave = c.Archivo("llave-grupo");
    std::string guardado;
    {
        Variable v("CONCENTRADOR_LLAVE_GRUPO", llave);
        guardado = DeAcceso().Encripta("secreto", 1);
    }
    const std::string contenido = c.Lee("llave-grupo");

    for (unsigned modo : {0640u, 0604u, 0666u}) {
        chmod(llave.c_str(), modo);
        Variable v("CONCENTRADOR_LLAVE_GRUPO", llave);
        DeAcceso a;
        EXPECT_EQ(a.DesEncripta(guardado, 1), "");
        EXPECT_TRUE(a.UltimoFallo());
        EXPECT_EQ(a.Encripta("otro", 1), "");
        EXPECT_FALSE(a.LlaveLista());
        EXPECT_NE(a.Problema().find(llave), std::string::npos) << a.Problema();
        EXPECT_NE(a.Problema().find("permisos"), std::string::npos) << a.Problema();
        prueba::Corrida r = Programa(c, llave, "--descifrar '" + guardado + "' --variante 1");
        EXPECT_EQ(r.estado, 1);
        EXPECT_EQ(r.salida, "");
        EXPECT_NE(r.mensajes.find("permisos"), std::string::npos) << r.mensajes;
        EXPECT_EQ(Permisos(llave), modo);
        EXPECT_EQ(c.Lee("llave-grupo"), contenido);
    }

    // The window or headless program does not start on it either.
    prueba::Corrida r = Programa(c, llave, "--sin-ventana --una-vez --modo 0 --carpeta '" + c.Ruta() + "'");
    EXPECT_EQ(r.estado, 1);
    EXPECT_NE(r.mensajes.find("No se puede usar la llave del grupo"), std::string::npos) << r.mensajes;

    // A key cut short, or grown, is no key.
    chmod(llave.c_str(), 0600);
    for (const std::string& otro : {contenido.substr(0, 31), contenido + "\n", std::string()}) {
        c.Escribe("llave-grupo", otro);
        Variable v("CONCENTRADOR_LLAVE_GRUPO", llave);
        DeAcceso a;
        EXPECT_EQ(a.Encripta("x"), "");
        EXPECT_NE(a.Problema().find("32"), std::string::npos) << a.Problema();
        EXPECT_EQ(c.Lee("llave-grupo"), otro);
    }
    c.Escribe("llave-grupo", contenido);
    Variable v("CONCENTRADOR_LLAVE_GRUPO", llave);
    EXPECT_EQ(DeAcceso().DesEncripta(guardado, 1), "secreto");
}

TEST(LlaveDelGrupo, FoundThroughTheVariableTheSettingsFileOrTheDefault) {
    prueba::CarpetaTemporal c;
    Variable sinVariable("CONCENTRADOR_LLAVE_GRUPO", std::nullopt);
    Variable casa("HOME", c.Archivo("casa"));
    const std::string ini = c.Archivo("programa/concentrador.ini");
    std::filesystem::create_directories(c.Archivo("programa"));

    DeAcceso a;
    EXPECT_EQ(a.ArchivoDeLlave(), c.Archivo("casa/.config/velnor/llave-grupo"));
    a.UsaArchivoIni(ini);  // no such setting yet
    EXPECT_EQ(a.ArchivoDeLlave(), c.Archivo("casa/.config/velnor/llave-grupo"));
    EXPECT_NE(a.Encripta("x"), "");
    EXPECT_EQ(Permisos(c.Archivo("casa/.config/velnor/llave-grupo")), 0600u);
    EXPECT_EQ(Permisos(c.Archivo("casa/.config/velnor")), 0700u);

    // A relative file of the settings is in the program folder.
    ASSERT_TRUE(EscribeIni("Configuración", "Archivo de llave del grupo", "llaves\\grupo.llave", ini));
    a.UsaArchivoIni(ini);
    EXPECT_EQ(a.ArchivoDeLlave(), c.Archivo("programa/llaves/grupo.llave"));
    const std::string guardado = a.Encripta("y");
    EXPECT_EQ(c.Lee("programa/llaves/grupo.llave").size(), 32u);
    ASSERT_TRUE(EscribeIni("Configuración", "Archivo de llave del grupo", c.Archivo("absoluta"), ini));
    a.UsaArchivoIni(ini);
    EXPECT_EQ(a.DesEncripta(guardado), "");
    EXPECT_EQ(c.Lee("absoluta").size(), 32u);

    // The variable comes first.
    Variable variable("CONCENTRADOR_LLAVE_GRUPO", c.Archivo("programa/llaves/grupo.llave"));
    a.UsaArchivoIni(ini);
    EXPECT_EQ(a.DesEncripta(guardado), "y");
}

TEST(LlaveDelGrupo, RegistryAndSettingsFilesStayPrivateThroughEveryWrite) {
    prueba::CarpetaTemporal c;
    DelRegistro r(c.Archivo("velnor/registro.ini"));
    ASSERT_TRUE(r.GrabarCadena("Software\\Velnor\\Concentradores", "01_Ruta", "/opt/cnc"));
    EXPECT_EQ(Permisos(c.Archivo("velnor/registro.ini")), 0600u);
    const std::string ini = c.Archivo("concentrador.ini");
    ASSERT_TRUE(EscribeIni("Configuración", "Minutos", "15", ini));
    EXPECT_EQ(Permisos(ini), 0600u);

    // Files made wider by hand are narrowed at the next write, which keeps what they held.
    chmod(c.Archivo("velnor/registro.ini").c_str(), 0644);
    chmod(ini.c_str(), 0666);
    ASSERT_TRUE(r.GrabarCadena("Software\\Velnor\\Concentradores", "01_BaseDeDatos", "datos1"));
    ASSERT_TRUE(r.BorrarValor("Software\\Velnor\\Concentradores", "01_BaseDeDatos"));
    ASSERT_TRUE(EscribeIni("Información", "Ultima conexión", "hoy", ini));
    EXPECT_EQ(Permisos(c.Archivo("velnor/registro.ini")), 0600u);
    EXPECT_EQ(Permisos(ini), 0600u);
    EXPECT_EQ(r.LeerCadena("Software\\Velnor\\Concentradores", "01_Ruta"), "/opt/cnc");
    EXPECT_EQ(LeeIni("Configuración", "Minutos", ini), "15");
    EXPECT_FALSE(HayArchivo(ini + ".tmp"));
}
