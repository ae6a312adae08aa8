// One connection call: validations, branch settings, hand-over by mode.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "components/bases_dd.h"
#include "send/ciclo.h"

namespace cnc {

// The lowest Tarvena version both sides must have.
inline constexpr const char* kVersionMinimaTarvena = "6.3.0";

class clsConectar {
  public:
    // The record set and connection are only passed on to the alert sender (mode 2).
    void Conectar(uint8_t& modo, kvtx8::Registros& rs, kvtx8::Conexion& cn);

    // Re-arms the window's countdown for the mode once the call ends (the scheduler's IniciaCuenta).
    std::function<void(uint8_t)> IniciaCuenta;

    // Whether the mode's hand-over exists in this program: 0 and 4 (the send-and-receive cycle), 1 (product
    // update from the MATRIZ) and 3 (product send to the ESPEJO). Alerts (2) are not offered until theirs
    // does.
    static bool ModoDisponible(uint8_t modo) { return modo <= 4 && modo != 2; }

    // Version flags of ComparaVersiones.
    static constexpr int kRemotaMayor = 1, kLocalMenorAMinima = 2, kRemotaMenorAMinima = 4;
    static int ComparaVersiones(const std::string& minima, const std::string& local,
                                const std::string& remota);

  private:
    // Steps of one call, in order: the local side, the ESPEJO data of the company row, the hub and its
    // versions, then the hand-over.
    void Valida(uint8_t modo, ContextoCiclo& ctx, std::string& mensaje, int& fallas, bool& terminar);
    bool AbreLocal(ContextoCiclo& ctx, kvtx8::Registros& rsEmpresa);
    bool LeeDatosEspejo(const kvtx8::Registros& rsEmpresa, int bitacora);
    // False when the hub could not be opened; `banderas` are the version flags, `mensaje` the report.
    bool ValidaHub(ContextoCiclo& ctx, int& banderas, std::string& mensaje, bool& terminar);
    static std::string MensajeDeVersiones(int banderas, const std::string& remota, int bitacora);
    // Versions in conflict: the hub is told with "!!!".
    void MarcaConflicto(ContextoCiclo& ctx);
    void EnvioNormal(uint8_t modo, ContextoCiclo& ctx);
    // The report of the call on the window, when there is one.
    void Informa(const std::string& mensaje, int fallas);
    // `terminar` comes back true when the program must end (a new version is being installed).
    void RevisaVersionMinima(kvtx8::Conexion& hub, int bitacora, bool& terminar);
    void MostrarAviso(const std::string& texto);
    // The MATRIZ of the ESPEJO row's group, lower-cased; empty when there is none.
    void BuscaMatriz(kvtx8::Conexion& hub, const kvtx8::Registros& espejo, std::string& matriz);
    // False when the ESPEJO was lost on the way.
    bool CopiaSucursal(int bitacora, kvtx8::Conexion& espejo, kvtx8::Conexion& local);
};

}  // namespace cnc
