#include "map/MapEdit.h"

#include "doc/TesvanDoc.h"
#include "platform/UiPort.h"

#include <algorithm>
#include <cstdlib>

namespace {

// Map cells of one layer replaced by a stroke or fill: undoing exchanges
// the kept values with the map's.
class CMapCellsStep : public CUndoStep {
public:
    CMapCellsStep(int map, int layer, std::vector<std::pair<uint32_t, uint32_t>> cells)
        : m_nMap(map), m_nLayer(layer), m_Cells(std::move(cells))
    {
    }
    void Undo(CTesvanDoc& doc) override { Exchange(doc); }
    void Redo(CTesvanDoc& doc) override { Exchange(doc); }
    size_t Size() const override { return sizeof *this + m_Cells.capacity() * sizeof m_Cells[0]; }
    std::string Name() const override { return "マップ描画"; }
    int Hint() const override { return HINT_MAP; }

private:
    void Exchange(CTesvanDoc& doc)
    {
        if (m_nMap >= int(doc.m_Maps.maps.size()))
            return;
        CChipMap& m = doc.m_Maps.maps[size_t(m_nMap)];
        if (m_nLayer >= int(m.layers.size()))
            return;
        std::vector<uint32_t>& cells = m.layers[size_t(m_nLayer)].cells;
        for (auto& [index, value] : m_Cells)
            if (index < cells.size())
                std::swap(cells[index], value);
        doc.m_MapEdit.nMap = m_nMap;
        doc.m_MapEdit.nLayer = m_nLayer;
    }

    int m_nMap, m_nLayer;
    std::vector<std::pair<uint32_t, uint32_t>> m_Cells;
};

// A change of the maps themselves (new, deleted, resized, layers): the
// whole set before it, exchanged.
class CMapsStep : public CUndoStep {
public:
    CMapsStep(const CTesvanDoc& doc, std::string name)
        : m_Maps(doc.m_Maps), m_Edit{doc.m_MapEdit.nMap, doc.m_MapEdit.nLayer}, m_strName(std::move(name))
    {
    }
    void Undo(CTesvanDoc& doc) override { Exchange(doc); }
    void Redo(CTesvanDoc& doc) override { Exchange(doc); }
    size_t Size() const override { return sizeof *this + m_Maps.Bytes(); }
    std::string Name() const override { return m_strName; }
    int Hint() const override { return HINT_MAP; }

private:
    void Exchange(CTesvanDoc& doc)
    {
        std::swap(m_Maps, doc.m_Maps);
        std::swap(m_Edit[0], doc.m_MapEdit.nMap);
        std::swap(m_Edit[1], doc.m_MapEdit.nLayer);
        mapedit::Current(doc);
    }

    CChipMaps m_Maps;
    int m_Edit[2];
    std::string m_strName;
};

// Runs a change of the maps as one step named after it.
template <class F>
void ChangeMaps(CTesvanDoc& doc, const char* name, F change)
{
    auto step = std::make_unique<CMapsStep>(doc, name);
    if (!change())
        return;
    doc.PushStep(std::move(step));
    doc.SetModifiedFlag();
    doc.UpdateAllViews(HINT_MAP);
}

int FloorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

} // namespace

// ---------------------------------------------------------------- dialog

bool CMapDlg::SetField(const std::string& name, const std::string& value, std::string& error)
{
    if (name == "m_strName")
        m_strName = value;
    else if (name == "m_nWidth")
        m_strWidth = value;
    else if (name == "m_nHeight")
        m_strHeight = value;
    else {
        error = "CMapDlg has no field '" + name + "'";
        return false;
    }
    return true;
}

bool CMapDlg::Validate(std::string& message)
{
    int w = 0, h = 0;
    if (!CheckDialogInt(m_strWidth, 1, CChipMap::kMaxSide, w, message) ||
        !CheckDialogInt(m_strHeight, 1, CChipMap::kMaxSide, h, message))
        return false;
    if (!CChipMap::ValidSize(w, h)) {
        message = "マップは合わせて1048576チップまでです。";
        return false;
    }
    if (m_strName.empty()) {
        message = "名前を入力してください。";
        return false;
    }
    m_nWidth = w;
    m_nHeight = h;
    return true;
}

