#include "components/de_acceso.h"

#include <fcntl.h>
#include <sodium.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "components/utilerias.h"

namespace fs = std::filesystem;

namespace kvtx8 {

namespace {

bool IniciaSodio() {
    static const bool ok = sodium_init() >= 0;
    return ok;
}

std::string Octal(mode_t m) {
    char b[8];
    std::snprintf(b, sizeof b, "%04o", static_cast<unsigned>(m & 07777));
    return b;
}

// A new key file of random bytes, readable by its owner only. It is linked into place, so a key another
// process made meanwhile is kept, and no one ever reads half a key.
bool CreaLlave(const std::string& ruta, std::string& problema) {
    if (!IniciaSodio()) {
        problema = "no se pudo iniciar el cifrado";
        return false;
    }
    std::error_code ec;
    const fs::path carpeta = fs::path(ruta).parent_path();
    if (!carpeta.empty() && !fs::exists(carpeta, ec)) {
        fs::create_directories(carpeta, ec);
        fs::permissions(carpeta, fs::perms::owner_all, ec);
    }
    std::string tmp = ruta + ".XXXXXX";
    const int fd = mkstemp(tmp.data());
    if (fd < 0) {
        problema = "no se pudo crear la llave del grupo " + ruta + ": " + std::strerror(errno);
        return false;
    }
    unsigned char llave[DeAcceso::kLargoLlave];
    randombytes_buf(llave, sizeof llave);
    bool ok = fchmod(fd, 0600) == 0 && write(fd, llave, sizeof llave) == static_cast<ssize_t>(sizeof llave) &&
              fsync(fd) == 0;
    int error = errno;
    sodium_memzero(llave, sizeof llave);
    close(fd);
    if (ok && link(tmp.c_str(), ruta.c_str()) != 0 && errno != EEXIST) ok = false, error = errno;
    unlink(tmp.c_str());
    if (!ok) problema = "no se pudo crear la llave del grupo " + ruta + ": " + std::strerror(error);
    return ok;
}

// The key in the file, made first when the file does not exist; false and why when it cannot be used.
bool LeeLlave(const std::string& ruta, std::string& llave, std::string& problema) {
    int fd = open(ruta.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) {
        if (!CreaLlave(ruta, problema)) return false;
        fd = open(ruta.c_str(), O_RDONLY | O_CLOEXEC);
    }
    if (fd < 0) {
        problema = "no se puede leer la llave del grupo " + ruta + ": " +
                   (errno ? std::strerror(errno) : "lectura incompleta");
        return false;
    }
    struct stat st {};
    std::string r(DeAcceso::kLargoLlave, '\0');
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        problema = "la llave del grupo " + ruta + " no es un archivo";
    } else if ((st.st_mode & 077) != 0) {
        problema = "la llave del grupo " + ruta + " tiene permisos " + Octal(st.st_mode) +
                   ": solo su dueño debe poder leerla (chmod 600 " + ruta + ")";
    } else if (st.st_size != static_cast<off_t>(DeAcceso::kLargoLlave)) {
        problema = "la llave del grupo " + ruta + " mide " + std::to_string(st.st_size) +
                   " bytes; debe medir " + std::to_string(DeAcceso::kLargoLlave);
    } else if (read(fd, r.data(), r.size()) != static_cast<ssize_t>(r.size())) {
        problema = "no se puede leer la llave del grupo " + ruta + ": " + std::strerror(errno);
    } else {
        close(fd);
        llave = std::move(r);
        return true;
    }
    close(fd);
    return false;
}

}  // namespace

void DeAcceso::UsaArchivoIni(const std::string& archivoIni) {
    archivoIni_ = archivoIni;
    if (dada_) return;
    leida_ = false;
    sodium_memzero(llave_.data(), llave_.size());
    llave_.clear();
    problema_.clear();
}

std::string DeAcceso::ArchivoPorDefecto() {
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/root") + "/.config/velnor/llave-grupo";
}

