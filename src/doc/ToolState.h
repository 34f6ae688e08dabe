// The chosen tool and pen, and the pointer's stroke in progress.
#pragma once

#include "doc/Geometry.h"

#include <vector>

class CToolState {
public:
    // Pointer behaviours the stroke operations dispatch on.
    enum : int {
        KIND_EYEDROPPER = -2,
        KIND_FILL = -1,
        KIND_SHAPE = 0,
        KIND_FREEHAND = 1,
        KIND_CURVE = 2,
        KIND_SELECT = 3,
        KIND_MOVE_PASTE = 4,
        KIND_TEXT = 5,
    };

    explicit CToolState(int tool) : m_nTool(tool) {}

    int m_nPenWidth = 1;
    int m_nTool;
    std::vector<CPoint> m_Points;  // the stroke's points so far
    int m_nButton = 0;             // the button held: 0 none, 1 left, 2 right
    CPoint m_ptLast;
};
