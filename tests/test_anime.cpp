#include "support/FakeUiPort.h"
#include "doc/Anime.h"
#include "doc/TesvanDoc.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace {

using Frames = std::vector<int>;

// The cells a player shows on each of `ticks` timer ticks, starting with
// the one it shows before the first tick.
Frames Play(CAnimePlayer& player, int speed, int ticks)
{
    Frames shown{player.Current()};
    for (int i = 0; i < ticks; ++i) {
        player.Tick(speed);
        shown.push_back(player.Current());
    }
    return shown;
}

// Answers the settings dialog with the given fields and OK, remembering
// what the dialog showed first.
struct DialogAnswer {
    std::string framesShown, speedShown;
};

void QueueAnimeAnswer(CFakeUiPort& port, const std::string& frames, const std::string& speed,
                      DialogAnswer* seen = nullptr, bool ok = true)
{
    port.dialogs.push_back([=](CDialogModel& model) {
        auto& dlg = dynamic_cast<CSetAnimeDlg&>(model);
        if (seen) {
            seen->framesShown = dlg.m_strFrames;
            seen->speedShown = dlg.m_strSpeed;
        }
        std::string error;
        EXPECT_TRUE(dlg.SetField("m_strFrames", frames, error));
        EXPECT_TRUE(dlg.SetField("m_strSpeed", speed, error));
        return ok;
    });
}

struct AnimeDoc : ::testing::Test {
    void SetUp() override { ASSERT_TRUE(doc.OnNewDocument()); }
    CFakeUiPort port;
    CTesvanDoc doc;      // 3 x 4 cells of 64 x 64
};

} // namespace

TEST(AnimeFrames, ListsAreSplitAtEveryCommaAndReadLikeNumbers)
{
    EXPECT_EQ(ParseAnimeFrames("0,1,2,1"), (Frames{0, 1, 2, 1}));
    EXPECT_EQ(ParseAnimeFrames(""), Frames{});
    EXPECT_EQ(ParseAnimeFrames("7"), Frames{7});
    // Pieces without a leading number count as 0; empty pieces are kept.
    EXPECT_EQ(ParseAnimeFrames("a,b"), (Frames{0, 0}));
    EXPECT_EQ(ParseAnimeFrames("1,,2"), (Frames{1, 0, 2}));
    EXPECT_EQ(ParseAnimeFrames(","), (Frames{0, 0}));
    EXPECT_EQ(ParseAnimeFrames(" 3x, +4 ,\t-2"), (Frames{3, 4, -2}));
    EXPECT_EQ(AnimeFrameNumber("99999999999999999999"), INT_MAX);
    EXPECT_EQ(AnimeFrameNumber("-99999999999999999999"), INT_MIN);
    EXPECT_EQ(AnimeFrameNumber("- 5"), 0);
}

TEST(AnimeFrames, CommasAfterWideCharactersStillSplit)
{
    // Each of these ends in a byte that code page 932 would pair with the
    // comma that follows, were the UTF-8 bytes read as they stand.
    EXPECT_EQ(ParseAnimeFrames("\u3042,1,\uFF17,2"), (Frames{0, 1, 0, 2}));
    EXPECT_EQ(ParseAnimeFrames("1\u3042,2"), (Frames{1, 2}));
    // A character code page 932 lacks, and a broken byte, split alike.
    EXPECT_EQ(ParseAnimeFrames("\U0001F600,3,\x82,4"), (Frames{0, 3, 0, 4}));
}

TEST(AnimeFrames, SpeedNames)
{
    EXPECT_EQ(AnimeSpeedName(1), "早い");
    EXPECT_EQ(AnimeSpeedName(2), "普通");
    EXPECT_EQ(AnimeSpeedName(3), "遅い");
    EXPECT_EQ(AnimeSpeedName(0), "");
    EXPECT_EQ(AnimeSpeedName(7), "");
    EXPECT_EQ(AnimeSpeedFromName("早い"), 1);
    EXPECT_EQ(AnimeSpeedFromName("遅い"), 3);
    EXPECT_EQ(AnimeSpeedFromName("普通"), 2);
    EXPECT_EQ(AnimeSpeedFromName(""), 2);
    EXPECT_EQ(AnimeSpeedFromName("fast"), 2);
}

