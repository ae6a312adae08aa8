#include "ui/form1.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QVBoxLayout>

#include "app/comandos.h"
#include "ui/icono.h"
#include "ui/panel_reporte.h"

namespace cncui {

namespace {

std::string Std(const QString& s) {
    return s.toStdString();
}

// The next control that takes the focus by Tab, as Tab itself would reach it.
void Siguiente(QWidget* w) {
    for (QWidget* s = w->nextInFocusChain(); s && s != w; s = s->nextInFocusChain()) {
        if ((s->focusPolicy() & Qt::TabFocus) && s->isVisible() && s->isEnabled() &&
            s->window() == w->window()) {
            s->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

// Fields select their text on entry and Enter moves on, as the operators are used to; the input class
// limits what a field takes ("9" digits, "!" the database-name class, "X" anything).
class ManejoDeTeclas : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::FocusIn) {
            if (auto* t = qobject_cast<QLineEdit*>(o)) QTimer::singleShot(0, t, &QLineEdit::selectAll);
        } else if (e->type() == QEvent::KeyPress) {
            auto* k = static_cast<QKeyEvent*>(e);
            if ((k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) &&
                (k->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
                if (auto* w = qobject_cast<QWidget*>(o)) Siguiente(w);
                return true;
            }
        }
        return false;
    }
};

void ClaseDeEntrada(QLineEdit* t, char clase) {
    if (clase == '9') {
        t->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), t));
    } else if (clase == '!') {
        t->setValidator(new QRegularExpressionValidator(QRegularExpression("[A-Za-z0-9_$]*"), t));
    }
}

QFrame* Panel(const QString& nombre) {
    auto* p = new QFrame;
    p->setObjectName(nombre);
    p->setFrameShape(QFrame::StyledPanel);
    // The panels share one place: each paints its own background, so none shows through another.
    p->setAutoFillBackground(true);
    // The engine gives the focus to a panel, so a panel must be able to hold it.
    p->setFocusPolicy(Qt::StrongFocus);
    return p;
}

}  // namespace

Form1::Form1(QWidget* parent) : QWidget(parent) {
    setObjectName("Form1");
    setWindowTitle(QString::fromUtf8("Cliente del concentrador de información"));
    setWindowIcon(IconoDelPrograma());

    timer1_ = new QTimer(this);
    timer1_->setObjectName("Timer1");
    timer1_->setInterval(1000);
    connect(timer1_, &QTimer::timeout, this, [] { cnc::Timer1_Timer(); });
    timer2_ = new QTimer(this);
    timer2_->setObjectName("Timer2");
    timer2_->setInterval(300);
    connect(timer2_, &QTimer::timeout, this, [] { cnc::Timer2_Timer(); });

    auto* arriba = new QHBoxLayout;
    arriba->addWidget(CreaInformacion(), 1);
    // The panels share one place; the engine shows one at a time.
    auto* sitio = new QWidget;
    sitio->setFixedWidth(350);  // the same width for every panel, so the labels beside them stay put
    auto* lugar = new QGridLayout(sitio);
    lugar->setContentsMargins(0, 0, 0, 0);
    lugar->addWidget(CreaPicture1(), 0, 0);
    auto* p4 = CreaPicture4();
    lugar->addWidget(p4, 0, 0);
    auto* p2 = CreaPicture2();
    lugar->addWidget(p2, 0, 0);
    auto* p3 = Panel("Picture3");
    ArmaPanelDeReporte(p3);
    lugar->addWidget(p3, 0, 0);
    p4->hide();
    p2->hide();
    p3->hide();
    arriba->addWidget(sitio, 0);

    // The busy label, the progress area of a running cycle and the status label.
    auto* l7 = Etiqueta("Label(7)", QString::fromUtf8("Enviando información... "));
    QFont negrita = l7->font();
    negrita.setBold(true);
    l7->setFont(negrita);
    l7->setStyleSheet("color: #b00000;");
    l7->hide();
    auto* progreso = new QWidget;
    progreso->setObjectName("Progreso");
    auto* enProgreso = new QVBoxLayout(progreso);
    enProgreso->setContentsMargins(0, 0, 0, 0);
    for (const char* n : {"Etapa", "TablaActual", "lblEstatus"}) {
        auto* l = Etiqueta(n, "");
        l->setWordWrap(true);
        enProgreso->addWidget(l);
    }
    progreso->hide();
    auto* l13 = Etiqueta("Label(13)", "");
    l13->setWordWrap(true);
    auto* avance = new QVBoxLayout;
    avance->addWidget(l7);
    avance->addWidget(progreso);
    avance->addWidget(l13);

    auto* todo = new QVBoxLayout(this);
    todo->addLayout(arriba, 1);
    todo->addLayout(avance);

    bandeja_ = new QSystemTrayIcon(windowIcon(), this);
    bandeja_->setObjectName("Bandeja");
    connect(bandeja_, &QSystemTrayIcon::activated, this, [](QSystemTrayIcon::ActivationReason r) {
        if (r == QSystemTrayIcon::Trigger) cnc::MouseMove(514);
        if (r == QSystemTrayIcon::Context) cnc::MouseMove(517);
    });
    connect(this, &QWidget::windowTitleChanged, bandeja_,
            [this](const QString& t) { bandeja_->setToolTip(t); });

    resize(740, 440);
}

