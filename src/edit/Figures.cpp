// The tool overlay: every figure is drawn in marker colours into a cell-sized
// 32-bit image and then merged into its target, the working image for the
// preview and the layer image at commit, so both get the same pixels.
#include "doc/kernels/RowKernels.h"
#include "doc/SurfaceTarget.h"
#include "doc/TesvanDoc.h"
#include "edit/Aids.h"
#include "edit/Curve.h"
#include "edit/LookFill.h"
#include "edit/Tools.h"
#include "platform/Pixel32.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint32_t kMarker[4] = {0, 0x010101, 0x020202, 0x030303};
// Overlays up to this size (a 2048 x 2048 cell, 16 MB, small beside the
// twelve layers of such a sheet) are kept between calls.
constexpr int64_t kKeptOverlayPixels = 2048 * 2048;

SurfacePoint Sp(CPoint p) { return SurfacePoint{p.x, p.y}; }

// The overlay is mostly empty: skips groups of four zero pixels from x on.
int SkipEmpty(const uint8_t* row, int x, int w)
{
    for (; x + 4 <= w; x += 4) {
        uint64_t a, b;
        std::memcpy(&a, row + 4 * x, 8);
        std::memcpy(&b, row + 4 * x + 8, 8);
        if ((a | b) != 0)
            break;
    }
    return x;
}

// Draws the figures of one DrawToolOverlay call on the overlay's surface.
class CFigurePainter {
public:
    // `offset` moves every point (the wrap mode draws the cell in the middle
    // of a 3 x 3 overlay).
    CFigurePainter(CTesvanDoc& doc, CImageEx& overlay, CPoint offset = {})
        : m_doc(doc), m_points(doc.m_Points), m_offset(offset), m_dc(MakePixelTarget(overlay))
    {
        if (offset.x != 0 || offset.y != 0)
            for (CPoint& p : m_points)
                p = CPoint{p.x + offset.x, p.y + offset.y};
        m_button = doc.m_nButton == 2 ? 2 : 1;
        m_dc.SelectPen(
            SurfacePen{PenStyle::Solid, std::clamp(doc.m_nPenWidth, 1, 3), kMarker[m_button]});
    }

    int Line()
    {
        const size_t n = m_points.size();
        if (n == 0)
            return 0;
        if (n == 1 || m_points[0] == m_points[1]) {
            m_dc.SetPixel(m_points[0].x, m_points[0].y, kMarker[m_button]);
            return 1;
        }
        Straight(m_points[0], m_points[1]);
        return 1;
    }

    int Pencil()
    {
        if (m_points.size() <= 2)
            return Line();
        if (m_doc.m_Aids.bPixelPerfect && m_doc.m_nPenWidth <= 1) {
            for (CPoint p : PixelPerfectPath(m_points))
                m_dc.SetPixel(p.x, p.y, kMarker[m_button]);
            return 1;
        }
        std::vector<SurfacePoint> pts;
        pts.reserve(m_points.size());
        for (CPoint p : m_points)
            pts.push_back(Sp(p));
        m_dc.Polyline(pts);
        // The polyline leaves out its final point (a wide pen's cap covers
        // it); the pixel under the pointer at release belongs to the stroke.
        if (m_doc.m_nPenWidth <= 1)
            m_dc.SetPixel(pts.back().x, pts.back().y, kMarker[m_button]);
        return 1;
    }

    int RectFrame()
    {
        if (m_points.size() < 2)
            return Line();
        const CPoint p0 = m_points[0], p1 = m_points[1];
        const SurfacePoint pts[5] = {Sp(p0), {p0.x, p1.y}, Sp(p1), {p1.x, p0.y}, Sp(p0)};
        m_dc.Polyline(pts, 5);
        return 1;
    }

    int BoxFigure(bool ellipse)
    {
        if (m_points.size() < 2)
            return Line();
        int left, top, right, bottom;
        Box(left, top, right, bottom);
        m_dc.SelectBrush(SurfaceBrush::Solid(kMarker[3 - m_button]));
        if (ellipse)
            m_dc.Ellipse(left, top, right, bottom);
        else
            m_dc.Rectangle(left, top, right, bottom);
        return 1;
    }

