// What the main window and its dialogs call: one engine operation per button, timer or field event.
// The widgets hold no logic; what the window must show comes back through the window port, with controls
// named as in the design ("lblInfo", "Picture4", array elements as "Label(7)" or "txtConecte(3)").
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "connection/cls_descargas.h"
#include "core/puerto_ventana.h"
#include "notices/cls_impresion.h"

namespace cnc {

// State the main window keeps; the engine owns it so that the headless mode runs the same logic.
struct EstadoForm1 {
    uint8_t Segundos = 0;  // countdown counters
    int16_t Minutos = 0;
    bool PrimeraActivacion = true;
    bool Timer1 = false;
    bool Timer2 = false;
    bool Minimizada = false;
    bool Descargada = false;  // unloaded: the program ends
    bool Picture1 = true;     // panel visibility
    bool Picture2 = false;
    bool Picture4 = false;
    bool Picture3 = false;
    bool Label7Visible = false;  // the blinking "Enviando información... " label
    std::string Label7Tag;
    bool UsuarioVisible = false;  // chkVer: user and password shown unmasked
    bool DatosPresentes = false;  // the ESPEJO connection data were found at start-up
    bool FinPedido = false;       // the program was asked to end (headless: a signal)
};
EstadoForm1& Form1();
void ReiniciaForm1();

// Main window.
// Start-up; false when the program must end (the window is not shown).
bool Form1_Load();
void Form_Activate();
void Form_Resize(bool minimizada);
void Form_DblClick();
// The close box: true cancels the close (the window only goes to the tray).
bool Form_QueryUnload();
void Form_Unload();
// Tray events arrive as the x value of a mouse move (514 left, 517 right button released).
void MouseMove(int x);

void Timer1_Timer();
void Timer2_Timer();

void cmdEnviar_Click();
void Command10_Click();
void Command12_Click();
void Command14_Click();
void Command11_Click();
void Command13_Click();
void cmdCerrar_Click();
void cmdTerminar_Click();
void Command1_Click();
void Command5_Click();
void Command6_Click();
void Command7_Click();

// Notice report panel (Picture3): "Imprimir" writes the report to bitacora.pdf in the program folder and
// opens it; "Regresar" brings the main panel back.
bool Command9_Click(const FiltroDeReporte& filtro);
void Command8_Click();
// A notice window's "Concentrador": the main window restored when minimised, else minimised.
void frmPostit_Command1();

// Settings panel (Picture4). A field that fails keeps the focus; the engine beeps.
bool txtMinutos_Validate(const std::string& texto);
bool txtAvisos_Validate(const std::string& texto);
void chkAvisos_Click(bool marcado);
// True when all five settings were stored. Once the hub schema opens the panel closes on the settings the
// server holds, and the operator is told which ones were not stored.
bool cmdGrabar_Click(const std::string& minutos, const std::string& avisos, bool chkAvisos, bool chkActualiza,
                     bool chkSoloRespaldar);
void cmdRegresar_Click();
void cmdConexion_Click();

// Connection-data panel (Picture2): the texts of txtConecte(0..4).
struct DatosDeConexion {
    std::string servidor, base, puerto, usuario, password;
};
// True when the company row was updated; otherwise the box says why. The panel is left either way.
bool Command2_Click(const DatosDeConexion& d);
// "Probar": true when the connection opened.
bool Command3_Click(const DatosDeConexion& d);
void Command4_Click();
void chkVer_Click();

}  // namespace cnc
