#include <CLI/CLI.hpp>

#include <iostream>
#include <iterator>
#include <string>
#include <tuple>

#include <cstdlib>
#include <filesystem>

#include "app/bloqueo_de_carpeta.h"
#include "app/cls_de_inicio.h"
#include "cli/ventana_sin_ventana.h"
#include "components/de_acceso.h"
#include "components/fecha.h"
#include "components/utilerias.h"
#include "connection/firma_actualizacion.h"
#include "core/shared_routines.h"

#if defined(CONCENTRADOR_CON_VENTANA) && __has_include("ui/ventana.h")
#include "ui/reporte_pdf.h"
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

// --reporte-avisos: 0 written, 1 not written, 2 a bad value of one of its options (named).
static int ReporteDeAvisos(const std::string& carpeta, const std::string& ruta, const std::string& desde,
                           const std::string& hasta, const std::string& usuario, const std::string& estado,
                           const std::string& orden) {
    constexpr int kOpcionMala = 2;
    cnc::FiltroDeReporte f;
    for (auto [opcion, valor, destino] :
         {std::tuple{"--desde", &desde, &f.desde}, std::tuple{"--hasta", &hasta, &f.hasta}}) {
        if (valor->empty()) continue;
        const auto fecha = kvtx8::LeeFecha(*valor);
        if (valor->size() != 10 || (*valor)[4] != '-' || !fecha) {
            Error(std::string(opcion) + ": \"" + *valor + "\" no es una fecha AAAA-MM-DD válida");
            return kOpcionMala;
        }
        *destino = *valor;
    }
    f.usuario = usuario;
    if (estado == "ambos")
        f.estado = cnc::FiltroDeReporte::Estado::Ambos;
    else if (estado == "no-leidos")
        f.estado = cnc::FiltroDeReporte::Estado::NoLeidos;
    else if (estado == "leidos")
        f.estado = cnc::FiltroDeReporte::Estado::Leidos;
    else {
        Error("--estado: \"" + estado + "\" no es ambos, no-leidos ni leidos");
        return kOpcionMala;
    }
    if (orden == "folio")
        f.orden = cnc::FiltroDeReporte::Orden::Folio;
    else if (orden == "fecha-leido")
        f.orden = cnc::FiltroDeReporte::Orden::FechaLeido;
    else if (orden == "fecha-registro")
        f.orden = cnc::FiltroDeReporte::Orden::FechaRegistro;
    else {
        Error("--orden: \"" + orden + "\" no es folio, fecha-leido ni fecha-registro");
        return kOpcionMala;
    }
    if (ruta.empty()) {
        Error("--reporte-avisos: falta el nombre del archivo PDF");
        return kOpcionMala;
    }
#ifdef CONCENTRADOR_HAY_VENTANA
    const std::string dondeIni = carpeta.empty() ? CarpetaPorOmision() : carpeta;
    if (!kvtx8::HayCarpeta(dondeIni)) {
        Error("la carpeta del programa no existe: " + dondeIni);
        return 1;
    }
    cnc::PreparaModulo(dondeIni);
    // A relative name is the caller's, not the program folder's.
    std::error_code ec;
    const std::string absoluta = std::filesystem::absolute(ruta, ec).string();
    return cncui::EjecutaReporte(f, ec ? ruta : absoluta);
#else
    (void)carpeta;
    Error("este programa se compiló sin Qt; no puede escribir el reporte");
    return 1;
#endif
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
        "1 el arranque terminó el programa (o --cifrar, --descifrar, --crear-llaves, --firmar,\n"
        "--reporte-avisos fallaron); 2 la conexión de --una-vez falló antes de la entrega, o un\n"
        "valor de las opciones de --reporte-avisos no es válido; 3 la línea de órdenes no es válida.\n"
        "Vea man concentrador.");
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
    std::string reporte, desde, hasta, usuario, estadoDeAvisos = "ambos", orden = "folio";
    auto* orp =
        app.add_option("--reporte-avisos", reporte, "Escribe la bitácora de avisos en un PDF y termina")
            ->type_name("ARCHIVO.pdf");
    app.add_option("--desde", desde, "Con --reporte-avisos, avisos desde esta fecha")
        ->type_name("AAAA-MM-DD")
        ->needs(orp);
    app.add_option("--hasta", hasta, "Con --reporte-avisos, avisos hasta esta fecha")
        ->type_name("AAAA-MM-DD")
        ->needs(orp);
    app.add_option("--usuario", usuario, "Con --reporte-avisos, avisos firmados por este usuario")
        ->type_name("CODIGO")
        ->needs(orp);
    app.add_option("--estado", estadoDeAvisos, "Con --reporte-avisos: ambos, no-leidos o leidos")
        ->type_name("ESTADO")
        ->needs(orp);
    app.add_option("--orden", orden, "Con --reporte-avisos: folio, fecha-leido o fecha-registro")
        ->type_name("ORDEN")
        ->needs(orp);
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

    if (*orp) return ReporteDeAvisos(carpeta, reporte, desde, hasta, usuario, estadoDeAvisos, orden);

    return Ejecuta(carpeta, sinVentana, sv, argc, argv);
}