// ---------------------------------------------------------------- commands

namespace mapedit {

CChipMap* Current(CTesvanDoc& doc)
{
    CMapEditState& e = doc.m_MapEdit;
    if (doc.m_Maps.maps.empty()) {
        e.nMap = e.nLayer = 0;
        return nullptr;
    }
    e.nMap = std::clamp(e.nMap, 0, int(doc.m_Maps.maps.size()) - 1);
    CChipMap& m = doc.m_Maps.maps[size_t(e.nMap)];
    e.nLayer = std::clamp(e.nLayer, 0, int(m.layers.size()) - 1);
    return &m;
}

int CurrentCell(const CTesvanDoc& doc) { return doc.m_nEditRow * doc.m_nColumns + doc.m_nEditColumn; }

void OnMapNew(CTesvanDoc& doc)
{
    if (int(doc.m_Maps.maps.size()) >= CChipMaps::kMaxMaps) {
        UiPort().MessageBox("マップは16個までです。");
        return;
    }
    CMapDlg dlg;
    dlg.m_strName = doc.m_Maps.NextName();
    if (!UiPort().DoModal(dlg))
        return;
    ChangeMaps(doc, "新規マップ", [&] {
        doc.m_Maps.maps.push_back(CChipMap::Make(dlg.m_strName, dlg.m_nWidth, dlg.m_nHeight));
        doc.m_MapEdit.nMap = int(doc.m_Maps.maps.size()) - 1;
        doc.m_MapEdit.nLayer = 0;
        return true;
    });
}

void OnMapProperties(CTesvanDoc& doc)
{
    CChipMap* m = Current(doc);
    if (!m)
        return;
    CMapDlg dlg;
    dlg.m_strName = m->strName;
    dlg.m_nWidth = m->nWidth;
    dlg.m_nHeight = m->nHeight;
    dlg.m_strWidth = std::to_string(m->nWidth);
    dlg.m_strHeight = std::to_string(m->nHeight);
    if (!UiPort().DoModal(dlg))
        return;
    ChangeMaps(doc, "マップのプロパティー", [&] {
        if (dlg.m_strName == m->strName && dlg.m_nWidth == m->nWidth && dlg.m_nHeight == m->nHeight)
            return false;
        m->strName = dlg.m_strName;
        m->Resize(dlg.m_nWidth, dlg.m_nHeight);
        return true;
    });
}

void OnMapDelete(CTesvanDoc& doc)
{
    if (!Current(doc))
        return;
    ChangeMaps(doc, "マップ削除", [&] {
        doc.m_Maps.maps.erase(doc.m_Maps.maps.begin() + doc.m_MapEdit.nMap);
        Current(doc);
        return true;
    });
}

bool CanMapLayerNew(CTesvanDoc& doc)
{
    const CChipMap* m = Current(doc);
    return m && int(m->layers.size()) < CChipMap::kMaxLayers;
}

bool CanMapLayerDelete(CTesvanDoc& doc)
{
    const CChipMap* m = Current(doc);
    return m && m->layers.size() > 1;
}

bool IsMapLayerShown(CTesvanDoc& doc)
{
    const CChipMap* m = Current(doc);
    return m && m->layers[size_t(doc.m_MapEdit.nLayer)].bShown;
}

void OnMapLayerNew(CTesvanDoc& doc)
{
    if (!CanMapLayerNew(doc))
        return;
    ChangeMaps(doc, "マップレイヤー追加", [&] {
        CChipMap& m = *Current(doc);
        m.AddLayer();
        doc.m_MapEdit.nLayer = int(m.layers.size()) - 1;
        return true;
    });
}

void OnMapLayerDelete(CTesvanDoc& doc)
{
    if (!CanMapLayerDelete(doc))
        return;
    ChangeMaps(doc, "マップレイヤー削除", [&] {
        CChipMap& m = *Current(doc);
        m.layers.erase(m.layers.begin() + doc.m_MapEdit.nLayer);
        Current(doc);
        return true;
    });
}

void OnMapLayerShow(CTesvanDoc& doc)
{
    if (!Current(doc))
        return;
    ChangeMaps(doc, "マップレイヤー表示", [&] {
        CMapLayer& l = Current(doc)->layers[size_t(doc.m_MapEdit.nLayer)];
        l.bShown = !l.bShown;
        return true;
    });
}

namespace {

// Turns or mirrors the stamp: a taken block as a whole, each chip with it.
void TransformStamp(CTesvanDoc& doc, uint32_t (*flip)(uint32_t), int kind)
{
    CMapEditState& e = doc.m_MapEdit;
    if (e.stamp.empty()) {
        e.nFlips = flip(e.nFlips);
    } else {
        const int w = e.nStampWidth, h = e.nStampHeight;
        const int nw = kind == 2 ? h : w, nh = kind == 2 ? w : h;
        std::vector<uint32_t> out(e.stamp.size());
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const uint32_t v = e.stamp[size_t(y) * w + x];
                int nx = x, ny = y;
                if (kind == 0)
                    nx = w - 1 - x;
                else if (kind == 1)
                    ny = h - 1 - y;
                else {   // clockwise: row y becomes column h - 1 - y
                    nx = h - 1 - y;
                    ny = x;
                }
                out[size_t(ny) * nw + nx] = chip::IsEmpty(v) ? v : (v & chip::kNumberBits) | flip(chip::FlipsOf(v));
            }
        e.stamp = std::move(out);
        e.nStampWidth = nw;
        e.nStampHeight = nh;
    }
    doc.UpdateAllViews(HINT_MAP);
}

} // namespace

