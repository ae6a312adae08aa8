// The work file "extraido.txt" that file-borne queue rows are written to before a handler reads them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cnc {

inline constexpr const char* kArchivoDeTrabajo = "/extraido.txt";

// Writes the content, unchanged, to the program folder's work file and deletes the file when it goes out
// of scope, so no row's text survives the row (not even when a handler throws).
class ArchivoDeTrabajo {
  public:
    explicit ArchivoDeTrabajo(std::string_view contenido);
    ~ArchivoDeTrabajo();
    ArchivoDeTrabajo(const ArchivoDeTrabajo&) = delete;
    ArchivoDeTrabajo& operator=(const ArchivoDeTrabajo&) = delete;
    const std::string& Ruta() const { return ruta_; }
    // False when the file could not be written (the folder is read-only, the disk full...).
    bool Escrito() const { return escrito_; }

  private:
    std::string ruta_;
    bool escrito_ = false;
};

// The lines of a text written on Windows or Linux: CR LF and LF end a line alike; a lone CR stays in the
// line. A last line without its end is still a line; an empty text has none.
std::vector<std::string> LineasDe(std::string_view texto);

// The whole file; false when it cannot be read.
bool LeeArchivoCompleto(const std::string& ruta, std::string& contenido);

}  // namespace cnc
