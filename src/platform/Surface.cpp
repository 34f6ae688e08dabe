#include "platform/Surface.h"

#include "platform/Pixel32.h"
#include "platform/SeedFill.h"

#include "platform/TextRaster.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Figures larger than this in either direction are not drawn: their pixel
// lists would not fit in memory, and no image is that large.
constexpr int64_t kMaxExtent = int64_t(1) << 20;

constexpr int kEmptyLo = 1 << 30;
constexpr int kEmptyHi = -(1 << 30);

inline uint32_t ColourToBgr(uint32_t c)
{
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

inline uint32_t TableColour(const uint8_t* table, int index)
{
    const uint8_t* e = table + 4 * index;
    return uint32_t(e[2]) | (uint32_t(e[1]) << 8) | (uint32_t(e[0]) << 16);
}

// One segment's pixels, computed in the direction-independent (canonical)
// order from the lexicographically smaller end.
struct LineWalk {
    int sx = 0, sy = 0;  // canonical start
    int ystep = 1;
    int64_t major = 0, minor = 0;
    bool xMajor = true;
    bool reversed = false;

    LineWalk(SurfacePoint a, SurfacePoint b)
    {
        reversed = b.x < a.x || (b.x == a.x && b.y < a.y);
        const SurfacePoint s = reversed ? b : a;
        const SurfacePoint e = reversed ? a : b;
        sx = s.x;
        sy = s.y;
        const int64_t dx = int64_t(e.x) - s.x;
        int64_t dy = int64_t(e.y) - s.y;
        ystep = dy < 0 ? -1 : 1;
        dy = dy < 0 ? -dy : dy;
        xMajor = dx >= dy;
        major = xMajor ? dx : dy;
        minor = xMajor ? dy : dx;
    }

    int64_t Count() const { return major + 1; }

    // Minor offset nearest to t * minor / major; a half goes toward the
    // nearer end, and at the exact middle toward the upper end, which keeps
    // left-right mirrored segments mirrored.
    int64_t Offset(int64_t t) const
    {
        if (major == 0)
            return 0;
        // 128 bits: segments between far-apart points overflow 64.
        const __int128 num = __int128(2) * t * minor + major;
        int64_t q = int64_t(num / (2 * major));
        if (num % (2 * major) == 0 && (2 * t < major || (2 * t == major && ystep > 0)))
            --q;
        return q;
    }

    SurfacePoint Point(int64_t t, int64_t off) const
    {
        if (xMajor)
            return {int(sx + t), int(sy + ystep * off)};
        return {int(sx + off), int(sy + ystep * t)};
    }

    // Pixel k counted from a (the caller's first point).
    SurfacePoint At(int64_t k) const
    {
        const int64_t t = reversed ? major - k : k;
        return Point(t, Offset(t));
    }

    // Walks pixels k, k+1, … from a without a division per pixel: keeps
    // 2·t·minor + major as quotient and remainder of 2·major.
    struct Cursor {
        const LineWalk& w;
        int64_t t, q, r, step;
        Cursor(const LineWalk& walk, int64_t k) : w(walk)
        {
            t = w.reversed ? w.major - k : k;
            step = w.reversed ? -1 : 1;
            const int64_t d = 2 * std::max<int64_t>(w.major, 1);
            const __int128 num = __int128(2) * t * w.minor + w.major;
            q = int64_t(num / d);
            r = int64_t(num % d);
        }
        SurfacePoint Get() const
        {
            if (w.major == 0)
                return w.Point(0, 0);
            const bool down = r == 0 && (2 * t < w.major || (2 * t == w.major && w.ystep > 0));
            return w.Point(t, q - (down ? 1 : 0));
        }
        void Next()
        {
            const int64_t d = 2 * w.major;
            t += step;
            if (step > 0) {
                r += 2 * w.minor;
                if (r >= d) {
                    r -= d;
                    ++q;
                }
            } else {
                r -= 2 * w.minor;
                if (r < 0) {
                    r += d;
                    --q;
                }
            }
        }
    };
};

inline bool Adjacent(SurfacePoint a, SurfacePoint b)
{
    return std::abs(a.x - b.x) <= 1 && std::abs(a.y - b.y) <= 1;
}

// Largest |u| of the parity of a2 (doubled offsets from the centre, a2 and
// b2 the doubled half-axes) whose pixel lies within half a pixel of the
// ellipse along the u axis at doubled offset v: |u| - 1 <= a2 sqrt(1 - v²/b2²).
int64_t MaxOffset(int64_t a2, int64_t b2, int64_t v)
{
    if (b2 == 0)
        return a2;
    const auto ok = [&](int64_t u) {
        if (u <= 1)
            return true;
        const __int128 lhs = __int128(u - 1) * (u - 1) * b2 * b2;
        const __int128 rhs = __int128(a2) * a2 * (__int128(b2) * b2 - __int128(v) * v);
        return lhs <= rhs;
    };
    const int64_t minU = a2 & 1;
    const double root = std::sqrt(std::max(0.0, double(b2) * double(b2) - double(v) * double(v)));
    int64_t e = int64_t(std::floor(1.0 + double(a2) * root / double(b2)));
    e = std::clamp<int64_t>(e, minU, a2);
    if ((e - a2) & 1)
        --e;
    if (e < minU)
        e = minU;
    while (e > minU && !ok(e))
        e -= 2;
    while (e + 2 <= a2 && ok(e + 2))
        e += 2;
    return e;
}

struct RowSpan {
    int lo = kEmptyLo;
    int hi = kEmptyHi;
    bool Empty() const { return lo > hi; }
};

// The filled ellipse inscribed in a w × h box, as one span per row in
// box-local columns: on every row and every column the pixels out to the
// one nearest the ellipse through the centres of the box's outermost pixels.
// Both passes are symmetric, so the figure is mirror-symmetric both ways.
std::vector<RowSpan> EllipseSpans(int w, int h)
{
    const int64_t a2 = w - 1, b2 = h - 1;
    // best[v]: the widest column (doubled |u|) whose column pass reaches |v|.
    std::vector<int64_t> best(size_t(b2 + 1), -1);
    for (int64_t u = a2 & 1; u <= a2; u += 2) {
        const int64_t mv = MaxOffset(b2, a2, u);
        best[size_t(mv)] = std::max(best[size_t(mv)], u);
    }
    for (int64_t v = b2 - 1; v >= 0; --v)
        best[size_t(v)] = std::max(best[size_t(v)], best[size_t(v + 1)]);
    std::vector<RowSpan> spans{size_t(h)};
    for (int j = 0; j < h; ++j) {
        const int64_t v = std::abs(2 * int64_t(j) - b2);
        const int64_t u = std::max(MaxOffset(a2, b2, v), best[size_t(v)]);
        spans[size_t(j)] = {int((a2 - u) / 2), int((a2 + u) / 2)};
    }
    return spans;
}

// Removes, n times, every pixel with a 4-neighbour outside the figure.
std::vector<RowSpan> Erode(std::vector<RowSpan> spans, int n)
{
    const size_t h = spans.size();
    std::vector<RowSpan> next(h);
    for (int k = 0; k < n; ++k) {
        bool any = false;
        for (size_t j = 0; j < h; ++j) {
            if (j == 0 || j + 1 == h) {
                next[j] = RowSpan{};
                continue;
            }
            const RowSpan& a = spans[j - 1];
            const RowSpan& c = spans[j];
            const RowSpan& b = spans[j + 1];
            RowSpan r;
            if (!a.Empty() && !b.Empty() && !c.Empty()) {
                r.lo = std::max({c.lo + 1, a.lo, b.lo});
                r.hi = std::min({c.hi - 1, a.hi, b.hi});
                if (r.Empty())
                    r = RowSpan{};
            }
            any = any || !r.Empty();
            next[j] = r;
        }
        spans.swap(next);
        if (!any)
            break;
    }
    return spans;
}

// Counter-clockwise angle on screen from direction s to direction p, in
// [0, 2π); directions are in screen axes (y down).
double CcwAngle(int64_t sx, int64_t sy, int64_t px, int64_t py)
{
    // Flip y so that positive angles turn counter-clockwise as seen.
    const double cross = double(sx) * double(-py) - double(-sy) * double(px);
    const double dot = double(sx) * double(px) + double(sy) * double(py);
    double a = std::atan2(cross, dot);
    if (a < 0)
        a += 2 * M_PI;
    return a;
}

inline int64_t RoundHalfUp(double v) { return int64_t(std::floor(v + 0.5)); }

// Appends p to a pixel path, bridging gaps with a line and dropping the
// corner pixel of an L-step so that the path stays thin.
void AppendPathPixel(std::vector<SurfacePoint>& out, SurfacePoint p)
{
    const auto push = [&](SurfacePoint q) {
        if (!out.empty() && out.back() == q)
            return;
        while (out.size() >= 2 && Adjacent(out[out.size() - 2], q))
            out.pop_back();
        if (!out.empty() && out.back() == q)
            return;
        out.push_back(q);
    };
    if (!out.empty() && !Adjacent(out.back(), p)) {
        const LineWalk walk(out.back(), p);
        for (int64_t k = 1; k < walk.Count(); ++k)
            push(walk.At(k));
        return;
    }
    push(p);
}

} // namespace

