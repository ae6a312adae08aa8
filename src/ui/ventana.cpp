#include "ui/ventana.h"

#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QSocketNotifier>
#include <QTranslator>
#include <clocale>
#include <memory>

#include "app/cls_de_inicio.h"
#include "app/comandos.h"
#include "core/shared_routines.h"
#include "ui/form1.h"
#include "ui/ventana_qt.h"

namespace {

int aviso[2] = {-1, -1};

// A signal only writes a byte; the event loop reads it and ends in order (a send under way finishes).
void AlTerminar(int) {
    const char c = 1;
    [[maybe_unused]] auto r = ::write(aviso[0], &c, 1);
}

}  // namespace

int EjecutaVentana(int argc, char** argv) {
    QApplication app(argc, argv);
    // Qt took the desktop's locale; numbers of the engine and of SQL keep the point as decimal separator.
    setlocale(LC_NUMERIC, "C");
    // Qt's own texts (the colour dialog, a text box's menu) in Spanish, as every other text of the window.
    QTranslator traduccion;
    if (traduccion.load(QLocale(QLocale::Spanish, QLocale::Mexico), "qtbase", "_",
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&traduccion);
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
        // Without a tray the main window stays in view: the notices read at start-up must not hide under it.
        puerto.SubeAvisos();
        // Once running, the session ending (SIGTERM) or Ctrl+C unloads the window as "Cerrar el programa"
        // would.
        std::unique_ptr<QSocketNotifier> notificador;
        if (::socketpair(AF_UNIX, SOCK_STREAM, 0, aviso) == 0) {
            notificador = std::make_unique<QSocketNotifier>(aviso[1], QSocketNotifier::Read);
            QObject::connect(notificador.get(), &QSocketNotifier::activated, &app, [] {
                char c;
                [[maybe_unused]] auto r = ::read(aviso[1], &c, 1);
                QCoreApplication::exit(0);
            });
            struct sigaction sa = {};
            sa.sa_handler = AlTerminar;
            sigemptyset(&sa.sa_mask);
            sa.sa_flags = SA_RESTART;
            sigaction(SIGTERM, &sa, nullptr);
            sigaction(SIGINT, &sa, nullptr);
        }
        puerto.EnBucle(true);
        app.exec();
        puerto.EnBucle(false);
        estado = 0;
        // The loop may also end from outside: unload as the window would.
        if (!puerto.Descargada()) cnc::DescargaVentana();
        signal(SIGTERM, SIG_DFL);
        signal(SIGINT, SIG_DFL);
        notificador.reset();
        for (int& f : aviso) {
            if (f >= 0) ::close(f);
            f = -1;
        }
    }
    cnc::Mod.Ventana = antes;
    return estado;
}
