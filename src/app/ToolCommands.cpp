#include "app/ToolCommands.h"

#include "app/CommandTable.h"
#include "doc/TesvanDoc.h"
#include "edit/Tools.h"

void InstallToolCommands(CCommandTable& t, CTesvanDoc* doc)
{
    InstallToolOverlay();
    for (int id : kToolCommands) {
        t.SetHandler(id, [doc, id] { doc->OnToolCommand(id); },
                     [doc, id](CommandUi& ui) {
                         ui.checked = doc->m_nTool == id;
                         if (id == Cmd::ToolDropper)
                             ui.enabled = doc->m_nBitCount == 32;
                     });
    }
    for (int w = 1; w <= 3; ++w) {
        t.SetHandler(Cmd::ToolPenWidth1 + w - 1, [doc, w] { doc->OnPenWidth(w); },
                     [doc, w](CommandUi& ui) { ui.checked = doc->m_nPenWidth == w; });
    }
    t.SetHandler(Cmd::ToolFont, [doc] { doc->OnFontCommand(); });
}
