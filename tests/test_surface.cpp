#include "doc/SurfaceTarget.h"
#include "platform/Surface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kMark1 = 0x010101;
constexpr uint32_t kMark2 = 0x020202;

// A top-down 32-bit buffer; pixel values are as stored (0xAARRGGBB).
struct Canvas {
    int w, h;
    std::vector<uint32_t> px;
    PixelTarget t;
    Canvas(int width, int height, uint32_t fill = 0) : w(width), h(height), px(size_t(width) * height, fill)
    {
        t.bits = reinterpret_cast<uint8_t*>(px.data());
        t.pitch = width * 4;
        t.width = width;
        t.height = height;
        t.bpp = 32;
    }
    uint32_t At(int x, int y) const { return px[size_t(y) * w + x]; }
    // '.' empty, '#' marker 1, 'o' marker 2, '?' anything else.
    std::string Map() const
    {
        std::string s;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const uint32_t v = At(x, y);
                s += v == 0 ? '.' : v == kMark1 ? '#' : v == kMark2 ? 'o' : '?';
            }
            s += '\n';
        }
        return s;
    }
    std::set<std::pair<int, int>> Set(uint32_t value = kMark1) const
    {
        std::set<std::pair<int, int>> s;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (At(x, y) == value)
                    s.insert({x, y});
        return s;
    }
};

std::string Rows(std::initializer_list<const char*> rows)
{
    std::string s;
    for (const char* r : rows) {
        s += r;
        s += '\n';
    }
    return s;
}

SurfacePen Pen(int width, uint32_t colour = kMark1) { return {PenStyle::Solid, width, colour}; }

std::string DrawEllipse(int w, int h, int penWidth, bool fill)
{
    Canvas c(w + 2, h + 2);
    CSurface s(c.t);
    s.SelectPen(Pen(penWidth));
    if (fill)
        s.SelectBrush(SurfaceBrush::Solid(kMark2));
    s.Ellipse(1, 1, w + 1, h + 1);
    return c.Map();
}

} // namespace

// ------------------------------------------------------------------ lines

TEST(SurfaceLine, StraightLinesLeaveOutTheFinalPoint)
{
    Canvas c(8, 8);
    CSurface s(c.t);
    s.SelectPen(Pen(1));
    s.Polyline({{1, 1}, {6, 1}});
    s.Polyline({{1, 3}, {1, 7}});
    s.Polyline({{3, 3}, {6, 6}});
    EXPECT_EQ(c.Map(), Rows({"........",
                             ".#####..",
                             "........",
                             ".#.#....",
                             ".#..#...",
                             ".#...#..",
                             ".#......",
                             "........"}));
}

TEST(SurfaceLine, PolylineJoinsSegmentsAndReturnsToClose)
{
    Canvas c(6, 5);
    CSurface s(c.t);
    s.SelectPen(Pen(1));
    s.Polyline({{1, 1}, {1, 3}, {4, 3}, {4, 1}, {1, 1}});
    EXPECT_EQ(c.Map(), Rows({"......", ".####.", ".#..#.", ".####.", "......"}));
    // Open figure: the last corner stays empty.
    Canvas d(6, 5);
    CSurface s2(d.t);
    s2.SelectPen(Pen(1));
    s2.Polyline({{1, 1}, {4, 1}, {4, 3}});
    EXPECT_EQ(d.Map(), Rows({"......", ".####.", "....#.", "......", "......"}));
}

