// The connection report window: modeless; a new message replaces the one shown.
#pragma once

#include <QDialog>

class QLabel;

namespace cncui {

class frmAviso : public QDialog {
    Q_OBJECT
  public:
    explicit frmAviso(QWidget* parent = nullptr);
    void Muestra(const QString& texto);
    QString Texto() const;

  private:
    QLabel* label1_;
};

}  // namespace cncui
