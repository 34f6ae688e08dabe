// Shared scrolling behaviour of the two panes: a logical area in device
// pixels, scrolled by the scroll bars.
#pragma once

#include <QAbstractScrollArea>
#include <QScrollBar>

inline void SetScrollArea(QAbstractScrollArea* area, QSize size)
{
    QSize view = area->viewport()->size();
    area->horizontalScrollBar()->setRange(0, qMax(0, size.width() - view.width()));
    area->horizontalScrollBar()->setPageStep(view.width());
    area->horizontalScrollBar()->setSingleStep(16);
    area->verticalScrollBar()->setRange(0, qMax(0, size.height() - view.height()));
    area->verticalScrollBar()->setPageStep(view.height());
    area->verticalScrollBar()->setSingleStep(16);
}

inline QPoint ScrollPosition(const QAbstractScrollArea* area)
{
    return QPoint(area->horizontalScrollBar()->value(), area->verticalScrollBar()->value());
}