QLabel* Form1::Etiqueta(const QString& nombre, const QString& texto) {
    auto* l = new QLabel(texto);
    l->setObjectName(nombre);
    return l;
}

QPushButton* Form1::Boton(const QString& nombre, const QString& texto, void (*accion)()) {
    auto* b = new QPushButton(texto);
    b->setObjectName(nombre);
    connect(b, &QPushButton::clicked, this, [this, accion] {
        if (PuedeActuar()) accion();
    });
    return b;
}

QWidget* Form1::CreaInformacion() {
    auto* w = new QWidget;
    auto* g = new QGridLayout(w);
    g->setContentsMargins(4, 4, 4, 4);
    int fila = 0;
    auto par = [&](const QString& n1, const QString& t1, const QString& n2) {
        g->addWidget(Etiqueta(n1, t1), fila, 0);
        auto* valor = Etiqueta(n2, "");
        QFont f = valor->font();
        f.setBold(true);
        valor->setFont(f);
        g->addWidget(valor, fila++, 1);
    };
    par("Label(1)", "Nombre del equipo:", "Label2");
    par("Label(2)", "Base de datos:", "Label3");
    par("Label(3)", QString::fromUtf8("Minutos para envío:"), "Label12");
    par("Label(6)", "Avisos a mostrar:", "Label13");
    par("Label(4)", "Registros a leer:", "Label4");
    par("Label(5)", "Para envio automatico faltan: ", "lblInfo");
    for (const char* n : {"Label(10)", "Label(11)", "Label(12)"}) {
        auto* l = Etiqueta(n, "");
        l->setWordWrap(true);
        g->addWidget(l, fila++, 0, 1, 2);
    }
    auto* l11 = Etiqueta("Label11", "");
    l11->setWordWrap(true);
    l11->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    g->addWidget(l11, fila, 0, 1, 2);
    g->setRowStretch(fila, 1);
    g->setColumnStretch(1, 1);
    return w;
}

QFrame* Form1::CreaPicture1() {
    auto* p = Panel("Picture1");
    auto* v = new QVBoxLayout(p);
    v->addWidget(Boton("cmdEnviar", "&Enviar ahora", cnc::cmdEnviar_Click));
    v->addWidget(Boton("Command10", "Actualizar productos desde MATRIZ", cnc::Command10_Click));
    v->addWidget(Boton("Command12", "Enviar productos a empresa ESPEJO", cnc::Command12_Click));
    v->addWidget(
        Boton("Command14", QString::fromUtf8("Leer info. pendiente de recibir"), cnc::Command14_Click));
    v->addWidget(Boton("Command11", "Buscar actualizaciones", cnc::Command11_Click));
    v->addWidget(Boton("Command13", "Configurar", cnc::Command13_Click));
    v->addWidget(Boton("Command5", "&Leer avisos", cnc::Command5_Click));
    v->addWidget(Boton("Command6", "&Ocultar avisos", cnc::Command6_Click));
    v->addWidget(Boton("Command7", QString::fromUtf8("&Bitácora de avisos"), cnc::Command7_Click));
    auto* cerrar = Boton("cmdCerrar", "&Interrumpir", cnc::cmdCerrar_Click);
    cerrar->setEnabled(false);  // only while a connection runs
    v->addWidget(cerrar);
    v->addStretch(1);
    auto* abajo = new QHBoxLayout;
    auto* c1 = Boton("Command1", "", cnc::Command1_Click);
    c1->setIcon(style()->standardIcon(QStyle::SP_TitleBarMinButton));
    c1->setToolTip(QString::fromUtf8("Ocultar ventana, enviándola a la barra de tareas"));
    auto* term = Boton("cmdTerminar", "", cnc::cmdTerminar_Click);
    term->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    term->setToolTip("Cerrar el programa");
    abajo->addWidget(c1);
    abajo->addStretch(1);
    abajo->addWidget(term);
    v->addLayout(abajo);
    return p;
}

