#include "app/comandos.h"

namespace cnc {

namespace {
EstadoForm1 estado;
}

EstadoForm1& Form1() {
    return estado;
}
void ReiniciaForm1() {
    estado = EstadoForm1{};
}

bool Form1_Load() {
    return false;
}
void Form_Activate() {}
void Form_Resize(bool) {}
void Form_DblClick() {}
bool Form_QueryUnload() {
    return true;
}
void Form_Unload() {}
void MouseMove(int) {}
void Timer1_Timer() {}
void Timer2_Timer() {}
void cmdEnviar_Click() {}
void Command10_Click() {}
void Command12_Click() {}
void Command14_Click() {}
void Command11_Click() {}
void Command13_Click() {}
void cmdCerrar_Click() {}
void cmdTerminar_Click() {}
void Command1_Click() {}
void Command5_Click() {}
void Command6_Click() {}
void Command7_Click() {}
bool txtMinutos_Validate(const std::string&) {
    return true;
}
bool txtAvisos_Validate(const std::string&) {
    return true;
}
void chkAvisos_Click(bool) {}
bool cmdGrabar_Click(const std::string&, const std::string&, bool, bool, bool) {
    return false;
}
void cmdRegresar_Click() {}
void cmdConexion_Click() {}
bool Command2_Click(const DatosDeConexion&) {
    return false;
}
bool Command3_Click(const DatosDeConexion&) {
    return false;
}
void Command4_Click() {}
void chkVer_Click() {}
bool frmElegirEmpresa_cmdAceptar(const std::vector<FilaEmpresa>&, int) {
    return true;
}

}  // namespace cnc
