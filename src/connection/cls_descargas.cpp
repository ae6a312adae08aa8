#include "connection/cls_descargas.h"

namespace cnc {

void clsDescargas::VerificaVersiones(bool&, bool&, bool& terminar) { terminar = false; }
void clsDescargas::AvisaAuxiliar() {}
void PreparaDatosDelSitio() {}

}  // namespace cnc
