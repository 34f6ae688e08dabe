#include "app/ExchangeCommands.h"

#include "app/CommandTable.h"
#include "doc/TesvanDoc.h"
#include "views/Language.h"
#include "exchange/SheetSize.h"
#include "views/TesvanView.h"

#include "app/SheetJson.h"
#include "exchange/AnimeExport.h"
#include "platform/ImageCodec.h"
#include "platform/SafeFile.h"
#include "platform/UiPort.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QProgressDialog>

namespace {

// "アニメーション書き出し" (FileExportAnime): the dialog, then the export it asks for,
// with progress for long ones and a message for every failure.
void OnExportAnime(CTesvanDoc* doc)
{
    doc->FixText();
    if (doc->m_nSelState != SelState::None) {
        doc->ResetSelection(true);
        doc->UpdateAllViews(3);
    }
    static CExportAnimeDlg last;    // the dialog keeps its choices for the session
    CExportAnimeDlg dlg = last;
    for (int k = 0; k < CTesvanDoc::kAnimeSlots; ++k)
        dlg.m_SlotNames[k] = doc->AnimeName(k);
    if (!UiPort().DoModal(dlg))
        return;
    last = dlg;
    const std::string path = dlg.OutputPath();

    std::unique_ptr<QProgressDialog> progress;
    ExportProgress report;
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
        report = [&progress](int done, int total) {
            if (!progress) {
                progress = std::make_unique<QProgressDialog>(TrCore(QStringLiteral("書き出し中...")),
                                                             TrCore(QStringLiteral("キャンセル")), 0, total,
                                                             QApplication::activeWindow());
                progress->setWindowModality(Qt::WindowModal);
                progress->setMinimumDuration(500);
            }
            progress->setValue(done);
            return !progress->wasCanceled();
        };
    }
    AnimeExportError error = AnimeExportError::None;
    std::string message, why;
    bool fileFailure = false;
    switch (dlg.m_nForm) {
    case CExportAnimeDlg::FORM_GIF:
    case CExportAnimeDlg::FORM_WEBP:
        error = ExportAnimation(*doc, dlg.m_nSlot, path, dlg.m_nScale, report, &why);
        break;
    case CExportAnimeDlg::FORM_SHEET: {
        const std::string ext = tesvan::PathExtension(path);
        const std::string data = path.substr(0, path.size() - ext.size()) + ".json";
        fileFailure = !ExportSheetWithData(*doc, path, data, SheetJsonForm::Hash, dlg.m_nScale, message);
        break;
    }
    default:
        error = ExportPictures(*doc, path, dlg.m_nScale, report, &why);
        break;
    }
    progress.reset();
    // A cancel needs no message; what was written stays.
    if (error != AnimeExportError::None && error != AnimeExportError::Cancelled) {
        message = error == AnimeExportError::WriteFailed && !why.empty() ? why : AnimeExportErrorText(error, path);
        fileFailure = error == AnimeExportError::WriteFailed || error == AnimeExportError::OutOfMemory ||
                      error == AnimeExportError::TooLarge;
    }
    // A file that could not be written counts as a failure of the run.
    if (fileFailure)
        ReportFileFailure(message);
    else if (!message.empty())
        UiPort().MessageBox(message);
}

bool AnyImage(const CTesvanDoc* doc)
{
    for (const CLayer& layer : doc->m_Layers)
        if (layer.m_pImage)
            return true;
    return false;
}

} // namespace

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
    t.SetHandler(Cmd::FileExportAnime, [doc] { OnExportAnime(doc); },
                 [doc](CommandUi& ui) { ui.enabled = AnyImage(doc); });
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
