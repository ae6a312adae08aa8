// Reading of Basic sequential files, as the hub writes them with Write #: values separated by commas and
// line ends, texts between double quotes (commas inside them are text), numbers bare, dates and booleans
// between '#'. Each Write # is one line, so a record is read as one line of values.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kvtx8 {

class LecturaSecuencial {
  public:
    // CR LF and LF end a line alike.
    explicit LecturaSecuencial(std::string_view texto);

    // The values of the next line that holds any, exactly `n` of them: false at the end of the text or
    // when the line holds another number of values or is not well formed (Error() says which). Blank
    // lines are skipped, as a file's last line end leaves one.
    bool Registro(std::vector<std::string>& valores, size_t n);
    // The values of the next line, however many it holds.
    bool Registro(std::vector<std::string>& valores);
    // The next line as it stands (Line Input); false at the end.
    bool Linea(std::string& linea);
    bool Fin() const;

    // Why the last read failed; empty at a plain end of the text.
    const std::string& Error() const { return error_; }
    // Number of the line read last, from 1.
    size_t NumeroDeLinea() const { return linea_; }

    // The values of one line: "a", 12 ,#2024-01-31#, -> a|12|2024-01-31|"" (blanks around bare values
    // dropped). False when a quote or '#' is not closed, or something other than blanks follows one.
    static bool Valores(std::string_view linea, std::vector<std::string>& valores, std::string& error);

  private:
    std::vector<std::string> lineas_;
    size_t siguiente_ = 0;
    size_t linea_ = 0;
    std::string error_;
};

}  // namespace kvtx8
