// Headless output under a service manager: every line a journal entry with its priority.
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "cli/ventana_sin_ventana.h"

namespace {

std::string Todo(std::FILE* f) {
    std::fflush(f);
    std::rewind(f);
    std::string s;
    for (int c; (c = std::fgetc(f)) != EOF;) s += static_cast<char>(c);
    return s;
}

}  // namespace

TEST(SinVentana, NoticesAndMessagesReachTheJournalAsEntriesWithTheirPriority) {
    cnc::NotaDeAviso nota;
    nota.titulo = "(7) 08/dic/26 - 10:00:00";
    nota.texto = "Grupo nuevo: \"ALMACEN\"\r\n\r\nGrupo modificado: \"CAJEROS\"";

    std::FILE* diario = std::tmpfile();
    ASSERT_NE(diario, nullptr);
    struct stat st {};
    ASSERT_EQ(fstat(fileno(diario), &st), 0);
    const std::string js = std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
    setenv("JOURNAL_STREAM", js.c_str(), 1);
    {
        cnc::VentanaSinVentana v(false, diario, diario);
        v.AbreAviso(nota);
        v.Aviso("Para envio automatico faltan 5 minutos");
    }
    EXPECT_EQ(Todo(diario),
              "<6>(7) 08/dic/26 - 10:00:00\n<6>Grupo nuevo: \"ALMACEN\"\n<6>\n<6>Grupo modificado: \"CAJEROS\"\n"
              "<6>[Aviso del concentrador] Para envio automatico faltan 5 minutos\n");
    std::fclose(diario);

    // On a terminal the notice is a block of its own, parted by a blank line.
    unsetenv("JOURNAL_STREAM");
    std::FILE* terminal = std::tmpfile();
    ASSERT_NE(terminal, nullptr);
    {
        cnc::VentanaSinVentana v(false, terminal, terminal);
        v.AbreAviso(nota);
    }
    EXPECT_EQ(Todo(terminal),
              "(7) 08/dic/26 - 10:00:00\nGrupo nuevo: \"ALMACEN\"\n\nGrupo modificado: \"CAJEROS\"\n\n");
    std::fclose(terminal);
}