void LinePixels(SurfacePoint a, SurfacePoint b, std::vector<SurfacePoint>& out)
{
    out.clear();
    const LineWalk walk(a, b);
    if (walk.Count() > kMaxExtent)
        return;
    out.reserve(size_t(walk.Count()));
    for (int64_t k = 0; k < walk.Count(); ++k)
        out.push_back(walk.At(k));
}

void BezierPixels(SurfacePoint p0, SurfacePoint p1, SurfacePoint p2, SurfacePoint p3,
                  std::vector<SurfacePoint>& out)
{
    // Computed from the canonical end, so a reversed curve has the same pixels.
    const auto less = [](SurfacePoint a, SurfacePoint b) {
        return a.x < b.x || (a.x == b.x && a.y < b.y);
    };
    if (less(p3, p0) || (p3 == p0 && less(p2, p1))) {
        BezierPixels(p3, p2, p1, p0, out);
        std::reverse(out.begin(), out.end());
        return;
    }
    out.clear();
    const int minX = std::min({p0.x, p1.x, p2.x, p3.x}), maxX = std::max({p0.x, p1.x, p2.x, p3.x});
    const int minY = std::min({p0.y, p1.y, p2.y, p3.y}), maxY = std::max({p0.y, p1.y, p2.y, p3.y});
    if (int64_t(maxX) - minX > kMaxExtent || int64_t(maxY) - minY > kMaxExtent)
        return;

    const double x0 = p0.x, x1 = p1.x, x2 = p2.x, x3 = p3.x;
    const double y0 = p0.y, y1 = p1.y, y2 = p2.y, y3 = p3.y;
    const auto bx = [&](double t) {
        const double s = 1 - t;
        return s * s * s * x0 + 3 * s * s * t * x1 + 3 * s * t * t * x2 + t * t * t * x3;
    };
    const auto by = [&](double t) {
        const double s = 1 - t;
        return s * s * s * y0 + 3 * s * s * t * y1 + 3 * s * t * t * y2 + t * t * t * y3;
    };
    // Derivatives / 3 as quadratics A t² + B t + C.
    const double ax = x3 - 3 * x2 + 3 * x1 - x0, bxq = 2 * (x2 - 2 * x1 + x0), cx = x1 - x0;
    const double ay = y3 - 3 * y2 + 3 * y1 - y0, byq = 2 * (y2 - 2 * y1 + y0), cy = y1 - y0;
    const auto dx = [&](double t) { return (ax * t + bxq) * t + cx; };
    const auto dy = [&](double t) { return (ay * t + byq) * t + cy; };

    // Split where the curve turns in x or y and where it changes between
    // flat and steep, so each piece is monotone along its major axis.
    std::vector<double> cuts{0.0, 1.0};
    const auto roots = [&](double a, double b, double c) {
        const double scale = std::max({std::fabs(a), std::fabs(b), std::fabs(c)});
        if (scale == 0)
            return;
        if (std::fabs(a) < 1e-12 * scale) {
            if (std::fabs(b) >= 1e-12 * scale)
                cuts.push_back(-c / b);
            return;
        }
        const double d = b * b - 4 * a * c;
        if (d < 0)
            return;
        const double r = std::sqrt(d);
        cuts.push_back((-b + r) / (2 * a));
        cuts.push_back((-b - r) / (2 * a));
    };
    roots(ax, bxq, cx);
    roots(ay, byq, cy);
    roots(ax - ay, bxq - byq, cx - cy);
    roots(ax + ay, bxq + byq, cx + cy);
    std::erase_if(cuts, [](double t) { return !(t >= 0.0 && t <= 1.0); });
    std::sort(cuts.begin(), cuts.end());
    cuts.erase(std::unique(cuts.begin(), cuts.end(),
                           [](double a, double b) { return b - a < 1e-12; }),
               cuts.end());
    if (cuts.back() < 1.0)
        cuts.back() = 1.0;

    // t in [ta, tb] where f(t) = target, f monotone on the interval.
    const auto solve = [](auto f, double ta, double tb, double target) {
        double fa = f(ta) - target, fb = f(tb) - target;
        if (fa == 0)
            return ta;
        if (fb == 0)
            return tb;
        if ((fa < 0) == (fb < 0))
            return std::fabs(fa) <= std::fabs(fb) ? ta : tb;
        for (int i = 0; i < 60; ++i) {
            const double tm = 0.5 * (ta + tb);
            const double fm = f(tm) - target;
            if ((fm < 0) == (fa < 0)) {
                ta = tm;
                fa = fm;
            } else {
                tb = tm;
            }
        }
        return 0.5 * (ta + tb);
    };

    out.push_back(p0);
    for (size_t i = 0; i + 1 < cuts.size(); ++i) {
        const double ta = cuts[i], tb = cuts[i + 1];
        const double tm = 0.5 * (ta + tb);
        const bool xMajor = std::fabs(dx(tm)) >= std::fabs(dy(tm));
        const auto major = [&](double t) { return xMajor ? bx(t) : by(t); };
        const auto minor = [&](double t) { return xMajor ? by(t) : bx(t); };
        const int64_t from = RoundHalfUp(major(ta)), to = RoundHalfUp(major(tb));
        const int64_t step = to >= from ? 1 : -1;
        for (int64_t c = from;; c += step) {
            const double t = solve(major, ta, tb, double(c));
            const int64_t m = RoundHalfUp(minor(t));
            AppendPathPixel(out, xMajor ? SurfacePoint{int(c), int(m)} : SurfacePoint{int(m), int(c)});
            if (c == to)
                break;
        }
    }
    AppendPathPixel(out, p3);
}

