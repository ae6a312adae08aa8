#include "connection/cls_ftp.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "core/shared_routines.h"
#include "sitio_lento.h"
#include "support/escenario.h"
#include "support/ftp.h"

using namespace cnc;
namespace fs = std::filesystem;

namespace {

#define REQUIERE_FTP(s) \
    if (!(s).Listo()) GTEST_SKIP() << "sin /usr/bin/python3 -m pyftpdlib"

const std::string kPlugins = "public_html/descargas/plugins/";

struct Avance {
    std::vector<int64_t> recibidos;
    std::vector<int64_t> totales;
};

}  // namespace

TEST(clsFTP, DownloadsInBlocksFindsNamesWithSpacesAndLeavesMissingFilesAlone) {
    prueba::ModuloAislado m;
    prueba::ServidorFTP s;
    REQUIERE_FTP(s);
    s.Escribe(kPlugins + "exacto.bin", prueba::Contenido(510));
    s.Escribe(kPlugins + "con espacios y más.bin", prueba::Contenido(600));

    clsFTP ftp;
    EXPECT_EQ(ftp.TipoDeTransferencia(), clsFTP::kAscii);
    EXPECT_EQ(ftp.Banderas(), 0u);
    ftp.SetModePassive();
    ftp.SetTransferBinary();
    EXPECT_EQ(ftp.Banderas(), 0x8000000u);
    Avance a;
    ftp.Progreso = [&](int64_t r, int64_t t) { a.recibidos.push_back(r), a.totales.push_back(t); };
    ASSERT_TRUE(ftp.OpenConnection(s.Host(), s.Usuario(), s.Password())) << ftp.GetLastErrorMessage();

    // A missing file: -1, and the local file is left as it was.
    m.carpeta.Escribe("viejo.bin", "contenido anterior");
    EXPECT_EQ(ftp.GetFTPFileSize(kPlugins + "no-existe.bin"), -1);
    EXPECT_EQ(ftp.GetFTPFileSize("carpeta-que-no-hay/x.bin"), -1);
    EXPECT_FALSE(ftp.FTPDownloadFile(m.carpeta.Archivo("viejo.bin"), kPlugins + "no-existe.bin"));
    EXPECT_EQ(m.carpeta.Lee("viejo.bin"), "contenido anterior");
    EXPECT_TRUE(a.recibidos.empty());
    EXPECT_FALSE(ftp.FTPDownloadFile("  ", kPlugins + "exacto.bin"));

    // 510 bytes: two whole blocks and no remainder; each block yields to the window.
    EXPECT_EQ(ftp.GetFTPFileSize(kPlugins + "exacto.bin"), 510);
    m.ventana.cedidas = 0;
    ASSERT_TRUE(ftp.FTPDownloadFile(m.carpeta.Archivo("exacto.bin"), kPlugins + "exacto.bin"))
        << ftp.GetLastErrorMessage();
    EXPECT_EQ(a.recibidos, (std::vector<int64_t>{255, 510, 510}));
    EXPECT_EQ(a.totales, (std::vector<int64_t>{510, 510, 510}));
    EXPECT_EQ(m.ventana.cedidas, 2);
    EXPECT_EQ(m.carpeta.Lee("exacto.bin"), prueba::Contenido(510));

    // A name with spaces; two blocks and a remainder of 90 bytes, over a longer older copy.
    a = {};
    m.carpeta.Escribe("espacios.bin", std::string(2000, 'x'));
    EXPECT_EQ(ftp.GetFTPFileSize(kPlugins + "con espacios y más.bin"), 600);
    ASSERT_TRUE(ftp.FTPDownloadFile(m.carpeta.Archivo("espacios.bin"), kPlugins + "con espacios y más.bin"));
    EXPECT_EQ(a.recibidos, (std::vector<int64_t>{255, 510, 600}));
    EXPECT_EQ(m.carpeta.Lee("espacios.bin"), prueba::Contenido(600));
    EXPECT_FALSE(fs::exists(m.carpeta.Archivo("espacios.bin.parcial")));

    // The plain get of the table, relative to a current directory.
    ASSERT_TRUE(ftp.SetFTPDirectory("public_html/descargas"));
    EXPECT_EQ(ftp.GetFTPDirectory(), "/public_html/descargas");
    ASSERT_TRUE(ftp.SimpleFTPGetFile(m.carpeta.Archivo("simple.bin"), "plugins/exacto.bin"));
    EXPECT_EQ(m.carpeta.Lee("simple.bin"), prueba::Contenido(510));
    ftp.CloseConnection();
    EXPECT_EQ(ftp.GetFTPFileSize(kPlugins + "exacto.bin"), -2);
}

