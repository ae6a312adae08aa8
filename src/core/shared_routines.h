// Module-wide state and the routines every part of the program uses.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/puerto_ventana.h"
#include "core/reloj.h"
#include "components/bases_dd.h"
#include "components/ciclo_secuencial.h"
#include "components/de_acceso.h"
#include "components/del_registro.h"
#include "components/utilerias.h"

namespace cnc {

using kvtx8::BasesDD;
using kvtx8::Conexion;
using kvtx8::Registros;
using kvtx8::Valor;

inline constexpr const char* kLlaveRegistro = "Software\\Velnor\\Concentradores";
inline constexpr const char* kArchivoBitacora = "/BitacoraConcentrador.txt";
inline constexpr const char* kArchivoErrores = "/ErrorAlLeer.txt";
inline constexpr const char* kArchivoProblemas = "/RegistrosConProblema.txt";
inline constexpr const char* kArchivoIni = "/concentrador.ini";

struct Modulo {
    // Components, alive from start-up to shutdown.
    BasesDD BDLocal;   // local server; cMiBase = local company database
    BasesDD BDRemota;  // hub server; cMiBase = ESPEJO database
    kvtx8::DelRegistro Registro;
    kvtx8::DeAcceso Acceso;
    kvtx8::CicloSecuencial Ciclo;

    PuertoVentana* Ventana = nullptr;
    Reloj* ElReloj = nullptr;

    std::string Carpeta = ".";  // program folder
    std::string ArchivoIni;     // Carpeta + "/concentrador.ini"

    // Settings.
    int16_t Minutos = 15;
    int16_t RegistrosATomar = 100;
    int16_t AvisosAMostrar = 10;
    uint8_t ManejarAvisos = 1;
    uint8_t ActualizAutomatica = 1;
    uint8_t SoloRespaldar = 0;
    std::string FormatoFechaHora = "yyyy-mm-dd hh:nn:ss";
    // CA file the hub's certificate must be signed by; empty: the hub connection needs no TLS.
    std::string CAConcentrador;
    // How long AbreBase keeps trying, in seconds.
    int SegundosReintento = 30;

    // Branch settings, read from the ESPEJO at each connection.
    uint8_t TipoSucursal = 250;
    uint8_t CostoEnFran = 0;
    std::string PrecioEnFran[6];  // 1..5
    bool EnviarPrecio[51] = {};   // 1..50
    bool EnviarFormula[51] = {};  // 1..50

    int Bitacora = 0;        // activity-log file number while a connection runs
    int NumeroBitacora = 0;  // activity-log block number of the main window
    std::string Prefijo;  // client prefix "00".."99"; empty = not registered
    bool Detener = false;
    bool Interrumpir = false;
    // Set by clsConectar::Conectar when the call reached the hand-over; cleared by whoever starts a call.
    bool ConexionEntregada = false;

    // Tarvena version of the local server ("VersionActual"), read at each connection, and its VersionVB.
    std::string VersionActual;
    double VersionActualVB = 0;
    // A newer version is being installed: the caller of the connection ends the program at once.
    bool TerminarPrograma = false;

    // Update site: the catalogue database (plugins_lista), the connectivity-check host and the FTP site.
    // Filled by PreparaDatosDelSitio; hosts may carry ":port".
    struct DatosDelSitio {
        std::string Base, Servidor, Usuario, Password;
        int32_t Puerto = 3306;
        std::string Comprobar;
        std::string FtpHost, FtpUsuario, FtpPassword;
    } Sitio;

