#include "app/PaletteCommands.h"

#include "app/AppSettings.h"
#include "app/CommandTable.h"
#include "doc/TesvanDoc.h"
#include "platform/Settings.h"
#include "views/LeftView.h"
#include "views/TesvanView.h"

#include <QSettings>

namespace {

class CQtSettingsStore : public CSettingsStore {
public:
    int GetInt(const std::string& section, const std::string& name, int defaultValue) override
    {
        QSettings settings;
        return settings.value(Key(section, name), defaultValue).toInt();
    }
    void SetInt(const std::string& section, const std::string& name, int value) override
    {
        ChangeSettings([&](QSettings& settings) { settings.setValue(Key(section, name), value); });
    }

private:
    static QString Key(const std::string& section, const std::string& name)
    {
        return QString::fromStdString(section) + QLatin1Char('/') + QString::fromStdString(name);
    }
};

} // namespace

void InstallSettingsStore()
{
    static CQtSettingsStore store;
    SetSettingsStore(&store);
}

void InstallPaletteCommands(CCommandTable& t, CTesvanDoc* doc, CTesvanView* view)
{
    t.SetHandler(Cmd::FileSavePalette, [doc] { doc->OnSavePalette(); });
    t.SetHandler(Cmd::FileLoadPalette, [doc] {
        CUndoRecorder undo(*doc, "パレット読込");
        doc->OnLoadPalette();
    });

    // The palette menu acts on the entry of the pane's last release.
    CLeftView* pane = view->LeftView();
    for (int id : {Cmd::PaletteChangeColor, Cmd::PaletteGradation8, Cmd::PaletteGradation16})
        t.SetHandler(id, [pane, id] { pane->MenuCommand(id); },
                     [pane, id](CommandUi& ui) { ui.enabled = pane->MenuEnabled(id); });

    // The layer menu acts on the layer whose tab was right-clicked.
    t.SetHandler(Cmd::LayerShow, [view] { view->OnLayerShow(); }, [view](CommandUi& ui) {
        ui.checked = view->MenuLayerPtr() && view->MenuLayerPtr()->m_bVisible;
    });
    t.SetHandler(Cmd::LayerProperties, [view] { view->OnLayerProperties(); });
    t.SetHandler(Cmd::LayerMoveLeft, [view] { view->OnLayerMove(-1); },
                 [view](CommandUi& ui) { ui.enabled = view->MenuLayer() > 0; });
    t.SetHandler(Cmd::LayerMoveRight, [view] { view->OnLayerMove(1); }, [view](CommandUi& ui) {
        ui.enabled = view->MenuLayer() >= 0 && view->MenuLayer() < CTesvanDoc::kLayers - 1;
    });
}
