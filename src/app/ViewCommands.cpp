#include "app/ViewCommands.h"

#include "app/CommandTable.h"
#include "doc/TesvanDoc.h"
#include "platform/UiPort.h"

void InstallViewCommands(CCommandTable& t, CTesvanDoc* doc)
{
    // Zoom 8 <-> 4. Pending text and any selection are dropped, since their
    // positions belong to the old magnification; not a change of the file.
    t.SetHandler(
        Cmd::ViewZoom,
        [doc] {
            doc->m_nZoom = doc->m_nZoom == 8 ? 4 : 8;
            doc->ClearText(false);
            doc->ResetSelection(false);
            doc->ComposeAll(true);
            doc->UpdateAllViews(HINT_ERASE | HINT_CANVAS | HINT_PANE);
        },
        [doc](CommandUi& ui) {
            ui.text = doc->m_nZoom == 8 ? QStringLiteral("縮小") : QStringLiteral("拡大");
        });

    t.SetHandler(
        Cmd::ViewCurrentLayerOnly,
        [doc] {
            doc->m_bShowAllLayers = !doc->m_bShowAllLayers;
            doc->ComposeAll(true);
            doc->UpdateAllViews(HINT_CANVAS | HINT_PANE);
        },
        [doc](CommandUi& ui) { ui.checked = doc->m_bShowAllLayers == 0; });

    t.SetHandler(
        Cmd::ViewBackgroundColor,
        [doc] {
            if (doc->m_nBitCount != 32)
                return;
            uint32_t colour = doc->m_crBackground;
            if (!UiPort().ChooseColor(colour))
                return;
            doc->m_crBackground = colour & 0xFFFFFF;
            doc->ComposeAll(true);
            doc->SetModifiedFlag();
            doc->UpdateAllViews(HINT_PIXELS | HINT_CANVAS | HINT_PANE);
        },
        [doc](CommandUi& ui) { ui.enabled = doc->m_nBitCount == 32; });

    // The grid and the character lines are saved with the document.
    t.SetHandler(
        Cmd::ViewGrid,
        [doc] {
            doc->m_bShowGrid = doc->m_bShowGrid == 1 ? 0 : 1;
            doc->SetModifiedFlag();
            doc->UpdateAllViews(HINT_PIXELS | HINT_CANVAS | HINT_PANE);
        },
        [doc](CommandUi& ui) { ui.checked = doc->m_bShowGrid == 1; });

    t.SetHandler(
        Cmd::ViewCharLines,
        [doc] {
            doc->m_bShowCharLines = doc->m_bShowCharLines == 1 ? 0 : 1;
            doc->SetModifiedFlag();
            doc->UpdateAllViews(HINT_PIXELS | HINT_CANVAS | HINT_PANE);
        },
        [doc](CommandUi& ui) { ui.checked = doc->m_bShowCharLines == 1; });
}
