// Pixel-exact aliased raster drawing on a plain pixel buffer: the drawing
// context the tools and the text tool draw through.
//
// Conventions (all operations):
// - Coordinates are integer pixels, x right, y down; pixel (x, y) covers the
//   unit square [x, x+1) × [y, y+1). Boxes are (left, top, right, bottom) with
//   right and bottom exclusive; swapped corners are normalised first.
// - Colours are colour values 0x00BBGGRR. A 32-bit target receives blue,
//   green and red with the fourth (alpha) byte 0, as the platform's raster
//   operations leave it; an 8-bit target receives the index of the colour
//   table entry of exactly that colour (the lowest such index), or else of
//   the nearest colour (squared RGB distance, lowest index on a tie).
// - Everything is clipped to the target; pixels outside an operation's
//   figure are never written.
#pragma once

#include "platform/LogFont.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

// The pixel buffer a surface draws on. Row y starts at bits + y * pitch
// (the pitch may be negative for bottom-up images).
struct PixelTarget {
    uint8_t* bits = nullptr;
    int pitch = 0;
    int width = 0;
    int height = 0;
    int bpp = 0;                          // 8 or 32
    const uint8_t* colorTable = nullptr;  // 8-bit: 256 entries of B, G, R, X
};

struct SurfacePoint {
    int x = 0;
    int y = 0;
    bool operator==(const SurfacePoint&) const = default;
};

struct SurfaceSize {
    int cx = 0;
    int cy = 0;
};

enum class PenStyle { Solid, Dot, Null };

// Solid pens have square end caps and are inside-frame: Rectangle, Ellipse
// and Arc keep their whole outline inside the box. Wide lines stamp a
// w × w square on every pixel of the one-pixel line, covering x - w/2 …
// x - w/2 + w - 1 (integer division; so 2 reaches one pixel up and left,
// 3 one pixel each way), which is where the platform's geometric pens put
// their pixels. A dotted pen is one pixel wide (a wider one draws solid,
// as on the platform): three pixels on, three off, the pattern running on
// across the segments of one polyline; the gaps stay untouched.
struct SurfacePen {
    PenStyle style = PenStyle::Solid;
    int width = 1;
    uint32_t color = 0;
};

struct SurfaceBrush {
    bool null = true;
    uint32_t color = 0;
    static SurfaceBrush Solid(uint32_t colour) { return {false, colour}; }
};

class CSurface {
public:
    static constexpr uint32_t CLR_INVALID = 0xFFFFFFFF;

    explicit CSurface(const PixelTarget& target);

    const PixelTarget& Target() const { return m_target; }

    // Each returns the previous object, which callers select back.
    SurfacePen SelectPen(const SurfacePen& pen);
    SurfaceBrush SelectBrush(const SurfaceBrush& brush);
    LogFont SelectFont(const LogFont& font);
    uint32_t SetTextColor(uint32_t colour);

    // Pixel access; GetPixel returns CLR_INVALID outside the target.
    uint32_t SetPixel(int x, int y, uint32_t colour);
    uint32_t GetPixel(int x, int y) const;

    // Lines with the pen. A one-pixel pen leaves out the final point of the
    // polyline (each segment stops short of its end, the next one starts
    // there); a wide pen's square cap covers the final point too. A segment
    // from A to B has the same pixels as from B to A.
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void Polyline(const SurfacePoint* points, int count);
    void Polyline(const std::vector<SurfacePoint>& points)
    {
        Polyline(points.data(), int(points.size()));
    }

    // Bounded figures: outlined with the pen (inside-frame), filled with the
    // brush. Without a pen the whole figure takes the brush.
    void Rectangle(int left, int top, int right, int bottom);
    void Ellipse(int left, int top, int right, int bottom);
    // The part of Ellipse's outline counter-clockwise on screen from the
    // radial through (xStart, yStart) to the radial through (xEnd, yEnd),
    // both radials included; equal radials give the whole outline. Radials
    // start at the box centre; the points are lattice points like the box.
    void Arc(int left, int top, int right, int bottom, int xStart, int yStart, int xEnd,
             int yEnd);

    // Cubic curves: 1 + 3k points, each curve from its first to its fourth
    // point, both ends drawn.
    void PolyBezier(const SurfacePoint* points, int count);

    // Fills with the brush the 4-connected area around (x, y) whose pixels
    // have exactly the colour (red, green, blue; alpha and index ignored).
    // False when (x, y) is outside or not of that colour, or no brush.
    bool ExtFloodFill(int x, int y, uint32_t colour);

    // Text in the selected font and text colour, transparent background,
    // top-left of the text cell at (x, y); bytes in code page 932.
    void TextOut(int x, int y, const std::string& cp932);
    SurfaceSize GetTextExtent(const std::string& cp932) const;

private:
    struct Span {
        int lo;
        int hi;  // inclusive; empty when lo > hi
    };

    // Widths beyond any sensible pen are capped, so stamps stay small.
    int PenWidth() const { return std::clamp(m_pen.width, 1, 255); }
    void PlotPen(int x, int y);
    void FillSpan(int y, int x0, int x1, uint32_t value);
    uint32_t PixelValue(uint32_t colour);
    void DrawBoxFigure(int left, int top, int right, int bottom, bool ellipse,
                       const int* arc /* xs, ys, xe, ye or null */);
    void DrawPixelRun(const std::vector<SurfacePoint>& pixels, size_t count);

    PixelTarget m_target;
    SurfacePen m_pen;
    SurfaceBrush m_brush;
    LogFont m_font;
    uint32_t m_textColor = 0;
    SurfacePoint m_pos;
    uint32_t m_penValue = 0;
    int m_dotPhase = 0;
    // Last colour mapped to an 8-bit index, so repeated writes skip the search.
    uint32_t m_lastColour = CLR_INVALID;
    uint32_t m_lastValue = 0;
};

// Pixels of the segment from a to b, both ends, in order from a to b. The
// pixel set does not depend on the direction: on each column (or row, for
// steep lines) the pixel nearest the true line; an exact half goes toward
// the nearer end, and at the very middle toward the upper end, so that a
// left-right mirrored segment has mirrored pixels.
void LinePixels(SurfacePoint a, SurfacePoint b, std::vector<SurfacePoint>& out);

// The pixels of a cubic curve from p0 to p3 (controls p1, p2), in order,
// 8-connected without redundant corners, both ends included: on each column
// of the curve's flat pieces and each row of its steep pieces, the pixel
// nearest the curve. The reversed curve (p3, p2, p1, p0) has the same pixels.
void BezierPixels(SurfacePoint p0, SurfacePoint p1, SurfacePoint p2, SurfacePoint p3,
                  std::vector<SurfacePoint>& out);
