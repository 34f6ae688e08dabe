#include "app/MapCommands.h"

#include "app/CommandTable.h"
#include "doc/TesvanDoc.h"
#include "map/MapEdit.h"
#include "map/MapExport.h"
#include "views/MapWindow.h"

#include <QPointer>

namespace {

QPointer<CMapWindow> g_pWindow;
CTesvanDoc* g_pDoc = nullptr;
QPointer<QWidget> g_pFrame;
CCommandTable* g_pTable = nullptr;

} // namespace

CMapWindow* MapWindow()
{
    if (!g_pWindow && g_pDoc && g_pTable) {
        CCommandTable* table = g_pTable;
        g_pWindow = new CMapWindow(
            g_pDoc, g_pFrame.data(), [table](int id) { table->Execute(id); },
            [table](int id) {
                const CommandUi ui = table->QueryState(id);
                return std::pair<bool, bool>(ui.enabled, ui.checked);
            });
    }
    return g_pWindow.data();
}

void InstallMapCommands(CCommandTable& t, CTesvanDoc* doc, QWidget* frame)
{
    g_pDoc = doc;
    g_pFrame = frame;
    g_pTable = &t;
    t.SetHandler(
        Cmd::ViewMap,
        [] {
            CMapWindow* w = MapWindow();
            if (!w)
                return;
            if (w->isVisible()) {
                w->hide();
            } else {
                w->show();
                w->raise();
            }
        },
        [](CommandUi& ui) { ui.checked = g_pWindow && g_pWindow->isVisible(); });
    auto hasMap = [doc](CommandUi& ui) { ui.enabled = mapedit::Current(*doc) != nullptr; };
    t.SetHandler(Cmd::FileExportMap, [doc] { OnExportMap(*doc); }, hasMap);
    t.SetHandler(Cmd::MapNew, [doc] { mapedit::OnMapNew(*doc); },
                 [doc](CommandUi& ui) { ui.enabled = int(doc->m_Maps.maps.size()) < CChipMaps::kMaxMaps; });
    t.SetHandler(Cmd::MapProperties, [doc] { mapedit::OnMapProperties(*doc); }, hasMap);
    t.SetHandler(Cmd::MapDelete, [doc] { mapedit::OnMapDelete(*doc); }, hasMap);
    t.SetHandler(Cmd::MapLayerNew, [doc] { mapedit::OnMapLayerNew(*doc); },
                 [doc](CommandUi& ui) { ui.enabled = mapedit::CanMapLayerNew(*doc); });
    t.SetHandler(Cmd::MapLayerDelete, [doc] { mapedit::OnMapLayerDelete(*doc); },
                 [doc](CommandUi& ui) { ui.enabled = mapedit::CanMapLayerDelete(*doc); });
    t.SetHandler(Cmd::MapLayerShow, [doc] { mapedit::OnMapLayerShow(*doc); }, [doc](CommandUi& ui) {
        ui.enabled = mapedit::Current(*doc) != nullptr;
        ui.checked = mapedit::IsMapLayerShown(*doc);
    });
    t.SetHandler(Cmd::MapFlipH, [doc] { mapedit::OnMapFlipH(*doc); });
    t.SetHandler(Cmd::MapFlipV, [doc] { mapedit::OnMapFlipV(*doc); });
    t.SetHandler(Cmd::MapRotate, [doc] { mapedit::OnMapRotate(*doc); },
                 [doc](CommandUi& ui) { ui.enabled = mapedit::CanMapRotate(*doc); });
}
