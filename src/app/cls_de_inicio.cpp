#include "app/cls_de_inicio.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/comandos.h"
#include "app/scheduler.h"
#include "connection/cls_descargas.h"
#include "core/reglas.h"
#include "core/shared_routines.h"
#include "notices/cls_postits.h"
#include "notices/notice_store.h"

namespace fs = std::filesystem;

namespace cnc {

namespace {

const char* const kConfiguracion = "Configuración";
const char* const kTituloCorrecciones = "Configuración";

// A configuration file that exists but cannot be read as text is never rewritten.
bool IniIlegible() {
    std::error_code ec;
    if (!fs::exists(Mod.ArchivoIni, ec)) return false;
    if (!fs::is_regular_file(Mod.ArchivoIni, ec)) return true;
    std::ifstream f(Mod.ArchivoIni, std::ios::binary);
    if (!f) return true;
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str().find('\0') != std::string::npos;
}

void Corrige(const std::string& linea) {
    for (const auto& c : Correcciones())
        if (c == linea) return;
    Correcciones().push_back(linea);
}

// A whole number of the file within limits; otherwise the default, written back, and a correction noted.
long NumeroDelIni(const std::string& clave, const std::string& defecto, long minimo, long maximo) {
    const std::string v = LeeIniConDefecto(kConfiguracion, clave, defecto);
    const std::string t = kvtx8::Recorta(v);
    double n = kvtx8::kvVal(t);
    if (kvtx8::EsNumerico(t) && n >= minimo && n <= maximo) return static_cast<long>(n);
    if (!IniIlegible()) kvtx8::EscribeIni(kConfiguracion, clave, defecto, Mod.ArchivoIni);
    Corrige("\"" + clave + "\" = \"" + v + "\" no es válido; se usa " + defecto);
    return static_cast<long>(kvtx8::kvVal(defecto));
}

uint8_t Bandera(const std::string& clave, const std::string& defecto) {
    return kvtx8::Mayusculas(LeeIniConDefecto(kConfiguracion, clave, defecto)) == "S" ? 1 : 0;
}

void AvisaCorrecciones() {
    if (Correcciones().empty()) return;
    std::string texto = "Archivo de configuración (" + Mod.ArchivoIni + "):";
    for (const auto& c : Correcciones()) texto += "\r\n" + c;
    Correcciones().clear();
    Ventana().MensajeSimple(texto, kExclamacion, kTituloCorrecciones);
}

std::string DirectorioDeConfiguracion() {
    if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x) return x;
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/root") + "/.config";
}

// An argument of a desktop entry's Exec line, quoted as the format asks.
std::string ArgumentoExec(const std::string& a) {
    std::string r = "\"";
    for (char c : a) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') r += '\\';
        if (c == '%') r += '%';
        r += c;
    }
    return r + "\"";
}

}  // namespace

std::vector<std::string>& Correcciones() {
    static std::vector<std::string> c;
    return c;
}

std::string& RutaDelPrograma() {
    static std::string ruta = [] {
        std::error_code ec;
        auto p = fs::read_symlink("/proc/self/exe", ec);
        return ec ? std::string("concentrador") : p.string();
    }();
    return ruta;
}

void PreparaModulo(const std::string& carpeta) {
    std::error_code ec;
    fs::path p = fs::absolute(carpeta.empty() ? "." : carpeta, ec).lexically_normal();
    std::string c = p.string();
    while (c.size() > 1 && c.back() == '/') c.pop_back();
    Mod.Carpeta = c;
    Mod.ArchivoIni = EnCarpeta(kArchivoIni);
    Mod.Acceso.UsaArchivoIni(Mod.ArchivoIni);
    Mod.SegundosReintento = 30;
    if (const char* r = std::getenv("CONCENTRADOR_REINTENTO"); r && *r && kvtx8::EsNumerico(r)) {
        double n = kvtx8::kvVal(r);
        if (n >= 0 && n <= 3600) Mod.SegundosReintento = static_cast<int>(n);
    }
}