// ------------------------------------------------------------------ CSurface

CSurface::CSurface(const PixelTarget& target) : m_target(target)
{
    if (m_target.bits == nullptr || m_target.width <= 0 || m_target.height <= 0 ||
        (m_target.bpp != 8 && m_target.bpp != 32)) {
        m_target.width = m_target.height = 0;
    }
    m_font.lfHeight = -16;
}

SurfacePen CSurface::SelectPen(const SurfacePen& pen)
{
    const SurfacePen old = m_pen;
    m_pen = pen;
    return old;
}

SurfaceBrush CSurface::SelectBrush(const SurfaceBrush& brush)
{
    const SurfaceBrush old = m_brush;
    m_brush = brush;
    return old;
}

LogFont CSurface::SelectFont(const LogFont& font)
{
    LogFont old = m_font;
    m_font = font;
    return old;
}

uint32_t CSurface::SetTextColor(uint32_t colour)
{
    const uint32_t old = m_textColor;
    m_textColor = colour;
    return old;
}

uint32_t CSurface::PixelValue(uint32_t colour)
{
    colour &= 0xFFFFFF;
    if (m_target.bpp == 32)
        return ColourToBgr(colour);
    if (colour == m_lastColour)
        return m_lastValue;
    uint32_t index = colour & 0xFF;
    if (m_target.colorTable) {
        int bestIndex = 0;
        int64_t bestDist = INT64_MAX;
        for (int i = 0; i < 256 && bestDist > 0; ++i) {
            const uint32_t c = TableColour(m_target.colorTable, i);
            const int dr = int(c & 0xFF) - int(colour & 0xFF);
            const int dg = int((c >> 8) & 0xFF) - int((colour >> 8) & 0xFF);
            const int db = int((c >> 16) & 0xFF) - int((colour >> 16) & 0xFF);
            const int64_t d = int64_t(dr) * dr + int64_t(dg) * dg + int64_t(db) * db;
            if (d < bestDist) {
                bestDist = d;
                bestIndex = i;
            }
        }
        index = uint32_t(bestIndex);
    }
    m_lastColour = colour;
    m_lastValue = index;
    return index;
}

