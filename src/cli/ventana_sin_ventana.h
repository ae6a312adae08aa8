// The program without a window: the window port prints to standard error, one line per event with its
// level, questions take their default answer (Yes to all with --si), and the countdown runs in a plain loop
// on the real clock.
#pragma once

#include <cstdio>
#include <string>

#include "core/puerto_ventana.h"

namespace cnc {

struct OpcionesSinVentana {
    bool si = false;      // Yes to every question
    bool unaVez = false;  // one connection of `modo` after start-up, then exit
    int modo = 0;
};

// Exit statuses of the program.
inline constexpr int kSalidaEntrego = 0;     // the connection reached the hand-over (or a normal end)
inline constexpr int kSalidaArranque = 1;    // start-up ended the program
inline constexpr int kSalidaSinEntrega = 2;  // the connection failed before the hand-over
inline constexpr int kSalidaUso = 3;         // the command line is not valid

// How serious a line of the headless output is.
enum class Nivel { Error, Advertencia, Informacion };

// True when `salida` is the stream the service manager's journal reads (JOURNAL_STREAM names it).
bool EsElDiario(std::FILE* salida);
// Writes one event as one line: line breaks of the text are joined with " / ". To the journal the line
// starts with its syslog priority ("<3>", "<4>", "<6>"); elsewhere with "concentrador: " and the level.
void EscribeLinea(std::FILE* salida, Nivel nivel, const std::string& texto);

class VentanaSinVentana : public PuertoVentana {
  public:
    // Messages go to `salida`; the unread notices, one block each, to `avisos`.
    explicit VentanaSinVentana(bool si, std::FILE* salida = stderr, std::FILE* avisos = stdout)
        : si_(si), salida_(salida), avisos_(avisos) {}

    uint8_t Mensaje(const std::string& texto, int estilo, const std::string& titulo) override;
    void Estado(const std::string& t) override;
    void Etapa(const std::string& t) override;
    void Aviso(const std::string& t) override;
    void MuestraOpciones(const Opciones& o) override { soloRespaldar_ = o.soloRespaldar; }
    bool SoloRespaldarMarcado() const override { return soloRespaldar_; }
    // Where a window would let events run, a pending SIGINT/SIGTERM acts as a confirmed "&Interrumpir"
    // and asks the program to end.
    void Ceder() override;
    void MuestraPanel(Panel p) override;
    void Texto(Control control, const std::string& texto) override;
    bool AbreDocumento(const std::string& ruta) override;
    int ElegirEmpresa(const std::vector<FilaEmpresa>& filas, int actual) override;
    // A notice is printed as its window's title line, then its text, then an empty line; printing marks
    // nothing read.
    void AbreAviso(const NotaDeAviso& n) override;

    // SIGINT and SIGTERM are noted for Ceder.
    static void InstalaSenales();
    static bool HaySenal();

  private:
    void Linea(const std::string& texto, Nivel nivel = Nivel::Informacion);
    bool si_;
    std::FILE* salida_;
    std::FILE* avisos_;
    bool soloRespaldar_ = false;
    bool avisoDeSenal_ = false;
    std::string ultimoMinuto_;
};

// Start-up, then the countdown until the program ends; or, with `unaVez`, one connection. The exit status.
int EjecutaSinVentana(const OpcionesSinVentana& o);

}  // namespace cnc