std::string LeeIniConDefecto(const std::string& seccion, const std::string& clave,
                             const std::string& defecto) {
    if (IniIlegible()) {
        Corrige("no se pudo leer el archivo; \"" + clave + "\" toma su valor por defecto (" + defecto + ")");
        return defecto;
    }
    std::string v = kvtx8::LeeIni(seccion, clave, Mod.ArchivoIni);
    if (!v.empty()) return v;
    const bool presente = kvtx8::HayClaveIni(seccion, clave, Mod.ArchivoIni);
    kvtx8::EscribeIni(seccion, clave, defecto, Mod.ArchivoIni);
    // A key not there yet is only filled in (a new file is all defaults); one left empty is a correction.
    if (presente) Corrige("\"" + clave + "\" estaba vacío; se escribió " + defecto);
    return defecto;
}

bool CargaConexionLocal(bool leerBasePrincipal) {
    if (!CreaComponente("LibKRNM", "kvtx8") || !CreaComponente("DeArchivos", "kvtx8") ||
        !CreaComponente("Utilerias", "kvtx8"))
        return false;
    const std::string ruta =
        LeeIniConDefecto(kConfiguracion, "Ruta de Tarvena Premium", "C:\\tarvenapremium");
    kvtx8::DelRegistro& r = Mod.Registro;
    // A damaged registry would read as an empty one: say where it is instead of going on without it.
    if (r.Danado()) {
        Ventana().MensajeSimple("No se puede usar el registro de este programa: " + r.Problema() +
                                    ".\r\nCorríjalo o restáurelo; este programa no lo reemplazará.",
                                kCritico, "Atención");
        return false;
    }
    if (r.BuscarRegistroT8X(ruta).empty()) {
        Ventana().MensajeSimple(
            "En el archivo de configuración de este programa\r\r(" + Mod.ArchivoIni +
                ")\r\rdebe indicarse la ruta correcta de Tarvena Premium.\rRuta indicada e "
                "incorrecta: \r\r" +
                ruta,
            kCritico, "Atención");
        if (Ventana().MensajeSimple("¿Desea editar el archivo de configuración?", kSiNo + kPregunta,
                                    "Editar INI") == kSi)
            Ventana().AbreDocumento(Mod.ArchivoIni);
        return false;
    }
    BasesDD& bd = Mod.BDLocal;
    bd.cPuerto = "3306";
    bd.cPassword = "";
    bd.cUsuario = "root";
    // No port, or the server's default, is written as the default port.
    if (ComoPuerto(r.DatosT8X("MySQLPuerto")).value_or(0) == 0) r.GuardaDatosT8X("MySQLPuerto", "3306");
    if (kvtx8::Recorta(r.DatosT8X("MySQLServer")).empty())
        r.GuardaDatosT8X("MySQLServer", r.DatosT8X("servidor"));
    if (r.DatosT8X("MySQLUsuario").empty()) r.GuardaDatosT8X("MySQLUsuario", Mod.Acceso.Encripta("root"));
    if (r.DatosT8X("MySQLPassword").empty()) r.GuardaDatosT8X("MySQLPassword", Mod.Acceso.Encripta(""));
    bd.cPassword = Mod.Acceso.DesEncripta(r.DatosT8X("MySQLPassword"));
    bd.cUsuario = Mod.Acceso.DesEncripta(r.DatosT8X("MySQLUsuario"));
    bd.cPuerto = std::to_string(ComoPuerto(r.DatosT8X("MySQLPuerto")).value_or(3306));
    bd.cRuta = kvtx8::Recorta(r.DatosT8X("MySQLServer"));
    if (leerBasePrincipal) bd.cMiBase = LeeIniConDefecto(kConfiguracion, "Base de datos principal", "datos1");
    return true;
}

bool EsperaBaseLocal() {
    Conexion cn;
    int fallas = 0, grupos = 0;
    bool abierta = false;
    while (true) {
        Ventana().Ceder();
        if (Form1().FinPedido) break;
        if (Mod.BDLocal.AbrirBdD(cn, Mod.BDLocal.cMiBase)) {
            abierta = true;
            break;
        }
        ElReloj().Pausa(1000);
        if (++fallas >= 61) {
            fallas = 0;
            if (++grupos >= 5) {
                if (!Pregunta(
                        "No se ha establecido conexión con la base de datos. ¿Desea reintentar conectar?",
                        "Sin conexión", true))
                    break;
                grupos = 0;
            }
        }
    }
    cn.Cerrar();
    return abierta;
}

