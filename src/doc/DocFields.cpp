// The document's and the layers' fields by their declared names, as scripts
// print and expect them. The names are part of the script interface: every
// field a part of the document owns is listed here, whichever part holds it.
#include "doc/DocFields.h"

#include "doc/TesvanDoc.h"
#include "platform/Cp932.h"

#include <cstdio>
#include <functional>
#include <utility>

std::string HexText(uint32_t v, int digits)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*X", digits, unsigned(v));
    return buf;
}

std::string ColorText(uint32_t c) { return "0x" + HexText(c & 0xFFFFFF, 6); }

namespace {

std::string AlphaText(uint32_t a) { return "0x" + HexText(a, 8); }
std::string PointText(const CPoint& p) { return std::to_string(p.x) + " " + std::to_string(p.y); }
std::string RectText(const CRect& r)
{
    return std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) +
           " " + std::to_string(r.bottom);
}

using DocField = std::function<std::string(const CTesvanDoc&)>;
using LayerField = std::function<std::string(const CLayer&)>;

#define INT_FIELD(f) {#f, [](const CTesvanDoc& d) { return std::to_string(d.f); }}
#define COLOR_FIELD(f) {#f, [](const CTesvanDoc& d) { return ColorText(d.f); }}

// Every scalar field of the document by its declared name.
const std::pair<const char*, DocField> kDocFields[] = {
    INT_FIELD(m_nBitCount),
    COLOR_FIELD(m_crBackground),
    INT_FIELD(m_bInitialized),
    INT_FIELD(m_nCellWidth),
    INT_FIELD(m_nCellHeight),
    INT_FIELD(m_nColumns),
    INT_FIELD(m_nRows),
    INT_FIELD(m_nEditColumn),
    INT_FIELD(m_nEditRow),
    INT_FIELD(m_nZoom),
    INT_FIELD(m_bWorkValid),
    COLOR_FIELD(m_crGridColor),
    COLOR_FIELD(m_crGridStepColor),
    INT_FIELD(m_nGridStep),
    INT_FIELD(m_bShowCharLines),
    INT_FIELD(m_bShowGrid),
    INT_FIELD(m_nColorPrecision),
    INT_FIELD(m_nCurrentLayer),
    INT_FIELD(m_nPenWidth),
    INT_FIELD(m_nTool),
    INT_FIELD(m_nButton),
    {"m_ptLast", [](const CTesvanDoc& d) { return PointText(d.m_ptLast); }},
    COLOR_FIELD(m_crMarquee),
    {"m_nSelState", [](const CTesvanDoc& d) { return std::to_string(int(d.m_nSelState)); }},
    INT_FIELD(m_nSelLayer),
    INT_FIELD(m_bShowAllLayers),
    {"m_rcSel", [](const CTesvanDoc& d) { return RectText(d.m_rcSel); }},
    INT_FIELD(m_bPasteRotated),
    INT_FIELD(m_nPasteFlip),
    INT_FIELD(m_nPieceCount),
    {"m_strText", [](const CTesvanDoc& d) { return Cp932ToUtf8(d.m_strText); }},
    {"m_ptText", [](const CTesvanDoc& d) { return PointText(d.m_ptText); }},
    {"m_chLead", [](const CTesvanDoc& d) { return std::to_string(int(uint8_t(d.m_chLead))); }},
    INT_FIELD(m_bShift),
    INT_FIELD(m_nUndoCount),
    INT_FIELD(m_nUndoIndex),
    INT_FIELD(m_bAnimeShown),
    // Kept behind accessors, named as declared.
    {"m_strPathName", [](const CTesvanDoc& d) { return d.GetPathName(); }},
    {"m_strTitle", [](const CTesvanDoc& d) { return d.GetTitle(); }},
    {"m_bModified", [](const CTesvanDoc& d) { return std::string(d.IsModified() ? "1" : "0"); }},
    // The text font record, field by field.
    {"m_lfText.lfHeight", [](const CTesvanDoc& d) { return std::to_string(d.m_lfText.lfHeight); }},
    {"m_lfText.lfWidth", [](const CTesvanDoc& d) { return std::to_string(d.m_lfText.lfWidth); }},
    {"m_lfText.lfWeight", [](const CTesvanDoc& d) { return std::to_string(d.m_lfText.lfWeight); }},
    {"m_lfText.lfItalic", [](const CTesvanDoc& d) { return std::to_string(d.m_lfText.lfItalic); }},
    {"m_lfText.lfUnderline",
     [](const CTesvanDoc& d) { return std::to_string(d.m_lfText.lfUnderline); }},
    {"m_lfText.lfStrikeOut",
     [](const CTesvanDoc& d) { return std::to_string(d.m_lfText.lfStrikeOut); }},
    {"m_lfText.lfCharSet", [](const CTesvanDoc& d) { return std::to_string(d.m_lfText.lfCharSet); }},
    {"m_lfText.lfFaceName", [](const CTesvanDoc& d) { return d.m_lfText.lfFaceName; }},
};

#undef INT_FIELD
#undef COLOR_FIELD

const std::pair<const char*, LayerField> kLayerFields[] = {
    {"m_nPage", [](const CLayer& l) { return std::to_string(l.m_nPage); }},
    {"m_nBitCount", [](const CLayer& l) { return std::to_string(l.m_nBitCount); }},
    {"m_bVisible", [](const CLayer& l) { return std::to_string(l.m_bVisible); }},
    {"m_strName", [](const CLayer& l) { return l.m_strName; }},
    {"m_strFolder", [](const CLayer& l) { return l.m_strFolder; }},
    {"m_strPath", [](const CLayer& l) { return l.m_strPath; }},
    {"m_nColor",
     [](const CLayer& l) { return std::to_string(l.m_nColor[0]) + " " + std::to_string(l.m_nColor[1]); }},
    {"m_nAlpha", [](const CLayer& l) { return AlphaText(l.m_nAlpha[0]) + " " + AlphaText(l.m_nAlpha[1]); }},
    {"m_pImage",
     [](const CLayer& l) {
         if (!l.m_pImage || l.m_pImage->IsNull())
             return std::string("none");
         return std::to_string(l.m_pImage->GetWidth()) + "x" + std::to_string(l.m_pImage->GetHeight());
     }},
};

} // namespace

bool DocFieldText(const CTesvanDoc& doc, const std::string& name, std::string& out)
{
    for (const auto& [n, field] : kDocFields) {
        if (name == n) {
            out = field(doc);
            return true;
        }
    }
    return false;
}

bool LayerFieldText(const CLayer& layer, const std::string& name, std::string& out)
{
    for (const auto& [n, field] : kLayerFields) {
        if (name == n) {
            out = field(layer);
            return true;
        }
    }
    return false;
}

std::vector<std::string> DocFieldNames()
{
    std::vector<std::string> names;
    for (const auto& entry : kDocFields)
        names.push_back(entry.first);
    return names;
}
