#include "app/ProgramIcon.h"

#include <QPainter>
#include <QPainterPath>

namespace qvr {

QPixmap ProgramIconPixmap(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    // A dark amplifier face with a grille line and a knob.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x2B, 0x2F, 0x3A));
    painter.drawRoundedRect(QRectF(s * 0.03, s * 0.12, s * 0.94, s * 0.76), s * 0.12, s * 0.12);
    painter.setBrush(QColor(0xD9, 0x8C, 0x1F));
    painter.drawRect(QRectF(s * 0.12, s * 0.24, s * 0.76, s * 0.08));
    painter.setBrush(QColor(0xE8, 0xE8, 0xE8));
    for (int i = 0; i < 3; ++i) {
        painter.drawEllipse(QPointF(s * (0.27 + 0.23 * i), s * 0.6), s * 0.09, s * 0.09);
    }
    return pixmap;
}

QIcon ProgramIcon() {
    QIcon icon;
    for (const int size : {16, 32, 48, 64}) {
        icon.addPixmap(ProgramIconPixmap(size));
    }
    return icon;
}

} // namespace qvr
