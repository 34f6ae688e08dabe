#include "support/FakeUiPort.h"
#include "doc/Archive.h"
#include "doc/TesvanDoc.h"
#include "map/MapRender.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Save(CTesvanDoc& doc)
{
    CArchive ar;
    doc.Serialize(ar);
    return ar.Data();
}

// A 3 x 3 chip of distinct values, shown through the flips.
std::vector<int> Shown(uint32_t flips)
{
    std::vector<int> out(9);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) {
            int sx, sy;
            chip::SourcePixel(flips, 3, 3, x, y, sx, sy);
            out[size_t(y) * 3 + x] = sy * 3 + sx;
        }
    return out;
}

std::vector<int> Turned(const std::vector<int>& p)   // 90 degrees clockwise
{
    std::vector<int> out(9);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            out[size_t(y) * 3 + x] = p[size_t(2 - x) * 3 + y];
    return out;
}

std::vector<int> Mirrored(const std::vector<int>& p, bool across)
{
    std::vector<int> out(9);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            out[size_t(y) * 3 + x] = across ? p[size_t(y) * 3 + 2 - x] : p[size_t(2 - y) * 3 + x];
    return out;
}

// A 32-bit document of 4 x 4 cells, 2 x 2 of them; cell n is filled with
// colour 0xFF0000nn except pixel (0, 0), which is 0xFF0100nn.
struct ChipDoc {
    CFakeUiPort ui;
    CTesvanDoc doc;
    ChipDoc()
    {
        doc.m_nBitCount = 32;
        doc.m_nCellWidth = doc.m_nCellHeight = 4;
        doc.m_nColumns = doc.m_nRows = 2;
        doc.OnNewDocument();
        CLayer& l = doc.m_Layers[0];
        if (!l.m_pImage || l.m_pImage->IsNull())
            l.CreateImage(doc.SheetWidth(), doc.SheetHeight(), doc.m_Palette, false, 32);
        for (int n = 0; n < 4; ++n)
            for (int y = 0; y < 4; ++y)
                for (int x = 0; x < 4; ++x)
                    Set(n, x, y, 0xFF000000u | uint32_t(n + 1) | (x == 0 && y == 0 ? 0x10000u : 0));
        doc.ComposeAll(true);
    }
    void Set(int cell, int x, int y, uint32_t v)
    {
        CImageEx& img = *doc.m_Layers[0].m_pImage;
        std::memcpy(img.GetRow((cell / 2) * 4 + y) + 4 * ((cell % 2) * 4 + x), &v, 4);
    }
};

uint32_t Pixel(const CImageEx& img, int x, int y)
{
    uint32_t v;
    std::memcpy(&v, img.GetRow(y) + 4 * x, 4);
    return v;
}

} // namespace

TEST(MapFlips, EveryCombinationTurnsAndMirrorsAsShown)
{
    for (uint32_t k = 0; k < 8; ++k) {
        const uint32_t f = k << 29;
        SCOPED_TRACE(chip::FlipText(f));
        EXPECT_EQ(Shown(chip::RotateRight(f)), Turned(Shown(f)));
        EXPECT_EQ(Shown(chip::FlipH(f)), Mirrored(Shown(f), true));
        EXPECT_EQ(Shown(chip::FlipV(f)), Mirrored(Shown(f), false));
        EXPECT_EQ(chip::RotateRight(chip::RotateRight(chip::RotateRight(chip::RotateRight(f)))), f);
    }
    // As Tiled stores a turn: 90 = D|H, 180 = H|V, 270 = D|V.
    EXPECT_EQ(chip::RotateRight(0), chip::kFlipD | chip::kFlipH);
    EXPECT_EQ(chip::RotateRight(chip::RotateRight(0)), chip::kFlipH | chip::kFlipV);
    EXPECT_EQ(chip::RotateRight(chip::RotateRight(chip::RotateRight(0))), chip::kFlipD | chip::kFlipV);
    const uint32_t v = chip::Make(12, chip::kFlipH | chip::kFlipV | chip::kFlipD);
    EXPECT_EQ(v, 13u | 0xE0000000u);
    EXPECT_EQ(chip::CellOf(v), 12);
    EXPECT_EQ(chip::FlipText(chip::FlipsOf(v)), "hvd");
    EXPECT_TRUE(chip::IsEmpty(chip::kFlipH));
}