TEST(clsFTP, ErrorTextsOfAFailedLoginAndOfTheServersRefusals) {
    prueba::ModuloAislado m;
    prueba::ServidorFTP s;
    REQUIERE_FTP(s);
    clsFTP ftp;
    ftp.SetModePassive();
    EXPECT_FALSE(ftp.OpenConnection(s.Host(), s.Usuario(), "otra clave"));
    EXPECT_EQ(ftp.GetLastErrorMessage(), "InternetConnect error code: 67 Message: Login denied");

    ASSERT_TRUE(ftp.OpenConnection(s.Host(), s.Usuario(), s.Password()));
    // The server said why: its last response is the message.
    EXPECT_FALSE(ftp.DeleteFTPFile("no-existe.txt"));
    EXPECT_EQ(ftp.GetLastErrorMessage().substr(0, 4), "550 ");
    EXPECT_FALSE(ftp.SetFTPDirectory("no-existe"));
    EXPECT_EQ(ftp.GetLastErrorMessage().substr(0, 4), "550 ");
    EXPECT_EQ(ftp.GetFTPDirectory(), "/");

    // Nobody listening.
    clsFTP nadie;
    EXPECT_FALSE(nadie.OpenConnection("127.0.0.1:1", "u", "p"));
    EXPECT_EQ(nadie.GetLastErrorMessage().rfind("InternetConnect error code: 7 Message: ", 0), 0u)
        << nadie.GetLastErrorMessage();
}

TEST(clsFTP, UploadsRenamesFoldersListingsAndDeletions) {
    prueba::ModuloAislado m;
    prueba::ServidorFTP s;
    REQUIERE_FTP(s);
    clsFTP ftp;
    ftp.SetModePassive();
    ftp.SetTransferBinary();
    ASSERT_TRUE(ftp.OpenConnection(s.Host(), s.Usuario(), s.Password()));

    ASSERT_TRUE(ftp.CreateFTPDirectory("subida")) << ftp.GetLastErrorMessage();
    m.carpeta.Escribe("origen.bin", prueba::Contenido(700));
    ASSERT_TRUE(ftp.SimpleFTPPutFile(m.carpeta.Archivo("origen.bin"), "subida/simple.bin"));
    EXPECT_EQ(s.Lee("subida/simple.bin"), prueba::Contenido(700));

    // Block upload: 255, 255, 190; stopping it midway fails the upload.
    std::vector<int64_t> enviados;
    ftp.Progreso = [&](int64_t e, int64_t) { enviados.push_back(e); };
    ASSERT_TRUE(ftp.SetFTPDirectory("subida"));
    ASSERT_TRUE(ftp.FTPUploadFile(m.carpeta.Archivo("origen.bin"), "bloques.bin"));
    EXPECT_EQ(enviados, (std::vector<int64_t>{255, 510, 700}));
    EXPECT_EQ(s.Lee("subida/bloques.bin"), prueba::Contenido(700));
    ftp.Progreso = [&](int64_t, int64_t) { ftp.blSigue(false); };
    EXPECT_FALSE(ftp.FTPUploadFile(m.carpeta.Archivo("origen.bin"), "detenido.bin"));
    EXPECT_EQ(ftp.GetLastErrorMessage().rfind("InternetWriteFile error code: 42", 0), 0u)
        << ftp.GetLastErrorMessage();
    ftp.Progreso = nullptr;
    ftp.blSigue(true);

    ASSERT_TRUE(ftp.RenameFTPFile("simple.bin", "renombrado.bin")) << ftp.GetLastErrorMessage();
    EXPECT_FALSE(s.Existe("subida/simple.bin"));
    EXPECT_TRUE(s.Existe("subida/renombrado.bin"));
    ASSERT_TRUE(ftp.CreateFTPDirectory("interna"));

    const cDirList& l = ftp.GetDirectoryListing("*.bin");
    ASSERT_NE(l.Item("renombrado.bin"), nullptr);
    EXPECT_EQ(l.Item("renombrado.bin")->Size, 700);
    EXPECT_TRUE(l.Item("renombrado.bin")->Normal);
    EXPECT_FALSE(l.Item("renombrado.bin")->Directory);
    EXPECT_GE(l.Item("renombrado.bin")->LastWriteTime.anio, 2000);
    EXPECT_EQ(l.Item("interna"), nullptr);
    EXPECT_EQ(ftp.Directory().count(), l.count());
    const cDirList& todo = ftp.GetDirectoryListing("/subida/*");
    ASSERT_NE(todo.Item("interna"), nullptr);
    EXPECT_TRUE(todo.Item("interna")->Directory);

    ASSERT_TRUE(ftp.DeleteFTPFile("renombrado.bin"));
    EXPECT_FALSE(s.Existe("subida/renombrado.bin"));
    ASSERT_TRUE(ftp.RemoveFTPDirectory("interna"));
    EXPECT_FALSE(s.Existe("subida/interna"));
    ASSERT_TRUE(ftp.SetFTPDirectory(".."));
    EXPECT_EQ(ftp.GetFTPDirectory(), "/");
}