void CSurface::FillSpan(int y, int x0, int x1, uint32_t value)
{
    if (y < 0 || y >= m_target.height)
        return;
    x0 = std::max(x0, 0);
    x1 = std::min(x1, m_target.width - 1);
    if (x0 > x1)
        return;
    uint8_t* row = m_target.bits + std::ptrdiff_t(y) * m_target.pitch;
    if (m_target.bpp == 8) {
        std::memset(row + x0, int(value), size_t(x1 - x0 + 1));
        return;
    }
    // Blocks of sixteen pixels copied from a filled buffer become vector stores.
    uint32_t block[16];
    std::fill(std::begin(block), std::end(block), value);
    uint8_t* p = row + 4 * std::ptrdiff_t(x0);
    size_t n = size_t(x1 - x0 + 1);
    for (; n >= 16; n -= 16, p += sizeof block)
        std::memcpy(p, block, sizeof block);
    std::memcpy(p, block, 4 * n);
}

uint32_t CSurface::SetPixel(int x, int y, uint32_t colour)
{
    if (x < 0 || y < 0 || x >= m_target.width || y >= m_target.height)
        return CLR_INVALID;
    const uint32_t v = PixelValue(colour);
    FillSpan(y, x, x, v);
    return GetPixel(x, y);
}

uint32_t CSurface::GetPixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_target.width || y >= m_target.height)
        return CLR_INVALID;
    const uint8_t* row = m_target.bits + std::ptrdiff_t(y) * m_target.pitch;
    if (m_target.bpp == 8) {
        const int i = row[x];
        return m_target.colorTable ? TableColour(m_target.colorTable, i)
                                   : uint32_t(i) * 0x010101u;
    }
    return ColourToBgr(Read32(row + 4 * x) & 0xFFFFFF);
}

