#include "shell/toolbar_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>

namespace vellacor {

namespace {

constexpr int kIconWidth = 17;
constexpr int kIconHeight = 15;

const QColor kInk(40, 40, 40);
const QColor kGround(120, 150, 90);
const QColor kWater(60, 110, 200);

void drawPlanView(QPainter& p) {
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(kGround.lighter(140));
    p.drawRect(QRectF(2.5, 1.5, 12, 12));
    p.drawLine(QPointF(8.5, 3), QPointF(8.5, 12));
    p.drawLine(QPointF(4, 7.5), QPointF(13, 7.5));
}

void drawAxis(QPainter& p) {
    const QPointF o(6, 10);
    const struct {
        QPointF tip;
        QColor colour;
    } arrows[] = {{{15, 10}, Qt::red}, {{11, 5}, QColor(0, 150, 0)}, {{6, 1}, Qt::blue}};
    for (const auto& a : arrows) {
        p.setPen(QPen(a.colour, 1.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(o, a.tip);
    }
}

void drawPoints(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    for (const QPointF c : {QPointF(3, 4), QPointF(9, 2.5), QPointF(14, 5), QPointF(5, 11), QPointF(11, 9),
                            QPointF(14.5, 12.5)})
        p.drawEllipse(c, 1.4, 1.4);
}

QPolygonF mesh() { return QPolygonF({QPointF(1.5, 13), QPointF(8.5, 2), QPointF(15.5, 13)}); }

void drawTriangles(QPainter& p) {
    p.setPen(QPen(kInk, 1.1));
    p.setBrush(Qt::NoBrush);
    p.drawPolygon(mesh());
    p.drawLine(QPointF(5, 7.5), QPointF(12, 7.5));
    p.drawLine(QPointF(5, 7.5), QPointF(8.5, 13));
    p.drawLine(QPointF(12, 7.5), QPointF(8.5, 13));
}

void drawSurface(QPainter& p) {
    QLinearGradient shade(QPointF(0, 2), QPointF(0, 13));
    shade.setColorAt(0, kGround.lighter(160));
    shade.setColorAt(1, kGround.darker(130));
    p.setPen(QPen(kInk, 1.0));
    p.setBrush(shade);
    p.drawPolygon(mesh());
}

void drawContours(QPainter& p) {
    p.setPen(QPen(QColor(150, 90, 30), 1.2));
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 3; ++i) {
        QPainterPath wave(QPointF(1, 4.0 + 4 * i));
        wave.cubicTo(QPointF(6, 1.0 + 4 * i), QPointF(11, 7.0 + 4 * i), QPointF(16, 4.0 + 4 * i));
        p.drawPath(wave);
    }
}

void drawLight(QPainter& p) {
    p.setPen(QPen(QColor(200, 150, 0), 1.2));
    p.setBrush(QColor(255, 215, 0));
    p.drawEllipse(QPointF(8.5, 7.5), 3.5, 3.5);
    for (int i = 0; i < 8; ++i) {
        p.save();
        p.translate(8.5, 7.5);
        p.rotate(45.0 * i);
        p.drawLine(QPointF(5, 0), QPointF(6.8, 0));
        p.restore();
    }
}

void drawPallette(QPainter& p) {
    const QColor colours[] = {Qt::red, QColor(255, 160, 0), Qt::yellow, QColor(0, 170, 0), Qt::blue, QColor(140, 0, 200)};
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 6; ++i) {
        p.setBrush(colours[i]);
        p.drawRect(QRectF(1.5 + (i % 3) * 5, 2 + (i / 3) * 6, 4, 5));
    }
}

void drawRain(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(kWater);
    for (const QPointF c : {QPointF(4, 4), QPointF(10, 2.5), QPointF(14, 7), QPointF(7, 10), QPointF(12.5, 12)}) {
        QPainterPath drop(c + QPointF(0, -2.5));
        drop.quadTo(c + QPointF(1.8, 0.8), c + QPointF(0, 1.5));
        drop.quadTo(c + QPointF(-1.8, 0.8), c + QPointF(0, -2.5));
        p.drawPath(drop);
    }
}

void drawPonds(QPainter& p) {
    p.setPen(QPen(kGround.darker(140), 1.0));
    p.setBrush(kWater);
    p.drawEllipse(QPointF(8.5, 8.5), 7, 4.5);
    p.setPen(QPen(Qt::white, 0.8));
    p.drawLine(QPointF(5, 8), QPointF(8, 8));
    p.drawLine(QPointF(9, 10), QPointF(12, 10));
}

void drawBreaklines(QPainter& p) {
    p.setPen(QPen(Qt::red, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(1.5, 12), QPointF(6, 4), QPointF(11, 10), QPointF(15.5, 3)}));
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    for (const QPointF c : {QPointF(1.5, 12), QPointF(6, 4), QPointF(11, 10), QPointF(15.5, 3)}) p.drawEllipse(c, 1.3, 1.3);
}

void drawCadOverlay(QPainter& p) {
    p.setPen(QPen(kInk, 1.0));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(1.5, 1.5, 14, 12));
    p.setPen(QPen(QColor(0, 120, 170), 1.1));
    p.drawRect(QRectF(4, 4, 5, 4));
    p.drawLine(QPointF(9, 6), QPointF(13.5, 11));
    p.drawLine(QPointF(4, 11), QPointF(9, 11));
}

void draw(QPainter& p, CommandId id) {
    switch (id) {
        case CommandId::ToolPlanView: drawPlanView(p); break;
        case CommandId::ToolAxis: drawAxis(p); break;
        case CommandId::ToolPoints: drawPoints(p); break;
        case CommandId::ToolTriangles: drawTriangles(p); break;
        case CommandId::ToolSurface: drawSurface(p); break;
        case CommandId::ToolContours: drawContours(p); break;
        case CommandId::ToolLight: drawLight(p); break;
        case CommandId::ToolPallette: drawPallette(p); break;
        case CommandId::ToolRain: drawRain(p); break;
        case CommandId::ToolPonds: drawPonds(p); break;
        case CommandId::ToolBreaklines: drawBreaklines(p); break;
        case CommandId::ToolCadOverlay: drawCadOverlay(p); break;
        default: break;
    }
}

}  // namespace

QIcon toolbarIcon(CommandId id) {
    QIcon icon;
    for (const int scale : {1, 2, 3}) {
        QPixmap pixmap(kIconWidth * scale, kIconHeight * scale);
        pixmap.fill(Qt::transparent);
        pixmap.setDevicePixelRatio(scale);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        draw(painter, id);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace vellacor
