#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "app/cls_de_inicio.h"
#include "app/comandos.h"
#include "app/scheduler.h"
#include "support/escenario.h"

using namespace cnc;
using prueba::Escenario;

namespace {

// Connection calls seen by the window: each starts with Conectando(true) after a pause.
int Conexiones(const prueba::VentanaGrabadora& v) {
    int n = 0;
    bool antes = false;
    for (bool c : v.conectando) {
        if (c && !antes) ++n;
        antes = c;
    }
    return n;
}

// A local server going down: it takes each connection and drops it at once. Counts the attempts.
struct ServidorCaido {
    int s = -1;
    int puerto = 0;
    std::atomic<int> intentos{0};
    std::atomic<bool> alto{false};
    std::thread hilo;
    ServidorCaido() {
        s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t l = sizeof a;
        if (bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(s, 16) != 0 ||
            getsockname(s, reinterpret_cast<sockaddr*>(&a), &l) != 0)
            return;
        puerto = ntohs(a.sin_port);
        hilo = std::thread([this] {
            while (!alto) {
                pollfd p{s, POLLIN, 0};
                if (poll(&p, 1, 20) != 1) continue;
                const int c = accept4(s, nullptr, nullptr, SOCK_CLOEXEC);
                if (c < 0) continue;
                ++intentos;
                close(c);
            }
        });
    }
    ~ServidorCaido() {
        alto = true;
        if (hilo.joinable()) hilo.join();
        close(s);
    }
};

// The local connection data loaded, the countdown running from zero.
struct Cuenta : Escenario {
    Cuenta() {
        Instalacion();
        EXPECT_TRUE(CargaConexionLocal(true));
        Mod.Minutos = 15;
        Form1().PrimeraActivacion = false;
        IniciaCuenta(0);
    }
    void Ticks(int n) {
        for (int i = 0; i < n; ++i) Timer1_Timer();
    }
};

}  // namespace

TEST(Cuenta, SendsWhenTheIntervalEndsAndShowsTheTimeLeft) {
    REQUIERE_SERVIDORES();
    Cuenta c;
    c.m.ventana.soloRespaldar = true;
    c.Ticks(1);
    EXPECT_EQ(c.m.ventana.textos["lblInfo"], "0 hors. 14 min. 59 segs.");
    c.Ticks(898);
    EXPECT_EQ(c.m.ventana.textos["lblInfo"], "0 hors. 0 min. 1 segs.");
    EXPECT_EQ(Conexiones(c.m.ventana), 0);
    c.Ticks(1);
    EXPECT_EQ(Conexiones(c.m.ventana), 1);
    // A mode-0 call restarts the interval.
    EXPECT_EQ(Form1().Minutos, 0);
    EXPECT_EQ(Form1().Segundos, 0);
    EXPECT_TRUE(Form1().Timer1);

    int h, m, s;
    Form1().Minutos = 95;  // a shorter interval saved late: nothing is left, never a negative time
    TiempoRestante(h, m, s);
    EXPECT_EQ(TextoTiempoRestante(h, m, s), "0 hors. 0 min. 0 segs.");
}

TEST(Cuenta, PollEveryFiveSecondsSkipsA1MissingRowsAndBackupOnly) {
    REQUIERE_SERVIDORES();
    Cuenta c;
    c.Local("concentradorqmx",
            "INSERT INTO archivosasubir (Id, Tipo, BaseDeDatos) VALUES (1, 'A1', 'espejo1'), (2, 'TR', "
            "'espejo1');"
            "INSERT INTO alertas (IdArchivo) VALUES (1), (99)");
    c.Ticks(10);
    EXPECT_EQ(Conexiones(c.m.ventana), 0);  // "A1" and a missing row start nothing
    EXPECT_EQ(Form1().Segundos, 10);

    c.Local("concentradorqmx", "INSERT INTO alertas (IdArchivo) VALUES (2)");
    c.m.ventana.soloRespaldar = true;
    c.Ticks(10);
    EXPECT_EQ(Conexiones(c.m.ventana), 0);

    // Without the alert sender an alert starts no connection: the poll would otherwise connect every 5 s.
    c.m.ventana.soloRespaldar = false;
    c.Ticks(5);
    EXPECT_EQ(Conexiones(c.m.ventana), 0);
    EXPECT_EQ(Form1().Segundos, 25);
    EXPECT_TRUE(Form1().Timer1);
}

