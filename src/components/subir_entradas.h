// Transfer entries: the file a company receives for a transfer sent to it, and the stock entries it
// becomes. The file's format is written and read here only.
//
// A text of lines ending in CR LF or LF:
//
//     TRASPASO                  the mark of the format
//     7                         transfer folio at the sender, a whole number above 0
//     2026-12-08                date of the transfer, yyyy-mm-dd
//     matriz1                   the sending company (its database name)
//     SURTIDO SEMANAL           concept, any text
//     2                         number of lines that follow, 0 or more
//     1|A-100|10|12.5|Tornillo 1/4      line: Partida|Producto|Cantidad|Costo|Descrip
//     2|B'7|3|0|Tuerca | hexagonal      (the description is the rest of the line, bars and all)
//     FIN                       the end; a file without it was cut short
//
// Numbers use a dot for decimals. Product keys and texts are stored as they stand; a line break inside a
// text cannot travel and is written as a space.
#pragma once

#include <string>
#include <vector>

#include "components/bases_dd.h"
#include "components/fecha.h"

namespace kvtx8 {

struct RenglonTraspaso {
    long long partida = 0;
    std::string producto;
    double cantidad = 0;
    double costo = 0;
    std::string descrip;
};

struct ArchivoTraspaso {
    long long folio = 0;
    std::string fecha;  // yyyy-mm-dd
    std::string origen;
    std::string concepto;
    std::vector<RenglonTraspaso> renglones;
};

// What ValidarArchivo tells about a file.
enum CodigoTraspaso : int {
    kTraspasoValido = 0,
    kTraspasoIlegible = 1,    // the file cannot be read
    kTraspasoSinMarca = 2,    // not a transfer file
    kTraspasoEncabezado = 3,  // folio, date or line count wrong
    kTraspasoRenglon = 4,     // a line without its five fields, or with a key or number that is wrong
    kTraspasoCortado = 5,     // fewer lines than announced, or no FIN after them
};

std::string EscribeTraspaso(const ArchivoTraspaso& t);
// kTraspasoValido and the transfer read, or the first fault found.
int LeeTraspaso(const std::string& texto, ArchivoTraspaso& t);

class SubirEntradas {
  public:
    // 0 when the file is a valid transfer; otherwise a CodigoTraspaso.
    int ValidarArchivo(const std::string& ruta);

    Conexion* cnnBdE = nullptr;  // the receiving company
    std::string Usuario = "CONCENTRAD";
    FechaHora Cuando;  // date and time the entries are written with

    // Creates the stock entry of the transfer in one transaction: `entradas`, `entradasdetalle`, the kardex
    // rows and the stock. A transfer received before (same folio and sender) creates nothing. False when
    // nothing could be written; the reason is in Error().
    bool SubirInformacion(const std::string& ruta);

    int EntradasGeneradas() const { return generadas_; }
    long long EntradaFinal() const { return final_; }
    const std::string& Error() const { return error_; }

  private:
    bool Falla(const std::string& texto);
    int generadas_ = 0;
    long long final_ = 0;
    std::string error_;
};

}  // namespace kvtx8
