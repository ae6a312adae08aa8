// One connection call's send-and-receive cycle: what every stage works on, and how a stage ended.
#pragma once

#include <functional>
#include <string>

#include "components/bases_dd.h"
#include "core/shared_routines.h"

namespace cnc {

// How an export, an intake or a whole stage ended. The cycle decides the cut-off and whether to go on
// from these, never from a flag a routine left behind.
enum class Resultado {
    Completo,      // everything it had to do went
    Incompleto,    // a row or a statement failed; what is left goes next time
    SinConexion,   // a database could not be opened or was lost on the way
    Interrumpido,  // the operator stopped it
};
// A stage made of parts ends as its worst part.
Resultado Peor(Resultado a, Resultado b);

// Owned by one connection call and handed to every stage of its cycle.
struct ContextoCiclo {
    kvtx8::Conexion servidorLocal;  // local server, general database
    kvtx8::Conexion hub;            // hub server, general database
    kvtx8::Conexion local;          // local company
    kvtx8::Conexion espejo;         // ESPEJO database
    std::string matriz;             // MATRIZ database name, lower-cased
    int bitacora = 0;               // activity-log block of the call (its number while the call runs)
    ArchivoDeTexto problemas;       // problem-records file, open while the cycle runs
    bool soloRecibir = false;

    // The operator confirmed "Interrumpir": the cycle's table loops end and the cut-off stays.
    static bool Interrumpido() { return Mod.Interrumpir; }
    // The operator asked to stop (interrupt, or the program is closing): row loops end.
    static bool Detenido() { return Mod.Detener || Mod.Interrumpir; }
};

// Whether the connection's last error may go away by itself (a lost connection, a lock wait, a deadlock, a
// server busy or shutting down): the work is kept for the next cycle. Any other error never will: it is
// written down and the work goes on.
bool ErrorPasajero(const kvtx8::Conexion& cn);

// One stage of the cycle, sending or receiving, in the order the cycle runs them.
struct Etapa {
    // Closing stages run last, once the time of the send is recorded, each when the hub opens.
    enum class Mitad { Envio, Recepcion, Cierre };
    Mitad mitad;
    std::string texto;  // stage caption; empty when the stage shows its own
    std::string tabla;  // table named on the activity-log line of the stage; empty writes none
    std::function<Resultado(ContextoCiclo&)> operacion;
};

}  // namespace cnc
