#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTest>
#include <QTextEdit>
#include <cstdio>
#include <memory>

#include "app/comandos.h"
#include "contestador.h"
#include "core/shared_routines.h"
#include "notices/cls_postits.h"
#include "support/escenario.h"
#include "ui/form1.h"
#include "ui/frm_postit.h"

using pruebaqt::Contestador;
using pruebaqt::Espera;

namespace {

// The notice windows, the signature prompt and the report panel over the real local server.
class AvisosQt : public ::testing::Test {
  protected:
    void SetUp() override {
        REQUIERE_SERVIDORES();
        e = std::make_unique<prueba::Escenario>(prueba::Tablas{});
        e->ApuntaAServidores();
        form = std::make_unique<cncui::Form1>();
        puerto = std::make_unique<pruebaqt::VentanaDePrueba>(*form);
        cnc::Mod.Ventana = puerto.get();
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }
    void TearDown() override {
        if (puerto) puerto->CierraAvisos();
        QCoreApplication::processEvents();
        if (e) cnc::Mod.Ventana = &e->m.ventana;
        puerto.reset();
        form.reset();
        e.reset();
    }
    template <class T = QWidget>
    T* W(QWidget* en, const char* nombre) {
        T* w = en->findChild<T*>(nombre);
        EXPECT_NE(w, nullptr) << nombre;
        return w;
    }
    void Clic(QWidget* w) {
        ASSERT_NE(w, nullptr);
        // An option takes the click on its circle, not on the empty width beside its caption.
        if (qobject_cast<QRadioButton*>(w))
            QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(8, w->height() / 2));
        else
            QTest::mouseClick(w, Qt::LeftButton);
        QCoreApplication::processEvents();
    }
    QList<cncui::frmPostit*> Ventanas() {
        QCoreApplication::processEvents();
        return puerto->VentanasDeAvisos();
    }
    std::string Fila(long long id, const std::string& columnas) {
        const auto r = e->EnLocal("concentradorqmx",
                                  "SELECT " + columnas + " FROM avisos WHERE Id=" + std::to_string(id));
        return r.empty() ? "" : r[0];
    }

    std::unique_ptr<prueba::Escenario> e;
    std::unique_ptr<cncui::Form1> form;
    std::unique_ptr<pruebaqt::VentanaDePrueba> puerto;
};

