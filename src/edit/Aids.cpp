#include "edit/Aids.h"

#include "doc/Anime.h"
#include "platform/Pixel32.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

// Pixels of the straight step from a to b, b included, a not.
void AppendLine(std::vector<CPoint>& out, CPoint a, CPoint b)
{
    const int dx = std::abs(b.x - a.x), dy = -std::abs(b.y - a.y);
    const int sx = a.x < b.x ? 1 : -1, sy = a.y < b.y ? 1 : -1;
    int err = dx + dy;
    CPoint p = a;
    while (!(p == b)) {
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            p.x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            p.y += sy;
        }
        out.push_back(p);
    }
}

} // namespace

void CDrawingAids::Normalize()
{
    bOnionSkin = bOnionSkin ? 1 : 0;
    bWrap = bWrap ? 1 : 0;
    bPixelPerfect = bPixelPerfect ? 1 : 0;
    if (nSymmetry < SYMMETRY_NONE || nSymmetry > SYMMETRY_BOTH)
        nSymmetry = SYMMETRY_NONE;
    nOnionOpacity = std::clamp(nOnionOpacity, 10, 90);
    nOnionFrames = std::clamp(nOnionFrames, 1, 2);
    crOnionPrev &= 0xFFFFFF;
    crOnionNext &= 0xFFFFFF;
}

std::vector<CPoint> PixelPerfectPath(const std::vector<CPoint>& points)
{
    std::vector<CPoint> raw;
    if (points.empty())
        return raw;
    raw.push_back(points[0]);
    for (size_t i = 1; i < points.size(); ++i)
        AppendLine(raw, points[i - 1], points[i]);
    std::vector<CPoint> out;
    out.reserve(raw.size());
    for (CPoint p : raw) {
        if (!out.empty() && out.back() == p)
            continue;
        if (out.size() >= 2) {
            const CPoint a = out[out.size() - 2], b = out.back();
            const bool bendAtB = (a.x == b.x || a.y == b.y) && (b.x == p.x || b.y == p.y);
            if (bendAtB && std::abs(a.x - p.x) == 1 && std::abs(a.y - p.y) == 1)
                out.pop_back();
        }
        out.push_back(p);
    }
    return out;
}

void MirrorMarkers(CImageEx& overlay, int symmetry)
{
    const int w = overlay.GetWidth(), h = overlay.GetHeight();
    if (overlay.IsNull() || overlay.GetBPP() != 32)
        return;
    if (symmetry & SYMMETRY_LR) {
        for (int y = 0; y < h; ++y) {
            uint8_t* row = overlay.GetRow(y);
            for (int x = 0; x < w; ++x) {
                const uint32_t v = Read32(row + 4 * x);
                if (IsMarker(v) && !IsMarker(Read32(row + 4 * (w - 1 - x))))
                    Write32(row + 4 * (w - 1 - x), v);
            }
        }
    }
    if (symmetry & SYMMETRY_UD) {
        for (int y = 0; y < h; ++y) {
            const uint8_t* src = overlay.GetRow(y);
            uint8_t* dst = overlay.GetRow(h - 1 - y);
            for (int x = 0; x < w; ++x) {
                const uint32_t v = Read32(src + 4 * x);
                if (IsMarker(v) && !IsMarker(Read32(dst + 4 * x)))
                    Write32(dst + 4 * x, v);
            }
        }
    }
}

void FoldWrapped(const CImageEx& tiles, CImageEx& cell)
{
    const int w = cell.GetWidth(), h = cell.GetHeight();
    if (tiles.IsNull() || cell.IsNull() || tiles.GetWidth() != 3 * w || tiles.GetHeight() != 3 * h)
        return;
    for (int y = 0; y < 3 * h; ++y) {
        const uint8_t* src = tiles.GetRow(y);
        uint8_t* dst = cell.GetRow(y % h);
        for (int x = 0; x < 3 * w; ++x) {
            const uint32_t v = Read32(src + 4 * x);
            if (v != 0 && IsMarker(v) && !IsMarker(Read32(dst + 4 * (x % w))))
                Write32(dst + 4 * (x % w), v);
        }
    }
}

