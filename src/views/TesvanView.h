// The layer tab view: one tab per layer around a two-pane splitter.
#pragma once

#include "doc/TesvanDoc.h"

#include <QWidget>

class CLeftView;
class CRightView;
class QMenu;
class QSplitter;
class QTabBar;

class CTesvanView : public QWidget, public CDocObserver {
    Q_OBJECT
public:
    static constexpr int kMinPaneWidth = 74;

    explicit CTesvanView(CTesvanDoc* doc, QWidget* parent = nullptr);
    ~CTesvanView() override;

    CTesvanDoc* GetDocument() const { return m_pDoc; }
    CLeftView* LeftView() const { return m_pLeft; }
    CRightView* RightView() const { return m_pRight; }
    QTabBar* TabBar() const { return m_pTabs; }
    QSplitter* Splitter() const { return m_pSplitter; }
    bool ColumnsSet() const { return m_bColumnsSet; }

    // The layer whose tab was right-clicked last (-1 none); the layer menu
    // acts on it.
    int MenuLayer() const { return m_nMenuLayer; }
    CLayer* MenuLayerPtr() const { return m_pMenuLayer; }
    void SetLayerMenu(QMenu* menu) { m_pLayerMenu = menu; }
    // A right-button release on the tab bar at pos: drops the selection and
    // opens the layer menu for the tab there; false when no tab is there.
    bool OnTabRightRelease(const QPoint& pos);
    // The right-button release on tab `tab`: drops the selection, names the
    // menu layer and opens the layer menu (at `screen` when given; a script
    // picks the item with its next command).
    void OpenLayerMenu(int tab, const QPoint* screen);
    // The user selects tab `index`.
    void SelectTab(int index);
    // Tab i's icon index (0..3) and text as the tab shows them.
    int TabIconIndex(int tab) const;
    QString TabText(int tab) const;
    // Text and icon of tab i from layer i.
    void RefreshTab(int tab);

    // The layer menu's commands on the menu layer; enable and tick rules.
    void OnLayerShow();
    void OnLayerProperties();
    void OnLayerMove(int step);    // -1 left, +1 right

    // Hint 0: re-read the captions, select the current layer's tab.
    void OnUpdate(int hint) override;
    // Initial update of each new or loaded document.
    void OnInitialUpdate();

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    void OnTabChanged(int index);
    void SetTabIcon(int tab, int icon);
    void LayoutChildren();

    CTesvanDoc* m_pDoc;
    QTabBar* m_pTabs = nullptr;
    QSplitter* m_pSplitter = nullptr;
    CLeftView* m_pLeft = nullptr;
    CRightView* m_pRight = nullptr;
    QMenu* m_pLayerMenu = nullptr;
    CLayer* m_pMenuLayer = nullptr;
    int m_nMenuLayer = -1;
    bool m_bColumnsSet = false;
    bool m_bUpdatingTabs = false;
    int m_nSelectedTab = -1;
};
