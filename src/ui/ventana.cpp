#include "ui/ventana.h"

#include <QApplication>

#include "app/cls_de_inicio.h"
#include "app/comandos.h"
#include "app/shared_routines.h"
#include "ui/form1.h"
#include "ui/ventana_qt.h"

int EjecutaVentana(int argc, char** argv) {
    QApplication app(argc, argv);
    // A tray program: hiding or closing the last window does not end it.
    app.setQuitOnLastWindowClosed(false);
    cncui::Form1 form;
    cncui::VentanaQt puerto(form);
    cnc::PuertoVentana* antes = cnc::Mod.Ventana;
    cnc::Mod.Ventana = &puerto;

    int estado = 1;
    if (cnc::Form1_Load() && !puerto.Descargada()) {
        // The window starts in the tray, unless start-up asked for it or the connection data are missing
        // (the panel that asks for them must be seen).
        if (puerto.Restaurada() || !cnc::Form1().DatosPresentes)
            form.show();
        else
            puerto.Minimiza();
        app.exec();
        estado = 0;
        // The loop may also end from outside (the session closing): unload as the window would.
        if (!puerto.Descargada()) cnc::DescargaVentana();
    }
    cnc::Mod.Ventana = antes;
    return estado;
}
