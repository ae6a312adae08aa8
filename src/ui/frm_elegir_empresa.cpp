#include "ui/frm_elegir_empresa.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/comandos.h"
#include "ui/icono.h"

namespace cncui {

frmElegirEmpresa::frmElegirEmpresa(const std::vector<cnc::FilaEmpresa>& filas, int actual, QWidget* parent)
    : QDialog(parent), filas_(filas) {
    setObjectName("frmElegirEmpresa");
    setWindowTitle("Empresa");
    setWindowIcon(IconoDelPrograma());
    setModal(true);

    auto* etiqueta = new QLabel(QString::fromUtf8("Elija la empresa desde la cual enviará información"));
    etiqueta->setObjectName("Label1");

    mfgReja_ = new QTableWidget(static_cast<int>(filas_.size()), 2);
    mfgReja_->setObjectName("mfgReja");
    mfgReja_->setHorizontalHeaderLabels({"Base de datos", "Empresa"});
    mfgReja_->setSelectionBehavior(QAbstractItemView::SelectRows);
    mfgReja_->setSelectionMode(QAbstractItemView::SingleSelection);
    mfgReja_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    mfgReja_->verticalHeader()->hide();
    mfgReja_->horizontalHeader()->setStretchLastSection(true);
    for (int i = 0; i < static_cast<int>(filas_.size()); ++i) {
        mfgReja_->setItem(i, 0, new QTableWidgetItem(QString::fromStdString(filas_[i].baseDeDatos)));
        mfgReja_->setItem(i, 1, new QTableWidgetItem(QString::fromStdString(filas_[i].empresa)));
    }
    mfgReja_->resizeColumnToContents(0);
    if (actual >= 0 && actual < mfgReja_->rowCount())
        mfgReja_->selectRow(actual);
    else if (mfgReja_->rowCount() > 0)
        mfgReja_->selectRow(0);

    auto* aceptar = new QPushButton("&Aceptar");
    aceptar->setObjectName("cmdAceptar");
    aceptar->setDefault(true);
    connect(aceptar, &QPushButton::clicked, this, &frmElegirEmpresa::Aceptar);
    // A double click on a row is the same as choosing it and accepting.
    connect(mfgReja_, &QTableWidget::cellDoubleClicked, this, &frmElegirEmpresa::Aceptar);

    auto* v = new QVBoxLayout(this);
    v->addWidget(etiqueta);
    v->addWidget(mfgReja_, 1);
    auto* abajo = new QHBoxLayout;
    abajo->addStretch(1);
    abajo->addWidget(aceptar);
    v->addLayout(abajo);
    resize(460, 320);
}

void frmElegirEmpresa::Aceptar() {
    const int fila = mfgReja_->rowCount() > 0 ? mfgReja_->currentRow() : -1;
    if (!cnc::frmElegirEmpresa_cmdAceptar(filas_, fila)) return;
    elegida_ = fila;
    accept();
}

}  // namespace cncui