    int EllipseFrame()
    {
        if (m_points.size() < 2)
            return Line();
        int left, top, right, bottom;
        Box(left, top, right, bottom);
        // Two counter-clockwise arcs, top-left radial to bottom-right and
        // back: the whole outline, whichever corner the drag started from.
        m_dc.Arc(left, top, right, bottom, left, top, right, bottom);
        m_dc.Arc(left, top, right, bottom, right, bottom, left, top);
        return 1;
    }

    void Marquee()
    {
        const size_t n = m_points.size();
        if (n == 0)
            return;
        if (n < 2 || m_points[0] == m_points[1]) {
            m_dc.SetPixel(m_points[0].x, m_points[0].y, kMarker[3]);
            return;
        }
        m_dc.SelectPen(SurfacePen{PenStyle::Dot, 1, kMarker[3]});
        const CPoint p0 = m_points[0], p1 = m_points[1];
        const SurfacePoint pts[5] = {Sp(p0), {p0.x, p1.y}, Sp(p1), {p1.x, p0.y}, Sp(p0)};
        m_dc.Polyline(pts, 5);
    }

    int Fill(bool onWorkImage)
    {
        if (m_points.empty())
            return 0;
        if (!onWorkImage) {
            const CPoint p = m_points[0];
            const uint32_t colour = m_dc.GetPixel(p.x, p.y);
            if (colour != CSurface::CLR_INVALID) {
                m_dc.SelectBrush(SurfaceBrush::Solid(kMarker[m_button]));
                m_dc.ExtFloodFill(p.x, p.y, colour);
            }
        }
        return 1;
    }

    int Curve()
    {
        if (m_points.empty())
            return 0;
        for (const curve::Piece& piece : curve::Plan(m_points)) {
            switch (piece.kind) {
            case curve::Piece::Pixel:
                m_dc.SetPixel(piece.a.x, piece.a.y, kMarker[m_button]);
                break;
            case curve::Piece::Straight:
                Straight(piece.a, piece.b);
                break;
            case curve::Piece::Bezier: {
                const SurfacePoint pts[4] = {Sp(piece.a), Sp(piece.q), Sp(piece.t), Sp(piece.b)};
                m_dc.PolyBezier(pts, 4);
                break;
            }
            }
        }
        return 1;
    }

    int Text()
    {
        // Always in marker 1: text takes colour 0 whichever button placed it.
        m_dc.SelectFont(m_doc.m_lfText);
        m_dc.SetTextColor(kMarker[1]);
        if (!m_doc.m_strText.empty())
            m_dc.TextOut(m_doc.m_ptText.x + m_offset.x, m_doc.m_ptText.y + m_offset.y,
                         m_doc.m_strText);
        return 1;
    }

private:
    // The polyline a, b, a: both end pixels drawn.
    void Straight(CPoint a, CPoint b)
    {
        const SurfacePoint pts[3] = {Sp(a), Sp(b), Sp(a)};
        m_dc.Polyline(pts, 3);
    }

    void Box(int& left, int& top, int& right, int& bottom) const
    {
        const CPoint p0 = m_points[0], p1 = m_points[1];
        left = std::min(p0.x, p1.x);
        top = std::min(p0.y, p1.y);
        right = std::max(p0.x, p1.x) + 1;
        bottom = std::max(p0.y, p1.y) + 1;
    }

    CTesvanDoc& m_doc;
    std::vector<CPoint> m_points;
    CPoint m_offset;
    CSurface m_dc;
    int m_button = 1;
};

// The ground and the 32-bit layer's Draw onto it, in one pass. False,
// writing nothing, when the target is drawn by another rule or the cell is
// not wholly inside it.
bool BlendCellOverGround(const CImageEx& target, CImageEx& overlay, int sx, int sy)
{
    if (target.IsNull() || target.GetBPP() != 32 || !target.HasAlpha() ||
        target.GetTransparentColor() != -1)
        return false;
    const int w = overlay.GetWidth(), h = overlay.GetHeight();
    if (sx < 0 || sy < 0 || sx + w > target.GetWidth() || sy + h > target.GetHeight())
        return false;
    for (int y = 0; y < h; ++y) {
        const uint8_t* src = target.GetRow(sy + y) + 4 * sx;
        uint8_t* dst = overlay.GetRow(y);
        for (int x = 0; x < w; ++x)
            Write32(dst + 4 * x, LookOverGround(Read32(src + 4 * x)));
    }
    return true;
}

