#include "ui/AppIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace nw {

QIcon appIcon() {
    QPixmap pixmap(48, 48);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 60, 110), 1.5));
    p.setBrush(QColor(250, 250, 240));
    p.drawRoundedRect(QRectF(3, 6, 30, 12), 3, 3);
    p.drawRoundedRect(QRectF(3, 22, 30, 12), 3, 3);
    p.setPen(QPen(QColor(90, 110, 160), 2));
    p.drawLine(QPointF(7, 12), QPointF(26, 12));
    p.drawLine(QPointF(7, 28), QPointF(24, 28));
    p.setPen(QPen(QColor(30, 30, 30), 3));
    p.setBrush(QColor(170, 210, 255, 150));
    p.drawEllipse(QPointF(30, 26), 10, 10);
    p.setPen(QPen(QColor(30, 30, 30), 5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(37.5, 33.5), QPointF(45, 41));
    p.end();
    return QIcon(pixmap);
}

} // namespace nw