TEST(SurfaceLine, NearestPixelsAndTies)
{
    std::vector<SurfacePoint> px;
    LinePixels({0, 0}, {9, 3}, px);
    const std::vector<SurfacePoint> expected{{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 1},
                                             {5, 2}, {6, 2}, {7, 2}, {8, 3}, {9, 3}};
    EXPECT_EQ(px, expected);
    // 1/4 and 3/4 are no ties; the middle (one half) goes toward the upper end.
    LinePixels({0, 0}, {4, 1}, px);
    EXPECT_EQ(px, (std::vector<SurfacePoint>{{0, 0}, {1, 0}, {2, 0}, {3, 1}, {4, 1}}));
    LinePixels({0, 1}, {4, 0}, px);
    EXPECT_EQ(px, (std::vector<SurfacePoint>{{0, 1}, {1, 1}, {2, 0}, {3, 0}, {4, 0}}));
    LinePixels({0, 0}, {1, 4}, px);
    EXPECT_EQ(px, (std::vector<SurfacePoint>{{0, 0}, {0, 1}, {0, 2}, {1, 3}, {1, 4}}));
    // Halves off the middle go toward the nearer end: 0, .5, 1, 1.5, 2 over 0..4 × 0..2.
    LinePixels({0, 0}, {8, 3}, px);
    EXPECT_EQ(px, (std::vector<SurfacePoint>{{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 1},
                                             {5, 2}, {6, 2}, {7, 3}, {8, 3}}));
    LinePixels({2, 7}, {2, 7}, px);
    EXPECT_EQ(px, (std::vector<SurfacePoint>{{2, 7}}));
}

TEST(SurfaceLine, SamePixelsInBothDirectionsAndMirrored)
{
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> coord(-20, 20);
    std::vector<SurfacePoint> ab, ba, mirrored;
    for (int i = 0; i < 2000; ++i) {
        const SurfacePoint a{coord(rng), coord(rng)}, b{coord(rng), coord(rng)};
        LinePixels(a, b, ab);
        LinePixels(b, a, ba);
        std::reverse(ba.begin(), ba.end());
        ASSERT_EQ(ab, ba) << a.x << "," << a.y << " " << b.x << "," << b.y;
        ASSERT_EQ(ab.front(), a);
        ASSERT_EQ(ab.back(), b);
        // Mirroring the segment left-right mirrors its pixels.
        LinePixels({-a.x, a.y}, {-b.x, b.y}, mirrored);
        ASSERT_EQ(mirrored.size(), ab.size());
        for (size_t k = 0; k < ab.size(); ++k) {
            ASSERT_EQ(mirrored[k].x, -ab[k].x);
            ASSERT_EQ(mirrored[k].y, ab[k].y);
        }
        for (size_t k = 1; k < ab.size(); ++k)
            ASSERT_LE(std::max(std::abs(ab[k].x - ab[k - 1].x), std::abs(ab[k].y - ab[k - 1].y)), 1);
    }
}

TEST(SurfaceLine, PolylineDrawsTheSegmentPixelsWithoutTheEnd)
{
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> coord(-8, 40);
    std::vector<SurfacePoint> px;
    for (int i = 0; i < 300; ++i) {
        const SurfacePoint a{coord(rng), coord(rng)}, b{coord(rng), coord(rng)};
        Canvas c(32, 32);
        CSurface s(c.t);
        s.SelectPen(Pen(1));
        s.Polyline({a, b});
        LinePixels(a, b, px);
        px.pop_back();
        std::set<std::pair<int, int>> expected;
        for (SurfacePoint p : px)
            if (p.x >= 0 && p.y >= 0 && p.x < 32 && p.y < 32)
                expected.insert({p.x, p.y});
        ASSERT_EQ(c.Set(), expected) << a.x << "," << a.y << " " << b.x << "," << b.y;
    }
}

TEST(SurfaceLine, WidePensStampSquaresWithSquareCaps)
{
    // Line figure P0, P1, P0: both ends drawn.
    for (int w = 1; w <= 3; ++w) {
        Canvas c(10, 9);
        CSurface s(c.t);
        s.SelectPen(Pen(w));
        s.Polyline({{2, 4}, {6, 4}, {2, 4}});
        const int lo = -(w / 2), hi = lo + w - 1;
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 10; ++x) {
                const bool in = x >= 2 + lo && x <= 6 + hi && y >= 4 + lo && y <= 4 + hi;
                ASSERT_EQ(c.At(x, y), in ? kMark1 : 0u) << "w=" << w << " " << x << "," << y;
            }
    }
    Canvas c(8, 8);
    CSurface s(c.t);
    s.SelectPen(Pen(2));
    s.Polyline({{2, 2}, {5, 5}});
    EXPECT_EQ(c.Map(), Rows({"........",
                             ".##.....",
                             ".###....",
                             "..###...",
                             "...###..",
                             "....##..",
                             "........",
                             "........"}));
    Canvas d(8, 8);
    CSurface s3(d.t);
    s3.SelectPen(Pen(3));
    s3.Polyline({{2, 5}, {2, 2}});
    EXPECT_EQ(d.Map(), Rows({"........",
                             ".###....",
                             ".###....",
                             ".###....",
                             ".###....",
                             ".###....",
                             ".###....",
                             "........"}));
}

