#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "core/archivo_de_trabajo.h"
#include "core/shared_routines.h"

using namespace cnc;
namespace fs = std::filesystem;

TEST(ArchivoDeTrabajo, HoldsTheBytesAsGivenAndNeverOutlivesItsRow) {
    const fs::path carpeta = fs::temp_directory_path() / "cnc_archivo_de_trabajo";
    fs::create_directories(carpeta);
    const std::string antes = Mod.Carpeta;
    Mod.Carpeta = carpeta.string();
    const std::string bytes("uno\r\ndos\0tres\xff", 14);
    std::string leido;
    {
        ArchivoDeTrabajo trabajo(bytes);
        ASSERT_TRUE(trabajo.Escrito());
        EXPECT_EQ(trabajo.Ruta(), (carpeta / "extraido.txt").string());
        ASSERT_TRUE(LeeArchivoCompleto(trabajo.Ruta(), leido));
        EXPECT_EQ(leido, bytes);
    }
    EXPECT_FALSE(fs::exists(carpeta / "extraido.txt"));
    // A handler that throws still leaves no file behind.
    try {
        ArchivoDeTrabajo trabajo("x");
        throw std::runtime_error("falla");
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(fs::exists(carpeta / "extraido.txt"));
    EXPECT_FALSE(LeeArchivoCompleto((carpeta / "no-esta.txt").string(), leido));
    Mod.Carpeta = antes;
    fs::remove_all(carpeta);
}

TEST(ArchivoDeTrabajo, LinesEndInCrLfOrLfAlike) {
    using V = std::vector<std::string>;
    EXPECT_EQ(LineasDe("a\r\nb\r\n"), LineasDe("a\nb\n"));
    EXPECT_EQ(LineasDe("a\r\nb\r\n"), (V{"a", "b"}));
    EXPECT_EQ(LineasDe("a\n\nb"), (V{"a", "", "b"}));
    EXPECT_EQ(LineasDe(""), V{});
    EXPECT_EQ(LineasDe("\n"), V{""});
    // A lone CR inside a line is data; a CR at the very end without LF too.
    EXPECT_EQ(LineasDe("a\rb\r"), V{"a\rb\r"});
}
