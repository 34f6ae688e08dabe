// Pictures of the document's working image for painting.
#pragma once

#include <QColor>
#include <QImage>
#include <QRect>

#include <vector>

class CTesvanDoc;

// The sheet rectangle src of m_imgWork drawn by the image's own draw
// operation (colour key, alpha blend or copy, as the image is set up) over
// the sheet background, scaled to size; null without a working image.
QImage RenderWorkImage(const CTesvanDoc& doc, const QRect& src, const QSize& size);
// The colour the views fill behind the sheet: palette entry 0 in an 8-bit
// document, m_crBackground in a 32-bit one.
QColor SheetBackground(const CTesvanDoc& doc);
// The sheet rectangles the console check outlines (tiles, or whole cells
// that cannot be cut); none while the check is off.
std::vector<QRect> ConsoleOutlines(const CTesvanDoc& doc);
