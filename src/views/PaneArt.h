// Pictures of the palette pane and the layer tabs, drawn in code: the four
// tab icons and the dropper and paper cursors.
#pragma once

#include <QCursor>
#include <QIcon>
#include <QImage>

// The 64 x 17 strip of four 16-pixel tab pictures (green is transparent).
QImage TabIconStrip();
// Icon `index` (0..3) of the strip, with green made transparent.
QIcon TabIcon(int index);
QCursor DropperCursor();
QCursor PaperCursor();
