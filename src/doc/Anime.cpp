#include "doc/Anime.h"

#include "doc/TesvanDoc.h"
#include "platform/Cp932.h"
#include "platform/TextSplit.h"
#include "platform/UiPort.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstdint>

namespace {

constexpr const char* kOutOfRange = "範囲外のデータが設定されています。「%1」";
constexpr const char* kBadRange = "範囲の書き方が正しくありません。「%1」(例:0-3)";
constexpr const char* kTooManyFrames = "フレームが多すぎます。「%1」";
// Ranges are written out into the stored list; this keeps that list small
// (a list typed out in full is taken as it is).
constexpr size_t kMaxRangeFrames = 10000;

std::string Named(const char* text, const std::string& piece)
{
    std::string s = text;
    s.replace(s.find("%1"), 2, piece);
    return s;
}

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The pieces of a frame list between its commas, empty ones kept. Lists are
// held as UTF-8 but split as code page 932 text; read as such, a UTF-8 byte
// could take the comma after it for its second half. Pieces only matter for
// their leading number, so characters code page 932 lacks are masked out.
std::vector<std::string> SplitFrameList(const std::string& list)
{
    std::string text;
    if (!Utf8ToCp932(list, text)) {
        text = list;
        for (char& c : text)
            if (static_cast<unsigned char>(c) >= 0x80)
                c = '?';
    }
    std::vector<std::string> pieces;
    SplitList(text, ",", pieces);
    return pieces;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads blanks, then digits into `value` (saturating); false without digits.
bool ReadCellNumber(const std::string& piece, size_t& i, long long& value)
{
    while (i < piece.size() && IsSpace(piece[i]))
        ++i;
    const size_t start = i;
    value = 0;
    for (; i < piece.size() && IsDigit(piece[i]); ++i)
        value = std::min<long long>(value * 10 + (piece[i] - '0'), INT_MAX);
    return i > start;
}

void SkipSpace(const std::string& piece, size_t& i)
{
    while (i < piece.size() && IsSpace(piece[i]))
        ++i;
}

} // namespace

const char* const CSetAnimeDlg::kSpeeds[3] = {"早い", "普通", "遅い"};
const char* const CSetAnimeDlg::kDirections[3] = {"順方向", "逆方向", "往復"};

std::vector<int> PlayedAnimeFrames(const std::vector<int>& frames, int direction)
{
    std::vector<int> played = frames;
    if (direction == ANIME_REVERSE) {
        std::reverse(played.begin(), played.end());
    } else if (direction == ANIME_PINGPONG && frames.size() > 2) {
        for (size_t i = frames.size() - 2; i > 0; --i)
            played.push_back(frames[i]);
    }
    return played;
}

bool CAnimePlayer::Run(long long ms, int speed, int stepMs)
{
    if (aFrames.empty() || ms <= 0)
        return false;
    const long long period = stepMs > 0 ? stepMs : kAnimeTimerMs;
    const long long total = nElapsed + ms;
    const long long units = total / period;
    nElapsed = int(total % period);
    if (stepMs <= 0)
        return units == 1 ? Tick(speed) : Advance(units, speed);
    if (units == 0)
        return false;
    const long long count = (long long)aFrames.size();
    nPos = int((nPos + units % count) % count);
    return true;
}

bool CAnimePlayer::Tick(int speed)
{
    if (aFrames.empty())
        return false;
    if (--nWait > 0)
        return false;
    if (++nPos >= int(aFrames.size()))
        nPos = 0;
    nWait = speed;
    return true;
}

bool CAnimePlayer::Advance(long long ticks, int speed)
{
    if (aFrames.empty() || ticks <= 0)
        return false;
    // Ticks until the first step.
    const long long first = std::max(nWait - 1, 0) + 1;
    if (ticks < first) {
        nWait -= int(ticks);
        return false;
    }
    ticks -= first;
    const long long count = (long long)aFrames.size();
    long long steps = 1;
    nWait = speed;
    // After a step the player waits `speed` ticks a frame (each tick steps
    // when the speed is not positive).
    if (speed <= 0) {
        steps += ticks;
    } else {
        steps += ticks / speed;
        nWait = speed - int(ticks % speed);
    }
    nPos = int((nPos + steps % count) % count);
    return true;
}

int CAnimePlayer::Current() const
{
    if (aFrames.empty() || nPos < 0 || nPos >= int(aFrames.size()))
        return -1;
    return aFrames[size_t(nPos)];
}

int AnimeFrameNumber(const std::string& piece)
{
    size_t i = 0;
    while (i < piece.size() && IsSpace(piece[i]))
        ++i;
    bool negative = false;
    if (i < piece.size() && (piece[i] == '+' || piece[i] == '-')) {
        negative = piece[i] == '-';
        ++i;
    }
    int64_t value = 0;
    for (; i < piece.size() && piece[i] >= '0' && piece[i] <= '9'; ++i) {
        value = value * 10 + (piece[i] - '0');
        if (value > int64_t(INT_MAX) + 1)
            value = int64_t(INT_MAX) + 1;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        return INT_MAX;
    return int(value);
}

std::vector<int> ParseAnimeFrames(const std::string& list)
{
    std::vector<int> frames;
    if (list.empty())
        return frames;
    for (const std::string& piece : SplitFrameList(list))
        frames.push_back(AnimeFrameNumber(piece));
    return frames;
}

bool CheckAnimeFrames(const std::string& list, long long cells, std::string& stored,
                      std::string& message)
{
    stored = list;
    if (list.empty())
        return true;
    std::vector<int> frames;
    bool ranges = false;
    for (const std::string& piece : SplitFrameList(list)) {
        const std::string shown = Cp932ToUtf8(piece);
        size_t i = 0;
        long long first = 0, last = 0;
        const bool number = ReadCellNumber(piece, i, first);
        SkipSpace(piece, i);
        if (number && i < piece.size() && piece[i] == '-') {
            // "A-B": both ends cells of the sheet, nothing after them.
            ++i;
            const bool second = ReadCellNumber(piece, i, last);
            SkipSpace(piece, i);
            if (!second || i != piece.size()) {
                message = Named(kBadRange, shown);
                return false;
            }
            if (first >= cells || last >= cells) {
                message = Named(kOutOfRange, shown);
                return false;
            }
            const size_t count = size_t(std::llabs(last - first)) + 1;
            if (frames.size() + count > kMaxRangeFrames) {
                message = Named(kTooManyFrames, shown);
                return false;
            }
            for (long long n = first;; n += first <= last ? 1 : -1) {
                frames.push_back(int(n));
                if (n == last)
                    break;
            }
            ranges = true;
            continue;
        }
        const int n = AnimeFrameNumber(piece);
        if (n < 0 || n >= cells) {
            message = Named(kOutOfRange, shown);
            return false;
        }
        frames.push_back(n);
    }
    if (ranges) {
        stored.clear();
        for (size_t k = 0; k < frames.size(); ++k)
            stored += (k ? "," : "") + std::to_string(frames[k]);
    }
    return true;
}

int AnimeSpeedForStep(int stepMs)
{
    return std::clamp((stepMs + kAnimeTimerMs / 2) / kAnimeTimerMs, 1, 3);
}

std::string AnimeSpeedName(int speed)
{
    if (speed >= 1 && speed <= 3)
        return CSetAnimeDlg::kSpeeds[speed - 1];
    return {};
}

int AnimeSpeedFromName(const std::string& name)
{
    if (name == CSetAnimeDlg::kSpeeds[0])
        return 1;
    if (name == CSetAnimeDlg::kSpeeds[2])
        return 3;
    return 2;
}

AnimeLayout ComputeAnimeLayout(int cellWidth, int cellHeight, int buttonHeight)
{
    const int w = std::max(cellWidth, 64);
    const int pitchX = w + 16;
    const int pitchY = cellHeight + buttonHeight + 8 + 16;
    AnimeLayout layout;
    layout.nClientWidth = 2 * w + 48;
    layout.nClientHeight = 2 * (cellHeight + buttonHeight + 8) + 48;
    for (int k = 0; k < 4; ++k) {
        const int c = k % 2, r = k / 2;
        layout.Picture[k] = {15 + c * pitchX, 15 + r * pitchY, cellWidth + 2, cellHeight + 2};
        layout.Button[k] = {16 + c * pitchX, 16 + r * pitchY + cellHeight + 8, w, buttonHeight};
    }
    return layout;
}

bool CSetAnimeDlg::SetField(const std::string& name, const std::string& value, std::string& error)
{
    if (name == "m_strFrames") {
        m_strFrames = value;
        return true;
    }
    if (name == "m_strSpeed") {
        m_strSpeed = value;
        return true;
    }
    if (name == "m_strName") {
        m_strName = value;
        return true;
    }
    if (name == "m_nStepTime") {
        if (!ParseDialogInt(value, m_nStepTime)) {
            error = kMsgEnterInteger;
            return false;
        }
        return true;
    }
    if (name == "m_nDirection") {
        for (int d = 0; d < 3; ++d)
            if (value == std::to_string(d) || value == kDirections[d]) {
                m_nDirection = d;
                return true;
            }
        error = "m_nDirection takes 0, 1 or 2";
        return false;
    }
    error = "CSetAnimeDlg has no field '" + name + "'";
    return false;
}

bool CSetAnimeDlg::Validate(std::string& message)
{
    if (m_strName.find_first_not_of(" \t") == std::string::npos) {
        message = kNoName;
        return false;
    }
    if (m_nStepTime != 0 && (m_nStepTime < kAnimeStepMin || m_nStepTime > kAnimeStepMax)) {
        message = kBadStep;
        return false;
    }
    std::string stored;
    if (m_strFrames != m_strOldFrames && !CheckAnimeFrames(m_strFrames, m_nCells, stored, message))
        return false;
    return true;
}

// ---------------------------------------------------------------- document



std::string CTesvanDoc::AnimeName(int slot) const
{
    const std::string& name = m_Anime[slot].strName;
    return name.empty() ? DefaultAnimeName(slot) : name;
}

int CTesvanDoc::AnimeStepMs(int slot) const
{
    if (m_Anime[slot].nStepMs > 0)
        return m_Anime[slot].nStepMs;
    const int64_t ticks = std::clamp<int64_t>(m_Anime[slot].nSpeed, 1, INT_MAX / kAnimeTimerMs);
    return int(ticks * kAnimeTimerMs);
}

std::vector<int> CTesvanDoc::AnimeSequence(int slot) const
{
    if (slot < 0 || slot >= kAnimeSlots)
        return {};
    return PlayedAnimeFrames(ParseAnimeFrames(m_Anime[slot].strFrames), m_Anime[slot].nDirection);
}

int CTesvanDoc::FindAnimeSlot(const std::string& key) const
{
    for (int k = 0; k < kAnimeSlots; ++k)
        if (key == std::to_string(k + 1))
            return k;
    for (int k = 0; k < kAnimeSlots; ++k)
        if (key == AnimeName(k))
            return k;
    return -1;
}

int CTesvanDoc::PrepareAnimePlayer(int slot, CAnimePlayer& player) const
{
    player.aFrames.clear();
    if (slot < 0 || slot >= kAnimeSlots)
        return 0;
    const CAnimeSlot& s = m_Anime[slot];
    if (s.strFrames.empty())
        return 0;
    player.aFrames = PlayedAnimeFrames(ParseAnimeFrames(s.strFrames), s.nDirection);
    player.nWait = s.nSpeed;
    player.nPos = 0;
    player.nElapsed = 0;
    return int(player.aFrames.size());
}

bool CTesvanDoc::EditAnimeSlot(int slot)
{
    if (slot < 0 || slot >= kAnimeSlots)
        return false;
    CAnimeSlot& s = m_Anime[slot];
    CSetAnimeDlg dlg;
    dlg.m_strFrames = s.strFrames;
    dlg.m_strSpeed = AnimeSpeedName(s.nSpeed);
    dlg.m_strName = AnimeName(slot);
    dlg.m_nDirection = s.nDirection;
    dlg.m_nStepTime = s.nStepMs;
    dlg.m_strOldFrames = s.strFrames;
    dlg.m_nCells = int64_t(m_nColumns) * m_nRows;
    if (!UiPort().DoModal(dlg))
        return false;
    // The model's own check, for ports that confirm without running it.
    std::string refusal;
    if (!dlg.Validate(refusal)) {
        UiPort().MessageBox(refusal);
        return false;
    }

    bool changed = false;
    if (dlg.m_strFrames != s.strFrames) {
        // Every piece counts, an empty one as cell 0.
        std::string stored;
        if (!CheckAnimeFrames(dlg.m_strFrames, dlg.m_nCells, stored, refusal)) {
            UiPort().MessageBox(refusal);
            return false;
        }
        s.strFrames = stored;
        changed = true;
    }
    // A step time of its own rules the slot; the standard speed keeps the
    // nearest of the three for readers that know only those.
    const int step = dlg.m_nStepTime > 0 ? dlg.m_nStepTime : 0;
    if (step != s.nStepMs) {
        s.nStepMs = step;
        changed = true;
    }
    const int speed = step ? AnimeSpeedForStep(step) : AnimeSpeedFromName(dlg.m_strSpeed);
    if (speed != s.nSpeed) {
        s.nSpeed = speed;
        changed = true;
    }
    if (dlg.m_strName != AnimeName(slot)) {
        s.strName = dlg.m_strName;
        changed = true;
    }
    if (dlg.m_nDirection != s.nDirection && dlg.m_nDirection >= 0 && dlg.m_nDirection <= 2) {
        s.nDirection = dlg.m_nDirection;
        changed = true;
    }
    if (changed)
        SetModifiedFlag(true);
    return changed;
}

bool CTesvanDoc::AnimeCellRect(int cell, CRect& rc) const
{
    if (cell < 0 || m_nColumns < 1)
        return false;
    const int column = cell % m_nColumns;
    const int row = cell / m_nColumns;
    if (row >= m_nRows)
        return false;
    rc.left = column * m_nCellWidth;
    rc.top = row * m_nCellHeight;
    rc.right = rc.left + m_nCellWidth - 1;
    rc.bottom = rc.top + m_nCellHeight - 1;
    return true;
}