TEST(SurfaceLine, DottedPenThreeOnThreeOffAcrossSegments)
{
    Canvas c(12, 4);
    CSurface s(c.t);
    s.SelectPen({PenStyle::Dot, 1, kMark1});
    s.Polyline({{0, 1}, {4, 1}, {11, 1}});
    EXPECT_EQ(c.Map(), Rows({"............", "###...###...", "............", "............"}));
    // A wider dotted pen draws solid.
    Canvas d(6, 3);
    CSurface s2(d.t);
    s2.SelectPen({PenStyle::Dot, 2, kMark1});
    s2.Polyline({{1, 2}, {4, 2}});
    EXPECT_EQ(d.Map(), Rows({"......", "#####.", "#####."}));
}

TEST(SurfaceLine, MoveToLineToAndNullPen)
{
    Canvas c(6, 3);
    CSurface s(c.t);
    s.SelectPen(Pen(1));
    s.MoveTo(0, 1);
    s.LineTo(3, 1);
    s.LineTo(5, 1);
    EXPECT_EQ(c.Map(), Rows({"......", "#####.", "......"}));
    const SurfacePen old = s.SelectPen({PenStyle::Null, 1, kMark2});
    EXPECT_EQ(old.color, kMark1);
    s.Polyline({{0, 0}, {5, 0}});
    EXPECT_EQ(c.At(2, 0), 0u);
}

TEST(SurfaceLine, ClippedAndFarOutsideSegmentsAreCheap)
{
    Canvas c(16, 8);
    CSurface s(c.t);
    s.SelectPen(Pen(3));
    s.Polyline({{-1000000000, 4}, {1000000000, 4}});
    for (int x = 0; x < 16; ++x)
        EXPECT_EQ(c.At(x, 3), kMark1);
    EXPECT_EQ(c.At(0, 0), 0u);
    EXPECT_EQ(c.At(0, 6), 0u);
    // Dots keep their phase through the clipped part.
    Canvas d(12, 1);
    CSurface s2(d.t);
    s2.SelectPen({PenStyle::Dot, 1, kMark1});
    s2.Polyline({{-6000, 0}, {100, 0}});
    EXPECT_EQ(d.Map(), Rows({"###...###..."}));
}

TEST(SurfaceLine, ExtremeCoordinatesAreSafe)
{
    Canvas c(8, 8);
    CSurface s(c.t);
    s.SelectBrush(SurfaceBrush::Solid(kMark2));
    for (int w : {1, 3, 100000}) {
        s.SelectPen(Pen(w));
        s.Polyline({{INT32_MIN, INT32_MIN}, {INT32_MAX, INT32_MAX}, {INT32_MIN, INT32_MAX}});
        s.Rectangle(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX);
        s.Ellipse(INT32_MIN, 0, INT32_MAX, 8);
        s.Arc(INT32_MIN, 0, INT32_MAX, 8, 0, 0, INT32_MAX, INT32_MIN);
        const SurfacePoint pts[4] = {{INT32_MIN, INT32_MIN}, {0, 0}, {INT32_MAX, 5}, {INT32_MAX, INT32_MAX}};
        s.PolyBezier(pts, 4);
    }
    // The diagonal through the whole coordinate range crosses the canvas.
    Canvas d(8, 8);
    CSurface s2(d.t);
    s2.SelectPen(Pen(1));
    s2.Polyline({{INT32_MIN + 1, INT32_MIN + 1}, {INT32_MAX, INT32_MAX}});
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(d.At(k, k), kMark1);
}