TEST(Cuenta, TheAlertPollNeverWaitsForADownServerAndBacksOffUntilItAnswers) {
    REQUIERE_SERVIDORES();
    Cuenta c;
    Mod.SegundosReintento = 30;
    Mod.Minutos = 60;
    ServidorCaido caido;
    ASSERT_GT(caido.puerto, 0);
    const std::string puerto = Mod.BDLocal.cPuerto;
    Mod.BDLocal.cPuerto = std::to_string(caido.puerto);
    // One second of the clock per tick; the seconds of the count at which the poll tried the server.
    int segundo = 0;
    std::vector<int> intentos;
    auto ticks = [&](int n) {
        for (int i = 0; i < n; ++i) {
            c.m.reloj.Avanza(1);
            ++segundo;
            const int antes = caido.intentos;
            Timer1_Timer();
            for (int k = antes; k < caido.intentos; ++k) intentos.push_back(segundo);
        }
    };

    // A poll costs one attempt and nothing of the retry window.
    ticks(5);
    ASSERT_EQ(intentos, std::vector<int>{5});
    ASSERT_EQ(c.m.reloj.pausadoMs, 0);

    // Each failure doubles the wait, up to five minutes.
    ticks(1195);
    EXPECT_EQ(intentos, (std::vector<int>{5, 15, 35, 75, 155, 315, 615, 915}));
    EXPECT_EQ(c.m.reloj.pausadoMs, 0);
    EXPECT_EQ(Form1().Minutos, 20);
    EXPECT_TRUE(Form1().Timer1);

    // The server answers at the next attempt; from then on every five seconds again.
    Mod.BDLocal.cPuerto = puerto;
    ticks(15);
    Mod.BDLocal.cPuerto = std::to_string(caido.puerto);
    ticks(5);
    EXPECT_EQ(intentos.back(), 1220);
    EXPECT_EQ(intentos.size(), 9u);
    // Leave it answering, as the next test expects.
    Mod.BDLocal.cPuerto = puerto;
    ticks(10);
    EXPECT_EQ(c.m.reloj.pausadoMs, 0);
}