void CSurface::PlotPen(int x, int y)
{
    const int w = PenWidth();
    if (w == 1) {
        FillSpan(y, x, x, m_penValue);
        return;
    }
    if (x < -w || y < -w || x > m_target.width + w || y > m_target.height + w)
        return;
    const int x0 = x - w / 2, y0 = y - w / 2;
    if (x0 >= 0 && y0 >= 0 && int64_t(x0) + w <= m_target.width && int64_t(y0) + w <= m_target.height) {
        // Locals: byte stores would otherwise force the members to be reloaded.
        const std::ptrdiff_t pitch = m_target.pitch;
        const uint32_t value = m_penValue;
        uint8_t* row = m_target.bits + std::ptrdiff_t(y0) * pitch;
        if (m_target.bpp == 8) {
            for (int k = 0; k < w; ++k, row += pitch)
                std::memset(row + x0, int(value), size_t(w));
        } else {
            for (int k = 0; k < w; ++k, row += pitch)
                for (int i = 0; i < w; ++i)
                    Write32(row + 4 * (x0 + i), value);
        }
        return;
    }
    for (int k = 0; k < w; ++k)
        FillSpan(y0 + k, x0, x0 + w - 1, m_penValue);
}

void CSurface::DrawPixelRun(const std::vector<SurfacePoint>& pixels, size_t count)
{
    const bool dotted = m_pen.style == PenStyle::Dot && m_pen.width <= 1;
    for (size_t i = 0; i < count && i < pixels.size(); ++i) {
        if (!dotted || m_dotPhase % 6 < 3)
            PlotPen(pixels[i].x, pixels[i].y);
        ++m_dotPhase;
    }
}

void CSurface::MoveTo(int x, int y) { m_pos = {x, y}; }

void CSurface::LineTo(int x, int y)
{
    const SurfacePoint pts[2] = {m_pos, {x, y}};
    Polyline(pts, 2);
    m_pos = {x, y};
}

