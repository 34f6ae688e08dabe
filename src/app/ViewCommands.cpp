#include "app/ViewCommands.h"

#include "app/CommandTable.h"
#include "doc/TesvanDoc.h"

void InstallViewCommands(CCommandTable& t, CTesvanDoc* doc)
{
    t.SetHandler(ID_ZOOM, [doc] { doc->OnZoom(); }, [doc](CommandUi& ui) {
        ui.text = doc->m_nZoom == 8 ? QStringLiteral("縮小") : QStringLiteral("拡大");
    });
    t.SetHandler(ID_VIEW_ZOOM_IN, [doc] { doc->OnZoomIn(); },
                 [doc](CommandUi& ui) { ui.enabled = doc->CanZoomIn(); });
    t.SetHandler(ID_VIEW_ZOOM_OUT, [doc] { doc->OnZoomOut(); },
                 [doc](CommandUi& ui) { ui.enabled = doc->CanZoomOut(); });
    t.SetHandler(ID_CURRENT_LAYER_ONLY, [doc] { doc->OnShowAllLayers(); },
                 [doc](CommandUi& ui) { ui.checked = doc->m_bShowAllLayers == 0; });
    t.SetHandler(ID_BACK_COLOR, [doc] { doc->OnBackColor(); },
                 [doc](CommandUi& ui) { ui.enabled = doc->m_nBitCount == 32; });
    t.SetHandler(ID_GRID, [doc] { doc->OnGrid(); },
                 [doc](CommandUi& ui) { ui.checked = doc->m_bShowGrid == 1; });
    t.SetHandler(ID_CHAR_LINES, [doc] { doc->OnCharLines(); },
                 [doc](CommandUi& ui) { ui.checked = doc->m_bShowCharLines == 1; });
    t.SetHandler(ID_VIEW_NEIGHBOURS, [doc] { doc->OnNeighbours(); },
                 [doc](CommandUi& ui) { ui.checked = doc->m_bShowNeighbours != 0; });
}
