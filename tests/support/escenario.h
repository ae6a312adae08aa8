// The scenario harness: a test reads as a story of the cycle. Given these local rows and these hub rows,
// after one cycle, these ESPEJO rows, these queue rows left, these notices.
//
//     prueba::Escenario e;                                   // databases, fake window and clock, folder
//     e.ApuntaAServidores();
//     e.Local("datos1", "INSERT INTO lineas (Linea) VALUES ('A')");
//     e.Hub("concentradorqmx", "INSERT INTO listagrupos ...");
//     e.PasarTablasYrecibir();                               // or e.Ciclo(0) after e.Grupo()
//     EXPECT_EQ(e.EnEspejo("SELECT Linea FROM lineas"), prueba::Lista{"A"});
//     EXPECT_EQ(e.Avisos(0), ...);
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "components/bases_dd.h"
#include "core/shared_routines.h"
#include "send/cls_estandar.h"
#include "support/falsos.h"
#include "support/servidores.h"

namespace prueba {

using Lista = std::vector<std::string>;
using Tablas = std::vector<std::string>;

// Back to the state of a fresh process: the module, the main window's state, start-up's pending
// corrections, no window and no clock. Every fixture starts and ends here.
void ReiniciaEstado();

// Kills a test server ("local" or "hub") as a crash would, and starts it again on the same data and port.
// A failure is a test failure; the result says whether it worked.
bool MataServidor(const std::string& nombre);
bool ReviveServidor(const std::string& nombre);

// A server killed on request and always revived before the test ends, whatever it asserts.
class Caida {
  public:
    explicit Caida(std::string nombre = "hub") : nombre_(std::move(nombre)) {}
    ~Caida();
    Caida(const Caida&) = delete;
    Caida& operator=(const Caida&) = delete;
    void Mata();
    void Revive();

  private:
    std::string nombre_;
    bool caido_ = false;
};

// The recording window with a hook where the operator or the network can strike: at every current-table
// caption and every status line.
class VentanaConGanchos : public VentanaGrabadora {
  public:
    using VentanaGrabadora::operator=;
    std::function<void(const std::string&)> alMostrarTabla, alEstado;
    void TablaActual(const std::string& t) override;
    void Estado(const std::string& t) override;
    std::string EtapaActual() const { return etapas.empty() ? "" : etapas.back(); }
};

// The module of a fresh process pointed at the fakes and at a temporary program folder (its registry file,
// its settings file, its XDG folder); everything is put back afterwards. Alone, for tests without servers.
class ModuloAislado {
  public:
    ModuloAislado();
    ~ModuloAislado();
    ModuloAislado(const ModuloAislado&) = delete;
    ModuloAislado& operator=(const ModuloAislado&) = delete;
    VentanaConGanchos ventana;
    RelojFalso reloj;
    CarpetaTemporal carpeta;

  private:
    std::string xdgAntes_;
    bool habiaXdg_ = false;
};

// One run of the real executable.
struct Corrida {
    int estado = -1;  // exit status; 128 + signal when it died by one
    std::string salida, mensajes;
};

// How the constructor builds the servers' databases.
struct Demo {};
inline constexpr Demo kDemo{};
struct SinBases {};
inline constexpr SinBases kSinBases{};

class Escenario {
  public:
    // On the local server the general database, "datos1" and concentradorqmx; on the hub the general
    // database, concentradorqmx, the ESPEJO "espejo1" and the MATRIZ "matriz1". Dropped at the end.
    Escenario();
    // The same, but the company databases hold only the named tables of the company schema (building all of
    // them takes seconds); with no table named there are no company databases at all.
    explicit Escenario(const Tablas& tablas);
    // The demo group (ArmaDemo).
    explicit Escenario(Demo);
    // Only the fakes and the folder; nothing on the servers until the test asks.
    explicit Escenario(SinBases);
    ~Escenario();
    Escenario(const Escenario&) = delete;
    Escenario& operator=(const Escenario&) = delete;

    ModuloAislado m;
    Servidor local, hub;
    std::string baseLocal = "datos1", espejo = "espejo1", matriz = "matriz1";

    // Statements and rows (columns joined by '|') on a database of either server; without a database, or
    // with "", the server's general database.
    void Local(const std::string& sql) { Local("", sql); }
    void Local(const std::string& base, const std::string& sql);
    void Hub(const std::string& sql) { Hub("", sql); }
    void Hub(const std::string& base, const std::string& sql);
    void Espejo(const std::string& sql) { Hub(espejo, sql); }
    Lista EnLocal(const std::string& sql) { return EnLocal("", sql); }
    Lista EnLocal(const std::string& base, const std::string& sql);
    Lista EnHub(const std::string& sql) { return EnHub("", sql); }
    Lista EnHub(const std::string& base, const std::string& sql);
    Lista EnEspejo(const std::string& sql) { return EnHub(espejo, sql); }