    // Notice store: Id of the last notice of each TipoAviso (0..22) raised in this cycle, 0 for none.
    long long UltimoAviso[23] = {};
};

extern Modulo Mod;

// Back to the state of a fresh process (tests).
void ReiniciaModulo();

PuertoVentana& Ventana();
Reloj& ElReloj();
kvtx8::FechaHora Ahora();
std::string AhoraTexto(const std::string& patron);

// Basic-style file numbers: "routines given a closed number write nothing".
enum class ModoArchivo { Salida, Agregar };
int AbreArchivo(const std::string& ruta, ModoArchivo modo);
bool ArchivoAbierto(int numero);
void CierraArchivo(int numero);
void CierraArchivos();
// Writes the text and CR LF; false when the number is closed or the write failed.
bool ImprimeLinea(int numero, const std::string& texto);
// A file held open by number for as long as the object lives; the number is what the line routines take.
class ArchivoDeTexto {
  public:
    ArchivoDeTexto() = default;
    ArchivoDeTexto(const std::string& ruta, ModoArchivo modo) : numero_(AbreArchivo(ruta, modo)) {}
    ~ArchivoDeTexto() { Cierra(); }
    ArchivoDeTexto(ArchivoDeTexto&& o) noexcept : numero_(o.numero_) { o.numero_ = 0; }
    ArchivoDeTexto& operator=(ArchivoDeTexto&& o) noexcept {
        if (this != &o) Cierra(), numero_ = o.numero_, o.numero_ = 0;
        return *this;
    }
    ArchivoDeTexto(const ArchivoDeTexto&) = delete;
    ArchivoDeTexto& operator=(const ArchivoDeTexto&) = delete;
    int Numero() const { return numero_; }
    void Cierra() {
        if (numero_) CierraArchivo(numero_), numero_ = 0;
    }

  private:
    int numero_ = 0;
};
// Program folder + name (name begins with "/" or "\").
std::string EnCarpeta(const std::string& nombre);

// Component creation by name, as the start-up asks for them; false and the "Alerta" box when unknown.
bool CreaComponente(const std::string& clase, const std::string& prefijo);

bool AbreBase(BasesDD& bd, Conexion& cn, const std::string& base);
bool AbreBaseLocal(Conexion& cn);
bool AbreBaseEspejo(Conexion& cn);
bool AbreBaseRemota(Conexion& cn, const std::string& base);

void EscribeBitacora(int archivo, const std::string& texto);
void AvisaDesconexion(int archivo, bool local);
std::string TextoDesconexion(bool local);
void EscribeProblema(int archivo, const std::string& tabla, const std::string& texto, bool sangria);
// Activity-log block: opens the log (emptied when asked), writes "Bitácora n" and the start line.
int AbreBloqueBitacora(int numero, bool vaciar);
void CierraBloqueBitacora(int archivo);
// The activity-log block of one connection call, closed with its end line when the call leaves.
class BloqueDeBitacora {
  public:
    BloqueDeBitacora(int numero, bool vaciar) : numero_(AbreBloqueBitacora(numero, vaciar)) {}
    ~BloqueDeBitacora() { Cierra(); }
    BloqueDeBitacora(const BloqueDeBitacora&) = delete;
    BloqueDeBitacora& operator=(const BloqueDeBitacora&) = delete;
    int Numero() const { return numero_; }
    void Cierra() {
        if (numero_) CierraBloqueBitacora(numero_), numero_ = 0;
    }

  private:
    int numero_;
};

void BitacoraDeErrores(bool inicio);
void AnotaError(const std::string& texto);

void GrabaRegistro(const std::string& nombre, const std::string& dato);
std::string LeeRegistro(const std::string& nombre);

uint8_t MensajeSkn(const std::string& texto, int estilo, const std::string& titulo, uint8_t opcion = 0);
bool Pregunta(const std::string& texto, const std::string& titulo, bool noPorDefecto);
void MuestraOpciones();
// Notices are handled only when the setting holds 1. The setting is read through ManejarAvisosDe, so the
// module value is 0 or 1 and the notice store, the controls and the summary agree on it.
uint8_t ManejarAvisosDe(std::string_view guardado);
bool AvisosManejados();
// Shows the last connection of the configuration file on the window.
void LeerUltimaConexion();
void AgregaCondicion(std::string& texto, const std::string& condicion);

}  // namespace cnc
