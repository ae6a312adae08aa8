#include "core/reloj.h"

#include <chrono>
#include <thread>

namespace cnc {

kvtx8::FechaHora RelojDelSistema::Ahora() {
    return kvtx8::AhoraDelSistema();
}
void RelojDelSistema::Pausa(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace cnc
