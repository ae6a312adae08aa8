// The notice report ("bitácora de avisos"): the notices chosen by dates, user and read state, in one of three
// orders, with their texts decoded by the query itself. The port writes it.
#pragma once

#include <string>

#include "components/bases_dd.h"
#include "core/puerto_ventana.h"

namespace cnc {

struct FiltroDeReporte {
    enum class Estado { Ambos, NoLeidos, Leidos };
    enum class Orden { Folio, FechaLeido, FechaRegistro };
    std::string desde, hasta;  // as typed ("dd/mm/yyyy" or "yyyy-mm-dd"); not a valid date: no condition
    std::string usuario;       // user code; blank: every user
    Estado estado = Estado::Ambos;
    Orden orden = Orden::Folio;
};

// The selection of a report: the formula as the report file names it, and the same conditions and order for
// the query.
struct SeleccionDeReporte {
    std::string formula;
    std::string orden[2];
    std::string donde;     // SQL conditions, "" for all
    std::string ordenSQL;  // SQL ORDER BY list
};
SeleccionDeReporte Seleccion(const FiltroDeReporte& f, const kvtx8::Conexion& cn);

class clsImpresion {
  public:
    // Reads the chosen notices into the report; false (and the reason in `problema`) when the local server
    // could not be read.
    bool Lee(const FiltroDeReporte& f, ReporteDeAvisos& reporte, std::string& problema);
    // The whole run: read, written as a PDF to `ruta` and opened. The reason is shown when it fails.
    bool Impresion(const FiltroDeReporte& f, const std::string& ruta);
};

}  // namespace cnc
