// The four animation slots a document keeps, and the animation window that
// shows them.
#pragma once

#include <string>

struct CAnimeSlot {
    std::string strFrames;
    int nSpeed = 2;
};

// The modeless animation window as the document sees it.
class CAnimeWindow {
public:
    virtual ~CAnimeWindow() = default;
    virtual void ShowWindow(bool show) = 0;
    virtual void RefreshLayout() = 0;
};

class CAnimeSlots {
public:
    static constexpr int kAnimeSlots = 4;

    // Empty lists at speed 2.
    void ClearAnimeSlots()
    {
        for (CAnimeSlot& slot : m_Anime)
            slot = CAnimeSlot{};
    }

    CAnimeSlot m_Anime[kAnimeSlots];
    int m_bAnimeShown = 0;
    CAnimeWindow* m_pAnimeDlg = nullptr;
};
