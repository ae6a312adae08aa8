// Start-up, configuration and shutdown of the program.
#pragma once

#include <string>
#include <vector>

namespace cnc {

class clsDeInicio {
  public:
    // Components, local connection data, the wait for the local company database and the settings.
    void CreaObjetos(std::string& archivoExe, bool& correcto);
    // Settings from the configuration file and the hub schema of the local server.
    void LeerConfiguracion(bool& correcto);
    void Controles(const std::string& archivoExe);
    // Fills the connection-data panel; whether the ESPEJO data are there.
    void DatosConexion(bool& presentes);
    void PonerSystray();
    // Tray events arrive as the x value (514, 517: a button released over the icon).
    void MouseMove(int boton, int shift, int x, int y);
    void MataObjetos();
};

// Folder, configuration-file path and retry window (CONCENTRADOR_REINTENTO, default 30 s).
void PreparaModulo(const std::string& carpeta);
// The executable, for the autostart entry.
std::string& RutaDelPrograma();

bool CargaConexionLocal(bool leerBasePrincipal);
// The key's value; an empty key gets the default written and used.
std::string LeeIniConDefecto(const std::string& seccion, const std::string& clave,
                             const std::string& defecto);
// One attempt a second until the local company database opens; false when the user gives up.
bool EsperaBaseLocal();
// Keys of the configuration file that start-up had to correct, as lines for the operator.
std::vector<std::string>& Correcciones();

// The window's load in start-up order; false when the program must end. Without `conectarAlInicio` (a
// one-shot headless run) the first connection is left to the caller and no autostart entry is made.
bool Arranque(bool conectarAlInicio);
// Shows the connection-data panel.
void MuestraConexion();
// Unloads the window: the unload steps, then the port ends the program.
void DescargaVentana();

// The XDG autostart entry of this copy: ~/.config/autostart/concentrador-<prefix>.desktop.
std::string ArchivoDeArranque();
void RegistraArranqueAutomatico();

inline constexpr const char* kMarcador = "/Concentrador.gif";
inline constexpr const char* kArchivoExe = "/concentrador";

}  // namespace cnc