void FillArea(CImageEx& overlay, int x, int y, uint32_t marker, bool wrap)
{
    const int w = overlay.GetWidth(), h = overlay.GetHeight();
    if (overlay.IsNull() || overlay.GetBPP() != 32 || x < 0 || y < 0 || x >= w || y >= h)
        return;
    // A seed in an area a mirrored seed has filled already.
    const uint32_t seed = Read32(overlay.GetRow(y) + 4 * x);
    if (seed == marker)
        return;
    // Colours are compared as the plain fill compares them: red, green and
    // blue of the look, whatever its alpha byte. A look is never exactly a
    // marker (those have no alpha), so filled pixels are not taken again.
    const uint32_t ground = seed & 0xFFFFFFu;
    const auto takes = [&](uint32_t v) { return v != marker && (v & 0xFFFFFFu) == ground; };
    std::vector<CPoint> stack{CPoint{x, y}};
    Write32(overlay.GetRow(y) + 4 * x, marker);
    while (!stack.empty()) {
        const CPoint p = stack.back();
        stack.pop_back();
        const CPoint next[4] = {{p.x - 1, p.y}, {p.x + 1, p.y}, {p.x, p.y - 1}, {p.x, p.y + 1}};
        for (CPoint q : next) {
            if (wrap) {
                q.x = (q.x + w) % w;
                q.y = (q.y + h) % h;
            } else if (q.x < 0 || q.y < 0 || q.x >= w || q.y >= h) {
                continue;
            }
            uint8_t* px = overlay.GetRow(q.y) + 4 * q.x;
            if (takes(Read32(px))) {
                Write32(px, marker);
                stack.push_back(q);
            }
        }
    }
}

std::vector<int> OnionCells(const CTesvanDoc& doc, int direction, int count)
{
    std::vector<int> out;
    const int cells = doc.m_nColumns * doc.m_nRows;
    const int current = doc.m_nEditRow * doc.m_nColumns + doc.m_nEditColumn;
    if (cells <= 0 || count <= 0 || (direction != 1 && direction != -1))
        return out;
    for (const CAnimeSlot& slot : doc.m_Anime) {
        const std::vector<int> frames = ParseAnimeFrames(slot.strFrames);
        const auto it = std::find(frames.begin(), frames.end(), current);
        if (it == frames.end())
            continue;
        // The slot's order, without looping round; frames naming no cell or
        // the current cell itself show nothing.
        int i = int(it - frames.begin());
        for (int k = 1; k <= count; ++k) {
            const int j = i + direction * k;
            if (j < 0 || j >= int(frames.size()))
                break;
            if (frames[j] >= 0 && frames[j] < cells && frames[j] != current)
                out.push_back(frames[j]);
        }
        return out;
    }
    for (int k = 1; k <= count; ++k) {
        const int c = current + direction * k;
        if (c >= 0 && c < cells)
            out.push_back(c);
    }
    return out;
}