TEST_F(AnimeDoc, EachSpeedHoldsAFrameForThatManyTicks)
{
    doc.m_Anime[0] = {"0,1,2,1", 2};
    CAnimePlayer player;
    ASSERT_EQ(doc.PrepareAnimePlayer(0, player), 4);
    EXPECT_EQ(player.nWait, 2);
    // "普通": 2 ticks of 150 ms = 300 ms a frame, the list repeating.
    EXPECT_EQ(Play(player, 2, 9), (Frames{0, 0, 1, 1, 2, 2, 1, 1, 0, 0}));

    doc.m_Anime[1] = {"0,1,2,1", 1};
    ASSERT_EQ(doc.PrepareAnimePlayer(1, player), 4);
    EXPECT_EQ(Play(player, 1, 5), (Frames{0, 1, 2, 1, 0, 1}));

    doc.m_Anime[2] = {"0,1,2,1", 3};
    ASSERT_EQ(doc.PrepareAnimePlayer(2, player), 4);
    EXPECT_EQ(Play(player, 3, 7), (Frames{0, 0, 0, 1, 1, 1, 2, 2}));
}

TEST_F(AnimeDoc, EmptyListGivesNoFramesAndTheTimerSkipsIt)
{
    CAnimePlayer player;
    player.aFrames = {4, 5};
    player.nWait = 9;
    player.nPos = 1;
    EXPECT_EQ(doc.PrepareAnimePlayer(3, player), 0);
    EXPECT_TRUE(player.aFrames.empty());
    EXPECT_EQ(player.nWait, 9);
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(player.Tick(1));
    EXPECT_EQ(player.Current(), -1);
    EXPECT_EQ(player.nWait, 9);
}

TEST_F(AnimeDoc, PreparingRestartsAtTheFirstFrame)
{
    doc.m_Anime[0] = {"1,,2", 1};
    CAnimePlayer player;
    ASSERT_EQ(doc.PrepareAnimePlayer(0, player), 3);
    EXPECT_EQ(Play(player, 1, 3), (Frames{1, 0, 2, 1}));
    doc.PrepareAnimePlayer(0, player);
    EXPECT_EQ(player.nPos, 0);
    EXPECT_EQ(player.Current(), 1);
}

