// The notice windows' logic: which notices open a window, what a window's buttons do to its row, and the
// signature prompt's check. The windows themselves come and go through the window port.
#pragma once

#include <string>

#include "core/puerto_ventana.h"
#include "notices/notice_store.h"

namespace cnc {

// The right a user needs to sign a notice as read: the module next to the settings' 476, so that the rights
// string can keep notice signing apart from every other right.
inline constexpr int kModuloFirmaDeAvisos = 477;
// The right that opens the settings panel ("Configurar").
inline constexpr int kModuloConfigurar = 476;

class clsPostits {
  public:
    // Closes every notice window.
    static void DescargarPostIts();
    // Closes the notice windows, then opens one per unread notice up to "Avisos a mostrar"; with 0 to show,
    // every unread notice is marked read instead.
    static void LeerPostits();
    // The signature prompt for signing notices; the user code when an authorised user signed.
    static bool FirmarUsuario(std::string& usuario, bool& aceptado);
};

// The window's title: "(Id) dd/mmm/YY - hh:nn:ss".
std::string TituloDeAviso(const AvisoGuardado& a);

// A notice window's events. "Enterado": true when the notice was signed and its window must close.
bool frmPostit_cmdFirmar(long long id);
// Any closing of the window: its place, size (twips) and colour are kept in the row; the last window closed
// disables "&Ocultar avisos".
void frmPostit_Unload(long long id, int x, int y, int w, int h, long long color);
// "Exportar": the text to "Aviso <Id>.txt" in the program folder, then opened. The path; empty on failure.
std::string frmPostit_Command3(long long id, const std::string& texto);

// The signature prompt's "Aceptar": whether the user and code (blanks around them ignored) belong to a user
// whose rights include the module. When not, the reason is shown with the title "Error".
bool frmPideUsuario_cmdAceptar(const std::string& usuario, const std::string& codigo, int modulo);

}  // namespace cnc
