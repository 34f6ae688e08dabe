#include "support/FakeUiPort.h"
#include "palette/Gradation.h"
#include "platform/Settings.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

struct CModalPort : CFakeUiPort {
    std::function<bool(CDialogModel&)> modal;
    bool DoModal(CDialogModel& dialog) override { return modal ? modal(dialog) : false; }
};

void Expect(const CMakeGradationDlg& d, int k, int r, int g, int b)
{
    EXPECT_EQ(d.m_nRed[k], r) << "colour " << k;
    EXPECT_EQ(d.m_nGreen[k], g) << "colour " << k;
    EXPECT_EQ(d.m_nBlue[k], b) << "colour " << k;
}

} // namespace

TEST(Gradation, CalculateEightThroughGrey)
{
    CMakeGradationDlg d(8);
    d.SetColor(0, RGB(0, 0, 0));
    d.SetColor(1, RGB(128, 128, 128));
    d.SetColor(2, RGB(255, 255, 255));
    d.m_nCenterPos = 50;
    d.Calculate();
    const int want[8] = {0, 32, 64, 96, 159, 191, 223, 255};
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(d.m_crGrad[k], RGB(want[k], want[k], want[k])) << k;
}

TEST(Gradation, CalculateCoversEveryEntryAtTheExtremes)
{
    for (int pos : {0, 30, 70, 100}) {
        CMakeGradationDlg d(16);
        d.m_nCenterPos = pos;
        d.SetColor(0, RGB(255, 0, 0));
        d.SetColor(2, RGB(0, 0, 255));
        d.Calculate();
        if (pos < 100)
            EXPECT_EQ(d.m_crGrad[15], RGB(0, 0, 255)) << pos;
        if (pos > 0)
            EXPECT_EQ(d.m_crGrad[0], RGB(255, 0, 0)) << pos;
    }
}

TEST(Gradation, ColourModel)
{
    CHsv h = FromRgb(255, 0, 0);
    EXPECT_EQ(h.nVal, 1000);
    EXPECT_EQ(h.nSat, 1000);
    EXPECT_EQ(h.nHue, 0);
    EXPECT_EQ(FromRgb(0, 0, 255).nHue, 2400);
    EXPECT_EQ(FromRgb(255, 0, 128).nHue, 3300);   // negative hue wraps
    EXPECT_EQ(FromRgb(204, 204, 204).nVal, 800);
    int r, g, b;
    ToRgb(FromRgb(12, 200, 99), r, g, b);
    EXPECT_NEAR(r, 12, 1);
    EXPECT_NEAR(g, 200, 1);
    EXPECT_NEAR(b, 99, 1);
    CHsv l;
    SetLight(l, 5000);
    EXPECT_EQ(l.nLight, 1000);
    EXPECT_EQ(ApplyLight(0, 700), 178);
    EXPECT_EQ(ApplyLight(255, -700), 77);
    EXPECT_EQ(ApplyLight(90, 0), 90);
    EXPECT_EQ(ScaleBrightness(0, 800), 0);
    EXPECT_EQ(ScaleBrightness(100, 300), 1000);
    EXPECT_EQ(ScaleBrightness(85, 800), 940);
}

TEST(Gradation, AutoCreateHighlightAndShadow)
{
    CMakeGradationDlg d(8);
    d.m_bBriMake = 0;
    d.m_bLSMake = 1;
    d.SetColor(1, RGB(255, 0, 0));
    d.m_nCenterPos = 60;
    d.AutoCreate();
    Expect(d, 0, 255, 178, 178);
    Expect(d, 1, 255, 0, 0);
    Expect(d, 2, 77, 0, 0);
    EXPECT_EQ(d.m_nCenterPos, 50);
}

