// The state of the drawing aids (edit/Aids.h does the work). View state of
// the editor, not of the file: nothing here is saved with a document.
#pragma once

#include "doc/Geometry.h"

#include <cstdint>
#include <vector>

enum : int { SYMMETRY_NONE = 0, SYMMETRY_LR = 1, SYMMETRY_UD = 2, SYMMETRY_BOTH = 3 };

struct CDrawingAids {
    int bOnionSkin = 0;
    int bWrap = 0;
    int nSymmetry = SYMMETRY_NONE;
    int bPixelPerfect = 0;
    // Onion tints (0x00BBGGRR), opacity in percent (10-90), frames each way (1-2).
    uint32_t crOnionPrev = 0x0000FF;
    uint32_t crOnionNext = 0xFF0000;
    int nOnionOpacity = 30;
    int nOnionFrames = 1;

    // Out-of-range settings are pulled into range.
    void Normalize();
};

// The cell positions the mirrors of p take about the centre lines of a
// width x height cell: p itself first, then its left-right image, then the
// top-bottom images of those.
std::vector<CPoint> MirroredPoints(CPoint p, int width, int height, int symmetry);
