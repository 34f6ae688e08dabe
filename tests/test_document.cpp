#include "support/FakeUiPort.h"
#include "doc/DocFields.h"
#include "doc/Layer.h"
#include "doc/TesvanDoc.h"
#include "edit/Preferences.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace {

struct CRecordingView : CDocObserver {
    std::vector<int> hints;
    void OnUpdate(int hint) override { hints.push_back(hint); }
};

struct CFakeAnime : CAnimeWindow {
    int shows = 0, hides = 0, refreshes = 0;
    void ShowWindow(bool show) override { (show ? shows : hides)++; }
    void RefreshLayout() override { ++refreshes; }
};

RGBQUAD Grey(int v) { return RGBQUAD{uint8_t(v), uint8_t(v), uint8_t(v), 0}; }

} // namespace

TEST(Document, ConstructionDefaults)
{
    CTesvanDoc doc;
    EXPECT_EQ(CBynaryBuffer::GetBlockSize(), 256u);
    EXPECT_EQ(doc.m_nBitCount, 32);
    EXPECT_EQ(doc.m_bInitialized, 0);
    EXPECT_EQ(doc.SheetWidth(), 192);
    EXPECT_EQ(doc.SheetHeight(), 256);
    EXPECT_EQ(doc.m_lfText.lfHeight, -16);
    EXPECT_EQ(doc.m_lfText.lfCharSet, 1);
    EXPECT_EQ(doc.m_lfText.lfWeight, 0);
    EXPECT_EQ(doc.m_lfText.lfFaceName, "ＭＳ Ｐゴシック");
    for (const CLayer& layer : doc.m_Layers) {
        EXPECT_EQ(layer.m_nPage, 0);
        EXPECT_EQ(layer.m_pImage, nullptr);
    }
    for (const CLayerRegion& piece : doc.m_Pieces)
        EXPECT_EQ(piece.nLayer, -1);
    EXPECT_EQ(doc.GetTitle(), "無題");
    EXPECT_FALSE(doc.IsModified());
}

TEST(Document, FreshStartIsA32BitSheetOfTwelveEmptyLayers)
{
    CTesvanDoc doc;
    CRecordingView view;
    doc.AddView(&view);
    doc.m_nEditColumn = 2;
    doc.m_nZoom = 4;
    doc.m_Points.push_back({1, 2});
    ASSERT_TRUE(doc.OnNewDocument());
    EXPECT_EQ(view.hints, (std::vector<int>{0x17}));
    EXPECT_EQ(doc.m_bInitialized, 1);
    EXPECT_EQ(doc.m_nEditColumn, 0);
    EXPECT_EQ(doc.m_nZoom, 8);
    EXPECT_TRUE(doc.m_Points.empty());
    EXPECT_EQ(doc.m_nTool, CTesvanDoc::kPencil);
    EXPECT_EQ(doc.m_nPenWidth, 1);
    EXPECT_EQ(doc.m_nCurrentLayer, 0);
    for (int i = 0; i < 12; ++i) {
        const CLayer& layer = doc.m_Layers[i];
        EXPECT_EQ(layer.m_nPage, i);
        EXPECT_EQ(layer.m_strName, (i < 10 ? "LY0" : "LY1") + std::to_string(i % 10));
        EXPECT_EQ(layer.m_bVisible, 1);
        EXPECT_EQ(layer.m_pImage, nullptr);
        EXPECT_EQ(layer.m_nColor[0], 16);
        EXPECT_EQ(layer.m_nColor[1], 16);
    }
    for (int k = 0; k < 16; ++k)
        EXPECT_EQ(doc.m_Palette[k], Grey(255 - 17 * k)) << k;
    EXPECT_EQ(doc.m_Palette[16], Grey(0));
    EXPECT_EQ(doc.m_Palette[17], (RGBQUAD{0, 0, 255, 0}));
    EXPECT_EQ(doc.m_Palette[18], (RGBQUAD{0, 255, 0, 0}));
    EXPECT_EQ(doc.m_Palette[19], (RGBQUAD{255, 0, 0, 0}));
    EXPECT_EQ(doc.m_Palette[20], Grey(255));
    EXPECT_EQ(doc.m_Palette[255], Grey(255));
    EXPECT_EQ(doc.m_bWorkValid, 1);
    EXPECT_EQ(doc.m_imgWork.GetWidth(), 192);
    EXPECT_EQ(doc.m_imgWork.GetBPP(), 32);
    EXPECT_EQ(doc.GetBackColor(), 0xFFFFFFu);
    EXPECT_EQ(doc.GetTitle(), "無題");
}