void clsDeInicio::CreaObjetos(std::string& archivoExe, bool& correcto) {
    correcto = false;
    Mod.Detener = false;
    archivoExe = kArchivoExe;
    for (const char* c : {"libKRNM", "BasesDD", "DeEquipo", "Utilerias", "DeArchivos"})
        if (!CreaComponente(c, "Kvtx8")) return;
    for (const char* c : {"DeAcceso", "DelRegistro"})
        if (!CreaComponente(c, "kvtx8")) return;
    for (const char* c : {"BasesDD", "CicloSecuencial"})
        if (!CreaComponente(c, "Kvtx8")) return;
    if (Mod.ArchivoIni.empty()) Mod.ArchivoIni = EnCarpeta(kArchivoIni);
    Mod.Acceso.UsaArchivoIni(Mod.ArchivoIni);
    // Without this installation's key no stored secret can be read or written.
    if (!Mod.Acceso.LlaveLista()) {
        Ventana().MensajeSimple("No se puede usar la llave del grupo: " + Mod.Acceso.Problema() +
                                    ".\r\nEste programa se cerrará.",
                                kCritico, "Atención");
        return;
    }
    PreparaDatosDelSitio();
    if (!CargaConexionLocal(true)) {
        AvisaCorrecciones();
        return;
    }
    if (!EsperaBaseLocal()) return;
    LeerConfiguracion(correcto);
    AvisaCorrecciones();
    // The program would end here without a word: say why.
    if (!correcto)
        Ventana().MensajeSimple(
            "No se pudieron leer los ajustes del concentrador en la base de datos "
            "concentradorqmx del servidor local (" +
                Mod.BDLocal.cRuta + ":" + Mod.BDLocal.cPuerto + ").\r\nEste programa se cerrará.",
            kCritico, "Atención");
}

void clsDeInicio::LeerConfiguracion(bool& correcto) {
    correcto = false;
    Mod.Minutos = static_cast<int16_t>(NumeroDelIni("Minutos", "15", 1, 32767));
    Mod.RegistrosATomar = static_cast<int16_t>(NumeroDelIni("Registros a tomar", "100", -32768, 32767));
    Mod.AvisosAMostrar = static_cast<int16_t>(NumeroDelIni("Avisos a mostrar", "10", -32768, 32767));
    Mod.ManejarAvisos = Bandera("Manejar avisos", "S");
    Mod.ActualizAutomatica = Bandera("Actualización automática", "S");
    Mod.SoloRespaldar = Bandera("Solamente respaldar en ESPEJO", "N");
    // Optional: absent or empty, the hub connection needs no TLS, and nothing is written or corrected.
    Mod.CAConcentrador = kvtx8::Recorta(kvtx8::LeeIni(kConfiguracion, "CA del concentrador", Mod.ArchivoIni));

    Conexion cn;
    if (AbreBase(Mod.BDLocal, cn, "concentradorqmx")) {
        BasesDD& bd = Mod.BDLocal;
        // A setting that cannot be created keeps the file's value; only a missing schema ends the start-up.
        const auto inicia = [&](const char* clave, const std::string& valor, const char* tipo,
                                const char* descripcion) {
            if (bd.IniciaDato(clave, valor, tipo, descripcion, cn)) return true;
            AnotaError("No se pudo crear el ajuste \"" + std::string(clave) + "\" en concentradorqmx (" +
                       cn.MensajeError() + "); se usa " + valor);
            return false;
        };
        const bool minutos = inicia("Minutos", std::to_string(Mod.Minutos), "N", "Minutos para envío");
        const bool avisos =
            inicia("AvisosAmostrar", std::to_string(Mod.AvisosAMostrar), "N", "Avisos a mostrar");
        const bool manejar =
            inicia("ManejarAvisos", std::to_string(Mod.ManejarAvisos), "N", "Manejar avisos");
        const bool actualiza = inicia("ActualizAutomatica", std::to_string(Mod.ActualizAutomatica), "N",
                                      "Actualización automática");
        const bool respaldar =
            inicia("SoloRespaldar", std::to_string(Mod.SoloRespaldar), "N", "Solamente respaldar en ESPEJO");
        inicia("FDDUA", "2018-08-01 00:00:00", "C", "Fecha Definida De Ultima Actualización");
        if (minutos) {
            const double n = kvtx8::kvVal(bd.LeeDato("Minutos", cn));
            // An interval below one minute would start a connection on every tick.
            if (n >= 1 && n <= 32767)
                Mod.Minutos = static_cast<int16_t>(n);
            else
                Corrige("\"Minutos\" de concentradorqmx no es válido; se usa " + std::to_string(Mod.Minutos));
        }
        if (avisos) {
            const double n = kvtx8::kvVal(bd.LeeDato("AvisosAmostrar", cn));
            Mod.AvisosAMostrar = static_cast<int16_t>(n > 32767 ? 32767 : n < -32768 ? -32768 : n);
        }
        if (manejar) Mod.ManejarAvisos = ManejarAvisosDe(bd.LeeDato("ManejarAvisos", cn));
        // A byte: anything else stored there counts as off.
        if (actualiza) Mod.ActualizAutomatica = ComoByte(bd.LeeDato("ActualizAutomatica", cn));
        if (respaldar) Mod.SoloRespaldar = ComoByte(bd.LeeDato("SoloRespaldar", cn));
        MuestraOpciones();
        correcto = true;
    }
    if (Mod.RegistrosATomar < 100) Mod.RegistrosATomar = 100;
    if (Mod.AvisosAMostrar < 1) Mod.AvisosAMostrar = 0;
    const bool avisos = AvisosManejados();
    for (Control c : {Control::Command7, Control::Command5, Control::Label_6, Control::txtAvisos})
        Ventana().Habilitado(c, avisos);
    // "&Ocultar avisos" has something to hide only while a notice window is open.
    Ventana().Habilitado(Control::Command6, Ventana().AvisosAbiertos() > 0);
    cn.Cerrar();
}

