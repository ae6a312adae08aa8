#include "ui/ventana_qt.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTableWidget>
#include <QTimer>
#include <QUrl>

#include "app/comandos.h"
#include "ui/form1.h"
#include "ui/frm_aviso.h"
#include "ui/frm_elegir_empresa.h"
#include "ui/frm_pide_usuario.h"
#include "ui/reporte_pdf.h"

namespace cncui {

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

QMessageBox::StandardButton BotonQt(uint8_t codigo) {
    switch (codigo) {
        case cnc::kOK:
            return QMessageBox::Ok;
        case cnc::kCancelar:
            return QMessageBox::Cancel;
        case cnc::kAbortar:
            return QMessageBox::Abort;
        case cnc::kReintentar:
            return QMessageBox::Retry;
        case cnc::kIgnorar:
            return QMessageBox::Ignore;
        case cnc::kSi:
            return QMessageBox::Yes;
        case cnc::kNo:
            return QMessageBox::No;
        default:
            return QMessageBox::NoButton;
    }
}

// The buttons read in Spanish whatever translations the desktop has.
QString TextoDelBoton(uint8_t codigo) {
    switch (codigo) {
        case cnc::kOK:
            return "Aceptar";
        case cnc::kCancelar:
            return "Cancelar";
        case cnc::kAbortar:
            return "Abortar";
        case cnc::kReintentar:
            return "Reintentar";
        case cnc::kIgnorar:
            return "Ignorar";
        case cnc::kSi:
            return QString::fromUtf8("Sí");
        case cnc::kNo:
            return "No";
        default:
            return {};
    }
}

QMessageBox::Icon IconoDe(int estilo) {
    switch (estilo & 0x70) {
        case cnc::kCritico:
            return QMessageBox::Critical;
        case cnc::kPregunta:
            return QMessageBox::Question;
        case cnc::kExclamacion:
            return QMessageBox::Warning;
        case cnc::kInformacion:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

}  // namespace

QString TextoVisible(const std::string& texto) {
    QString t = Q(texto);
    t.replace("\r\n", "\n");
    t.replace('\r', '\n');
    return t;
}

VentanaQt::VentanaQt(Form1& form) : form_(form) {
    // The main window's controls carry their design names; the timers and the company grid are not here.
    for (int i = 0; i < cnc::kNumeroDeControles; ++i)
        widgets_[i] = form_.findChild<QWidget*>(cnc::NombreDe(static_cast<cnc::Control>(i)));
    widgets_[static_cast<int>(cnc::Control::Form1)] = &form_;
}

VentanaQt::~VentanaQt() {
    for (auto& p : postits_) delete p;
    delete aviso_;
    delete ocupado_;
}

QWidget* VentanaQt::Widget(cnc::Control control) const {
    if (control == cnc::Control::mfgReja) return eleccion_ ? eleccion_->Reja() : nullptr;
    return widgets_[static_cast<int>(control)];
}

uint8_t VentanaQt::Mensaje(const std::string& texto, int estilo, const std::string& titulo) {
    QMessageBox caja(IconoDe(estilo), Q(titulo), TextoVisible(texto), QMessageBox::NoButton,
                     form_.isVisible() ? &form_ : nullptr);
    caja.setObjectName("MensajeSkn");
    for (uint8_t codigo : cnc::BotonesDe(estilo))
        caja.addButton(BotonQt(codigo))->setText(TextoDelBoton(codigo));
    const uint8_t porDefecto = cnc::BotonPorDefecto(estilo);
    caja.setDefaultButton(BotonQt(porDefecto));
    caja.exec();
    QAbstractButton* pulsado = caja.clickedButton();
    if (!pulsado) return porDefecto;
    for (uint8_t codigo : cnc::BotonesDe(estilo)) {
        if (caja.button(BotonQt(codigo)) == pulsado) return codigo;
    }
    return porDefecto;
}

void VentanaQt::MuestraOcupado(const std::string& t) {
    if (!ocupado_) {
        ocupado_ = new QLabel(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        ocupado_->setObjectName("Ocupado");
        ocupado_->setMargin(16);
        ocupado_->setFrameStyle(QFrame::Box | QFrame::Plain);
        ocupado_->setAlignment(Qt::AlignCenter);
    }
    ocupado_->setText(TextoVisible(t));
    ocupado_->adjustSize();
    if (form_.isVisible()) ocupado_->move(form_.geometry().center() - ocupado_->rect().center());
    ocupado_->show();
    ocupado_->repaint();
}

void VentanaQt::QuitaOcupado() {
    delete ocupado_;
}

void VentanaQt::Aviso(const std::string& t) {
    if (!aviso_) aviso_ = new frmAviso;
    aviso_->Muestra(TextoVisible(t));
}

void VentanaQt::QuitaAviso() {
    delete aviso_;
}

bool VentanaQt::SoloRespaldarMarcado() const {
    auto* c = qobject_cast<QCheckBox*>(Widget(cnc::Control::chkSoloRespaldar));
    return c && c->isChecked();
}

void VentanaQt::Ceder() {
    QCoreApplication::processEvents();
}

void VentanaQt::Texto(cnc::Control control, const std::string& texto) {
    QWidget* w = Widget(control);
    if (!w) return;
    const QString t = TextoVisible(texto);
    if (w == &form_) {
        form_.setWindowTitle(t);
    } else if (auto* l = qobject_cast<QLabel*>(w)) {
        l->setTextFormat(Qt::PlainText);
        l->setText(t);
    } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
        e->setText(t);
    } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        b->setText(t);
    } else {
        w->setWindowTitle(t);
    }
}

void VentanaQt::Habilitado(cnc::Control control, bool b) {
    if (control == cnc::Control::Timer1 || control == cnc::Control::Timer2) return Temporizador(control, b);
    if (QWidget* w = Widget(control)) w->setEnabled(b);
}

bool VentanaQt::HayBandeja() const {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void VentanaQt::Visible(cnc::Control control, bool b) {
    QWidget* w = Widget(control);
    if (!w) return;
    if (w == &form_ && !b && !HayBandeja()) {
        Minimiza();
        return;
    }
    w->setVisible(b);
}

void VentanaQt::Marcado(cnc::Control control, bool b) {
    if (auto* c = qobject_cast<QAbstractButton*>(Widget(control))) c->setChecked(b);
}

void VentanaQt::Foco(cnc::Control control) {
    QWidget* w = Widget(control);
    if (w && w->isVisible() && w->isEnabled()) w->setFocus(Qt::OtherFocusReason);
}

void VentanaQt::Enmascarado(cnc::Control control, bool b) {
    if (auto* e = qobject_cast<QLineEdit*>(Widget(control)))
        e->setEchoMode(b ? QLineEdit::Password : QLineEdit::Normal);
}

void VentanaQt::Tooltip(cnc::Control control, const std::string& texto) {
    if (QWidget* w = Widget(control)) w->setToolTip(TextoVisible(texto));
}

void VentanaQt::Temporizador(cnc::Control timer, bool activo) {
    QTimer* t = timer == cnc::Control::Timer1   ? form_.Timer1()
                : timer == cnc::Control::Timer2 ? form_.Timer2()
                                                : nullptr;
    if (!t) return;
    if (activo && !t->isActive()) t->start();
    if (!activo) t->stop();
}

void VentanaQt::Bip() {
    QApplication::beep();
}

void VentanaQt::Restaura() {
    restaurada_ = true;
    form_.setWindowState((form_.windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    form_.show();
    form_.raise();
    form_.activateWindow();
}

void VentanaQt::Minimiza() {
    // The state change reaches the engine (Form_Resize), which hides the window to the tray.
    if (!form_.isMinimized()) form_.setWindowState(form_.windowState() | Qt::WindowMinimized);
    if (!HayBandeja() && !form_.isVisible()) form_.show();
}

void VentanaQt::IconoEnBandeja(bool b) {
    form_.IconoEnBandeja(b);
}

void VentanaQt::Descarga() {
    if (descargada_) return;
    descargada_ = true;
    QuitaAviso();
    QuitaOcupado();
    form_.Timer1()->stop();
    form_.Timer2()->stop();
    form_.IconoEnBandeja(false);
    form_.PermiteCerrar();
    form_.close();
    // Not quit(): that asks every window to close first, and the main window only goes to the tray.
    if (enBucle_) QCoreApplication::exit(0);
}

bool VentanaQt::AbreDocumento(const std::string& ruta) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(Q(ruta)));
}

int VentanaQt::ElegirEmpresa(const std::vector<cnc::FilaEmpresa>& filas, int actual) {
    frmElegirEmpresa ventana(filas, actual, form_.isVisible() ? &form_ : nullptr);
    eleccion_ = &ventana;
    ventana.exec();
    return ventana.Elegida();
}

bool VentanaQt::PideUsuario(int modulo) {
    std::string usuario;
    return FirmaDeUsuario(modulo, usuario);
}

bool VentanaQt::FirmaDeUsuario(int modulo, std::string& usuario) {
    frmPideUsuario ventana(modulo, form_.isVisible() ? &form_ : nullptr);
    ventana.exec();
    if (!ventana.Aceptado()) return false;
    usuario = ventana.Usuario().toStdString();
    return true;
}

void VentanaQt::SubeAvisos() {
    for (auto& p : postits_)
        if (p) p->raise();
}

void VentanaQt::AbreAviso(const cnc::NotaDeAviso& nota) {
    postits_.removeAll(nullptr);
    auto* v = new frmPostit(nota, static_cast<int>(postits_.size()));
    postits_.append(v);
    v->show();
}

void VentanaQt::CierraAvisos() {
    const auto abiertas = postits_;
    for (const auto& v : abiertas)
        if (v && !v->Cerrada()) v->close();
    postits_.removeAll(nullptr);
}

QList<frmPostit*> VentanaQt::VentanasDeAvisos() const {
    QList<frmPostit*> r;
    for (const auto& v : postits_)
        if (v && !v->Cerrada()) r.append(v);
    return r;
}

int VentanaQt::AvisosAbiertos() const {
    return static_cast<int>(VentanasDeAvisos().size());
}

bool VentanaQt::ImprimeReporte(const cnc::ReporteDeAvisos& r, const std::string& ruta) {
    return EscribeReportePdf(r, Q(ruta));
}

}  // namespace cncui