TEST(SurfaceLine, ThirtyTwoBitWritesLeaveAlphaZero)
{
    Canvas c(4, 1, 0xFF123456);
    CSurface s(c.t);
    s.SelectPen(Pen(1, 0x00332211));
    s.Polyline({{1, 0}, {3, 0}});
    EXPECT_EQ(c.At(0, 0), 0xFF123456u);
    EXPECT_EQ(c.At(1, 0), 0x00112233u);
    EXPECT_EQ(c.At(2, 0), 0x00112233u);
    EXPECT_EQ(c.At(3, 0), 0xFF123456u);
    EXPECT_EQ(s.GetPixel(1, 0), 0x00332211u);
    EXPECT_EQ(s.GetPixel(0, 0), 0x00563412u);
    EXPECT_EQ(s.GetPixel(4, 0), CSurface::CLR_INVALID);
    EXPECT_EQ(s.SetPixel(-1, 0, kMark1), CSurface::CLR_INVALID);
}

// ------------------------------------------------------------------ rectangles

TEST(SurfaceRectangle, OutlineAndFillRightBottomExclusive)
{
    Canvas c(7, 7);
    CSurface s(c.t);
    s.SelectPen(Pen(1));
    s.SelectBrush(SurfaceBrush::Solid(kMark2));
    s.Rectangle(1, 1, 6, 6);
    const std::string expected = Rows({".......",
                                       ".#####.",
                                       ".#ooo#.",
                                       ".#ooo#.",
                                       ".#ooo#.",
                                       ".#####.",
                                       "......."});
    EXPECT_EQ(c.Map(), expected);
    Canvas d(7, 7);
    CSurface s2(d.t);
    s2.SelectPen(Pen(1));
    s2.SelectBrush(SurfaceBrush::Solid(kMark2));
    s2.Rectangle(6, 6, 1, 1);
    EXPECT_EQ(d.Map(), expected);
}

TEST(SurfaceRectangle, WidePenStaysInsideAndNullBrushKeepsInterior)
{
    Canvas c(7, 7, 0x77);
    CSurface s(c.t);
    s.SelectPen(Pen(2));
    s.Rectangle(1, 1, 6, 6);
    int inside = 0;
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 7; ++x) {
            const bool box = x >= 1 && x <= 5 && y >= 1 && y <= 5;
            const bool hole = x == 3 && y == 3;
            ASSERT_EQ(c.At(x, y), box && !hole ? kMark1 : 0x77u) << x << "," << y;
            inside += box;
        }
    EXPECT_EQ(inside, 25);
    Canvas d(7, 7);
    CSurface s3(d.t);
    s3.SelectPen(Pen(3));
    s3.SelectBrush(SurfaceBrush::Solid(kMark2));
    s3.Rectangle(1, 1, 6, 6);
    EXPECT_EQ(d.Set().size(), 25u);
    // No pen: the whole box takes the brush.
    Canvas e(4, 4);
    CSurface s4(e.t);
    s4.SelectPen({PenStyle::Null, 1, 0});
    s4.SelectBrush(SurfaceBrush::Solid(kMark2));
    s4.Rectangle(0, 0, 3, 2);
    EXPECT_EQ(e.Map(), Rows({"ooo.", "ooo.", "....", "...."}));
}

// ------------------------------------------------------------------ ellipses

