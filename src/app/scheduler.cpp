#include "app/scheduler.h"

#include <algorithm>
#include <chrono>

#include "app/cls_de_inicio.h"
#include "app/comandos.h"
#include "connection/cls_conectar.h"
#include "core/reglas.h"
#include "core/shared_routines.h"
#include "documents/cls_de_alertas.h"

namespace cnc {

namespace {
bool enConexion = false;

// The alert poll makes one attempt at the local server, never AbreBase's retry window: that would hold the
// window half a minute at every poll while the server is down. After a failure it waits longer each time
// (10 s, 20 s... up to five minutes); once an attempt succeeds it polls every five seconds again.
constexpr int kPrimeraEspera = 10, kEsperaMaxima = 300;
struct {
    int segundos = 0;  // 0: no failure pending
    long long desde = 0;
} espera;

bool TocaIntento(long long ahora) {
    // A clock set back does not stretch the wait.
    return espera.segundos == 0 || ahora < espera.desde || ahora - espera.desde >= espera.segundos;
}
}  // namespace

void IniciaCuenta(uint8_t modo) {
    EstadoForm1& f = Form1();
    if (modo == 0) f.Segundos = 0, f.Minutos = 0;
    f.Timer1 = true;
    Ventana().Temporizador(Control::Timer1, true);
    Ventana().Habilitado(Control::cmdEnviar, true);
    if (!f.Minimizada && !f.PrimeraActivacion && f.Picture1) DarleElFoco(Control::Picture1);
}

void DarleElFoco(Control control) {
    Ventana().Foco(control);
}

void TiempoRestante(int& horas, int& minutos, int& segundos) {
    const EstadoForm1& f = Form1();
    int total = Mod.Minutos * 60 - (f.Minutos * 60 + f.Segundos);
    // A shorter interval saved while the count was further on: the send is due, nothing is left.
    if (total < 0) total = 0;
    horas = total / 3600;
    minutos = (total - horas * 3600) / 60;
    segundos = (total - horas * 3600) % 60;
}

std::string TextoTiempoRestante(int horas, int minutos, int segundos) {
    return std::to_string(horas) + " hors. " + std::to_string(minutos) + " min. " + std::to_string(segundos) +
           " segs.";
}

void Timer1_Timer() {
    static bool enTick = false;
    EstadoForm1& f = Form1();
    if (enTick || !f.Timer1 || enConexion || f.Descargada) return;
    enTick = true;
    ++f.Segundos;
    if (f.Segundos % 5 == 0 && !Ventana().SoloRespaldarMarcado()) RevisaAlertas();
    if (f.Segundos >= 60) {
        f.Segundos = 0;
        ++f.Minutos;
    }
    int h, m, s;
    TiempoRestante(h, m, s);
    Ventana().Texto(Control::lblInfo, TextoTiempoRestante(h, m, s));
    Ventana().Ceder();
    if (f.Timer1 && !f.Descargada && f.Minutos >= Mod.Minutos) EnviarAhora(0);
    enTick = false;
}

void Timer2_Timer() {
    EstadoForm1& f = Form1();
    f.Label7Visible = !f.Label7Visible;
    Ventana().Visible(Control::Label_7, f.Label7Visible);
}

void RevisaAlertas() {
    Conexion cn;
    const long long ahora = SegundosDesdeEpoca(Ahora());
    const bool intenta = TocaIntento(ahora);
    const bool abierta = intenta && Mod.BDLocal.AbrirBdD(cn, "concentradorqmx");
    if (intenta && !abierta) {
        espera.segundos =
            espera.segundos == 0 ? kPrimeraEspera : std::min(espera.segundos * 2, kEsperaMaxima);
        espera.desde = ahora;
    }
    if (abierta) {
        espera.segundos = 0;
        Registros alertas;
        Mod.BDLocal.AbrirTabla(alertas, cn, "alertas order by Id");
        while (!alertas.Eof() && !Form1().Descargada) {
            Ventana().Ceder();
            Registros archivo;
            Mod.BDLocal.AbrirTabla(archivo, cn,
                                   "archivosasubir where Id=" + kvtx8::NumeroSQL(alertas.Texto("IdArchivo")));
            if (!archivo.Eof()) {
                if (archivo.Texto("Tipo") == "A1") {
                    clsDeAlertas().LeerPorRecibir(alertas, cn, [] { EnviarAhora(4); });
                } else {
                    uint8_t modo = 2;
                    if (clsConectar::ModoDisponible(modo)) EnviarAhora(modo, alertas, cn);
                }
            }
            archivo.Cerrar();
            alertas.MoveNext();
        }
        alertas.Cerrar();
        cn.Cerrar();
    }
    if (!Form1().Descargada) IniciaCuenta(4);
}

bool EnConexion() {
    return enConexion;
}

void EnviarAhora(uint8_t& modo, kvtx8::Registros& rs, kvtx8::Conexion& cn) {
    EstadoForm1& f = Form1();
    if (enConexion || f.Descargada) return;
    enConexion = true;
    f.Timer1 = false;
    Mod.ConexionEntregada = false;
    Ventana().Conectando(true);
    {
        clsConectar conectar;
        conectar.IniciaCuenta = cnc::IniciaCuenta;
        conectar.Conectar(modo, rs, cn);
    }
    enConexion = false;
    if (Mod.TerminarPrograma) {
        DescargaVentana();
        return;
    }
    Ventana().Conectando(false);
    // The call re-arms the countdown itself; this covers a call that returned early.
    if (!f.Timer1 && !f.Descargada) IniciaCuenta(modo);
}

void EnviarAhora(uint8_t modo) {
    kvtx8::Registros rs;
    kvtx8::Conexion cn;
    EnviarAhora(modo, rs, cn);
}

}  // namespace cnc
