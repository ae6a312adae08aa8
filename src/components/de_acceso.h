// The cipher of stored connection values and user fields: authenticated encryption, base64 text.
#pragma once

#include <string>

namespace kvtx8 {

class DeAcceso {
  public:
    // The group key: CONCENTRADOR_CLAVE_GRUPO when set, else the built-in one.
    DeAcceso();
    explicit DeAcceso(std::string claveGrupo) : claveGrupo_(std::move(claveGrupo)) {}

    // By variant number (connection values).
    std::string Encripta(const std::string& texto, int variante) const;
    std::string DesEncripta(const std::string& guardado, int variante) const;
    // By a row's own key (`AlE`).
    std::string Encripta(const std::string& texto, const std::string& llaveFila) const;
    std::string DesEncripta(const std::string& guardado, const std::string& llaveFila) const;
    // The text-alone pair.
    std::string Encripta(const std::string& texto) const;
    std::string DesEncripta(const std::string& guardado) const;

    // A stored form that does not decipher (tampered, or under another key) gives "" and sets this.
    bool UltimoFallo() const { return fallo_; }

  private:
    std::string Cifra(const std::string& texto, const std::string& material) const;
    std::string Descifra(const std::string& guardado, const std::string& material) const;
    std::string claveGrupo_;
    mutable bool fallo_ = false;
};

}  // namespace kvtx8
