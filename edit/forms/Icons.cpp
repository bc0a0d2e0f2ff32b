#include "Icons.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QtMath>

namespace gdl {
namespace {

// The palette every picture draws from.
const QColor kInk(0x2b, 0x30, 0x3a);
const QColor kPaper(0xfb, 0xfb, 0xf7);
const QColor kPaperShade(0xd8, 0xdc, 0xe2);
const QColor kFolder(0xf2, 0xb8, 0x3b);
const QColor kFolderDark(0xc8, 0x8a, 0x16);
const QColor kBlue(0x2f, 0x7e, 0xd8);
const QColor kGreen(0x33, 0xa8, 0x4f);
const QColor kRed(0xd6, 0x3b, 0x3b);
const QColor kGrey(0x9a, 0xa1, 0xab);
const QColor kGem(0x2c, 0xc7, 0xd8);
const QColor kGemDark(0x6a, 0x3c, 0xc8);
const QColor kGold(0xe6, 0xb0, 0x22);

QPen InkPen(qreal width = 1.6) {
    QPen pen(kInk, width);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    return pen;
}

QPen WhitePen(qreal width) {
    QPen pen(Qt::white, width);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    return pen;
}

// A page with a folded corner inside rect.
void DrawPage(QPainter& p, const QRectF& r) {
    const qreal fold = r.width() * 0.3;
    QPainterPath page;
    page.moveTo(r.topLeft());
    page.lineTo(r.right() - fold, r.top());
    page.lineTo(r.right(), r.top() + fold);
    page.lineTo(r.bottomRight());
    page.lineTo(r.bottomLeft());
    page.closeSubpath();
    p.setPen(InkPen());
    p.setBrush(kPaper);
    p.drawPath(page);
    QPainterPath corner;
    corner.moveTo(r.right() - fold, r.top());
    corner.lineTo(r.right() - fold, r.top() + fold);
    corner.lineTo(r.right(), r.top() + fold);
    p.setBrush(kPaperShade);
    p.drawPath(corner);
}

void DrawFolder(QPainter& p, const QRectF& r, bool open) {
    QPainterPath back;
    back.moveTo(r.left(), r.top() + 3);
    back.lineTo(r.left() + r.width() * 0.38, r.top() + 3);
    back.lineTo(r.left() + r.width() * 0.46, r.top() + 7);
    back.lineTo(r.right(), r.top() + 7);
    back.lineTo(r.right(), r.bottom());
    back.lineTo(r.left(), r.bottom());
    back.closeSubpath();
    p.setPen(InkPen());
    p.setBrush(kFolderDark);
    p.drawPath(back);
    QPainterPath front;
    if (open) {
        front.moveTo(r.left() + 4, r.top() + 12);
        front.lineTo(r.right() + 2, r.top() + 12);
        front.lineTo(r.right() - 2, r.bottom());
        front.lineTo(r.left(), r.bottom());
    } else {
        front.addRect(QRectF(r.left(), r.top() + 10, r.width(), r.height() - 10));
    }
    front.closeSubpath();
    p.setBrush(kFolder);
    p.drawPath(front);
}

void DrawDisc(QPainter& p, const QPointF& centre, qreal radius, const QColor& colour) {
    QRadialGradient shine(centre - QPointF(radius / 3, radius / 3), radius * 1.4);
    shine.setColorAt(0, colour.lighter(135));
    shine.setColorAt(1, colour.darker(110));
    p.setPen(InkPen(1.2));
    p.setBrush(shine);
    p.drawEllipse(centre, radius, radius);
}

void DrawArrow(QPainter& p, bool right) {
    QPolygonF arrow;
    arrow << QPointF(4, 12) << QPointF(16, 12) << QPointF(16, 5) << QPointF(28, 16)
          << QPointF(16, 27) << QPointF(16, 20) << QPointF(4, 20);
    if (!right) {
        for (QPointF& pt : arrow) pt.setX(32 - pt.x());
    }
    QLinearGradient fill(0, 5, 0, 27);
    fill.setColorAt(0, kBlue.lighter(130));
    fill.setColorAt(1, kBlue);
    p.setPen(InkPen(1.4));
    p.setBrush(fill);
    p.drawPolygon(arrow);
}

void DrawGem(QPainter& p, const QRectF& r) {
    const QPointF top(r.center().x(), r.top());
    const QPointF bottom(r.center().x(), r.bottom());
    const qreal shoulder = r.top() + r.height() * 0.35;
    const QPointF left(r.left(), shoulder);
    const QPointF right(r.right(), shoulder);
    QLinearGradient fill(r.topLeft(), r.bottomRight());
    fill.setColorAt(0, kGem.lighter(140));
    fill.setColorAt(1, kGemDark);
    p.setPen(InkPen(1.4));
    p.setBrush(fill);
    QPolygonF gem;
    gem << QPointF(r.left() + r.width() * 0.25, r.top())
        << QPointF(r.right() - r.width() * 0.25, r.top()) << right << bottom << left;
    p.drawPolygon(gem);
    p.setPen(InkPen(0.8));
    p.drawLine(left, right);
    p.drawLine(QPointF(r.left() + r.width() * 0.38, shoulder), bottom);
    p.drawLine(QPointF(r.right() - r.width() * 0.38, shoulder), bottom);
    p.drawLine(QPointF(r.left() + r.width() * 0.38, shoulder), top);
    p.drawLine(QPointF(r.right() - r.width() * 0.38, shoulder), top);
}

void DrawGear(QPainter& p, const QPointF& c, qreal outer, qreal inner, int teeth) {
    QPainterPath gear;
    const qreal step = 2 * M_PI / teeth;
    for (int i = 0; i < teeth; ++i) {
        const qreal a = i * step;
        const qreal points[4][2] = {{a - step * 0.32, inner},
                                    {a - step * 0.18, outer},
                                    {a + step * 0.18, outer},
                                    {a + step * 0.32, inner}};
        for (int k = 0; k < 4; ++k) {
            const QPointF pt(c.x() + points[k][1] * qCos(points[k][0]),
                             c.y() + points[k][1] * qSin(points[k][0]));
            if (i == 0 && k == 0) {
                gear.moveTo(pt);
            } else {
                gear.lineTo(pt);
            }
        }
    }
    gear.closeSubpath();
    gear.addEllipse(c, inner * 0.38, inner * 0.38);
    gear.setFillRule(Qt::OddEvenFill);
    QLinearGradient fill(c - QPointF(outer, outer), c + QPointF(outer, outer));
    fill.setColorAt(0, kGrey.lighter(130));
    fill.setColorAt(1, kGrey.darker(120));
    p.setPen(InkPen(1.3));
    p.setBrush(fill);
    p.drawPath(gear);
}

void DrawBulb(QPainter& p, bool lit) {
    const QColor glass = lit ? QColor(0xff, 0xe0, 0x4a) : QColor(0xe4, 0xe6, 0xea);
    if (lit) {
        p.setPen(QPen(kGold, 1.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(16, 1), QPointF(16, 3));
        p.drawLine(QPointF(4, 7), QPointF(6, 8.5));
        p.drawLine(QPointF(28, 7), QPointF(26, 8.5));
        p.drawLine(QPointF(2, 15), QPointF(4, 15));
        p.drawLine(QPointF(30, 15), QPointF(28, 15));
    }
    QPainterPath bulb;
    bulb.moveTo(12, 23);
    bulb.cubicTo(12, 19, 7, 18, 7, 13);
    bulb.cubicTo(7, 8, 11, 5, 16, 5);
    bulb.cubicTo(21, 5, 25, 8, 25, 13);
    bulb.cubicTo(25, 18, 20, 19, 20, 23);
    bulb.closeSubpath();
    p.setPen(InkPen(lit ? 1.5 : 1.3));
    p.setBrush(glass);
    p.drawPath(bulb);
    p.setBrush(kGrey);
    p.drawRoundedRect(QRectF(12, 23, 8, 6), 1.5, 1.5);
    p.drawLine(QPointF(12, 26), QPointF(20, 26));
}

void Draw(QPainter& p, IconId id) {
    switch (id) {
        case IconId::App:
            DrawGem(p, QRectF(3, 5, 26, 23));
            break;
        case IconId::NewProject: {
            DrawPage(p, QRectF(6, 3, 19, 25));
            p.setPen(InkPen(1.0));
            p.setBrush(kGold);
            QPolygonF star;
            for (int i = 0; i < 10; ++i) {
                const qreal r = i % 2 == 0 ? 7.0 : 3.0;
                const qreal a = -M_PI / 2 + i * M_PI / 5;
                star << QPointF(23 + r * qCos(a), 23 + r * qSin(a));
            }
            p.drawPolygon(star);
            break;
        }
        case IconId::OpenProject:
            DrawFolder(p, QRectF(3, 6, 25, 21), true);
            break;
        case IconId::MergeProject: {
            DrawPage(p, QRectF(3, 3, 15, 20));
            DrawPage(p, QRectF(14, 9, 15, 20));
            p.setPen(QPen(kGreen, 3.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.drawLine(QPointF(7, 27), QPointF(12, 22));
            p.drawLine(QPointF(12, 22), QPointF(8, 22));
            p.drawLine(QPointF(12, 22), QPointF(12, 26));
            break;
        }
        case IconId::SaveProject: {
            p.setPen(InkPen());
            p.setBrush(kBlue);
            QPainterPath disk;
            disk.moveTo(4, 4);
            disk.lineTo(24, 4);
            disk.lineTo(28, 8);
            disk.lineTo(28, 28);
            disk.lineTo(4, 28);
            disk.closeSubpath();
            p.drawPath(disk);
            p.setBrush(kPaper);
            p.drawRect(QRectF(9, 4, 13, 8));
            p.setBrush(kPaperShade);
            p.drawRect(QRectF(8, 17, 16, 11));
            p.setBrush(kInk);
            p.drawRect(QRectF(17, 5.5, 3, 5));
            break;
        }
        case IconId::Properties: {
            DrawPage(p, QRectF(5, 3, 22, 26));
            p.setPen(InkPen(1.2));
            for (int row = 0; row < 4; ++row) {
                const qreal y = 11 + row * 4.5;
                p.setBrush(row % 2 == 0 ? kBlue : kGreen);
                p.drawRect(QRectF(9, y - 1.2, 2.4, 2.4));
                p.drawLine(QPointF(14, y), QPointF(row == 3 ? 19 : 23, y));
            }
            break;
        }
        case IconId::Source: {
            DrawPage(p, QRectF(5, 3, 22, 26));
            const QColor tiles[3][3] = {
                {kGrey, kGem, kGrey}, {kFolder, kGrey, kGreen}, {kGrey, kRed, kGrey}};
            p.setPen(InkPen(0.8));
            for (int r = 0; r < 3; ++r) {
                for (int c = 0; c < 3; ++c) {
                    p.setBrush(tiles[r][c]);
                    p.drawRect(QRectF(8.5 + c * 5, 11 + r * 5, 5, 5));
                }
            }
            break;
        }
        case IconId::Levels: {
            const QColor bars[3] = {kGem, kGreen, kFolder};
            for (int i = 0; i < 3; ++i) {
                const qreal y = 4 + i * 9;
                p.setPen(InkPen(1.3));
                p.setBrush(bars[i]);
                p.drawRoundedRect(QRectF(3, y, 8, 7), 2, 2);
                p.setBrush(kPaper);
                p.drawRoundedRect(QRectF(13, y, 16, 7), 2, 2);
                p.setPen(WhitePen(1.6));
                p.drawLine(QPointF(7, y + 1.8), QPointF(7, y + 5.2));
            }
            break;
        }
        case IconId::Build:
            DrawGear(p, QPointF(13, 14), 11, 8, 8);
            DrawGem(p, QRectF(18, 17, 12, 12));
            break;
        case IconId::Playtest: {
            DrawDisc(p, QPointF(16, 16), 13, kGreen);
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::white);
            QPolygonF play;
            play << QPointF(12.5, 9.5) << QPointF(23, 16) << QPointF(12.5, 22.5);
            p.drawPolygon(play);
            break;
        }
        case IconId::Help: {
            DrawDisc(p, QPointF(16, 16), 13, kBlue);
            p.setPen(WhitePen(3.0));
            p.setBrush(Qt::NoBrush);
            QPainterPath mark;
            mark.moveTo(11.5, 12.5);
            mark.cubicTo(11.5, 7, 20.5, 7, 20.5, 12);
            mark.cubicTo(20.5, 15.5, 16, 15.5, 16, 19);
            p.drawPath(mark);
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::white);
            p.drawEllipse(QPointF(16, 23.5), 1.9, 1.9);
            break;
        }
        case IconId::Exit: {
            p.setPen(InkPen());
            p.setBrush(QColor(0x9c, 0x6b, 0x3c));
            p.drawRect(QRectF(5, 3, 14, 26));
            p.setBrush(kGold);
            p.drawEllipse(QPointF(16, 16), 1.3, 1.3);
            p.setPen(QPen(kRed, 3.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.drawLine(QPointF(17, 16), QPointF(29, 16));
            p.drawLine(QPointF(29, 16), QPointF(25, 12));
            p.drawLine(QPointF(29, 16), QPointF(25, 20));
            break;
        }
        case IconId::ArrowLeft:
            DrawArrow(p, false);
            break;
        case IconId::ArrowRight:
            DrawArrow(p, true);
            break;
        case IconId::Included:
            DrawDisc(p, QPointF(16, 16), 13, kGreen);
            p.setPen(WhitePen(3.4));
            p.drawPolyline(QPolygonF()
                           << QPointF(9.5, 16.5) << QPointF(14, 21) << QPointF(22.5, 11));
            break;
        case IconId::NotIncluded:
            DrawDisc(p, QPointF(16, 16), 13, kGrey);
            p.setPen(WhitePen(3.4));
            p.drawLine(QPointF(10, 16), QPointF(22, 16));
            break;
        case IconId::InfoError:
            DrawDisc(p, QPointF(16, 16), 13, kRed);
            p.setPen(WhitePen(3.4));
            p.drawLine(QPointF(11, 11), QPointF(21, 21));
            p.drawLine(QPointF(21, 11), QPointF(11, 21));
            break;
        case IconId::Hidden: {
            p.setPen(InkPen(2.6));
            p.setBrush(Qt::NoBrush);
            p.drawArc(QRectF(10, 4, 12, 14), 0, 180 * 16);
            p.drawLine(QPointF(10, 11), QPointF(10, 14));
            p.drawLine(QPointF(22, 11), QPointF(22, 14));
            QLinearGradient fill(0, 13, 0, 29);
            fill.setColorAt(0, kGold.lighter(125));
            fill.setColorAt(1, kFolderDark);
            p.setPen(InkPen(1.4));
            p.setBrush(fill);
            p.drawRoundedRect(QRectF(6, 13, 20, 16), 2.5, 2.5);
            p.setBrush(kInk);
            p.drawEllipse(QPointF(16, 19.5), 2, 2);
            p.drawLine(QPointF(16, 21), QPointF(16, 25));
            break;
        }
        case IconId::HintYes:
            DrawBulb(p, true);
            break;
        case IconId::HintNo:
            DrawBulb(p, false);
            break;
        case IconId::MusicNote: {
            p.setPen(InkPen(2.0));
            p.drawLine(QPointF(12, 24), QPointF(12, 7));
            p.drawLine(QPointF(26, 21), QPointF(26, 4));
            p.setPen(Qt::NoPen);
            p.setBrush(kInk);
            QPolygonF beam;
            beam << QPointF(11, 6) << QPointF(27, 3) << QPointF(27, 8) << QPointF(11, 11);
            p.drawPolygon(beam);
            p.setBrush(kBlue);
            p.setPen(InkPen(1.2));
            p.drawEllipse(QPointF(8.5, 24.5), 4.2, 3.3);
            p.drawEllipse(QPointF(22.5, 21.5), 4.2, 3.3);
            break;
        }
        case IconId::AddSource: {
            DrawFolder(p, QRectF(2, 8, 22, 20), false);
            DrawPage(p, QRectF(15, 2, 14, 18));
            p.setPen(QPen(kGreen, 3.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.drawLine(QPointF(22, 11), QPointF(15, 18));
            p.drawLine(QPointF(15, 18), QPointF(15, 13.5));
            p.drawLine(QPointF(15, 18), QPointF(19.5, 18));
            break;
        }
    }
}

}  // namespace

QPixmap IconPixmap(IconId id, int size) {
    const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    QPixmap pixmap(qRound(size * ratio), qRound(size * ratio));
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    Draw(p, id);
    return pixmap;
}

QIcon MakeIcon(IconId id) {
    QIcon icon;
    for (int size : {16, 20, 24, 32, 48}) icon.addPixmap(IconPixmap(id, size));
    return icon;
}

}  // namespace gdl