TEST(Document, NewDocumentKeepsDepthAndGeometry)
{
    CTesvanDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    doc.m_nBitCount = 8;
    doc.m_nColumns = 5;
    doc.m_nRows = 2;
    doc.m_nCellWidth = doc.m_nCellHeight = 32;
    doc.m_nGridStep = 4;
    doc.m_Layers[3].CreateImage(160, 64, doc.m_Palette, false, 8);
    doc.m_nCurrentLayer = 3;
    doc.m_Gradations[2].nCount = 8;
    doc.m_nUndoCount = 3;
    doc.m_nSelState = SelState::Floating;
    doc.m_Anime[1].strFrames = "0,1";
    doc.m_strText = "abc";
    doc.SetPathName("/tmp/x.tvn");
    doc.SetModifiedFlag();

    ASSERT_TRUE(doc.OnNewDocument());
    EXPECT_EQ(doc.m_nBitCount, 8);
    EXPECT_EQ(doc.SheetWidth(), 160);
    EXPECT_EQ(doc.SheetHeight(), 64);
    EXPECT_EQ(doc.m_nGridStep, 4);
    EXPECT_EQ(doc.m_Palette[0], (RGBQUAD{128, 128, 0, 0}));
    EXPECT_EQ(doc.GetBackColor(), 0x808000u);
    EXPECT_EQ(doc.m_nCurrentLayer, 0);
    EXPECT_EQ(doc.m_Layers[0].m_nColor[0], 1);
    EXPECT_EQ(doc.m_Layers[0].m_nColor[1], 0);
    EXPECT_EQ(doc.m_Layers[3].m_pImage, nullptr);
    EXPECT_EQ(doc.m_Gradations[2].nCount, 0);
    EXPECT_EQ(doc.m_nUndoCount, 0);
    EXPECT_EQ(doc.m_nSelState, SelState::None);
    EXPECT_EQ(doc.m_Anime[1].strFrames, "");
    EXPECT_EQ(doc.m_strText, "");
    EXPECT_EQ(doc.m_imgWork.GetBPP(), 8);
    EXPECT_EQ(doc.m_imgWork.GetWidth(), 160);
    EXPECT_EQ(doc.GetTitle(), "無題");
    EXPECT_EQ(doc.GetPathName(), "");
    EXPECT_FALSE(doc.IsModified());
}