// What each marker writes into a 32-bit layer: the pixel, or for an alpha
// level (entry below 16) only the alpha byte, and only on pixels that are
// not transparent.
struct MarkerPaint {
    bool alphaOnly = false;
    uint32_t pixel = 0;
};

void MarkerPaints(const CTesvanDoc& doc, const CLayer& layer, MarkerPaint paint[4])
{
    const int entries[2] = {layer.m_nColor[0] & 0xFF, layer.m_nColor[1] & 0xFF};
    for (int c = 0; c < 2; ++c) {
        const uint32_t alpha = layer.m_nAlpha[c] & 0xFF000000u;
        const RGBQUAD& q = doc.m_Palette[entries[c]];
        paint[c + 1].alphaOnly = entries[c] < 16;
        paint[c + 1].pixel = entries[c] < 16 ? alpha
                                             : alpha | uint32_t(q.rgbRed) << 16 |
                                                   uint32_t(q.rgbGreen) << 8 | q.rgbBlue;
    }
    const uint32_t m = doc.m_crMarquee;
    paint[3].pixel = 0xFF000000u | uint32_t(GetRValue(m)) << 16 | uint32_t(GetGValue(m)) << 8 |
                     uint32_t(GetBValue(m));
}

inline void PaintPixel32(uint8_t* d, const MarkerPaint& p)
{
    if (!p.alphaOnly)
        Write32(d, p.pixel);
    else if (d[3] != 0)
        d[3] = uint8_t(p.pixel >> 24);
}

// Writes one row of the fill into the layer: the pixels whose mask bits are
// set, from cell column x1 to x2.
void PaintMaskedRow(uint8_t* row, int bpp, const uint16_t* bits, int x1, int x2,
                    const MarkerPaint& paint, uint8_t index)
{
    for (int x = x1; x <= x2;) {
        const uint16_t word = bits[x / 16];
        if (x % 16 == 0 && x + 15 <= x2 && (word == 0 || word == 0xFFFF)) {
            // Whole words: none of it, or all of it in one go.
            if (word != 0) {
                if (bpp == 8)
                    std::memset(row + x, index, 16);
                else if (!paint.alphaOnly)
                    std::fill_n(reinterpret_cast<uint32_t*>(row) + x, 16, paint.pixel);
                else
                    for (int k = 0; k < 16; ++k)
                        PaintPixel32(row + 4 * (x + k), paint);
            }
            x += 16;
            continue;
        }
        if ((word >> (x % 16)) & 1u) {
            if (bpp == 8)
                row[x] = index;
            else
                PaintPixel32(row + 4 * x, paint);
        }
        ++x;
    }
}

// Strokes and figures: what symmetry mirrors and wrap mode wraps.
bool IsFigureTool(int tool)
{
    switch (tool) {
    case Cmd::ToolLine:
    case Cmd::ToolPencil:
    case Cmd::ToolRectFrame:
    case Cmd::ToolRectFill:
    case Cmd::ToolEllipseFrame:
    case Cmd::ToolEllipseFill:
    case Cmd::ToolCurve: return true;
    default: return false;
    }
}

int PaintTool(const CTesvanDoc& doc, CFigurePainter& paint, bool onWorkImage)
{
    switch (doc.m_nTool) {
    case Cmd::ToolSelect:
    case Cmd::ToolSelectAllLayers:
        if (!doc.IsPasteFloating())
            paint.Marquee();  // a preview only: never a change
        return 0;
    case Cmd::ToolLine: return paint.Line();
    case Cmd::ToolPencil: return paint.Pencil();
    case Cmd::ToolRectFrame: return paint.RectFrame();
    case Cmd::ToolRectFill: return paint.BoxFigure(false);
    case Cmd::ToolEllipseFrame: return paint.EllipseFrame();
    case Cmd::ToolEllipseFill: return paint.BoxFigure(true);
    case Cmd::ToolCurve: return paint.Curve();
    case Cmd::ToolFill: return paint.Fill(onWorkImage);
    case Cmd::ToolText: return paint.Text();
    default: return 0;
    }
}

