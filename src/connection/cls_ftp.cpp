#include "connection/cls_ftp.h"

#include <curl/curl.h>
#include <fnmatch.h>

#include <cctype>
#include <cstdio>
#include <ctime>
#include <filesystem>

#include "core/shared_routines.h"
#include "components/utilerias.h"

namespace cnc {

namespace fs = std::filesystem;

namespace {

// Attribute bits of a directory entry.
constexpr uint32_t kSoloLectura = 0x1, kOculto = 0x2, kSistema = 0x4, kCarpeta = 0x10, kArchivo = 0x20,
                   kNormal = 0x80, kTemporal = 0x100, kComprimido = 0x800, kFueraDeLinea = 0x1000;

// A failure that the server stated in its own words: its response says more than the code.
bool EsErrorExtendido(int codigo) {
    switch (codigo) {
        case CURLE_REMOTE_ACCESS_DENIED:
        case CURLE_FTP_COULDNT_RETR_FILE:
        case CURLE_QUOTE_ERROR:
        case CURLE_UPLOAD_FAILED:
        case CURLE_REMOTE_DISK_FULL:
        case CURLE_REMOTE_FILE_EXISTS:
        case CURLE_REMOTE_FILE_NOT_FOUND:
            return true;
        default:
            return false;
    }
}

std::vector<std::string> Partes(const std::string& ruta) {
    std::vector<std::string> r;
    size_t i = 0;
    while (i <= ruta.size()) {
        size_t p = ruta.find('/', i);
        if (p == std::string::npos) p = ruta.size();
        std::string s = ruta.substr(i, p - i);
        if (s == "..") {
            if (!r.empty() && r.back() != "..")
                r.pop_back();
            else if (ruta.empty() || ruta[0] != '/')
                r.push_back(s);
        } else if (!s.empty() && s != ".") {
            r.push_back(s);
        }
        i = p + 1;
    }
    return r;
}

// "a/./b/../c" -> "a/c"; an absolute path keeps its leading "/".
std::string Normaliza(const std::string& ruta) {
    std::string r = ruta.rfind('/', 0) == 0 ? "/" : "";
    bool primero = true;
    for (const auto& p : Partes(ruta)) {
        if (!primero) r += '/';
        r += p;
        primero = false;
    }
    return r;
}

std::string Une(const std::string& carpeta, const std::string& nombre) {
    if (nombre.rfind('/', 0) == 0 || carpeta.empty()) return nombre;
    return carpeta.back() == '/' ? carpeta + nombre : carpeta + "/" + nombre;
}

kvtx8::FechaHora LocalDeUTC(const std::string& sello) {
    // "YYYYMMDDHHMMSS[.sss]" as the server sends it, in UTC.
    kvtx8::FechaHora f;
    if (sello.size() < 14) return f;
    for (size_t i = 0; i < 14; ++i)
        if (!std::isdigit(static_cast<unsigned char>(sello[i]))) return f;
    std::tm t{};
    t.tm_year = std::stoi(sello.substr(0, 4)) - 1900;
    t.tm_mon = std::stoi(sello.substr(4, 2)) - 1;
    t.tm_mday = std::stoi(sello.substr(6, 2));
    t.tm_hour = std::stoi(sello.substr(8, 2));
    t.tm_min = std::stoi(sello.substr(10, 2));
    t.tm_sec = std::stoi(sello.substr(12, 2));
    std::time_t s = timegm(&t);
    std::tm l{};
    if (!localtime_r(&s, &l)) return f;
    return {l.tm_year + 1900, l.tm_mon + 1, l.tm_mday, l.tm_hour, l.tm_min, l.tm_sec};
}

size_t Descarta(char*, size_t t, size_t n, void*) {
    return t * n;
}

size_t AlTexto(char* d, size_t t, size_t n, void* u) {
    static_cast<std::string*>(u)->append(d, t * n);
    return t * n;
}

}  // namespace

// ---- cDirList

cDirItem& cDirList::Add(uint32_t a, const kvtx8::FechaHora& creacion, const kvtx8::FechaHora& acceso,
                        const kvtx8::FechaHora& escritura, int64_t tamano, const std::string& nombre) {
    cDirItem i;
    i.ReadOnly = a & kSoloLectura;
    i.Hidden = a & kOculto;
    i.System = a & kSistema;
    i.Directory = a & kCarpeta;
    i.Archive = a & kArchivo;
    i.Normal = a & kNormal;
    i.Temporary = a & kTemporal;
    i.Compressed = a & kComprimido;
    i.Offline = a & kFueraDeLinea;
    i.CreationTime = creacion;
    i.LastAccessTime = acceso;
    i.LastWriteTime = escritura;
    i.Size = tamano;
    i.Name = nombre;
    items_.push_back(i);
    return items_.back();
}

const cDirItem* cDirList::Item(const std::string& nombre) const {
    for (const auto& i : items_)
        if (i.Name == nombre) return &i;
    return nullptr;
}

const cDirItem* cDirList::Item(size_t posicion) const {
    return posicion >= 1 && posicion <= items_.size() ? &items_[posicion - 1] : nullptr;
}

// ---- clsFTP

clsFTP::clsFTP() {
    static const bool iniciado = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    (void)iniciado;
}

clsFTP::~clsFTP() {
    CloseConnection();
}

struct clsFTP::Transferencia {
    clsFTP* ftp = nullptr;
    std::FILE* archivo = nullptr;
    int64_t total = 0;
    int64_t escritos = 0;   // bytes written to the file in whole blocks
    int64_t enviados = 0;   // bytes handed to an upload
    std::string pendiente;  // bytes received beyond the last whole block
    bool sobrante = false;  // the server sent more than the size it gave
    bool fallaEscritura = false;
    bool detenido = false;

