#include "notices/notice_store.h"

namespace cnc {

void GrabarAviso(kvtx8::Conexion&, const std::string&, int) {}
void LimpiaUltimosAvisos() {}

}  // namespace cnc