TEST(Document, ResetsDropSelectionUndoAndAnimation)
{
    CTesvanDoc doc;
    CFakeAnime anime;
    CTesvanDoc::s_pfnCreateAnimeWindow = [](CTesvanDoc*) -> CAnimeWindow* { return nullptr; };
    ASSERT_TRUE(doc.OnNewDocument());
    CTesvanDoc::s_pfnCreateAnimeWindow = nullptr;
    doc.m_pAnimeDlg = &anime;

    doc.m_nSelState = SelState::Floating;
    doc.m_nPieceCount = 2;
    doc.m_Pieces[1].nLayer = 4;
    doc.m_Pieces[1].right = 7;
    const uint8_t b = 1;
    doc.m_Pieces[1].data.Append(&b, 1);
    doc.m_bShift = 1;
    doc.m_crMarquee = 1;
    doc.ResetSelection(true);
    EXPECT_EQ(doc.m_nPieceCount, 0);
    EXPECT_EQ(doc.m_Pieces[1].nLayer, -1);
    EXPECT_EQ(doc.m_Pieces[1].right, 0);
    EXPECT_EQ(doc.m_Pieces[1].data.GetCapacity(), 0u);
    EXPECT_EQ(doc.m_bShift, 0);
    EXPECT_EQ(doc.m_crMarquee, 0x808080u);

    doc.PushUndo(0, 20);
    doc.PushUndo(0, 40);
    doc.Undo();
    doc.ClearUndo();
    EXPECT_TRUE(doc.m_Undo.empty());
    EXPECT_FALSE(doc.CanRedo());
    EXPECT_EQ(doc.m_nUndoCount, 0);
    EXPECT_EQ(doc.m_nUndoIndex, 0);

    doc.m_Anime[2] = CAnimeSlot{"1,2", 3};
    doc.m_bAnimeShown = 1;
    doc.ResetAnime();
    EXPECT_EQ(doc.m_Anime[2].nSpeed, 2);
    EXPECT_EQ(doc.m_Anime[2].strFrames, "");
    EXPECT_EQ(anime.hides, 1);
    EXPECT_EQ(doc.m_bAnimeShown, 0);
    doc.ResetAnime();
    EXPECT_EQ(anime.hides, 1);
    doc.m_pAnimeDlg = nullptr;
}

TEST(Document, AnimeWindowCreatedOnceThroughHook)
{
    static CFakeAnime anime;
    static int made = 0;
    CTesvanDoc::s_pfnCreateAnimeWindow = [](CTesvanDoc*) -> CAnimeWindow* {
        ++made;
        return &anime;
    };
    CTesvanDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    ASSERT_TRUE(doc.OnNewDocument());
    EXPECT_EQ(made, 1);
    EXPECT_EQ(doc.m_pAnimeDlg, &anime);
    EXPECT_EQ(anime.shows, 0);
    CTesvanDoc::s_pfnCreateAnimeWindow = nullptr;
    doc.m_pAnimeDlg = nullptr;
}

TEST(Document, ViewsAndTitle)
{
    CTesvanDoc doc;
    CRecordingView a, b;
    doc.AddView(&a);
    doc.AddView(&b);
    doc.AddView(&a);
    doc.UpdateAllViews(7);
    doc.RemoveView(&a);
    doc.UpdateAllViews(3);
    EXPECT_EQ(a.hints, (std::vector<int>{7}));
    EXPECT_EQ(b.hints, (std::vector<int>{7, 3}));
    doc.SetPathName("/home/u/キャラ.tvn");
    EXPECT_EQ(doc.GetTitle(), "キャラ.tvn");
    doc.SetPathName("");
    EXPECT_EQ(doc.GetTitle(), "無題");
}