void clsDeInicio::Controles(const std::string&) {
    LimpiaUltimosAvisos();
    Ventana().Texto(Control::Label2, kvtx8::NetName());
    Ventana().Texto(Control::Label4, std::to_string(Mod.RegistrosATomar));
    Ventana().Texto(Control::Form1, "Cliente del concentrador de información.   v" + VersionDelPrograma());
    Ventana().Tooltip(Control::Command1, "Ocultar ventana, enviándola a la barra de tareas");
    Ventana().Tooltip(Control::cmdTerminar, "Cerrar el programa");
    Ventana().Tooltip(Control::cmdConexion, "Definir los datos de conexión al concentrador matriz");
}

std::string ArchivoDeArranque() {
    return DirectorioDeConfiguracion() + "/autostart/concentrador-" + Mod.Prefijo + ".desktop";
}

void RegistraArranqueAutomatico() {
    if (kvtx8::HayArchivo(EnCarpeta(kMarcador)) || Mod.Prefijo.empty()) return;
    const std::string archivo = ArchivoDeArranque();
    std::error_code ec;
    {
        std::ifstream f(archivo);
        std::string linea;
        while (std::getline(f, linea))
            if (linea.rfind("Exec=", 0) == 0 && !kvtx8::Recorta(linea.substr(5)).empty()) return;
    }
    fs::create_directories(fs::path(archivo).parent_path(), ec);
    const std::string tmp = archivo + ".tmp";
    {
        std::ofstream f(tmp, std::ios::binary | std::ios::trunc);
        if (!f) return;
        f << "[Desktop Entry]\nType=Application\nName=Cliente del concentrador de información\n"
          << "Exec=" << ArgumentoExec(RutaDelPrograma()) << " --carpeta " << ArgumentoExec(Mod.Carpeta)
          << "\n"
          << "X-GNOME-Autostart-enabled=true\n";
        if (!f) return;
    }
    fs::rename(tmp, archivo, ec);
    if (ec) fs::remove(tmp, ec);
}

