// Update check and download, and the registration of this client under its prefix.
#pragma once

namespace cnc {

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

// Fills the module's update-site connection data (start-up).
void PreparaDatosDelSitio();

}  // namespace cnc