TEST(Gradation, AutoCreateBrightness)
{
    CMakeGradationDlg d(8);
    d.m_bBriMake = 1;
    d.m_bLSMake = 0;
    d.SetColor(1, RGB(204, 204, 204));
    d.AutoCreate();
    Expect(d, 0, 239, 239, 239);
    Expect(d, 1, 204, 204, 204);
    Expect(d, 2, 61, 61, 61);
    EXPECT_EQ(d.m_nCenterPos, 0);
    d.SetColor(1, RGB(40, 40, 40));
    d.AutoCreate();
    EXPECT_EQ(d.m_nCenterPos, 100);
    // OK takes the slider's 30..70 for the centre.
    std::string message;
    EXPECT_TRUE(d.Validate(message));
    EXPECT_EQ(d.m_nCenterPos, 70);
}

TEST(Gradation, RecordsAndTheirPairing)
{
    CGradationInfo records[30] = {};
    records[4] = CGradationInfo{16, 1, 2, 3, 40};
    records[5] = CGradationInfo{0, 0, 0, 0, 0};
    CMakeGradationDlg d(8);
    d.FromRecord(records[4]);     // a 16 record does not fill an 8 dialog
    Expect(d, 0, 240, 240, 240);
    records[5].nCount = 8;
    d.ToRecord(records, 4);
    EXPECT_EQ(records[4].nCount, 8);
    EXPECT_EQ(records[5].nCount, 0);     // the pair of the former 16 is cleared

    records[6] = CGradationInfo{16, 9, 9, 9, 50};
    d.ToRecord(records, 7);
    EXPECT_EQ(records[6].nCount, 0);
    EXPECT_EQ(records[7].nCount, 8);
    EXPECT_EQ(records[7].crCenter, RGB(120, 120, 120));

    CMakeGradationDlg e(16);
    e.FromRecord(CGradationInfo{16, RGB(1, 2, 3), RGB(4, 5, 6), RGB(7, 8, 9), 35});
    Expect(e, 0, 1, 2, 3);
    Expect(e, 2, 7, 8, 9);
    EXPECT_EQ(e.m_nCenterPos, 35);
}

TEST(Gradation, DialogItemsClampAndRefuse)
{
    CModalPort ui;
    CMakeGradationDlg d(8);
    std::string error;
    ASSERT_TRUE(d.SetField("first", "300,-4,20", error));
    Expect(d, 0, 255, 0, 20);
    ASSERT_TRUE(d.SetField("m_nCenterPos", "90", error));
    EXPECT_EQ(d.m_nCenterPos, 70);
    EXPECT_FALSE(d.SetField("center", "1,2", error));
    ASSERT_TRUE(d.SetField("m_nBright", "85,101,15", error));
    std::string message;
    EXPECT_FALSE(d.Validate(message));
    EXPECT_FALSE(message.empty());

    // 自動作成 is refused while no method is ticked.
    d.m_bBriMake = d.m_bLSMake = 0;
    EXPECT_FALSE(d.PressButton("autocreate", error));
}

TEST(Gradation, ChangeCentreAutoCreatesOnlyWhenAsked)
{
    CModalPort ui;
    CMakeGradationDlg d(8);
    d.m_bLSMake = 1;
    d.m_bSelectMake = 0;
    ui.colours.push_back(RGB(255, 0, 0));
    std::string error;
    ASSERT_TRUE(d.PressButton("change-center", error));
    Expect(d, 1, 255, 0, 0);
    Expect(d, 0, 240, 240, 240);
    d.m_bSelectMake = 1;
    ui.colours.push_back(RGB(255, 0, 0));
    ASSERT_TRUE(d.PressButton("change-center", error));
    Expect(d, 0, 255, 178, 178);
}

TEST(Gradation, SettingsAreReadAndWrittenOnlyWhenAsked)
{
    SettingsStore().SetInt("GDCOLOR", "P1", 70);
    SettingsStore().SetInt("GDCOLOR", "BriMake", 1);
    CMakeGradationDlg d(8);
    EXPECT_EQ(d.m_nBright[0], 70);
    EXPECT_EQ(d.m_bBriMake, 1);
    d.m_nLight[2] = 33;
    d.SaveSettings();
    EXPECT_EQ(SettingsStore().GetInt("GDCOLOR", "SL3", 15), 15);
    d.m_bSaveSettings = 1;
    d.SaveSettings();
    EXPECT_EQ(SettingsStore().GetInt("GDCOLOR", "SL3", 15), 33);
    SettingsStore().SetInt("GDCOLOR", "P1", 85);
    SettingsStore().SetInt("GDCOLOR", "BriMake", 0);
    SettingsStore().SetInt("GDCOLOR", "SL3", 15);
}

