// The map window "マップ": the current map drawn from the sheet's chips,
// edited with the pointer through CMapInput; modeless like the animation
// window.
#pragma once

#include "doc/TesvanDoc.h"
#include "map/MapEdit.h"
#include "map/MapRender.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QDialog>

#include <functional>

class QComboBox;
class QLabel;
class QMenu;

class CMapView : public QAbstractScrollArea {
public:
    CMapView(CTesvanDoc* doc, QWidget* parent);
    CMapInput& Input() { return m_Input; }
    // Scroll bars and picture after a change of map, zoom or size.
    void Refresh();
    // The picture of the visible part (transparent outside the map).
    QImage RenderVisible();
    // The cell each sheet cell shows now (animation), or empty: none.
    std::function<std::vector<int>()> m_fnShownCells;

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void scrollContentsBy(int, int) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void wheelEvent(QWheelEvent*) override;
    void keyPressEvent(QKeyEvent*) override;

private:
    CPoint Logical(QPoint client) const;
    CTesvanDoc* m_pDoc;
    CMapInput m_Input;
    CChipCache m_Chips;
    bool m_bSyncing = false;
};

class CMapWindow : public QDialog, public CDocObserver {
public:
    // run: a command as a menu issues it; state: its enable and tick.
    CMapWindow(CTesvanDoc* doc, QWidget* owner, std::function<void(int)> run,
               std::function<std::pair<bool, bool>(int)> state);
    ~CMapWindow() override;
    void OnUpdate(int hint) override;
    CMapView* View() const { return m_pView; }
    // Re-reads the map and layer lists and the zoom.
    void RefreshControls();

protected:
    void timerEvent(QTimerEvent*) override;
    void showEvent(QShowEvent*) override;
    void hideEvent(QHideEvent*) override;

private:
    CTesvanDoc* m_pDoc;
    CMapView* m_pView;
    QComboBox* m_pMaps;
    QComboBox* m_pLayers;
    QLabel* m_pZoom;
    QMenu* m_pMenu;
    QBasicTimer m_Timer;
    std::function<void(int)> m_fnRun;
    std::function<std::pair<bool, bool>(int)> m_fnState;
    bool m_bFilling = false;
};

// The Qt presenter of CMapDlg.
bool PresentMapDlg(CDialogModel& model, QWidget* owner);
