#include "components/utilerias.h"

#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <thread>

#include "components/bases_dd.h"

namespace fs = std::filesystem;

namespace kvtx8 {

std::string CambXXX(std::string_view plantilla, std::string_view valor) {
    std::string r;
    size_t ini = 0;
    while (true) {
        size_t p = plantilla.find("XXX", ini);
        if (p == std::string_view::npos) break;
        r.append(plantilla.substr(ini, p - ini));
        r.append(valor);
        ini = p + 3;
    }
    r.append(plantilla.substr(ini));
    return r;
}

std::string CambXXXSQL(std::string_view plantilla, std::string_view valor, const Conexion& cn) {
    return CambXXX(plantilla, cn.Escapar(valor));
}

namespace {

// Length of the longest number at the start of the text: [+-]digits[.digits][e[+-]digits] (a point with
// digits after it is enough); 0 when there is none. `conD` takes Basic's "d" as an exponent too.
size_t LargoDeNumero(std::string_view s, bool conD) {
    auto digitos = [&](size_t& i) {
        const size_t desde = i;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i;
        return i - desde;
    };
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    size_t n = digitos(i);
    if (i < s.size() && s[i] == '.') ++i, n += digitos(i);
    if (n == 0) return 0;
    const size_t mantisa = i;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || (conD && (s[i] == 'd' || s[i] == 'D')))) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        if (digitos(i) > 0) return i;
    }
    return mantisa;
}

}  // namespace

double kvVal(std::string_view t) {
    std::string s;
    for (char c : t)
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r') s += c;
    if (s.size() >= 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h' || s[1] == 'O' || s[1] == 'o')) {
        const int base = (s[1] == 'H' || s[1] == 'h') ? 16 : 8;
        long long v = 0;
        for (size_t i = 2; i < s.size(); ++i) {
            int d = std::isdigit(static_cast<unsigned char>(s[i])) ? s[i] - '0'
                    : (base == 16 && std::isxdigit(static_cast<unsigned char>(s[i])))
                        ? std::tolower(static_cast<unsigned char>(s[i])) - 'a' + 10
                        : -1;
            if (d < 0 || d >= base) break;
            // Too many digits for a long long: no number it can hold.
            if (v > (std::numeric_limits<long long>::max() - d) / base) return 0;
            v = v * base + d;
        }
        return static_cast<double>(v);
    }
    const size_t fin = LargoDeNumero(s, true);
    if (fin == 0) return 0;
    for (size_t i = 0; i < fin; ++i)
        if (s[i] == 'd' || s[i] == 'D') s[i] = 'e';
    // The point is the decimal point whatever the locale of the process (a window program takes the
    // desktop's, where it may be a comma).
    const char* ini = s.data() + (s[0] == '+' ? 1 : 0);
    double v = 0;
    auto [p, error] = std::from_chars(ini, s.data() + fin, v);
    return error == std::errc() && p == s.data() + fin && std::isfinite(v) ? v : 0;
}

std::optional<long long> ParteEntera(double v) {
    // -2^63 converts; 2^63 does not.
    if (!std::isfinite(v) || v >= 9223372036854775808.0 || v < -9223372036854775808.0) return std::nullopt;
    return static_cast<long long>(v);
}

bool EsNumerico(std::string_view texto) {
    const std::string t = Recorta(texto);
    return !t.empty() && LargoDeNumero(t, false) == t.size();
}

std::string NumeroSQL(std::string_view texto) {
    std::string t = Recorta(texto);
    size_t i = (!t.empty() && (t[0] == '-' || t[0] == '+')) ? 1 : 0;
    if (i >= t.size()) return "0";
    for (size_t j = i; j < t.size(); ++j)
        if (!std::isdigit(static_cast<unsigned char>(t[j]))) return "0";
    return t;
}

std::string NumeroDecimalSQL(std::string_view texto) {
    return EsNumerico(texto) ? Recorta(texto) : "0";
}

std::optional<unsigned> ComoPuerto(std::string_view texto) {
    const std::string t = Recorta(texto);
    if (t.empty()) return std::nullopt;
    unsigned n = 0;
    for (char c : t) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
        n = n * 10 + static_cast<unsigned>(c - '0');
        if (n > 65535) return std::nullopt;
    }
    return n;
}

std::string FechaSQL(const std::string& fecha) {
    auto f = LeeFecha(fecha);
    return f ? FechaSQL(*f) : std::string();
}

std::string FechaSQL(const FechaHora& f) {
    return Formato(f, "yyyy-mm-dd");
}

std::string Recorta(std::string_view s) {
    size_t a = 0, b = s.size();
    while (a < b && std::isspace(static_cast<unsigned char>(s[a]))) ++a;
    while (b > a && std::isspace(static_cast<unsigned char>(s[b - 1]))) --b;
    return std::string(s.substr(a, b - a));
}

std::string Mayusculas(std::string_view s) {
    std::string r(s);
    for (auto& c : r) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return r;
}

std::string Minusculas(std::string_view s) {
    std::string r(s);
    for (auto& c : r) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return r;
}

bool IgualSinMayusculas(std::string_view a, std::string_view b) {
    return Minusculas(a) == Minusculas(b);
}

std::string LeeIni(const std::string& seccion, const std::string& clave, const std::string& archivo) {
    CSimpleIniA ini;
    ini.SetUnicode(true);
    if (ini.LoadFile(archivo.c_str()) < 0) return {};
    const char* v = ini.GetValue(seccion.c_str(), clave.c_str(), nullptr);
    return v ? v : "";
}

