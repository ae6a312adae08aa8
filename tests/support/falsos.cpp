#include "support/falsos.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/shared_routines.h"

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

void VentanaGrabadora::Texto(cnc::Control control, const std::string& t) {
    const std::string c = cnc::NombreDe(control);
    textos[c] = t;
    llamadas.push_back("Texto " + c + "=" + t);
}
void VentanaGrabadora::Habilitado(cnc::Control control, bool b) {
    const std::string c = cnc::NombreDe(control);
    habilitados[c] = b;
    llamadas.push_back(std::string(b ? "Habilita " : "Deshabilita ") + c);
}
void VentanaGrabadora::Visible(cnc::Control control, bool b) {
    const std::string c = cnc::NombreDe(control);
    visibles[c] = b;
    llamadas.push_back(std::string(b ? "Muestra " : "Oculta ") + c);
}
void VentanaGrabadora::Marcado(cnc::Control control, bool b) {
    marcados[cnc::NombreDe(control)] = b;
}
void VentanaGrabadora::Foco(cnc::Control control) {
    const std::string c = cnc::NombreDe(control);
    focos.push_back(c);
    llamadas.push_back("Foco " + c);
}
void VentanaGrabadora::Enmascarado(cnc::Control control, bool b) {
    enmascarados[cnc::NombreDe(control)] = b;
}
void VentanaGrabadora::Temporizador(cnc::Control control, bool b) {
    const std::string n = cnc::NombreDe(control);
    temporizadores[n] = b;
    llamadas.push_back(std::string(b ? "Inicia " : "Detiene ") + n);
}

int VentanaGrabadora::ElegirEmpresa(const std::vector<cnc::FilaEmpresa>& filas, int actual) {
    empresasMostradas.push_back(filas);
    empresaActual.push_back(actual);
    while (!eleccionesEmpresa.empty()) {
        int i = eleccionesEmpresa.front();
        eleccionesEmpresa.pop_front();
        if (!aceptar || aceptar(filas, i)) return i;
    }
    return -1;
}

bool VentanaGrabadora::PideUsuario(int modulo) {
    modulosPedidos.push_back(modulo);
    if (usuarios.empty()) return false;
    bool r = usuarios.front();
    usuarios.pop_front();
    return r;
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

}  // namespace prueba
