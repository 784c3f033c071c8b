#include "app/ToolbarIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>

namespace mechanon {
namespace {

constexpr int kSize = 24;

void Arrow(QPainter& p, double angleDegrees) {
    p.save();
    p.translate(kSize / 2.0, kSize / 2.0);
    p.rotate(angleDegrees);
    p.setBrush(QColor(30, 90, 200));
    p.drawPolygon(QPolygonF({{-8, -3}, {2, -3}, {2, -8}, {9, 0}, {2, 8}, {2, 3}, {-8, 3}}));
    p.restore();
}

void Page(QPainter& p) {
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygonF({{5, 2}, {15, 2}, {20, 7}, {20, 22}, {5, 22}}));
    p.drawPolyline(QPolygonF({{15, 2}, {15, 7}, {20, 7}}));
}

void RoomBox(QPainter& p) {
    p.setBrush(QColor(190, 190, 190));
    p.drawRect(3, 8, 13, 12);
    p.drawPolygon(QPolygonF({{3, 8}, {8, 3}, {21, 3}, {16, 8}}));
    p.drawPolygon(QPolygonF({{16, 8}, {21, 3}, {21, 15}, {16, 20}}));
}

void Badge(QPainter& p, bool plus) {
    p.setPen(QPen(plus ? QColor(0, 140, 0) : QColor(200, 0, 0), 3));
    p.drawLine(14, 18, 22, 18);
    if (plus) p.drawLine(18, 14, 18, 22);
}

void Gear(QPainter& p) {
    p.setBrush(QColor(120, 120, 120));
    p.drawEllipse(QPointF(12, 12), 8, 8);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(12, 12), 3, 3);
    for (int i = 0; i < 8; ++i) {
        p.save();
        p.translate(12, 12);
        p.rotate(45.0 * i);
        p.setBrush(QColor(120, 120, 120));
        p.drawRect(-2, -11, 4, 3);
        p.restore();
    }
}

void Question(QPainter& p) {
    p.setBrush(QColor(255, 240, 120));
    p.drawEllipse(QPointF(12, 12), 10, 10);
    QFont f = p.font();
    f.setPixelSize(15);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRect(0, 0, kSize, kSize), Qt::AlignCenter, "?");
}

// A small arm on a base: the program's own picture for its windows.
void ProgramPicture(QPainter& p) {
    p.setBrush(QColor(110, 110, 110));
    p.drawRect(3, 19, 18, 3);
    p.setPen(QPen(QColor(30, 70, 170), 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(12, 19, 8, 10);
    p.setPen(QPen(QColor(220, 150, 40), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(8, 10, 18, 5);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(8, 10), 2, 2);
}

// A curved arrow turning back to the left (undo) or on to the right (redo).
void TurnArrow(QPainter& p, bool back) {
    p.save();
    if (!back) p.setTransform(QTransform(-1, 0, 0, 1, kSize, 0));
    p.setPen(QPen(QColor(30, 70, 170), 3, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(6, 6, 14, 13), 270 * 16, 200 * 16);
    p.setPen(QPen(QColor(30, 70, 170), 1));
    p.setBrush(QColor(30, 70, 170));
    p.drawPolygon(QPolygonF({{3, 9}, {11, 3}, {11, 14}}));
    p.restore();
}

void Draw(QPainter& p, const QString& key) {
    p.setPen(QPen(Qt::black, 1));
    if (key == "New") {
        Page(p);
    } else if (key == "Open") {
        p.setBrush(QColor(230, 190, 80));
        p.drawPolygon(QPolygonF({{2, 7}, {9, 7}, {11, 9}, {20, 9}, {20, 20}, {2, 20}}));
        p.setBrush(QColor(250, 215, 110));
        p.drawPolygon(QPolygonF({{5, 12}, {23, 12}, {20, 20}, {2, 20}}));
    } else if (key == "Save") {
        p.setBrush(QColor(60, 60, 140));
        p.drawRect(3, 3, 18, 18);
        p.setBrush(Qt::white);
        p.drawRect(7, 3, 10, 7);
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(6, 14, 12, 7);
    } else if (key == "Undo" || key == "Redo") {
        TurnArrow(p, key == "Undo");
    } else if (key == "Left") {
        Arrow(p, 180);
    } else if (key == "Right") {
        Arrow(p, 0);
    } else if (key == "Up") {
        Arrow(p, -90);
    } else if (key == "Down") {
        Arrow(p, 90);
    } else if (key == "CreateRoom") {
        RoomBox(p);
        Badge(p, true);
    } else if (key == "DeleteRoom") {
        RoomBox(p);
        Badge(p, false);
    } else if (key == "ShowEditForm") {
        Page(p);
        p.setPen(QPen(QColor(120, 60, 0), 2));
        p.drawLine(8, 18, 18, 8);
    } else if (key == "ShowDriveMotors") {
        Gear(p);
    } else if (key == "ShowAxisOnGraph") {
        p.setPen(QPen(Qt::red, 2));
        p.drawLine(6, 18, 21, 18);
        p.setPen(QPen(QColor(0, 150, 0), 2));
        p.drawLine(6, 18, 6, 3);
        p.setPen(QPen(Qt::blue, 2));
        p.drawLine(6, 18, 15, 9);
    } else if (key == "ShowGridsOnGraph") {
        p.setPen(QPen(QColor(80, 80, 80), 1));
        for (int i = 3; i <= 21; i += 6) {
            p.drawLine(i, 3, i, 21);
            p.drawLine(3, i, 21, i);
        }
    } else if (key == "Help") {
        Question(p);
    } else if (key == "Program") {
        ProgramPicture(p);
    } else {
        p.drawRect(4, 4, 16, 16);
    }
}

}  // namespace

QIcon ToolbarIcon(const QString& key) {
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    Draw(painter, key);
    painter.end();
    return QIcon(pixmap);
}

}  // namespace mechanon
