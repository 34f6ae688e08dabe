// Geometry of the curve tool: the spans between entered points become cubic
// Béziers whose controls follow the bisector of the neighbouring spans, or
// straight lines for short and collinear spans. Everything is computed in
// double precision and rounded half away from zero.
#pragma once

#include "doc/TesvanDoc.h"

#include <optional>
#include <vector>

namespace curve {

// Half away from zero: 2.5 -> 3, -2.5 -> -3, 0 -> 0.
int Nearest(double v);

// True when a lies on the line through prev and b (as the pixel grid sees it).
bool IsCollinear(CPoint prev, CPoint a, CPoint b);

// The two points where y = s*x + k meets the circle of radius r around c;
// the radius grows by 1 until they meet.
void LineCircle(double s, double k, CPoint c, double r, CPoint& first, CPoint& second);

// The control point near b of the span a -> b, e being the point beyond b.
CPoint IncomingTangent(CPoint a, CPoint b, CPoint e);

// The first span's control near a, mirrored from t (the control near b).
CPoint MirrorControl(CPoint a, CPoint t, CPoint b);

// The control continuing the line prev -> a beyond a at distance d.
CPoint ContinuationPoint(CPoint prev, CPoint a, double d);

// One drawing step of a curve: a straight span (polyline a, b, a), a cubic
// Bézier a, q, t, b, or the single pixel a.
struct Piece {
    enum Kind { Pixel, Straight, Bezier } kind = Straight;
    CPoint a, q, t, b;
    bool operator==(const Piece&) const = default;
};

// The pieces of the curve through the entered points, in drawing order;
// empty for no points.
std::vector<Piece> Plan(const std::vector<CPoint>& points);

}  // namespace curve
