// The cipher of stored connection values and user fields: authenticated encryption, base64 text, under
// this installation's group key.
#pragma once

#include <string>

namespace kvtx8 {

class DeAcceso {
  public:
    // The group key is read at first use from the key file (ArchivoDeLlave), which is created then with
    // 32 random bytes when it does not exist.
    DeAcceso() = default;
    // A key given as it stands, never read from a file.
    explicit DeAcceso(std::string llave) : llave_(std::move(llave)), dada_(true), leida_(true) {}

    // The settings file, once the program folder is known: it may name the key file.
    void UsaArchivoIni(const std::string& archivoIni);
    // CONCENTRADOR_LLAVE_GRUPO; else "Archivo de llave del grupo" of section "Configuración" of the settings
    // file (relative to its folder); else ArchivoPorDefecto().
    std::string ArchivoDeLlave() const;
    // ~/.config/velnor/llave-grupo, beside the default registry file.
    static std::string ArchivoPorDefecto();

    // Whether the key could be read (or made). A key file others may read, or of another size than 32
    // bytes, is refused and left as it is: then nothing enciphers or deciphers and Problema says why.
    bool LlaveLista() const;
    const std::string& Problema() const { return problema_; }

    // By variant number (connection values).
    std::string Encripta(const std::string& texto, int variante) const;
    std::string DesEncripta(const std::string& guardado, int variante) const;
    // By a row's own key (`AlE`).
    std::string Encripta(const std::string& texto, const std::string& llaveFila) const;
    std::string DesEncripta(const std::string& guardado, const std::string& llaveFila) const;
    // The text-alone pair.
    std::string Encripta(const std::string& texto) const;
    std::string DesEncripta(const std::string& guardado) const;

    // A stored form that does not decipher (tampered, under another key, or no key) gives "" and sets this.
    bool UltimoFallo() const { return fallo_; }

    static constexpr size_t kLargoLlave = 32;

  private:
    std::string Cifra(const std::string& texto, const std::string& material) const;
    std::string Descifra(const std::string& guardado, const std::string& material) const;
    std::string archivoIni_;
    mutable std::string llave_;
    bool dada_ = false;
    mutable bool leida_ = false;
    mutable std::string problema_;
    mutable bool fallo_ = false;
};

}  // namespace kvtx8
