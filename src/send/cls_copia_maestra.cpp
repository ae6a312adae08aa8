#include "send/cls_copia_maestra.h"

namespace cnc {

void clsCopiaMaestra::PasarTablasYrecibir(int&, kvtx8::Conexion&, kvtx8::Conexion&, kvtx8::Conexion&,
                                          kvtx8::Conexion&, std::string&, bool&) {}

}  // namespace cnc
