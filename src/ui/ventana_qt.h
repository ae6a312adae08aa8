// The window port over Qt: the engine's calls land on the widgets named as in the design.
#pragma once

#include <QList>
#include <QPointer>
#include <QString>

#include <QLabel>

#include "core/puerto_ventana.h"
#include "ui/frm_aviso.h"
#include "ui/frm_elegir_empresa.h"
#include "ui/frm_postit.h"

class QWidget;

namespace cncui {

class Form1;

class VentanaQt : public cnc::PuertoVentana {
  public:
    explicit VentanaQt(Form1& form);
    ~VentanaQt() override;

    uint8_t Mensaje(const std::string& texto, int estilo, const std::string& titulo) override;
    void MuestraOcupado(const std::string& t) override;
    void QuitaOcupado() override;
    void Aviso(const std::string& t) override;
    void QuitaAviso() override;
    bool SoloRespaldarMarcado() const override;
    void Ceder() override;

    void Texto(cnc::Control control, const std::string& texto) override;
    void Habilitado(cnc::Control control, bool b) override;
    void Visible(cnc::Control control, bool b) override;
    void Marcado(cnc::Control control, bool b) override;
    void Foco(cnc::Control control) override;
    void Enmascarado(cnc::Control control, bool b) override;
    void Tooltip(cnc::Control control, const std::string& texto) override;
    void Temporizador(cnc::Control timer, bool activo) override;
    void Bip() override;
    void Restaura() override;
    void Minimiza() override;
    void IconoEnBandeja(bool b) override;
    void Descarga() override;
    bool AbreDocumento(const std::string& ruta) override;
    int ElegirEmpresa(const std::vector<cnc::FilaEmpresa>& filas, int actual) override;
    bool PideUsuario(int modulo) override;
    bool FirmaDeUsuario(int modulo, std::string& usuario) override;
    void AbreAviso(const cnc::NotaDeAviso& nota) override;
    // The notice windows over every other window of the program, as the main window comes up after them.
    void SubeAvisos();
    void CierraAvisos() override;
    int AvisosAbiertos() const override;
    bool ImprimeReporte(const cnc::ReporteDeAvisos& r, const std::string& ruta) override;

    // Whether the desktop shows tray icons; without one a hidden window could not be brought back, so the
    // window then stays minimised instead.
    virtual bool HayBandeja() const;
    // Set while the main event loop runs: only then does unloading end it.
    void EnBucle(bool b) { enBucle_ = b; }
    // Restaura was called (start-up asked for the window in its normal state).
    bool Restaurada() const { return restaurada_; }
    // The window was unloaded: the event loop is told to end, and start-up stops.
    bool Descargada() const { return descargada_; }
    // The widget of a control: of the main window, or the grid of the open company choice; null for the
    // timers and for a grid not open.
    QWidget* Widget(cnc::Control control) const;
    frmAviso* VentanaDeAviso() const { return aviso_; }
    // The notice windows open now, in the order they were opened.
    QList<frmPostit*> VentanasDeAvisos() const;

  private:
    Form1& form_;
    QWidget* widgets_[cnc::kNumeroDeControles] = {};
    QPointer<frmElegirEmpresa> eleccion_;
    QPointer<frmAviso> aviso_;
    QList<QPointer<frmPostit>> postits_;
    QPointer<QLabel> ocupado_;
    bool descargada_ = false;
    bool restaurada_ = false;
    bool enBucle_ = false;
};

// Texts of the engine in the window: CR LF and lone CR become line breaks.
QString TextoVisible(const std::string& texto);

}  // namespace cncui
