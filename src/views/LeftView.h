// The palette and sheet pane: the two drawing colours, the shared palette,
// the current layer's chip page and the whole sheet at its real size.
#pragma once

#include "doc/TesvanDoc.h"
#include "views/plain/PaneLayout.h"

#include <QAbstractScrollArea>

class QMenu;

class CLeftView : public QAbstractScrollArea, public CDocObserver {
    Q_OBJECT
public:
    explicit CLeftView(CTesvanDoc* doc, QWidget* parent = nullptr);
    ~CLeftView() override;

    CTesvanDoc* GetDocument() const { return m_pDoc; }
    QSize ScrollSize() const { return m_szScroll; }
    void OnUpdate(int hint) override;
    void OnInitialUpdate();
    void SetPaletteMenu(QMenu* menu) { m_pPaletteMenu = menu; }

    // A button release at logical point (x, y): button 0 left, 1 right.
    // With Control the palette menu opens (at `screen` when given; a script
    // picks the item with its next command) and nothing else happens.
    void ReleaseAt(int x, int y, int button, bool control, const QPoint* screen);
    // Enable rule and action of the palette menu's commands for the entry of
    // the last release.
    bool MenuEnabled(int id) const;
    void MenuCommand(int id);
    int HitArea() const { return m_nHitArea; }
    int HitIndex() const { return m_nHitIndex; }
    bool OverPalette() const { return m_bOverPalette; }

    // Draws the pane's logical rectangle `area` into p (already translated so
    // that logical coordinates apply).
    void Render(QPainter& p, const QRect& area) const;
    // The tooltip at a logical point: a palette entry's number and `R G B`
    // (an alpha level's level), or a drawing colour's; empty elsewhere.
    QString ToolTipAt(int x, int y) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void SetScrollSize(QSize size);
    void UpdateCursor(bool control);

    CTesvanDoc* m_pDoc;
    QSize m_szScroll{100, 100};
    QMenu* m_pPaletteMenu = nullptr;
    int m_nHitArea = -1;
    int m_nHitIndex = 0;
    int m_bOverPalette = 0;
};
