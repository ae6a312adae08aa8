// A notice window (frmPostit): a small frameless note over the desktop, one per unread notice. Left button
// drags it, right button resizes it, a double click colours it. Every button goes to the engine.
#pragma once

#include <QColor>
#include <QPoint>
#include <QWidget>

#include "core/puerto_ventana.h"

class QLabel;
class QPushButton;
class QTextEdit;

namespace cncui {

// Twips as the rows keep them: 15 to a pixel.
inline constexpr int kTwipsPorPixel = 15;
// VB colour longs (&HBBGGRR) and Qt colours.
QColor ColorDeVB(long long c);
long long ColorAVB(const QColor& c);

class frmPostit : public QWidget {
    Q_OBJECT
  public:
    // `orden` places a never-moved notice: each next one a step down and to the left of the one before.
    explicit frmPostit(const cnc::NotaDeAviso& nota, int orden = 0);

    long long Id() const { return id_; }
    // Closed (or closing): no longer counted among the open notice windows.
    bool Cerrada() const { return cerrada_; }
    QColor Color() const;
    void PonColor(const QColor& c);
    // Where a never-moved notice shows.
    static QPoint LugarPorOmision(const QSize& tamano, int orden);

  protected:
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    bool eventFilter(QObject* o, QEvent* e) override;

  private:
    void Acomoda();
    void MuestraInstrucciones();
    QPushButton* Boton(const QString& nombre, const QString& texto, const QString& ayuda);

    long long id_;
    bool cerrada_ = false;
    QLabel* lblTitulo_;
    QTextEdit* rtbAviso_;
    QPushButton* cmdCerrar_;
    QPushButton* cmdMenu_;
    QPushButton* cmdFirmar_;
    QPushButton* command1_;
    QPushButton* command2_;
    QPushButton* command3_;
    // Resizing with the right button: the offsets taken when it went down.
    bool redimensionando_ = false;
    int desfaseAncho_ = 0, desfaseAlto_ = 0;
    // Dragging with the left button where the window system does not move it itself.
    bool arrastrando_ = false;
    QPoint desdeArrastre_;
};

// The short help of a notice window.
class frmInstrucciones : public QWidget {
    Q_OBJECT
  public:
    explicit frmInstrucciones(QWidget* parent = nullptr);
};

}  // namespace cncui
