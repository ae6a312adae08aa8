#include "ui/frm_postit.h"

#include <algorithm>

#include <QApplication>
#include <QCloseEvent>
#include <QColorDialog>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTextEdit>
#include <QVBoxLayout>
#include <QWindow>

#include "app/comandos.h"
#include "notices/cls_postits.h"

namespace cncui {

namespace {

constexpr int kMargen = 5;  // 75 twips

int Pixeles(int twips) {
    return (twips + kTwipsPorPixel / 2) / kTwipsPorPixel;
}

QString TextoVisible(const std::string& texto) {
    QString t = QString::fromStdString(texto);
    t.replace("\r\n", "\n");
    t.replace('\r', '\n');
    return t;
}

}  // namespace

QColor ColorDeVB(long long c) {
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                  static_cast<int>((c >> 16) & 0xFF));
}

long long ColorAVB(const QColor& c) {
    return static_cast<long long>(c.red()) | (static_cast<long long>(c.green()) << 8) |
           (static_cast<long long>(c.blue()) << 16);
}

frmPostit::frmPostit(const cnc::NotaDeAviso& nota, int orden)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), id_(nota.id) {
    setObjectName(QString("frmPostit%1").arg(nota.id));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString::fromStdString(nota.titulo));
    setMinimumSize(260, 150);

    lblTitulo_ = new QLabel(QString::fromStdString(nota.titulo), this);
    lblTitulo_->setObjectName("lblTitulo");
    QFont negrita = lblTitulo_->font();
    negrita.setBold(true);
    lblTitulo_->setFont(negrita);
    rtbAviso_ = new QTextEdit(this);
    rtbAviso_->setObjectName("rtbAviso");
    rtbAviso_->setReadOnly(true);
    rtbAviso_->setFrameShape(QFrame::NoFrame);
    rtbAviso_->setPlainText(TextoVisible(nota.texto));
    // A store's screen is read from a step away: the text a little larger than the buttons.
    QFont letra = rtbAviso_->font();
    letra.setPointSizeF(letra.pointSizeF() * 1.15);
    rtbAviso_->setFont(letra);

    cmdCerrar_ = Boton("cmdCerrar", "", "Ocultar aviso");
    cmdCerrar_->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    cmdMenu_ = Boton("cmdMenu", "?", "Algunas indicaciones para esta ventana");
    cmdFirmar_ = Boton("cmdFirmar", "Enterado", "Firmar como usuario para no mostrar ya este aviso");
    command1_ = Boton("Command1", "Concentrador", "Alterna entre mostrar u ocultar el concentrador");
    command2_ = Boton("Command2", "Cerrar avisos", "Cierra todas las ventanas de los avisos");
    command3_ = Boton("Command3", "Exportar", "Guarda el texto del aviso en un archivo y lo abre");
    for (QPushButton* b : {cmdCerrar_, cmdMenu_}) b->setFixedSize(22, 22);

    connect(cmdCerrar_, &QPushButton::clicked, this, &QWidget::close);
    connect(cmdFirmar_, &QPushButton::clicked, this, [this] {
        if (cnc::frmPostit_cmdFirmar(id_)) close();
    });
    connect(cmdMenu_, &QPushButton::clicked, this, &frmPostit::MuestraInstrucciones);
    connect(command1_, &QPushButton::clicked, this, [] { cnc::frmPostit_Command1(); });
    connect(command2_, &QPushButton::clicked, this, [] { cnc::clsPostits::DescargarPostIts(); });
    connect(command3_, &QPushButton::clicked, this, [this] {
        cnc::frmPostit_Command3(id_, rtbAviso_->toPlainText().replace('\n', "\r\n").toStdString());
    });

    // The title and the text hand the mouse to the window.
    lblTitulo_->installEventFilter(this);
    rtbAviso_->viewport()->installEventFilter(this);

    const QSize tamano(std::max(Pixeles(nota.w), minimumWidth()), std::max(Pixeles(nota.h), minimumHeight()));
    resize(tamano);
    if (nota.x > 0 || nota.y > 0)
        move(Pixeles(nota.x), Pixeles(nota.y));
    else
        move(LugarPorOmision(tamano, orden));
    PonColor(ColorDeVB(nota.color));
}