void CSurface::Polyline(const SurfacePoint* points, int count)
{
    if (points == nullptr || count < 2 || m_pen.style == PenStyle::Null)
        return;
    m_penValue = PixelValue(m_pen.color);
    m_dotPhase = 0;
    const bool dotted = m_pen.style == PenStyle::Dot && m_pen.width <= 1;
    const int w = dotted ? 1 : PenWidth();
    const int reach = w + 1;
    for (int i = 0; i + 1 < count; ++i) {
        const LineWalk walk(points[i], points[i + 1]);
        // Only the part of the segment that can touch the target is walked;
        // the dot pattern still counts the skipped pixels.
        const int64_t n = walk.Count() - 1;  // the end point is left out
        int64_t kLo = 0, kHi = n - 1;
        if (walk.major > 0) {
            const int64_t size = walk.xMajor ? m_target.width : m_target.height;
            const int64_t s = walk.xMajor ? walk.sx : walk.sy;
            // Major coordinate of pixel k: s + t (x) or s + ystep * t (y), t = k or major - k.
            int64_t tLo = -reach - s, tHi = size + reach - s;
            if (!walk.xMajor && walk.ystep < 0) {
                tLo = s - size - reach;
                tHi = s + reach;
            }
            tLo = std::max<int64_t>(tLo, 0);
            tHi = std::min<int64_t>(tHi, walk.major);
            if (walk.reversed) {
                kLo = std::max<int64_t>(kLo, walk.major - tHi);
                kHi = std::min<int64_t>(kHi, walk.major - tLo);
            } else {
                kLo = std::max<int64_t>(kLo, tLo);
                kHi = std::min<int64_t>(kHi, tHi);
            }
        }
        if (kLo > kHi) {
            m_dotPhase = int((m_dotPhase + n) % 6);
            continue;
        }
        m_dotPhase = int((m_dotPhase + kLo) % 6);
        LineWalk::Cursor cursor(walk, kLo);
        for (int64_t k = kLo; k <= kHi; ++k, cursor.Next()) {
            if (!dotted || m_dotPhase < 3) {
                const SurfacePoint p = cursor.Get();
                PlotPen(p.x, p.y);
            }
            m_dotPhase = (m_dotPhase + 1) % 6;
        }
        m_dotPhase = int((m_dotPhase + (n - 1 - kHi)) % 6);
    }
    if (w >= 2)
        PlotPen(points[count - 1].x, points[count - 1].y);
}

void CSurface::Rectangle(int left, int top, int right, int bottom)
{
    DrawBoxFigure(left, top, right, bottom, false, nullptr);
}

void CSurface::Ellipse(int left, int top, int right, int bottom)
{
    DrawBoxFigure(left, top, right, bottom, true, nullptr);
}

void CSurface::Arc(int left, int top, int right, int bottom, int xStart, int yStart, int xEnd,
                   int yEnd)
{
    const int radials[4] = {xStart, yStart, xEnd, yEnd};
    DrawBoxFigure(left, top, right, bottom, true, radials);
}

void CSurface::DrawBoxFigure(int left, int top, int right, int bottom, bool ellipse,
                             const int* arc)
{
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
    const int64_t w64 = int64_t(right) - left, h64 = int64_t(bottom) - top;
    if (w64 <= 0 || h64 <= 0)
        return;
    const bool pen = m_pen.style != PenStyle::Null;
    const bool brush = !m_brush.null && !arc;
    if (!pen && !brush)
        return;
    // A box wholly outside the target cannot show anything.
    if (int64_t(top) >= m_target.height || bottom <= 0 || int64_t(left) >= m_target.width ||
        right <= 0)
        return;
    const int penWidth = PenWidth();
    m_penValue = pen ? PixelValue(m_pen.color) : 0;
    const uint32_t brushValue = brush ? PixelValue(m_brush.color) : 0;

    if (!ellipse) {
        // The rectangle's interior is the box shrunk by the pen width.
        const int64_t w = pen ? penWidth : 0;
        for (int64_t y = std::max<int64_t>(top, 0); y < std::min<int64_t>(bottom, m_target.height);
             ++y) {
            const bool band = y < top + w || y >= bottom - w;
            if (band || w64 <= 2 * w) {
                FillSpan(int(y), left, right - 1, m_penValue);
                continue;
            }
            if (w > 0) {
                FillSpan(int(y), left, int(left + w - 1), m_penValue);
                FillSpan(int(y), int(right - w), right - 1, m_penValue);
            }
            if (brush)
                FillSpan(int(y), int(left + w), int(right - w - 1), brushValue);
        }
        return;
    }

    if (w64 > kMaxExtent || h64 > kMaxExtent)
        return;
    const int W = int(w64), H = int(h64);
    const std::vector<RowSpan> outer = EllipseSpans(W, H);
    const std::vector<RowSpan> inner = pen ? Erode(outer, penWidth) : outer;

    // Radials as doubled vectors from the box centre (left + right) / 2.
    int64_t sx = 0, sy = 0, ex = 0, ey = 0;
    double sweep = 0;
    bool full = true;
    if (arc) {
        sx = 2 * int64_t(arc[0]) - (int64_t(left) + right);
        sy = 2 * int64_t(arc[1]) - (int64_t(top) + bottom);
        ex = 2 * int64_t(arc[2]) - (int64_t(left) + right);
        ey = 2 * int64_t(arc[3]) - (int64_t(top) + bottom);
        if (sx == 0 && sy == 0)
            sx = 1;
        if (ex == 0 && ey == 0) {
            ex = sx;
            ey = sy;
        }
        const bool sameRay = sx * ey - sy * ex == 0 && sx * ex + sy * ey > 0;
        full = sameRay;
        sweep = CcwAngle(sx, sy, ex, ey);
    }
    const auto inArc = [&](int64_t gx, int64_t gy) {
        if (full)
            return true;
        const int64_t px = 2 * gx + 1 - (int64_t(left) + right);
        const int64_t py = 2 * gy + 1 - (int64_t(top) + bottom);
        if (ex * py - ey * px == 0 && ex * px + ey * py > 0)
            return true;
        return CcwAngle(sx, sy, px, py) <= sweep;
    };

    for (int j = 0; j < H; ++j) {
        const int64_t y = int64_t(top) + j;
        if (y < 0 || y >= m_target.height)
            continue;
        const RowSpan& o = outer[size_t(j)];
        const RowSpan& in = inner[size_t(j)];
        if (!pen) {
            FillSpan(int(y), int(left + o.lo), int(left + o.hi), brushValue);
            continue;
        }
        RowSpan parts[2];
        if (in.Empty()) {
            parts[0] = o;
        } else {
            parts[0] = {o.lo, in.lo - 1};
            parts[1] = {in.hi + 1, o.hi};
            if (brush)
                FillSpan(int(y), int(left + in.lo), int(left + in.hi), brushValue);
        }
        for (const RowSpan& p : parts) {
            if (p.Empty())
                continue;
            if (!arc) {
                FillSpan(int(y), int(left + p.lo), int(left + p.hi), m_penValue);
                continue;
            }
            const int64_t x0 = std::max<int64_t>(left + int64_t(p.lo), 0);
            const int64_t x1 = std::min<int64_t>(left + int64_t(p.hi), m_target.width - 1);
            for (int64_t x = x0; x <= x1; ++x)
                if (inArc(x, y))
                    FillSpan(int(y), int(x), int(x), m_penValue);
        }
    }
}

