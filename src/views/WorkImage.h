// Pieces of the document's working image as QImages, for painting.
#pragma once

#include <QColor>
#include <QImage>
#include <QRect>

class CTesvanDoc;

// A top-down copy of the given sheet rectangle of m_imgWork (clipped to the
// sheet; null when nothing is left or there is no working image).
// 8-bit: indexed with the working image's colour table, every entry opaque,
// so index 0 shows the sheet background (palette entry 0). 32-bit: the
// composed pixels, shown opaque.
QImage WorkImageRegion(const CTesvanDoc& doc, const QRect& sheetRect);
// The colour the views fill behind the sheet.
QColor SheetBackground(const CTesvanDoc& doc);
