#include "connection/firma_actualizacion.h"

#include <fcntl.h>
#include <sodium.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

#include "core/shared_routines.h"

namespace cnc {

namespace {

bool IniciaSodio() {
    static const bool ok = sodium_init() >= 0;
    return ok;
}

std::optional<std::string> LeeTodo(const std::string& ruta) {
    std::ifstream f(kvtx8::RutaLocal(ruta), std::ios::binary);
    if (!f) return std::nullopt;
    std::ostringstream ss;
    ss << f.rdbuf();
    if (f.bad()) return std::nullopt;
    return ss.str();
}

std::string Base64(const unsigned char* datos, size_t largo) {
    std::string b(sodium_base64_ENCODED_LEN(largo, sodium_base64_VARIANT_ORIGINAL), '\0');
    sodium_bin2base64(b.data(), b.size(), datos, largo, sodium_base64_VARIANT_ORIGINAL);
    b.resize(b.find('\0'));
    return b;
}

// Exactly `largo` bytes from base64 text, or nothing.
bool DeBase64(const std::string& texto, unsigned char* destino, size_t largo) {
    std::vector<unsigned char> b(texto.size() + 1);
    size_t leidos = 0;
    const bool ok = sodium_base642bin(b.data(), b.size(), texto.data(), texto.size(), " \r\n\t", &leidos,
                                      nullptr, sodium_base64_VARIANT_ORIGINAL) == 0 &&
                    leidos == largo;
    if (ok) std::copy(b.begin(), b.begin() + static_cast<long>(largo), destino);
    sodium_memzero(b.data(), b.size());
    return ok;
}

// A new file only: neither an existing one nor a link in its place is ever written through.
bool EscribeNuevo(const std::string& ruta, const std::string& texto, mode_t modo, std::string& error) {
    const int f = open(ruta.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, modo);
    if (f < 0) {
        error = "no se pudo crear " + ruta + " (ya existe o la carpeta no admite escritura)";
        return false;
    }
    const bool ok = write(f, texto.data(), texto.size()) == static_cast<ssize_t>(texto.size());
    if (close(f) != 0 || !ok) {
        unlink(ruta.c_str());
        error = "no se pudo escribir " + ruta;
        return false;
    }
    return true;
}

}  // namespace

std::string LlaveDeActualizaciones() {
    if (const char* e = std::getenv(kVariableLlaveActualizaciones); e && !kvtx8::Recorta(e).empty())
        return kvtx8::Recorta(e);
    if (Mod.ArchivoIni.empty()) return {};
    return kvtx8::Recorta(kvtx8::LeeIni("Configuración", kLlaveActualizaciones, Mod.ArchivoIni));
}

bool EsLlavePublica(const std::string& llave) {
    unsigned char publica[crypto_sign_PUBLICKEYBYTES];
    return IniciaSodio() && DeBase64(llave, publica, sizeof publica);
}

bool CreaLlaves(const std::string& prefijo, std::string& error) {
    if (!IniciaSodio()) {
        error = "libsodium no se pudo iniciar";
        return false;
    }
    unsigned char publica[crypto_sign_PUBLICKEYBYTES], secreta[crypto_sign_SECRETKEYBYTES];
    crypto_sign_keypair(publica, secreta);
    std::string textoSecreto = Base64(secreta, sizeof secreta) + "\n";
    sodium_memzero(secreta, sizeof secreta);
    const std::string rutaSecreta = prefijo + ".secreta", rutaPublica = prefijo + ".publica";
    bool ok = EscribeNuevo(rutaSecreta, textoSecreto, 0600, error);
    sodium_memzero(textoSecreto.data(), textoSecreto.size());
    if (ok && !EscribeNuevo(rutaPublica, Base64(publica, sizeof publica) + "\n", 0644, error)) {
        unlink(rutaSecreta.c_str());  // a secret key without its public one is of no use
        ok = false;
    }
    return ok;
}

bool FirmaArchivo(const std::string& archivo, const std::string& llaveSecreta, std::string& error) {
    if (!IniciaSodio()) {
        error = "libsodium no se pudo iniciar";
        return false;
    }
    auto texto = LeeTodo(llaveSecreta);
    unsigned char secreta[crypto_sign_SECRETKEYBYTES];
    const bool llave = texto && DeBase64(*texto, secreta, sizeof secreta);
    if (texto) sodium_memzero(texto->data(), texto->size());
    if (!llave) {
        error = "la llave secreta no se pudo leer: " + llaveSecreta;
        return false;
    }
    const auto datos = LeeTodo(archivo);
    if (!datos) {
        sodium_memzero(secreta, sizeof secreta);
        error = "el archivo no se pudo leer: " + archivo;
        return false;
    }
    unsigned char firma[crypto_sign_BYTES];
    crypto_sign_detached(firma, nullptr, reinterpret_cast<const unsigned char*>(datos->data()), datos->size(),
                         secreta);
    sodium_memzero(secreta, sizeof secreta);
    const std::string destino = kvtx8::RutaLocal(archivo) + kExtensionFirma;
    // A new signature replaces the old one: written beside it, then renamed over it.
    const std::string temporal = destino + ".nueva";
    unlink(temporal.c_str());
    if (!EscribeNuevo(temporal, std::string(reinterpret_cast<const char*>(firma), sizeof firma), 0644, error))
        return false;
    if (rename(temporal.c_str(), destino.c_str()) != 0) {
        unlink(temporal.c_str());
        error = "no se pudo escribir " + destino;
        return false;
    }
    return true;
}

bool FirmaValida(const std::string& archivo, const std::string& firma, const std::string& llavePublica) {
    if (!IniciaSodio()) return false;
    unsigned char publica[crypto_sign_PUBLICKEYBYTES];
    if (!DeBase64(llavePublica, publica, sizeof publica)) return false;
    const auto f = LeeTodo(firma);
    if (!f || f->size() != crypto_sign_BYTES) return false;
    const auto datos = LeeTodo(archivo);
    if (!datos) return false;
    return crypto_sign_verify_detached(reinterpret_cast<const unsigned char*>(f->data()),
                                       reinterpret_cast<const unsigned char*>(datos->data()), datos->size(),
                                       publica) == 0;
}

}  // namespace cnc
