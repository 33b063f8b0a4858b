#include "about/AboutPictures.h"

#include <QLinearGradient>
#include <QPainter>

namespace nw {

QPixmap aboutPicture(QSize size) {
    QPixmap pixmap(size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0, QColor(60, 90, 150));
    sky.setColorAt(1, QColor(170, 195, 230));
    p.fillRect(pixmap.rect(), sky);

    // Two name cards, nearly alike, under a magnifying glass.
    const qreal w = size.width();
    const qreal h = size.height();
    p.setPen(QPen(QColor(40, 60, 110), 1.5));
    p.setBrush(QColor(250, 250, 240));
    p.drawRoundedRect(QRectF(w * 0.08, h * 0.18, w * 0.62, h * 0.16), 4, 4);
    p.drawRoundedRect(QRectF(w * 0.08, h * 0.42, w * 0.62, h * 0.16), 4, 4);
    p.setPen(QPen(QColor(90, 110, 160), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(w * 0.15, h * 0.26), QPointF(w * 0.6, h * 0.26));
    p.drawLine(QPointF(w * 0.15, h * 0.50), QPointF(w * 0.55, h * 0.50));
    p.setPen(QPen(QColor(30, 30, 30), 5));
    p.setBrush(QColor(200, 230, 255, 140));
    const QPointF centre(w * 0.62, h * 0.5);
    const qreal radius = w * 0.22;
    p.drawEllipse(centre, radius, radius);
    p.setPen(QPen(QColor(30, 30, 30), 9, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(centre + QPointF(radius * 0.72, radius * 0.72),
               centre + QPointF(radius * 1.6, radius * 1.6));
    p.end();
    return pixmap;
}

QPixmap donateButtonPicture() {
    QPixmap pixmap(60, 28);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient face(0, 0, 0, 28);
    face.setColorAt(0, QColor(255, 226, 130));
    face.setColorAt(1, QColor(245, 170, 40));
    p.setPen(QPen(QColor(170, 110, 20), 1));
    p.setBrush(face);
    p.drawRoundedRect(QRectF(0.5, 0.5, 59, 27), 8, 8);
    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(12);
    p.setFont(font);
    p.setPen(QColor(20, 40, 90));
    p.drawText(QRectF(0, 0, 60, 28), Qt::AlignCenter, QStringLiteral("Donate"));
    p.end();
    return pixmap;
}

} // namespace nw
