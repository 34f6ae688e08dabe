// The canvas: the current cell magnified m_nZoom times.
#pragma once

#include "doc/TesvanDoc.h"

#include <QAbstractScrollArea>

class CRightView : public QAbstractScrollArea, public CDocObserver {
    Q_OBJECT
public:
    explicit CRightView(CTesvanDoc* doc, QWidget* parent = nullptr);
    ~CRightView() override;

    CTesvanDoc* GetDocument() const { return m_pDoc; }
    QSize ScrollSize() const { return m_szScroll; }
    void OnUpdate(int hint) override;
    void OnInitialUpdate();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void SetScrollSize(QSize size);

    CTesvanDoc* m_pDoc;
    QSize m_szScroll{100, 100};
};
