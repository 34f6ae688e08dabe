#include "support/FakeUiPort.h"
#include "doc/PrintLayout.h"
#include "doc/TesvanDoc.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// A printer that records the job instead of printing it.
struct CRecordingSink : CPrintSink {
    bool refuseJob = false;
    std::string jobName;
    int starts = 0, pages = 0, ends = 0;
    PrintSize drawn;
    int keyWhileDrawn = 99;
    uint32_t cornerWhileDrawn = 0;

    bool StartDoc(const std::string& name) override
    {
        jobName = name;
        ++starts;
        return !refuseJob;
    }
    bool StartPage() override { return ++pages, true; }
    void DrawImage(const CImageEx& image, int width, int height) override
    {
        drawn = {width, height};
        keyWhileDrawn = image.GetTransparentColor();
        cornerWhileDrawn = image.GetPixel(0, 0);
    }
    void EndPage() override {}
    void EndDoc() override { ++ends; }
};

struct PrintDoc : ::testing::Test {
    void SetUp() override
    {
        ASSERT_TRUE(doc.OnNewDocument());
        sink = std::make_shared<CRecordingSink>();
    }
    void QueuePrinter(int width, int height, int offsetX = 0, int offsetY = 0)
    {
        PrinterChoice c;
        c.nPageWidth = width;
        c.nPageHeight = height;
        c.nOffsetX = offsetX;
        c.nOffsetY = offsetY;
        c.pSink = sink;
        port.printers.push_back(c);
    }
    // Answers the scale dialog: fit, scale text, OK; records what it showed.
    void QueueScale(int fit, const std::string& scale, bool ok = true)
    {
        port.dialogs.push_back([=, this](CDialogModel& model) {
            auto& dlg = dynamic_cast<CPrintScaleDlg&>(model);
            maxShown = dlg.m_nMaxScale;
            textShown = dlg.m_strMax;
            std::string error;
            if (dlg.IsScaleEnabled() && !scale.empty()) {
                EXPECT_TRUE(dlg.SetField("m_nScale", scale, error));
            }
            EXPECT_TRUE(dlg.SetField("m_bFit", std::to_string(fit), error));
            std::string message;
            return ok && dlg.Validate(message);
        });
    }
    void Resize(int columns, int rows, int cw, int ch)
    {
        doc.m_nColumns = columns;
        doc.m_nRows = rows;
        doc.m_nCellWidth = cw;
        doc.m_nCellHeight = ch;
        ASSERT_TRUE(doc.CreateWorkImage());
    }

    CFakeUiPort port;
    CTesvanDoc doc;          // 3 x 4 cells of 64 x 64: 192 x 256
    std::shared_ptr<CRecordingSink> sink;
    int maxShown = 0;
    std::string textShown;
};

} // namespace

TEST(PrintMaths, PrintableAreaLeavesTheOffsetsOnBothSides)
{
    EXPECT_EQ(PrintableArea(5100, 6600, 150, 0), (PrintSize{4800, 6600}));
    EXPECT_EQ(PrintableArea(1000, 3000, 0, 0), (PrintSize{1000, 3000}));
}

TEST(PrintMaths, ScaleAndFit)
{
    const PrintSize sheet{192, 256};
    const PrintSize area{4800, 6600};
    EXPECT_TRUE(SheetFitsArea(area, sheet));
    EXPECT_EQ(PrintMaxScale(area, sheet), 25);
    EXPECT_EQ(ScaleSheet(sheet, 3), (PrintSize{576, 768}));
    EXPECT_EQ(FitSheetToArea(area, sheet), (PrintSize{4800, 6400}));

    EXPECT_EQ(PrintMaxScale({1000, 3000}, {600, 400}), 1);
    // Exactly as wide as the area is not a strict fit.
    EXPECT_FALSE(SheetFitsArea({600, 3000}, {600, 400}));
    EXPECT_TRUE(SheetFitsArea({601, 401}, {600, 400}));
    EXPECT_EQ(FitSheetToArea({600, 3000}, {600, 400}), (PrintSize{600, 400}));
    // Too wide: shrunk to the width, the aspect kept, truncated.
    EXPECT_EQ(FitSheetToArea({500, 3000}, {600, 400}), (PrintSize{500, 333}));
    EXPECT_EQ(FitSheetToArea({0, 3000}, {600, 400}), (PrintSize{0, 0}));
}