    // A user of the local general database as the user catalogue keeps it: name, code and rights string
    // enciphered with the row's own key; the rights split into Modulos1..3 of 200 characters.
    void Usuario(long long id, const std::string& usuario, const std::string& codigo,
                 const std::string& derechos);
    // A notice row of the local concentradorqmx with its text encoded; its Id.
    long long NuevoAviso(int tipo, const std::string& texto, const std::string& fecha = "2026-12-08",
                         const std::string& hora = "10:00:00", const std::string& extra = "");
    // The notices of the local concentradorqmx, decoded: those of a type in order, or one.
    Lista Avisos(int tipo);
    std::string Aviso(long long id);
    // A hub setting of the local concentradorqmx, and the cut-off of the last-update export.
    std::string Ajuste(const std::string& dato);
    std::string FDDUA() { return Ajuste("FDDUA"); }
    void PonFDDUA(const std::string& valor);
    // "FechaUltimoEnvio|HoraUltimoEnvio" of the ESPEJO's row on the hub.
    std::string UltimoEnvio();
    // The files of the program folder.
    std::string Carpeta() const;
    std::string Registro() const { return m.carpeta.Archivo("registro.ini"); }
    std::string Bitacora() const;
    std::string Problemas() const;
    // Whether the window showed this stage caption, or this current-table caption.
    bool VioEtapa(const std::string& etapa) const;
    bool VioTabla(const std::string& texto) const;

    // The database components as a connection call leaves them at the hand-over: the local one on the
    // local company, the remote one on its ESPEJO.
    void ApuntaAServidores();
    // The connections the connection call hands over, for the stages a test runs alone.
    kvtx8::Conexion compania, servidorLocal, conHub, conEspejo;
    // The send-and-receive cycle alone, on connections of its own as the connection call opens them, with
    // the activity log started afresh; the log it wrote.
    std::string PasarTablasYrecibir(bool soloRecibir = false);

    // This company's group as a connection call finds it: the local company row with its ESPEJO
    // connection data enciphered, the ESPEJO of group "G1" and its MATRIZ "MATRIZ1" (and a company of
    // another group) on the hub, both servers at Tarvena 6.3.0, the hub asking this program for 1.0.0 at
    // least, branch type 2; the local component on the local company, as start-up leaves it.
    void Grupo();
    void Versiones(const std::string& local, const std::string& hub);
    // A value of the company table `configura`, in the ESPEJO or the local company.
    void ConfiguraEspejo(const std::string& dato, const std::string& contenido);
    std::string ConfiguraLocal(const std::string& dato);
    // The local company row, with its ESPEJO connection data enciphered as the settings panel stores them.
    void EmpresaConDatos();
    // One connection call of the mode, as the countdown or a command makes it; the activity log.
    std::string Ciclo(uint8_t modo);

    // A table exporter set up as the cycle sets one up: the components on the servers, the local company
    // open, the problem-records file open, blocks of 100.
    cnc::clsEstandar& Exportador();
    // A connection of the test's own to the ESPEJO, to hold locks while the code under test runs.
    kvtx8::Conexion OtraAlEspejo();
    // Lock waits on the hub end in a second instead of fifty, for the connections opened afterwards, until
    // the scenario ends.
    void EsperasCortas();
    // The hub stops answering for the ESPEJO (nothing listens on the port), and answers again.
    void EspejoCaido();
    void EspejoDeVuelta();

    // The Tarvena installation this program belongs to: its folder, its registry entry pointing at the
    // local test server (user and password enciphered), and a settings file that names the folder.
    void Instalacion();
    std::string tarvena;
    void Ini(const std::string& clave, const std::string& valor,
             const std::string& seccion = "Configuración");
    std::string LeeIni(const std::string& clave, const std::string& seccion = "Configuración");
    // Start-up up to the settings (CreaObjetos).
    bool CreaObjetos();
    // The first message box of that title, or none.
    const VentanaGrabadora::Caja* Caja(const std::string& titulo) const;
    bool HuboCaja(const std::string& titulo) const { return Caja(titulo) != nullptr; }

    // The demo group of scripts/demo-datos on the servers (ESPEJO "sucursal_centro", MATRIZ
    // "matriz_norte"), its program folder inside this folder and the module pointed at it. It stays on the
    // servers after the test, as the next demo run replaces it.
    void ArmaDemo();
    // The real executable with these arguments on this folder's registry, with nothing of its run in the
    // real home and no display; standard error to `mensajes`, standard output to `salida`. Its process id.
    int Lanza(const std::vector<std::string>& argumentos, const std::string& mensajes,
              const std::string& salida = "/dev/null") const;
    // `--sin-ventana --si --carpeta <program folder> --una-vez --modo N`, started, or run to its end.
    int Inicia(int modo) const;
    Corrida Ejecuta(int modo) const;
    static int Espera(int pid);

  private:
    void Construye(const Tablas* tablas);
    std::vector<std::pair<bool, std::string>> bases_;  // (on the hub, name) of what the destructor drops
    std::unique_ptr<cnc::clsEstandar> exportador_;
    int problemas_ = 0;
    bool demo_ = false;
    std::string esperaAntes_;  // the hub's lock wait before EsperasCortas
};

// Runs a command line through the shell; its exit status, 128 + signal when it died by one.
int Sistema(const std::string& linea);

// Whether the activity log holds the dated line.
bool Linea(const std::string& bitacora, const std::string& texto);

}  // namespace prueba
