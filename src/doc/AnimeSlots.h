// The four animation slots a document keeps, and the animation window that
// shows them.
#pragma once

#include <string>

// How a slot's frame list is played.
enum : int {
    ANIME_FORWARD = 0,       // 順方向: first to last, again
    ANIME_REVERSE = 1,       // 逆方向: last to first, again
    ANIME_PINGPONG = 2,      // 往復: first to last and back, ends not repeated
};

struct CAnimeSlot {
    std::string strFrames;
    int nSpeed = 2;
    std::string strName;     // "anime1".."anime4" unless renamed
    int nDirection = ANIME_FORWARD;
    int nStepMs = 0;         // a step time of its own (extension block), 0 = by nSpeed
    bool operator==(const CAnimeSlot&) const = default;
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

    // The name a slot has in a new document: "anime1" .. "anime4".
    static std::string DefaultAnimeName(int slot) { return "anime" + std::to_string(slot + 1); }

    // Empty lists at speed 2, played forward, under the default names.
    void ClearAnimeSlots()
    {
        for (int k = 0; k < kAnimeSlots; ++k) {
            m_Anime[k] = CAnimeSlot{};
            m_Anime[k].strName = DefaultAnimeName(k);
        }
    }

    CAnimeSlots() { ClearAnimeSlots(); }

    CAnimeSlot m_Anime[kAnimeSlots];
    int m_bAnimeShown = 0;
    CAnimeWindow* m_pAnimeDlg = nullptr;
};