TEST(SurfaceEllipse, SmallBoxesExactPixels)
{
    EXPECT_EQ(DrawEllipse(3, 3, 1, true), Rows({".....", "..#..", ".#o#.", "..#..", "....."}));
    EXPECT_EQ(DrawEllipse(4, 4, 1, true),
              Rows({"......", "..##..", ".#oo#.", ".#oo#.", "..##..", "......"}));
    EXPECT_EQ(DrawEllipse(8, 6, 1, true), Rows({"..........",
                                                "...####...",
                                                "..#oooo#..",
                                                ".#oooooo#.",
                                                ".#oooooo#.",
                                                "..#oooo#..",
                                                "...####...",
                                                ".........."}));
    EXPECT_EQ(DrawEllipse(5, 5, 1, false),
              Rows({".......", "..###..", ".#...#.", ".#...#.", ".#...#.", "..###..", "......."}));
    EXPECT_EQ(DrawEllipse(2, 2, 1, true), Rows({"....", ".##.", ".##.", "...."}));
    EXPECT_EQ(DrawEllipse(1, 3, 1, true), Rows({"...", ".#.", ".#.", ".#.", "..."}));
}

TEST(SurfaceEllipse, SymmetricInsideBoxAndIndependentOfCorners)
{
    for (int w = 1; w <= 24; ++w)
        for (int h = 1; h <= 24; h += (w % 3) + 1)
            for (int pen = 1; pen <= 3; ++pen) {
                Canvas c(w + 4, h + 4);
                CSurface s(c.t);
                s.SelectPen(Pen(pen));
                s.SelectBrush(SurfaceBrush::Solid(kMark2));
                s.Ellipse(2, 2, w + 2, h + 2);
                Canvas d(w + 4, h + 4);
                CSurface s2(d.t);
                s2.SelectPen(Pen(pen));
                s2.SelectBrush(SurfaceBrush::Solid(kMark2));
                s2.Ellipse(w + 2, 2, 2, h + 2);
                ASSERT_EQ(c.px, d.px) << w << "x" << h;
                int outline = 0;
                for (int y = 0; y < h + 4; ++y)
                    for (int x = 0; x < w + 4; ++x) {
                        const uint32_t v = c.At(x, y);
                        const bool inBox = x >= 2 && x < w + 2 && y >= 2 && y < h + 2;
                        if (!inBox) {
                            ASSERT_EQ(v, 0u);
                        }
                        ASSERT_EQ(v, c.At(w + 3 - x, y)) << w << "x" << h << " pen " << pen;
                        ASSERT_EQ(v, c.At(x, h + 3 - y)) << w << "x" << h << " pen " << pen;
                        outline += v == kMark1;
                    }
                // The figure touches all four sides of its box.
                ASSERT_NE(c.At(2 + (w - 1) / 2, 2), 0u);
                ASSERT_NE(c.At(2, 2 + (h - 1) / 2), 0u);
                ASSERT_GT(outline, 0);
            }
}

TEST(SurfaceEllipse, OutlineIsClosedAndThin)
{
    // Every outline pixel of a one-pixel pen has exactly two 8-neighbours on
    // the outline once the ellipse is large enough to have no flat corners.
    for (int r : {10, 17, 31}) {
        Canvas c(r + 2, r + 2);
        CSurface s(c.t);
        s.SelectPen(Pen(1));
        s.Ellipse(1, 1, r + 1, r + 1);
        const auto set = c.Set();
        for (auto [x, y] : set) {
            int n = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    n += (dx || dy) && set.count({x + dx, y + dy});
            ASSERT_EQ(n, 2) << r << ": " << x << "," << y;
        }
    }
}

TEST(SurfaceEllipse, ClippedEllipseTouchesOnlyTarget)
{
    Canvas c(8, 8);
    CSurface s(c.t);
    s.SelectPen(Pen(2));
    s.SelectBrush(SurfaceBrush::Solid(kMark2));
    s.Ellipse(-10, -10, 6, 6);
    EXPECT_EQ(c.At(0, 0), kMark2);
    EXPECT_EQ(c.At(7, 7), 0u);
    s.Ellipse(100, 100, 200, 200);
    s.Ellipse(0, 0, 0, 5);  // empty box
    EXPECT_EQ(c.At(7, 7), 0u);
}

// ------------------------------------------------------------------ arcs