void CSurface::PolyBezier(const SurfacePoint* points, int count)
{
    if (points == nullptr || count < 4 || (count - 1) % 3 != 0 ||
        m_pen.style == PenStyle::Null)
        return;
    m_penValue = PixelValue(m_pen.color);
    m_dotPhase = 0;
    std::vector<SurfacePoint> pixels;
    for (int i = 0; i + 3 < count; i += 3) {
        BezierPixels(points[i], points[i + 1], points[i + 2], points[i + 3], pixels);
        // A following curve starts on this one's last pixel.
        const size_t n = i + 4 < count && !pixels.empty() ? pixels.size() - 1 : pixels.size();
        DrawPixelRun(pixels, n);
    }
}

namespace {

template <int Bpp>
struct FloodAccess {
    const PixelTarget& t;
    uint32_t rgb;       // 32-bit: the colour as stored (B, G, R)
    const bool* match;  // 8-bit: per index
    uint8_t* Row(int y) const { return t.bits + std::ptrdiff_t(y) * t.pitch; }
    bool Match(const uint8_t* row, int x) const
    {
        if constexpr (Bpp == 8)
            return match[row[x]];
        else
            return (Read32(row + 4 * x) & 0xFFFFFF) == rgb;
    }
    // Fills matching pixels from x rightwards; returns the first one that
    // does not match (or w). Blocks of eight keep the scan vectorised.
    int FillRight(uint8_t* row, int x, int w, uint32_t v) const
    {
        if constexpr (Bpp == 32) {
#if defined(__SSE2__)
            // Whole aligned cache lines (sixteen pixels) are compared and
            // then written in place: the compare has just brought the line
            // into the cache, so the stores cost no further memory traffic
            // (streaming stores would send each line out and back again).
            while (x < w && (reinterpret_cast<uintptr_t>(row + 4 * x) & 15) != 0 && Match(row, x)) {
                Set(row, x, v);
                ++x;
            }
            if ((reinterpret_cast<uintptr_t>(row + 4 * x) & 15) == 0) {
                const __m128i key = _mm_set1_epi32(int(rgb));
                const __m128i mask = _mm_set1_epi32(0x00FFFFFF);
                const __m128i fill = _mm_set1_epi32(int(v));
                while (x + 16 <= w) {
                    auto* p = reinterpret_cast<__m128i*>(row + 4 * x);
                    _mm_prefetch(reinterpret_cast<const char*>(p) + 2048, _MM_HINT_T0);
                    const __m128i d = _mm_and_si128(
                        _mm_or_si128(_mm_or_si128(_mm_xor_si128(_mm_load_si128(p), key),
                                                  _mm_xor_si128(_mm_load_si128(p + 1), key)),
                                     _mm_or_si128(_mm_xor_si128(_mm_load_si128(p + 2), key),
                                                  _mm_xor_si128(_mm_load_si128(p + 3), key))),
                        mask);
                    if (_mm_movemask_epi8(_mm_cmpeq_epi32(d, _mm_setzero_si128())) != 0xFFFF)
                        break;
                    _mm_store_si128(p, fill);
                    _mm_store_si128(p + 1, fill);
                    _mm_store_si128(p + 2, fill);
                    _mm_store_si128(p + 3, fill);
                    x += 16;
                }
            }
#endif
            while (x + 8 <= w) {
                uint32_t p[8];
                std::memcpy(p, row + 4 * x, sizeof p);
                uint32_t diff = 0;
                for (uint32_t q : p)
                    diff |= q ^ rgb;
                if (diff & 0xFFFFFF)
                    break;
                for (uint32_t& q : p)
                    q = v;
                std::memcpy(row + 4 * x, p, sizeof p);
                x += 8;
            }
        }
        while (x < w && Match(row, x)) {
            Set(row, x, v);
            ++x;
        }
        return x;
    }
    // Fills matching pixels from x leftwards; returns the last one that
    // does not match (or -1).
    int FillLeft(uint8_t* row, int x, uint32_t v) const
    {
        while (x >= 0 && Match(row, x)) {
            Set(row, x, v);
            --x;
        }
        return x;
    }
    void Set(uint8_t* row, int x, uint32_t v) const
    {
        if constexpr (Bpp == 8)
            row[x] = uint8_t(v);
        else
            Write32(row + 4 * x, v);
    }
};

// One row at a time of a FloodAccess, for SeedFill.
template <int Bpp>
struct FloodRows {
    const FloodAccess<Bpp>& a;
    uint32_t value;
    uint8_t* r = nullptr;
    void SelectRow(int y) { r = a.Row(y); }
    bool Match(int x) const { return a.Match(r, x); }
    int FillLeft(int x) { return a.FillLeft(r, x, value); }
    int FillRight(int x) { return a.FillRight(r, x, a.t.width, value); }
    void Span(int, int, int) {}
};

template <int Bpp>
void ScanlineFill(const FloodAccess<Bpp>& a, int x, int y, uint32_t value)
{
    FloodRows<Bpp> rows{a, value};
    SeedFill(rows, x, y, a.t.height);
}

} // namespace