QFrame* Form1::CreaPicture4() {
    auto* p = Panel("Picture4");
    auto* g = new QGridLayout(p);
    auto* teclas = new ManejoDeTeclas(p);
    g->addWidget(Etiqueta("Label(8)", QString::fromUtf8("Intervalo (min.) para enviar información:")), 0, 0);
    txtMinutos_ = new QLineEdit;
    txtMinutos_->setObjectName("txtMinutos");
    g->addWidget(txtMinutos_, 0, 1);
    g->addWidget(Etiqueta("Label(9)", "Avisos a mostrar:"), 1, 0);
    txtAvisos_ = new QLineEdit;
    txtAvisos_->setObjectName("txtAvisos");
    g->addWidget(txtAvisos_, 1, 1);
    for (auto* t : {txtMinutos_, txtAvisos_}) {
        t->setMaximumWidth(70);
        ClaseDeEntrada(t, '9');
        t->installEventFilter(teclas);
        t->installEventFilter(this);  // the check on leaving
    }

    chkAvisos_ = new QCheckBox("Manejar avisos");
    chkAvisos_->setObjectName("chkAvisos");
    connect(chkAvisos_, &QCheckBox::clicked, this, [this](bool marcado) {
        if (PuedeActuar()) cnc::chkAvisos_Click(marcado);
    });
    chkActualiza_ = new QCheckBox("Buscar actualizaciones automáticamente");
    chkActualiza_->setObjectName("chkActualiza");
    chkSoloRespaldar_ = new QCheckBox("Solamente RESPALDAR en empresa espejo");
    chkSoloRespaldar_->setObjectName("chkSoloRespaldar");
    int fila = 2;
    for (auto* c : {chkAvisos_, chkActualiza_, chkSoloRespaldar_}) {
        c->installEventFilter(teclas);
        g->addWidget(c, fila++, 0, 1, 2);
    }

    auto* conexion = Boton("cmdConexion", QString::fromUtf8("&Datos de conexión"), cnc::cmdConexion_Click);
    conexion->setToolTip(QString::fromUtf8("Definir los datos de conexión al concentrador matriz"));
    g->addWidget(conexion, fila++, 0, 1, 2);
    g->setRowStretch(fila++, 1);

    auto* botones = new QHBoxLayout;
    auto* grabar = new QPushButton("Grabar");
    grabar->setObjectName("cmdGrabar");
    connect(grabar, &QPushButton::clicked, this, [this] {
        if (!PuedeActuar()) return;
        cnc::cmdGrabar_Click(Std(txtMinutos_->text()), Std(txtAvisos_->text()), chkAvisos_->isChecked(),
                             chkActualiza_->isChecked(), chkSoloRespaldar_->isChecked());
    });
    botones->addWidget(grabar);
    botones->addWidget(Boton("cmdRegresar", "Regresar", cnc::cmdRegresar_Click));
    g->addLayout(botones, fila, 0, 1, 2);
    return p;
}