void OnMapFlipH(CTesvanDoc& doc) { TransformStamp(doc, chip::FlipH, 0); }
void OnMapFlipV(CTesvanDoc& doc) { TransformStamp(doc, chip::FlipV, 1); }
void OnMapRotate(CTesvanDoc& doc)
{
    if (CanMapRotate(doc))
        TransformStamp(doc, chip::RotateRight, 2);
}
bool CanMapRotate(const CTesvanDoc& doc) { return doc.m_nCellWidth == doc.m_nCellHeight; }

bool SelectMap(CTesvanDoc& doc, int k)
{
    if (k < 0 || k >= int(doc.m_Maps.maps.size()))
        return false;
    if (doc.m_MapEdit.nMap != k) {
        doc.m_MapEdit.nMap = k;
        doc.m_MapEdit.nLayer = 0;
    }
    doc.UpdateAllViews(HINT_MAP);
    return true;
}

bool SelectMapLayer(CTesvanDoc& doc, int l)
{
    const CChipMap* m = Current(doc);
    if (!m || l < 0 || l >= int(m->layers.size()))
        return false;
    doc.m_MapEdit.nLayer = l;
    doc.UpdateAllViews(HINT_MAP);
    return true;
}

} // namespace mapedit

// ---------------------------------------------------------------- pointer

int CMapInput::CellW() const { return std::max(1, m_Doc.m_nCellWidth) * m_nZoom; }
int CMapInput::CellH() const { return std::max(1, m_Doc.m_nCellHeight) * m_nZoom; }

bool CMapInput::ChipAt(CPoint p, int& i, int& j)
{
    const CChipMap* m = mapedit::Current(m_Doc);
    if (!m)
        return false;
    i = FloorDiv(p.x, CellW());
    j = FloorDiv(p.y, CellH());
    return m->Inside(i, j);
}

void CMapInput::SetZoom(int zoom) { m_nZoom = std::clamp(zoom, kMinZoom, kMaxZoom); SetScroll(m_ptScroll); }

CPoint CMapInput::ViewSize()
{
    const CChipMap* m = mapedit::Current(m_Doc);
    if (!m)
        return {0, 0};
    return {m->nWidth * CellW(), m->nHeight * CellH()};
}

void CMapInput::SetScroll(CPoint p)
{
    const CPoint size = ViewSize();
    m_ptScroll.x = std::clamp(p.x, 0, std::max(0, size.x - m_szClient.x));
    m_ptScroll.y = std::clamp(p.y, 0, std::max(0, size.y - m_szClient.y));
}

