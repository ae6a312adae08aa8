// The registry store: one INI file, a section per key path, an entry per value name.
#pragma once

#include <string>
#include <vector>

namespace kvtx8 {

class DelRegistro {
  public:
    // The file from CONCENTRADOR_REGISTRO, else ~/.config/velnor/registro.ini.
    DelRegistro();
    explicit DelRegistro(std::string archivo) : archivo_(std::move(archivo)) {}

    static std::string ArchivoPorDefecto();
    const std::string& Archivo() const { return archivo_; }

    std::string LeerCadena(const std::string& llave, const std::string& valor) const;
    bool GrabarCadena(const std::string& llave, const std::string& valor, const std::string& dato);
    bool BorrarValor(const std::string& llave, const std::string& valor);
    // Value names of a key, and the key paths that begin with a prefix.
    std::vector<std::string> Valores(const std::string& llave) const;
    std::vector<std::string> Llaves(const std::string& prefijo) const;

    // A file that exists but is not a registry file is never rewritten; this says why.
    bool Danado() const;
    std::string Problema() const;

    // The Tarvena installation whose `Ruta` is the folder (case and a trailing '/' ignored): its key
    // path, remembered for DatosT8X and GuardaDatosT8X; empty when there is none.
    std::string BuscarRegistroT8X(const std::string& carpeta);
    std::string DatosT8X(const std::string& nombre) const;
    bool GuardaDatosT8X(const std::string& nombre, const std::string& valor);
    static constexpr const char* kInstalaciones = "Software\\Tarvena\\Instalaciones";

  private:
    std::string archivo_;
    std::string instalacion_;
};

}  // namespace kvtx8