QPushButton* frmPostit::Boton(const QString& nombre, const QString& texto, const QString& ayuda) {
    auto* b = new QPushButton(texto, this);
    b->setObjectName(nombre);
    b->setToolTip(ayuda);
    b->setAutoFillBackground(true);
    return b;
}

QPoint frmPostit::LugarPorOmision(const QSize& tamano, int orden) {
    // Down the right side of the screen, each a step further in, clear of the main window's usual place.
    QScreen* s = QGuiApplication::primaryScreen();
    const QRect area = s ? s->availableGeometry() : QRect(0, 0, 1024, 768);
    const int paso = 28 * (orden % 10);
    return {area.right() - tamano.width() - 20 - paso, area.top() + 20 + paso};
}

QColor frmPostit::Color() const {
    return palette().color(QPalette::Window);
}

void frmPostit::PonColor(const QColor& c) {
    // The buttons and the text take the window's colour.
    QPalette p = palette();
    p.setColor(QPalette::Window, c);
    p.setColor(QPalette::Base, c);
    p.setColor(QPalette::Button, c);
    setPalette(p);
    setAutoFillBackground(true);
    for (QWidget* w : std::initializer_list<QWidget*>{rtbAviso_, cmdCerrar_, cmdMenu_, cmdFirmar_, command1_,
                                                      command2_, command3_})
        w->setPalette(p);
    update();
}

void frmPostit::Acomoda() {
    const int ancho = width(), alto = height();
    cmdCerrar_->move(ancho - cmdCerrar_->width() - kMargen, kMargen);
    cmdMenu_->move(cmdCerrar_->x() - cmdMenu_->width() - 2, kMargen);
    lblTitulo_->setGeometry(kMargen + 3, kMargen, cmdMenu_->x() - kMargen - 6, cmdCerrar_->height());
    // The window's commands along the bottom on the left, "Enterado" on the right; when the window is too
    // narrow for one row, "Enterado" goes on a row of its own above them, never over them.
    int x = kMargen, alturaFila = 0;
    for (QPushButton* b : {command1_, command2_, command3_}) {
        b->adjustSize();
        b->move(x, alto - b->height() - kMargen);
        x += b->width() + 2;
        alturaFila = std::max(alturaFila, b->height());
    }
    cmdFirmar_->adjustSize();
    const bool cabe = x + cmdFirmar_->width() + kMargen <= ancho;
    cmdFirmar_->move(ancho - cmdFirmar_->width() - kMargen,
                     cabe ? alto - cmdFirmar_->height() - kMargen
                          : alto - alturaFila - kMargen - 2 - cmdFirmar_->height());
    const int arriba = cmdCerrar_->y() + cmdCerrar_->height() + 3;
    rtbAviso_->setGeometry(kMargen, arriba, ancho - 2 * kMargen, cmdFirmar_->y() - arriba - kMargen);
}

void frmPostit::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    Acomoda();
}

void frmPostit::paintEvent(QPaintEvent* e) {
    QWidget::paintEvent(e);
    QPainter p(this);
    p.setPen(QPen(Color().darker(170), 1));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void frmPostit::closeEvent(QCloseEvent* e) {
    if (!cerrada_) {
        cerrada_ = true;
        const QRect g = geometry();
        cnc::frmPostit_Unload(id_, g.x() * kTwipsPorPixel, g.y() * kTwipsPorPixel, g.width() * kTwipsPorPixel,
                              g.height() * kTwipsPorPixel, ColorAVB(Color()));
    }
    e->accept();
}

void frmPostit::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        // The window system moves it where it can; elsewhere the window follows the mouse itself.
        if (!(windowHandle() && windowHandle()->startSystemMove())) {
            arrastrando_ = true;
            desdeArrastre_ = e->globalPosition().toPoint() - pos();
        }
    } else if (!redimensionando_) {
        redimensionando_ = true;
        if (e->button() == Qt::RightButton) {
            const QPoint p = mapFromGlobal(e->globalPosition().toPoint());
            desfaseAncho_ = width() - p.x();
            desfaseAlto_ = height() - p.y();
        }
    }
}

