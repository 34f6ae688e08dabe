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
    }

    LogFont m_lfText;
    std::string m_strText;  // code page 932 bytes as typed
    CPoint m_ptText;
    char m_chLead = 0;
};
