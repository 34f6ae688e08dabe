// The text tool's uncommitted text: typed bytes, where they start, a lead
// byte waiting for its trail byte, and the font they are drawn in.
#pragma once

#include "doc/Geometry.h"
#include "platform/LogFont.h"

#include <string>

class CTextEntry {
public:
    // Forgets the typed text (the font stays).
    void ClearTextEntry()
    {
        m_strText.clear();
        m_ptText = CPoint{};
        m_chLead = 0;
        m_bTextPlaced = false;
    }
    // Keys are text: a place was clicked or text is typed and not yet
    // fixed or cancelled (one-key tools then do nothing).
    bool HasTextEntry() const { return m_bTextPlaced || !m_strText.empty() || m_chLead != 0; }

    LogFont m_lfText;
    std::string m_strText;  // code page 932 bytes as typed
    CPoint m_ptText;
    char m_chLead = 0;
    bool m_bTextPlaced = false;  // the text tool's click placed the text
};
