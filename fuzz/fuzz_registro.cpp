// The registry file: whatever lies in it is read or called damaged, and a damaged one is never rewritten.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "components/del_registro.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, size_t n) {
    // In memory: the writes sync the file.
    static const std::string archivo = [] {
        std::atexit([] { unlink(("/dev/shm/fuzz_registro." + std::to_string(getpid()) + ".ini").c_str()); });
        return "/dev/shm/fuzz_registro." + std::to_string(getpid()) + ".ini";
    }();
    {
        std::ofstream f(archivo, std::ios::binary | std::ios::trunc);
        f.write(reinterpret_cast<const char*>(datos), static_cast<std::streamsize>(n));
    }
    kvtx8::DelRegistro r(archivo);
    const bool danado = r.Danado();
    for (const auto& llave : r.Llaves(""))
        for (const auto& valor : r.Valores(llave)) r.LeerCadena(llave, valor);
    r.BuscarRegistroT8X("/srv/tarvena");
    r.DatosT8X("Ruta");
    if (r.GrabarCadena("Software\\Prueba", "Valor", "dato") == danado) std::abort();
    return 0;
}
