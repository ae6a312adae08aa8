// The send-and-receive cycle.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "components/bases_dd.h"
#include "send/etapas_recepcion.h"

namespace cnc {

class clsEstandar;

class clsCopiaMaestra {
  public:
    clsCopiaMaestra();

    void PasarTablasYrecibir(int& bitacora, kvtx8::Conexion& espejo, kvtx8::Conexion& local,
                             kvtx8::Conexion& hub, kvtx8::Conexion& servidorLocal, std::string& matriz,
                             bool& soloRecibir);

    // The intake stages run after the exports, in order.
    std::vector<EtapaRecepcion> Etapas;

    // Never sent by the autoincrement and last-update stages (lower-case names).
    const std::vector<std::string> TablasExcluidas;
    bool Excluida(const std::string& tabla) const;

  private:
    void CopiarTablaCompleta(const std::string& tabla, const std::string& llave, kvtx8::Conexion& local,
                             const std::string& rutina);
    void ObtenerFDDUA(int bitacora, std::string& fddua, kvtx8::Conexion& hub, kvtx8::Conexion& servidorLocal,
                      bool& ok);
    void ObtenerTiemposFADUA(int bitacora, const std::string& fddua, std::string& menor, std::string& mayor,
                             kvtx8::Conexion& local);
    void LeerMonedasDeMatriz(int bitacora, kvtx8::Conexion& local, kvtx8::Conexion& hub,
                             const std::string& matriz);

    void EtapaSQLsBorrado(int bitacora, kvtx8::Conexion& local, kvtx8::Conexion& espejo);
    void EtapaAutoincrementales(int bitacora, kvtx8::Conexion& local, kvtx8::Conexion& espejo);
    void EtapaCompletas(int bitacora, kvtx8::Conexion& local);
    void EtapaPorUltimaActualizacion(int bitacora, kvtx8::Conexion& local, kvtx8::Conexion& espejo,
                                     kvtx8::Conexion& hub, kvtx8::Conexion& servidorLocal);
    void Recibir(int bitacora, kvtx8::Conexion& espejo, kvtx8::Conexion& local, kvtx8::Conexion& hub,
                 kvtx8::Conexion& servidorLocal, std::string& matriz);
    void AlertasSinArchivo(int bitacora, kvtx8::Conexion& local, kvtx8::Conexion& hub,
                           const std::string& matriz);
    bool BorraAlerta(kvtx8::Conexion& hub, const std::string& tipo);
    void GrabaFechaDeEnvio(int bitacora, kvtx8::Conexion& hub);

    // Whether the table goes to ESPEJO by its autoincrement key; `llave` is that key. `sinConexion` tells a
    // table passed over because a connection failed, not because of its shape.
    bool TablaEnviable(const std::string& tabla, kvtx8::Conexion& local, kvtx8::Conexion& espejo,
                       std::string& llave, long long& maximo, bool& sinConexion);
    // Between tables: the interrupt flag ends the loop, otherwise the stop flag is cleared.
    bool SigueDespuesDeTabla();
    int16_t Limite() const;

    clsEstandar* estandar_ = nullptr;
    int problemas_ = 0;        // problem-records file number
    kvtx8::Conexion cnFDDUA_;  // concentradorqmx of the local server, for storing the cut-off
};

}  // namespace cnc
