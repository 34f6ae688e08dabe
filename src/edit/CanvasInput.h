// The canvas's decisions, apart from any window: where the magnified cell
// lies, which points are accepted and how they are pulled in, how far a drag
// near the edge scrolls, which cursor a tool shows, and which document
// operation each press, move, release, key and character means. The canvas
// widget and the script runner both drive the same CCanvasInput.
#pragma once

#include "doc/KeyFlags.h"
#include "doc/TesvanDoc.h"
#include "platform/Surface.h"

#include <string>

// Virtual key codes the canvas reacts to.
constexpr int kVkShift = 0x10;
constexpr int kVkControl = 0x11;
constexpr int kVkEscape = 0x1B;

// Cursor resources of the tools.
constexpr int kCursorDefault = 0;
constexpr int kCursorFill = 105;
constexpr int kCursorPencil = 322;
constexpr int kCursorDropper = 329;



// ---- geometry (logical view pixels; zoom z, cell W x H sheet pixels)

// The off-screen picture of the cell: (z W + 1) x (z H + 1); it is placed
// with its top-left at (kCanvasOrigin, kCanvasOrigin).
constexpr int kCanvasOrigin = 15;
SurfaceSize CanvasBitmapSize(int zoom, int cellWidth, int cellHeight);
// The scrollable size: (z W + 33) x (z H + 33).
SurfaceSize CanvasScrollSize(int zoom, int cellWidth, int cellHeight);
// Whether a logical point lies on the drawn cell: left and top 16 included,
// right z W + 15 and bottom z H + 15 excluded.
bool InCanvasPointerArea(CPoint q, int zoom, int cellWidth, int cellHeight);
// Pulls a dragged point onto the cell: at or left of 16 becomes 17, at or
// right of z W + 15 becomes z W + 14, likewise vertically.
CPoint ClampCanvasPoint(CPoint q, int zoom, int cellWidth, int cellHeight);
// Wrap mode: the pointer area takes in the eight tiles around the cell
// (one cell size beyond each edge); dragged points are kept within it.
bool InWrappedPointerArea(CPoint q, int zoom, int cellWidth, int cellHeight);
CPoint ClampWrappedPoint(CPoint q, int zoom, int cellWidth, int cellHeight);
// The canvas picture as laid out for the document: the cell, or in wrap
// mode the cell 3 x 3, with the logical frame moved by the shift (z W, z H)
// so that the cell keeps its place at (16, 16).
SurfaceSize CanvasLayoutBitmapSize(const CTesvanDoc& doc);
SurfaceSize CanvasLayoutScrollSize(const CTesvanDoc& doc);
CPoint CanvasWrapShift(const CTesvanDoc& doc);
// The cell-local pixel of a logical point (division truncating toward zero).
CPoint CanvasCellPixel(CPoint q, int zoom);
// The edge-scroll step for a client point during a drag: 4 pixels toward an
// edge closer than 10 pixels, on an axis whose scroll bar is present.
CPoint EdgeScrollDelta(CPoint client, SurfaceSize clientSize, bool horizontalBar, bool verticalBar);
// The cursor of a tool over the client area.
int CanvasCursorFor(int tool);
// The caret's logical position: the text origin plus the typed text's width,
// magnified.
CPoint CanvasCaretPosition(const CTesvanDoc& doc);
// The caret's size: 1 x |lfHeight| z.
SurfaceSize CanvasCaretSize(const CTesvanDoc& doc);
// The status bar's pointer pane for a logical point: "x, y  (sheet X, Y)
// #AARRGGBB" (the index in an 8-bit document); empty off the current cell.
std::string CanvasStatusText(const CTesvanDoc& doc, CPoint q);
// Text for the typed-character path: UTF-8 to code page 932 bytes; false
// (nothing to send) when a character has no code there.
bool CanvasTextBytes(const std::string& utf8, std::string& bytes);

// ---- what the window does for the canvas

class CCanvasHost {
public:
    virtual ~CCanvasHost() = default;
    // The current scroll position (logical point of the client's top-left).
    virtual CPoint ScrollPosition() const = 0;
    virtual SurfaceSize ClientSize() const = 0;
    virtual bool HasHorizontalBar() const = 0;
    virtual bool HasVerticalBar() const = 0;
    virtual void ScrollTo(CPoint position) = 0;
    // Pointer capture: moves keep arriving wherever the pointer goes.
    virtual void SetCapture() = 0;
    virtual void ReleaseCapture() = 0;
    // The text caret, in client coordinates.
    virtual void CreateCaret(SurfaceSize size) = 0;
    virtual void DestroyCaret() = 0;
    virtual void SetCaretPos(CPoint client) = 0;
    // Moves the screen pointer to a client point.
    virtual void SetCursorPos(CPoint client) = 0;
    // The pointer pane of the status bar changed.
    virtual void ShowPointerStatus(const std::string&) {}
};

class CCanvasInput {
public:
    CCanvasInput(CTesvanDoc* doc, CCanvasHost* host) : m_pDoc(doc), m_pHost(host) {}

    // Button press at a client point; button 1 left, 2 right.
    void OnButtonDown(CPoint client, unsigned flags, int button);
    void OnButtonUp(int button, unsigned flags);
    // Every move (with or without a button) also updates the pointer pane.
    void OnMouseMove(CPoint client, unsigned flags);
    // The pointer left the canvas: the pointer pane empties.
    void OnPointerLeave();
    const std::string& PointerStatus() const { return m_strStatus; }
    void OnKeyDown(int key);
    void OnKeyUp(int key);
    // The Shift and Escape handling every view of the document shares (the
    // canvas, the layer tabs and the palette pane); other keys are ignored.
    static void SharedKeyDown(CTesvanDoc& doc, int key);
    static void SharedKeyUp(CTesvanDoc& doc, int key);
    // One character message: a byte of code page 932 or a control code.
    void OnChar(unsigned code);
    // Committed text (input method or typed), fed byte by byte.
    void OnText(const std::string& utf8);
    void OnSetFocus();
    void OnKillFocus();
    // After a document change: the caret follows the text and the tool.
    void OnDocumentChanged();

    void MoveCaret();
    // The document's pointer warp (grabbing and keeping a floating paste):
    // a logical point becomes a client point.
    void MovePointer(CPoint logical);
    bool HasCaret() const { return m_bCaret != 0; }
    bool HasFocus() const { return m_bFocus; }
    bool IsCaptured() const { return m_bCaptured; }

private:
    void CreateTextCaret();
    void RemoveCaret();
    static void ChangeShift(CTesvanDoc& d, int down);

    CTesvanDoc* m_pDoc;
    CCanvasHost* m_pHost;
    int m_bCaret = 0;
    bool m_bFocus = false;
    bool m_bCaptured = false;
    std::string m_strStatus;
};