TEST_F(AvisosQt, WindowsOpenInOrderKeepTheirPlaceExportAndCloseIntoTheirRows) {
    Contestador operador;
    e->Local("concentradorqmx", "ALTER TABLE avisos AUTO_INCREMENT=55");
    const long long a4 = e->NuevoAviso(4, "Nuevo producto: A1");
    const long long a2 = e->NuevoAviso(2, "Cambio del Precio\r\nsegunda línea");  // 56
    const long long b2 = e->NuevoAviso(2, "Cambio del Precio 2");                 // 57
    e->NuevoAviso(9, "Oferta O1 registrada");
    const long long a0 = e->NuevoAviso(0, "Grupo G1", "2026-12-08", "10:00:00", "x=1500");
    e->Local("concentradorqmx", "UPDATE avisos SET y=750, W=6000, H=3000, Color=" + std::to_string(0xFFC0C0) +
                                    " WHERE Id=" + std::to_string(a0));
    ASSERT_EQ(b2, 57);
    cnc::Mod.AvisosAMostrar = 3;

    Clic(W(form.get(), "Command5"));  // "&Leer avisos"
    auto v = Ventanas();
    ASSERT_EQ(v.size(), 3);
    EXPECT_EQ(v[0]->Id(), a0);
    EXPECT_EQ(v[1]->Id(), a2);
    EXPECT_EQ(v[2]->Id(), b2);
    for (auto* w : v) EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(v[1]->objectName(), QString("frmPostit%1").arg(a2));
    EXPECT_EQ(W<QLabel>(v[1], "lblTitulo")->text(), QString("(%1) 08/dic/26 - 10:00:00").arg(a2));
    EXPECT_EQ(W<QTextEdit>(v[1], "rtbAviso")->toPlainText(),
              QString::fromUtf8("Cambio del Precio\nsegunda línea"));
    EXPECT_TRUE(W(form.get(), "Command6")->isEnabled());
    // A placed notice comes back where it was; a never-moved one at the default place, with its stored size
    // and colour, the buttons and text taking the colour too.
    EXPECT_EQ(v[0]->pos(), QPoint(100, 50));
    EXPECT_EQ(v[0]->size(), QSize(400, 200));
    EXPECT_EQ(v[0]->Color(), QColor(0xC0, 0xC0, 0xFF));
    EXPECT_EQ(v[1]->pos(), cncui::frmPostit::LugarPorOmision(QSize(300, 240), 1));
    EXPECT_EQ(v[1]->size(), QSize(300, 240));
    EXPECT_EQ(v[1]->Color(), QColor(0xFF, 0xFF, 0xC0));
    EXPECT_EQ(W(v[1], "cmdFirmar")->palette().color(QPalette::Button), QColor(0xFF, 0xFF, 0xC0));
    EXPECT_EQ(W(v[1], "rtbAviso")->palette().color(QPalette::Base), QColor(0xFF, 0xFF, 0xC0));
    EXPECT_NE(v[1]->pos(), v[2]->pos());  // never-moved windows do not hide each other

    // "Exportar" on notice 57: the file in the program folder, told with Spanish buttons, and opened.
    operador.respuestas = {cnc::kOK};
    Clic(W(v[2], "Command3"));
    ASSERT_EQ(operador.cajas.size(), 1u);
    EXPECT_EQ(operador.cajas[0].titulo, QString::fromUtf8("Atención"));
    EXPECT_EQ(operador.cajas[0].textos, QStringList{"Aceptar"});
    EXPECT_EQ(e->m.carpeta.Lee("Aviso 57.txt"), "Cambio del Precio 2");
    EXPECT_EQ(puerto->documentos.back(), e->m.carpeta.Archivo("Aviso 57.txt"));

    // The right button resizes; closing writes place, size (twips) and colour back, unread.
    QWidget* texto = W<QTextEdit>(v[1], "rtbAviso")->viewport();
    QTest::mousePress(texto, Qt::RightButton, {}, QPoint(10, 10));
    QMouseEvent mover(QEvent::MouseMove, QPointF(40, 30), texto->mapToGlobal(QPointF(40, 30)), Qt::NoButton,
                      Qt::RightButton, Qt::NoModifier);
    QCoreApplication::sendEvent(texto, &mover);
    QTest::mouseRelease(texto, Qt::RightButton, {}, QPoint(40, 30));
    EXPECT_EQ(v[1]->size(), QSize(330, 260));
    v[1]->move(120, 90);
    v[1]->PonColor(QColor(0x80, 0xFF, 0x80));
    Clic(W(v[1], "cmdCerrar"));
    EXPECT_EQ(Fila(a2, "x,y,W,H,Color,Leido"), "1800|1350|4950|3900|" + std::to_string(0x80FF80) + "|0");
    EXPECT_EQ(Ventanas().size(), 2);
    EXPECT_TRUE(W(form.get(), "Command6")->isEnabled());

    // "Cerrar avisos" closes the rest; the last one closed disables "&Ocultar avisos".
    Clic(W(Ventanas()[0], "Command2"));
    EXPECT_TRUE(Ventanas().isEmpty());
    EXPECT_FALSE(W(form.get(), "Command6")->isEnabled());
    EXPECT_EQ(Fila(a0, "x,y,W,H"), "1500|750|6000|3000");
    // Reading again brings the closed, unsigned ones back where they were, and enables the button.
    Clic(W(form.get(), "Command5"));
    v = Ventanas();
    ASSERT_EQ(v.size(), 3);
    EXPECT_EQ(v[1]->pos(), QPoint(120, 90));
    EXPECT_EQ(v[1]->Color(), QColor(0x80, 0xFF, 0x80));
    EXPECT_TRUE(W(form.get(), "Command6")->isEnabled());
    Clic(W(form.get(), "Command6"));  // "&Ocultar avisos"
    EXPECT_TRUE(Ventanas().isEmpty());
    EXPECT_FALSE(W(form.get(), "Command6")->isEnabled());
    // Nothing unread: no window, and nothing to hide.
    e->Local("concentradorqmx", "UPDATE avisos SET Leido=1");
    Clic(W(form.get(), "Command5"));
    EXPECT_TRUE(Ventanas().isEmpty());
    EXPECT_FALSE(W(form.get(), "Command6")->isEnabled());
    (void)a4;
}