TEST(MapModel, SizesNamesAndResizeKeepTheTopLeft)
{
    struct {
        int w, h;
        bool ok;
    } sizes[] = {{1, 1, true}, {1024, 1024, true}, {1024, 1025, false}, {0, 5, false}, {2048, 512, false}};
    for (const auto& s : sizes)
        EXPECT_EQ(CChipMap::ValidSize(s.w, s.h), s.ok) << s.w << "x" << s.h;

    CChipMaps maps;
    maps.maps.push_back(CChipMap::Make(maps.NextName(), 3, 2));
    maps.maps.push_back(CChipMap::Make(maps.NextName(), 2, 2));
    EXPECT_EQ(maps.maps[1].strName, "map2");
    maps.maps[0].strName = "2";
    EXPECT_EQ(maps.Find("2"), 1);      // numbers first
    EXPECT_EQ(maps.Find("map2"), 1);
    EXPECT_EQ(maps.Find("3"), -1);
    EXPECT_EQ(maps.NextName(), "map1");

    CChipMap& m = maps.maps[0];
    ASSERT_TRUE(m.AddLayer());
    EXPECT_EQ(m.layers[1].strName, "layer2");
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            m.At(1, x, y) = chip::Make(y * 3 + x, 0);
    m.Resize(2, 3);
    EXPECT_EQ(m.At(1, 0, 0), chip::Make(0, 0));
    EXPECT_EQ(m.At(1, 1, 1), chip::Make(4, 0));
    EXPECT_EQ(m.At(1, 0, 2), chip::kEmpty);
    EXPECT_EQ(maps.CountCellsFrom(3), 2u);
    EXPECT_EQ(maps.ClearCellsFrom(3), 2u);
    EXPECT_EQ(m.At(1, 0, 1), chip::kEmpty);
    while (m.AddLayer()) {}
    EXPECT_EQ(int(m.layers.size()), CChipMap::kMaxLayers);
}

TEST(MapExtension, MapsTravelInTheBlockAndOnlyThere)
{
    CFakeUiPort ui;
    CTesvanDoc doc;
    doc.OnNewDocument();
    doc.m_nZoom = 4;
    const Bytes plain = Save(doc);
    EXPECT_EQ(plain.size(), 2232u);    // no block without maps

    CChipMap m = CChipMap::Make("草原", 3, 2);
    m.AddLayer();
    m.layers[1].bShown = false;
    m.layers[1].strName = "上";
    m.At(0, 2, 1) = chip::Make(5, chip::kFlipD | chip::kFlipH);
    m.At(1, 0, 0) = chip::Make(0, 0);
    doc.m_Maps.maps = {m, CChipMap::Make("b", 1, 1)};
    const Bytes full = Save(doc);
    EXPECT_EQ(Bytes(full.begin(), full.begin() + ptrdiff_t(plain.size())), plain);

    CTesvanDoc back;
    back.OnNewDocument();
    ASSERT_TRUE(back.LoadFromMemory(full.data(), full.size()));
    EXPECT_EQ(back.m_Maps, doc.m_Maps);
    EXPECT_EQ(Save(back), full);
    EXPECT_TRUE(ui.messages.empty());

    // Damage anywhere in a map record leaves every map out and tells.
    const size_t rec = plain.size() + 8;   // after "TVNX" and the version
    auto damaged = [&](size_t at, uint32_t value) {
        Bytes b = full;
        std::memcpy(b.data() + at, &value, 4);
        CTesvanDoc d;
        d.OnNewDocument();
        ui.messages.clear();
        EXPECT_TRUE(d.LoadFromMemory(b.data(), b.size()));
        return d.m_Maps.empty() && ui.messages.size() == 1;
    };
    EXPECT_TRUE(damaged(rec + 8, 0));          // width 0
    EXPECT_TRUE(damaged(rec + 8, 1025));       // width beyond the limit
    EXPECT_TRUE(damaged(rec + 12, 0));         // height 0
    EXPECT_TRUE(damaged(rec + 16, 999));       // name longer than the record
    EXPECT_TRUE(damaged(rec + 20 + 6, 9));     // nine layers
    EXPECT_TRUE(damaged(rec + 4, 0x7FFFFFFF)); // record beyond the file
    Bytes many = plain;
    {
        CTesvanDoc d;
        d.OnNewDocument();
        d.m_nZoom = 4;
        for (int k = 0; k < 17; ++k)
            d.m_Maps.maps.push_back(CChipMap::Make("m", 1, 1));
        many = Save(d);
        CTesvanDoc e;
        e.OnNewDocument();
        ui.messages.clear();
        EXPECT_TRUE(e.LoadFromMemory(many.data(), many.size()));
        EXPECT_TRUE(e.m_Maps.empty());
        EXPECT_EQ(ui.messages.size(), 1u);
    }
}

