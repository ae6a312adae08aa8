// The company choice of a first registration: the window asks the engine on "&Aceptar" and closes when it
// agrees.
#pragma once

#include <QDialog>
#include <vector>

#include "core/puerto_ventana.h"

class QTableWidget;

namespace cncui {

class frmElegirEmpresa : public QDialog {
    Q_OBJECT
  public:
    frmElegirEmpresa(const std::vector<cnc::FilaEmpresa>& filas, int actual, QWidget* parent = nullptr);
    // The row accepted, or -1 (no rows, or the window closed without accepting).
    int Elegida() const { return elegida_; }
    QTableWidget* Reja() const { return mfgReja_; }

  private:
    void Aceptar();

    std::vector<cnc::FilaEmpresa> filas_;
    QTableWidget* mfgReja_;
    int elegida_ = -1;
};

}  // namespace cncui
