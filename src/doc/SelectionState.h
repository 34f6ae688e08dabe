// The selection and the floating paste: what the selection tools, the Edit
// menu's cut, copy and paste, and the composition of the paste preview share.
#pragma once

#include "doc/Geometry.h"
#include "doc/Layer.h"

#include <cstdint>

// Where the selection stands. The values are those scripts print.
enum class SelState : int {
    None = 0,      // nothing selected
    Selected = 1,  // a rectangle is selected (cut and copy apply)
    Floating = 2,  // a paste floats above the layers (paste, turns, mirrors)
    Grabbed = 3,   // the floating paste was just pressed: nothing until it moves
};

class CSelectionState {
public:
    static constexpr int kPieces = 12;  // one piece per layer slot

    bool CanCutCopy() const { return m_nSelState == SelState::Selected; }
    bool CanPaste() const { return m_nSelState == SelState::Floating; }
    // A paste floats, whether or not the pointer holds it.
    bool IsPasteFloating() const
    {
        return m_nSelState == SelState::Floating || m_nSelState == SelState::Grabbed;
    }
    // Back to no selection, no paste and no pieces.
    void ClearSelectionState();

    uint32_t m_crMarquee = 0x808080;
    SelState m_nSelState = SelState::None;
    int m_nSelLayer = 0;
    CRect m_rcSel;
    int m_bPasteRotated = 0;
    int m_nPasteFlip = 0;
    int m_nPieceCount = 0;
    CLayerRegion m_Pieces[kPieces];
    int m_bShift = 0;  // the paste preview is transparent while Shift is held

    // What the last cut or copy took, kept while no paste floats (a tool
    // change, Escape, a right press, another cell or undo drops the floating
    // paste, not the pieces), so that paste can float it again: the pieces,
    // their selection layer, the depth they were packed in (set as they are
    // made: a load may change the document's depth before the paste is
    // dropped), and the cell-local place and turn of the paste when it was
    // dropped.
    int m_nKeptCount = 0;
    CLayerRegion m_Kept[kPieces];
    int m_nKeptLayer = 0;
    int m_nKeptBits = 0;
    CRect m_rcKept;
    int m_bKeptRotated = 0;
    int m_nKeptFlip = 0;
};
