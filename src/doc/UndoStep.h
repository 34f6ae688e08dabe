// Steps of the undo history. A step keeps the state its operation replaced;
// undoing exchanges that with the document's present state, so the same step
// redoes afterwards and holds only one copy at any time.
#pragma once

#include "doc/Layer.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CTesvanDoc;

class CUndoStep {
public:
    virtual ~CUndoStep() = default;
    // Both exchange the kept state with the document's; the caller recomposes.
    virtual void Undo(CTesvanDoc& doc) = 0;
    virtual void Redo(CTesvanDoc& doc) = 0;
    // Bytes the step keeps, for the history's memory budget.
    virtual size_t Size() const = 0;
    // The name the Edit menu gives the step ("鉛筆", "カラー変更", ...).
    virtual std::string Name() const = 0;
    // The update hint that announces the exchange.
    virtual int Hint() const { return 3; }
};

// One saved rectangle of one layer: run-length coded, or the bare rows when
// the code would be the larger (noise, dithering).
struct CUndoRegion {
    CLayerRegion region;
    bool bRaw = false;
};
