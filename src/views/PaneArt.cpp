#include "views/PaneArt.h"

#include <QBitmap>
#include <QPainter>
#include <QPixmap>

namespace {

const QColor kKey(0, 255, 0);

// One 16 x 17 picture at x offset `left`: a white square framed black on
// white or (current) yellow; a visible layer shows a blue and a dark red
// rectangle inside.
void DrawTab(QPainter& p, int left, bool hidden, bool current)
{
    p.fillRect(left, 0, 16, 17, kKey);
    if (current)
        p.fillRect(left, 0, 16, 17, QColor(255, 255, 0));
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    if (hidden) {
        p.fillRect(left + 3, 3, 10, 11, Qt::white);
        return;
    }
    p.drawRect(left + 3, 3, 9, 10);
    p.fillRect(left + 5, 5, 4, 4, QColor(0, 0, 255));
    p.fillRect(left + 7, 9, 4, 3, QColor(128, 0, 0));
}

} // namespace

QImage TabIconStrip()
{
    QImage strip(64, 17, QImage::Format_RGB32);
    QPainter p(&strip);
    for (int i = 0; i < 4; ++i)
        DrawTab(p, 16 * i, i & 1, i & 2);
    return strip;
}

QIcon TabIcon(int index)
{
    static QPixmap icons[4];
    if (index < 0 || index > 3)
        return {};
    if (icons[index].isNull()) {
        QImage part = TabIconStrip().copy(16 * index, 0, 16, 17);
        QPixmap pixmap = QPixmap::fromImage(part);
        pixmap.setMask(QBitmap::fromImage(part.createMaskFromColor(kKey.rgb(), Qt::MaskInColor)));
        icons[index] = pixmap;
    }
    return QIcon(icons[index]);
}

namespace {

QPixmap Blank()
{
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    return pm;
}

} // namespace

QCursor DropperCursor()
{
    QPixmap pm = Blank();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, false);
    // Tip at the bottom left (hot spot), barrel up to the right, rubber bulb.
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygon({QPoint(1, 30), QPoint(3, 24), QPoint(12, 15), QPoint(16, 19),
                            QPoint(7, 28)}));
    p.setBrush(Qt::black);
    p.drawPolygon(QPolygon({QPoint(11, 14), QPoint(17, 20), QPoint(20, 17), QPoint(14, 11)}));
    p.drawEllipse(QRect(16, 5, 10, 10));
    p.end();
    return QCursor(pm, 1, 30);
}

QCursor PaperCursor()
{
    QPixmap pm = Blank();
    QPainter p(&pm);
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawRect(0, 0, 15, 19);
    for (int y = 4; y <= 16; y += 3)
        p.drawLine(3, y, 12, y);
    p.end();
    return QCursor(pm, 0, 0);
}
