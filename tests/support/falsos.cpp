#include "support/falsos.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/shared_routines.h"

namespace prueba {

uint8_t VentanaGrabadora::Mensaje(const std::string& texto, int estilo, const std::string& titulo) {
    cajas.push_back({texto, titulo, estilo});
    if (!respuestas.empty()) {
        uint8_t r = respuestas.front();
        respuestas.pop_front();
        return r;
    }
    return cnc::BotonPorDefecto(estilo);
}

void RelojFalso::Pausa(int ms) {
    pausadoMs += ms;
    ms_ += ms;
    if (ms_ >= 1000) {
        t_ = kvtx8::SumaSegundos(t_, ms_ / 1000);
        ms_ %= 1000;
    }
}

CarpetaTemporal::CarpetaTemporal() {
    std::string plantilla = (std::filesystem::temp_directory_path() / "cnc-prueba-XXXXXX").string();
    ruta_ = mkdtemp(plantilla.data());
}

CarpetaTemporal::~CarpetaTemporal() {
    std::error_code ec;
    std::filesystem::remove_all(ruta_, ec);
}

std::string CarpetaTemporal::Lee(const std::string& nombre) const {
    std::ifstream f(Archivo(nombre), std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

void CarpetaTemporal::Escribe(const std::string& nombre, const std::string& texto) const {
    std::ofstream f(Archivo(nombre), std::ios::binary);
    f << texto;
}

ModuloDePrueba::ModuloDePrueba() {
    cnc::ReiniciaModulo();
    cnc::Mod.Ventana = &ventana;
    cnc::Mod.ElReloj = &reloj;
    cnc::Mod.Carpeta = carpeta.Ruta();
    cnc::Mod.ArchivoIni = carpeta.Archivo("concentrador.ini");
    cnc::Mod.Registro = kvtx8::DelRegistro(carpeta.Archivo("registro.ini"));
    cnc::Mod.SegundosReintento = 2;
}

ModuloDePrueba::~ModuloDePrueba() {
    cnc::ReiniciaModulo();
    cnc::Mod.Ventana = nullptr;
    cnc::Mod.ElReloj = nullptr;
}

}  // namespace prueba
