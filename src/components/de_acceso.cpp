#include "components/de_acceso.h"

#include <sodium.h>

#include <cstdlib>
#include <vector>

namespace kvtx8 {

namespace {
constexpr const char* kClavePorDefecto = "concentrador-clave-de-grupo-2026";

bool IniciaSodio() {
    static const bool ok = sodium_init() >= 0;
    return ok;
}
}  // namespace

DeAcceso::DeAcceso() {
    const char* e = std::getenv("CONCENTRADOR_CLAVE_GRUPO");
    claveGrupo_ = (e && *e) ? e : kClavePorDefecto;
}

std::string DeAcceso::Cifra(const std::string& texto, const std::string& material) const {
    if (!IniciaSodio()) return {};
    unsigned char llave[crypto_secretbox_KEYBYTES];
    crypto_generichash(llave, sizeof llave, reinterpret_cast<const unsigned char*>(material.data()),
                       material.size(), reinterpret_cast<const unsigned char*>(claveGrupo_.data()),
                       std::min<size_t>(claveGrupo_.size(), crypto_generichash_KEYBYTES_MAX));
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
    if (!IniciaSodio()) return {};
    std::vector<unsigned char> caja(guardado.size());
    size_t largo = 0;
    if (sodium_base642bin(caja.data(), caja.size(), guardado.data(), guardado.size(), " \r\n\t", &largo,
                          nullptr, sodium_base64_VARIANT_ORIGINAL) != 0)
        return {};
    if (largo < crypto_secretbox_NONCEBYTES + crypto_secretbox_MACBYTES) return {};
    unsigned char llave[crypto_secretbox_KEYBYTES];
    crypto_generichash(llave, sizeof llave, reinterpret_cast<const unsigned char*>(material.data()),
                       material.size(), reinterpret_cast<const unsigned char*>(claveGrupo_.data()),
                       std::min<size_t>(claveGrupo_.size(), crypto_generichash_KEYBYTES_MAX));
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
