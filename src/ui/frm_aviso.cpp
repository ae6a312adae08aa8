#include "ui/frm_aviso.h"

#include <QLabel>
#include <QVBoxLayout>

#include "ui/icono.h"

namespace cncui {

frmAviso::frmAviso(QWidget* parent) : QDialog(parent) {
    setObjectName("frmAviso");
    setWindowTitle("Aviso del concentrador");
    setWindowIcon(IconoDelPrograma());
    setModal(false);
    label1_ = new QLabel;
    label1_->setObjectName("Label1");
    label1_->setWordWrap(true);
    label1_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label1_->setMinimumWidth(380);
    auto* v = new QVBoxLayout(this);
    v->addWidget(label1_);
}

void frmAviso::Muestra(const QString& texto) {
    label1_->setText(texto);
    adjustSize();
    show();
    raise();
    label1_->repaint();
}

QString frmAviso::Texto() const {
    return label1_->text();
}

}  // namespace cncui
