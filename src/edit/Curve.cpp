#include "edit/Curve.h"

#include <cmath>
#include <numbers>

namespace curve {

namespace {

// Squared distance, exact on pixel points.
long long Dist2(CPoint a, CPoint b)
{
    const long long dx = a.x - b.x;
    const long long dy = a.y - b.y;
    return dx * dx + dy * dy;
}

double Dist(CPoint a, CPoint b) { return std::sqrt(double(Dist2(a, b))); }

// The candidate nearer to p; on a tie the second.
CPoint Nearer(CPoint p, CPoint first, CPoint second)
{
    return Dist2(first, p) < Dist2(second, p) ? first : second;
}

// The candidate farther from p; on a tie the second.
CPoint Farther(CPoint p, CPoint first, CPoint second)
{
    return Dist2(first, p) > Dist2(second, p) ? first : second;
}

// A span that needs no curve: |a - b| below 3 in both directions, or a on
// the line through prev and b.
bool IsStraight(CPoint a, CPoint b, const std::optional<CPoint>& prev)
{
    if (std::abs(a.x - b.x) < 3 && std::abs(a.y - b.y) < 3)
        return true;
    return prev && IsCollinear(*prev, a, b);
}

// One span from a to b (e beyond b); returns the control the next span
// continues from.
CPoint Segment(CPoint a, CPoint b, CPoint e, const std::optional<CPoint>& prev,
               std::vector<Piece>& out)
{
    if (IsStraight(a, b, prev)) {
        out.push_back(Piece{Piece::Straight, a, a, b, b});
        return a;
    }
    const CPoint t = IncomingTangent(a, b, e);
    const CPoint q = prev ? ContinuationPoint(*prev, a, Dist(t, b)) : MirrorControl(a, t, b);
    out.push_back(Piece{Piece::Bezier, a, q, t, b});
    return t;
}

void PlanLine(const std::vector<CPoint>& p, std::vector<Piece>& out)
{
    if (p.empty())
        return;
    if (p.size() == 1 || p[0] == p[1])
        out.push_back(Piece{Piece::Pixel, p[0], p[0], p[0], p[0]});
    else
        out.push_back(Piece{Piece::Straight, p[0], p[0], p[1], p[1]});
}

}  // namespace

int Nearest(double v)
{
    return v > 0 ? int(v + 0.5) : int(v - 0.5);
}

bool IsCollinear(CPoint prev, CPoint a, CPoint b)
{
    if (prev.x == b.x)
        return a.x == prev.x;
    if (prev.y == b.y)
        return a.y == prev.y;
    const double m = double(b.y - prev.y) / double(b.x - prev.x);
    return a.y == Nearest(prev.y - m * prev.x + m * a.x);
}

void LineCircle(double s, double k, CPoint c, double r, CPoint& first, CPoint& second)
{
    const double a = s * s + 1;
    const double p = 2 * s * (k - c.y) - 2 * c.x;
    double D = 0;
    // The lines used pass through or near the centre; the growth only guards
    // rounding, but is bounded all the same.
    for (int guard = 0; guard < 1 << 16; ++guard, r += 1) {
        const double q = double(c.x) * c.x + (k - c.y) * (k - c.y) - r * r;
        D = p * p - 4 * a * q;
        if (D >= 0)
            break;
    }
    if (D < 0)
        D = 0;
    const double x1 = (-p + std::sqrt(D)) / (2 * a);
    const double x2 = (-p - std::sqrt(D)) / (2 * a);
    first = CPoint{Nearest(x1), Nearest(k + s * x1)};
    second = CPoint{Nearest(x2), Nearest(k + s * x2)};
}

CPoint IncomingTangent(CPoint a, CPoint b, CPoint e)
{
    const double theta1 = std::atan2(double(b.y - a.y), double(b.x - a.x));
    const double theta2 = std::atan2(double(b.y - e.y), double(b.x - e.x));
    double phi = (theta1 + theta2) * 0.5;
    if (phi > 0)
        phi -= std::numbers::pi / 2;
    else
        phi += std::numbers::pi / 2;
    const double r = Dist(a, b) * 0.5;

    CPoint c1, c2;
    if ((1.5697963267948967 < phi && phi < 1.5717963267948964) ||
        (-1.5717963267948964 < phi && phi < -1.5697963267948967)) {
        c1 = CPoint{b.x, Nearest(b.y - r)};
        c2 = CPoint{b.x, Nearest(b.y + r)};
    } else if (-0.001 < phi && phi < 0.001) {
        c1 = CPoint{Nearest(b.x - r), b.y};
        c2 = CPoint{Nearest(b.x + r), b.y};
    } else {
        const double s = std::tan(phi);
        LineCircle(s, b.y - b.x * s, b, r, c1, c2);
    }
    return Nearer(a, c1, c2);
}

CPoint MirrorControl(CPoint a, CPoint t, CPoint b)
{
    if (a.x == b.x)
        return CPoint{t.x, a.y + b.y - t.y};
    if (a.y == b.y)
        return CPoint{a.x + b.x - t.x, t.y};
    if (b.x == t.x)
        return CPoint{a.x + b.y - t.y, a.y};
    if (b.y == t.y)
        return CPoint{a.x, a.y + b.x - t.x};
    const double s = double(a.y - b.y) / double(a.x - b.x);
    CPoint c1, c2;
    LineCircle(s, t.y - s * t.x, a, Dist(t, b), c1, c2);
    return Nearer(t, c1, c2);
}

CPoint ContinuationPoint(CPoint prev, CPoint a, double d)
{
    if (a.x == prev.x)
        return CPoint{prev.x, 2 * a.y - prev.y};
    if (a.y == prev.y)
        return CPoint{2 * a.x - prev.x, prev.y};
    const double s = double(a.y - prev.y) / double(a.x - prev.x);
    CPoint c1, c2;
    LineCircle(s, prev.y - s * prev.x, a, d, c1, c2);
    return Farther(prev, c1, c2);
}

std::vector<Piece> Plan(const std::vector<CPoint>& points)
{
    std::vector<Piece> out;
    std::vector<CPoint> p = points;
    // A repeat of P1 right after it (a further press landing on P1 after P2
    // was dragged onto it) is taken as entered once: the loop below would
    // otherwise stop at the first span and close from a point before P0.
    while (p.size() > 3 && p[2] == p[1])
        p.erase(p.begin() + 2);
    const size_t n = p.size();
    if (n <= 2 || (n == 3 && p[2] == p[1])) {
        PlanLine(p, out);
        return out;
    }
    std::optional<CPoint> prev;
    size_t last = n - 1;
    for (size_t i = 0; i + 3 <= n; ++i) {
        if (p[i + 2] == p[i + 1]) {
            last = i + 1;
            break;
        }
        prev = Segment(p[i], p[i + 1], p[i + 2], prev, out);
    }
    // The last span is drawn backwards, from the last point.
    Segment(p[last], p[last - 1], p[last - 2], std::nullopt, out);
    return out;
}

}  // namespace curve
