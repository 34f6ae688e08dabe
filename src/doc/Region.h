// Writing a run-length packed layer region back into an image, turned a
// quarter turn clockwise and mirrored as a floating paste is shown.
#pragma once

#include "doc/ImageEx.h"
#include "doc/Geometry.h"
#include "doc/Layer.h"

class CTesvanDoc;

// Flip bits of a paste: mirror the source's columns, its rows.
enum : int {
    FLIP_COLUMNS = 1,
    FLIP_ROWS = 2,
};

// The region's w x h source pixels go to the image with the source's top-left
// at (x, y) (after rotation and mirroring). Opaque writes every pixel; a
// transparent write leaves the image alone where the value is 0. Pixels
// falling outside the image are dropped.
// 8-bit documents: 2-byte units (index, count).
void PutRegion8(const CLayerRegion& region, CImageEx& image, int x, int y, bool rotated,
                int flip, bool opaque);
// 32-bit documents: 5-byte units (pixel, count).
void PutRegion32(const CLayerRegion& region, CImageEx& image, int x, int y, bool rotated,
                 int flip, bool opaque);
// Picks the variant by the image's depth (which is the document's).
void PutRegion(const CLayerRegion& region, CImageEx& image, int x, int y, bool rotated, int flip,
               bool opaque);
// As PutRegion, writing only inside `clip` (sheet pixels, inclusive).
void PutRegionClipped(const CLayerRegion& region, CImageEx& image, int x, int y, bool rotated,
                      int flip, bool opaque, const CRect& clip);

// One piece of the floating paste as the drawing aids place it: at m_rcSel,
// with symmetry also mirrored (content and place) about the current cell's
// centre lines, in wrap mode every copy wrapped into the current cell. The
// paste's own pixels win where copies overlap. Without aids: PutRegion at
// m_rcSel's corner.
void PutPaste(const CTesvanDoc& doc, const CLayerRegion& piece, CImageEx& image, bool opaque);
// The rectangle PutPaste writes into (sheet pixels, inclusive): m_rcSel
// without aids, within the current cell with them.
CRect PasteBounds(const CTesvanDoc& doc);
