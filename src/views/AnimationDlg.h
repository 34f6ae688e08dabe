// The animation preview "アニメーション表示": four panes, each playing the
// cell list of one animation slot of the document at the slot's speed.
#pragma once

#include "doc/Anime.h"
#include "doc/TesvanDoc.h"

#include <QBasicTimer>
#include <QDialog>

class QPushButton;
class CAnimePane;

class CAnimaitionDlg : public QDialog, public CAnimeWindow {
    Q_OBJECT
public:
    static constexpr int kTimerMs = 150;
    // While a slot has a step time of its own the timer ticks this often.
    static constexpr int kFineTimerMs = 10;

    CAnimaitionDlg(CTesvanDoc* doc, QWidget* owner);
    ~CAnimaitionDlg() override;
    // Paints the cell pictures again (after a change of pixels, palette or
    // background; the sheet pane calls it as it repaints).
    void RepaintCells();

    // The document's view of the window.
    void ShowWindow(bool show) override;
    void RefreshLayout() override;

    // Messages of timer 1 (`count` of them in a row): every pane with frames
    // counts down and steps. Nothing happens while the timer is stopped. A
    // tick is kTimerMs, or kFineTimerMs while a slot has a step time.
    void OnTimer(int count = 1);
    // The "設定" button of slot k.
    void OnSetting(int slot);

    // Whether timer 1 runs (exactly while the window is shown).
    bool IsTimerRunning() const { return m_bTimer; }
    const CAnimePlayer& Player(int slot) const { return m_Players[slot]; }
    // The cell pane k shows now, or -1 when it shows none (the window is
    // hidden, the slot has no frames or the cell lies beyond the sheet).
    int ShownCell(int slot) const;

    // Script runs deliver the timer's ticks themselves: the timer is then
    // only marked running, never armed, so no tick arrives by the clock.
    static void SetManualTicks(bool manual) { s_bManualTicks = manual; }

    CTesvanDoc* GetDocument() const { return m_pDoc; }

    // The panes show each cell enlarged 1-8 times (kept in the settings).
    static constexpr int kMaxZoom = 8;
    int Zoom() const { return m_nZoom; }
    void SetZoom(int zoom);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void StartPlaying();
    void StopTimer();
    int TimerPeriod() const;

    CTesvanDoc* m_pDoc;
    CAnimePlayer m_Players[CTesvanDoc::kAnimeSlots];
    CAnimePane* m_pPictures[CTesvanDoc::kAnimeSlots] = {};
    QPushButton* m_pButtons[CTesvanDoc::kAnimeSlots] = {};
    QBasicTimer m_Timer;
    bool m_bTimer = false;
    int m_nPeriod = kTimerMs;
    int m_nZoom = 1;
    int m_nWheelRest = 0;
    static inline bool s_bManualTicks = false;
};

// Installs the document's hook that creates the window, owned by `owner`
// (the main window).
void InstallAnimeWindowHook(QWidget* owner);

// The Qt presenter of CSetAnimeDlg.
bool PresentSetAnimeDlg(CDialogModel& model, QWidget* owner);
