#include "contestador.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QColorDialog>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QThread>

#include "core/puerto_ventana.h"
#include "ui/frm_elegir_empresa.h"
#include "ui/frm_pide_usuario.h"

namespace pruebaqt {

namespace {

QtMessageHandler anterior = nullptr;

// The offscreen platform warns at every window shown; that noise hides what matters.
void Mensajes(QtMsgType tipo, const QMessageLogContext& contexto, const QString& texto) {
    if (texto.startsWith("This plugin does not support")) return;
    if (anterior) anterior(tipo, contexto, texto);
}

// The application lives for the whole run; widgets need it before the first test builds one.
class EntornoQt : public ::testing::Environment {
  public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char nombre[] = "test_ui";
        static char* argv[] = {nombre, nullptr};
        anterior = qInstallMessageHandler(Mensajes);
        app_ = new QApplication(argc, argv);
        app_->setQuitOnLastWindowClosed(false);
    }
    void TearDown() override { delete app_; }

  private:
    QApplication* app_ = nullptr;
};

[[maybe_unused]] const auto* entorno = ::testing::AddGlobalTestEnvironment(new EntornoQt);

const uint8_t kCodigos[] = {cnc::kOK,      cnc::kCancelar, cnc::kAbortar, cnc::kReintentar,
                            cnc::kIgnorar, cnc::kSi,       cnc::kNo};
const QMessageBox::StandardButton kBotones[] = {QMessageBox::Ok,    QMessageBox::Cancel, QMessageBox::Abort,
                                                QMessageBox::Retry, QMessageBox::Ignore, QMessageBox::Yes,
                                                QMessageBox::No};

}  // namespace

Contestador::Contestador() {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Revisa(); });
    timer_.start();
}

void Contestador::Revisa() {
    QWidget* w = QApplication::activeModalWidget();
    if (!w || w == atendido_) return;
    atendido_ = w;
    if (auto* caja = qobject_cast<QMessageBox*>(w)) {
        Caja c{caja->windowTitle(), caja->text(), {}, {}, 0, caja->icon()};
        for (size_t i = 0; i < std::size(kCodigos); ++i) {
            QAbstractButton* b = caja->button(kBotones[i]);
            if (!b) continue;
            c.botones.push_back(kCodigos[i]);
            c.textos << b->text();
            if (b == caja->defaultButton()) c.defecto = kCodigos[i];
        }
        cajas.push_back(c);
        uint8_t r = c.defecto;
        if (respuestas.empty()) {
            ADD_FAILURE() << "caja sin respuesta: " << c.titulo.toStdString() << ": "
                          << c.texto.toStdString();
        } else {
            r = respuestas.front();
            respuestas.pop_front();
        }
        // Queued, so that a box opened by the answer finds this timer free to answer it too.
        if (r == 0) {
            QMetaObject::invokeMethod(
                caja, [caja] { QTest::keyClick(caja, Qt::Key_Return); }, Qt::QueuedConnection);
        } else {
            for (size_t i = 0; i < std::size(kCodigos); ++i)
                if (kCodigos[i] == r && caja->button(kBotones[i]))
                    QMetaObject::invokeMethod(caja->button(kBotones[i]), &QAbstractButton::click,
                                              Qt::QueuedConnection);
        }
        return;
    }
    if (auto* dialogo = qobject_cast<QColorDialog*>(w)) {
        QColor c;
        if (colores.empty())
            ADD_FAILURE() << "diálogo de color sin respuesta";
        else
            c = colores.front(), colores.pop_front();
        if (c.isValid()) dialogo->setCurrentColor(c);
        QMetaObject::invokeMethod(dialogo, c.isValid() ? &QDialog::accept : &QDialog::reject,
                                  Qt::QueuedConnection);
        return;
    }
    if (auto* ventana = qobject_cast<cncui::frmPideUsuario*>(w)) {
        if (firmas.empty()) {
            ADD_FAILURE() << "frmPideUsuario sin respuesta";
            QMetaObject::invokeMethod(ventana, &QDialog::reject, Qt::QueuedConnection);
            return;
        }
        const auto [usuario, codigo] = firmas.front();
        firmas.pop_front();
        if (usuario == "<cancelar>") {
            QMetaObject::invokeMethod(ventana->findChild<QPushButton*>("cmdCancelar"),
                                      &QAbstractButton::click, Qt::QueuedConnection);
            return;
        }
        auto* t0 = ventana->findChild<QLineEdit*>("txtDato(0)");
        auto* t1 = ventana->findChild<QLineEdit*>("txtDato(1)");
        QMetaObject::invokeMethod(
            ventana,
            [=, u = usuario, c = codigo] {
                t0->setText(u);
                t1->setFocus(Qt::TabFocusReason);
                t1->setText(c);
                // Enter in the code signs, as the operator would.
                QTest::keyClick(t1, Qt::Key_Return);
            },
            Qt::QueuedConnection);
        // A refusal's box takes the turn, so the prompt still open afterwards is served again.
        return;
    }
    if (auto* ventana = qobject_cast<cncui::frmElegirEmpresa*>(w)) {
        auto* reja = ventana->findChild<QTableWidget*>("mfgReja");
        Reja r{ventana->windowTitle(), {}, {}, reja->currentRow(), ventana->focusWidget() == reja};
        for (int c = 0; c < reja->columnCount(); ++c) r.encabezados << reja->horizontalHeaderItem(c)->text();
        for (int f = 0; f < reja->rowCount(); ++f)
            r.filas << reja->item(f, 0)->text() + "|" + reja->item(f, 1)->text();
        rejas.push_back(r);
        int fila = -1;
        if (empresas.empty())
            ADD_FAILURE() << "frmElegirEmpresa sin respuesta";
        else
            fila = empresas.front(), empresas.pop_front();
        if (fila < 0) {
            QMetaObject::invokeMethod(ventana, &QDialog::reject, Qt::QueuedConnection);
        } else {
            reja->selectRow(fila);
            // As a mouse click would, the button takes the focus first.
            auto* aceptar = ventana->findChild<QPushButton*>("cmdAceptar");
            aceptar->setFocus(Qt::MouseFocusReason);
            QMetaObject::invokeMethod(aceptar, &QAbstractButton::click, Qt::QueuedConnection);
        }
    }
}

bool Espera(const std::function<bool()>& condicion, int ms) {
    QElapsedTimer t;
    t.start();
    while (!condicion()) {
        if (t.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

}  // namespace pruebaqt