TEST(PrintScaleDlgModel, MaximumTextAndEdit)
{
    CPrintScaleDlg big(25);
    EXPECT_EQ(big.m_strMax, "最大拡大率は25倍です。");
    EXPECT_EQ(big.m_bFit, 0);
    EXPECT_EQ(big.m_nScale, 1);
    EXPECT_TRUE(big.IsScaleEnabled());
    std::string error;
    ASSERT_TRUE(big.SetField("m_bFit", "1", error));
    EXPECT_FALSE(big.IsScaleEnabled());
    EXPECT_FALSE(big.SetField("m_nScale", "3", error));   // disabled edit
    ASSERT_TRUE(big.SetField("m_bFit", "0", error));
    EXPECT_TRUE(big.SetField("m_nScale", "3", error));
    EXPECT_FALSE(big.SetField("m_bFit", "2", error));
    EXPECT_FALSE(big.SetField("m_nMaxScale", "3", error));

    CPrintScaleDlg one(1);
    EXPECT_EQ(one.m_strMax, "");
    EXPECT_FALSE(one.IsScaleEnabled());
    std::string message;
    EXPECT_TRUE(one.Validate(message));
    EXPECT_EQ(one.m_nScale, 1);
}

TEST(PrintScaleDlgModel, RefusalsKeepTheDialogOpen)
{
    CPrintScaleDlg dlg(30);
    std::string error, message;
    ASSERT_TRUE(dlg.SetField("m_nScale", "0", error));
    EXPECT_FALSE(dlg.Validate(message));
    EXPECT_EQ(message, "1 から 30 までの整数を入力してください。");
    ASSERT_TRUE(dlg.SetField("m_nScale", "31", error));
    EXPECT_FALSE(dlg.Validate(message));
    ASSERT_TRUE(dlg.SetField("m_nScale", "3x", error));
    EXPECT_FALSE(dlg.Validate(message));
    EXPECT_EQ(message, "整数を入力してください。");
    ASSERT_TRUE(dlg.SetField("m_nScale", " 30 ", error));
    EXPECT_TRUE(dlg.Validate(message));
    EXPECT_EQ(dlg.m_nScale, 30);

    // With fit on, any whole number passes; a non-number still does not.
    ASSERT_TRUE(dlg.SetField("m_nScale", "0", error));
    ASSERT_TRUE(dlg.SetField("m_bFit", "1", error));
    EXPECT_TRUE(dlg.Validate(message));
    ASSERT_TRUE(dlg.SetField("m_bFit", "0", error));
    ASSERT_TRUE(dlg.SetField("m_nScale", "", error));
    EXPECT_FALSE(dlg.Validate(message));
    EXPECT_EQ(message, "整数を入力してください。");
}

TEST_F(PrintDoc, EnabledOnlyWhileALayerHoldsAnImage)
{
    EXPECT_FALSE(doc.CanPrint());
    ASSERT_TRUE(doc.m_Layers[7].CreateImage(doc.SheetWidth(), doc.SheetHeight(), doc.m_Palette,
                                            false, 32));
    EXPECT_TRUE(doc.CanPrint());
}

TEST_F(PrintDoc, ScaleChosenInTheDialog)
{
    QueuePrinter(5100, 6800, 150, 100);     // printable 4800 x 6600
    QueueScale(0, "3");
    doc.OnFilePrint();
    EXPECT_EQ(maxShown, 25);
    EXPECT_EQ(textShown, "最大拡大率は25倍です。");
    EXPECT_EQ(sink->drawn, (PrintSize{576, 768}));
    EXPECT_EQ(sink->jobName, "無題");
    EXPECT_EQ(sink->pages, 1);
    EXPECT_EQ(sink->ends, 1);
}

TEST_F(PrintDoc, FitFillsTheWidthOrHeight)
{
    QueuePrinter(4800, 6600);
    QueueScale(1, "");
    doc.OnFilePrint();
    EXPECT_EQ(sink->drawn, (PrintSize{4800, 6400}));
}

TEST_F(PrintDoc, CancelledScaleDialogPrintsAtRealSize)
{
    QueuePrinter(4800, 6600);
    QueueScale(0, "3", false);
    doc.OnFilePrint();
    EXPECT_EQ(sink->drawn, (PrintSize{192, 256}));
    EXPECT_EQ(sink->pages, 1);
}