bool CSurface::ExtFloodFill(int x, int y, uint32_t colour)
{
    if (m_brush.null || x < 0 || y < 0 || x >= m_target.width || y >= m_target.height)
        return false;
    colour &= 0xFFFFFF;
    const uint32_t value = PixelValue(m_brush.color);
    if (m_target.bpp == 8) {
        bool match[256];
        for (int i = 0; i < 256; ++i)
            match[i] = (m_target.colorTable ? TableColour(m_target.colorTable, i)
                                            : uint32_t(i) * 0x010101u) == colour;
        const FloodAccess<8> a{m_target, 0, match};
        if (!a.Match(a.Row(y), x))
            return false;
        if (match[value & 0xFF])
            return true;  // the brush shows the same colour: nothing changes
        ScanlineFill(a, x, y, value);
        return true;
    }
    const FloodAccess<32> a{m_target, ColourToBgr(colour), nullptr};
    if (!a.Match(a.Row(y), x))
        return false;
    if ((value & 0xFFFFFF) == a.rgb)
        return true;
    ScanlineFill(a, x, y, value);
    return true;
}

void CSurface::TextOut(int x, int y, const std::string& cp932)
{
    ::TextOut(m_target, x, y, cp932, m_font, m_textColor);
}

SurfaceSize CSurface::GetTextExtent(const std::string& cp932) const
{
    return ::GetTextExtent(cp932, m_font);
}
