#include <CLI/CLI.hpp>

#include <iostream>
#include <iterator>
#include <string>

#include <cstdlib>
#include <filesystem>

#include "app/bloqueo_de_carpeta.h"
#include "app/cls_de_inicio.h"
#include "core/shared_routines.h"
#include "cli/ventana_sin_ventana.h"
#include "connection/firma_actualizacion.h"
#include "components/de_acceso.h"
#include "components/utilerias.h"

#if defined(CONCENTRADOR_CON_VENTANA) && __has_include("ui/ventana.h")
#include "ui/ventana.h"
#define CONCENTRADOR_HAY_VENTANA 1
#endif

namespace {

// "-" reads the value from standard input (one line, or all of it without its final newline).
std::string Entrada(const std::string& valor) {
    if (valor != "-") return valor;
    std::string todo((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
    while (!todo.empty() && (todo.back() == '\n' || todo.back() == '\r')) todo.pop_back();
    return todo;
}

bool HayEscritorio() {
    for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY"})
        if (const char* e = std::getenv(v); e && *e) return true;
    const char* qpa = std::getenv("QT_QPA_PLATFORM");
    return qpa && *qpa;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Cliente del concentrador de información"};
    std::string cifrar, descifrar, clave;
    int variante = -1;
    auto* oc = app.add_option("--cifrar", cifrar, "Imprime la forma guardada de un valor (- lee la entrada)");
    auto* od =
        app.add_option("--descifrar", descifrar, "Imprime el valor de una forma guardada (- lee la entrada)");
    oc->excludes(od);
    auto* ov =
        app.add_option("--variante", variante, "Número de variante (1 a 4 para los datos de conexión)");
    auto* ok = app.add_option("--clave", clave, "Llave propia del renglón (columna AlE)");
    ov->excludes(ok);
    std::string carpeta;
    bool sinVentana = false;
    cnc::OpcionesSinVentana sv;
    app.add_option("--carpeta", carpeta, "Carpeta del programa (por omisión, la del ejecutable)");
    app.add_flag("--sin-ventana", sinVentana,
                 "Sin ventana ni bandeja: los mensajes van a la salida de errores");
    app.add_flag("--si", sv.si, "Con --sin-ventana, responde Sí a todas las preguntas");
    auto* ou = app.add_flag("--una-vez", sv.unaVez, "Después del arranque, una conexión y termina");
    app.add_option("--modo", sv.modo, "Modo de la conexión de --una-vez (0 a 4)")
        ->check(CLI::Range(0, 4))
        ->needs(ou);
    std::string crearLlaves, firmar, llaveSecreta;
    auto* ol = app.add_option("--crear-llaves", crearLlaves,
                              "Crea PREFIJO.publica y PREFIJO.secreta para firmar actualizaciones");
    auto* of = app.add_option("--firmar", firmar, "Escribe ARCHIVO.firma con la llave de --llave-secreta");
    auto* os = app.add_option("--llave-secreta", llaveSecreta, "Archivo de la llave secreta de --firmar");
    ol->type_name("PREFIJO");
    of->type_name("ARCHIVO");
    os->type_name("ARCHIVO_LLAVE");
    of->needs(os);
    os->needs(of);
    ol->excludes(of);
    CLI11_PARSE(app, argc, argv);

    if (*ol || *of) {
        std::string error;
        if (*ol ? cnc::CreaLlaves(crearLlaves, error) : cnc::FirmaArchivo(firmar, llaveSecreta, error))
            return 0;
        std::cerr << "concentrador: " << error << "\n";
        return 1;
    }

    if (*oc || *od) {
        // The key of the installation in this folder, as the program itself would use it.
        const std::string dondeIni =
            carpeta.empty() ? std::filesystem::path(cnc::RutaDelPrograma()).parent_path().string() : carpeta;
        kvtx8::DeAcceso acceso;
        acceso.UsaArchivoIni(dondeIni + cnc::kArchivoIni);
        if (!acceso.LlaveLista()) {
            std::cerr << "concentrador: " << acceso.Problema() << "\n";
            return 1;
        }
        const bool cifra = static_cast<bool>(*oc);
        const std::string valor = Entrada(cifra ? cifrar : descifrar);
        std::string r;
        if (*ok)
            r = cifra ? acceso.Encripta(valor, clave) : acceso.DesEncripta(valor, clave);
        else if (*ov)
            r = cifra ? acceso.Encripta(valor, variante) : acceso.DesEncripta(valor, variante);
        else
            r = cifra ? acceso.Encripta(valor) : acceso.DesEncripta(valor);
        if (!cifra && acceso.UltimoFallo()) {
            std::cerr << "concentrador: el valor no se pudo descifrar con esa llave\n";
            return 1;
        }
        std::cout << r << "\n";
        return 0;
    }

    if (carpeta.empty()) carpeta = std::filesystem::path(cnc::RutaDelPrograma()).parent_path().string();
    if (!kvtx8::HayCarpeta(carpeta)) {
        std::cerr << "concentrador: la carpeta del programa no existe: " << carpeta << "\n";
        return cnc::kSalidaArranque;
    }
    cnc::PreparaModulo(carpeta);
    cnc::BloqueoDeCarpeta bloqueo;
    if (!bloqueo.Toma(cnc::Mod.Carpeta)) {
        std::cerr << "concentrador: " << bloqueo.Problema() << "\n";
        return cnc::kSalidaArranque;
    }
    const bool conVentana = !sinVentana && !sv.unaVez && HayEscritorio();
#ifdef CONCENTRADOR_HAY_VENTANA
    if (conVentana) return EjecutaVentana(argc, argv);
#else
    if (conVentana) std::cerr << "concentrador: este programa se compiló sin ventana; sigue sin ella\n";
#endif
    return cnc::EjecutaSinVentana(sv);
}