TEST_F(PrintDoc, MaximumOfOnePrintsAtRealSize)
{
    Resize(3, 4, 200, 100);                 // 600 x 400
    QueuePrinter(1000, 3000);
    QueueScale(0, "");
    doc.OnFilePrint();
    EXPECT_EQ(maxShown, 1);
    EXPECT_EQ(textShown, "");
    EXPECT_EQ(sink->drawn, (PrintSize{600, 400}));
}

TEST_F(PrintDoc, SheetThatDoesNotFitIsShrunkWithoutADialog)
{
    Resize(3, 4, 200, 100);                 // 600 x 400
    QueuePrinter(500, 3000);
    doc.OnFilePrint();
    EXPECT_EQ(port.dialogCount, 0);
    EXPECT_EQ(sink->drawn, (PrintSize{500, 333}));

    // Exactly as wide as the area: fitted, no dialog either.
    QueuePrinter(600, 3000);
    doc.OnFilePrint();
    EXPECT_EQ(port.dialogCount, 0);
    EXPECT_EQ(sink->drawn, (PrintSize{600, 400}));
}

TEST_F(PrintDoc, CancelledPrintDialogPrintsNothing)
{
    doc.m_nSelState = SelState::Selected;
    doc.m_strText = "abc";
    doc.OnFilePrint();
    EXPECT_EQ(port.printDialogs, 1);
    EXPECT_EQ(sink->starts, 0);
    // The selection and the typed text were dropped before the dialog.
    EXPECT_EQ(doc.m_nSelState, SelState::None);
    EXPECT_EQ(doc.m_strText, "");
}

TEST_F(PrintDoc, RefusedJobDrawsNoPageButEnds)
{
    sink->refuseJob = true;
    QueuePrinter(100, 100);
    const int key = doc.m_imgWork.GetTransparentColor();
    doc.OnFilePrint();
    EXPECT_EQ(sink->starts, 1);
    EXPECT_EQ(sink->pages, 0);
    EXPECT_EQ(sink->ends, 1);
    EXPECT_EQ(doc.m_imgWork.GetTransparentColor(), key);
}

TEST_F(PrintDoc, PrintsWithoutColourKeyAndRestoresIt)
{
    doc.m_nBitCount = 8;
    ASSERT_TRUE(doc.OnNewDocument());
    ASSERT_EQ(doc.m_imgWork.GetTransparentColor(), 0);
    QueuePrinter(100, 100);
    doc.SetTitle("sheet.tvn");
    doc.OnFilePrint();
    EXPECT_EQ(sink->keyWhileDrawn, -1);
    // Index 0 prints in palette entry 0's colour.
    EXPECT_EQ(sink->cornerWhileDrawn, 0x808000u);
    EXPECT_EQ(sink->jobName, "sheet.tvn");
    EXPECT_EQ(doc.m_imgWork.GetTransparentColor(), 0);
}

TEST_F(PrintDoc, ThirtyTwoBitSheetKeepsItsAlphaBlendAfterPrinting)
{
    ASSERT_EQ(doc.m_nBitCount, 32);
    ASSERT_TRUE(doc.m_imgWork.HasAlpha());
    QueuePrinter(100, 100);
    doc.OnFilePrint();
    EXPECT_EQ(sink->keyWhileDrawn, -1);
    EXPECT_TRUE(doc.m_imgWork.HasAlpha());
    EXPECT_EQ(doc.m_imgWork.GetTransparentColor(), -1);
}

TEST_F(PrintDoc, DirectPrintNeverAsks)
{
    PrinterChoice c;
    c.nPageWidth = 4800;
    c.nPageHeight = 6600;
    c.pSink = sink;
    EXPECT_TRUE(doc.PrintSheet(c, false));
    EXPECT_EQ(port.dialogCount, 0);
    EXPECT_EQ(sink->drawn, (PrintSize{192, 256}));
}

TEST_F(PrintDoc, PrintForgetsALoneLeadByte)
{
    // Half of a double-byte character typed before printing must not join
    // the next key afterwards.
    doc.m_chLead = 0x82;
    doc.OnFilePrint();
    EXPECT_EQ(doc.m_chLead, 0);
    EXPECT_TRUE(doc.m_strText.empty());
}