TEST(Gradation, MakeGradationOnTheDocument)
{
    CModalPort ui;
    CTesvanDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    doc.CurrentLayer().m_nPage = 2;
    int shown = 0;
    ui.modal = [&](CDialogModel& m) {
        auto& d = static_cast<CMakeGradationDlg&>(m);
        ++shown;
        d.SetColor(0, RGB(0, 0, 0));
        d.SetColor(1, RGB(128, 128, 128));
        d.SetColor(2, RGB(255, 255, 255));
        d.m_nCenterPos = 50;
        d.Calculate();
        return true;
    };
    doc.MakeGradation(11, 8, 0);     // layer colour 11 of page 2: entries 104..111
    EXPECT_EQ(doc.m_Gradations[11].nCount, 8);
    EXPECT_EQ(doc.m_Palette[105].rgbRed, 32);
    EXPECT_EQ(doc.m_Palette[111].rgbRed, 255);
    EXPECT_EQ(doc.m_nUndoCount, 1);

    // The same settings again change nothing.
    doc.MakeGradation(11, 8, 0);
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(doc.m_nUndoCount, 1);

    // A hand-made change forgets the record, and the gradation applies again.
    ui.colours.push_back(RGB(1, 2, 3));
    doc.OnChangeColor(106, 1);
    EXPECT_EQ(doc.m_nUndoCount, 2);
    doc.MakeGradation(11, 8, 0);
    EXPECT_EQ(doc.m_nUndoCount, 3);
    EXPECT_EQ(doc.m_Palette[106].rgbRed, 64);

    // A 16-colour gradation on shared entry 37 covers 32..47 and record 2.
    doc.MakeGradation(37, 16, 1);
    EXPECT_EQ(doc.m_Gradations[2].nCount, 16);
    EXPECT_EQ(doc.m_Palette[47].rgbRed, 255);
    EXPECT_EQ(doc.m_Palette[32].rgbRed, 0);

    // Cancel changes nothing.
    ui.modal = [](CDialogModel&) { return false; };
    const int undo = doc.m_nUndoCount;
    doc.MakeGradation(60, 8, 1);
    EXPECT_EQ(doc.m_nUndoCount, undo);
    EXPECT_EQ(doc.m_Gradations[(56 - 16) / 8].nCount, 0);
}

TEST(Gradation, TypedEditsFollowTheDialogFieldRules)
{
    CMakeGradationDlg d(8);
    // A colour edit clamps and asks the presenter to show the bound; other
    // text leaves the channel as it was.
    EXPECT_TRUE(d.SetChannelText(1, 0, " 300 "));
    EXPECT_EQ(d.m_nRed[1], 255);
    EXPECT_FALSE(d.SetChannelText(1, 1, "12"));
    EXPECT_EQ(d.m_nGreen[1], 12);
    EXPECT_FALSE(d.SetChannelText(1, 1, "1x"));
    EXPECT_EQ(d.m_nGreen[1], 12);
    // A level edit refuses text that is no integer with the shared message,
    // and its range with the shared range message on OK.
    std::string message;
    EXPECT_FALSE(d.SetLevelText(false, 0, "abc", message));
    EXPECT_EQ(message, kMsgEnterInteger);
    EXPECT_TRUE(d.SetLevelText(true, 2, "+101", message));
    EXPECT_FALSE(d.Validate(message));
    EXPECT_EQ(message, RangeMessage(0, 100));
    EXPECT_EQ(message, "0 から 100 までの整数を入力してください。");
}
