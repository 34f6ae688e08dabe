// Playing the document's animation slots: the frame lists, the players the
// animation window steps with its timer, and the slot settings dialog.
#pragma once

#include "platform/DialogModel.h"

#include <string>
#include <vector>

// The period of the animation window's timer, in milliseconds.
constexpr int kAnimeTimerMs = 150;

// The playing state of one pane of the animation window.
struct CAnimePlayer {
    int nWait = 0;               // ticks left until the next frame
    int nPos = 0;                // index into aFrames of the frame shown
    std::vector<int> aFrames;    // cell numbers of one loop, as played

    // One timer tick for a slot of the given speed; true when the pane
    // shows another frame (and must be repainted). A player without frames
    // is skipped.
    bool Tick(int speed);
    // `ticks` ticks in a row, as many calls of Tick would do but at the cost
    // of one; true when the frame shown changed at least once.
    bool Advance(long long ticks, int speed);
    // The cell number shown now, or -1 without frames.
    int Current() const;
};

// The cell numbers of a frame list: the text split at every "," (empty
// pieces kept), each piece read as a decimal number from its start (blanks
// skipped, an optional sign, digits up to the first other character; 0
// without digits). An empty text gives no frames.
std::vector<int> ParseAnimeFrames(const std::string& list);
// One piece as above; values beyond an int saturate.
int AnimeFrameNumber(const std::string& piece);

// Speed names of the settings dialog: 1 "早い", 2 "普通", 3 "遅い"; any other
// speed has the empty name. A name other than "早い" or "遅い" means 2.
std::string AnimeSpeedName(int speed);
int AnimeSpeedFromName(const std::string& name);

// Where the animation window puts its four panes and buttons, in client
// pixels, for cells of w x h and buttons bh high. Slot k sits in column
// k mod 2 and row k div 2; a column is at least 64 pixels wide so the
// buttons keep their size for small cells.
struct AnimeLayout {
    struct Box {
        int x = 0, y = 0, cx = 0, cy = 0;
        bool operator==(const Box&) const = default;
    };
    int nClientWidth = 0;
    int nClientHeight = 0;
    Box Picture[4];              // each with a 1-pixel border around one cell
    Box Button[4];
};
AnimeLayout ComputeAnimeLayout(int cellWidth, int cellHeight, int buttonHeight);

// The cells of one loop of a frame list played in a direction: forward
// as listed, reverse from the last, ping-pong there and back without
// repeating either end (0,1,2 plays 0,1,2,1).
std::vector<int> PlayedAnimeFrames(const std::vector<int>& frames, int direction);

// "アニメーション設定": one slot's name, frame list, speed and direction.
class CSetAnimeDlg : public CDialogModel {
public:
    static constexpr const char* kTitle = "アニメーション設定";
    static constexpr const char* kNameLabel = "名前";
    static constexpr const char* kFramesLabel = "イメージID(0から 例:0,1,2,1)";
    static constexpr const char* kSpeedLabel = "スピード";
    static constexpr const char* kDirectionLabel = "再生方向";
    static constexpr const char* kNoName = "名前を入力してください。";
    // The speed list, in this order.
    static const char* const kSpeeds[3];
    // The directions 0, 1, 2.
    static const char* const kDirections[3];

    const char* ClassName() const override { return "CSetAnimeDlg"; }
    bool SetField(const std::string& name, const std::string& value, std::string& error) override;
    // A slot needs a name: it names the slot's animation in exported data.
    bool Validate(std::string& message) override;

    std::string m_strName;
    std::string m_strFrames;
    std::string m_strSpeed;      // an editable combo box
    int m_nDirection = 0;        // ANIME_FORWARD, ANIME_REVERSE, ANIME_PINGPONG
};
