// The palette and sheet pane (for now the whole sheet at its real size).
#pragma once

#include "doc/TesvanDoc.h"

#include <QAbstractScrollArea>

class CLeftView : public QAbstractScrollArea, public CDocObserver {
    Q_OBJECT
public:
    explicit CLeftView(CTesvanDoc* doc, QWidget* parent = nullptr);
    ~CLeftView() override;

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