void frmPostit::mouseMoveEvent(QMouseEvent* e) {
    if (arrastrando_ && (e->buttons() & Qt::LeftButton)) {
        move(e->globalPosition().toPoint() - desdeArrastre_);
    } else if (redimensionando_ && (e->buttons() & Qt::RightButton)) {
        const QPoint p = mapFromGlobal(e->globalPosition().toPoint());
        resize(desfaseAncho_ + p.x(), desfaseAlto_ + p.y());
    }
}

void frmPostit::mouseReleaseEvent(QMouseEvent*) {
    redimensionando_ = false;
    arrastrando_ = false;
}

void frmPostit::mouseDoubleClickEvent(QMouseEvent*) {
    const QColor c = QColorDialog::getColor(Color(), this, "Color del aviso");
    if (c.isValid()) PonColor(c);
}

bool frmPostit::eventFilter(QObject*, QEvent* e) {
    switch (e->type()) {
        case QEvent::MouseButtonPress:
            mousePressEvent(static_cast<QMouseEvent*>(e));
            return true;
        case QEvent::MouseMove:
            mouseMoveEvent(static_cast<QMouseEvent*>(e));
            return true;
        case QEvent::MouseButtonRelease:
            mouseReleaseEvent(static_cast<QMouseEvent*>(e));
            return true;
        case QEvent::MouseButtonDblClick:
            mouseDoubleClickEvent(static_cast<QMouseEvent*>(e));
            return true;
        default:
            return false;
    }
}

void frmPostit::MuestraInstrucciones() {
    auto* ins = new frmInstrucciones(this);
    ins->adjustSize();
    const QPoint boton = cmdMenu_->pos();
    int izquierda = x() + boton.x() + cmdMenu_->width() + Pixeles(100);
    QScreen* s = screen();
    const int anchoPantalla = s ? s->geometry().width() : 1024;
    if (izquierda + ins->width() > anchoPantalla) izquierda = anchoPantalla - ins->width() - Pixeles(100);
    ins->move(izquierda, y() + boton.y());
    ins->show();
}

frmInstrucciones::frmInstrucciones(QWidget* parent) : QWidget(parent, Qt::Tool) {
    setObjectName("frmInstrucciones");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle("Indicaciones");
    auto* g = new QGridLayout(this);
    int fila = 0;
    for (auto [que, como] : {std::pair{"Mover ventana:", "Arrastrar botón IZQUIERDO"},
                             {"Cambiar tamaño", "Arrastrar botón DERECHO"},
                             {"Cambiar color:", "Doble click"}}) {
        auto* l = new QLabel(QString::fromUtf8(que), this);
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
        g->addWidget(l, fila, 0);
        g->addWidget(new QLabel(QString::fromUtf8(como), this), fila++, 1);
    }
    for (const char* linea :
         {"Restaure el concentrador, para más opciones", "Al cerrar el concentrador se cerrarán los avisos"})
        g->addWidget(new QLabel(QString::fromUtf8(linea), this), fila++, 0, 1, 2);
    auto* cerrar = new QPushButton("Cerrar", this);
    cerrar->setObjectName("cmdCerrar");
    connect(cerrar, &QPushButton::clicked, this, &QWidget::close);
    g->addWidget(cerrar, fila, 1, Qt::AlignRight);
}

}  // namespace cncui