TEST(clsFTP, ADroppedTransferLeavesNoFileBehind) {
    prueba::ModuloAislado m;
    prueba::ServidorFTP s;
    REQUIERE_FTP(s);
    // Far more than the sockets buffer, so most of it is still on the server when it dies.
    s.Escribe(kPlugins + "grande.bin", prueba::Contenido(48u << 20));
    clsFTP ftp;
    ftp.SetModePassive();
    ftp.SetTransferBinary();
    ASSERT_TRUE(ftp.OpenConnection(s.Host(), s.Usuario(), s.Password()));
    int bloques = 0;
    ftp.Progreso = [&](int64_t, int64_t) {
        if (++bloques == 1) s.Mata();
    };
    m.carpeta.Escribe("grande.bin", "copia anterior");
    EXPECT_FALSE(ftp.FTPDownloadFile(m.carpeta.Archivo("grande.bin"), kPlugins + "grande.bin"));
    EXPECT_EQ(ftp.GetLastErrorMessage().rfind("InternetReadFile error code: ", 0), 0u)
        << ftp.GetLastErrorMessage();
    EXPECT_EQ(m.carpeta.Lee("grande.bin"), "copia anterior");
    EXPECT_FALSE(fs::exists(m.carpeta.Archivo("grande.bin.parcial")));
}

TEST(clsFTP, ATrickleIsGivenUpWithinTheTimeLimitsAndLeavesNoFile) {
    prueba::ModuloAislado m;
    struct Caso {
        const char* que;
        size_t bytes;
        int ms;
        long porArchivo, lento;
    } casos[] = {
        // Never slow enough to count as stalled, yet a megabyte would take minutes.
        {"por archivo", 255, 100, 2, 30},
        // A few bytes a second.
        {"lento", 1, 100, 600, 2},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.que);
        prueba::SitioLento sitio(prueba::Contenido(1u << 20), c.bytes, c.ms);
        ASSERT_TRUE(sitio.Listo());
        clsFTP ftp;
        ftp.SetModePassive();
        ftp.SetTransferBinary();
        ftp.SetLimiteDeTiempo(c.porArchivo);
        ftp.SetVelocidadMinima(100, c.lento);
        ASSERT_TRUE(ftp.OpenConnection(sitio.Host(), "u", "p")) << ftp.GetLastErrorMessage();
        const auto inicio = std::chrono::steady_clock::now();
        EXPECT_FALSE(ftp.FTPDownloadFile(m.carpeta.Archivo("lento.bin"), kPlugins + "lento.bin"));
        const double segundos =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();
        EXPECT_LT(segundos, std::min(c.porArchivo, c.lento) + 3.0);
        EXPECT_EQ(ftp.GetLastErrorMessage().rfind("InternetReadFile error code: 28 ", 0), 0u)
            << ftp.GetLastErrorMessage();
        EXPECT_FALSE(fs::exists(m.carpeta.Archivo("lento.bin")));
        EXPECT_FALSE(fs::exists(m.carpeta.Archivo("lento.bin.parcial")));
    }
}