void RenderCellPixels(const CTesvanDoc& doc, CImageEx& out, int px0, int py0, int n, int m,
                      uint32_t back)
{
    const int W = doc.m_nCellWidth, H = doc.m_nCellHeight;
    for (int j = 0; j < m; ++j)
        std::fill_n(reinterpret_cast<uint32_t*>(out.GetRow(j)), n, back);
    const CImageEx& work = doc.m_imgWork;
    if (work.IsNull())
        return;
    const int ox = doc.m_nEditColumn * W, oy = doc.m_nEditRow * H;
    work.Draw(out, 0, 0, n, m, ox + px0, oy + py0, n, m);
    if (!doc.m_Aids.bOnionSkin || doc.m_nColumns <= 0)
        return;

    CDrawingAids aids = doc.m_Aids;
    aids.Normalize();
    // Farther frames fade: the second frame each way at half the opacity.
    struct Frame {
        int cell;
        uint32_t tint;
        int alpha;
    };
    std::vector<Frame> frames;
    for (int dir : {-1, 1}) {
        const std::vector<int> cells = OnionCells(doc, dir, aids.nOnionFrames);
        const uint32_t c = dir < 0 ? aids.crOnionPrev : aids.crOnionNext;
        const uint32_t tint = uint32_t(GetRValue(c)) << 16 | uint32_t(GetGValue(c)) << 8 | GetBValue(c);
        for (size_t k = 0; k < cells.size(); ++k)
            frames.push_back(Frame{cells[k], tint, (aids.nOnionOpacity * 255 / 100) >> k});
    }
    if (frames.empty())
        return;
    const CLayer& layer = doc.m_Layers[std::clamp(doc.m_nCurrentLayer, 0, CTesvanDoc::kLayers - 1)];
    // Farthest first, so the nearest frames lie on top.
    std::stable_sort(frames.begin(), frames.end(),
                     [](const Frame& a, const Frame& b) { return a.alpha < b.alpha; });
    // Frame pixels are read straight from the working image: a pixel shows
    // when it is not the empty ground (the 8-bit key, or the background).
    const bool work8 = work.GetBPP() == 8;
    if (!work8 && work.GetBPP() != 32)
        return;
    const int key = work8 ? std::max(0, work.GetTransparentColor()) : 0;
    const uint32_t ground = back & 0xFFFFFF;
    const CImageEx* li = layer.m_pImage && !layer.m_pImage->IsNull() ? layer.m_pImage : nullptr;
    const int lbpp = li ? li->GetBPP() : 0;
    const int lkey = li && li->GetTransparentColor() >= 0 ? li->GetTransparentColor() : 0;
    const int cx = std::min(n, work.GetWidth() - ox - px0), cy = std::min(m, work.GetHeight() - oy - py0);
    struct Row {
        const uint8_t* src;
        int x, alpha, tr, tg, tb;
    };
    std::vector<Row> rows(frames.size());
    for (int j = 0; j < cy; ++j) {
        auto* dst = reinterpret_cast<uint32_t*>(out.GetRow(j));
        const bool inLayer = li && oy + py0 + j < li->GetHeight() && ox + px0 + cx <= li->GetWidth();
        const uint8_t* lrow = inLayer ? li->GetRow(oy + py0 + j) + (lbpp == 8 ? ox + px0 : 4 * (ox + px0)) : nullptr;
        size_t used = 0;
        for (const Frame& f : frames) {
            const int fx = (f.cell % doc.m_nColumns) * W + px0, fy = (f.cell / doc.m_nColumns) * H + py0 + j;
            if (fy >= work.GetHeight() || fx + cx > work.GetWidth())
                continue;
            const int a = f.alpha;
            rows[used++] = Row{work.GetRow(fy), fx, a, int(f.tint >> 16 & 0xFF) * a,
                               int(f.tint >> 8 & 0xFF) * a, int(f.tint & 0xFF) * a};
        }
        for (int i = 0; i < cx; ++i) {
            // Only where the current layer leaves the pixel empty.
            if (lrow && (lbpp == 8 ? lrow[i] != lkey : lbpp == 32 ? lrow[4 * i + 3] != 0 : true))
                continue;
            uint32_t u = dst[i];
            for (size_t k = 0; k < used; ++k) {
                const Row& r = rows[k];
                if (work8) {
                    if (r.src[r.x + i] == key)
                        continue;
                } else {
                    uint32_t v;
                    std::memcpy(&v, r.src + 4 * (r.x + i), 4);
                    if ((v >> 24) == 0 || (v & 0xFFFFFF) == ground)
                        continue;
                }
                const int ia = 255 - r.alpha;
                const uint32_t cr = (int(u >> 16 & 0xFF) * ia + r.tr + 127) / 255;
                const uint32_t cg = (int(u >> 8 & 0xFF) * ia + r.tg + 127) / 255;
                const uint32_t cb = (int(u & 0xFF) * ia + r.tb + 127) / 255;
                u = 0xFF000000u | cr << 16 | cg << 8 | cb;
            }
            dst[i] = u;
        }
    }
}
