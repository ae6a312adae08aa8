// The only fakes: the window port and the clock. And a temporary folder.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "app/puerto_ventana.h"
#include "app/reloj.h"

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

// The current module state pointed at a fake window, a fake clock and a temporary program folder;
// everything is put back afterwards.
class ModuloDePrueba {
  public:
    ModuloDePrueba();
    ~ModuloDePrueba();
    VentanaGrabadora ventana;
    RelojFalso reloj;
    CarpetaTemporal carpeta;
};

}  // namespace prueba
