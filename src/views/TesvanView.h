// The layer tab view: one tab per layer around a two-pane splitter.
#pragma once

#include "doc/TesvanDoc.h"

#include <QWidget>

class CLeftView;
class CRightView;
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

    // Hint 0: re-read the captions, select the current layer's tab.
    void OnUpdate(int hint) override;
    // Initial update of each new or loaded document.
    void OnInitialUpdate();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void OnTabChanged(int index);
    void LayoutChildren();

    CTesvanDoc* m_pDoc;
    QTabBar* m_pTabs = nullptr;
    QSplitter* m_pSplitter = nullptr;
    CLeftView* m_pLeft = nullptr;
    CRightView* m_pRight = nullptr;
    bool m_bColumnsSet = false;
    bool m_bUpdatingTabs = false;
};
