// The window port over Qt: the engine's calls land on the widgets named as in the design.
#pragma once

#include <QPointer>
#include <QString>

#include <QLabel>

#include "core/puerto_ventana.h"
#include "ui/frm_aviso.h"

class QWidget;

namespace cncui {

class Form1;

class VentanaQt : public cnc::PuertoVentana {
  public:
    explicit VentanaQt(Form1& form);
    ~VentanaQt() override;

    uint8_t Mensaje(const std::string& texto, int estilo, const std::string& titulo) override;
    void Estado(const std::string& t) override;
    void Etapa(const std::string& t) override;
    void TablaActual(const std::string& t) override;
    void Progreso(const std::string& t) override;
    void MuestraOcupado(const std::string& t) override;
    void QuitaOcupado() override;
    void Aviso(const std::string& t) override;
    void QuitaAviso() override;
    bool SoloRespaldarMarcado() const override;
    void Ceder() override;

    void Texto(const std::string& control, const std::string& texto) override;
    void Habilitado(const std::string& control, bool b) override;
    void Visible(const std::string& control, bool b) override;
    void Marcado(const std::string& control, bool b) override;
    void Foco(const std::string& control) override;
    void Enmascarado(const std::string& control, bool b) override;
    void Tooltip(const std::string& control, const std::string& texto) override;
    void Temporizador(const std::string& nombre, bool activo) override;
    void Bip() override;
    void Restaura() override;
    void Minimiza() override;
    void IconoEnBandeja(bool b) override;
    void Descarga() override;
    bool AbreDocumento(const std::string& ruta) override;
    int ElegirEmpresa(const std::vector<cnc::FilaEmpresa>& filas, int actual) override;

    // Whether the desktop shows tray icons; without one a hidden window could not be brought back, so the
    // window then stays minimised instead.
    virtual bool HayBandeja() const;
    // Set while the main event loop runs: only then does unloading end it.
    void EnBucle(bool b) { enBucle_ = b; }
    // Restaura was called (start-up asked for the window in its normal state).
    bool Restaurada() const { return restaurada_; }
    // The window was unloaded: the event loop is told to end, and start-up stops.
    bool Descargada() const { return descargada_; }
    // Control of the main window or of an open dialog, by its design name.
    QWidget* Control(const std::string& nombre) const;
    frmAviso* VentanaDeAviso() const { return aviso_; }

  private:
    Form1& form_;
    QPointer<frmAviso> aviso_;
    QPointer<QLabel> ocupado_;
    bool descargada_ = false;
    bool restaurada_ = false;
    bool enBucle_ = false;
};

// Texts of the engine in the window: CR LF and lone CR become line breaks.
QString TextoVisible(const std::string& texto);

}  // namespace cncui
