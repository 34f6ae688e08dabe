#include "app/ExchangeCommands.h"

#include "app/CommandTable.h"
#include "doc/TesvanDoc.h"
#include "exchange/SheetSize.h"
#include "views/TesvanView.h"

#include <QCoreApplication>
#include <QDir>

void InstallExchangeCommands(CCommandTable& t, CTesvanDoc* doc, CTesvanView* tabView)
{
    if (CSetSizeDlg::s_strProgramFolder.empty() && QCoreApplication::instance())
        CSetSizeDlg::s_strProgramFolder =
            QDir(QCoreApplication::applicationDirPath()).absolutePath().toStdString() + "/";

    t.SetHandler(Cmd::FileExportImage, [doc] { doc->OnExportImage(); }, [doc](CommandUi& ui) {
        ui.enabled = false;
        for (const CLayer& layer : doc->m_Layers)
            if (layer.m_pImage)
                ui.enabled = true;
    });
    // Wholesale changes are recorded around the whole command, whatever the
    // command grows to do.
    t.SetHandler(Cmd::FileImageSize, [doc] {
        CUndoRecorder undo(*doc, "サイズ変更");
        doc->OnSheetSize();
    });

    // The layer menu acts on the layer whose tab was right-clicked; issued
    // without that menu, on the current layer.
    auto slot = [doc, tabView] {
        const int menu = tabView ? tabView->MenuLayer() : -1;
        return menu >= 0 && menu < CTesvanDoc::kLayers ? menu : doc->m_nCurrentLayer;
    };
    t.SetHandler(Cmd::LayerSave, [doc, slot] { doc->SaveLayerFile(slot()); },
                 [doc, slot](CommandUi& ui) { ui.enabled = doc->m_Layers[slot()].m_pImage != nullptr; });
    t.SetHandler(Cmd::LayerLoad, [doc, slot] {
        CUndoRecorder undo(*doc, "レイヤー読込");
        // The tab's caption comes from the file.
        if (doc->LoadLayerFile(slot()))
            doc->UpdateAllViews(0);
    });
    t.SetHandler(Cmd::LayerImportImage, [doc, slot] {
        CUndoRecorder undo(*doc, "イメージ読込");
        if (doc->ImportImage(slot()))
            doc->UpdateAllViews(0);
    }, [doc](CommandUi& ui) { ui.enabled = doc->m_nBitCount == 32; });
}
