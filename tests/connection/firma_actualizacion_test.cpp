#include "connection/firma_actualizacion.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "components/utilerias.h"
#include "support/escenario.h"

using namespace cnc;
namespace fs = std::filesystem;

namespace {

std::string Comillas(const std::string& s) {
    return "'" + s + "'";
}

}  // namespace

TEST(FirmaActualizacion, APublishersKeysSignFilesThatVerifyOnlyAsTheyWereSigned) {
    prueba::CarpetaTemporal c;
    std::string error;
    ASSERT_TRUE(CreaLlaves(c.Archivo("editor"), error)) << error;
    const std::string publica = kvtx8::Recorta(c.Lee("editor.publica"));
    struct stat st {};
    ASSERT_EQ(stat(c.Archivo("editor.secreta").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    // Keys are never replaced: a second pair under the same name would orphan every signed file.
    c.Escribe("antes.publica", "la de antes");
    EXPECT_FALSE(CreaLlaves(c.Archivo("editor"), error));
    EXPECT_FALSE(CreaLlaves(c.Archivo("antes"), error));
    EXPECT_EQ(c.Lee("antes.publica"), "la de antes");
    EXPECT_FALSE(fs::exists(c.Archivo("antes.secreta")));
    EXPECT_EQ(kvtx8::Recorta(c.Lee("editor.publica")), publica);

    const std::string datos = std::string("\0\x01 actualización \xff", 18) + std::string(1000, 'z');
    c.Escribe("paquete.bin", datos);
    ASSERT_TRUE(FirmaArchivo(c.Archivo("paquete.bin"), c.Archivo("editor.secreta"), error)) << error;
    EXPECT_EQ(c.Lee("paquete.bin.firma").size(), 64u);
    EXPECT_TRUE(FirmaValida(c.Archivo("paquete.bin"), c.Archivo("paquete.bin.firma"), publica));

    // One byte changed, one more or one less; a cut signature; a key that is not one.
    for (const std::string& otro : {std::string(datos).replace(5, 1, "X"), datos + " ", datos.substr(1)}) {
        c.Escribe("otro.bin", otro);
        EXPECT_FALSE(FirmaValida(c.Archivo("otro.bin"), c.Archivo("paquete.bin.firma"), publica));
    }
    c.Escribe("corta.firma", c.Lee("paquete.bin.firma").substr(0, 63));
    EXPECT_FALSE(FirmaValida(c.Archivo("paquete.bin"), c.Archivo("corta.firma"), publica));
    for (const std::string& llave : {std::string(), std::string("no es base64"), publica.substr(4)})
        EXPECT_FALSE(FirmaValida(c.Archivo("paquete.bin"), c.Archivo("paquete.bin.firma"), llave)) << llave;
    EXPECT_FALSE(FirmaValida(c.Archivo("no-existe.bin"), c.Archivo("paquete.bin.firma"), publica));
    EXPECT_FALSE(FirmaArchivo(c.Archivo("paquete.bin"), c.Archivo("editor.publica"), error));
    EXPECT_FALSE(FirmaArchivo(c.Archivo("no-existe.bin"), c.Archivo("editor.secreta"), error));
}

TEST(FirmaActualizacion, ThePublisherSignsFromTheCommandLine) {
    prueba::CarpetaTemporal c;
    const std::string programa = CONCENTRADOR_BINARIO;
    const std::string prefijo = c.Archivo("llaves de editor");
    ASSERT_EQ(prueba::Sistema(programa + " --crear-llaves " + Comillas(prefijo)), 0);
    struct stat st {};
    ASSERT_EQ(stat((prefijo + ".secreta").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_NE(prueba::Sistema(programa + " --crear-llaves " + Comillas(prefijo) + " 2>/dev/null"), 0);

    c.Escribe("concentrador", std::string(3000, 'c'));
    ASSERT_EQ(prueba::Sistema(programa + " --firmar " + Comillas(c.Archivo("concentrador")) +
                              " --llave-secreta " + Comillas(prefijo + ".secreta")),
              0);
    EXPECT_TRUE(FirmaValida(c.Archivo("concentrador"), c.Archivo("concentrador.firma"),
                            c.Lee("llaves de editor.publica")));
    // Without its key, or with the public one, nothing is signed.
    EXPECT_NE(prueba::Sistema(programa + " --firmar " + Comillas(c.Archivo("concentrador")) + " 2>/dev/null"),
              0);
    fs::remove(c.Archivo("concentrador.firma"));
    EXPECT_NE(prueba::Sistema(programa + " --firmar " + Comillas(c.Archivo("concentrador")) +
                              " --llave-secreta " + Comillas(prefijo + ".publica") + " 2>/dev/null"),
              0);
    EXPECT_FALSE(fs::exists(c.Archivo("concentrador.firma")));
}