bool HayClaveIni(const std::string& seccion, const std::string& clave, const std::string& archivo) {
    CSimpleIniA ini;
    ini.SetUnicode(true);
    if (ini.LoadFile(archivo.c_str()) < 0) return false;
    return ini.GetValue(seccion.c_str(), clave.c_str(), nullptr) != nullptr;
}

bool CabeEnIni(std::string_view texto) {
    auto blanco = [](char c) { return c == ' ' || c == '\t'; };
    return texto.find_first_of(std::string_view("\0\r\n", 3)) == std::string_view::npos &&
           (texto.empty() || (!blanco(texto.front()) && !blanco(texto.back())));
}

bool EscribeIni(const std::string& seccion, const std::string& clave, const std::string& valor,
                const std::string& archivo) {
    if (!CabeEnIni(valor)) return false;
    CSimpleIniA ini;
    ini.SetUnicode(true);
    if (HayArchivo(archivo) && ini.LoadFile(archivo.c_str()) < 0) return false;
    ini.SetValue(seccion.c_str(), clave.c_str(), valor.c_str());
    std::string texto;
    if (ini.Save(texto, false) < 0) return false;
    return EscribeArchivoPrivado(archivo, texto);
}

bool EscribeArchivoPrivado(const std::string& archivo, const std::string& texto) {
    const std::string tmp = archivo + ".tmp";
    // Never through a link planted in its place: the file may hold enciphered secrets.
    const int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return false;
    bool ok = fchmod(fd, 0600) == 0;
    for (size_t hecho = 0; ok && hecho < texto.size();) {
        const ssize_t n = write(fd, texto.data() + hecho, texto.size() - hecho);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) hecho += static_cast<size_t>(n);
    }
    ok = close(fd) == 0 && ok;
    if (ok) ok = std::rename(tmp.c_str(), archivo.c_str()) == 0;
    if (!ok) unlink(tmp.c_str());
    return ok;
}

bool HayArchivo(const std::string& ruta) {
    std::error_code ec;
    return !ruta.empty() && fs::is_regular_file(RutaLocal(ruta), ec);
}

bool HayCarpeta(const std::string& ruta) {
    std::error_code ec;
    return !ruta.empty() && fs::is_directory(RutaLocal(ruta), ec);
}

bool BorraArchivo(const std::string& ruta) {
    std::error_code ec;
    return fs::remove(RutaLocal(ruta), ec);
}

bool AbreDocumento(const std::string& ruta) {
    pid_t pid = fork();
    if (pid < 0) return false;
    if (pid == 0) {
        setsid();
        int nulo = open("/dev/null", O_RDWR);
        if (nulo >= 0) dup2(nulo, 0), dup2(nulo, 1), dup2(nulo, 2);
        const std::string r = RutaLocal(ruta);
        execlp("xdg-open", "xdg-open", r.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    return true;
}

bool EsVersion(std::string_view v) {
    std::string t = Recorta(v);
    if (t.empty()) return false;
    int partes = 1;
    bool digito = false;
    for (char c : t) {
        if (c == '.') {
            if (!digito) return false;
            digito = false;
            ++partes;
        } else if (std::isdigit(static_cast<unsigned char>(c))) {
            digito = true;
        } else {
            return false;
        }
    }
    return digito && partes <= 4;
}

double VersionVB(std::string_view version) {
    std::string t = Recorta(version);
    double r = 0;
    double peso = 1e8;
    size_t ini = 0;
    for (int i = 0; i < 3; ++i) {
        size_t p = t.find('.', ini);
        std::string parte = t.substr(ini, p == std::string::npos ? std::string::npos : p - ini);
        double n = std::min(9999.0, std::max(0.0, std::floor(kvVal(parte))));
        r += n * peso;
        peso /= 1e4;
        if (p == std::string::npos) break;
        ini = p + 1;
    }
    return r;
}

std::string RutaLocal(std::string_view ruta) {
    std::string r(ruta);
    for (auto& c : r)
        if (c == '\\') c = '/';
    return r;
}

std::string RutaDeArchivo(const std::string& ruta) {
    std::string r = RutaLocal(ruta);
    auto p = r.find_last_of('/');
    return p == std::string::npos ? std::string() : r.substr(0, p + 1);
}

std::string NombreDeArchivo(const std::string& ruta) {
    std::string r = RutaLocal(ruta);
    auto p = r.find_last_of('/');
    return p == std::string::npos ? r : r.substr(p + 1);
}

std::string NetName() {
    char b[256] = {};
    if (gethostname(b, sizeof b - 1) != 0) return {};
    return b;
}

void Segundos(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool ComprobarConexion(const std::string& host) {
    std::string h = host, puerto = "21";
    if (auto p = host.rfind(':'); p != std::string::npos) h = host.substr(0, p), puerto = host.substr(p + 1);
    addrinfo pista{}, *res = nullptr;
    pista.ai_socktype = SOCK_STREAM;
    if (getaddrinfo(h.c_str(), puerto.c_str(), &pista, &res) != 0) return false;
    bool ok = false;
    for (addrinfo* a = res; a && !ok; a = a->ai_next) {
        int s = socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK, a->ai_protocol);
        if (s < 0) continue;
        if (connect(s, a->ai_addr, a->ai_addrlen) == 0) {
            ok = true;
        } else if (errno == EINPROGRESS) {
            pollfd pf{s, POLLOUT, 0};
            int err = 0;
            socklen_t l = sizeof err;
            ok = poll(&pf, 1, 3000) == 1 && getsockopt(s, SOL_SOCKET, SO_ERROR, &err, &l) == 0 && err == 0;
        }
        close(s);
    }
    freeaddrinfo(res);
    return ok;
}

}  // namespace kvtx8
