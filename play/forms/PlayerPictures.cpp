#include "PlayerPictures.h"

#include <QDialog>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>

namespace gdl {

namespace {

void Crystal(QPainter& p, QPointF at, double size, QColor colour) {
    QPainterPath path;
    path.moveTo(at.x(), at.y() - size);
    path.lineTo(at.x() + size * 0.55, at.y() - size * 0.2);
    path.lineTo(at.x() + size * 0.3, at.y() + size * 0.6);
    path.lineTo(at.x() - size * 0.3, at.y() + size * 0.6);
    path.lineTo(at.x() - size * 0.55, at.y() - size * 0.2);
    path.closeSubpath();
    QLinearGradient fill(at.x(), at.y() - size, at.x(), at.y() + size);
    fill.setColorAt(0, colour.lighter(170));
    fill.setColorAt(1, colour.darker(160));
    p.setPen(QPen(colour.darker(220), 1));
    p.setBrush(fill);
    p.drawPath(path);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 70));
    QPainterPath shine;
    shine.moveTo(at.x(), at.y() - size);
    shine.lineTo(at.x() + size * 0.2, at.y() - size * 0.2);
    shine.lineTo(at.x(), at.y() + size * 0.6);
    shine.lineTo(at.x() - size * 0.3, at.y() - size * 0.2);
    shine.closeSubpath();
    p.drawPath(shine);
}

}  // namespace

QPixmap CaveBackground(int width, int height) {
    QPixmap pixmap(width, height);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient glow(width / 2.0, height * 0.45, width * 0.8);
    glow.setColorAt(0, QColor(40, 52, 98));
    glow.setColorAt(0.6, QColor(18, 22, 48));
    glow.setColorAt(1, QColor(6, 7, 18));
    p.fillRect(pixmap.rect(), glow);
    // Rock ledges along the edges of the cave.
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 14; ++i) {
        double x = i * width / 13.0;
        double h = 14 + 10 * std::sin(i * 1.7) + 6 * std::cos(i * 0.9);
        p.setBrush(QColor(28 + i % 3 * 6, 30 + i % 2 * 5, 44 + i % 4 * 4));
        p.drawEllipse(QPointF(x, height + 4), width / 11.0, h + 18);
        p.drawEllipse(QPointF(x + 10, -6), width / 12.0, h);
    }
    // Glimmering gems scattered in the dark, each with a halo.
    const QColor colours[] = {QColor(80, 220, 255), QColor(120, 255, 120), QColor(255, 120, 220),
                              QColor(255, 210, 90)};
    const QPointF spots[] = {{30, 108},  {396, 96},  {60, 300},  {370, 290}, {22, 200},
                             {404, 210}, {120, 360}, {310, 356}, {210, 64},  {330, 236}};
    for (std::size_t i = 0; i < std::size(spots); ++i) {
        QColor c = colours[i % std::size(colours)];
        QRadialGradient halo(spots[i], 22);
        halo.setColorAt(0, QColor(c.red(), c.green(), c.blue(), 90));
        halo.setColorAt(1, QColor(c.red(), c.green(), c.blue(), 0));
        p.setBrush(halo);
        p.drawEllipse(spots[i], 22, 22);
        Crystal(p, spots[i], 7 + static_cast<double>(i % 3) * 2, c);
    }
    return pixmap;
}

QPixmap LampPicture(Lamp lamp) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QColor base;
    bool lit = lamp != Lamp::Off;
    switch (lamp) {
        case Lamp::Off:
        case Lamp::On:
            base = QColor(30, 200, 60);
            break;
        case Lamp::Warn:
            base = QColor(250, 210, 30);
            break;
        case Lamp::Err:
            base = QColor(235, 40, 40);
            break;
        case Lamp::InPlay:
            // The panels' blue: the level is the Lynx's now.
            base = QColor(40, 110, 255);
            break;
    }
    if (!lit) base = base.darker(300);
    QRadialGradient g(QPointF(6, 6), 9);
    g.setColorAt(0, lit ? base.lighter(180) : base.lighter(130));
    g.setColorAt(1, base);
    p.setPen(QPen(QColor(20, 20, 20), 1));
    p.setBrush(g);
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    return pixmap;
}

QPixmap GemPicture() {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    Crystal(p, QPointF(8, 8.5), 7, QColor(80, 220, 255));
    return pixmap;
}

QLabel* FrameGemDialog(QDialog* dialog, QSize size, int gemLeft, const QRect& heading) {
    dialog->setFixedSize(size);
    dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint);
    auto* image = new QLabel(dialog);
    image->setObjectName("Image1");
    image->setPixmap(GemPicture());
    image->setGeometry(gemLeft, 10, 16, 16);
    auto* label = new QLabel(dialog);
    label->setObjectName("Label1");
    label->setGeometry(heading);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    return label;
}

}  // namespace gdl
