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

    int nElapsed = 0;            // milliseconds run since the last step or tick

    // `ms` milliseconds of play for a slot of the given speed or, when
    // stepMs is positive, of that step time; true when the frame shown
    // changed. Speeds count in ticks of kAnimeTimerMs.
    bool Run(long long ms, int speed, int stepMs);
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

// The check a frame list gets when it is confirmed in the settings dialog:
// every piece a cell number below `cells`, or a range "A-B" of them (played
// from A to B, either way). False with the message naming the first bad
// piece. `stored` receives the text to keep: the list as typed, or with its
// ranges written out when it has any, so every reader of the file plays
// the same cells.
bool CheckAnimeFrames(const std::string& list, long long cells, std::string& stored,
                      std::string& message);

// The step times a slot may have besides its speed, in milliseconds.
constexpr int kAnimeStepMin = 20;
constexpr int kAnimeStepMax = 10000;
// The speed (1..3) whose step lies nearest to a step time.
int AnimeSpeedForStep(int stepMs);
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
    static constexpr const char* kStepLabel = "ステップ時間(ミリ秒、0 はなし)";
    static constexpr const char* kBadStep = "ステップ時間には 0 (なし) か 20 から 10000 までの整数を入力してください。";
    // The speed list, in this order.
    static const char* const kSpeeds[3];
    // The directions 0, 1, 2.
    static const char* const kDirections[3];

    const char* ClassName() const override { return "CSetAnimeDlg"; }
    bool SetField(const std::string& name, const std::string& value, std::string& error) override;
    // A slot needs a name: it names the slot's animation in exported data.
    // A changed frame list must name cells of the sheet.
    bool Validate(std::string& message) override;

    std::string m_strName;
    std::string m_strFrames;
    std::string m_strSpeed;      // one of kSpeeds
    int m_nDirection = 0;        // ANIME_FORWARD, ANIME_REVERSE, ANIME_PINGPONG
    int m_nStepTime = 0;         // milliseconds a frame shows, 0 = by the speed

    // Set by whoever opens the dialog: the list as the slot holds it (left
    // unchecked, since cells may lie beyond a sheet made smaller) and the
    // sheet's cell count.
    std::string m_strOldFrames;
    long long m_nCells = 0;
};
