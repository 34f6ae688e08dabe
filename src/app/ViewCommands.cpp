#include "app/ViewCommands.h"

#include "app/CommandTable.h"
#include "doc/TesvanDoc.h"

void InstallViewCommands(CCommandTable& t, CTesvanDoc* doc)
{
    t.SetHandler(Cmd::ViewZoom, [doc] { doc->OnZoom(); }, [doc](CommandUi& ui) {
        ui.text = doc->m_nZoom == 8 ? QStringLiteral("縮小") : QStringLiteral("拡大");
    });
    t.SetHandler(Cmd::ViewZoomIn, [doc] { doc->OnZoomIn(); },
                 [doc](CommandUi& ui) { ui.enabled = doc->CanZoomIn(); });
    t.SetHandler(Cmd::ViewZoomOut, [doc] { doc->OnZoomOut(); },
                 [doc](CommandUi& ui) { ui.enabled = doc->CanZoomOut(); });
    t.SetHandler(Cmd::ViewCurrentLayerOnly, [doc] { doc->OnShowAllLayers(); },
                 [doc](CommandUi& ui) { ui.checked = doc->m_bShowAllLayers == 0; });
    t.SetHandler(Cmd::ViewBackgroundColor, [doc] { doc->OnBackColor(); },
                 [doc](CommandUi& ui) { ui.enabled = doc->m_nBitCount == 32; });
    t.SetHandler(Cmd::ViewGrid, [doc] { doc->OnGrid(); },
                 [doc](CommandUi& ui) { ui.checked = doc->m_bShowGrid == 1; });
    t.SetHandler(Cmd::ViewCharLines, [doc] { doc->OnCharLines(); },
                 [doc](CommandUi& ui) { ui.checked = doc->m_bShowCharLines == 1; });
    t.SetHandler(Cmd::ViewNeighbours, [doc] { doc->OnNeighbours(); },
                 [doc](CommandUi& ui) { ui.checked = doc->m_bShowNeighbours != 0; });
}
