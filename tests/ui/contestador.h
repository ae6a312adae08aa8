// Widget-test helpers: one offscreen QApplication for the whole run, and an operator that answers the real
// message boxes and the company window as they open.
#pragma once

#include <QColor>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <functional>
#include <vector>

#include "ui/ventana_qt.h"

namespace pruebaqt {

class Contestador {
  public:
    struct Caja {
        QString titulo, texto;
        std::vector<uint8_t> botones;  // button codes shown
        QStringList textos;            // and their captions
        uint8_t defecto = 0;           // code of the default button
        QMessageBox::Icon icono = QMessageBox::NoIcon;
    };
    struct Reja {
        QString titulo;
        QStringList encabezados, filas;  // rows as "base|empresa"
        int seleccionada = -1;
        bool focoEnReja = false;  // the grid held the focus when the window was seen
    };

    Contestador();
    // Answers in order: a button code, or 0 to press Enter. A box with no answer left is a test failure.
    std::deque<uint8_t> respuestas;
    // frmElegirEmpresa: the row to choose before "&Aceptar", or -1 to close the window.
    std::deque<int> empresas;
    // frmPideUsuario: the user and code typed before "Aceptar"; a user of "<cancelar>" presses "Cancelar".
    std::deque<std::pair<QString, QString>> firmas;
    // The colour dialog: the colour chosen, or an invalid colour to cancel.
    std::deque<QColor> colores;
    std::vector<Caja> cajas;
    std::vector<Reja> rejas;

  private:
    void Revisa();
    QTimer timer_;
    QPointer<QWidget> atendido_;
};

// The Qt port with the user prompt answered by the test (frmPideUsuario is not a widget of this window),
// beeps counted and a hook at every yield.
class VentanaDePrueba : public cncui::VentanaQt {
  public:
    using VentanaQt::VentanaQt;
    bool usuarioAutorizado = true;
    bool pideReal = false;  // the real frmPideUsuario, answered by the operator
    std::vector<std::string> documentos;
    bool bandeja = true;  // a desktop with a tray, unless the test says otherwise
    std::vector<int> modulosPedidos;
    int bips = 0;
    std::function<void()> alCeder;

    bool PideUsuario(int modulo) override {
        modulosPedidos.push_back(modulo);
        return pideReal ? VentanaQt::PideUsuario(modulo) : usuarioAutorizado;
    }
    // Nothing is opened on the machine running the tests.
    bool AbreDocumento(const std::string& ruta) override { return documentos.push_back(ruta), true; }
    void Bip() override { ++bips; }
    bool HayBandeja() const override { return bandeja; }
    void Ceder() override {
        if (alCeder) alCeder();
        VentanaQt::Ceder();
    }
};

// Lets events run until the condition holds or the milliseconds pass.
bool Espera(const std::function<bool()>& condicion, int ms = 3000);

}  // namespace pruebaqt
