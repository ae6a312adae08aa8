// The signature prompt (frmPideUsuario): a user and that user's code, checked by the engine against the
// module the caller names.
#pragma once

#include <QDialog>

class QLineEdit;

namespace cncui {

class frmPideUsuario : public QDialog {
    Q_OBJECT
  public:
    frmPideUsuario(int modulo, QWidget* parent = nullptr);
    bool Aceptado() const { return aceptado_; }
    // The user typed in the first field, trimmed.
    QString Usuario() const;

  protected:
    bool eventFilter(QObject* o, QEvent* e) override;
    void showEvent(QShowEvent* e) override;

  private:
    void cmdAceptar();
    int modulo_;
    bool aceptado_ = false;
    QLineEdit* txtDato_[2];
};

}  // namespace cncui