TEST(SurfaceArc, QuarterArcsAndFullEllipse)
{
    Canvas full(12, 12);
    CSurface sf(full.t);
    sf.SelectPen(Pen(1));
    sf.Ellipse(1, 1, 11, 11);

    // Top quarter: from the upper-right radial counter-clockwise to the upper-left one.
    Canvas c(12, 12);
    CSurface s(c.t);
    s.SelectPen(Pen(1));
    s.Arc(1, 1, 11, 11, 11, 1, 1, 1);
    EXPECT_EQ(c.Map(), Rows({"............",
                             "....####....",
                             "...#....#...",
                             "............",
                             "............",
                             "............",
                             "............",
                             "............",
                             "............",
                             "............",
                             "............",
                             "............"}));
    // The other three quarters complete it without overlap beyond the radials.
    s.Arc(1, 1, 11, 11, 1, 1, 1, 11);
    s.Arc(1, 1, 11, 11, 1, 11, 11, 11);
    s.Arc(1, 1, 11, 11, 11, 11, 11, 1);
    EXPECT_EQ(c.px, full.px);

    // Equal radials (any distance along the same ray) draw the whole ellipse.
    Canvas e(12, 12);
    CSurface se(e.t);
    se.SelectPen(Pen(1));
    se.Arc(1, 1, 11, 11, 1, 1, 3, 3);
    EXPECT_EQ(e.px, full.px);
}

TEST(SurfaceArc, TwoArcsOfTheEllipseFrameCloseWhenDraggedFromTopLeft)
{
    for (int pen = 1; pen <= 3; ++pen) {
        Canvas full(20, 14);
        CSurface sf(full.t);
        sf.SelectPen(Pen(pen));
        sf.Ellipse(2, 1, 17, 13);
        Canvas c(20, 14);
        CSurface s(c.t);
        s.SelectPen(Pen(pen));
        s.Arc(2, 1, 17, 13, 2, 1, 17, 13);
        s.Arc(2, 1, 17, 13, 17, 13, 2, 1);
        EXPECT_EQ(c.px, full.px) << pen;
        // The first arc alone is the left and bottom half.
        Canvas h(20, 14);
        CSurface sh(h.t);
        sh.SelectPen(Pen(pen));
        sh.Arc(2, 1, 17, 13, 2, 1, 17, 13);
        EXPECT_NE(h.At(2, 7), 0u);
        EXPECT_EQ(h.At(16, 6), 0u);
        EXPECT_EQ(h.At(9, 1), 0u);
        EXPECT_NE(h.At(9, 12), 0u);
    }
}

// ------------------------------------------------------------------ curves

TEST(SurfaceBezier, EndsDrawnAndStraightCurveEqualsLine)
{
    std::vector<SurfacePoint> line, curve;
    LinePixels({0, 0}, {9, 3}, line);
    BezierPixels({0, 0}, {3, 1}, {6, 2}, {9, 3}, curve);
    EXPECT_EQ(curve, line);
    // Controls on the ends: a different speed along the same line.
    BezierPixels({0, 0}, {0, 0}, {9, 3}, {9, 3}, curve);
    EXPECT_EQ(curve, line);
    LinePixels({2, 1}, {4, 11}, line);
    BezierPixels({2, 1}, {2, 1}, {4, 11}, {4, 11}, curve);
    EXPECT_EQ(curve, line);

    Canvas c(16, 8);
    CSurface s(c.t);
    s.SelectPen(Pen(1));
    const SurfacePoint pts[4] = {{0, 7}, {3, 0}, {12, 0}, {15, 7}};
    s.PolyBezier(pts, 4);
    EXPECT_EQ(c.At(0, 7), kMark1);
    EXPECT_EQ(c.At(15, 7), kMark1);
    // Symmetric controls give a symmetric curve.
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x)
            ASSERT_EQ(c.At(x, y), c.At(15 - x, y)) << x << "," << y;
    BezierPixels({5, 5}, {5, 5}, {5, 5}, {5, 5}, curve);
    EXPECT_EQ(curve, (std::vector<SurfacePoint>{{5, 5}}));
}

