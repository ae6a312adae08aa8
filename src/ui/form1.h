// The main window: the main commands, the settings and connection-data panels, the information labels, the
// two timers and the tray icon. Every event goes to the engine (app/comandos.h); what the window shows comes
// back through the window port (ventana_qt.h), which finds controls by their object names.
#pragma once

#include <QWidget>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QSystemTrayIcon;
class QTimer;

namespace cnc {
struct DatosDeConexion;
}

namespace cncui {

class Form1 : public QWidget {
    Q_OBJECT
  public:
    explicit Form1(QWidget* parent = nullptr);

    QTimer* Timer1() const { return timer1_; }
    QTimer* Timer2() const { return timer2_; }
    QSystemTrayIcon* Bandeja() const { return bandeja_; }
    // Tray icon shown or removed (a no-op where the desktop has no tray).
    void IconoEnBandeja(bool poner);
    // After Descarga the close box closes for real.
    void PermiteCerrar() { permiteCerrar_ = true; }

  protected:
    void closeEvent(QCloseEvent* e) override;
    void changeEvent(QEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    bool event(QEvent* e) override;
    bool eventFilter(QObject* o, QEvent* e) override;

  private:
    QFrame* CreaPicture1();
    QFrame* CreaPicture4();
    QFrame* CreaPicture2();
    QWidget* CreaInformacion();
    QLabel* Etiqueta(const QString& nombre, const QString& texto);
    QPushButton* Boton(const QString& nombre, const QString& texto, void (*accion)());
    cnc::DatosDeConexion LeeConexion() const;
    // A click is delivered only when the field being left passed its check (as a failed check keeps the
    // focus where it was).
    bool PuedeActuar() const { return campoInvalido_ == nullptr; }

    QTimer* timer1_;
    QTimer* timer2_;
    QSystemTrayIcon* bandeja_ = nullptr;
    QLineEdit* txtMinutos_ = nullptr;
    QLineEdit* txtAvisos_ = nullptr;
    QLineEdit* txtConecte_[5] = {};
    QCheckBox* chkAvisos_ = nullptr;
    QCheckBox* chkActualiza_ = nullptr;
    QCheckBox* chkSoloRespaldar_ = nullptr;
    QObject* campoInvalido_ = nullptr;
    bool validando_ = false;
    bool permiteCerrar_ = false;
};

}  // namespace cncui
