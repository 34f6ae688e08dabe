// Editing maps: the map dialog, the map commands and the pointer input of
// the map view, each change one step of the document's history. Qt-free, so
// the map window and the script runner drive the same code.
#pragma once

#include "doc/Geometry.h"
#include "platform/DialogModel.h"

#include <cstdint>
#include <string>
#include <vector>

class CTesvanDoc;
struct CChipMap;

// "マップ設定": name and size in chips. The sizes are the edits' texts,
// checked on OK.
class CMapDlg : public CDialogModel {
public:
    static constexpr const char* kTitle = "マップ設定";
    static constexpr const char* kNameLabel = "名前";
    static constexpr const char* kWidthLabel = "幅(チップ)";
    static constexpr const char* kHeightLabel = "高さ(チップ)";

    const char* ClassName() const override { return "CMapDlg"; }
    bool SetField(const std::string& name, const std::string& value, std::string& error) override;
    bool Validate(std::string& message) override;

    std::string m_strName;
    int m_nWidth = 32;
    int m_nHeight = 32;
    std::string m_strWidth = "32";
    std::string m_strHeight = "32";
};

namespace mapedit {

// The map being edited (null when the document has none) after bringing
// the map window's choice of map and layer into range.
CChipMap* Current(CTesvanDoc& doc);
// The sheet's current cell as a cell number.
int CurrentCell(const CTesvanDoc& doc);

// The map commands. Each is one step of the history; a refusal shows why.
void OnMapNew(CTesvanDoc& doc);
void OnMapProperties(CTesvanDoc& doc);
void OnMapDelete(CTesvanDoc& doc);
void OnMapLayerNew(CTesvanDoc& doc);
void OnMapLayerDelete(CTesvanDoc& doc);
void OnMapLayerShow(CTesvanDoc& doc);
bool CanMapLayerNew(CTesvanDoc& doc);
bool CanMapLayerDelete(CTesvanDoc& doc);
bool IsMapLayerShown(CTesvanDoc& doc);
// The flips of the next stamp (a taken block turns and mirrors whole).
void OnMapFlipH(CTesvanDoc& doc);
void OnMapFlipV(CTesvanDoc& doc);
void OnMapRotate(CTesvanDoc& doc);
// Turning needs square chips: a turned non-square chip would not fit its place.
bool CanMapRotate(const CTesvanDoc& doc);
// Chooses map k (from 0) and map layer l of it; false when out of range.
bool SelectMap(CTesvanDoc& doc, int k);
bool SelectMapLayer(CTesvanDoc& doc, int l);

} // namespace mapedit

// Key flags of the map view's pointer.
enum : unsigned {
    kMapKeyCtrl = 1,
    kMapKeyShift = 2,
    kMapKeyAlt = 4,
};

// The map view's decisions: which chip a view point means, what a press,
// drag and release do, zoom and scrolling. Points are the view's logical
// coordinates (client point plus scroll position).
class CMapInput {
public:
    static constexpr int kMinZoom = 1;
    static constexpr int kMaxZoom = 16;

    explicit CMapInput(CTesvanDoc& doc) : m_Doc(doc) {}

    // button 1 left, 2 right. True while the drag goes on (capture).
    bool Press(CPoint p, int button, unsigned keys);
    void Move(CPoint p, unsigned keys);
    void Release(int button, unsigned keys);
    // A key by its lower-case name ("x", "y", "z", "escape"); true when used.
    bool Key(const std::string& name);
    // One wheel step: with Ctrl the zoom about the point, else scrolling.
    void Wheel(CPoint p, bool up, bool ctrl);

    int Zoom() const { return m_nZoom; }
    void SetZoom(int zoom);
    CPoint Scroll() const { return m_ptScroll; }
    void SetScroll(CPoint p);
    // The map's size at the zoom, in view pixels.
    CPoint ViewSize();
    void SetViewSize(CPoint client) { m_szClient = client; }
    // The chip under a logical point; false off the map.
    bool ChipAt(CPoint p, int& i, int& j);
    // The rectangle a Shift or Ctrl drag shows (map chips, inclusive);
    // false when none is being dragged. ctrl: a block being taken.
    bool DragRect(CRect& chips, bool& take) const;

private:
    enum class Drag { None, Stamp, Erase, Fill, Take };
    void StampAt(int i, int j);
    void Put(int i, int j, uint32_t v);
    void Finish();
    bool DragValid() const;
    int CellW() const;
    int CellH() const;

    CTesvanDoc& m_Doc;
    int m_nZoom = 2;
    CPoint m_ptScroll{0, 0};
    CPoint m_szClient{0, 0};
    Drag m_Drag = Drag::None;
    int m_nDragMap = -1, m_nDragLayer = -1;
    int m_nAnchorI = 0, m_nAnchorJ = 0, m_nLastI = 0, m_nLastJ = 0;
    // The stroke's saved cells: index and the value before.
    std::vector<std::pair<uint32_t, uint32_t>> m_Saved;
    std::vector<uint8_t> m_Touched;
};
