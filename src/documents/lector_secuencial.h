// Reading a document file the way its writer wrote it: whole lines, or items of a sequential file (quoted
// texts or bare values, separated by commas or line ends). Lines end in CR LF or LF.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cnc {

class LectorSecuencial {
  public:
    explicit LectorSecuencial(std::string_view texto);
    // Reads the file; false when it cannot be read.
    bool Abre(const std::string& ruta);

    // No line and no item left.
    bool Eof() const;
    // The next line whole (what is left of it, when items were read from it).
    std::string Linea();
    // The next item, across line ends.
    std::string Item();
    double Numero();
    // A read asked for more than the file holds: the file was cut short.
    bool PasoDelFinal() const { return paso_; }

  private:
    std::vector<std::string> lineas_;
    size_t linea_ = 0;
    size_t col_ = 0;
    bool paso_ = false;
};

// A number of a document file: blank (writers leave unused ones so) or a finite plain number. Anything
// else is refused rather than read as its leading digits ("12,50" is not 12, "0x10" is not 0).
bool EsNumeroDeArchivo(const std::string& texto);

}  // namespace cnc
