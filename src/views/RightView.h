// The canvas: the current cell magnified m_nZoom times, with its grid and
// selection frame; turns pointer, key and character input into the
// document's editing operations through CCanvasInput.
#pragma once

#include "doc/TesvanDoc.h"
#include "edit/CanvasInput.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <QTimer>

#include <functional>

class QKeyEvent;

// Shift and Escape as the canvas handles them, for any view of the document
// (the canvas itself, the layer tabs, the palette pane). Accepts the event
// and returns true for those two keys, so no parent handles them again.
bool HandleSharedViewKey(CTesvanDoc& doc, QKeyEvent* event);

class CRightView : public QAbstractScrollArea, public CDocObserver, public CCanvasHost {
    Q_OBJECT
public:
    explicit CRightView(CTesvanDoc* doc, QWidget* parent = nullptr);
    ~CRightView() override;

    CTesvanDoc* GetDocument() const { return m_pDoc; }
    QSize ScrollSize() const { return m_szScroll; }
    // The decisions of the canvas; the widget's events and the script
    // runner both go through it.
    CCanvasInput& Input() { return m_Input; }
    void OnUpdate(int hint) override;
    void OnInitialUpdate();
    // The canvas showing a document (the last one set up for it), or null.
    // The shell keeps this, not the document.
    static CRightView* CanvasOf(const CTesvanDoc* doc);

    // The cell picture of bitmap rectangle `part` (bitmap coordinates: the
    // frame at column and row 0, cell pixel (px, py) at 1 + z px, 1 + z py).
    // In wrap mode the picture holds the cell 3 x 3 (the cell's own tile in
    // the middle, at (z W, z H)).
    static QImage RenderCanvas(const CTesvanDoc& doc, const QRect& part);
    // The sheet around the current cell, magnified and dimmed, for a
    // rectangle of logical points (grey beyond the sheet).
    static QImage RenderNeighbours(const CTesvanDoc& doc, const QRect& logical);
    // What the canvas shows at a logical point (grid, onion skin,
    // neighbours and wrap tiles included).
    QRgb ShownColor(CPoint logical) const;
    // One wheel step per unit of `steps` (positive: up) at a client point:
    // with Control the zoom moves through its range, keeping the cell pixel
    // under the pointer in place where the canvas can scroll; otherwise the
    // canvas scrolls (Shift: sideways).
    void Wheel(CPoint client, int steps, unsigned flags);
    // Where the pointer pane's text goes (the main frame's status bar).
    void SetStatusSink(std::function<void(const QString&)> sink) { m_StatusSink = std::move(sink); }
    // The cursor resource of a tool, drawn.
    static QCursor ToolCursor(int cursorId);
    // The caret rectangle in client coordinates (empty without a caret).
    QRect CaretRect() const { return m_bCaretExists ? m_rcCaret : QRect(); }

    // CCanvasHost
    CPoint ScrollPosition() const override;
    SurfaceSize ClientSize() const override;
    bool HasHorizontalBar() const override;
    bool HasVerticalBar() const override;
    void ScrollTo(CPoint position) override;
    void SetCapture() override;
    void ReleaseCapture() override;
    void CreateCaret(SurfaceSize size) override;
    void DestroyCaret() override;
    void SetCaretPos(CPoint client) override;
    void SetCursorPos(CPoint client) override;
    void ShowPointerStatus(const std::string& text) override;

protected:
    // Keys that type text win over the one-key shortcuts while the text
    // tool has an entry.
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    static QImage RenderCell(const CTesvanDoc& doc, const QRect& part, bool selection);
    // Whether the dimmed neighbouring cells surround the picture.
    bool ShowsNeighbours() const;
    void SetScrollSize(QSize size);
    void UpdateCursor();
    void OnCaretTimer();

    CTesvanDoc* m_pDoc;
    CCanvasInput m_Input;
    QSize m_szScroll{100, 100};
    CPoint m_ptWrapShift;  // the wrap shift the scroll bars were last set for
    int m_nCursor = -1;
    bool m_bGrabbed = false;
    // The caret, drawn inverted over the canvas and blinking.
    QRect m_rcCaret;
    bool m_bCaretExists = false;
    bool m_bCaretOn = false;
    QTimer m_CaretTimer;
    std::function<void(const QString&)> m_StatusSink;
    int m_nWheelRest = 0;             // wheel angle short of a whole step
};