TEST(SurfaceBezier, CurvesAreConnectedThinAndReversible)
{
    std::mt19937 rng(3);
    std::uniform_int_distribution<int> coord(0, 60);
    std::vector<SurfacePoint> px, reversed;
    for (int i = 0; i < 500; ++i) {
        const SurfacePoint p0{coord(rng), coord(rng)}, p1{coord(rng), coord(rng)},
            p2{coord(rng), coord(rng)}, p3{coord(rng), coord(rng)};
        BezierPixels(p0, p1, p2, p3, px);
        ASSERT_EQ(px.front(), p0);
        ASSERT_EQ(px.back(), p3);
        BezierPixels(p3, p2, p1, p0, reversed);
        std::reverse(reversed.begin(), reversed.end());
        ASSERT_EQ(px, reversed);
        for (size_t k = 1; k < px.size(); ++k) {
            ASSERT_LE(std::max(std::abs(px[k].x - px[k - 1].x), std::abs(px[k].y - px[k - 1].y)), 1);
            ASSERT_FALSE(px[k] == px[k - 1]);
            if (k >= 2) {
                // No L-corners: two steps back is never a neighbour.
                const bool corner = std::abs(px[k].x - px[k - 2].x) <= 1 &&
                                    std::abs(px[k].y - px[k - 2].y) <= 1;
                ASSERT_FALSE(corner && !(px[k] == px[k - 2]));
            }
        }
    }
}

TEST(SurfaceBezier, WidePenAndChains)
{
    Canvas c(12, 6);
    CSurface s(c.t);
    s.SelectPen(Pen(3));
    const SurfacePoint pts[7] = {{1, 2}, {2, 2}, {3, 2}, {4, 2}, {6, 2}, {8, 2}, {10, 2}};
    s.PolyBezier(pts, 7);
    for (int x = 0; x < 12; ++x)
        for (int y = 0; y < 6; ++y)
            ASSERT_EQ(c.At(x, y), x <= 11 && y >= 1 && y <= 3 ? kMark1 : 0u) << x << "," << y;
    s.PolyBezier(pts, 5);  // not 1 + 3k points: nothing
}

// ------------------------------------------------------------------ flood fill

TEST(SurfaceFill, FourConnectedExactColour)
{
    // A diagonal wall: 4-connected filling does not pass between its pixels.
    Canvas c(6, 6);
    CSurface s(c.t);
    s.SelectPen(Pen(1));
    s.Polyline({{0, 5}, {5, 0}, {0, 5}});
    c.px[size_t(5) * 6 + 5] = 0x00000001;  // one blue step off the fill colour
    s.SelectBrush(SurfaceBrush::Solid(kMark2));
    EXPECT_TRUE(s.ExtFloodFill(0, 0, 0));
    EXPECT_EQ(c.Map(), Rows({"ooooo#", "oooo#.", "ooo#..", "oo#...", "o#....", "#....?"}));
    // Seed not of that colour: nothing.
    EXPECT_FALSE(s.ExtFloodFill(5, 5, 0));
    EXPECT_FALSE(s.ExtFloodFill(6, 0, 0));
    EXPECT_EQ(c.At(4, 4), 0u);
}

TEST(SurfaceFill, AlphaIgnoredAndSameColourBrushIsHarmless)
{
    Canvas c(4, 1);
    c.px = {0xFF000000, 0x00000000, 0x80000000, 0x00FFFFFF};
    CSurface s(c.t);
    s.SelectBrush(SurfaceBrush::Solid(kMark1));
    EXPECT_TRUE(s.ExtFloodFill(1, 0, 0));
    EXPECT_EQ(c.px, (std::vector<uint32_t>{kMark1, kMark1, kMark1, 0x00FFFFFF}));
    EXPECT_TRUE(s.ExtFloodFill(0, 0, kMark1));  // brush equals the area: ends at once
    s.SelectBrush({});
    EXPECT_FALSE(s.ExtFloodFill(3, 0, 0xFFFFFF));
}