TEST_F(AnimeDoc, CellsOutsideTheSheetAreRefusedWhole)
{
    doc.m_Anime[0] = {"1,2", 3};
    DialogAnswer seen;
    QueueAnimeAnswer(port, "0,12", "早い", &seen);
    EXPECT_FALSE(doc.EditAnimeSlot(0));
    EXPECT_EQ(seen.framesShown, "1,2");
    EXPECT_EQ(seen.speedShown, "遅い");
    EXPECT_EQ(port.messages, std::vector<std::string>{"範囲外のデータが設定されています。「12」"});
    // Neither the list nor the speed changed.
    EXPECT_EQ(doc.m_Anime[0].strFrames, "1,2");
    EXPECT_EQ(doc.m_Anime[0].nSpeed, 3);
    EXPECT_FALSE(doc.IsModified());

    QueueAnimeAnswer(port, "0,-1", "普通");
    EXPECT_FALSE(doc.EditAnimeSlot(0));
    EXPECT_EQ(port.messages.size(), 2u);

    QueueAnimeAnswer(port, "0,11", "早い");
    EXPECT_TRUE(doc.EditAnimeSlot(0));
    EXPECT_EQ(port.messages.size(), 2u);
    EXPECT_EQ(doc.m_Anime[0].strFrames, "0,11");
    EXPECT_EQ(doc.m_Anime[0].nSpeed, 1);
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(AnimeDoc, ListsAreStoredAsTyped)
{
    QueueAnimeAnswer(port, "a,b", "普通");
    EXPECT_TRUE(doc.EditAnimeSlot(1));
    EXPECT_EQ(doc.m_Anime[1].strFrames, "a,b");
    CAnimePlayer player;
    EXPECT_EQ(doc.PrepareAnimePlayer(1, player), 2);
    EXPECT_EQ(player.aFrames, (Frames{0, 0}));

    QueueAnimeAnswer(port, " 1,,2", "普通");
    EXPECT_TRUE(doc.EditAnimeSlot(1));
    EXPECT_EQ(doc.m_Anime[1].strFrames, " 1,,2");
    doc.PrepareAnimePlayer(1, player);
    EXPECT_EQ(player.aFrames, (Frames{1, 0, 2}));
}

TEST_F(AnimeDoc, SpeedAloneIsAChange)
{
    doc.m_Anime[2] = {"0,1", 2};
    QueueAnimeAnswer(port, "0,1", "遅い");
    EXPECT_TRUE(doc.EditAnimeSlot(2));
    EXPECT_EQ(doc.m_Anime[2].nSpeed, 3);
    EXPECT_TRUE(doc.IsModified());

    // Unknown speed texts mean "普通".
    doc.SetModifiedFlag(false);
    QueueAnimeAnswer(port, "0,1", "すごく速い");
    EXPECT_TRUE(doc.EditAnimeSlot(2));
    EXPECT_EQ(doc.m_Anime[2].nSpeed, 2);
}

TEST_F(AnimeDoc, NothingChangedOrCancelledLeavesTheDocumentAlone)
{
    doc.m_Anime[0] = {"0,1", 2};
    QueueAnimeAnswer(port, "0,1", "普通");
    EXPECT_FALSE(doc.EditAnimeSlot(0));
    QueueAnimeAnswer(port, "5", "早い", nullptr, false);
    EXPECT_FALSE(doc.EditAnimeSlot(0));
    EXPECT_FALSE(doc.EditAnimeSlot(0));     // no answer: Cancel
    EXPECT_EQ(doc.m_Anime[0].strFrames, "0,1");
    EXPECT_EQ(doc.m_Anime[0].nSpeed, 2);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_TRUE(port.messages.empty());

    // Emptying a list is a valid change: the pane then shows nothing.
    QueueAnimeAnswer(port, "", "普通");
    EXPECT_TRUE(doc.EditAnimeSlot(0));
    EXPECT_EQ(doc.m_Anime[0].strFrames, "");
}

TEST_F(AnimeDoc, CellNumbersAreRowMajorAndStopAtTheLastRow)
{
    CRect rc;
    ASSERT_TRUE(doc.AnimeCellRect(4, rc));
    EXPECT_EQ(rc, (CRect{64, 64, 127, 127}));
    ASSERT_TRUE(doc.AnimeCellRect(11, rc));
    EXPECT_EQ(rc, (CRect{128, 192, 191, 255}));
    // A list saved for a bigger sheet is played, but its lost cells are not drawn.
    EXPECT_FALSE(doc.AnimeCellRect(12, rc));
    EXPECT_FALSE(doc.AnimeCellRect(-1, rc));
}

TEST(AnimeLayoutTest, SmallCellsKeepA64PixelColumn)
{
    const AnimeLayout l = ComputeAnimeLayout(32, 32, 23);
    // Each pane is one cell inside a 1-pixel border.
    for (const auto& box : l.Picture) {
        EXPECT_EQ(box.cx, 34);
        EXPECT_EQ(box.cy, 34);
    }
    for (const auto& box : l.Button) {
        EXPECT_EQ(box.cx, 64);
        EXPECT_EQ(box.cy, 23);
    }
    EXPECT_EQ(l.nClientWidth, 2 * 64 + 48);
    EXPECT_EQ(l.nClientHeight, 2 * (32 + 23 + 8) + 48);
    EXPECT_EQ(l.Picture[0], (AnimeLayout::Box{15, 15, 34, 34}));
    EXPECT_EQ(l.Picture[1], (AnimeLayout::Box{15 + 80, 15, 34, 34}));
    EXPECT_EQ(l.Picture[2], (AnimeLayout::Box{15, 15 + 32 + 23 + 24, 34, 34}));
    EXPECT_EQ(l.Button[3], (AnimeLayout::Box{16 + 80, 16 + 79 + 40, 64, 23}));
}

TEST(AnimeLayoutTest, LargeCellsSetTheColumnWidth)
{
    const AnimeLayout l = ComputeAnimeLayout(100, 48, 20);
    EXPECT_EQ(l.nClientWidth, 248);
    EXPECT_EQ(l.Picture[1], (AnimeLayout::Box{15 + 116, 15, 102, 50}));
    EXPECT_EQ(l.Button[1], (AnimeLayout::Box{16 + 116, 16 + 56, 100, 20}));
}

TEST(SetAnimeDlgModel, FieldsByDeclaredName)
{
    CSetAnimeDlg dlg;
    std::string error;
    EXPECT_TRUE(dlg.SetField("m_strFrames", "0,1,2,1", error));
    EXPECT_TRUE(dlg.SetField("m_strSpeed", "遅い", error));
    EXPECT_FALSE(dlg.SetField("m_nSpeed", "3", error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(dlg.m_strFrames, "0,1,2,1");
    EXPECT_STREQ(dlg.ClassName(), "CSetAnimeDlg");
}

TEST(AnimePlayerTest, AdvanceMatchesTickByTick)
{
    for (int speed : {-1, 0, 1, 2, 3, 5}) {
        for (int frames : {1, 3, 4}) {
            for (int wait : {-2, 0, 1, 2, 4}) {
                for (long long ticks : {0LL, 1LL, 2LL, 5LL, 7LL, 12LL, 31LL}) {
                    CAnimePlayer a, b;
                    a.aFrames.assign(size_t(frames), 0);
                    for (int i = 0; i < frames; ++i)
                        a.aFrames[size_t(i)] = i;
                    a.nWait = wait;
                    a.nPos = frames - 1;
                    b = a;
                    bool changed = false;
                    for (long long i = 0; i < ticks; ++i)
                        changed = a.Tick(speed) || changed;
                    EXPECT_EQ(b.Advance(ticks, speed), changed);
                    EXPECT_EQ(b.nPos, a.nPos) << speed << " " << frames << " " << wait << " " << ticks;
                    EXPECT_EQ(b.nWait, a.nWait) << speed << " " << frames << " " << wait << " " << ticks;
                }
            }
        }
    }
    CAnimePlayer big;
    big.aFrames = {0, 1, 2, 1};
    big.nWait = 2;
    EXPECT_TRUE(big.Advance(2000000001LL, 2));    // 1e9 steps and one tick more
    EXPECT_EQ(big.nPos, 1000000000 % 4);
    EXPECT_EQ(big.nWait, 1);
}

TEST_F(AnimeDoc, NamesAndDirectionsAreSetInTheDialogAndPlayed)
{
    EXPECT_EQ(doc.AnimeName(0), "anime1");
    EXPECT_EQ(doc.AnimeName(3), "anime4");
    std::string shownName;
    port.dialogs.push_back([&](CDialogModel& model) {
        auto& dlg = dynamic_cast<CSetAnimeDlg&>(model);
        shownName = dlg.m_strName;
        std::string error;
        EXPECT_TRUE(dlg.SetField("m_strFrames", "0,1,2,3", error));
        EXPECT_TRUE(dlg.SetField("m_strName", "walk", error));
        EXPECT_TRUE(dlg.SetField("m_nDirection", "2", error));
        EXPECT_FALSE(dlg.SetField("m_nDirection", "3", error));
        return true;
    });
    EXPECT_TRUE(doc.EditAnimeSlot(0));
    EXPECT_EQ(shownName, "anime1");
    EXPECT_EQ(doc.m_Anime[0].strName, "walk");
    EXPECT_EQ(doc.FindAnimeSlot("walk"), 0);
    EXPECT_EQ(doc.FindAnimeSlot("2"), 1);
    EXPECT_EQ(doc.FindAnimeSlot("run"), -1);

    // Ping-pong does not repeat its ends; reverse starts from the last.
    CAnimePlayer player;
    doc.m_Anime[0].nSpeed = 1;
    ASSERT_EQ(doc.PrepareAnimePlayer(0, player), 6);
    EXPECT_EQ(Play(player, 1, 8), (Frames{0, 1, 2, 3, 2, 1, 0, 1, 2}));
    doc.m_Anime[0].nDirection = ANIME_REVERSE;
    doc.PrepareAnimePlayer(0, player);
    EXPECT_EQ(Play(player, 1, 4), (Frames{3, 2, 1, 0, 3}));
    EXPECT_EQ(PlayedAnimeFrames({5, 6}, ANIME_PINGPONG), (Frames{5, 6}));
    EXPECT_EQ(PlayedAnimeFrames({5}, ANIME_REVERSE), (Frames{5}));

    // The step time is what the preview shows a step for.
    doc.m_Anime[0].nSpeed = 3;
    EXPECT_EQ(doc.AnimeStepMs(0), 450);
    doc.m_Anime[0].nSpeed = 0;
    EXPECT_EQ(doc.AnimeStepMs(0), 150);

    // A slot without a name is refused and keeps what it had.
    CSetAnimeDlg dlg;
    dlg.m_strName = " ";
    std::string message;
    EXPECT_FALSE(dlg.Validate(message));
    EXPECT_EQ(message, "名前を入力してください。");
    doc.SetModifiedFlag(false);
    port.dialogs.push_back([](CDialogModel& model) {
        std::string error;
        return model.SetField("m_strName", "", error);
    });
    EXPECT_FALSE(doc.EditAnimeSlot(0));
    EXPECT_EQ(doc.m_Anime[0].strName, "walk");
    EXPECT_FALSE(doc.IsModified());

    // A new document (and a resize) brings the default names back.
    doc.ResetAnime();
    EXPECT_EQ(doc.m_Anime[0].strName, "anime1");
    EXPECT_EQ(doc.m_Anime[0].nDirection, ANIME_FORWARD);
}