std::string DeAcceso::ArchivoDeLlave() const {
    if (const char* e = std::getenv("CONCENTRADOR_LLAVE_GRUPO"); e && *e) return e;
    if (!archivoIni_.empty()) {
        std::string r =
            RutaLocal(Recorta(LeeIni("Configuración", "Archivo de llave del grupo", archivoIni_)));
        if (!r.empty()) return r.front() == '/' ? r : RutaDeArchivo(archivoIni_) + r;
    }
    return ArchivoPorDefecto();
}

bool DeAcceso::LlaveLista() const {
    if (!leida_) {
        leida_ = true;
        problema_.clear();
        if (!LeeLlave(ArchivoDeLlave(), llave_, problema_)) llave_.clear();
    }
    return problema_.empty();
}

std::string DeAcceso::Cifra(const std::string& texto, const std::string& material) const {
    if (!IniciaSodio() || !LlaveLista()) return {};
    unsigned char llave[crypto_secretbox_KEYBYTES];
    crypto_generichash(llave, sizeof llave, reinterpret_cast<const unsigned char*>(material.data()),
                       material.size(), reinterpret_cast<const unsigned char*>(llave_.data()),
                       std::min<size_t>(llave_.size(), crypto_generichash_KEYBYTES_MAX));
    std::vector<unsigned char> caja(crypto_secretbox_NONCEBYTES + crypto_secretbox_MACBYTES + texto.size());
    randombytes_buf(caja.data(), crypto_secretbox_NONCEBYTES);
    crypto_secretbox_easy(caja.data() + crypto_secretbox_NONCEBYTES,
                          reinterpret_cast<const unsigned char*>(texto.data()), texto.size(), caja.data(),
                          llave);
    sodium_memzero(llave, sizeof llave);
    std::string b64(sodium_base64_ENCODED_LEN(caja.size(), sodium_base64_VARIANT_ORIGINAL), '\0');
    sodium_bin2base64(b64.data(), b64.size(), caja.data(), caja.size(), sodium_base64_VARIANT_ORIGINAL);
    b64.resize(b64.find('\0'));
    return b64;
}

std::string DeAcceso::Descifra(const std::string& guardado, const std::string& material) const {
    fallo_ = false;
    if (guardado.empty()) return {};
    fallo_ = true;
    if (!IniciaSodio() || !LlaveLista()) return {};
    std::vector<unsigned char> caja(guardado.size());
    size_t largo = 0;
    if (sodium_base642bin(caja.data(), caja.size(), guardado.data(), guardado.size(), " \r\n\t", &largo,
                          nullptr, sodium_base64_VARIANT_ORIGINAL) != 0)
        return {};
    if (largo < crypto_secretbox_NONCEBYTES + crypto_secretbox_MACBYTES) return {};
    unsigned char llave[crypto_secretbox_KEYBYTES];
    crypto_generichash(llave, sizeof llave, reinterpret_cast<const unsigned char*>(material.data()),
                       material.size(), reinterpret_cast<const unsigned char*>(llave_.data()),
                       std::min<size_t>(llave_.size(), crypto_generichash_KEYBYTES_MAX));
    std::string texto(largo - crypto_secretbox_NONCEBYTES - crypto_secretbox_MACBYTES, '\0');
    const int r = crypto_secretbox_open_easy(reinterpret_cast<unsigned char*>(texto.data()),
                                             caja.data() + crypto_secretbox_NONCEBYTES,
                                             largo - crypto_secretbox_NONCEBYTES, caja.data(), llave);
    sodium_memzero(llave, sizeof llave);
    if (r != 0) return {};
    fallo_ = false;
    return texto;
}

std::string DeAcceso::Encripta(const std::string& t, int v) const {
    return Cifra(t, "variante:" + std::to_string(v));
}
std::string DeAcceso::DesEncripta(const std::string& g, int v) const {
    return Descifra(g, "variante:" + std::to_string(v));
}
std::string DeAcceso::Encripta(const std::string& t, const std::string& f) const {
    return Cifra(t, "fila:" + f);
}
std::string DeAcceso::DesEncripta(const std::string& g, const std::string& f) const {
    return Descifra(g, "fila:" + f);
}
std::string DeAcceso::Encripta(const std::string& t) const {
    return Cifra(t, "general");
}
std::string DeAcceso::DesEncripta(const std::string& g) const {
    return Descifra(g, "general");
}

}  // namespace kvtx8
