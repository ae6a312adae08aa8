// The engine's only way to the window. Qt implements it in src/ui/, the headless mode with log lines and
// default answers, tests with a recording fake. Methods have harmless defaults so a port overrides only
// what it shows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace cnc {

// Message-box button codes and styles.
enum Boton : uint8_t {
    kOK = 1,
    kCancelar = 2,
    kAbortar = 3,
    kReintentar = 4,
    kIgnorar = 5,
    kSi = 6,
    kNo = 7
};
enum Estilo : int {
    kSoloOK = 0,
    kOKCancelar = 1,
    kAbortarReintentarIgnorar = 2,
    kSiNoCancelar = 3,
    kSiNo = 4,
    kReintentarCancelar = 5,
    kCritico = 16,
    kPregunta = 32,
    kExclamacion = 48,
    kInformacion = 64,
    kSegundoBoton = 256,
    kTercerBoton = 512,
};

// The buttons a style shows, in order, and the one pressed by Enter.
std::vector<uint8_t> BotonesDe(int estilo);
uint8_t BotonPorDefecto(int estilo);

// Settings summary shown on the main window.
struct Opciones {
    int minutos = 15;
    int avisosAMostrar = 10;
    bool manejarAvisos = true;
    bool actualizaAutomatica = true;
    bool soloRespaldar = false;
};

// One row of the company choice (frmElegirEmpresa).
struct FilaEmpresa {
    std::string baseDeDatos;  // lower-cased
    std::string empresa;      // NombreComercial
    long long id = 0;
};

class PuertoVentana {
  public:
    virtual ~PuertoVentana() = default;

    // The skinned message box: returns the button code pressed.
    virtual uint8_t Mensaje(const std::string& texto, int estilo, const std::string& titulo) = 0;
    // A plain (not skinned) box, as start-up errors use.
    virtual uint8_t MensajeSimple(const std::string& texto, int estilo, const std::string& titulo) {
        return Mensaje(texto, estilo, titulo);
    }

    // Status label (element 13 of the label array).
    virtual void Estado(const std::string&) {}
    // Stage caption and current-table caption of a running cycle.
    virtual void Etapa(const std::string&) {}
    virtual void TablaActual(const std::string&) {}
    // Progress text of the product copy.
    virtual void Progreso(const std::string&) {}
    // Small busy window.
    virtual void MuestraOcupado(const std::string&) {}
    virtual void QuitaOcupado() {}
    // The connection report window; a second message replaces the first.
    virtual void Aviso(const std::string&) {}
    virtual void QuitaAviso() {}
    // The settings summary was refreshed (its labels and boxes came through Texto and Marcado).
    virtual void MuestraOpciones(const Opciones&) {}
    // Check-box "Solamente RESPALDAR en empresa espejo" as the window shows it now.
    virtual bool SoloRespaldarMarcado() const { return false; }
    // Lets window events run: the operator may press "Interrumpir" meanwhile.
    virtual void Ceder() {}
    // A connection starts (true) or ends (false): timers, send commands and "Interrumpir" follow.
    virtual void Conectando(bool) {}

    // Controls by their design names: "Form1" (caption), "lblInfo", "Picture4", "Label(7)",
    // "txtConecte(3)"...
    virtual void Texto(const std::string& /*control*/, const std::string& /*texto*/) {}
    virtual void Habilitado(const std::string& /*control*/, bool) {}
    virtual void Visible(const std::string& /*control*/, bool) {}
    virtual void Marcado(const std::string& /*control*/, bool) {}
    virtual void Foco(const std::string& /*control*/) {}
    // Shows (false) or masks (true) a text box's characters.
    virtual void Enmascarado(const std::string& /*control*/, bool) {}
    virtual void Tooltip(const std::string& /*control*/, const std::string& /*texto*/) {}
    // "Timer1" (1 s, countdown) and "Timer2" (300 ms, blink): the window fires Timer1_Timer/Timer2_Timer.
    virtual void Temporizador(const std::string& /*nombre*/, bool /*activo*/) {}
    virtual void Bip() {}
    // Window state: restored to normal and brought to the front, or minimised (hidden to the tray).
    virtual void Restaura() {}
    virtual void Minimiza() {}
    // Tray icon added (true) or removed (false).
    virtual void IconoEnBandeja(bool) {}
    // The window is unloaded: the program ends once the current event returns.
    virtual void Descarga() {}
    // Opens a file with the desktop's program for it; false when nothing could open it.
    virtual bool AbreDocumento(const std::string& /*ruta*/) { return false; }
    // Modal company choice; the window calls cnc::frmElegirEmpresa_cmdAceptar on "&Aceptar" and closes when
    // it answers true. Returns the row accepted, or -1.
    virtual int ElegirEmpresa(const std::vector<FilaEmpresa>& /*filas*/, int /*actual*/) { return -1; }
    // frmPideUsuario with the module number: whether an authorised user signed.
    virtual bool PideUsuario(int /*modulo*/) { return false; }
};

}  // namespace cnc
