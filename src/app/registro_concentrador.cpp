#include "connection/cls_descargas.h"

namespace cnc {

void clsDescargas::RegistrarConcentrador() {}
void clsDescargas::EmpresaCorrecta(bool& correcto) { correcto = true; }
void clsDescargas::GrabaBaseDeDatos() {}

}  // namespace cnc
