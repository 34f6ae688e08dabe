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

    // Hint 0: re-read the captions, select the current layer's tab.
    void OnUpdate(int hint) override;
    // Initial update of each new or loaded document.
    void OnInitialUpdate();

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void OnTabChanged(int index);
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
};
