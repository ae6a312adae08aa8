// A real FTP server for the tests: Debian's pyftpdlib on 127.0.0.1, one user, its own folder.
#pragma once

#include <sys/types.h>

#include <string>

#include "support/falsos.h"

namespace prueba {

class ServidorFTP {
  public:
    ServidorFTP(std::string usuario = "velnor", std::string password = "clave-ftp");
    ~ServidorFTP();
    ServidorFTP(const ServidorFTP&) = delete;
    ServidorFTP& operator=(const ServidorFTP&) = delete;

    // False when the server could not be started (python3-pyftpdlib missing).
    bool Listo() const { return pid_ > 0; }
    // "127.0.0.1:port", as the program takes hosts.
    std::string Host() const { return "127.0.0.1:" + std::to_string(puerto_); }
    int Puerto() const { return puerto_; }
    const std::string& Usuario() const { return usuario_; }
    const std::string& Password() const { return password_; }

    // The served folder; names are relative to it and folders are created.
    const std::string& Raiz() const { return raiz_.Ruta(); }
    void Escribe(const std::string& nombre, const std::string& contenido) const;
    std::string Lee(const std::string& nombre) const;
    bool Existe(const std::string& nombre) const;

    // Kills the server at once, as a dropped site would.
    void Mata();

  private:
    std::string usuario_, password_;
    CarpetaTemporal raiz_, trabajo_;
    int puerto_ = 0;
    pid_t pid_ = -1;
};

// A file of n bytes whose content tells where each byte was.
std::string Contenido(size_t n);

}  // namespace prueba
