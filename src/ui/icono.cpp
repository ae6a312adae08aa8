#include "ui/icono.h"

#include <QPainter>
#include <QPixmap>

namespace cncui {

QIcon IconoDelPrograma() {
    QIcon icono;
    for (int lado : {16, 32, 64}) {
        QPixmap p(lado, lado);
        p.fill(Qt::transparent);
        QPainter g(&p);
        g.setRenderHint(QPainter::Antialiasing);
        g.setPen(Qt::NoPen);
        g.setBrush(QColor(0x1f, 0x5f, 0xa8));
        g.drawEllipse(QRectF(0.5, 0.5, lado - 1.0, lado - 1.0));
        g.setBrush(QColor(0xf2, 0xa9, 0x00));
        const double r = lado / 5.0;
        g.drawEllipse(QPointF(lado / 2.0, lado / 2.0), r, r);
        g.end();
        icono.addPixmap(p);
    }
    return icono;
}

}  // namespace cncui
