// Signed updates: the publisher signs every file of an update with its secret key, and this program keeps
// a downloaded file only when it comes with a valid signature by the public key of its settings.
#pragma once

#include <string>

namespace cnc {

// The signature of a file travels beside it, as the file's name plus this.
inline constexpr const char* kExtensionFirma = ".firma";
// The public key (base64) in the settings file, section "Configuración", and the variable that overrides it.
inline constexpr const char* kLlaveActualizaciones = "Llave pública de actualizaciones";
inline constexpr const char* kVariableLlaveActualizaciones = "CONCENTRADOR_LLAVE_ACTUALIZACIONES";

// The public key as stored; empty when updates are not verified.
std::string LlaveDeActualizaciones();

// Whether the text (base64) is a public key at all.
bool EsLlavePublica(const std::string& llave);

// Writes prefijo.publica (base64) and prefijo.secreta (base64, readable by its owner only); it never
// replaces a key that exists. False and the reason in `error` when it could not.
bool CreaLlaves(const std::string& prefijo, std::string& error);
// Writes archivo + ".firma": the detached signature of the file's bytes by the secret key of the key file.
bool FirmaArchivo(const std::string& archivo, const std::string& llaveSecreta, std::string& error);
// Whether `firma` holds the signature of `archivo` by the public key (base64). A key that is not one
// accepts nothing.
bool FirmaValida(const std::string& archivo, const std::string& firma, const std::string& llavePublica);

}  // namespace cnc
