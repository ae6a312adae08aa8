#include "cli/ventana_sin_ventana.h"

#include <signal.h>
#include <sys/stat.h>

#include <cstdlib>

#include "app/cls_de_inicio.h"
#include "app/comandos.h"
#include "app/scheduler.h"
#include "core/shared_routines.h"

namespace cnc {

namespace {

volatile sig_atomic_t senal = 0;

void AlRecibirSenal(int s) {
    senal = s;
}

std::string NombreDelBoton(uint8_t b) {
    switch (b) {
        case kOK:
            return "Aceptar";
        case kCancelar:
            return "Cancelar";
        case kAbortar:
            return "Abortar";
        case kReintentar:
            return "Reintentar";
        case kIgnorar:
            return "Ignorar";
        case kSi:
            return "Sí";
        case kNo:
            return "No";
    }
    return std::to_string(b);
}

// The lines of a text joined into one: a reader of the journal sees each line as its own entry.
std::string UnaLinea(const std::string& texto) {
    std::string r, parte;
    auto agrega = [&] {
        const auto a = parte.find_first_not_of(" \t");
        if (a != std::string::npos) {
            if (!r.empty()) r += " / ";
            r += parte.substr(a, parte.find_last_not_of(" \t") - a + 1);
        }
        parte.clear();
    };
    for (char c : texto) {
        if (c == '\r' || c == '\n')
            agrega();
        else
            parte += c;
    }
    agrega();
    return r;
}

Nivel NivelDe(int estilo) {
    switch (estilo & 0x70) {
        case kCritico:
            return Nivel::Error;
        case kExclamacion:
            return Nivel::Advertencia;
        default:
            return Nivel::Informacion;
    }
}

}  // namespace

bool EsElDiario(std::FILE* salida) {
    const char* js = std::getenv("JOURNAL_STREAM");
    if (!js || !*js) return false;
    char* fin = nullptr;
    const unsigned long long dev = std::strtoull(js, &fin, 10);
    if (fin == js || *fin != ':') return false;
    const char* ino = fin + 1;
    const unsigned long long nodo = std::strtoull(ino, &fin, 10);
    if (fin == ino || *fin) return false;
    struct stat st {};
    return fstat(fileno(salida), &st) == 0 && st.st_dev == dev && st.st_ino == nodo;
}

void EscribeLinea(std::FILE* salida, Nivel nivel, const std::string& texto) {
    const std::string linea = UnaLinea(texto);
    if (EsElDiario(salida)) {
        const char* prioridad = nivel == Nivel::Error ? "<3>" : nivel == Nivel::Advertencia ? "<4>" : "<6>";
        std::fprintf(salida, "%s%s\n", prioridad, linea.c_str());
    } else {
        const char* palabra = nivel == Nivel::Error         ? "error"
                              : nivel == Nivel::Advertencia ? "advertencia"
                                                            : "información";
        std::fprintf(salida, "concentrador: %s: %s\n", palabra, linea.c_str());
    }
    std::fflush(salida);
}

void VentanaSinVentana::InstalaSenales() {
    struct sigaction sa {};
    sa.sa_handler = AlRecibirSenal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = 0;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
}

bool VentanaSinVentana::HaySenal() {
    return senal != 0;
}

void VentanaSinVentana::Linea(const std::string& texto, Nivel nivel) {
    EscribeLinea(salida_, nivel, texto);
}

uint8_t VentanaSinVentana::Mensaje(const std::string& texto, int estilo, const std::string& titulo) {
    const auto botones = BotonesDe(estilo);
    uint8_t r = BotonPorDefecto(estilo);
    if (si_)
        for (uint8_t b : botones)
            if (b == kSi) r = kSi;
    std::string linea = "[" + titulo + "] " + UnaLinea(texto);
    if (botones.size() > 1) linea += " -> " + NombreDelBoton(r);
    Linea(linea, NivelDe(estilo));
    return r;
}

void VentanaSinVentana::Estado(const std::string& t) {
    if (!t.empty()) Linea(t);
}

void VentanaSinVentana::Etapa(const std::string& t) {
    if (!t.empty()) Linea(t);
}

void VentanaSinVentana::Aviso(const std::string& t) {
    Linea("[Aviso del concentrador] " + t);
}

void VentanaSinVentana::AbreAviso(const NotaDeAviso& n) {
    std::string bloque = n.titulo + "\n";
    for (size_t i = 0; i < n.texto.size(); ++i) {
        const char c = n.texto[i];
        if (c == '\r') {
            bloque += '\n';
            if (i + 1 < n.texto.size() && n.texto[i + 1] == '\n') ++i;
        } else {
            bloque += c;
        }
    }
    if (bloque.back() != '\n') bloque += '\n';
    if (EsElDiario(avisos_)) {
        // Under the service manager every line is a journal entry of its own, with its priority; the blank
        // line that parts notices on a terminal would be an empty entry.
        std::string diario;
        for (size_t i = 0, f; i < bloque.size(); i = f + 1) {
            f = bloque.find('\n', i);
            diario += "<6>" + bloque.substr(i, f - i) + "\n";
        }
        bloque = std::move(diario);
    } else {
        bloque += '\n';
    }
    std::fputs(bloque.c_str(), avisos_);
    std::fflush(avisos_);
}

void VentanaSinVentana::Ceder() {
    if (!senal) return;
    Mod.Detener = true;
    Mod.Interrumpir = true;
    Form1().FinPedido = true;
    if (!avisoDeSenal_) {
        avisoDeSenal_ = true;
        Linea("señal recibida: se interrumpe el envío de información y el programa termina",
              Nivel::Advertencia);
    }
}

void VentanaSinVentana::Texto(Control control, const std::string& texto) {
    switch (control) {
        case Control::lblInfo: {
            // One line a minute is enough for a log.
            const auto p = texto.find(" min. ");
            const std::string minuto = p == std::string::npos ? texto : texto.substr(0, p);
            if (texto.empty() || minuto == ultimoMinuto_) return;
            ultimoMinuto_ = minuto;
            Linea("Para envio automatico faltan: " + texto);
            break;
        }
        case Control::Label11:
        case Control::Form1:
            if (!texto.empty()) Linea(texto);
            break;
        case Control::Label3:
            Linea("Base de datos: " + texto);
            break;
        default:
            break;
    }
}

void VentanaSinVentana::MuestraPanel(Panel p) {
    if (p == Panel::Conexion)
        Linea("faltan los datos de conexión a la empresa ESPEJO en la empresa " + Mod.BDLocal.cMiBase +
                  " de la base de datos general (grábelos con la ventana del programa)",
              Nivel::Error);
}

bool VentanaSinVentana::AbreDocumento(const std::string& ruta) {
    Linea("edite el archivo " + ruta, Nivel::Advertencia);
    return false;
}

int VentanaSinVentana::ElegirEmpresa(const std::vector<FilaEmpresa>& filas, int actual) {
    std::string lista = "[Empresa] Elija la empresa desde la cual enviará información";
    for (size_t i = 0; i < filas.size(); ++i)
        lista += std::string("\n") + (static_cast<int>(i) == actual ? "* " : "") + filas[i].baseDeDatos +
                 "  " + filas[i].empresa;
    Linea(lista);
    // Without anyone to choose, only the configured company can be confirmed.
    if (actual < 0) {
        if (!filas.empty())
            Linea("la empresa configurada (" + Mod.BDLocal.cMiBase + ") no está en la lista; no se cambia",
                  Nivel::Advertencia);
        return -1;
    }
    return frmElegirEmpresa_cmdAceptar(filas, actual) ? actual : -1;
}

int EjecutaSinVentana(const OpcionesSinVentana& o) {
    VentanaSinVentana ventana(o.si);
    PuertoVentana* anterior = Mod.Ventana;
    Mod.Ventana = &ventana;
    VentanaSinVentana::InstalaSenales();
    int estado = kSalidaEntrego;
    if (o.unaVez) {
        if (!Arranque(false)) {
            estado = kSalidaArranque;
        } else if (Form1().FinPedido) {
            estado = kSalidaSinEntrega;
        } else if (!Form1().DatosPresentes) {
            estado = kSalidaSinEntrega;
        } else {
            EnviarAhora(static_cast<uint8_t>(o.modo));
            estado = Mod.ConexionEntregada ? kSalidaEntrego : kSalidaSinEntrega;
        }
    } else if (!Form1_Load()) {
        estado = kSalidaArranque;
    } else {
        while (!Form1().Descargada && !Form1().FinPedido) {
            for (int i = 0; i < 10 && !VentanaSinVentana::HaySenal(); ++i) ElReloj().Pausa(100);
            ventana.Ceder();
            if (Form1().FinPedido) break;
            if (Form1().Timer1) Timer1_Timer();
        }
    }
    if (!Form1().Descargada && estado != kSalidaArranque) DescargaVentana();
    Mod.Ventana = anterior;
    return estado;
}

}  // namespace cnc
