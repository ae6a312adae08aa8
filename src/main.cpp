#include <CLI/CLI.hpp>

#include <iostream>
#include <iterator>
#include <string>

#include <cstdlib>
#include <filesystem>

#include "app/bloqueo_de_carpeta.h"
#include "app/cls_de_inicio.h"
#include "cli/ventana_sin_ventana.h"
#include "components/de_acceso.h"
#include "components/utilerias.h"
#include "connection/firma_actualizacion.h"
#include "core/shared_routines.h"

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

// Installed in a system folder, the program keeps its files in the user's data folder, made at first use;
// elsewhere in the folder of the executable, as it always has.
std::string CarpetaPorOmision() {
    const std::filesystem::path bin = std::filesystem::path(cnc::RutaDelPrograma()).parent_path();
    for (const char* sistema : {"/usr/bin", "/usr/local/bin", "/bin"})
        if (bin == sistema) {
            std::filesystem::path datos;
            if (const char* x = std::getenv("XDG_DATA_HOME"); x && *x)
                datos = x;
            else if (const char* h = std::getenv("HOME"); h && *h)
                datos = std::filesystem::path(h) / ".local/share";
            else
                break;
            std::error_code ec;
            std::filesystem::create_directories(datos / "concentrador", ec);
            return (datos / "concentrador").string();
        }
    return bin.string();
}

void Error(const std::string& texto) {
    cnc::EscribeLinea(stderr, cnc::Nivel::Error, texto);
}

bool HayEscritorio() {
    for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY"})
        if (const char* e = std::getenv(v); e && *e) return true;
    const char* qpa = std::getenv("QT_QPA_PLATFORM");
    return qpa && *qpa;
}

}  // namespace

// --cifrar / --descifrar with this folder's group key: the stored form of a value, or the value of one.
static int CifraODescifra(const std::string& carpeta, bool cifra, const std::string& texto,
                          const std::string* clave, const int* variante) {
    // The key of the installation in this folder, as the program itself would use it.
    const std::string dondeIni = carpeta.empty() ? CarpetaPorOmision() : carpeta;
    kvtx8::DeAcceso acceso;
    acceso.UsaArchivoIni(dondeIni + cnc::kArchivoIni);
    if (!acceso.LlaveLista()) {
        Error(acceso.Problema());
        return 1;
    }
    const std::string valor = Entrada(texto);
    std::string r;
    if (clave)
        r = cifra ? acceso.Encripta(valor, *clave) : acceso.DesEncripta(valor, *clave);
    else if (variante)
        r = cifra ? acceso.Encripta(valor, *variante) : acceso.DesEncripta(valor, *variante);
    else
        r = cifra ? acceso.Encripta(valor) : acceso.DesEncripta(valor);
    if (!cifra && acceso.UltimoFallo()) {
        Error("el valor no se pudo descifrar con esa llave");
        return 1;
    }
    std::cout << r << "\n";
    return 0;
}

// The program itself: one copy per folder, with its window or without.
static int Ejecuta(std::string carpeta, bool sinVentana, const cnc::OpcionesSinVentana& sv, int argc,
                   char** argv) {
    if (carpeta.empty()) carpeta = CarpetaPorOmision();
    if (!kvtx8::HayCarpeta(carpeta)) {
        Error("la carpeta del programa no existe: " + carpeta);
        return cnc::kSalidaArranque;
    }
    cnc::PreparaModulo(carpeta);
    cnc::BloqueoDeCarpeta bloqueo;
    if (!bloqueo.Toma(cnc::Mod.Carpeta)) {
        Error(bloqueo.Problema());
        return cnc::kSalidaArranque;
    }
    const bool conVentana = !sinVentana && !sv.unaVez && HayEscritorio();
#ifdef CONCENTRADOR_HAY_VENTANA
    if (conVentana) return EjecutaVentana(argc, argv);
#else
    if (conVentana)
        cnc::EscribeLinea(stderr, cnc::Nivel::Advertencia,
                          "este programa se compiló sin ventana; sigue sin ella");
#endif
    return cnc::EjecutaSinVentana(sv);
}

int main(int argc, char** argv) {
    CLI::App app{"Cliente del concentrador de información", "concentrador"};
    app.option_defaults()->group("Opciones");
    app.set_help_flag("-h,--help", "Muestra esta ayuda y termina");
    app.set_version_flag("--version", "concentrador " CONCENTRADOR_VERSION, "Muestra la versión y termina");
    app.get_formatter()->label("Usage", "Uso");
    app.get_formatter()->label("OPTIONS", "OPCIONES");
    app.get_formatter()->label("Needs", "Necesita");
    app.get_formatter()->label("Excludes", "Excluye");
    app.footer(
        "Estado de salida: 0 terminó en orden o la conexión de --una-vez llegó a la entrega;\n"
        "1 el arranque terminó el programa (o --cifrar, --descifrar, --crear-llaves, --firmar\n"
        "fallaron); 2 la conexión de --una-vez falló antes de la entrega; 3 la línea de órdenes\n"
        "no es válida. Vea man concentrador.");
    std::string carpeta;
    bool sinVentana = false;
    cnc::OpcionesSinVentana sv;
    app.add_option("--carpeta", carpeta,
                   "Carpeta del programa (por omisión, la del ejecutable; instalado en /usr/bin, "
                   "~/.local/share/concentrador)")
        ->type_name("DIR");
    app.add_flag("--sin-ventana", sinVentana,
                 "Sin ventana ni bandeja: los mensajes van a la salida de errores, uno por línea");
    app.add_flag("--si", sv.si, "Con --sin-ventana, responde Sí a todas las preguntas");
    auto* ou = app.add_flag("--una-vez", sv.unaVez, "Después del arranque, una conexión y termina");
    app.add_option("--modo", sv.modo, "Modo de la conexión de --una-vez (0 a 4)")
        ->type_name("N")
        ->check(CLI::Range(0, 4).description(""))
        ->needs(ou);
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
    oc->type_name("TEXTO");
    od->type_name("TEXTO");
    ov->type_name("N");
    ok->type_name("K");
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
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        Error(std::string(e.what()) + " (vea concentrador --help)");
        return cnc::kSalidaUso;
    }

    if (*ol || *of) {
        std::string error;
        if (*ol ? cnc::CreaLlaves(crearLlaves, error) : cnc::FirmaArchivo(firmar, llaveSecreta, error))
            return 0;
        Error(error);
        return 1;
    }

    if (*oc || *od)
        return CifraODescifra(carpeta, static_cast<bool>(*oc), *oc ? cifrar : descifrar,
                              *ok ? &clave : nullptr, *ov ? &variante : nullptr);

    return Ejecuta(carpeta, sinVentana, sv, argc, argv);
}
