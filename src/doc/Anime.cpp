#include "doc/Anime.h"

#include "doc/TesvanDoc.h"
#include "platform/Cp932.h"
#include "platform/TextSplit.h"
#include "platform/UiPort.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace {

constexpr const char* kOutOfRange = "範囲外のデータが設定されています。";

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
        const int64_t cells = int64_t(m_nColumns) * m_nRows;
        for (const std::string& piece : SplitFrameList(dlg.m_strFrames)) {
            const int n = AnimeFrameNumber(piece);
            if (n < 0 || n >= cells) {
                UiPort().MessageBox(kOutOfRange);
                return false;
            }
        }
        s.strFrames = dlg.m_strFrames;
        changed = true;
    }
    const int speed = AnimeSpeedFromName(dlg.m_strSpeed);
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
