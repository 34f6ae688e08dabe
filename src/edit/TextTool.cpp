// The text tool: typed code page 932 bytes collected as uncommitted text,
// shown by the tool preview and written into the layer on Enter.
#include "doc/TesvanDoc.h"
#include "edit/Tools.h"

namespace {

bool IsLeadByte(unsigned c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
bool IsTrailByte(unsigned c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }

// Start of the last character, scanning from the start so that a trail byte
// that looks like a lead byte is not mistaken for one.
size_t LastCharStart(const std::string& s)
{
    size_t i = 0, start = 0;
    while (i < s.size()) {
        start = i;
        i += IsLeadByte(uint8_t(s[i])) && i + 1 < s.size() ? 2 : 1;
    }
    return start;
}

}  // namespace

int CTesvanDoc::OnTextChar(unsigned c)
{
    if (c > 0xFF)
        return 0;
    bool appended = false;
    if (m_chLead != 0) {
        const char lead = m_chLead;
        m_chLead = 0;
        // A byte that cannot end the character drops the lone lead byte and
        // is taken on its own (Backspace, Enter and Escape keep working).
        if (IsTrailByte(c)) {
            m_strText += lead;
            m_strText += char(c);
            appended = true;
        }
    }
    if (!appended) {
        if (IsLeadByte(c)) {
            m_chLead = char(c);
            return 0;
        }
        if (c >= 32 && c <= 126) {
            m_strText += char(c);
        } else if (c == 8) {
            if (m_strText.size() < 2)
                m_strText.clear();
            else
                m_strText.erase(LastCharStart(m_strText));
        } else if (c == 10 || c == 13) {
            CommitText();
        } else if (c == 27) {
            CancelText();
        } else {
            return 0;
        }
    }
    ComposeAll(true);
    UpdateAllViews(HINT_ERASE | HINT_CANVAS | HINT_PANE);
    return 1;
}

void CTesvanDoc::CommitText()
{
    if (!m_strText.empty()) {
        CLayer& layer = CurrentLayer();
        if (!layer.m_pImage)
            layer.CreateImage(SheetWidth(), SheetHeight(), m_Palette, false, m_nBitCount);
        if (layer.m_pImage) {
            const int ox = m_nEditColumn * m_nCellWidth, oy = m_nEditRow * m_nCellHeight;
            PushUndo(layer, Cmd::ToolText, m_nBitCount,
                     CRect{ox, oy, ox + m_nCellWidth - 1, oy + m_nCellHeight - 1});
            // The text is drawn as the text tool's figure whatever tool
            // the caller has current.
            const int tool = m_nTool;
            m_nTool = Cmd::ToolText;
            DrawToolOverlay(*layer.m_pImage);
            m_nTool = tool;
            SetModifiedFlag();
        }
    }
    CancelText();
}


void CTesvanDoc::FixText()
{
    if (m_strText.empty()) {
        m_chLead = 0;
        m_bTextPlaced = false;
        return;
    }
    CommitText();
    UpdateAllViews(HINT_ERASE | HINT_PIXELS | HINT_CANVAS | HINT_PANE);
}
