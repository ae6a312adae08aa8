#include "components/del_registro.h"

#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "components/utilerias.h"

namespace fs = std::filesystem;

namespace kvtx8 {

namespace {

// Loads the file; an absent file is an empty registry, a file that does not parse is damaged.
bool Cargar(const std::string& archivo, CSimpleIniA& ini, std::string* problema) {
    ini.SetUnicode(true);
    ini.SetMultiKey(false);
    std::error_code ec;
    if (!fs::exists(archivo, ec)) return true;
    std::ifstream f(archivo, std::ios::binary);
    if (!f) {
        if (problema) *problema = "no se puede leer el registro " + archivo;
        return false;
    }
    std::stringstream ss;
    ss << f.rdbuf();
    const std::string texto = ss.str();
    std::istringstream lineas(texto);
    std::string linea;
    int n = 0;
    while (std::getline(lineas, linea)) {
        ++n;
        std::string t = Recorta(linea);
        if (n == 1 && t.rfind("\xEF\xBB\xBF", 0) == 0) t = t.substr(3);
        if (t.empty() || t[0] == ';' || t[0] == '#') continue;
        if ((t.front() == '[' && t.back() == ']') || t.find('=') != std::string::npos) continue;
        if (problema) *problema = "el registro " + archivo + " está dañado (línea " + std::to_string(n) + ")";
        return false;
    }
    if (texto.find('\0') != std::string::npos || ini.LoadData(texto) < 0) {
        if (problema) *problema = "el registro " + archivo + " está dañado";
        return false;
    }
    return true;
}

// The registry holds enciphered secrets: only its owner reads it.
bool Guardar(const std::string& archivo, CSimpleIniA& ini) {
    std::string texto;
    return ini.Save(texto, false) >= 0 && EscribeArchivoPrivado(archivo, texto);
}

std::string SinDiagonalFinal(std::string s) {
    s = RutaLocal(Recorta(s));
    while (s.size() > 1 && s.back() == '/') s.pop_back();
    return Minusculas(s);
}

}  // namespace

DelRegistro::DelRegistro() : archivo_(ArchivoPorDefecto()) {}

std::string DelRegistro::ArchivoPorDefecto() {
    if (const char* e = std::getenv("CONCENTRADOR_REGISTRO"); e && *e) return e;
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/root") + "/.config/velnor/registro.ini";
}

std::string DelRegistro::LeerCadena(const std::string& llave, const std::string& valor) const {
    CSimpleIniA ini;
    if (!Cargar(archivo_, ini, nullptr)) return {};
    const char* v = ini.GetValue(llave.c_str(), valor.c_str(), nullptr);
    return v ? v : "";
}

bool DelRegistro::GrabarCadena(const std::string& llave, const std::string& valor, const std::string& dato) {
    // Stored only as it would be read back.
    if (!CabeEnIni(dato)) return false;
    CSimpleIniA ini;
    if (!Cargar(archivo_, ini, nullptr)) return false;
    ini.SetValue(llave.c_str(), valor.c_str(), dato.c_str());
    std::error_code ec;
    fs::create_directories(fs::path(archivo_).parent_path(), ec);
    return Guardar(archivo_, ini);
}

bool DelRegistro::BorrarValor(const std::string& llave, const std::string& valor) {
    CSimpleIniA ini;
    if (!Cargar(archivo_, ini, nullptr)) return false;
    if (!ini.Delete(llave.c_str(), valor.c_str())) return true;
    return Guardar(archivo_, ini);
}

std::vector<std::string> DelRegistro::Valores(const std::string& llave) const {
    CSimpleIniA ini;
    std::vector<std::string> r;
    if (!Cargar(archivo_, ini, nullptr)) return r;
    CSimpleIniA::TNamesDepend claves;
    ini.GetAllKeys(llave.c_str(), claves);
    claves.sort(CSimpleIniA::Entry::LoadOrder());
    for (const auto& c : claves) r.emplace_back(c.pItem);
    return r;
}

std::vector<std::string> DelRegistro::Llaves(const std::string& prefijo) const {
    CSimpleIniA ini;
    std::vector<std::string> r;
    if (!Cargar(archivo_, ini, nullptr)) return r;
    CSimpleIniA::TNamesDepend secciones;
    ini.GetAllSections(secciones);
    secciones.sort(CSimpleIniA::Entry::LoadOrder());
    const std::string p = Minusculas(prefijo);
    for (const auto& s : secciones)
        if (Minusculas(s.pItem).rfind(p, 0) == 0) r.emplace_back(s.pItem);
    return r;
}

bool DelRegistro::Danado() const {
    CSimpleIniA ini;
    return !Cargar(archivo_, ini, nullptr);
}

std::string DelRegistro::Problema() const {
    CSimpleIniA ini;
    std::string p;
    Cargar(archivo_, ini, &p);
    return p;
}

std::string DelRegistro::BuscarRegistroT8X(const std::string& carpeta) {
    instalacion_.clear();
    const std::string buscada = SinDiagonalFinal(carpeta);
    if (buscada.empty()) return {};
    for (const auto& llave : Llaves(std::string(kInstalaciones) + "\\")) {
        if (SinDiagonalFinal(LeerCadena(llave, "Ruta")) == buscada) {
            instalacion_ = llave;
            break;
        }
    }
    return instalacion_;
}

std::string DelRegistro::DatosT8X(const std::string& nombre) const {
    return instalacion_.empty() ? std::string() : LeerCadena(instalacion_, nombre);
}

bool DelRegistro::GuardaDatosT8X(const std::string& nombre, const std::string& valor) {
    return !instalacion_.empty() && GrabarCadena(instalacion_, nombre, valor);
}

}  // namespace kvtx8
