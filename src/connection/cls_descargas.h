// Update check and download, and the registration of this client under its prefix.
#pragma once

#include <string>
#include <vector>

#include "core/puerto_ventana.h"

namespace cnc {

// Where the update-site data are kept, enciphered.
inline constexpr const char* kLlaveSitio = "SOFTWARE\\Velnor\\QMX plugins";
// This program in the update catalogue.
inline constexpr int kNumeroEnCatalogo = 11;
inline constexpr const char* kCarpetaRemota = "public_html/descargas/plugins/";
inline constexpr const char* kCarpetaDescargas = "/Descargas/";
inline constexpr const char* kArchivoAuxiliar = "qmxAuxiliar.dat";

class clsDescargas {
  public:
    // Update check (start-up, "Buscar actualizaciones", forced by the hub's minimum version).
    void VerificaVersiones(bool& manual, bool& forzado, bool& terminar);
    // Registration and company check at start-up.
    void RegistrarConcentrador();
    void EmpresaCorrecta(bool& correcto);
    void GrabaBaseDeDatos();

  private:
    void AvisaAuxiliar();
};

// The executable of the running auxiliary updater (a path with "qmxauxiliar" in its name); empty when none.
std::string BuscaAuxiliar();

// frmElegirEmpresa: the window calls this on "&Aceptar" and closes when it answers true.
bool frmElegirEmpresa_cmdAceptar(const std::vector<FilaEmpresa>& filas, int elegida);

// Fills the module's update-site connection data (start-up).
void PreparaDatosDelSitio();

}  // namespace cnc