// The kept overlay (user-interface thread only), made at start-up so that it
// counts among the images that live as long as the program.
CImageEx s_overlay;

void DrawOverlayHook(CTesvanDoc& doc, CImageEx& target) { doc.DrawToolOverlay(target); }

}  // namespace

void InstallToolOverlay() { CTesvanDoc::s_pfnDrawToolOverlay = &DrawOverlayHook; }

int CTesvanDoc::DrawToolOverlay(CImageEx& target)
{
    // Every pointer move draws the figure afresh; the overlay is kept
    // between calls (cleared each time) rather than mapped and unmapped.
    CImageEx local;
    const bool keep = int64_t(m_nCellWidth) * m_nCellHeight <= kKeptOverlayPixels;
    CImageEx& overlay = keep ? s_overlay : local;
    if (!keep)
        s_overlay.Destroy();
    if (!PrepareOverlay(overlay, target, m_nTool == Cmd::ToolFill))
        return 0;
    const bool figure = IsFigureTool(m_nTool);
    const bool wrap = m_Aids.bWrap && (figure || m_nTool == Cmd::ToolText);
    const int symmetry =
        figure || m_nTool == Cmd::ToolFill || m_nTool == Cmd::ToolText ? m_Aids.nSymmetry : SYMMETRY_NONE;
    int result = 0;
    if (m_nTool == Cmd::ToolFill && (m_Aids.bWrap || symmetry != SYMMETRY_NONE)) {
        // The fill of the aids: from the seed and its mirrors, across the
        // edges in wrap mode; nothing to preview.
        if (m_Points.empty())
            return 0;
        if (&target != &m_imgWork) {
            const uint32_t marker = kMarker[m_nButton == 2 ? 2 : 1];
            for (CPoint p : MirroredPoints(m_Points[0], m_nCellWidth, m_nCellHeight, symmetry))
                FillArea(overlay, p.x, p.y, marker, m_Aids.bWrap != 0);
        }
        result = 1;
    } else if (wrap) {
        // Drawn on the cell and its eight neighbours, then folded back.
        CImageEx tiles;
        if (!tiles.CreateEx(3 * m_nCellWidth, 3 * m_nCellHeight, 32))
            return 0;
        {
            CFigurePainter paint(*this, tiles, CPoint{m_nCellWidth, m_nCellHeight});
            result = PaintTool(*this, paint, &target == &m_imgWork);
        }
        FoldWrapped(tiles, overlay);
    } else {
        CFigurePainter paint(*this, overlay);
        result = PaintTool(*this, paint, &target == &m_imgWork);
    }
    if (symmetry != SYMMETRY_NONE && m_nTool != Cmd::ToolFill)
        MirrorMarkers(overlay, symmetry);
    MergeOverlay(overlay, target);
    return result;
}

bool CTesvanDoc::PrepareOverlay(CImageEx& overlay, CImageEx& target, bool fill)
{
    if (!overlay.IsNull() && overlay.GetWidth() == m_nCellWidth &&
        overlay.GetHeight() == m_nCellHeight && overlay.GetBPP() == 32) {
        if (!fill)  // the fill below sets every pixel
            for (int y = 0; y < m_nCellHeight; ++y)
                std::memset(overlay.GetRow(y), 0, size_t(m_nCellWidth) * 4);
    } else if (!overlay.CreateEx(m_nCellWidth, m_nCellHeight, 32)) {
        return false;
    }
    if (fill) {
        // The cell as it looks over a near-white ground.
        const int sx = m_nEditColumn * m_nCellWidth, sy = m_nEditRow * m_nCellHeight;
        if (!BlendCellOverGround(target, overlay, sx, sy)) {
            for (int y = 0; y < m_nCellHeight; ++y) {
                uint32_t* row = reinterpret_cast<uint32_t*>(overlay.GetRow(y));
                std::fill(row, row + m_nCellWidth, kFillGround);
            }
            target.Draw(overlay, 0, 0, m_nCellWidth, m_nCellHeight, sx, sy, m_nCellWidth,
                        m_nCellHeight);
        }
    }
    return true;
}