QFrame* Form1::CreaPicture2() {
    auto* p = Panel("Picture2");
    auto* g = new QGridLayout(p);
    auto* teclas = new ManejoDeTeclas(p);
    const char* etiquetas[5] = {"Servidor:", "Base de datos ESPEJO:", "Puerto:", "Usuario:", "Contraseña:"};
    const char clases[5] = {'X', '!', '9', 'X', 'X'};
    for (int i = 0; i < 5; ++i) {
        g->addWidget(Etiqueta(QString("lblConecte(%1)").arg(i), QString::fromUtf8(etiquetas[i])), i, 0);
        auto* t = new QLineEdit;
        t->setObjectName(QString("txtConecte(%1)").arg(i));
        ClaseDeEntrada(t, clases[i]);
        t->installEventFilter(teclas);
        if (i >= 3) t->setEchoMode(QLineEdit::Password);
        txtConecte_[i] = t;
        g->addWidget(t, i, 1);
    }
    txtConecte_[2]->setMaximumWidth(80);
    auto* ver = new QCheckBox(QString::fromUtf8("Ver usuario y contraseña"));
    ver->setObjectName("chkVer");
    ver->installEventFilter(teclas);
    connect(ver, &QCheckBox::clicked, this, [] { cnc::chkVer_Click(); });
    g->addWidget(ver, 5, 0, 1, 2);
    g->setRowStretch(6, 1);

    auto* botones = new QHBoxLayout;
    auto* grabar = new QPushButton("Grabar");
    grabar->setObjectName("Command2");
    connect(grabar, &QPushButton::clicked, this, [this] { cnc::Command2_Click(LeeConexion()); });
    auto* probar = new QPushButton("Probar");
    probar->setObjectName("Command3");
    connect(probar, &QPushButton::clicked, this, [this] { cnc::Command3_Click(LeeConexion()); });
    botones->addWidget(grabar);
    botones->addWidget(probar);
    botones->addWidget(Boton("Command4", "Cancelar", cnc::Command4_Click));
    g->addLayout(botones, 7, 0, 1, 2);
    return p;
}

cnc::DatosDeConexion Form1::LeeConexion() const {
    cnc::DatosDeConexion d;
    d.servidor = Std(txtConecte_[0]->text());
    d.base = Std(txtConecte_[1]->text());
    d.puerto = Std(txtConecte_[2]->text());
    d.usuario = Std(txtConecte_[3]->text());
    d.password = Std(txtConecte_[4]->text());
    return d;
}

void Form1::IconoEnBandeja(bool poner) {
    if (!poner) {
        bandeja_->hide();
    } else if (QSystemTrayIcon::isSystemTrayAvailable()) {
        bandeja_->setToolTip(windowTitle());
        bandeja_->show();
    }
}

void Form1::closeEvent(QCloseEvent* e) {
    if (permiteCerrar_) {
        e->accept();
        return;
    }
    // The close box only sends the window to the tray; the engine decides.
    if (cnc::Form_QueryUnload())
        e->ignore();
    else
        e->accept();
}

void Form1::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    if (e->type() == QEvent::WindowStateChange) {
        auto* c = static_cast<QWindowStateChangeEvent*>(e);
        const bool antes = c->oldState() & Qt::WindowMinimized;
        const bool ahora = windowState() & Qt::WindowMinimized;
        if (antes != ahora) cnc::Form_Resize(ahora);
    }
}

void Form1::mouseDoubleClickEvent(QMouseEvent* e) {
    QWidget::mouseDoubleClickEvent(e);
    cnc::Form_DblClick();
}

bool Form1::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) cnc::Form_Activate();
    return QWidget::event(e);
}

bool Form1::eventFilter(QObject* o, QEvent* e) {
    if (e->type() != QEvent::FocusOut || (o != txtMinutos_ && o != txtAvisos_)) return false;
    const auto razon = static_cast<QFocusEvent*>(e)->reason();
    auto* campo = static_cast<QLineEdit*>(o);
    // Only leaving for another control of this window counts; not a hidden panel or another window.
    if (validando_ || razon == Qt::ActiveWindowFocusReason || razon == Qt::PopupFocusReason ||
        !campo->isVisible())
        return false;
    validando_ = true;
    const std::string texto = Std(campo->text());
    const bool bien = campo == txtMinutos_ ? cnc::txtMinutos_Validate(texto) : cnc::txtAvisos_Validate(texto);
    validando_ = false;
    if (bien) {
        if (campoInvalido_ == campo) campoInvalido_ = nullptr;
    } else {
        campoInvalido_ = campo;
        QTimer::singleShot(0, campo, [this, campo] {
            campo->setFocus(Qt::OtherFocusReason);
            campoInvalido_ = campo;
        });
    }
    return false;
}

}  // namespace cncui
