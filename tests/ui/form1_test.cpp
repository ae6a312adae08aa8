#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>

#include "app/cls_de_inicio.h"
#include "app/comandos.h"
#include "app/scheduler.h"
#include "contestador.h"
#include "core/shared_routines.h"
#include "support/escenario.h"
#include "ui/form1.h"
#include "ui/frm_aviso.h"

using pruebaqt::Contestador;
using pruebaqt::Espera;

namespace {

class Form1Qt : public ::testing::Test {
  protected:
    void SetUp() override {
        form = std::make_unique<cncui::Form1>();
        puerto = std::make_unique<pruebaqt::VentanaDePrueba>(*form);
        cnc::Mod.Ventana = puerto.get();
    }
    void TearDown() override {
        cnc::Mod.Ventana = &e.m.ventana;
        puerto.reset();
        form.reset();
    }
    void Muestra() {
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    template <class T = QWidget>
    T* W(const char* nombre) {
        T* w = form->findChild<T*>(nombre);
        EXPECT_NE(w, nullptr) << nombre;
        return w;
    }
    bool Visible(const char* nombre) { return W(nombre)->isVisibleTo(form.get()); }
    QWidget* Foco() {
        QCoreApplication::processEvents();
        return form->focusWidget();
    }
    // Types into a field and leaves it with Tab, as the operator would.
    void EscribeYSale(QLineEdit* t, const QString& texto) {
        t->setFocus(Qt::MouseFocusReason);
        t->selectAll();
        QTest::keyClick(t, Qt::Key_Delete);
        QTest::keyClicks(t, texto);
        QTest::keyClick(t, Qt::Key_Tab);
        QCoreApplication::processEvents();
    }

    // A check box takes the click on its box, not on the empty width beside its caption.
    void Marca(const char* nombre) {
        QWidget* c = W(nombre);
        QTest::mouseClick(c, Qt::LeftButton, {}, QPoint(8, c->height() / 2));
    }

    // Start-up of the window on the demo group, registering this folder for its one company.
    bool Arranca(Contestador& operador) {
        cnc::PreparaModulo(e.Carpeta());
        // Every key filled, so that start-up has nothing to correct and no box of its own to show.
        for (auto [clave, valor] : {std::pair{"Minutos", "15"},
                                    {"Registros a tomar", "100"},
                                    {"Avisos a mostrar", "10"},
                                    {"Manejar avisos", "S"},
                                    {"Solamente respaldar en ESPEJO", "N"}})
            kvtx8::EscribeIni("Configuración", clave, valor, cnc::Mod.ArchivoIni);
        kvtx8::EscribeIni("Información", "Ultima conexión", "No hay fecha de última conexión",
                          cnc::Mod.ArchivoIni);
        cnc::Mod.Registro = kvtx8::DelRegistro(e.Registro());
        cnc::Mod.SegundosReintento = 2;
        Muestra();
        operador.respuestas.push_front(cnc::kSi);  // the company is right
        operador.respuestas.push_front(cnc::kSi);  // register here
        operador.empresas = {0};
        return cnc::Form1_Load();
    }

    prueba::Escenario e{prueba::kSinBases};  // the demo group only where a test builds it
    std::unique_ptr<cncui::Form1> form;
    std::unique_ptr<pruebaqt::VentanaDePrueba> puerto;
};

TEST_F(Form1Qt, PanelsNavigateAndFieldsAreCheckedOnLeaving) {
    Muestra();
    cnc::MuestraOpciones();
    EXPECT_EQ(W<QLabel>("Label(10)")->text(), QString::fromUtf8("Sí maneja avisos."));
    EXPECT_FALSE(W("cmdCerrar")->isEnabled());
    EXPECT_TRUE(Visible("Picture1"));
    for (const char* p : {"Picture2", "Picture3", "Picture4"}) EXPECT_FALSE(Visible(p)) << p;

    // "Configurar" without an authorised user: the main panel stays and the countdown goes on.
    puerto->usuarioAutorizado = false;
    QTest::mouseClick(W("Command13"), Qt::LeftButton);
    EXPECT_EQ(puerto->modulosPedidos, std::vector<int>{476});
    EXPECT_TRUE(Visible("Picture1"));
    EXPECT_TRUE(form->Timer1()->isActive());

    puerto->usuarioAutorizado = true;
    QTest::mouseClick(W("Command13"), Qt::LeftButton);
    EXPECT_TRUE(Visible("Picture4"));
    EXPECT_FALSE(Visible("Picture1"));
    for (const char* b :
         {"Command5", "Command6", "Command10", "Command13", "Command7", "Command12", "Command14"})
        EXPECT_FALSE(Visible(b)) << b;
    EXPECT_FALSE(form->Timer1()->isActive());
    auto* minutos = W<QLineEdit>("txtMinutos");
    auto* avisos = W<QLineEdit>("txtAvisos");
    EXPECT_EQ(Foco(), minutos);
    EXPECT_EQ(minutos->text(), "15");

    // 1..999 minutes: a field out of range keeps the focus, beeps, and blocks the panel's buttons.
    for (const char* malo : {"0", "1000"}) {
        const int bips = puerto->bips;
        EscribeYSale(minutos, malo);
        EXPECT_EQ(Foco(), minutos) << malo;
        EXPECT_EQ(puerto->bips, bips + 1) << malo;
        QTest::mouseClick(W("cmdRegresar"), Qt::LeftButton);
        EXPECT_TRUE(Visible("Picture4")) << malo;
        EXPECT_EQ(Foco(), minutos) << malo;
    }
    for (const char* bueno : {"1", "999"}) {
        EscribeYSale(minutos, bueno);
        EXPECT_EQ(Foco(), avisos) << bueno;
    }
    // Only digits go in; Enter moves on like Tab, and 0 notices is allowed.
    avisos->setFocus(Qt::MouseFocusReason);
    avisos->selectAll();
    QTest::keyClicks(avisos, "a0b");
    EXPECT_EQ(avisos->text(), "0");
    QTest::keyClick(avisos, Qt::Key_Return);
    EXPECT_NE(Foco(), avisos);
    EscribeYSale(avisos, "10000");
    EXPECT_EQ(Foco(), avisos);
    EscribeYSale(avisos, "9999");
    EXPECT_NE(Foco(), avisos);

    // Clearing "Manejar avisos" disables the notices field at once.
    auto* chkAvisos = W<QCheckBox>("chkAvisos");
    ASSERT_TRUE(chkAvisos->isChecked());
    Marca("chkAvisos");
    EXPECT_FALSE(avisos->isEnabled());
    EXPECT_FALSE(W("Label(9)")->isEnabled());
    Marca("chkAvisos");
    EXPECT_TRUE(avisos->isEnabled());
    EXPECT_TRUE(W("Label(9)")->isEnabled());

    // Connection data: the panel replaces the settings; "Ver" shows and masks user and password.
    QTest::mouseClick(W("cmdConexion"), Qt::LeftButton);
    EXPECT_TRUE(Visible("Picture2"));
    EXPECT_FALSE(Visible("Picture4"));
    EXPECT_EQ(Foco(), W("txtConecte(0)"));
    auto* usuario = W<QLineEdit>("txtConecte(3)");
    auto* clave = W<QLineEdit>("txtConecte(4)");
    EXPECT_EQ(usuario->echoMode(), QLineEdit::Password);
    EXPECT_EQ(clave->echoMode(), QLineEdit::Password);
    Marca("chkVer");
    EXPECT_EQ(usuario->echoMode(), QLineEdit::Normal);
    EXPECT_EQ(clave->echoMode(), QLineEdit::Normal);
    Marca("chkVer");
    EXPECT_EQ(clave->echoMode(), QLineEdit::Password);

    QTest::mouseClick(W("Command4"), Qt::LeftButton);
    EXPECT_TRUE(Visible("Picture4"));
    EXPECT_FALSE(Visible("Picture2"));
    // "Regresar" drops the edits not saved and brings the main panel and its buttons back.
    QTest::mouseClick(W("cmdRegresar"), Qt::LeftButton);
    EXPECT_TRUE(Visible("Picture1"));
    EXPECT_FALSE(Visible("Picture4"));
    EXPECT_TRUE(Visible("Command13"));
    EXPECT_TRUE(form->Timer1()->isActive());
    EXPECT_EQ(minutos->text(), "15");
    form->Timer1()->stop();
}

// Every control the engine names is the window's widget of that design name, and what a cycle shows lands on
// the captions of the progress area.
TEST_F(Form1Qt, EveryControlTheEngineNamesIsAWidgetAndOnePanelShowsAtATime) {
    Muestra();
    std::set<std::string> nombres;
    for (int i = 0; i < cnc::kNumeroDeControles; ++i) {
        const auto c = static_cast<cnc::Control>(i);
        const std::string nombre = cnc::NombreDe(c);
        EXPECT_TRUE(nombres.insert(nombre).second) << "two controls named " << nombre;
        if (c == cnc::Control::Timer1 || c == cnc::Control::Timer2 || c == cnc::Control::mfgReja) continue;
        QWidget* w = puerto->Widget(c);
        ASSERT_NE(w, nullptr) << nombre;
        EXPECT_EQ(w->objectName().toStdString(), nombre);
    }

    cnc::Mod.Ventana->IndicadorOcupado("Enviando información... ");
    cnc::Mod.Ventana->ProgresoVisible(true);
    cnc::Mod.Ventana->Etapa("Completas...");
    cnc::Mod.Ventana->TablaActual("productos");
    cnc::Mod.Ventana->Progreso("Producto P1");
    cnc::Mod.Ventana->Estado("GRUPOS\r\nGrupo 'Almacén'");
    EXPECT_TRUE(Visible("Label(7)"));
    EXPECT_EQ(W<QLabel>("Label(7)")->text(), QString::fromUtf8("Enviando información... "));
    EXPECT_TRUE(form->Timer2()->isActive());
    EXPECT_TRUE(Visible("Progreso"));
    EXPECT_EQ(W<QLabel>("Etapa")->text(), "Completas...");
    EXPECT_EQ(W<QLabel>("TablaActual")->text(), "productos");
    EXPECT_EQ(W<QLabel>("lblEstatus")->text(), "Producto P1");
    EXPECT_EQ(W<QLabel>("Label(13)")->text(), QString::fromUtf8("GRUPOS\nGrupo 'Almacén'"));
    cnc::Mod.Ventana->QuitaIndicadorOcupado();
    cnc::Mod.Ventana->ProgresoVisible(false);
    EXPECT_FALSE(Visible("Label(7)"));
    EXPECT_FALSE(form->Timer2()->isActive());
    EXPECT_FALSE(Visible("Progreso"));

    // The panels share one place: the connection data asked for at start-up cover the main commands, and
    // each way back leaves one panel.
    const auto solo = [&](const char* panel) {
        for (const char* p : {"Picture1", "Picture2", "Picture4"})
            EXPECT_EQ(Visible(p), std::string(p) == panel) << p << " with " << panel << " shown";
    };
    cnc::MuestraConexion();
    solo("Picture2");
    cnc::Command4_Click();
    solo("Picture4");
    cnc::cmdRegresar_Click();
    solo("Picture1");
    form->Timer1()->stop();
}

TEST_F(Form1Qt, TheCloseBoxOnlyHidesAndOnlyCerrarElProgramaEnds) {
    Muestra();
    Contestador operador;
    form->close();
    EXPECT_TRUE(form->isHidden());
    EXPECT_TRUE(form->isMinimized());
    EXPECT_FALSE(cnc::Form1().Descargada);

    // A click on the tray icon, left or right, brings the window back.
    emit form->Bandeja()->activated(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(form->isMinimized());
    QTest::mouseClick(W("Command1"), Qt::LeftButton);
    EXPECT_TRUE(form->isHidden());
    emit form->Bandeja()->activated(QSystemTrayIcon::Context);
    EXPECT_TRUE(form->isVisible());

    // Without a tray the window stays minimised where the desktop can give it back.
    puerto->bandeja = false;
    form->close();
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->isMinimized());
    puerto->bandeja = true;
    emit form->Bandeja()->activated(QSystemTrayIcon::Trigger);
    EXPECT_FALSE(form->isMinimized());

    // "No" (the default) changes nothing.
    operador.respuestas = {0};
    QTest::mouseClick(W("cmdTerminar"), Qt::LeftButton);
    ASSERT_EQ(operador.cajas.size(), 1u);
    EXPECT_EQ(operador.cajas[0].titulo, QString::fromUtf8("Cerrar conexión"));
    EXPECT_EQ(operador.cajas[0].texto,
              QString::fromUtf8(
                  "¿Está seguro de cerrar este programa? Se desactivará la conexión al concentrador"));
    EXPECT_EQ(operador.cajas[0].defecto, cnc::kNo);
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(cnc::Form1().Descargada);

    // "Yes" unloads: the only-backup choice of the window goes to the configuration file.
    W<QCheckBox>("chkSoloRespaldar")->setChecked(true);
    operador.respuestas = {cnc::kSi};
    QTest::mouseClick(W("cmdTerminar"), Qt::LeftButton);
    EXPECT_TRUE(cnc::Form1().Descargada);
    EXPECT_TRUE(puerto->Descargada());
    EXPECT_TRUE(cnc::Mod.Detener);
    EXPECT_TRUE(form->isHidden());
    EXPECT_EQ(kvtx8::LeeIni("Configuración", "Solamente respaldar en ESPEJO", cnc::Mod.ArchivoIni), "S");
}

TEST_F(Form1Qt, MessageBoxesAndTheNoticeWindow) {
    Contestador operador;
    // Enter presses the default button of the style: No for a default-No question, Yes otherwise.
    operador.respuestas = {0, 0, 0};
    EXPECT_FALSE(cnc::Pregunta("¿Seguro?", "Confirme", true));
    EXPECT_TRUE(cnc::Pregunta("¿Seguro?", "Confirme", false));
    EXPECT_EQ(cnc::MensajeSkn("Primera línea\r\nsegunda\rtercera", cnc::kCritico, "Alerta"), cnc::kOK);
    ASSERT_EQ(operador.cajas.size(), 3u);
    EXPECT_EQ(operador.cajas[0].botones, (std::vector<uint8_t>{cnc::kSi, cnc::kNo}));
    EXPECT_EQ(operador.cajas[0].defecto, cnc::kNo);
    EXPECT_EQ(operador.cajas[0].icono, QMessageBox::Question);
    EXPECT_EQ(operador.cajas[1].defecto, cnc::kSi);
    EXPECT_EQ(operador.cajas[2].botones, std::vector<uint8_t>{cnc::kOK});
    EXPECT_EQ(operador.cajas[2].icono, QMessageBox::Critical);
    EXPECT_EQ(operador.cajas[2].texto, QString::fromUtf8("Primera línea\nsegunda\ntercera"));
    operador.respuestas = {cnc::kNo};
    EXPECT_EQ(cnc::MensajeSkn("x", cnc::kSiNoCancelar, "t"), cnc::kNo);

    // A second report replaces the first in the same window.
    puerto->Aviso("No pudo localizar empresa MATRIZ");
    puerto->Aviso("No pudo conectar a la base de datos ESPEJO");
    int ventanas = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<cncui::frmAviso*>(w) && w->isVisible()) ++ventanas;
    EXPECT_EQ(ventanas, 1);
    ASSERT_NE(puerto->VentanaDeAviso(), nullptr);
    EXPECT_EQ(puerto->VentanaDeAviso()->windowTitle(), "Aviso del concentrador");
    EXPECT_EQ(puerto->VentanaDeAviso()->findChild<QLabel*>("Label1")->text(),
              "No pudo conectar a la base de datos ESPEJO");
    puerto->QuitaAviso();
    EXPECT_EQ(puerto->VentanaDeAviso(), nullptr);
}

TEST_F(Form1Qt, TheCompanyWindowAsksBeforeClosing) {
    Contestador operador;
    const std::vector<cnc::FilaEmpresa> filas = {{"datos1", "Sucursal Centro", 1}, {"datos2", "Matriz", 2}};
    // "No" keeps the window open with the grid focused; "Yes" takes the row.
    operador.empresas = {1, 1};
    operador.respuestas = {cnc::kNo, cnc::kSi};
    EXPECT_EQ(puerto->ElegirEmpresa(filas, 0), 1);
    ASSERT_EQ(operador.rejas.size(), 2u);
    EXPECT_EQ(operador.rejas[0].titulo, "Empresa");
    EXPECT_EQ(operador.rejas[0].encabezados, (QStringList{"Base de datos", "Empresa"}));
    EXPECT_EQ(operador.rejas[0].filas, (QStringList{"datos1|Sucursal Centro", "datos2|Matriz"}));
    EXPECT_EQ(operador.rejas[0].seleccionada, 0);  // the current company is highlighted
    EXPECT_TRUE(operador.rejas[1].focoEnReja);
    ASSERT_EQ(operador.cajas.size(), 2u);
    EXPECT_EQ(operador.cajas[0].texto, QString::fromUtf8("¿Es correcta la empresa elegida?\n(Matriz)"));
    EXPECT_EQ(operador.cajas[0].defecto, cnc::kNo);
    EXPECT_EQ(cnc::Mod.BDLocal.cMiBase, "datos2");
    EXPECT_EQ(kvtx8::LeeIni("Configuración", "Base de datos principal", cnc::Mod.ArchivoIni), "datos2");

    // An empty grid closes on "&Aceptar" without a question.
    operador.empresas = {0};
    EXPECT_EQ(puerto->ElegirEmpresa({}, -1), -1);
    EXPECT_EQ(operador.cajas.size(), 2u);
}

// The window's start-up on the demo group: registration, company choice and the first send, with the
// window's states while that send runs.
TEST_F(Form1Qt, StartUpOnTheDemoGroupAndTheStatesWhileSending) {
    REQUIERE_SERVIDORES();
    if (!std::filesystem::exists(CONCENTRADOR_BINARIO)) GTEST_SKIP() << "falta " << CONCENTRADOR_BINARIO;
    e.ArmaDemo();
    Contestador operador;
    struct {
        bool tomado = false, cerrar = false, enviar = true, terminar = true, timer1 = true,
             interrumpido = false;
        QString ocupado;
        size_t cajas = 0;
    } durante;
    puerto->alCeder = [&] {
        if (durante.tomado || !cnc::EnConexion() || !W("cmdCerrar")->isEnabled()) return;
        durante.tomado = true;
        durante.cerrar = W("cmdCerrar")->isEnabled();
        durante.enviar =
            W("cmdEnviar")->isEnabled() || W("Command10")->isEnabled() || W("Command11")->isEnabled();
        durante.terminar = W("cmdTerminar")->isEnabled();
        durante.timer1 = form->Timer1()->isActive();
        durante.ocupado = W<QLabel>("Label(7)")->text();
        // A disabled send command does nothing; "Interrumpir" asks and sets the flags.
        durante.cajas = operador.cajas.size();
        QTest::mouseClick(W("cmdEnviar"), Qt::LeftButton);
        durante.cajas = operador.cajas.size() - durante.cajas;
        operador.respuestas.push_back(cnc::kSi);
        QTest::mouseClick(W("cmdCerrar"), Qt::LeftButton);
        durante.interrumpido = cnc::Mod.Interrumpir;
    };

    ASSERT_TRUE(Arranca(operador));
    ASSERT_GE(operador.cajas.size(), 2u);
    EXPECT_EQ(operador.cajas[0].titulo, "Registrar concentrador");
    ASSERT_EQ(operador.rejas.size(), 1u);
    EXPECT_EQ(operador.rejas[0].filas, QStringList{"datos1|Sucursal Centro"});
    EXPECT_EQ(cnc::Mod.Prefijo, "00");

    ASSERT_TRUE(durante.tomado) << "the first send never let the window run";
    EXPECT_TRUE(durante.cerrar);
    EXPECT_FALSE(durante.enviar);
    EXPECT_FALSE(durante.terminar);
    EXPECT_FALSE(durante.timer1);
    EXPECT_EQ(durante.ocupado, QString::fromUtf8("Enviando información... "));
    EXPECT_EQ(durante.cajas, 0u);
    EXPECT_TRUE(durante.interrumpido);
    ASSERT_EQ(operador.cajas.size(), 3u);
    EXPECT_EQ(operador.cajas[2].texto, QString::fromUtf8("¿Desea interrumpir el envío de información?"));
    EXPECT_EQ(operador.cajas[2].defecto, cnc::kNo);

    // Re-armed afterwards, with the information labels filled.
    EXPECT_FALSE(W("cmdCerrar")->isEnabled());
    EXPECT_TRUE(W("cmdEnviar")->isEnabled());
    EXPECT_TRUE(W("cmdTerminar")->isEnabled());
    EXPECT_FALSE(Visible("Label(7)"));
    EXPECT_TRUE(form->Timer1()->isActive());
    EXPECT_EQ(form->windowTitle(),
              QString::fromUtf8("Cliente del concentrador de información.   v") + CONCENTRADOR_VERSION);
    EXPECT_EQ(W<QLabel>("Label3")->text(), "datos1");
    EXPECT_EQ(W<QLabel>("Label4")->text(), "100");
    EXPECT_TRUE(W<QLabel>("Label11")->text().startsWith(QString::fromUtf8("Última conexión: ")));

    // The real one-second timer drives the countdown.
    auto* info = W<QLabel>("lblInfo");
    EXPECT_TRUE(Espera([&] { return !info->text().isEmpty(); }));
    EXPECT_EQ(info->text(), "0 hors. 14 min. 59 segs.");
    form->Timer1()->stop();
    form->grab().save("/tmp/form1.png");
}

// With the marker file the window opens normal and no send starts; the two panels store into the servers.
TEST_F(Form1Qt, SettingsAndConnectionDataAreTestedAndStored) {
    REQUIERE_SERVIDORES();
    if (!std::filesystem::exists(CONCENTRADOR_BINARIO)) GTEST_SKIP() << "falta " << CONCENTRADOR_BINARIO;
    e.ArmaDemo();
    e.m.carpeta.Escribe("programa/Concentrador.gif", "GIF89a");
    Contestador operador;
    ASSERT_TRUE(Arranca(operador));
    EXPECT_TRUE(puerto->Restaurada());
    EXPECT_EQ(operador.cajas.size(), 2u);  // registration and company: no send, so nothing to interrupt
    EXPECT_EQ(kvtx8::LeeIni("Información", "Ultima conexión", cnc::Mod.ArchivoIni),
              "No hay fecha de última conexión");
    form->Timer1()->stop();

    QTest::mouseClick(W("Command13"), Qt::LeftButton);
    ASSERT_TRUE(Visible("Picture4"));
    EscribeYSale(W<QLineEdit>("txtMinutos"), "20");
    EscribeYSale(W<QLineEdit>("txtAvisos"), "7");
    Marca("chkSoloRespaldar");
    QTest::mouseClick(W("cmdGrabar"), Qt::LeftButton);
    EXPECT_TRUE(Visible("Picture1"));
    EXPECT_EQ(W<QLabel>("Label12")->text(), "20");
    EXPECT_EQ(W<QLabel>("Label13")->text(), "7");
    EXPECT_EQ(W<QLabel>("Label(12)")->text(), "Solamente RESPALDAR en empresa espejo");
    const auto dato = [&](const char* d) {
        return prueba::Consulta(e.local, "concentradorqmx",
                                std::string("SELECT Contenido FROM configuracion WHERE Dato='") + d + "'");
    };
    EXPECT_EQ(dato("Minutos"), "20");
    EXPECT_EQ(dato("AvisosAmostrar"), "7");
    EXPECT_EQ(dato("SoloRespaldar"), "1");
    EXPECT_EQ(dato("ActualizAutomatica"), "0");
    form->Timer1()->stop();

    // The connection-data panel holds what start-up read from the company's row.
    QTest::mouseClick(W("Command13"), Qt::LeftButton);
    QTest::mouseClick(W("cmdConexion"), Qt::LeftButton);
    ASSERT_TRUE(Visible("Picture2"));
    EXPECT_EQ(W<QLineEdit>("txtConecte(0)")->text(), "127.0.0.1");
    EXPECT_EQ(W<QLineEdit>("txtConecte(1)")->text(), "sucursal_centro");
    EXPECT_EQ(W<QLineEdit>("txtConecte(2)")->text().toStdString(), e.hub.puerto);
    EXPECT_EQ(W<QLineEdit>("txtConecte(3)")->text().toStdString(), e.hub.usuario);
    auto* clave = W<QLineEdit>("txtConecte(4)");
    EXPECT_EQ(clave->text().toStdString(), e.hub.password);

    operador.respuestas = {cnc::kOK, cnc::kOK};
    QTest::mouseClick(W("Command3"), Qt::LeftButton);
    clave->setText("no-es-la-clave");
    QTest::mouseClick(W("Command3"), Qt::LeftButton);
    ASSERT_EQ(operador.cajas.size(), 4u);
    EXPECT_EQ(operador.cajas[2].titulo, "Aviso");
    EXPECT_EQ(operador.cajas[2].texto, QString::fromUtf8("Conexión correcta"));
    EXPECT_EQ(operador.cajas[2].icono, QMessageBox::Information);
    EXPECT_EQ(operador.cajas[3].titulo, "Alerta");
    EXPECT_EQ(operador.cajas[3].texto, "No pudo establecerse conexión al servidor o a la base de datos");
    EXPECT_EQ(operador.cajas[3].icono, QMessageBox::Critical);

    // "Grabar" stores the five fields enciphered in the company's row and goes back to the settings.
    clave->setText(QString::fromStdString(e.hub.password));
    auto* espejo = W<QLineEdit>("txtConecte(1)");
    espejo->setText("sucursal_sur");
    QTest::mouseClick(W("Command2"), Qt::LeftButton);
    EXPECT_TRUE(Visible("Picture4"));
    EXPECT_FALSE(Visible("Picture2"));
    const std::string guardado = prueba::Consulta(
        e.local, "generaltarvena", "SELECT BaseDeDatos3 FROM empresas WHERE BaseDeDatos='datos1'");
    EXPECT_NE(guardado, "sucursal_sur");
    EXPECT_EQ(kvtx8::DeAcceso().DesEncripta(guardado, 2), "sucursal_sur");
    QTest::mouseClick(W("cmdRegresar"), Qt::LeftButton);
    EXPECT_TRUE(Visible("Picture1"));
    form->Timer1()->stop();
}

// What a new installation meets: the company's row without ESPEJO data. The connection-data panel takes
// the place of the main one, and every way on from there leaves exactly one panel, the engine's record of
// the panels agreeing with what the window shows. A panel also covers whatever lies beneath it.
TEST_F(Form1Qt, AFirstStartAsksForTheConnectionDataAndEveryStepShowsOnePanel) {
    REQUIERE_SERVIDORES();
    if (!std::filesystem::exists(CONCENTRADOR_BINARIO)) GTEST_SKIP() << "falta " << CONCENTRADOR_BINARIO;
    e.ArmaDemo();
    e.Local("UPDATE empresas SET Servidor2='', BaseDeDatos3='' WHERE BaseDeDatos='datos1'");
    Contestador operador;
    const auto solo = [&](const char* panel, const char* paso) {
        for (const char* p : {"Picture1", "Picture2", "Picture4"})
            EXPECT_EQ(Visible(p), std::string(p) == panel) << p << " after " << paso;
        const cnc::EstadoForm1& f = cnc::Form1();
        EXPECT_EQ(f.Picture1, Visible("Picture1")) << paso;
        EXPECT_EQ(f.Picture2, Visible("Picture2")) << paso;
        EXPECT_EQ(f.Picture4, Visible("Picture4")) << paso;
    };

    ASSERT_TRUE(Arranca(operador));
    EXPECT_FALSE(cnc::Form1().DatosPresentes);
    solo("Picture2", "start-up");
    EXPECT_EQ(Foco(), W("txtConecte(0)"));
    if (const char* captura = std::getenv("CONCENTRADOR_CAPTURA")) {
        QCoreApplication::processEvents();
        form->screen()->grabWindow(0).save(captura);
    }

    // Drawn over the main panel, the connection data hide its buttons wholly.
    auto* p1 = W("Picture1");
    auto* p2 = W("Picture2");
    const QRect lugar(p2->mapTo(form.get(), QPoint(0, 0)), p2->size());
    const QImage sola = form->grab(lugar).toImage();
    p1->show();
    const QImage encima = form->grab(lugar).toImage();
    p1->hide();
    EXPECT_EQ(sola, encima) << "the main panel shows through the connection data";

    QTest::mouseClick(W("Command4"), Qt::LeftButton);
    solo("Picture4", "Cancelar");
    QTest::mouseClick(W("cmdRegresar"), Qt::LeftButton);
    solo("Picture1", "Regresar");

    // Through "Configurar": the data typed and stored, then back to the main panel.
    QTest::mouseClick(W("Command13"), Qt::LeftButton);
    solo("Picture4", "Configurar");
    QTest::mouseClick(W("cmdConexion"), Qt::LeftButton);
    solo("Picture2", "Datos de conexión");
    W<QLineEdit>("txtConecte(0)")->setText("127.0.0.1");
    W<QLineEdit>("txtConecte(1)")->setText(QString::fromStdString(e.espejo));
    QTest::mouseClick(W("Command2"), Qt::LeftButton);
    solo("Picture4", "Grabar");
    QTest::mouseClick(W("cmdRegresar"), Qt::LeftButton);
    solo("Picture1", "Regresar");
    bool presentes = false;
    cnc::clsDeInicio().DatosConexion(presentes);
    EXPECT_TRUE(presentes);
    form->Timer1()->stop();
}

}  // namespace
