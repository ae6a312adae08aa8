#include "core/shared_routines.h"

#include <cmath>
#include <cstdio>
#include <map>

#include "core/reglas.h"

namespace cnc {

Modulo Mod;

namespace {

// Answers every box with its default button; for a program without a window set up yet.
class VentanaMuda : public PuertoVentana {
  public:
    uint8_t Mensaje(const std::string&, int estilo, const std::string&) override {
        return BotonPorDefecto(estilo);
    }
};

std::map<int, std::FILE*>& Archivos() {
    static std::map<int, std::FILE*> a;
    return a;
}

const char* const kComponentes[] = {"libkrnm",
                                    "basesdd",
                                    "deequipo",
                                    "utilerias",
                                    "dearchivos",
                                    "deacceso",
                                    "delregistro",
                                    "ciclosecuencial",
                                    "efectos",
                                    "decontroles",
                                    "movimientos",
                                    "subirentradas",
                                    "concentradorbasesdd",
                                    "cambioclaves",
                                    "deprecios"};

}  // namespace

void ReiniciaModulo() {
    CierraArchivos();
    PuertoVentana* v = Mod.Ventana;
    Reloj* r = Mod.ElReloj;
    Mod.~Modulo();
    new (&Mod) Modulo();
    Mod.Ventana = v;
    Mod.ElReloj = r;
}

PuertoVentana& Ventana() {
    static VentanaMuda muda;
    return Mod.Ventana ? *Mod.Ventana : muda;
}

Reloj& ElReloj() {
    static RelojDelSistema sistema;
    return Mod.ElReloj ? *Mod.ElReloj : sistema;
}

kvtx8::FechaHora Ahora() {
    return ElReloj().Ahora();
}
std::string AhoraTexto(const std::string& patron) {
    return kvtx8::Formato(Ahora(), patron);
}

int AbreArchivo(const std::string& ruta, ModoArchivo modo) {
    std::FILE* f = std::fopen(kvtx8::RutaLocal(ruta).c_str(), modo == ModoArchivo::Salida ? "wb" : "ab");
    if (!f) return 0;
    int n = 1;
    while (Archivos().count(n)) ++n;
    Archivos()[n] = f;
    return n;
}

bool ArchivoAbierto(int numero) {
    return Archivos().count(numero) > 0;
}

void CierraArchivo(int numero) {
    auto it = Archivos().find(numero);
    if (it == Archivos().end()) return;
    std::fclose(it->second);
    Archivos().erase(it);
}

void CierraArchivos() {
    for (auto& [n, f] : Archivos()) std::fclose(f);
    Archivos().clear();
}

bool ImprimeLinea(int numero, const std::string& texto) {
    auto it = Archivos().find(numero);
    if (it == Archivos().end()) return false;
    const std::string linea = texto + "\r\n";
    bool ok = std::fwrite(linea.data(), 1, linea.size(), it->second) == linea.size();
    std::fflush(it->second);
    return ok;
}

std::string EnCarpeta(const std::string& nombre) {
    return kvtx8::RutaLocal(Mod.Carpeta + nombre);
}

bool CreaComponente(const std::string& clase, const std::string& prefijo) {
    const std::string c = kvtx8::Minusculas(clase);
    for (const char* k : kComponentes)
        if (c == k) return true;
    Ventana().MensajeSimple(
        "Error nº 429, El componente ActiveX no puede crear el objeto\r\nIntentando crear \"" + prefijo +
            "." + clase + "\"",
        kCritico, "Alerta");
    return false;
}

bool AbreBase(BasesDD& bd, Conexion& cn, const std::string& base) {
    int inicio = ElReloj().Timer();
    while (true) {
        if (bd.AbrirBdD(cn, base)) return true;
        const int ahora = ElReloj().Timer();
        if (ahora >= inicio) {
            if (ahora - inicio >= Mod.SegundosReintento + 1) return false;
        } else {
            inicio = ahora;  // midnight passed: the allowance starts again
        }
        ElReloj().Pausa(200);
    }
}

bool AbreBaseLocal(Conexion& cn) {
    return AbreBase(Mod.BDLocal, cn, Mod.BDLocal.cMiBase);
}
bool AbreBaseEspejo(Conexion& cn) {
    return AbreBase(Mod.BDRemota, cn, Mod.BDRemota.cMiBase);
}
bool AbreBaseRemota(Conexion& cn, const std::string& base) {
    return AbreBase(Mod.BDRemota, cn, base);
}

void EscribeBitacora(int archivo, const std::string& texto) {
    ImprimeLinea(archivo, AhoraTexto("dd/mmm/yy hh:nn:ss") + " - " + texto);
}

std::string TextoDesconexion(bool local) {
    return std::string(local ? "DESCONEXIÓN DE LA EMPRESA LOCAL" : "NO CONECTÓ A LA EMPRESA ESPEJO") +
           ". ENVÍO DE INFORMACIÓN INTERRUMPIDO";
}

void AvisaDesconexion(int archivo, bool local) {
    EscribeBitacora(archivo, TextoDesconexion(local));
}

void EscribeProblema(int archivo, const std::string& tabla, const std::string& texto, bool sangria) {
    // Print positions 10 and 40 are taken as columns: the table starts at column 10, the text at 40.
    std::string linea(9, ' ');
    linea += tabla;
    if (linea.size() < 39)
        linea.resize(39, ' ');
    else
        linea += ' ';
    linea += ".- " + std::string(sangria ? 10 : 0, ' ') + texto + ".";
    ImprimeLinea(archivo, linea);
}

int AbreBloqueBitacora(int numero, bool vaciar) {
    int n = AbreArchivo(EnCarpeta(kArchivoBitacora), vaciar ? ModoArchivo::Salida : ModoArchivo::Agregar);
    ImprimeLinea(n, "Bitácora " + std::to_string(numero));
    EscribeBitacora(n, "*** Inicio de bitácora");
    return n;
}

void CierraBloqueBitacora(int archivo) {
    EscribeBitacora(archivo, "*** Fin de bitácora");
    ImprimeLinea(archivo, "");
    CierraArchivo(archivo);
}

namespace {
std::string SelloErrores() {
    return AhoraTexto("yyyy-mm-dd - hh:nn:ss") + "     ";
}
}  // namespace

void BitacoraDeErrores(bool inicio) {
    if (!inicio) {
        AnotaError("Fin de la bitácora de errores");
        return;
    }
    int n = AbreArchivo(EnCarpeta(kArchivoErrores), ModoArchivo::Salida);
    ImprimeLinea(n, SelloErrores() + "Inicio, para bitácora de errores");
    ImprimeLinea(n, "");
    CierraArchivo(n);
}

void AnotaError(const std::string& texto) {
    int n = AbreArchivo(EnCarpeta(kArchivoErrores), ModoArchivo::Agregar);
    ImprimeLinea(n, SelloErrores() + texto);
    CierraArchivo(n);
}

void GrabaRegistro(const std::string& nombre, const std::string& dato) {
    // Its values are read trimmed: stored so, as the file refuses blanks at the ends.
    Mod.Registro.GrabarCadena(kLlaveRegistro, nombre, kvtx8::Recorta(dato));
}

std::string LeeRegistro(const std::string& nombre) {
    return kvtx8::Recorta(Mod.Registro.LeerCadena(kLlaveRegistro, nombre));
}

uint8_t MensajeSkn(const std::string& texto, int estilo, const std::string& titulo, uint8_t) {
    return Ventana().Mensaje(texto, estilo, titulo);
}

bool Pregunta(const std::string& texto, const std::string& titulo, bool noPorDefecto) {
    return MensajeSkn(texto, kSiNo + kPregunta + (noPorDefecto ? kSegundoBoton : 0), titulo, 0) == kSi;
}

uint8_t ManejarAvisosDe(std::string_view guardado) {
    return ComoByte(guardado) == 1 ? 1 : 0;
}

bool AvisosManejados() {
    return Mod.ManejarAvisos == 1;
}

void MuestraOpciones() {
    PuertoVentana& v = Ventana();
    const bool avisos = AvisosManejados();
    v.Texto(Control::Label12, std::to_string(Mod.Minutos));
    v.Texto(Control::Label13, avisos ? std::to_string(Mod.AvisosAMostrar) : "* * *");
    v.Texto(Control::Label_10, std::string(avisos ? "Sí" : "No") + " maneja avisos.");
    v.Habilitado(Control::Label_6, avisos);
    v.Habilitado(Control::Label13, avisos);
    v.Texto(Control::Label_11, std::string(Mod.ActualizAutomatica == 1 ? "Buscar" : "No buscar") +
                                   " actualizaciones automáticamente.");
    v.Texto(Control::Label_12, Mod.SoloRespaldar == 1 ? "Solamente RESPALDAR en empresa espejo"
                                                      : "Enviar y recibir información de empresa espejo");
    v.Marcado(Control::chkAvisos, avisos);
    v.Marcado(Control::chkSoloRespaldar, Mod.SoloRespaldar == 1);
    v.Marcado(Control::chkActualiza, Mod.ActualizAutomatica == 1);
    v.Texto(Control::txtMinutos, std::to_string(Mod.Minutos));
    v.Texto(Control::txtAvisos, std::to_string(Mod.AvisosAMostrar));
    v.MuestraOpciones(Opciones{Mod.Minutos, Mod.AvisosAMostrar, avisos, Mod.ActualizAutomatica == 1,
                               Mod.SoloRespaldar == 1});
}

void LeerUltimaConexion() {
    Ventana().Texto(Control::Label11,
                    "Última conexión: " + kvtx8::LeeIni("Información", "Ultima conexión", Mod.ArchivoIni));
    Ventana().Ceder();
}

void AgregaCondicion(std::string& texto, const std::string& condicion) {
    if (!texto.empty()) texto += " and ";
    texto += condicion;
}

}  // namespace cnc
