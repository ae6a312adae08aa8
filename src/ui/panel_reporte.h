// The notice report panel (Picture3) of the main window: dates, user, read state and order, "Imprimir" and
// "Regresar". It only reads its controls; the engine chooses and writes the report.
#pragma once

class QFrame;

namespace cncui {

// Fills the (empty) panel with its controls.
void ArmaPanelDeReporte(QFrame* panel);

}  // namespace cncui