TEST(LayerImage, CreateImageKeepsOverlapAndTables)
{
    RGBQUAD palette[256];
    for (int i = 0; i < 256; ++i)
        palette[i] = RGBQUAD{uint8_t(i), uint8_t(255 - i), 7, 0};
    CLayer layer;
    layer.Clear(3);
    ASSERT_TRUE(layer.CreateImage(4, 3, palette, false, 8));
    const CImageEx& img = *layer.m_pImage;
    EXPECT_EQ(img.GetTransparentColor(), 0);
    EXPECT_EQ(img.ColorTable()[63], palette[63]);
    EXPECT_EQ(img.ColorTable()[64], RGBQUAD{});
    EXPECT_EQ(img.ColorTable()[112], palette[112]);
    EXPECT_EQ(img.ColorTable()[127], palette[127]);
    EXPECT_EQ(img.ColorTable()[128], RGBQUAD{});

    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            layer.m_pImage->GetRow(y)[x] = uint8_t(1 + x + 4 * y);
    ASSERT_TRUE(layer.CreateImage(2, 5, palette, true, 8));
    EXPECT_EQ(layer.m_pImage->GetRow(0)[1], 2);
    EXPECT_EQ(layer.m_pImage->GetRow(2)[0], 9);
    EXPECT_EQ(layer.m_pImage->GetRow(3)[0], 0);

    // 8 to 32 bits converts through the palette; index 0 becomes empty.
    ASSERT_TRUE(layer.CreateImage(3, 3, palette, true, 32));
    EXPECT_EQ(layer.m_nBitCount, 32);
    uint32_t px;
    std::memcpy(&px, layer.m_pImage->GetRow(0) + 4, 4);
    EXPECT_EQ(px, 0xFF000000u | (7u << 16) | (253u << 8) | 2u);
    std::memcpy(&px, layer.m_pImage->GetRow(0) + 8, 4);
    EXPECT_EQ(px, 0u);

    // A size that cannot be created is reported and keeps the old image.
    CImageEx* before = layer.m_pImage;
    EXPECT_FALSE(layer.CreateImage(0, 3, palette, false, 32));
    EXPECT_EQ(layer.m_pImage, before);
}

TEST(LayerImage, ConvertIndexedTo32AndSwap)
{
    RGBQUAD palette[256] = {};
    palette[5] = RGBQUAD{0x11, 0x22, 0x33, 0};
    CImageEx src, dst;
    ASSERT_TRUE(src.CreateEx(2, 1, 8));
    ASSERT_TRUE(dst.CreateEx(2, 1, 32, CImageEx::createAlphaChannel));
    src.GetRow(0)[1] = 5;
    std::memset(dst.GetRow(0), 0xAB, 8);
    ConvertIndexedTo32(src, dst, palette, 2, 1);
    uint32_t px[2];
    std::memcpy(px, dst.GetRow(0), 8);
    EXPECT_EQ(px[0], 0u);
    EXPECT_EQ(px[1], 0xFF332211u);

    CLayer a, b;
    a.Clear(2);
    a.m_strName = "A";
    a.CreateImage(1, 1, palette, false, 32);
    b.Clear(7);
    a.Swap(b);
    EXPECT_EQ(a.m_nPage, 7);
    EXPECT_EQ(a.m_pImage, nullptr);
    EXPECT_EQ(b.m_strName, "A");
    EXPECT_NE(b.m_pImage, nullptr);
}

TEST(DocumentView, ZoomRangeBackgroundAndGridWithoutADisplay)
{
    CFakeUiPort port;
    CTesvanDoc doc;
    doc.OnNewDocument();
    CRecordingView view;
    doc.AddView(&view);
    EXPECT_EQ(CTesvanDoc::StepZoom(8, 1), 12);
    EXPECT_EQ(CTesvanDoc::StepZoom(5, 1), 6);
    EXPECT_EQ(CTesvanDoc::StepZoom(5, -1), 4);
    EXPECT_EQ(CTesvanDoc::StepZoom(32, 1), 32);
    EXPECT_EQ(CTesvanDoc::StepZoom(1, -1), 1);
    // A zoom drops pending text and the selection and changes no file.
    doc.m_strText = "ab";
    doc.m_nSelState = SelState::Selected;
    doc.OnZoomIn();
    EXPECT_EQ(doc.m_nZoom, 12);
    EXPECT_TRUE(doc.m_strText.empty());
    EXPECT_EQ(doc.m_nSelState, SelState::None);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(view.hints, std::vector<int>{19});
    doc.OnZoom();
    EXPECT_EQ(doc.m_nZoom, 8);
    doc.SetZoom(5);  // not in the range
    EXPECT_EQ(doc.m_nZoom, 8);
    for (int i = 0; i < 5; ++i)
        doc.OnZoomOut();
    EXPECT_EQ(doc.m_nZoom, 1);
    EXPECT_FALSE(doc.CanZoomOut());

    // The background: cancelled or unchanged is no change; a new colour is.
    view.hints.clear();
    doc.OnBackColor();
    port.colours.push_back(doc.m_crBackground);
    doc.OnBackColor();
    EXPECT_FALSE(doc.IsModified());
    port.colours.push_back(RGB(1, 2, 3));
    doc.OnBackColor();
    EXPECT_EQ(doc.m_crBackground, RGB(1, 2, 3));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(view.hints, std::vector<int>{7});
    doc.OnGrid();
    EXPECT_EQ(doc.m_bShowGrid, 0);
    EXPECT_EQ(doc.m_nUndoCount, 0);
    doc.RemoveView(&view);
}

