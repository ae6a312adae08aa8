// The engine's only way to the window. Qt implements it in src/ui/, the headless mode with log lines and
// default answers, tests with a recording fake. Methods have harmless defaults, and those named for what
// they show (busy label, stage, panels...) default to the controls that show it, so a port overrides only
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

// One notice window (frmPostit) as the engine opens it.
struct NotaDeAviso {
    long long id = 0;
    std::string titulo;  // "(Id) dd/mmm/YY - hh:nn:ss"
    std::string texto;
    int x = 0, y = 0, w = 0, h = 0;  // twips; x and y 0: never placed
    long long color = 0;             // &HBBGGRR
};

// The notice report as the report writer prints it: the rows already chosen and sorted, texts decoded.
struct RenglonDeReporte {
    long long id = 0;
    std::string fecha, hora;  // "yyyy-mm-dd", "hh:nn:ss"
    int tipoAviso = 0;
    bool leido = false;
    std::string fechaLeido, horaLeido;  // empty when never signed
    std::string usuario;                // the first 10 characters of the user code
    std::string texto;
};
struct ReporteDeAvisos {
    std::string titulo;    // "Bitácora de avisos"
    std::string empresa;   // the company database
    std::string filtro;    // the selection in words, for the heading
    std::string formula;   // the selection formula
    std::string orden[2];  // the sort fields, "+{cncavisos.Id}" and ""...
    std::string impreso;   // when it was printed, "dd/mm/yyyy hh:nn"
    std::vector<RenglonDeReporte> renglones;
};

// The controls the engine reaches, one enumerator per control; an element of a control array is its own
// enumerator (Label_7 is "Label(7)", Label11 is another control). NombreDe gives the design name.
enum class Control : uint8_t {
    Form1,  // the main window itself: its caption
    // Information labels.
    Label2,
    Label3,
    Label4,
    Label11,
    Label12,
    Label13,
    lblInfo,
    Label_5,
    Label_6,
    Label_7,
    Label_9,
    Label_10,
    Label_11,
    Label_12,
    Label_13,
    // The progress area of a running cycle: the area, the stage, the current table, the progress text.
    Progreso,
    Etapa,
    TablaActual,
    lblEstatus,
    // Panels.
    Picture1,
    Picture2,
    Picture4,
    Picture3,
    // Main panel.
    cmdEnviar,
    cmdCerrar,
    cmdTerminar,
    Command1,
    Command5,
    Command6,
    Command7,
    Command10,
    Command11,
    Command12,
    Command13,
    Command14,
    // Notice report panel.
    mkeFecha_0,
    mkeFecha_1,
    txtUsuario,
    // Settings panel.
    txtMinutos,
    txtAvisos,
    chkAvisos,
    chkActualiza,
    chkSoloRespaldar,
    cmdConexion,
    // Connection-data panel.
    txtConecte_0,
    txtConecte_1,
    txtConecte_2,
    txtConecte_3,
    txtConecte_4,
    // Timers.
    Timer1,
    Timer2,
    // The company grid of frmElegirEmpresa. Stays last: kNumeroDeControles counts up to it.
    mfgReja,
};
inline constexpr int kNumeroDeControles = static_cast<int>(Control::mfgReja) + 1;

// The design name: "Form1", "Label(7)", "txtConecte(3)"...
const char* NombreDe(Control c);

// The panels of the main window; they share one place, so one shows at a time.
enum class Panel : uint8_t {
    Principal,  // Picture1, the main commands
    Opciones,   // Picture4, the settings
    Conexion,   // Picture2, the connection data
    Reporte,    // Picture3, the notice report
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
    virtual void Estado(const std::string& t) { Texto(Control::Label_13, t); }
    // Stage caption and current-table caption of a running cycle, and whether the current table shows.
    virtual void Etapa(const std::string& t) { Texto(Control::Etapa, t); }
    virtual void TablaActual(const std::string& t) { Texto(Control::TablaActual, t); }
    virtual void TablaActualVisible(bool b) { Visible(Control::TablaActual, b); }
    // Progress text of the product copy, and the progress area of a running cycle shown or hidden.
    virtual void Progreso(const std::string& t) { Texto(Control::lblEstatus, t); }
    virtual void ProgresoVisible(bool b) { Visible(Control::Progreso, b); }
    // The blinking busy label ("Enviando información... ", "Buscando actualizaciones"), blinked by Timer2.
    virtual void IndicadorOcupado(const std::string& t) {
        Texto(Control::Label_7, t);
        Visible(Control::Label_7, true);
        Temporizador(Control::Timer2, true);
    }
    virtual void QuitaIndicadorOcupado() {
        Temporizador(Control::Timer2, false);
        Visible(Control::Label_7, false);
    }
    // The panel shown; the other two are hidden.
    virtual void MuestraPanel(Panel p) {
        const Control panel = p == Panel::Principal  ? Control::Picture1
                              : p == Panel::Opciones ? Control::Picture4
                              : p == Panel::Reporte  ? Control::Picture3
                                                     : Control::Picture2;
        for (Control c : {Control::Picture1, Control::Picture4, Control::Picture2, Control::Picture3})
            if (c != panel) Visible(c, false);
        Visible(panel, true);
    }
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

    // Any control.
    virtual void Texto(Control, const std::string& /*texto*/) {}
    virtual void Habilitado(Control, bool) {}
    virtual void Visible(Control, bool) {}
    virtual void Marcado(Control, bool) {}
    virtual void Foco(Control) {}
    // Shows (false) or masks (true) a text box's characters.
    virtual void Enmascarado(Control, bool) {}
    virtual void Tooltip(Control, const std::string& /*texto*/) {}
    // Timer1 (1 s, countdown) and Timer2 (300 ms, blink): the window fires Timer1_Timer/Timer2_Timer.
    virtual void Temporizador(Control, bool /*activo*/) {}
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
    // The same, giving the user code typed when it was accepted (signing a notice needs it).
    virtual bool FirmaDeUsuario(int modulo, std::string& /*usuario*/) { return PideUsuario(modulo); }

    // Notice windows (frmPostit): one more shown; every one closed, each telling the engine through
    // cnc::frmPostit_Unload as the user's own closing would; how many are open.
    virtual void AbreAviso(const NotaDeAviso&) {}
    virtual void CierraAvisos() {}
    virtual int AvisosAbiertos() const { return 0; }
    // Writes the notice report to a PDF file; false when it could not be written.
    virtual bool ImprimeReporte(const ReporteDeAvisos&, const std::string& /*ruta*/) { return false; }
};

}  // namespace cnc