    static size_t Recibe(char* d, size_t t, size_t n, void* u) {
        auto* x = static_cast<Transferencia*>(u);
        const size_t largo = t * n;
        if (x->escritos + static_cast<int64_t>(x->pendiente.size() + largo) > x->total) {
            x->sobrante = true;
            return 0;
        }
        x->pendiente.append(d, largo);
        const int64_t bloques = x->total / kBloque;
        while (x->pendiente.size() >= static_cast<size_t>(kBloque) && x->escritos / kBloque < bloques) {
            if (std::fwrite(x->pendiente.data(), 1, kBloque, x->archivo) != static_cast<size_t>(kBloque)) {
                x->fallaEscritura = true;
                return 0;
            }
            x->pendiente.erase(0, kBloque);
            x->escritos += kBloque;
            Ventana().Ceder();
            if (x->ftp->Progreso) x->ftp->Progreso(x->escritos, x->total);
        }
        return largo;
    }

    static size_t Lee(char* d, size_t t, size_t n, void* u) {
        auto* x = static_cast<Transferencia*>(u);
        if (!x->ftp->sigue_) {
            x->detenido = true;
            return CURL_READFUNC_ABORT;
        }
        size_t pide = std::min<size_t>(t * n, kBloque);
        size_t leidos = std::fread(d, 1, pide, x->archivo);
        if (leidos > 0) {
            x->enviados += static_cast<int64_t>(leidos);
            Ventana().Ceder();
            if (x->ftp->Progreso) x->ftp->Progreso(x->enviados, x->total);
        }
        return leidos;
    }
};

size_t clsFTP::AlEncabezado(char* d, size_t t, size_t n, void* u) {
    // Every line of the control connection comes here; keep the last whole response.
    auto* ftp = static_cast<clsFTP*>(u);
    std::string linea(d, t * n);
    while (!linea.empty() && (linea.back() == '\n' || linea.back() == '\r')) linea.pop_back();
    const bool numerada = linea.size() >= 3 && std::isdigit(static_cast<unsigned char>(linea[0])) &&
                          std::isdigit(static_cast<unsigned char>(linea[1])) &&
                          std::isdigit(static_cast<unsigned char>(linea[2]));
    std::string& actual = ftp->respuesta_;
    if (!numerada && actual.empty()) return t * n;  // headers made up by the library
    if (!actual.empty()) actual += "\r\n";
    actual += linea;
    if (numerada && (linea.size() == 3 || linea[3] == ' ')) {
        ftp->ultimaRespuesta_ = actual;
        actual.clear();
    }
    return t * n;
}

void clsFTP::Prepara() {
    curl_easy_reset(curl_);
    errorCurl_[0] = 0;
    respuesta_.clear();
    curl_easy_setopt(curl_, CURLOPT_ERRORBUFFER, errorCurl_);
    curl_easy_setopt(curl_, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl_, CURLOPT_USERNAME, usuario_.c_str());
    curl_easy_setopt(curl_, CURLOPT_PASSWORD, password_.c_str());
    if (banderas_ & kPasivo) {
        curl_easy_setopt(curl_, CURLOPT_FTPPORT, nullptr);
        curl_easy_setopt(curl_, CURLOPT_FTP_USE_EPSV, 0L);
    } else {
        curl_easy_setopt(curl_, CURLOPT_FTPPORT, "-");
        curl_easy_setopt(curl_, CURLOPT_FTP_USE_EPRT, 0L);
    }
    curl_easy_setopt(curl_, CURLOPT_TRANSFERTEXT, tipo_ == kAscii ? 1L : 0L);
    // A site that stops answering must not hold the window for ever.
    curl_easy_setopt(curl_, CURLOPT_CONNECTTIMEOUT, 20L);
    curl_easy_setopt(curl_, CURLOPT_LOW_SPEED_LIMIT, bytesPorSegundo_);
    curl_easy_setopt(curl_, CURLOPT_LOW_SPEED_TIME, segundosLento_);
    curl_easy_setopt(curl_, CURLOPT_TIMEOUT, segundosPorArchivo_);
    curl_easy_setopt(curl_, CURLOPT_HEADERFUNCTION, AlEncabezado);
    curl_easy_setopt(curl_, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(curl_, CURLOPT_WRITEFUNCTION, Descarta);
}

std::string clsFTP::RutaAbsoluta(const std::string& remoto) const {
    return Normaliza(Une(actual_, kvtx8::RutaLocal(remoto)));
}

std::string clsFTP::Url(const std::string& remoto, bool carpeta) const {
    return UrlDe(RutaAbsoluta(remoto), carpeta);
}

std::string clsFTP::UrlDe(const std::string& ruta, bool carpeta) const {
    // "%2F/" starts from the root; otherwise the path is taken from the login directory.
    std::string url = "ftp://" + host_ + "/";
    if (ruta.rfind('/', 0) == 0) url += "%2F/";
    bool primero = true;
    for (const auto& p : Partes(ruta)) {
        if (!primero) url += '/';
        char* e = curl_easy_escape(curl_, p.c_str(), static_cast<int>(p.size()));
        url += e ? e : "";
        curl_free(e);
        primero = false;
    }
    if (carpeta && !primero) url += '/';
    return url;
}

void clsFTP::AnotaError(const std::string& operacion, int codigo) {
    const char* texto =
        codigo < 0 ? "no hay conexión abierta" : curl_easy_strerror(static_cast<CURLcode>(codigo));
    ultimoError_ = operacion + " error code: " + std::to_string(codigo) + " Message: " + texto;
    if (EsErrorExtendido(codigo) && !ultimaRespuesta_.empty()) ultimoError_ = ultimaRespuesta_;
}

bool clsFTP::Ejecuta(const std::string& operacion) {
    CURLcode c = curl_easy_perform(curl_);
    if (c == CURLE_OK) return true;
    AnotaError(operacion, c);
    return false;
}

bool clsFTP::OpenConnection(const std::string& host, const std::string& usuario,
                            const std::string& password) {
    CloseConnection();
    curl_ = curl_easy_init();
    if (!curl_) {
        AnotaError("InternetOpen", CURLE_FAILED_INIT);
        return false;
    }
    host_ = host;
    usuario_ = usuario;
    password_ = password;
    actual_.clear();
    inicio_.clear();
    ultimaRespuesta_.clear();
    Prepara();
    curl_easy_setopt(curl_, CURLOPT_URL, ("ftp://" + host_ + "/").c_str());
    curl_easy_setopt(curl_, CURLOPT_NOBODY, 1L);
    if (!Ejecuta("InternetConnect")) return false;
    char* entrada = nullptr;
    if (curl_easy_getinfo(curl_, CURLINFO_FTP_ENTRY_PATH, &entrada) == CURLE_OK && entrada) inicio_ = entrada;
    conectado_ = true;
    return true;
}

void clsFTP::CloseConnection() {
    conectado_ = false;
    if (curl_) curl_easy_cleanup(curl_);
    curl_ = nullptr;
}

bool clsFTP::Comandos(const std::string& operacion, const std::vector<std::string>& comandos) {
    if (!conectado_) {
        AnotaError(operacion, -1);
        return false;
    }
    Prepara();
    curl_slist* lista = nullptr;
    for (const auto& c : comandos) lista = curl_slist_append(lista, c.c_str());
    curl_easy_setopt(curl_, CURLOPT_URL, ("ftp://" + host_ + "/").c_str());
    curl_easy_setopt(curl_, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(curl_, CURLOPT_QUOTE, lista);
    bool ok = Ejecuta(operacion);
    curl_easy_setopt(curl_, CURLOPT_QUOTE, nullptr);
    curl_slist_free_all(lista);
    return ok;
}

// The commands run before any change of folder, so they carry the path from the root.
namespace {
std::string DesdeRaiz(const std::string& inicio, const std::string& ruta) {
    return ruta.rfind('/', 0) == 0 ? ruta : Normaliza(Une(inicio.empty() ? "/" : inicio, ruta));
}
}  // namespace

bool clsFTP::RenameFTPFile(const std::string& anterior, const std::string& nuevo) {
    return Comandos("FtpRenameFile", {"RNFR " + DesdeRaiz(inicio_, RutaAbsoluta(anterior)),
                                      "RNTO " + DesdeRaiz(inicio_, RutaAbsoluta(nuevo))});
}

bool clsFTP::CreateFTPDirectory(const std::string& nombre) {
    return Comandos("FtpCreateDirectory", {"MKD " + DesdeRaiz(inicio_, RutaAbsoluta(nombre))});
}

bool clsFTP::RemoveFTPDirectory(const std::string& nombre) {
    return Comandos("FtpRemoveDirectory", {"RMD " + DesdeRaiz(inicio_, RutaAbsoluta(nombre))});
}

bool clsFTP::DeleteFTPFile(const std::string& nombre) {
    return Comandos("FtpDeleteFile", {"DELE " + DesdeRaiz(inicio_, RutaAbsoluta(nombre))});
}

std::string clsFTP::GetFTPDirectory() {
    std::string r =
        actual_.rfind('/', 0) == 0 ? actual_ : Normaliza(Une(inicio_.empty() ? "/" : inicio_, actual_));
    if (r.empty()) r = "/";
    if (r.size() > 1024) r.resize(1024);
    return r;
}

bool clsFTP::SetFTPDirectory(const std::string& nombre) {
    if (!conectado_) {
        AnotaError("FtpSetCurrentDirectory", -1);
        return false;
    }
    const std::string nueva = RutaAbsoluta(nombre);
    Prepara();
    curl_easy_setopt(curl_, CURLOPT_URL, UrlDe(nueva, true).c_str());
    curl_easy_setopt(curl_, CURLOPT_NOBODY, 1L);
    if (!Ejecuta("FtpSetCurrentDirectory")) return false;
    actual_ = nueva;
    return true;
}

int64_t clsFTP::GetFTPFileSize(const std::string& remoto) {
    if (!conectado_) {
        AnotaError("FtpFindFirstFile", -1);
        return -2;
    }
    Prepara();
    // The size is asked in binary: some servers refuse it in ASCII.
    curl_easy_setopt(curl_, CURLOPT_TRANSFERTEXT, 0L);
    curl_easy_setopt(curl_, CURLOPT_URL, Url(remoto).c_str());
    curl_easy_setopt(curl_, CURLOPT_NOBODY, 1L);
    CURLcode c = curl_easy_perform(curl_);
    if (c == CURLE_REMOTE_FILE_NOT_FOUND || c == CURLE_REMOTE_ACCESS_DENIED) return -1;
    if (c != CURLE_OK) {
        AnotaError("FtpFindFirstFile", c);
        return -2;
    }
    curl_off_t largo = -1;
    curl_easy_getinfo(curl_, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &largo);
    if (largo >= 0) return largo;
    // No SIZE on this server: the listing of its folder tells.
    const std::string ruta = RutaAbsoluta(remoto);
    const std::string nombre = kvtx8::NombreDeArchivo(ruta);
    cDirList& l = GetDirectoryListing(ruta);
    if (const cDirItem* i = l.Item(nombre); i && !i->Directory) return i->Size;
    return -1;
}

cDirList& clsFTP::GetDirectoryListing(const std::string& patron) {
    lista_.Clear();
    if (!conectado_) {
        AnotaError("FtpFindFirstFile", -1);
        return lista_;
    }
    const std::string ruta = RutaAbsoluta(patron.empty() ? "*" : patron);
    std::string carpeta = kvtx8::RutaDeArchivo(ruta);
    std::string filtro = kvtx8::NombreDeArchivo(ruta);
    if (filtro.empty()) filtro = "*";
    Prepara();
    std::string texto;
    curl_easy_setopt(curl_, CURLOPT_URL, UrlDe(carpeta, true).c_str());
    curl_easy_setopt(curl_, CURLOPT_CUSTOMREQUEST, "MLSD");
    curl_easy_setopt(curl_, CURLOPT_TRANSFERTEXT, 1L);
    curl_easy_setopt(curl_, CURLOPT_WRITEFUNCTION, AlTexto);
    curl_easy_setopt(curl_, CURLOPT_WRITEDATA, &texto);
    if (!Ejecuta("FtpFindFirstFile")) return lista_;
    size_t i = 0;
    while (i < texto.size()) {
        size_t f = texto.find('\n', i);
        if (f == std::string::npos) f = texto.size();
        std::string linea = texto.substr(i, f - i);
        i = f + 1;
        if (!linea.empty() && linea.back() == '\r') linea.pop_back();
        // "type=file;size=510;modify=20261208090614; name"
        size_t espacio = linea.find(' ');
        if (espacio == std::string::npos) continue;
        const std::string nombre = linea.substr(espacio + 1);
        std::string tipo, permisos, modificado, creado;
        int64_t tamano = 0;
        size_t j = 0;
        const std::string hechos = linea.substr(0, espacio);
        while (j < hechos.size()) {
            size_t k = hechos.find(';', j);
            if (k == std::string::npos) k = hechos.size();
            std::string h = hechos.substr(j, k - j);
            j = k + 1;
            size_t igual = h.find('=');
            if (igual == std::string::npos) continue;
            const std::string clave = kvtx8::Minusculas(h.substr(0, igual)), valor = h.substr(igual + 1);
            if (clave == "type")
                tipo = kvtx8::Minusculas(valor);
            else if (clave == "size")
                tamano = static_cast<int64_t>(kvtx8::kvVal(valor));
            else if (clave == "modify")
                modificado = valor;
            else if (clave == "create")
                creado = valor;
            else if (clave == "perm")
                permisos = valor;
        }
        if (tipo == "cdir" || tipo == "pdir" || nombre.empty()) continue;
        if (fnmatch(filtro.c_str(), nombre.c_str(), 0) != 0) continue;
        uint32_t a = 0;
        if (tipo == "dir") {
            a |= kCarpeta;
        } else {
            a |= kNormal;
            if (!permisos.empty() && permisos.find('w') == std::string::npos) a |= kSoloLectura;
        }
        if (nombre[0] == '.') a |= kOculto;
        const kvtx8::FechaHora escrito = LocalDeUTC(modificado);
        lista_.Add(a, creado.empty() ? escrito : LocalDeUTC(creado), escrito, escrito, tamano, nombre);
    }
    return lista_;
}

bool clsFTP::SimpleFTPPutFile(const std::string& local, const std::string& remoto) {
    if (!conectado_) {
        AnotaError("FtpPutFile", -1);
        return false;
    }
    std::FILE* f = std::fopen(kvtx8::RutaLocal(local).c_str(), "rb");
    if (!f) {
        AnotaError("FtpPutFile", CURLE_READ_ERROR);
        return false;
    }
    Prepara();
    curl_easy_setopt(curl_, CURLOPT_URL, Url(remoto).c_str());
    curl_easy_setopt(curl_, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl_, CURLOPT_READDATA, f);
    bool ok = Ejecuta("FtpPutFile");
    std::fclose(f);
    return ok;
}

bool clsFTP::FTPUploadFile(const std::string& local, const std::string& remoto) {
    if (!conectado_) {
        AnotaError("FtpOpenFile:PutFile", -1);
        return false;
    }
    std::error_code ec;
    const auto tamano = fs::file_size(kvtx8::RutaLocal(local), ec);
    std::FILE* f = ec ? nullptr : std::fopen(kvtx8::RutaLocal(local).c_str(), "rb");
    if (!f) {
        AnotaError("FtpOpenFile:PutFile", CURLE_READ_ERROR);
        return false;
    }
    Transferencia t;
    t.ftp = this;
    t.archivo = f;
    t.total = static_cast<int64_t>(tamano);
    Prepara();
    curl_easy_setopt(curl_, CURLOPT_URL, Url(remoto).c_str());
    curl_easy_setopt(curl_, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl_, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(tamano));
    curl_easy_setopt(curl_, CURLOPT_READFUNCTION, Transferencia::Lee);
    curl_easy_setopt(curl_, CURLOPT_READDATA, &t);
    CURLcode c = curl_easy_perform(curl_);
    std::fclose(f);
    if (c != CURLE_OK) {
        AnotaError(t.enviados == 0 && !t.detenido ? "FtpOpenFile:PutFile" : "InternetWriteFile", c);
        return false;
    }
    return true;
}

// Into a file beside the target, renamed over it only once every byte arrived: a dropped transfer never
// leaves a file that looks complete.
bool clsFTP::Descarga(const std::string& local, const std::string& remoto, int64_t tamano,
                      const std::string& op, const std::string& op2) {
    const std::string destino = kvtx8::RutaLocal(local);
    const std::string temporal = destino + ".parcial";
    std::FILE* f = std::fopen(temporal.c_str(), "wb");
    if (!f) {
        AnotaError(op, CURLE_WRITE_ERROR);
        return false;
    }
    Transferencia t;
    t.ftp = this;
    t.archivo = f;
    t.total = tamano;
    Prepara();
    curl_easy_setopt(curl_, CURLOPT_URL, Url(remoto).c_str());
    curl_easy_setopt(curl_, CURLOPT_WRITEFUNCTION, Transferencia::Recibe);
    curl_easy_setopt(curl_, CURLOPT_WRITEDATA, &t);
    CURLcode c = curl_easy_perform(curl_);
    bool ok = c == CURLE_OK && t.escritos + static_cast<int64_t>(t.pendiente.size()) == tamano;
    if (ok && !t.pendiente.empty())
        ok = std::fwrite(t.pendiente.data(), 1, t.pendiente.size(), f) == t.pendiente.size();
    ok = (std::fclose(f) == 0) && ok;
    std::error_code ec;
    if (ok) {
        fs::rename(temporal, destino, ec);
        ok = !ec;
    }
    if (!ok) {
        fs::remove(temporal, ec);
        const int codigo = c != CURLE_OK ? c : CURLE_PARTIAL_FILE;
        const int64_t recibidos = t.escritos + static_cast<int64_t>(t.pendiente.size());
        if (recibidos == 0 && c != CURLE_OK && !t.sobrante)
            AnotaError(op, codigo);
        else
            AnotaError(t.escritos < (tamano / kBloque) * kBloque ? op2 : op2 + "2", codigo);
        return false;
    }
    if (Progreso) Progreso(tamano, tamano);
    return true;
}

bool clsFTP::FTPDownloadFile(const std::string& local, const std::string& remoto) {
    const std::string l = kvtx8::Recorta(local), r = kvtx8::Recorta(remoto);
    if (l.empty() || r.empty()) return false;
    const int64_t tamano = GetFTPFileSize(r);
    if (tamano <= 0) return false;
    return Descarga(l, r, tamano, "FtpOpenFile:GetFile", "InternetReadFile");
}

bool clsFTP::SimpleFTPGetFile(const std::string& local, const std::string& remoto) {
    if (!conectado_) {
        AnotaError("FtpGetFile", -1);
        return false;
    }
    const std::string destino = kvtx8::RutaLocal(local);
    const std::string temporal = destino + ".parcial";
    std::FILE* f = std::fopen(temporal.c_str(), "wb");
    if (!f) {
        AnotaError("FtpGetFile", CURLE_WRITE_ERROR);
        return false;
    }
    Prepara();
    curl_easy_setopt(curl_, CURLOPT_URL, Url(remoto).c_str());
    curl_easy_setopt(curl_, CURLOPT_WRITEFUNCTION, nullptr);
    curl_easy_setopt(curl_, CURLOPT_WRITEDATA, f);
    bool ok = Ejecuta("FtpGetFile");
    ok = (std::fclose(f) == 0) && ok;
    std::error_code ec;
    if (ok) fs::rename(temporal, destino, ec);
    if (!ok || ec) {
        fs::remove(temporal, ec);
        return false;
    }
    return true;
}

}  // namespace cnc