void CMapInput::Wheel(CPoint p, bool up, bool ctrl)
{
    if (!ctrl) {
        SetScroll({m_ptScroll.x, m_ptScroll.y + (up ? -1 : 1) * CellH()});
        return;
    }
    // The map point under the pointer stays under it.
    const int old = m_nZoom;
    const int zoom = std::clamp(up ? old * 2 : old / 2, kMinZoom, kMaxZoom);
    if (zoom == old)
        return;
    const CPoint client{p.x - m_ptScroll.x, p.y - m_ptScroll.y};
    m_nZoom = zoom;
    SetScroll({int(int64_t(p.x) * zoom / old) - client.x, int(int64_t(p.y) * zoom / old) - client.y});
}

void CMapInput::Put(int i, int j, uint32_t v)
{
    CChipMap& m = m_Doc.m_Maps.maps[size_t(m_nDragMap)];
    if (!m.Inside(i, j))
        return;
    uint32_t& cell = m.At(m_nDragLayer, i, j);
    const size_t index = size_t(j) * m.nWidth + i;
    if (!m_Touched[index]) {
        if (cell == v)
            return;
        m_Touched[index] = 1;
        m_Saved.emplace_back(uint32_t(index), cell);
    }
    cell = v;
}

void CMapInput::StampAt(int i, int j)
{
    if (m_Drag == Drag::Erase) {
        Put(i, j, chip::kEmpty);
        return;
    }
    const CMapEditState& e = m_Doc.m_MapEdit;
    if (e.stamp.empty()) {
        Put(i, j, chip::Make(mapedit::CurrentCell(m_Doc), e.nFlips));
        return;
    }
    for (int y = 0; y < e.nStampHeight; ++y)
        for (int x = 0; x < e.nStampWidth; ++x)
            Put(i + x, j + y, e.stamp[size_t(y) * e.nStampWidth + x]);
}

bool CMapInput::Press(CPoint p, int button, unsigned keys)
{
    if (m_Drag != Drag::None)
        return true;
    int i, j;
    if (!ChipAt(p, i, j))
        return false;
    CChipMap& m = *mapedit::Current(m_Doc);
    CMapEditState& e = m_Doc.m_MapEdit;
    if (keys & kMapKeyAlt) {
        // The chip under the pointer: the current layer's, else the
        // topmost shown one.
        uint32_t v = m.At(e.nLayer, i, j);
        for (int l = int(m.layers.size()) - 1; chip::IsEmpty(v) && l >= 0; --l)
            if (m.layers[size_t(l)].bShown)
                v = m.At(l, i, j);
        if (chip::IsEmpty(v) || chip::CellOf(v) >= m_Doc.m_nColumns * m_Doc.m_nRows)
            return false;
        e.stamp.clear();
        e.nStampWidth = e.nStampHeight = 0;
        e.nFlips = chip::FlipsOf(v);
        m_Doc.SelectCell(chip::CellOf(v));
        m_Doc.UpdateAllViews(HINT_PANE | HINT_CANVAS | HINT_MAP);
        return false;
    }
    m_nDragMap = e.nMap;
    m_nDragLayer = e.nLayer;
    m_nAnchorI = m_nLastI = i;
    m_nAnchorJ = m_nLastJ = j;
    m_Saved.clear();
    m_Touched.assign(size_t(m.nWidth) * m.nHeight, 0);
    if (button == 2)
        m_Drag = Drag::Erase;
    else if (keys & kMapKeyCtrl)
        m_Drag = Drag::Take;
    else if (keys & kMapKeyShift)
        m_Drag = Drag::Fill;
    else
        m_Drag = Drag::Stamp;
    if (m_Drag == Drag::Stamp || m_Drag == Drag::Erase)
        StampAt(i, j);
    return true;
}

bool CMapInput::DragValid() const
{
    // The history may have changed the maps under a drag.
    if (m_nDragMap < 0 || m_nDragMap >= int(m_Doc.m_Maps.maps.size()))
        return false;
    const CChipMap& m = m_Doc.m_Maps.maps[size_t(m_nDragMap)];
    return m_nDragLayer < int(m.layers.size()) && m_Touched.size() == size_t(m.nWidth) * m.nHeight;
}

