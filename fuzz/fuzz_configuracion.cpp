// The settings file, read key by key as start-up reads it.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "components/utilerias.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, size_t n) {
    // In memory: the writes sync the file.
    static const std::string archivo = [] {
        std::atexit([] { unlink(("/dev/shm/fuzz_configuracion." + std::to_string(getpid()) + ".ini").c_str()); });
        return "/dev/shm/fuzz_configuracion." + std::to_string(getpid()) + ".ini";
    }();
    {
        std::ofstream f(archivo, std::ios::binary | std::ios::trunc);
        f.write(reinterpret_cast<const char*>(datos), static_cast<std::streamsize>(n));
    }
    for (const char* seccion : {"Configuracion", "Conexion", ""}) {
        kvtx8::LeeIni(seccion, "Servidor", archivo);
        kvtx8::HayClaveIni(seccion, "Puerto", archivo);
    }
    kvtx8::EscribeIni("Configuracion", "Prueba", "1", archivo);
    kvtx8::LeeIni("Configuracion", "Prueba", archivo);
    return 0;
}
