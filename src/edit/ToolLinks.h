// The tool code's calls into the selection, undo and palette code, kept in
// one place so that each call has a single line to follow when its owner
// changes it.
#pragma once

#include "doc/TesvanDoc.h"

namespace toollinks {

// Records the rectangle of one layer before a stroke or a text commit
// changes it; advances the undo ring when something was saved.
void PushLayerUndo(CTesvanDoc& doc, int layerIndex, int command, const CRect& rc);
// The end of a selection drag: the points become the selected rectangle.
void FinishSelection(CTesvanDoc& doc);
// Pulls the floating paste back inside the current cell; true if it moved.
bool KeepPasteInCell(CTesvanDoc& doc);
// The eyedropper's change of one palette entry, with its own undo entry.
void ChangePaletteColor(CTesvanDoc& doc, int entry, uint32_t colour);

}  // namespace toollinks
