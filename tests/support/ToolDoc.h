// A small document for the tool tests, with helpers that press, drag and
// release as the canvas does and that show a layer's cell as text.
#pragma once

#include "doc/KeyFlags.h"
#include "doc/TesvanDoc.h"
#include "edit/Tools.h"

#include <cstring>
#include <string>
#include <vector>

// Counts the hints the document sends.
struct HintLog : CDocObserver {
    std::vector<int> hints;
    void OnUpdate(int hint) override { hints.push_back(hint); }
};

// A sheet of columns x rows cells of w x h pixels, 8 or 32 bits. Colours of
// layer 0: entries 5 and 9 (8-bit) or 21 and 25 (32-bit), both opaque.
inline void MakeDoc(CTesvanDoc& doc, int bits, int w = 8, int h = 8, int columns = 2, int rows = 2)
{
    InstallToolOverlay();  // as the shell does at start-up
    doc.m_nBitCount = bits;
    doc.m_nCellWidth = w;
    doc.m_nCellHeight = h;
    doc.m_nColumns = columns;
    doc.m_nRows = rows;
    doc.OnNewDocument();
    CLayer& layer = doc.CurrentLayer();
    layer.m_nAlpha[0] = layer.m_nAlpha[1] = 0xFF000000u;
    if (bits == 32) {
        // Entries below 16 are alpha levels in 32-bit documents.
        layer.m_nColor[0] = 21;
        layer.m_nColor[1] = 25;
        doc.m_Palette[21] = RGBQUAD{0x10, 0x20, 0x30, 0};  // blue, green, red
        doc.m_Palette[25] = RGBQUAD{0x40, 0x50, 0x60, 0};
    } else {
        layer.m_nColor[0] = 5;
        layer.m_nColor[1] = 9;
        doc.m_Palette[5] = RGBQUAD{0, 0, 200, 0};
        doc.m_Palette[9] = RGBQUAD{0, 200, 0, 0};
    }
}

// Canvas logical point of cell pixel (x, y): inside that pixel's square.
inline CPoint View(const CTesvanDoc& doc, int x, int y)
{
    return CPoint{16 + doc.m_nZoom * x + doc.m_nZoom / 2, 16 + doc.m_nZoom * y + doc.m_nZoom / 2};
}

inline int Press(CTesvanDoc& doc, int x, int y, int button = 1, unsigned keys = 0)
{
    CPoint p = View(doc, x, y);
    return doc.BeginStroke(p, keys, button);
}

inline void Move(CTesvanDoc& doc, int x, int y) { doc.TrackStroke(View(doc, x, y)); }

inline int Release(CTesvanDoc& doc, unsigned keys = 0) { return doc.EndStroke(keys); }

// Press at the first point, move through the rest, release.
inline void Stroke(CTesvanDoc& doc, const std::vector<CPoint>& pts, int button = 1)
{
    Press(doc, pts[0].x, pts[0].y, button);
    for (size_t i = 1; i < pts.size(); ++i)
        Move(doc, pts[i].x, pts[i].y);
    Release(doc);
}

inline uint32_t Pixel32(const CImageEx& img, int x, int y)
{
    uint32_t v;
    std::memcpy(&v, img.GetRow(y) + 4 * x, 4);
    return v;
}

inline void SetPixel32(CImageEx& img, int x, int y, uint32_t v)
{
    std::memcpy(img.GetRow(y) + 4 * x, &v, 4);
}

// The cell (column, row) of an image as rows of text: '.' for an untouched
// pixel (0), 'a' colour 0, 'b' colour 1, 'm' the 8-bit marquee entry, '?'
// anything else. Works on 8-bit images and on 32-bit ones drawn with the
// MakeDoc colours.
inline std::vector<std::string> CellText(const CTesvanDoc& doc, const CImageEx& img, int column = 0,
                                         int row = 0)
{
    std::vector<std::string> out;
    const int x0 = column * doc.m_nCellWidth, y0 = row * doc.m_nCellHeight;
    for (int y = 0; y < doc.m_nCellHeight; ++y) {
        std::string line;
        for (int x = 0; x < doc.m_nCellWidth; ++x) {
            uint32_t v;
            if (img.GetBPP() == 8) {
                v = img.GetRow(y0 + y)[x0 + x];
                line += v == 0 ? '.' : v == 5 ? 'a' : v == 9 ? 'b' : v == 1 ? 'm' : '?';
            } else {
                v = Pixel32(img, x0 + x, y0 + y);
                line += v == 0 ? '.' : v == 0xFF302010u ? 'a' : v == 0xFF605040u ? 'b' : '?';
            }
        }
        out.push_back(line);
    }
    return out;
}