void CTesvanDoc::MergeOverlay(const CImageEx& overlay, CImageEx& target)
{
    if (overlay.IsNull() || target.IsNull())
        return;
    const int x0 = m_nEditColumn * m_nCellWidth;
    const int y0 = m_nEditRow * m_nCellHeight;
    // Only the part of the cell inside the target.
    const int w = std::min({m_nCellWidth, overlay.GetWidth(), target.GetWidth() - x0});
    const int h = std::min({m_nCellHeight, overlay.GetHeight(), target.GetHeight() - y0});
    if (x0 < 0 || y0 < 0 || w <= 0 || h <= 0)
        return;
    const CLayer& layer = m_Layers[std::clamp(m_nCurrentLayer, 0, kLayers - 1)];
    const int e0 = layer.m_nColor[0] & 0xFF, e1 = layer.m_nColor[1] & 0xFF;

    if (target.GetBPP() == 8) {
        const uint8_t value[4] = {0, uint8_t(e0), uint8_t(e1), 1};
        for (int y = 0; y < h; ++y) {
            const uint8_t* src = overlay.GetRow(y);
            uint8_t* dst = target.GetRow(y0 + y) + x0;
            for (int x = SkipEmpty(src, 0, w); x < w; x = SkipEmpty(src, x, w)) {
                for (const int end = std::min(x + 4, w); x < end; ++x) {
                    const uint32_t v = Read32(src + 4 * x);
                    if (IsMarker(v))
                        dst[x] = value[v & 3];
                }
            }
        }
        return;
    }
    if (target.GetBPP() != 32)
        return;

    MarkerPaint paint[4];
    MarkerPaints(*this, layer, paint);

    for (int y = 0; y < h; ++y) {
        const uint8_t* src = overlay.GetRow(y);
        uint8_t* dst = target.GetRow(y0 + y) + 4 * x0;
        for (int x = SkipEmpty(src, 0, w); x < w; x = SkipEmpty(src, x, w)) {
            for (const int end = std::min(x + 4, w); x < end; ++x) {
                const uint32_t v = Read32(src + 4 * x);
                if (!IsMarker(v))
                    continue;
                PaintPixel32(dst + 4 * x, paint[v & 3]);
            }
        }
    }
}

int CTesvanDoc::CommitFill(CLayer& layer)
{
    // The aids flood across edges and from mirrored seeds: the overlay's way.
    if (m_nTool != Cmd::ToolFill || m_Points.empty() || m_Aids.bWrap ||
        m_Aids.nSymmetry != SYMMETRY_NONE || !layer.m_pImage)
        return -1;
    CImageEx& image = *layer.m_pImage;
    const int x0 = m_nEditColumn * m_nCellWidth, y0 = m_nEditRow * m_nCellHeight;
    CFillMask mask;
    if (!FloodByLook(image, x0, y0, m_nCellWidth, m_nCellHeight, m_Points[0], mask))
        return -1;
    if (mask.Empty())
        return 0;
    const int button = m_nButton == 2 ? 2 : 1;
    MarkerPaint paint[4];
    MarkerPaints(*this, layer, paint);
    const uint8_t index = uint8_t(layer.m_nColor[button - 1] & 0xFF);
    const int bpp = image.GetBPP();
    const CRect box{x0 + mask.box.left, y0 + mask.box.top, x0 + mask.box.right,
                    y0 + mask.box.bottom};
    // Each row of the area's rectangle is saved for undo and then painted,
    // so the layer is read once more, not twice.
    PushUndoChanging(layer, m_nTool, box, [&](uint8_t* row, int y) {
        PaintMaskedRow(row - size_t(mask.box.left) * (bpp / 8), bpp, mask.Row(y - y0),
                       mask.box.left, mask.box.right, paint[button], index);
    });
    return 1;
}