TEST(DocumentView, PreferencesRefuseOutOfRangeAndChangeNothing)
{
    CTesvanDoc doc;
    CPreferencesDlg dlg;
    dlg.FromDocument(doc);
    EXPECT_EQ(dlg.m_nUndoSteps, 100);
    EXPECT_EQ(dlg.m_nUndoMemory, 512);
    std::string error, message;
    EXPECT_FALSE(dlg.SetField("m_nNoSuch", "1", error));
    ASSERT_TRUE(dlg.SetField("m_nUndoMemory", "64", error));
    ASSERT_TRUE(dlg.SetField("m_nUndoSteps", "9", error));
    EXPECT_FALSE(dlg.Validate(message));
    EXPECT_EQ(message, "10 から 1000 までの整数を入力してください。");
    EXPECT_EQ(dlg.m_nUndoMemory, 512);
    ASSERT_TRUE(dlg.SetField("m_nUndoSteps", "x", error));
    EXPECT_FALSE(dlg.Validate(message));
    EXPECT_EQ(message, "整数を入力してください。");
    ASSERT_TRUE(dlg.SetField("m_nUndoSteps", " 250 ", error));
    ASSERT_TRUE(dlg.Validate(message));
    dlg.ApplyTo(doc);
    EXPECT_EQ(doc.GetUndoStepLimit(), 250);
    EXPECT_EQ(doc.GetUndoBudget(), size_t(64) << 20);
}

TEST(DocumentFields, ScriptsReadEveryPartOfTheDocumentByItsDeclaredName)
{
    CTesvanDoc doc;
    doc.m_nSelState = SelState::Floating;
    doc.m_rcSel = CRect{1, 2, 3, 4};
    doc.m_ptLast = CPoint{5, 6};
    doc.m_Anime[0].nSpeed = 3;
    doc.m_bAnimeShown = 1;
    std::string out;
    ASSERT_TRUE(DocFieldText(doc, "m_nSelState", out));
    EXPECT_EQ(out, "2");
    ASSERT_TRUE(DocFieldText(doc, "m_rcSel", out));
    EXPECT_EQ(out, "1 2 3 4");
    ASSERT_TRUE(DocFieldText(doc, "m_ptLast", out));
    EXPECT_EQ(out, "5 6");
    ASSERT_TRUE(DocFieldText(doc, "m_bAnimeShown", out));
    EXPECT_EQ(out, "1");
    EXPECT_FALSE(DocFieldText(doc, "m_pAnimeDlg", out));
    // The names are part of the script interface.
    const std::vector<std::string> names = DocFieldNames();
    EXPECT_EQ(names.size(), 48u);
    for (const char* name : {"m_nBitCount", "m_crBackground", "m_nTool", "m_nButton", "m_crMarquee",
                             "m_nSelLayer", "m_nPieceCount", "m_strText", "m_chLead", "m_bShift",
                             "m_nUndoCount", "m_strPathName", "m_lfText.lfFaceName"})
        EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;
    ASSERT_TRUE(LayerFieldText(doc.m_Layers[0], "m_pImage", out));
    EXPECT_EQ(out, "none");
}
