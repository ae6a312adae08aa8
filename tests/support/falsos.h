// The only fakes: the window port and the clock. And a temporary folder.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/puerto_ventana.h"
#include "core/reloj.h"

namespace prueba {

// Records what the engine shows; answers boxes from a queue, else with the default button.
class VentanaGrabadora : public cnc::PuertoVentana {
  public:
    struct Caja {
        std::string texto, titulo;
        int estilo;
    };
    std::vector<Caja> cajas;
    std::deque<uint8_t> respuestas;
    std::vector<std::string> estados, etapas, tablas, avisos, ocupado, progreso;
    std::vector<cnc::Opciones> opciones;
    int cedidas = 0;
    bool soloRespaldar = false;
    std::vector<bool> conectando;

    uint8_t Mensaje(const std::string& texto, int estilo, const std::string& titulo) override;
    void Estado(const std::string& t) override { estados.push_back(t); }
    void Etapa(const std::string& t) override { etapas.push_back(t); }
    void TablaActual(const std::string& t) override { tablas.push_back(t); }
    void Progreso(const std::string& t) override { progreso.push_back(t); }
    void MuestraOcupado(const std::string& t) override { ocupado.push_back(t); }
    void QuitaOcupado() override { ocupado.push_back("<quita>"); }
    void Aviso(const std::string& t) override { avisos.push_back(t); }
    void MuestraOpciones(const cnc::Opciones& o) override { opciones.push_back(o); }
    bool SoloRespaldarMarcado() const override { return soloRespaldar; }
    void Ceder() override { ++cedidas; }
    void Conectando(bool c) override { conectando.push_back(c); }

    // Controls by their design names: the last value of each, and every call in order ("Texto lblInfo=...",
    // "Foco Picture1").
    std::map<std::string, std::string> textos, tooltips;
    std::map<std::string, bool> habilitados, visibles, marcados, enmascarados, temporizadores;
    std::vector<std::string> llamadas, focos, documentos;
    int bips = 0, restaurada = 0, minimizada = 0, descargas = 0;
    std::vector<bool> bandeja;
    // Company choice: the rows shown, and the answer (an index, or -1 by default). When `aceptar` is set the
    // fake presses "&Aceptar" on that row as the window would, until the engine lets it close.
    std::vector<std::vector<cnc::FilaEmpresa>> empresasMostradas;
    std::vector<int> empresaActual;
    std::deque<int> eleccionesEmpresa;
    std::function<bool(const std::vector<cnc::FilaEmpresa>&, int)> aceptar;
    std::deque<bool> usuarios;  // answers of frmPideUsuario, else refused
    std::vector<int> modulosPedidos;
    std::string firmante = "ANA";  // the user code an accepted prompt gives
    // Notice windows: every one opened, and those open now; how many times all were closed.
    std::vector<cnc::NotaDeAviso> notas, notasAbiertas;
    int cierresDeAvisos = 0;
    // Reports written: the last one and where.
    std::vector<cnc::ReporteDeAvisos> reportes;
    std::vector<std::string> rutasDeReportes;

    void Texto(cnc::Control c, const std::string& t) override;
    void Habilitado(cnc::Control c, bool b) override;
    void Visible(cnc::Control c, bool b) override;
    void Marcado(cnc::Control c, bool b) override;
    void Foco(cnc::Control c) override;
    void Enmascarado(cnc::Control c, bool b) override;
    void Tooltip(cnc::Control c, const std::string& t) override { tooltips[cnc::NombreDe(c)] = t; }
    void Temporizador(cnc::Control c, bool b) override;
    void Bip() override { ++bips; }
    void Restaura() override { ++restaurada, llamadas.push_back("Restaura"); }
    void Minimiza() override { ++minimizada, llamadas.push_back("Minimiza"); }
    void IconoEnBandeja(bool b) override { bandeja.push_back(b); }
    void Descarga() override { ++descargas, llamadas.push_back("Descarga"); }
    bool AbreDocumento(const std::string& r) override { return documentos.push_back(r), true; }
    int ElegirEmpresa(const std::vector<cnc::FilaEmpresa>& filas, int actual) override;
    bool PideUsuario(int modulo) override;
    bool FirmaDeUsuario(int modulo, std::string& usuario) override {
        const bool r = PideUsuario(modulo);
        if (r) usuario = firmante;
        return r;
    }
    void AbreAviso(const cnc::NotaDeAviso& n) override { notas.push_back(n), notasAbiertas.push_back(n); }
    void CierraAvisos() override { ++cierresDeAvisos, notasAbiertas.clear(); }
    int AvisosAbiertos() const override { return static_cast<int>(notasAbiertas.size()); }
    bool ImprimeReporte(const cnc::ReporteDeAvisos& r, const std::string& ruta) override {
        reportes.push_back(r), rutasDeReportes.push_back(ruta);
        return true;
    }
};

// Stands still but for pauses and explicit steps.
class RelojFalso : public cnc::Reloj {
  public:
    explicit RelojFalso(kvtx8::FechaHora t = {2026, 12, 8, 10, 0, 0}) : t_(t) {}
    kvtx8::FechaHora Ahora() override { return t_; }
    void Pausa(int ms) override;
    void Avanza(int segundos) { t_ = kvtx8::SumaSegundos(t_, segundos); }
    void Pon(kvtx8::FechaHora t) { t_ = t, ms_ = 0; }
    long long pausadoMs = 0;

  private:
    kvtx8::FechaHora t_;
    int ms_ = 0;
};

// A fake clock that runs a step at every pause, so a test can change the world between attempts.
class RelojConPaso : public RelojFalso {
  public:
    using RelojFalso::RelojFalso;
    std::function<void(int)> alPausar;
    int pausas = 0;
    void Pausa(int ms) override {
        RelojFalso::Pausa(ms);
        if (alPausar) alPausar(++pausas);
    }
};

class CarpetaTemporal {
  public:
    CarpetaTemporal();
    ~CarpetaTemporal();
    const std::string& Ruta() const { return ruta_; }
    std::string Archivo(const std::string& nombre) const { return ruta_ + "/" + nombre; }
    std::string Lee(const std::string& nombre) const;
    void Escribe(const std::string& nombre, const std::string& texto) const;

  private:
    std::string ruta_;
};

}  // namespace prueba
