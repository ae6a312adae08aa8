// The send-and-receive cycle.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "components/bases_dd.h"
#include "components/ciclo_secuencial.h"
#include "send/ciclo.h"

namespace cnc {

class clsEstandar;

class clsCopiaMaestra {
  public:
    clsCopiaMaestra();

    // Runs the sending stages (unless ctx.soloRecibir), then the intake stages, then the closing ones, in one
    // ordered table.
    void PasarTablasYrecibir(ContextoCiclo& ctx, const std::vector<Etapa>& recepcion);

    // Every local product, with its annex, into the ESPEJO: added when missing, rewritten by the ESPEJO's own
    // Id when present. The hub asks for it with an alert, the operator with the product-send mode.
    Resultado EnviarProductos(ContextoCiclo& ctx);
    // Every MATRIZ product into the local company through the product copy. `matriz` is the connection the
    // caller opened on the MATRIZ database (ctx.matriz), reopened here as the walk needs it.
    Resultado PasarProductos(ContextoCiclo& ctx, kvtx8::Conexion& matriz);

    // Products go one by one, never by blocks (the reference the blocks are checked against).
    bool SoloPorRenglon = false;
    // Blocks of products sent whole since construction.
    int BloquesProductos() const { return bloquesProductos_; }

    // Never sent by the autoincrement and last-update stages (lower-case names).
    const std::vector<std::string> TablasExcluidas;
    bool Excluida(const std::string& tabla) const;

  private:
    // The sending half of the stage table.
    std::vector<Etapa> EtapasDeEnvio();

    Resultado EtapaSQLsBorrado(ContextoCiclo& ctx);
    Resultado EtapaAutoincrementales(ContextoCiclo& ctx);
    Resultado EtapaCompletas(ContextoCiclo& ctx);
    Resultado EtapaCambios(ContextoCiclo& ctx);
    Resultado EtapaPorUltimaActualizacion(ContextoCiclo& ctx);
    // The intake stages, the alerts without file, the time of the send and the closing stages.
    void Recibir(ContextoCiclo& ctx, const std::vector<Etapa>& recepcion);

    Resultado CopiarTablaCompleta(ContextoCiclo& ctx, const std::string& tabla, const std::string& llave);
    // The cut-off read from the local concentradorqmx; empty when there is none or the hub is away.
    std::string ObtenerFDDUA(ContextoCiclo& ctx);
    void ObtenerTiemposFADUA(ContextoCiclo& ctx, const std::string& fddua, std::string& menor,
                             std::string& mayor);
    void GrabaFDDUA(ContextoCiclo& ctx, const std::string& valor);
    void LeerMonedasDeMatriz(ContextoCiclo& ctx);
    void AlertasSinArchivo(ContextoCiclo& ctx);
    bool BorraAlerta(kvtx8::Conexion& hub, const std::string& tipo);
    void GrabaFechaDeEnvio(ContextoCiclo& ctx);

    // Whether the table goes to ESPEJO by its autoincrement key; `llave` is that key. A table passed over
    // because a connection failed, not because of its shape, ends as SinConexion in `r`.
    bool TablaEnviable(ContextoCiclo& ctx, const std::string& tabla, std::string& llave, long long& maximo,
                       Resultado& r);
    // Exports one table with the shared exporter; `como` runs the export.
    Resultado ExportaTabla(ContextoCiclo& ctx, const std::string& tabla, const std::string& llave,
                           Resultado (clsEstandar::*como)());
    // Between tables: the interrupt flag ends the loop, otherwise the operator's stop is cleared.
    static bool SigueDespuesDeTabla();
    int16_t Limite() const;

    // One block of products from the current one on, in one transaction and one exchange; not done when
    // the block must go product by product. `filas`: how many went (fewer when the operator stopped).
    struct BloqueProductos {
        bool hecho = false;
        size_t filas = 0;
    };
    BloqueProductos EnviaBloqueProductos(kvtx8::Conexion& local, kvtx8::Conexion& espejo,
                                         kvtx8::Registros& productos, const kvtx8::CicloSecuencial& ciclo,
                                         const std::vector<std::string>& campos,
                                         const std::vector<std::string>& camposAnexo);

    clsEstandar* estandar_ = nullptr;
    int bloquesProductos_ = 0;
    // The sending of this cycle stopped at a lost connection: the receiving waits for the next cycle too.
    bool envioSuspendido_ = false;
};

}  // namespace cnc
