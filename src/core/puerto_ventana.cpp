#include "core/puerto_ventana.h"

namespace cnc {

const char* NombreDe(Control c) {
    switch (c) {
        case Control::Form1:
            return "Form1";
        case Control::Label2:
            return "Label2";
        case Control::Label3:
            return "Label3";
        case Control::Label4:
            return "Label4";
        case Control::Label11:
            return "Label11";
        case Control::Label12:
            return "Label12";
        case Control::Label13:
            return "Label13";
        case Control::lblInfo:
            return "lblInfo";
        case Control::Label_5:
            return "Label(5)";
        case Control::Label_6:
            return "Label(6)";
        case Control::Label_7:
            return "Label(7)";
        case Control::Label_9:
            return "Label(9)";
        case Control::Label_10:
            return "Label(10)";
        case Control::Label_11:
            return "Label(11)";
        case Control::Label_12:
            return "Label(12)";
        case Control::Label_13:
            return "Label(13)";
        case Control::Progreso:
            return "Progreso";
        case Control::Etapa:
            return "Etapa";
        case Control::TablaActual:
            return "TablaActual";
        case Control::lblEstatus:
            return "lblEstatus";
        case Control::Picture1:
            return "Picture1";
        case Control::Picture2:
            return "Picture2";
        case Control::Picture4:
            return "Picture4";
        case Control::Picture3:
            return "Picture3";
        case Control::cmdEnviar:
            return "cmdEnviar";
        case Control::cmdCerrar:
            return "cmdCerrar";
        case Control::cmdTerminar:
            return "cmdTerminar";
        case Control::Command1:
            return "Command1";
        case Control::Command5:
            return "Command5";
        case Control::Command6:
            return "Command6";
        case Control::Command7:
            return "Command7";
        case Control::Command10:
            return "Command10";
        case Control::Command11:
            return "Command11";
        case Control::Command12:
            return "Command12";
        case Control::Command13:
            return "Command13";
        case Control::Command14:
            return "Command14";
        case Control::mkeFecha_0:
            return "mkeFecha(0)";
        case Control::mkeFecha_1:
            return "mkeFecha(1)";
        case Control::txtUsuario:
            return "txtUsuario";
        case Control::txtMinutos:
            return "txtMinutos";
        case Control::txtAvisos:
            return "txtAvisos";
        case Control::chkAvisos:
            return "chkAvisos";
        case Control::chkActualiza:
            return "chkActualiza";
        case Control::chkSoloRespaldar:
            return "chkSoloRespaldar";
        case Control::cmdConexion:
            return "cmdConexion";
        case Control::txtConecte_0:
            return "txtConecte(0)";
        case Control::txtConecte_1:
            return "txtConecte(1)";
        case Control::txtConecte_2:
            return "txtConecte(2)";
        case Control::txtConecte_3:
            return "txtConecte(3)";
        case Control::txtConecte_4:
            return "txtConecte(4)";
        case Control::Timer1:
            return "Timer1";
        case Control::Timer2:
            return "Timer2";
        case Control::mfgReja:
            return "mfgReja";
    }
    return "";
}

std::vector<uint8_t> BotonesDe(int estilo) {
    switch (estilo & 7) {
        case kOKCancelar:
            return {kOK, kCancelar};
        case kAbortarReintentarIgnorar:
            return {kAbortar, kReintentar, kIgnorar};
        case kSiNoCancelar:
            return {kSi, kNo, kCancelar};
        case kSiNo:
            return {kSi, kNo};
        case kReintentarCancelar:
            return {kReintentar, kCancelar};
        default:
            return {kOK};
    }
}

uint8_t BotonPorDefecto(int estilo) {
    const auto b = BotonesDe(estilo);
    size_t i = (estilo & kTercerBoton) ? 2 : (estilo & kSegundoBoton) ? 1 : 0;
    return b[i < b.size() ? i : 0];
}

}  // namespace cnc