TEST(SurfaceFill, HugeAreaWithoutRecursion)
{
    const int n = 4096;
    Canvas c(n, n);
    // A comb of walls, each open at alternate ends: one long winding area.
    for (int x = 2; x < n; x += 4) {
        const int gap = (x / 4) % 2 ? 0 : n - 1;
        for (int y = 0; y < n; ++y)
            if (y != gap)
                c.px[size_t(y) * n + x] = kMark1;
    }
    CSurface s(c.t);
    s.SelectBrush(SurfaceBrush::Solid(kMark2));
    ASSERT_TRUE(s.ExtFloodFill(0, 0, 0));
    size_t empty = 0;
    for (uint32_t v : c.px)
        empty += v == 0;
    EXPECT_EQ(empty, 0u);
    EXPECT_EQ(c.At(n - 1, n - 1), kMark2);
}

// ------------------------------------------------------------------ 8-bit targets

TEST(SurfaceIndexed, NearestColourAndBottomUpImage)
{
    CImageEx img;
    ASSERT_TRUE(img.CreateEx(8, 4, 8));
    RGBQUAD table[256] = {};
    for (int i = 0; i < 256; ++i)
        table[i] = {uint8_t(i), uint8_t(i), uint8_t(i), 0};
    table[10] = {0, 0, 255, 0};   // red
    table[11] = {0, 0, 255, 0};   // red again
    table[12] = {255, 0, 0, 0};   // blue
    img.SetColorTable(0, 256, table);
    CSurface s(MakePixelTarget(img));
    EXPECT_EQ(s.SetPixel(0, 0, RGB(255, 0, 0)), RGB(255, 0, 0));
    EXPECT_EQ(img.GetRow(0)[0], 10);  // the lowest index of exactly that colour
    s.SetPixel(1, 0, RGB(250, 10, 0));
    EXPECT_EQ(img.GetRow(0)[1], 10);  // nearest
    s.SetPixel(2, 0, RGB(0, 0, 240));
    EXPECT_EQ(img.GetRow(0)[2], 12);
    s.SetPixel(3, 0, RGB(7, 7, 7));
    EXPECT_EQ(img.GetRow(0)[3], 7);
    EXPECT_EQ(s.GetPixel(3, 0), RGB(7, 7, 7));
    EXPECT_EQ(img.GetPixel(0, 0), RGB(255, 0, 0));

    // Row y of the surface is the image's row y, whatever the memory order.
    s.SelectPen(Pen(1, RGB(0, 0, 255)));
    s.Polyline({{0, 3}, {8, 3}});
    for (int x = 0; x < 8; ++x)
        EXPECT_EQ(img.GetRow(3)[x], 12);
    EXPECT_EQ(img.GetRow(2)[0], 0);

    // Flood fill compares colours, so two entries of one colour are one area.
    s.SetPixel(5, 1, RGB(255, 0, 0));
    img.GetRow(1)[6] = 11;
    s.SelectBrush(SurfaceBrush::Solid(RGB(3, 3, 3)));
    EXPECT_TRUE(s.ExtFloodFill(5, 1, RGB(255, 0, 0)));
    EXPECT_EQ(img.GetRow(1)[5], 3);
    EXPECT_EQ(img.GetRow(1)[6], 3);
}

TEST(SurfaceIndexed, ImageTargetOf32Bits)
{
    CImageEx img;
    ASSERT_TRUE(img.CreateEx(5, 5, 32));
    CSurface s(MakePixelTarget(img));
    s.SelectPen(Pen(1, kMark2));
    s.Rectangle(0, 0, 5, 5);
    EXPECT_EQ(img.GetPixel(4, 4), kMark2);
    EXPECT_EQ(img.GetRow(4)[3], 0);  // alpha byte
    EXPECT_EQ(img.GetPixel(2, 2), 0u);
    CImageEx none;
    CSurface empty(MakePixelTarget(none));
    empty.SelectPen(Pen(1));
    empty.Polyline({{0, 0}, {5, 5}});
    EXPECT_EQ(empty.GetPixel(0, 0), CSurface::CLR_INVALID);
}