TEST(Comandos, QuestionsNoChangesNothingYesConnectsInItsMode) {
    REQUIERE_SERVIDORES();
    Cuenta c;
    struct Caso {
        void (*comando)();
        const char* pregunta;
        bool reinicia;
    } casos[] = {
        {cmdEnviar_Click, "¿Desea enviar la información al concentrador en este momento?", true},
        {Command14_Click, "¿Desea leer la información pendiente de leer?", false},
        {Command10_Click, "¿Desea leer los productos de la empresa MATRIZ?", false},
        {Command12_Click, "¿Desea enviar todos los productos hacia la empresa ESPEJO?", false},
    };
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.pregunta);
        c.m.ventana = prueba::VentanaGrabadora();
        c.m.ventana.textos["lblInfo"] = "0 hors. 10 min. 0 segs.";
        Form1().Minutos = 3, Form1().Segundos = 20;
        c.m.ventana.respuestas = {kNo};
        caso.comando();
        ASSERT_EQ(c.m.ventana.cajas.size(), 1u);
        EXPECT_EQ(c.m.ventana.cajas[0].texto, caso.pregunta);
        EXPECT_EQ(c.m.ventana.cajas[0].titulo, "Atención");
        EXPECT_EQ(c.m.ventana.cajas[0].estilo, 36);
        EXPECT_EQ(Conexiones(c.m.ventana), 0);
        EXPECT_EQ(c.m.ventana.focos, std::vector<std::string>{"Picture1"});
        EXPECT_EQ(c.m.ventana.textos["lblInfo"], "0 hors. 10 min. 0 segs.");

        c.m.ventana.respuestas = {kSi};
        caso.comando();
        EXPECT_EQ(Conexiones(c.m.ventana), 1);
        EXPECT_EQ(Form1().Minutos, caso.reinicia ? 0 : 3);
        EXPECT_TRUE(Form1().Timer1);
    }

    // Interrupt: No by default, and only Yes sets both flags.
    c.m.ventana = prueba::VentanaGrabadora();
    cmdCerrar_Click();
    EXPECT_EQ(c.m.ventana.cajas.at(0).titulo, "Confirme");
    EXPECT_EQ(c.m.ventana.cajas.at(0).estilo, 36 + 256);
    EXPECT_FALSE(Mod.Detener || Mod.Interrumpir);
    c.m.ventana.respuestas = {kSi};
    cmdCerrar_Click();
    EXPECT_TRUE(Mod.Detener && Mod.Interrumpir);
    Mod.Detener = Mod.Interrumpir = false;

    // Closing the program: No keeps it, Yes unloads and writes the backup-only box into the file.
    cmdTerminar_Click();
    EXPECT_EQ(c.m.ventana.cajas.back().texto,
              "¿Está seguro de cerrar este programa? Se desactivará la conexión al concentrador");
    EXPECT_EQ(c.m.ventana.cajas.back().titulo, "Cerrar conexión");
    EXPECT_FALSE(Form1().Descargada);
    c.m.ventana.soloRespaldar = true;
    c.m.ventana.respuestas = {kSi};
    cmdTerminar_Click();
    EXPECT_TRUE(Form1().Descargada);
    EXPECT_TRUE(Mod.Detener);
    EXPECT_EQ(c.m.ventana.descargas, 1);
    EXPECT_EQ(c.m.ventana.bandeja.back(), false);
    EXPECT_EQ(c.LeeIni("Solamente respaldar en ESPEJO"), "S");
    c.Ticks(3);
    EXPECT_EQ(Conexiones(c.m.ventana), 0);
}

TEST(Comandos, UpdateSearchSettingsAccessAndCloseBox) {
    REQUIERE_SERVIDORES();
    Cuenta c;
    // An update site without a catalogue entry: nothing newer.
    const auto& hub = c.hub;
    Mod.Sitio.Servidor = hub.host, Mod.Sitio.Puerto = std::stoi(hub.puerto), Mod.Sitio.Usuario = hub.usuario;
    Mod.Sitio.Password = hub.password, Mod.Sitio.Base = "concentradorqmx";
    Command11_Click();
    EXPECT_EQ(c.m.ventana.textos["Label(7)"], "Buscando actualizaciones");
    ASSERT_EQ(c.m.ventana.cajas.size(), 1u);
    EXPECT_EQ(c.m.ventana.cajas[0].texto, "Versión del concentrador comprobada. No hay versión más nueva.");
    EXPECT_EQ(c.m.ventana.cajas[0].titulo, "Verificación terminada");
    EXPECT_FALSE(c.m.ventana.temporizadores["Timer2"]);
    EXPECT_TRUE(Form1().Timer1);

    // Settings need an authorised user (module 476); refused, the countdown goes on.
    Command13_Click();
    EXPECT_EQ(c.m.ventana.modulosPedidos, std::vector<int>{476});
    EXPECT_TRUE(Form1().Timer1);
    EXPECT_FALSE(Form1().Picture4);
    c.m.ventana.usuarios = {true};
    Command13_Click();
    EXPECT_TRUE(Form1().Picture4);
    c.Ticks(5);
    EXPECT_EQ(Form1().Segundos, 0);  // no countdown while configuring

    // The close box only sends the window to the tray; a tray click brings it back.
    EXPECT_TRUE(Form_QueryUnload());
    EXPECT_FALSE(Form1().Descargada);
    EXPECT_EQ(c.m.ventana.minimizada, 1);
    MouseMove(517);
    EXPECT_EQ(c.m.ventana.restaurada, 1);
}