void CMapInput::Move(CPoint p, unsigned)
{
    if (m_Drag == Drag::None)
        return;
    if (!DragValid()) {
        m_Drag = Drag::None;
        m_Saved.clear();
        return;
    }
    const CChipMap& m = m_Doc.m_Maps.maps[size_t(m_nDragMap)];
    // Chips along the way, so a quick drag leaves no gaps; corners of a
    // rectangle stay on the map.
    const int i = std::clamp(FloorDiv(p.x, CellW()), 0, m.nWidth - 1);
    const int j = std::clamp(FloorDiv(p.y, CellH()), 0, m.nHeight - 1);
    if (m_Drag == Drag::Stamp || m_Drag == Drag::Erase) {
        int x = m_nLastI, y = m_nLastJ;
        const int dx = std::abs(i - x), dy = -std::abs(j - y);
        const int sx = x < i ? 1 : -1, sy = y < j ? 1 : -1;
        int err = dx + dy;
        while (x != i || y != j) {
            const int e2 = 2 * err;
            if (e2 >= dy) {
                err += dy;
                x += sx;
            }
            if (e2 <= dx) {
                err += dx;
                y += sy;
            }
            StampAt(x, y);
        }
    }
    m_nLastI = i;
    m_nLastJ = j;
}

bool CMapInput::DragRect(CRect& chips, bool& take) const
{
    if (m_Drag != Drag::Fill && m_Drag != Drag::Take)
        return false;
    chips = {std::min(m_nAnchorI, m_nLastI), std::min(m_nAnchorJ, m_nLastJ), std::max(m_nAnchorI, m_nLastI),
             std::max(m_nAnchorJ, m_nLastJ)};
    take = m_Drag == Drag::Take;
    return true;
}

void CMapInput::Release(int, unsigned)
{
    if (m_Drag == Drag::None)
        return;
    CRect r;
    bool take = false;
    const bool rect = DragRect(r, take);
    const Drag drag = m_Drag;
    m_Drag = Drag::None;
    if (!DragValid()) {
        m_Saved.clear();
        return;
    }
    CChipMap& m = m_Doc.m_Maps.maps[size_t(m_nDragMap)];
    CMapEditState& e = m_Doc.m_MapEdit;
    if (rect && take) {
        e.nStampWidth = r.right - r.left + 1;
        e.nStampHeight = r.bottom - r.top + 1;
        e.stamp.clear();
        for (int y = r.top; y <= r.bottom; ++y)
            for (int x = r.left; x <= r.right; ++x)
                e.stamp.push_back(m.At(m_nDragLayer, x, y));
        m_Doc.UpdateAllViews(HINT_MAP);
        return;
    }
    if (rect && drag == Drag::Fill) {
        const int sw = e.stamp.empty() ? 1 : e.nStampWidth, sh = e.stamp.empty() ? 1 : e.nStampHeight;
        const uint32_t one = chip::Make(mapedit::CurrentCell(m_Doc), e.nFlips);
        for (int y = r.top; y <= r.bottom; ++y)
            for (int x = r.left; x <= r.right; ++x)
                Put(x, y, e.stamp.empty() ? one : e.stamp[size_t((y - r.top) % sh) * sw + (x - r.left) % sw]);
    }
    Finish();
}

void CMapInput::Finish()
{
    m_Touched.clear();
    if (m_Saved.empty())
        return;
    m_Doc.PushStep(std::make_unique<CMapCellsStep>(m_nDragMap, m_nDragLayer, std::move(m_Saved)));
    m_Saved.clear();
    m_Doc.SetModifiedFlag();
    m_Doc.UpdateAllViews(HINT_MAP);
}

bool CMapInput::Key(const std::string& name)
{
    if (name == "escape") {
        if (m_Drag != Drag::None) {
            // An unfinished drag ends as it stands.
            Release(0, 0);
            return true;
        }
        if (m_Doc.m_MapEdit.stamp.empty())
            return false;
        m_Doc.m_MapEdit.stamp.clear();
        m_Doc.m_MapEdit.nStampWidth = m_Doc.m_MapEdit.nStampHeight = 0;
        m_Doc.UpdateAllViews(HINT_MAP);
        return true;
    }
    if (name == "x")
        mapedit::OnMapFlipH(m_Doc);
    else if (name == "y")
        mapedit::OnMapFlipV(m_Doc);
    else if (name == "z")
        mapedit::OnMapRotate(m_Doc);
    else
        return false;
    return true;
}
