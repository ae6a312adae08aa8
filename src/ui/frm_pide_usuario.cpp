#include "ui/frm_pide_usuario.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "notices/cls_postits.h"

namespace cncui {

frmPideUsuario::frmPideUsuario(int modulo, QWidget* parent) : QDialog(parent), modulo_(modulo) {
    setObjectName("frmPideUsuario");
    setWindowTitle("Firma del usuario");
    setModal(true);
    auto* g = new QGridLayout(this);
    const char* etiquetas[2] = {"Usuario:", "Código:"};
    for (int i = 0; i < 2; ++i) {
        auto* l = new QLabel(QString::fromUtf8(etiquetas[i]), this);
        auto* t = new QLineEdit(this);
        t->setObjectName(QString("txtDato(%1)").arg(i));
        t->setMinimumWidth(180);
        t->installEventFilter(this);
        l->setBuddy(t);
        g->addWidget(l, i, 0);
        g->addWidget(t, i, 1);
        txtDato_[i] = t;
    }
    txtDato_[1]->setEchoMode(QLineEdit::Password);
    auto* aceptar = new QPushButton("Aceptar", this);
    aceptar->setObjectName("cmdAceptar");
    auto* cancelar = new QPushButton("Cancelar", this);
    cancelar->setObjectName("cmdCancelar");
    // Enter is handled by the fields; no button takes it by default.
    aceptar->setAutoDefault(false);
    cancelar->setAutoDefault(false);
    connect(aceptar, &QPushButton::clicked, this, &frmPideUsuario::cmdAceptar);
    connect(cancelar, &QPushButton::clicked, this, [this] {
        aceptado_ = false;
        reject();
    });
    auto* botones = new QHBoxLayout;
    botones->addStretch(1);
    botones->addWidget(aceptar);
    botones->addWidget(cancelar);
    g->addLayout(botones, 2, 0, 1, 2);
}

QString frmPideUsuario::Usuario() const {
    return txtDato_[0]->text().trimmed();
}

void frmPideUsuario::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    txtDato_[0]->setFocus(Qt::OtherFocusReason);
}

void frmPideUsuario::cmdAceptar() {
    for (QLineEdit* t : txtDato_) t->setText(t->text().trimmed());
    aceptado_ = cnc::frmPideUsuario_cmdAceptar(txtDato_[0]->text().toStdString(),
                                               txtDato_[1]->text().toStdString(), modulo_);
    if (aceptado_) {
        accept();
        return;
    }
    txtDato_[0]->setFocus(Qt::OtherFocusReason);
    txtDato_[0]->selectAll();
}

bool frmPideUsuario::eventFilter(QObject* o, QEvent* e) {
    auto* t = qobject_cast<QLineEdit*>(o);
    if (!t) return false;
    if (e->type() == QEvent::FocusIn) {
        QTimer::singleShot(0, t, &QLineEdit::selectAll);
    } else if (e->type() == QEvent::FocusOut) {
        t->setText(t->text().trimmed());
    } else if (e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            // Enter moves from the user to the code, and from the code signs.
            if (t == txtDato_[0])
                txtDato_[1]->setFocus(Qt::TabFocusReason);
            else
                cmdAceptar();
            return true;
        }
    }
    return false;
}

}  // namespace cncui