void clsDeInicio::DatosConexion(bool& presentes) {
    presentes = false;
    Conexion cn;
    if (!AbreBase(Mod.BDLocal, cn, "")) return;
    Registros rs;
    if (Mod.BDLocal.AbrirTabla(
            rs, cn, kvtx8::CambXXXSQL("empresas WHERE BaseDeDatos='XXX'", Mod.BDLocal.cMiBase, cn)) &&
        !rs.Eof()) {
        const std::string servidor = Mod.Acceso.DesEncripta(rs.Texto("Servidor2"), 1);
        const std::string base = Mod.Acceso.DesEncripta(rs.Texto("BaseDeDatos3"), 2);
        Ventana().Texto(Control::txtConecte_0, servidor);
        Ventana().Texto(Control::txtConecte_2, std::to_string(rs.Entero("Puerto2")));
        Ventana().Texto(Control::txtConecte_3, Mod.Acceso.DesEncripta(rs.Texto("Usuario2"), 3));
        Ventana().Texto(Control::txtConecte_4, Mod.Acceso.DesEncripta(rs.Texto("Conexion2"), 4));
        Ventana().Texto(Control::txtConecte_1, base);
        presentes = !kvtx8::Recorta(base).empty() && !kvtx8::Recorta(servidor).empty();
    }
    rs.Cerrar();
    cn.Cerrar();
}

void clsDeInicio::PonerSystray() {
    Ventana().IconoEnBandeja(true);
}

void clsDeInicio::MouseMove(int, int, int x, int) {
    if (x != 514 && x != 517) return;
    Form1().Minimizada = false;
    Ventana().Restaura();
    Ventana().Visible(Control::Form1, true);
    if (Form1().Picture1) DarleElFoco(Control::Picture1);
}

void clsDeInicio::MataObjetos() {
    Ventana().IconoEnBandeja(false);
    clsPostits::DescargarPostIts();
    CierraArchivos();
}

void MuestraConexion() {
    EstadoForm1& f = Form1();
    // It takes the place of whichever panel showed: at start-up the main one, else the settings.
    f.Picture1 = false;
    f.Picture4 = false;
    f.Picture2 = true;
    Ventana().MuestraPanel(Panel::Conexion);
    DarleElFoco(Control::txtConecte_0);
}

bool Arranque(bool conectarAlInicio) {
    EstadoForm1& f = Form1();
    clsDeInicio inicio;
    Ventana().Estado("");
    Mod.TipoSucursal = 250;
    Mod.FormatoFechaHora = "yyyy-mm-dd hh:nn:ss";
    f.PrimeraActivacion = true;
    CierraArchivos();

    std::string exe;
    bool correcto = false;
    inicio.CreaObjetos(exe, correcto);
    if (!correcto) return false;
    inicio.Controles(exe);

    clsDescargas descargas;
    bool manual = false, forzado = false, terminar = false;
    descargas.VerificaVersiones(manual, forzado, terminar);
    if (terminar || Mod.TerminarPrograma) {
        DescargaVentana();
        return false;
    }
    descargas.RegistrarConcentrador();
    if (Mod.Prefijo.empty()) {
        DescargaVentana();
        return false;
    }
    // A one-shot run is a scripted one: it does not ask to start at every login.
    if (conectarAlInicio) RegistraArranqueAutomatico();
    Ventana().Texto(Control::Label3, Mod.BDLocal.cMiBase);
    if (LeeRegistro(Mod.Prefijo + "_BaseDeDatos") != Mod.BDLocal.cMiBase) descargas.GrabaBaseDeDatos();
    bool empresaCorrecta = false;
    descargas.EmpresaCorrecta(empresaCorrecta);
    if (!empresaCorrecta) {
        DescargaVentana();
        return false;
    }
    LeeIniConDefecto("Información", "Ultima conexión", "No hay fecha de última conexión");
    IniciaCuenta(0);
    inicio.PonerSystray();

    bool presentes = false;
    if (kvtx8::HayArchivo(EnCarpeta(kMarcador))) {
        f.Minimizada = false;
        Ventana().Restaura();
        inicio.DatosConexion(presentes);
        if (!presentes) MuestraConexion();
    } else {
        inicio.DatosConexion(presentes);
        if (!presentes)
            MuestraConexion();
        else if (conectarAlInicio)
            EnviarAhora(0);
    }
    f.DatosPresentes = presentes;
    if (f.Descargada) return false;
    f.Label7Tag = "Enviando información... ";
    LeerUltimaConexion();
    return true;
}

void DescargaVentana() {
    EstadoForm1& f = Form1();
    if (f.Descargada) return;
    Form_Unload();
    Ventana().Descarga();
}

}  // namespace cnc