TEST(MapRender, ChipsFlipsZoomAndOnlyChangedCellsRecomposed)
{
    ChipDoc c;
    CChipMap m = CChipMap::Make("m", 3, 1);
    m.AddLayer();
    m.At(0, 0, 0) = chip::Make(1, 0);
    m.At(0, 1, 0) = chip::Make(2, chip::kFlipH);
    m.At(0, 2, 0) = chip::Make(3, chip::RotateRight(0));
    m.At(1, 0, 0) = chip::Make(0, 0);
    m.layers[1].bShown = false;
    CChipCache cache;
    ASSERT_TRUE(cache.Update(c.doc));
    EXPECT_EQ(cache.ComposedCells(), 4u);
    CImageEx out;
    ASSERT_TRUE(out.CreateEx(24, 8, 32, CImageEx::createAlphaChannel));
    RenderMap(m, cache, CPixelTarget::Of(out), {2, 0, 0, nullptr});
    EXPECT_EQ(Pixel(out, 0, 0), 0xFF010002u);   // the marked corner, 2 x 2
    EXPECT_EQ(Pixel(out, 1, 1), 0xFF010002u);
    EXPECT_EQ(Pixel(out, 2, 0), 0xFF000002u);
    EXPECT_EQ(Pixel(out, 8 + 7, 0), 0xFF010003u);   // mirrored: top right
    EXPECT_EQ(Pixel(out, 16 + 7, 0), 0xFF010004u);  // turned right: top right
    EXPECT_EQ(Pixel(out, 16, 7), 0xFF000004u);

    // The hidden layer shows once shown; an empty cell is transparent.
    m.layers[1].bShown = true;
    m.At(0, 1, 0) = chip::kEmpty;
    RenderMap(m, cache, CPixelTarget::Of(out), {1, 0, 0, nullptr});
    EXPECT_EQ(Pixel(out, 0, 0), 0xFF010001u);
    EXPECT_EQ(Pixel(out, 4, 0), 0u);
    RenderMap(m, cache, CPixelTarget::Of(out), {1, 9, 1, nullptr});   // scrolled
    EXPECT_EQ(Pixel(out, 0, 0), 0xFF000004u);
    EXPECT_EQ(Pixel(out, 3, 0), 0u);

    // An edit composes only its cell again, and shows wherever it is used.
    c.Set(0, 1, 1, 0xFF00FF00u);
    c.doc.Compose(true, 1, 1, 1, 1);
    ASSERT_TRUE(cache.Update(c.doc));
    EXPECT_EQ(cache.ComposedCells(), 5u);
    RenderMap(m, cache, CPixelTarget::Of(out), {1, 0, 0, nullptr});
    EXPECT_EQ(Pixel(out, 1, 1), 0xFF00FF00u);
    // Animation: cell 0 shown as cell 3.
    const std::vector<int> shown = {3, 1, 2, 3};
    RenderMap(m, cache, CPixelTarget::Of(out), {1, 0, 0, &shown});
    EXPECT_EQ(Pixel(out, 1, 1), 0xFF000004u);
}

TEST(MapRender, EightBitChipsThroughThePaletteIndexZeroClear)
{
    CFakeUiPort ui;
    CTesvanDoc doc;
    doc.m_nBitCount = 8;
    doc.m_nCellWidth = doc.m_nCellHeight = 2;
    doc.m_nColumns = 2;
    doc.m_nRows = 1;
    doc.OnNewDocument();
    CLayer& l = doc.m_Layers[0];
    if (!l.m_pImage || l.m_pImage->IsNull())
        l.CreateImage(doc.SheetWidth(), doc.SheetHeight(), doc.m_Palette, false, 8);
    doc.m_Palette[7] = RGBQUAD{0x30, 0x20, 0x10, 0};
    doc.ApplyPaletteToLayers();
    l.m_pImage->GetRow(0)[2] = 7;   // cell 1, pixel (0, 0)
    doc.ComposeAll(true);
    CChipMap m = CChipMap::Make("m", 1, 1);
    m.At(0, 0, 0) = chip::Make(1, chip::kFlipH);
    CChipCache cache;
    ASSERT_TRUE(cache.Update(doc));
    CImageEx out;
    ASSERT_TRUE(out.CreateEx(2, 2, 32, CImageEx::createAlphaChannel));
    RenderMap(m, cache, CPixelTarget::Of(out), {1, 0, 0, nullptr});
    EXPECT_EQ(Pixel(out, 1, 0), 0xFF102030u);
    EXPECT_EQ(Pixel(out, 0, 0), 0u);
}

TEST(MapRender, WhatNoChipCoversIsClearedWhateverTheTargetHeld)
{
    ChipDoc c;
    CChipMap m = CChipMap::Make("m", 3, 2);
    m.At(0, 0, 0) = chip::Make(1, 0);
    m.At(0, 2, 1) = chip::Make(2, chip::kFlipV);   // the rest empty
    CChipCache cache;
    ASSERT_TRUE(cache.Update(c.doc));
    CImageEx clean, dirty;
    ASSERT_TRUE(clean.CreateEx(30, 20, 32, CImageEx::createAlphaChannel));
    ASSERT_TRUE(dirty.CreateEx(30, 20, 32, CImageEx::createAlphaChannel));
    for (const CMapRenderOptions& o : {CMapRenderOptions{1, -5, -3}, {2, 3, 1}, {1, 40, 0}, {3, -2, -9}}) {
        for (int y = 0; y < 20; ++y) {
            std::memset(clean.GetRow(y), 0, 30 * 4);
            std::memset(dirty.GetRow(y), 0xA5, 30 * 4);
        }
        RenderMap(m, cache, CPixelTarget::Of(clean), o);
        RenderMap(m, cache, CPixelTarget::Of(dirty), o);
        for (int y = 0; y < 20; ++y)
            ASSERT_EQ(std::memcmp(clean.GetRow(y), dirty.GetRow(y), 30 * 4), 0) << o.zoom << " " << o.originX << " " << y;
    }
}
