// The notice report written as a PDF with QtGui alone; the window and the command line share it.
#pragma once

#include <QString>

#include "core/puerto_ventana.h"
#include "notices/cls_impresion.h"

namespace cncui {

// Needs a QGuiApplication (offscreen will do). False when the file could not be written.
bool EscribeReportePdf(const cnc::ReporteDeAvisos& r, const QString& ruta);

// The report from the command line, with no desktop: the program folder prepared (PreparaModulo), the local
// server read as start-up would find it, messages to standard error. 0 when written, 1 when not.
int EjecutaReporte(const cnc::FiltroDeReporte& filtro, const std::string& ruta);

}  // namespace cncui
