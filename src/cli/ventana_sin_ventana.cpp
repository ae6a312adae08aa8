#include "cli/ventana_sin_ventana.h"

#include <signal.h>

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

// Line breaks of a box text, as lines of the log.
std::string EnLineas(const std::string& texto) {
    std::string r;
    for (size_t i = 0; i < texto.size(); ++i) {
        char c = texto[i];
        if (c == '\r') {
            if (i + 1 < texto.size() && texto[i + 1] == '\n') ++i;
            r += "\n    ";
        } else if (c == '\n') {
            r += "\n    ";
        } else {
            r += c;
        }
    }
    return r;
}

}  // namespace

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

void VentanaSinVentana::Linea(const std::string& texto) {
    std::fprintf(salida_, "concentrador: %s\n", texto.c_str());
    std::fflush(salida_);
}

uint8_t VentanaSinVentana::Mensaje(const std::string& texto, int estilo, const std::string& titulo) {
    const auto botones = BotonesDe(estilo);
    uint8_t r = BotonPorDefecto(estilo);
    if (si_)
        for (uint8_t b : botones)
            if (b == kSi) r = kSi;
    std::string linea = "[" + titulo + "] " + EnLineas(texto);
    if (botones.size() > 1) linea += "\n    -> " + NombreDelBoton(r);
    Linea(linea);
    return r;
}

void VentanaSinVentana::Estado(const std::string& t) {
    if (!t.empty()) Linea(t);
}

void VentanaSinVentana::Etapa(const std::string& t) {
    if (!t.empty()) Linea(t);
}

void VentanaSinVentana::Aviso(const std::string& t) {
    Linea("[Aviso del concentrador] " + EnLineas(t));
}

void VentanaSinVentana::Ceder() {
    if (!senal) return;
    Mod.Detener = true;
    Mod.Interrumpir = true;
    Form1().FinPedido = true;
    if (!avisoDeSenal_) {
        avisoDeSenal_ = true;
        Linea("señal recibida: se interrumpe el envío de información y el programa termina");
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
            if (!texto.empty()) Linea(EnLineas(texto));
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
              " de la base de datos general (grábelos con la ventana del programa)");
}

bool VentanaSinVentana::AbreDocumento(const std::string& ruta) {
    Linea("edite el archivo " + ruta);
    return false;
}

int VentanaSinVentana::ElegirEmpresa(const std::vector<FilaEmpresa>& filas, int actual) {
    std::string lista = "[Empresa] Elija la empresa desde la cual enviará información";
    for (size_t i = 0; i < filas.size(); ++i)
        lista += std::string("\n    ") + (static_cast<int>(i) == actual ? "* " : "  ") +
                 filas[i].baseDeDatos + "  " + filas[i].empresa;
    Linea(lista);
    // Without anyone to choose, only the configured company can be confirmed.
    if (actual < 0) {
        if (!filas.empty())
            Linea("la empresa configurada (" + Mod.BDLocal.cMiBase + ") no está en la lista; no se cambia");
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
