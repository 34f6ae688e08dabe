// Drawing aids: onion skin, wrap mode, symmetry and the pixel-perfect
// pencil. The drawing side works on the tool overlay (marker pixels of the
// cell); the onion skin is a view aid only and touches nothing but the
// picture the canvas shows.
#pragma once

#include "doc/ImageEx.h"
#include "doc/TesvanDoc.h"

#include <cstdint>
#include <vector>


// A marker pixel of the tool overlay: 0x010101, 0x020202 or 0x030303.
inline bool IsMarker(uint32_t v) { return v - 1 < 0x030303u && (v & 0xFF) * 0x010101u == v; }

// The pixels a 1-pixel freehand stroke through `points` covers, in order,
// with every L-corner pixel left out (the middle of three pixels whose
// first and third touch diagonally).
std::vector<CPoint> PixelPerfectPath(const std::vector<CPoint>& points);

// Copies every marker pixel of a cell-sized 32-bit overlay to its mirror
// image about the cell's centre lines.
void MirrorMarkers(CImageEx& overlay, int symmetry);
// Folds a 3W x 3H overlay (the cell in its middle tile) onto the W x H cell
// overlay: a marker anywhere lands on its position modulo the cell.
void FoldWrapped(const CImageEx& tiles, CImageEx& cell);
// Flood fill of the 4-connected area of the seed's colour with `marker`;
// with wrap the area continues across the cell's edges.
void FillArea(CImageEx& overlay, int x, int y, uint32_t marker, bool wrap);

// Cell numbers of the onion frames: `direction` -1 previous, +1 next,
// nearest first, at most `count`. The frames come from the first animation
// slot that lists the current cell, otherwise from the sheet's reading order.
std::vector<int> OnionCells(const CTesvanDoc& doc, int direction, int count);

// The cell part (px0, py0, n x m cell pixels) as the canvas shows it, into a
// 32-bit n x m image: the working image drawn over `back`, then, with the
// onion skin on, the tinted neighbouring frames where the current layer is
// empty.
void RenderCellPixels(const CTesvanDoc& doc, CImageEx& out, int px0, int py0, int n, int m,
                      uint32_t back);
