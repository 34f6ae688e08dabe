#include "app/Icons.h"

#include "doc/CommandList.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygon>

#include <string_view>

namespace {

const QColor kInk(32, 32, 32);
const QColor kPaper(255, 255, 255);
const QColor kBlue(40, 90, 200);
const QColor kYellow(240, 200, 60);

QPolygon Poly(std::initializer_list<QPoint> points) { return QPolygon(QList<QPoint>(points)); }

void Page(QPainter& p, int x, int y, int w, int h)
{
    p.setPen(kInk);
    p.setBrush(kPaper);
    p.drawPolygon(Poly({{x, y}, {x + w - 4, y}, {x + w - 1, y + 3}, {x + w - 1, y + h - 1}, {x, y + h - 1}}));
    p.drawLine(x + w - 4, y, x + w - 4, y + 3);
    p.drawLine(x + w - 4, y + 3, x + w - 1, y + 3);
}

void DashedRect(QPainter& p, const QRect& r, const QColor& colour)
{
    QPen pen(colour);
    pen.setDashPattern({2, 1});
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRect(r);
}

void Arrow(QPainter& p, QPoint tip, int dx, int dy)
{
    // A small filled head pointing along (dx, dy), one of the four axes.
    QPolygon head;
    if (dx)
        head = Poly({tip, {tip.x() - 3 * dx, tip.y() - 3}, {tip.x() - 3 * dx, tip.y() + 3}});
    else
        head = Poly({tip, {tip.x() - 3, tip.y() - 3 * dy}, {tip.x() + 3, tip.y() - 3 * dy}});
    p.setPen(kInk);
    p.setBrush(kInk);
    p.drawPolygon(head);
}

void Draw(QPainter& p, std::string_view key)
{
    if (key == "new") {
        Page(p, 3, 1, 11, 14);
        p.setPen(QColor(250, 200, 0));
        p.drawLine(1, 1, 3, 3);
        p.drawLine(1, 3, 3, 1);
        return;
    }
    if (key == "open") {
        p.setPen(kInk);
        p.setBrush(QColor(200, 150, 40));
        p.drawPolygon(Poly({{1, 4}, {5, 4}, {6, 5}, {12, 5}, {12, 13}, {1, 13}}));
        p.setBrush(kYellow);
        p.drawPolygon(Poly({{3, 8}, {15, 8}, {12, 13}, {1, 13}}));
        p.setPen(kBlue);
        p.drawLine(9, 1, 12, 1);
        p.drawLine(12, 1, 12, 4);
        p.drawLine(10, 3, 14, 3);
        return;
    }
    if (key == "save") {
        p.setPen(kInk);
        p.setBrush(kBlue);
        p.drawRect(1, 1, 13, 13);
        p.setBrush(kPaper);
        p.drawRect(4, 1, 7, 6);
        p.setBrush(QColor(190, 190, 190));
        p.drawRect(4, 10, 7, 4);
        p.fillRect(8, 11, 2, 3, kInk);
        return;
    }
    if (key == "print") {
        p.setPen(kInk);
        p.setBrush(kPaper);
        p.drawRect(4, 1, 7, 6);
        p.setBrush(QColor(180, 180, 180));
        p.drawRect(1, 6, 13, 6);
        p.setBrush(kPaper);
        p.drawRect(4, 10, 7, 4);
        p.fillRect(11, 8, 2, 1, QColor(0, 170, 0));
        return;
    }
    if (key == "cut") {
        p.setPen(QPen(kInk, 1));
        p.drawLine(4, 1, 10, 10);
        p.drawLine(11, 1, 5, 10);
        p.setPen(QPen(QColor(200, 0, 0), 1));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(1, 9, 5, 5);
        p.drawEllipse(9, 9, 5, 5);
        return;
    }
    if (key == "copy") {
        Page(p, 1, 1, 9, 11);
        Page(p, 6, 4, 9, 11);
        p.setPen(QColor(120, 120, 120));
        p.drawLine(8, 9, 12, 9);
        p.drawLine(8, 11, 12, 11);
        return;
    }
    if (key == "paste") {
        p.setPen(kInk);
        p.setBrush(QColor(170, 110, 50));
        p.drawRect(1, 2, 10, 12);
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(4, 1, 4, 2);
        Page(p, 6, 6, 9, 9);
        return;
    }
    if (key == "dropper") { // eyedropper
        p.setPen(QPen(kInk, 1));
        p.setBrush(kPaper);
        p.drawPolygon(Poly({{2, 13}, {9, 6}, {10, 7}, {3, 14}}));
        p.setPen(QPen(kInk, 3));
        p.drawLine(10, 5, 12, 3);
        p.setPen(QPen(kInk, 1));
        p.drawLine(8, 4, 11, 7);
        p.fillRect(1, 14, 2, 2, kBlue);
        return;
    }
    if (key == "select") { // selection
        DashedRect(p, QRect(2, 2, 11, 11), kInk);
        return;
    }
    if (key == "select-all") { // selection across all layers
        p.setPen(QColor(140, 140, 140));
        p.setBrush(QColor(220, 220, 220));
        p.drawRect(5, 1, 10, 10);
        p.drawRect(3, 3, 10, 10);
        DashedRect(p, QRect(1, 5, 10, 10), kInk);
        return;
    }
    if (key == "rotate") { // rotate 90 degrees
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(QPen(kInk, 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(2.5, 3.5, 10, 10), 90 * 16, -270 * 16);
        p.setRenderHint(QPainter::Antialiasing, false);
        Arrow(p, QPoint(10, 4), 1, 0);
        return;
    }
    if (key == "mirror-lr") { // mirror left-right
        p.setPen(QPen(kInk, 1, Qt::DotLine));
        p.drawLine(7, 0, 7, 15);
        p.setPen(kInk);
        p.setBrush(kBlue);
        p.drawPolygon(Poly({{5, 3}, {5, 12}, {1, 12}}));
        p.setBrush(kPaper);
        p.drawPolygon(Poly({{9, 3}, {9, 12}, {13, 12}}));
        return;
    }
    if (key == "mirror-ud") { // mirror up-down
        p.setPen(QPen(kInk, 1, Qt::DotLine));
        p.drawLine(0, 7, 15, 7);
        p.setPen(kInk);
        p.setBrush(kBlue);
        p.drawPolygon(Poly({{3, 5}, {12, 5}, {3, 1}}));
        p.setBrush(kPaper);
        p.drawPolygon(Poly({{3, 9}, {12, 9}, {3, 13}}));
        return;
    }
    if (key == "pen1" || key == "pen2" || key == "pen3") { // pen widths
        int w = key.back() - '0';
        p.fillRect(1, 8 - w / 2 - (w == 2 ? 0 : 0), 14, w, kInk);
        p.setPen(QColor(90, 90, 90));
        for (int i = 0; i < w; ++i) // a dot per pixel of width, as a count
            p.drawPoint(2 + 3 * i, 13);
        return;
    }
    if (key == "pencil") {
        p.setPen(kInk);
        p.setBrush(kYellow);
        p.drawPolygon(Poly({{4, 14}, {13, 5}, {10, 2}, {1, 11}}));
        p.setBrush(QColor(240, 210, 170));
        p.drawPolygon(Poly({{1, 11}, {4, 14}, {1, 14}}));
        p.fillRect(1, 14, 1, 1, kInk);
        p.setBrush(QColor(230, 120, 140));
        p.drawPolygon(Poly({{13, 5}, {15, 3}, {12, 0}, {10, 2}}));
        return;
    }
    if (key == "line") {
        p.setPen(QPen(kInk, 1));
        p.drawLine(2, 13, 13, 2);
        return;
    }
    if (key == "rect-frame") { // rectangle frame
        p.setPen(kInk);
        p.setBrush(Qt::NoBrush);
        p.drawRect(2, 3, 11, 9);
        return;
    }
    if (key == "rect-fill") { // filled rectangle
        p.setPen(kInk);
        p.setBrush(kBlue);
        p.drawRect(2, 3, 11, 9);
        return;
    }
    if (key == "ellipse-frame") { // ellipse frame
        p.setPen(kInk);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(1, 3, 13, 9);
        return;
    }
    if (key == "ellipse-fill") { // filled ellipse
        p.setPen(kInk);
        p.setBrush(kBlue);
        p.drawEllipse(1, 3, 13, 9);
        return;
    }
    if (key == "curve") {
        QPainterPath path(QPointF(1.5, 13.5));
        path.cubicTo(QPointF(3.5, -2), QPointF(11.5, 17), QPointF(14.5, 2.5));
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(QPen(kInk, 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
        return;
    }
    if (key == "fill") { // fill (paint bucket)
        p.setPen(kInk);
        p.setBrush(QColor(200, 200, 200));
        p.drawPolygon(Poly({{2, 6}, {8, 1}, {14, 7}, {8, 13}}));
        p.setBrush(kBlue);
        p.drawPolygon(Poly({{2, 6}, {14, 7}, {8, 13}}));
        p.fillRect(1, 8, 2, 6, kBlue);
        return;
    }
    if (key == "text") {
        p.setPen(QPen(kInk, 2));
        p.drawLine(2, 14, 7, 1);
        p.drawLine(8, 1, 13, 14);
        p.drawLine(5, 9, 10, 9);
        return;
    }
    if (key == "zoom") {
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(QPen(kInk, 1.5));
        p.setBrush(QColor(210, 235, 255));
        p.drawEllipse(QRectF(1.5, 1.5, 9, 9));
        p.setPen(QPen(kInk, 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(10, 10), QPointF(14, 14));
        return;
    }
    if (key == "onion") { // a frame seen through the current one
        p.setPen(QColor(200, 80, 80));
        p.setBrush(QColor(255, 200, 200));
        p.drawRect(1, 1, 9, 9);
        p.setPen(kInk);
        p.setBrush(QColor(200, 220, 255, 200));
        p.drawRect(5, 5, 9, 9);
        return;
    }
    if (key == "undo" || key == "redo") { // an arrow bending forward (redo), or back (undo: mirrored)
        if (key == "undo") {
            p.translate(16, 0);
            p.scale(-1, 1);
        }
        p.setRenderHint(QPainter::Antialiasing, true);
        QPainterPath path(QPointF(3, 13));
        path.cubicTo(QPointF(1, 5), QPointF(6, 3.5), QPointF(11, 5.5));
        p.setPen(QPen(kBlue, 2, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
        p.setPen(Qt::NoPen);
        p.setBrush(kBlue);
        p.drawPolygon(Poly({{9, 1}, {15, 6}, {9, 10}}));
        return;
    }
    if (key == "layer-only") { // only the current layer shown
        p.setPen(QColor(170, 170, 170));
        p.setBrush(QColor(235, 235, 235));
        p.drawRect(6, 1, 9, 8);
        p.drawRect(1, 7, 9, 8);
        p.setPen(kInk);
        p.setBrush(kYellow);
        p.drawRect(3, 4, 9, 8);
        return;
    }
}

} // namespace

QIcon CommandIcon(int id)
{
    const CommandDef* command = FindCommand(id);
    if (!command || !*command->icon)
        return QIcon();
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    {
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing, false);
        Draw(p, command->icon);
    }
    return QIcon(pixmap);
}

QIcon AppIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        // A sheet of 2 x 2 cells with a little sprite in the first one.
        const int c = size / 2;
        const QColor cells[4] = {QColor(255, 250, 230), QColor(220, 235, 255), QColor(220, 255, 225),
                                 QColor(255, 225, 235)};
        for (int i = 0; i < 4; ++i)
            p.fillRect((i % 2) * c, (i / 2) * c, c, c, cells[i]);
        p.setPen(QColor(0, 160, 200));
        p.drawRect(0, 0, size - 1, size - 1);
        p.drawLine(c, 0, c, size - 1);
        p.drawLine(0, c, size - 1, c);
        const int u = std::max(1, size / 16);
        const char* sprite[] = {"..##..", ".####.", "#.##.#", "######", ".#..#.", "#....#"};
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 6; ++x)
                if (sprite[y][x] == '#')
                    p.fillRect(u + x * u, u + y * u, u, u, QColor(200, 40, 60));
        p.fillRect(c + c / 4, c + c / 4, c / 2, c / 2, QColor(40, 90, 200));
        icon.addPixmap(pixmap);
    }
    return icon;
}
