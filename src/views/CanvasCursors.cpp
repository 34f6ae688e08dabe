// The tool cursors of the canvas, drawn as 32 x 32 pictures with their hot
// spots: a pencil (tip 0,31), a paint bucket (14,24) and a dropper (2,29).
#include "views/RightView.h"

#include <QCursor>
#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

QPixmap Blank()
{
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    return pm;
}

QCursor PencilCursor()
{
    QPixmap pm = Blank();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, true);
    // The pencil lies along the diagonal from its tip at the bottom left.
    p.translate(0.5, 31.5);
    p.rotate(-45);
    QPen outline(Qt::black, 1.2);
    p.setPen(outline);
    // Point (wood) and lead.
    QPainterPath wood;
    wood.moveTo(0, 0);
    wood.lineTo(9, -4);
    wood.lineTo(9, 4);
    wood.closeSubpath();
    p.setBrush(QColor(240, 210, 160));
    p.drawPath(wood);
    QPainterPath lead;
    lead.moveTo(0, 0);
    lead.lineTo(3.5, -1.6);
    lead.lineTo(3.5, 1.6);
    lead.closeSubpath();
    p.setBrush(Qt::black);
    p.drawPath(lead);
    // Body and eraser.
    p.setBrush(QColor(250, 200, 40));
    p.drawRect(QRectF(9, -4, 24, 8));
    p.setBrush(QColor(230, 120, 140));
    p.drawRect(QRectF(33, -4, 6, 8));
    p.end();
    return QCursor(pm, 0, 31);
}

QCursor BucketCursor()
{
    QPixmap pm = Blank();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(Qt::black, 1.2));
    // A tilted pail.
    p.save();
    p.translate(16, 14);
    p.rotate(-35);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(-7, -6, 14, 14));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(-5, -13, 10, 12), 0, 180 * 16);
    p.restore();
    // Paint pouring from its lip down to the hot spot.
    QPainterPath pour;
    pour.moveTo(8, 14);
    pour.cubicTo(6, 16, 8, 20, 14, 24);
    pour.cubicTo(12, 20, 12, 17, 11, 14);
    pour.closeSubpath();
    p.setBrush(Qt::black);
    p.drawPath(pour);
    p.end();
    return QCursor(pm, 14, 24);
}

QCursor DropperCursor()
{
    QPixmap pm = Blank();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.translate(2.5, 29.5);
    p.rotate(-45);
    p.setPen(QPen(Qt::black, 1.2));
    // Glass tube ending at the tip, then the rubber bulb.
    QPainterPath tube;
    tube.moveTo(0, 0);
    tube.lineTo(4, -1.5);
    tube.lineTo(20, -2.5);
    tube.lineTo(20, 2.5);
    tube.lineTo(4, 1.5);
    tube.closeSubpath();
    p.setBrush(Qt::white);
    p.drawPath(tube);
    p.setBrush(Qt::black);
    p.drawRect(QRectF(20, -4, 3, 8));
    p.drawEllipse(QRectF(23, -4.5, 11, 9));
    p.end();
    return QCursor(pm, 2, 29);
}

} // namespace

QCursor CRightView::ToolCursor(int cursorId)
{
    static QHash<int, QCursor> cursors;
    auto it = cursors.find(cursorId);
    if (it != cursors.end())
        return *it;
    QCursor cursor;
    switch (cursorId) {
    case kCursorPencil: cursor = PencilCursor(); break;
    case kCursorFill: cursor = BucketCursor(); break;
    case kCursorDropper: cursor = DropperCursor(); break;
    default: cursor = QCursor(Qt::ArrowCursor); break;
    }
    cursors.insert(cursorId, cursor);
    return cursor;
}
