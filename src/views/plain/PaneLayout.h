// The palette and sheet pane without its widget: layout, hit tests and what
// a release or a palette-menu command means. The widget and the script
// runner both go through these.
#pragma once

class CTesvanDoc;

namespace pane {

constexpr int kGrey = 200;              // background level (RGB 200,200,200)
constexpr int kMinWidth = 289;
constexpr int kSwatchTop = 15;
constexpr int kSharedTop = 63;          // frame of the shared palette box
constexpr int kLayerTop = 143;          // frame of the layer palette box
constexpr int kSheetLeft = 16;          // top-left pixel of the sheet
constexpr int kSheetTop = 176;

enum Area { kNone = -1, kShared = 0, kLayer = 1, kSheet = 2 };

struct Hit {
    int area = kNone;
    int index = 0;
};

struct Size {
    int width = 0;
    int height = 0;
};

struct Rect {                           // right and bottom exclusive
    int left = 0, top = 0, right = 0, bottom = 0;
};

// Scrollable size of the pane for the document's sheet.
Size ScrollSize(const CTesvanDoc& doc);
// The area and index under logical point (x, y); right and bottom edges of
// each area are outside it.
Hit HitTest(const CTesvanDoc& doc, int x, int y);
// Whether (x, y) lies over one of the two palette strips.
bool OverPalette(int x, int y);

// A release without Control: button 0 left, 1 right.
void Release(CTesvanDoc& doc, const Hit& hit, int button);
// The palette menu opens only over the two palette strips.
bool MenuOpens(const Hit& hit);
// Enable rule and action of the palette menu's commands for the hit.
bool MenuEnabled(const CTesvanDoc& doc, const Hit& hit, int id);
void MenuCommand(CTesvanDoc& doc, const Hit& hit, int id);

// The 16 x 16 marker over the cell of palette entry n (frame included).
Rect MarkerRect(int entry);
// Colour square (15 x 15) of shared entry n / of layer-page colour i.
Rect SharedCell(int entry);
Rect LayerCell(int index);

} // namespace pane
