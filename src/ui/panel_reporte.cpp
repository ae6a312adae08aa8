#include "ui/panel_reporte.h"

#include <QButtonGroup>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

#include "app/comandos.h"

namespace cncui {

namespace {

// Entering a field selects its text; Enter moves on.
class TeclasDelPanel : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject* o, QEvent* e) override {
        auto* t = qobject_cast<QLineEdit*>(o);
        if (!t) return false;
        if (e->type() == QEvent::FocusIn) {
            QTimer::singleShot(0, t, &QLineEdit::selectAll);
        } else if (e->type() == QEvent::KeyPress) {
            auto* k = static_cast<QKeyEvent*>(e);
            if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
                for (QWidget* s = t->nextInFocusChain(); s && s != t; s = s->nextInFocusChain())
                    if ((s->focusPolicy() & Qt::TabFocus) && s->isVisible() && s->isEnabled()) {
                        s->setFocus(Qt::TabFocusReason);
                        break;
                    }
                return true;
            }
        }
        return false;
    }
};

QRadioButton* Opcion(QButtonGroup* grupo, const QString& nombre, const QString& texto, int id) {
    auto* r = new QRadioButton(texto);
    r->setObjectName(nombre);
    grupo->addButton(r, id);
    return r;
}

}  // namespace

void ArmaPanelDeReporte(QFrame* p) {
    auto* v = new QVBoxLayout(p);
    auto* teclas = new TeclasDelPanel(p);
    auto* titulo = new QLabel(QString::fromUtf8("Bitácora de avisos"));
    QFont f = titulo->font();
    f.setBold(true);
    titulo->setFont(f);
    v->addWidget(titulo);

    auto* g = new QGridLayout;
    QLineEdit* fechas[2];
    const char* etiquetas[2] = {"Fechas inicial:", "Final:"};
    for (int i = 0; i < 2; ++i) {
        auto* t = new QLineEdit;
        t->setObjectName(QString("mkeFecha(%1)").arg(i));
        t->setInputMask("99/99/9999;_");
        t->setToolTip(QString::fromUtf8("Día/mes/año; vacía, sin límite"));
        t->setMaximumWidth(110);
        t->installEventFilter(teclas);
        g->addWidget(new QLabel(etiquetas[i]), i, 0);
        g->addWidget(t, i, 1);
        fechas[i] = t;
    }
    auto* usuario = new QLineEdit;
    usuario->setObjectName("txtUsuario");
    usuario->setToolTip(QString::fromUtf8("Código del usuario que firmó; vacío, todos"));
    usuario->installEventFilter(teclas);
    g->addWidget(new QLabel("Usuario:"), 2, 0);
    g->addWidget(usuario, 2, 1);
    v->addLayout(g);

    auto* tipo = new QButtonGroup(p);
    auto* tipos = new QHBoxLayout;
    tipos->addWidget(Opcion(tipo, "optTipo(0)", "Ambos", 0));
    tipos->addWidget(Opcion(tipo, "optTipo(1)", "No leidos", 1));
    tipos->addWidget(Opcion(tipo, "optTipo(2)", "Leidos", 2));
    tipo->button(0)->setChecked(true);
    v->addLayout(tipos);

    auto* marco = new QGroupBox("Ordenar por");
    marco->setObjectName("fraOrden");
    auto* orden = new QButtonGroup(p);
    auto* ordenes = new QVBoxLayout(marco);
    ordenes->addWidget(Opcion(orden, "optOrden(0)", "Folio", 0));
    ordenes->addWidget(Opcion(orden, "optOrden(1)", "Fecha leido", 1));
    ordenes->addWidget(Opcion(orden, "optOrden(2)", "Fecha registro", 2));
    orden->button(0)->setChecked(true);
    v->addWidget(marco);
    v->addStretch(1);

    auto* botones = new QHBoxLayout;
    auto* imprimir = new QPushButton("Imprimir");
    imprimir->setObjectName("Command9");
    imprimir->setToolTip("Imprime el reporte");
    auto* regresar = new QPushButton("Regresar");
    regresar->setObjectName("Command8");
    regresar->setToolTip("Regresa a las opciones principales");
    botones->addWidget(imprimir);
    botones->addWidget(regresar);
    v->addLayout(botones);

    QObject::connect(imprimir, &QPushButton::clicked, p, [=] {
        cnc::FiltroDeReporte filtro;
        filtro.desde = fechas[0]->text().toStdString();
        filtro.hasta = fechas[1]->text().toStdString();
        filtro.usuario = usuario->text().toStdString();
        filtro.estado = static_cast<cnc::FiltroDeReporte::Estado>(tipo->checkedId());
        filtro.orden = static_cast<cnc::FiltroDeReporte::Orden>(orden->checkedId());
        cnc::Command9_Click(filtro);
    });
    QObject::connect(regresar, &QPushButton::clicked, p, [] { cnc::Command8_Click(); });
}

}  // namespace cncui
