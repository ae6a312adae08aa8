#include "connection/cls_descargas.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "connection/cls_ftp.h"
#include "connection/firma_actualizacion.h"
#include "core/reglas.h"
#include "core/shared_routines.h"

namespace cnc {

namespace fs = std::filesystem;

namespace {

std::vector<std::string> Separa(const std::string& texto, char separador) {
    std::vector<std::string> r;
    size_t i = 0;
    while (true) {
        size_t p = texto.find(separador, i);
        r.push_back(texto.substr(i, p == std::string::npos ? std::string::npos : p - i));
        if (p == std::string::npos) break;
        i = p + 1;
    }
    return r;
}

// The name under which a catalogue entry is fetched and stored: its last path part, never a folder.
std::string NombreSeguro(const std::string& parte) {
    const std::string n = kvtx8::Recorta(kvtx8::NombreDeArchivo(kvtx8::Recorta(parte)));
    return n == "." || n == ".." ? std::string() : n;
}

// The activity log while a connection runs; otherwise the error log, which the user reads beside it.
void Anota(const std::string& texto) {
    if (ArchivoAbierto(Mod.Bitacora))
        EscribeBitacora(Mod.Bitacora, "     " + texto);
    else
        AnotaError(texto);
}

// Fetches the signature of a downloaded file and checks it; a file that does not verify is deleted, so the
// updater never sees it. The signature goes too: the download folder holds only what is to be installed.
bool Firmado(clsFTP& ftp, const std::string& local, const std::string& nombre, const std::string& llave) {
    const std::string firma = local + kExtensionFirma;
    if (kvtx8::HayArchivo(firma)) kvtx8::BorraArchivo(firma);
    const bool ok = ftp.FTPDownloadFile(firma, kCarpetaRemota + nombre + kExtensionFirma) &&
                    FirmaValida(local, firma, llave);
    kvtx8::BorraArchivo(firma);
    if (ok) return true;
    kvtx8::BorraArchivo(local);
    Anota("La firma de " + nombre + " no es válida: se borró el archivo y la actualización no se instalará");
    MensajeSkn(
        "El archivo " + nombre +
            " de la actualización no trae una firma válida. Se borró y la actualización no se instalará.",
        kCritico, "Error", 0);
    return false;
}

// Downloads the files of the catalogue row; false when one of them failed its signature, and then nothing
// is handed to the updater.
bool Descarga(const std::string& archivo, bool& terminar) {
    terminar = true;
    clsFTP ftp;
    ftp.SetModePassive();
    ftp.SetTransferBinary();
    const std::string carpeta = EnCarpeta(kCarpetaDescargas);
    if (!kvtx8::HayCarpeta(carpeta)) {
        std::error_code ec;
        fs::create_directories(carpeta, ec);
    }
    const std::string llave = LlaveDeActualizaciones();
    if (llave.empty())
        Anota("Las actualizaciones no se verifican: no hay llave pública de actualizaciones");
    else if (!EsLlavePublica(llave))
        Anota("La llave pública de actualizaciones no es una llave: ningún archivo se aceptará");
    const auto& s = Mod.Sitio;
    int descargados = 0;
    bool firmados = true;
    for (const auto& parte : Separa(archivo, ';')) {
        const std::string nombre = NombreSeguro(parte);
        if (nombre.empty()) {
            if (!kvtx8::Recorta(parte).empty())
                EscribeBitacora(Mod.Bitacora,
                                "     Nombre de archivo no válido en el catálogo: '" + parte + "'");
            continue;
        }
        Ventana().MuestraOcupado("Descargando " + nombre);
        if (!kvtx8::ComprobarConexion(s.Comprobar) ||
            !ftp.OpenConnection(s.FtpHost, s.FtpUsuario, s.FtpPassword)) {
            terminar = false;
            MensajeSkn("No hay conexión con el servidor Velnor", kCritico, "Error", 0);
            continue;
        }
        const std::string local = carpeta + nombre;
        if (kvtx8::HayArchivo(local)) kvtx8::BorraArchivo(local);
        ftp.blSigue(true);
        if (!ftp.FTPDownloadFile(local, kCarpetaRemota + nombre)) {
            // An incomplete set must not end the program for the updater to install it.
            terminar = false;
            EscribeBitacora(Mod.Bitacora, "     No se descargó " + nombre + ": " + ftp.GetLastErrorMessage());
        } else if (!llave.empty() && !Firmado(ftp, local, nombre, llave)) {
            terminar = false;
            firmados = false;
        } else {
            ++descargados;
        }
    }
    // A row that names no file brings nothing for the updater to install.
    if (descargados == 0) terminar = false;
    ftp.CloseConnection();
    Ventana().QuitaOcupado();
    MensajeSkn("Archivos descargados", kSoloOK, "Descarga terminada", 10);
    ftp.blSigue(false);
    return firmados;
}

// Written beside it and renamed over it: never through a link planted in its place, never seen half written.
bool EscribeEntrega(const std::string& ruta, const std::string& texto) {
    std::string temporal = ruta + ".XXXXXX";
    const int f = mkostemp(temporal.data(), O_CLOEXEC | O_NOFOLLOW);
    if (f < 0) return false;
    bool ok =
        fchmod(f, 0644) == 0 && write(f, texto.data(), texto.size()) == static_cast<ssize_t>(texto.size());
    ok = close(f) == 0 && ok;
    ok = ok && rename(temporal.c_str(), ruta.c_str()) == 0;
    if (!ok) unlink(temporal.c_str());
    return ok;
}

}  // namespace

void clsDescargas::VerificaVersiones(bool& manual, bool& forzado, bool& terminar) {
    Ventana().Ceder();
    terminar = false;
    if (!manual && !forzado && Mod.ActualizAutomatica != 1) return;

    const auto& s = Mod.Sitio;
    BasesDD bd;
    bd.cMiBase = s.Base;
    bd.cRuta = s.Servidor;
    bd.cPuerto = std::to_string(s.Puerto);
    bd.cUsuario = s.Usuario;
    bd.cPassword = s.Password;
    kvtx8::Conexion cn;
    if (!AbreBase(bd, cn, bd.cMiBase)) return;

    kvtx8::Registros rs;
    bd.AbrirTabla(rs, cn, "plugins_lista WHERE Version<>'' AND Numero=" + std::to_string(kNumeroEnCatalogo));
    if (!rs.Eof()) {
        bool descargar = forzado;
        if (!forzado && kvtx8::VersionVB(VersionDelPrograma()) < kvtx8::VersionVB(rs.Texto("Version")))
            descargar = Pregunta(
                "Existe una versión más reciente de este programa. ¿Desea descargarla ahora? "
                "(tome en cuenta que TAMBIEN debe estar actualizado Tarvena Premium a la ÚLTIMA VERSIÓN)",
                "Descargar nueva versión", true);
        if (descargar && Descarga(rs.Texto("Archivo"), terminar)) AvisaAuxiliar();
    }
    rs.Cerrar();
    bd.CierraBdD(cn);
}

std::string BuscaAuxiliar() {
    // Only the updater installed beside this program is trusted with its files.
    std::error_code ec;
    const fs::path programa = fs::canonical(Mod.Carpeta, ec);
    if (ec) return {};
    std::vector<long> procesos;
    for (fs::directory_iterator it("/proc", ec), fin; !ec && it != fin; it.increment(ec)) {
        const std::string n = it->path().filename().string();
        if (!n.empty() && std::all_of(n.begin(), n.end(), [](char c) { return c >= '0' && c <= '9'; }))
            procesos.push_back(std::stol(n));
    }
    std::sort(procesos.begin(), procesos.end());
    for (long pid : procesos) {
        Ventana().Ceder();
        char ruta[4096];
        const std::string enlace = "/proc/" + std::to_string(pid) + "/exe";
        ssize_t l = readlink(enlace.c_str(), ruta, sizeof ruta - 1);
        if (l <= 0) continue;
        std::string exe(ruta, static_cast<size_t>(l));
        const std::string borrado = " (deleted)";
        if (exe.size() > borrado.size() &&
            exe.compare(exe.size() - borrado.size(), borrado.size(), borrado) == 0)
            exe.resize(exe.size() - borrado.size());
        if (kvtx8::Minusculas(kvtx8::NombreDeArchivo(exe)).find("qmxauxiliar") == std::string::npos) continue;
        if (fs::path(exe).parent_path() == programa) return exe;
    }
    return {};
}

void clsDescargas::AvisaAuxiliar() {
    const std::string exe = BuscaAuxiliar();
    if (exe.empty()) return;
    std::string carpeta = kvtx8::RutaDeArchivo(exe);
    if (carpeta.empty() || carpeta.back() != '/') carpeta += '/';
    // The updater runs from elsewhere: it needs the folder from the root.
    std::error_code ec;
    std::string descargas = fs::absolute(EnCarpeta(kCarpetaDescargas), ec).lexically_normal().string();
    if (ec) descargas = EnCarpeta(kCarpetaDescargas);
    if (descargas.empty() || descargas.back() != '/') descargas += '/';
    if (!EscribeEntrega(carpeta + kArchivoAuxiliar, "-n\r\n" + descargas + "\r\n"))
        AnotaError("No se pudo avisar al actualizador: " + carpeta + kArchivoAuxiliar);
}

namespace {

// Placeholders under a reserved domain, so that no one's real host is ever tried: a deployment puts its own
// site in the registry (the stored form that `concentrador --cifrar -` gives of the values, one per line).
struct Sitio {
    static constexpr const char* kServidor = "catalogo.velnor.example";
    static constexpr int32_t kPuerto = 3306;
    static constexpr const char* kBase = "velnor_descargas";
    static constexpr const char* kUsuario = "catalogo";
    static constexpr const char* kPassword = "";
    static constexpr const char* kFtpHost = "ftp.velnor.example";
    static constexpr const char* kFtpUsuario = "descargas";
    static constexpr const char* kFtpPassword = "";
};

std::string Junta(const std::vector<std::string>& v) {
    std::string r;
    for (size_t i = 0; i < v.size(); ++i) r += (i ? "\n" : "") + v[i];
    return r;
}

// Reads one value: missing, it is written from `defecto`; present, its lines replace `defecto` when they
// decipher and are as many.
void LeeValor(const std::string& nombre, std::vector<std::string>& campos) {
    const std::string guardado = Mod.Registro.LeerCadena(kLlaveSitio, nombre);
    if (kvtx8::Recorta(guardado).empty()) {
        Mod.Registro.GrabarCadena(kLlaveSitio, nombre, Mod.Acceso.Encripta(Junta(campos)));
        return;
    }
    const std::string claro = Mod.Acceso.DesEncripta(kvtx8::Recorta(guardado));
    if (Mod.Acceso.UltimoFallo()) return;
    auto lineas = Separa(claro, '\n');
    for (auto& l : lineas)
        if (!l.empty() && l.back() == '\r') l.pop_back();
    if (lineas.size() == campos.size()) campos = lineas;
}

}  // namespace

void PreparaDatosDelSitio() {
    auto& s = Mod.Sitio;
    // Dato1: the catalogue database; Dato2: the FTP site; Dato3: the host that tells whether the site
    // answers.
    std::vector<std::string> catalogo{Sitio::kServidor, std::to_string(Sitio::kPuerto), Sitio::kBase,
                                      Sitio::kUsuario, Sitio::kPassword};
    std::vector<std::string> ftp{Sitio::kFtpHost, Sitio::kFtpUsuario, Sitio::kFtpPassword};
    std::vector<std::string> comprobar{Sitio::kFtpHost};
    LeeValor("Dato1", catalogo);
    LeeValor("Dato2", ftp);
    LeeValor("Dato3", comprobar);
    s.Servidor = catalogo[0];
    const std::string puerto = kvtx8::Recorta(catalogo[1]);
    s.Puerto = static_cast<int32_t>(ComoPuerto(puerto).value_or(Sitio::kPuerto));
    s.Base = catalogo[2];
    s.Usuario = catalogo[3];
    s.Password = catalogo[4];
    s.FtpHost = ftp[0];
    s.FtpUsuario = ftp[1];
    s.FtpPassword = ftp[2];
    s.Comprobar = comprobar[0];
}

}  // namespace cnc
