// The tool overlay: every figure is drawn in marker colours into a cell-sized
// 32-bit image and then merged into its target, the working image for the
// preview and the layer image at commit, so both get the same pixels.
#include "doc/SurfaceTarget.h"
#include "doc/TesvanDoc.h"
#include "edit/Curve.h"
#include "edit/Tools.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint32_t kMarker[4] = {0, 0x010101, 0x020202, 0x030303};

SurfacePoint Sp(CPoint p) { return SurfacePoint{p.x, p.y}; }

uint32_t Read32(const uint8_t* p)
{
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

void Write32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }

// Draws the figures of one DrawToolOverlay call on the overlay's surface.
class CFigurePainter {
public:
    CFigurePainter(CTesvanDoc& doc, CImageEx& overlay)
        : m_doc(doc), m_points(doc.m_Points), m_dc(MakePixelTarget(overlay))
    {
        m_button = doc.m_nButton == 2 ? 2 : 1;
        m_dc.SelectPen(SurfacePen{PenStyle::Solid, std::clamp(doc.m_nPenWidth, 1, 3), kMarker[m_button]});
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

    int Marquee()
    {
        const size_t n = m_points.size();
        if (n == 0)
            return 0;
        if (n < 2 || m_points[0] == m_points[1]) {
            m_dc.SetPixel(m_points[0].x, m_points[0].y, kMarker[3]);
            return 0;
        }
        m_dc.SelectPen(SurfacePen{PenStyle::Dot, 1, kMarker[3]});
        const CPoint p0 = m_points[0], p1 = m_points[1];
        const SurfacePoint pts[5] = {Sp(p0), {p0.x, p1.y}, Sp(p1), {p1.x, p0.y}, Sp(p0)};
        m_dc.Polyline(pts, 5);
        return 0;
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
            m_dc.TextOut(m_doc.m_ptText.x, m_doc.m_ptText.y, m_doc.m_strText);
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
    const std::vector<CPoint>& m_points;
    CSurface m_dc;
    int m_button = 1;
};

void DrawOverlayHook(CTesvanDoc& doc, CImageEx& target) { doc.DrawToolOverlay(target); }

// The composition draws the tool preview through this hook.
const bool s_bHookInstalled = [] {
    CTesvanDoc::s_pfnDrawToolOverlay = &DrawOverlayHook;
    return true;
}();

}  // namespace

void InstallToolOverlay() { CTesvanDoc::s_pfnDrawToolOverlay = &DrawOverlayHook; }

int CTesvanDoc::DrawToolOverlay(CImageEx& target)
{
    CImageEx overlay;
    if (!PrepareOverlay(overlay, target, m_nTool == ID_TOOL_FILL))
        return 0;
    int result = 0;
    {
        CFigurePainter paint(*this, overlay);
        switch (m_nTool) {
        case ID_TOOL_SELECT:
        case ID_TOOL_SELECT_ALL:
            if (m_nSelState < 2)
                result = paint.Marquee();
            result = 0;
            break;
        case ID_TOOL_LINE: result = paint.Line(); break;
        case ID_TOOL_PENCIL: result = paint.Pencil(); break;
        case ID_TOOL_RECT_FRAME: result = paint.RectFrame(); break;
        case ID_TOOL_RECT_FILL: result = paint.BoxFigure(false); break;
        case ID_TOOL_ELLIPSE_FRAME: result = paint.EllipseFrame(); break;
        case ID_TOOL_ELLIPSE_FILL: result = paint.BoxFigure(true); break;
        case ID_TOOL_CURVE: result = paint.Curve(); break;
        case ID_TOOL_FILL: result = paint.Fill(&target == &m_imgWork); break;
        case ID_TOOL_TEXT: result = paint.Text(); break;
        default: break;
        }
    }
    MergeOverlay(overlay, target);
    return result;
}

bool CTesvanDoc::PrepareOverlay(CImageEx& overlay, CImageEx& target, bool fill)
{
    if (!overlay.CreateEx(m_nCellWidth, m_nCellHeight, 32))
        return false;
    if (fill) {
        for (int y = 0; y < m_nCellHeight; ++y) {
            uint32_t* row = reinterpret_cast<uint32_t*>(overlay.GetRow(y));
            std::fill(row, row + m_nCellWidth, 0x00FFFFFEu);
        }
        // The cell as it looks over a near-white ground.
        target.Draw(overlay, 0, 0, m_nCellWidth, m_nCellHeight, m_nEditColumn * m_nCellWidth,
                    m_nEditRow * m_nCellHeight, m_nCellWidth, m_nCellHeight);
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
            for (int x = 0; x < w; ++x) {
                const uint32_t v = Read32(src + 4 * x);
                if (v == kMarker[1] || v == kMarker[2] || v == kMarker[3])
                    dst[x] = value[v & 3];
            }
        }
        return;
    }
    if (target.GetBPP() != 32)
        return;

    // Per marker: the pixel written, or for an alpha level (entry below 16)
    // only the alpha byte, and only on pixels that are not transparent.
    struct Paint {
        bool alphaOnly = false;
        uint32_t pixel = 0;
    } paint[4];
    const int entries[2] = {e0, e1};
    for (int c = 0; c < 2; ++c) {
        const uint32_t alpha = layer.m_nAlpha[c] & 0xFF000000u;
        const RGBQUAD& q = m_Palette[entries[c]];
        paint[c + 1].alphaOnly = entries[c] < 16;
        paint[c + 1].pixel = entries[c] < 16 ? alpha
                                             : alpha | uint32_t(q.rgbRed) << 16 |
                                                   uint32_t(q.rgbGreen) << 8 | q.rgbBlue;
    }
    paint[3].pixel = 0xFF000000u | uint32_t(GetRValue(m_crMarquee)) << 16 |
                     uint32_t(GetGValue(m_crMarquee)) << 8 | uint32_t(GetBValue(m_crMarquee));

    for (int y = 0; y < h; ++y) {
        const uint8_t* src = overlay.GetRow(y);
        uint8_t* dst = target.GetRow(y0 + y) + 4 * x0;
        for (int x = 0; x < w; ++x) {
            const uint32_t v = Read32(src + 4 * x);
            if (v != kMarker[1] && v != kMarker[2] && v != kMarker[3])
                continue;
            const Paint& p = paint[v & 3];
            uint8_t* d = dst + 4 * x;
            if (!p.alphaOnly)
                Write32(d, p.pixel);
            else if (d[3] != 0)
                d[3] = uint8_t(p.pixel >> 24);
        }
    }
}