TEST_F(AvisosQt, DoubleClickColoursInstructionsSitBesideAndConcentradorTogglesTheMainWindow) {
    Contestador operador;
    const long long id = e->NuevoAviso(1, "Usuario nuevo: ANA");
    Clic(W(form.get(), "Command5"));
    ASSERT_EQ(Ventanas().size(), 1);
    cncui::frmPostit* v = Ventanas()[0];

    // A double click on the text opens the colour dialog; cancelling changes nothing, a colour colours
    // the window, its buttons and its text, and is kept when it closes.
    const QColor antes = v->Color();
    operador.colores = {QColor(), QColor(0x20, 0x90, 0xF0)};
    QWidget* texto = W<QTextEdit>(v, "rtbAviso")->viewport();
    QTest::mouseDClick(texto, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(v->Color(), antes);
    QTest::mouseDClick(W(v, "lblTitulo"), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(operador.colores.empty());
    EXPECT_EQ(v->Color(), QColor(0x20, 0x90, 0xF0));
    EXPECT_EQ(W(v, "Command3")->palette().color(QPalette::Button), QColor(0x20, 0x90, 0xF0));
    EXPECT_EQ(W(v, "rtbAviso")->palette().color(QPalette::Base), QColor(0x20, 0x90, 0xF0));

    // The instructions open beside the button, or kept inside the screen's right edge.
    for (QPoint lugar : {QPoint(10, 40), QPoint(v->screen()->geometry().width() - v->width(), 60)}) {
        v->move(lugar);
        Clic(W(v, "cmdMenu"));
        auto* ins = v->findChild<QWidget*>("frmInstrucciones");
        ASSERT_NE(ins, nullptr);
        EXPECT_EQ(ins->windowTitle(), "Indicaciones");
        QWidget* menu = W(v, "cmdMenu");
        const int pantalla = v->screen()->geometry().width();
        int izquierda = v->x() + menu->x() + menu->width() + 7;
        if (izquierda + ins->width() > pantalla) izquierda = pantalla - ins->width() - 7;
        EXPECT_EQ(ins->pos(), QPoint(izquierda, v->y() + menu->y()));
        EXPECT_LE(ins->geometry().right(), pantalla);
        Clic(W(ins, "cmdCerrar"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(v->findChild<QWidget*>("frmInstrucciones"), nullptr);
    }

    // "Concentrador" hides the main window to the tray, and brings it back.
    Clic(W(v, "Command1"));
    EXPECT_TRUE(cnc::Form1().Minimizada);
    EXPECT_FALSE(form->isVisible());
    Clic(W(v, "Command1"));
    EXPECT_FALSE(cnc::Form1().Minimizada);
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(form->isMinimized());

    Clic(W(v, "cmdCerrar"));
    EXPECT_EQ(Fila(id, "Color"), std::to_string(0xF09020));
}

TEST_F(AvisosQt, SigningGoesThroughThePromptAndConfigurarNeedsItsRight) {
    Contestador operador;
    std::string derechos(600, 'N');
    derechos[cnc::kModuloFirmaDeAvisos - 1] = 'S';
    e->Usuario(1, "ADMIN", "0000", "");
    e->Usuario(2, "ANA", "4321", derechos);
    e->Usuario(3, "BETO", "1234", std::string(600, 'N'));
    const long long id = e->NuevoAviso(3, "Proveedor nuevo: P1");
    const long long otro = e->NuevoAviso(3, "Proveedor nuevo: P2");
    Clic(W(form.get(), "Command5"));
    auto v = Ventanas();
    ASSERT_EQ(v.size(), 2);

    // A wrong code: the box, the prompt stays; then cancelled. A user without the right: likewise.
    operador.firmas = {{"ANA", "1111"}, {"BETO", "1234"}, {"<cancelar>", ""}};
    operador.respuestas = {cnc::kOK, cnc::kOK};
    Clic(W(v[0], "cmdFirmar"));
    ASSERT_EQ(operador.cajas.size(), 2u);
    EXPECT_EQ(operador.cajas[0].texto, "Datos de usuario incorrectos");
    EXPECT_EQ(operador.cajas[0].titulo, "Error");
    EXPECT_EQ(
        operador.cajas[1].texto,
        QString::fromUtf8("Sus atributos como usuario no le permiten realizar esta acción, o entrar a este "
                          "módulo"));
    EXPECT_TRUE(operador.firmas.empty());
    EXPECT_EQ(Ventanas().size(), 2);
    EXPECT_EQ(Fila(id, "Leido"), "0");

    // User 1, blanks typed around it; No to the question keeps it; Yes signs and closes the window.
    operador.firmas = {{" ADMIN ", "0000 "}, {"ANA", "4321"}};
    operador.respuestas = {cnc::kNo, cnc::kSi};
    Clic(W(v[0], "cmdFirmar"));
    ASSERT_EQ(operador.cajas.size(), 3u);
    EXPECT_EQ(operador.cajas[2].texto,
              "Confirme si desea firmar este aviso como leido, por el usuario 'ADMIN'");
    EXPECT_EQ(operador.cajas[2].textos, (QStringList{QString::fromUtf8("Sí"), "No"}));
    EXPECT_EQ(Ventanas().size(), 2);
    Clic(W(v[0], "cmdFirmar"));
    EXPECT_EQ(Ventanas().size(), 1);
    EXPECT_EQ(Fila(id, "Leido, CAST(DECODE(Usuario,Metodo) AS CHAR)"), "1|ANA");
    EXPECT_EQ(Fila(otro, "Leido"), "0");

    // "Configurar" asks for right 476: refused to a user without it, opened for user 1.
    puerto->pideReal = true;
    operador.firmas = {{"ANA", "4321"}, {"<cancelar>", ""}};
    operador.respuestas = {cnc::kOK};
    Clic(W(form.get(), "Command13"));
    EXPECT_TRUE(W(form.get(), "Picture1")->isVisible());
    EXPECT_FALSE(W(form.get(), "Picture4")->isVisible());
    operador.firmas = {{"ADMIN", "0000"}};
    Clic(W(form.get(), "Command13"));
    EXPECT_TRUE(W(form.get(), "Picture4")->isVisible());
    EXPECT_EQ(puerto->modulosPedidos, (std::vector<int>{cnc::kModuloConfigurar, cnc::kModuloConfigurar}));
    form->Timer1()->stop();
}

// What pdftotext reads of a PDF, in layout order.
std::string TextoDelPdf(const std::string& pdf) {
    const std::string txt = pdf + ".txt";
    if (prueba::Sistema("pdftotext -layout '" + pdf + "' '" + txt + "'") != 0) return "<sin pdftotext>";
    std::FILE* f = std::fopen(txt.c_str(), "rb");
    std::string r;
    char b[4096];
    for (size_t n; f && (n = std::fread(b, 1, sizeof b, f)) > 0;) r.append(b, n);
    if (f) std::fclose(f);
    return r;
}

TEST_F(AvisosQt, TheReportPanelWritesAPdfOfTheChosenNoticesInOrder) {
    Contestador operador;
    e->NuevoAviso(2, "Aviso de febrero", "2026-02-28", "12:00:00");
    e->NuevoAviso(2, "Aviso de la tarde", "2026-03-20", "18:00:00");
    e->NuevoAviso(3, "Aviso de la mañana", "2026-03-20", "08:00:00");
    e->NuevoAviso(4, "Aviso leído", "2026-03-10", "08:00:00", "Leido=1");
    e->NuevoAviso(5, "Aviso de abril", "2026-04-01", "08:00:00");

    Clic(W(form.get(), "Command7"));  // "&Bitácora de avisos"
    EXPECT_TRUE(W(form.get(), "Picture3")->isVisible());
    EXPECT_FALSE(W(form.get(), "Picture1")->isVisible());
    QCoreApplication::processEvents();
    EXPECT_EQ(form->focusWidget(), W(form.get(), "mkeFecha(0)"));
    auto* desde = W<QLineEdit>(form.get(), "mkeFecha(0)");
    auto* hasta = W<QLineEdit>(form.get(), "mkeFecha(1)");
    desde->setFocus();
    desde->home(false);
    QTest::keyClicks(desde, "01032026");
    hasta->setFocus();
    hasta->home(false);
    QTest::keyClicks(hasta, "31032026");
    EXPECT_EQ(hasta->text(), "31/03/2026");
    Clic(W(form.get(), "optTipo(1)"));   // "No leidos"
    Clic(W(form.get(), "optOrden(2)"));  // "Fecha registro"
    Clic(W(form.get(), "Command9"));     // "Imprimir"
    const std::string pdf = e->m.carpeta.Archivo("bitacora.pdf");
    ASSERT_EQ(puerto->documentos, std::vector<std::string>{pdf});
    const std::string texto = TextoDelPdf(pdf);
    const auto manana = texto.find("Aviso de la mañana"), tarde = texto.find("Aviso de la tarde");
    EXPECT_NE(manana, std::string::npos) << texto;
    EXPECT_NE(tarde, std::string::npos) << texto;
    EXPECT_LT(manana, tarde) << texto;
    for (const char* fuera : {"febrero", "leído", "abril"})
        EXPECT_EQ(texto.find(std::string("Aviso ") + fuera), std::string::npos) << fuera;
    EXPECT_NE(texto.find("Bitácora de avisos"), std::string::npos) << texto;
    EXPECT_NE(texto.find("Del 01/03/2026 al 31/03/2026"), std::string::npos) << texto;
    EXPECT_TRUE(operador.cajas.empty());

    Clic(W(form.get(), "Command8"));  // "Regresar"
    EXPECT_TRUE(W(form.get(), "Picture1")->isVisible());
    EXPECT_FALSE(W(form.get(), "Picture3")->isVisible());
}

}  // namespace
