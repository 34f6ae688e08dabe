#include "app/ConsoleCommands.h"

#include "app/CommandTable.h"
#include "console/ConsoleExport.h"
#include "doc/TesvanDoc.h"
#include "platform/SafeFile.h"
#include "platform/UiPort.h"
#include "views/Language.h"

namespace {

// The list as a message in the interface language: the first lines, and
// how many more.
std::string ProblemsMessage(const std::vector<std::string>& lines)
{
    constexpr size_t kShown = 20;
    std::string text = TrCore(std::string("コンソールの決まりに合わないタイルがあります:"));
    for (size_t i = 0; i < lines.size() && i < kShown; ++i)
        text += "\n" + TrCore(lines[i]);
    if (lines.size() > kShown)
        text += "\n" + TrCore("ほか " + std::to_string(lines.size() - kShown) + " 件");
    return text;
}

bool AnyImage(const CTesvanDoc* doc)
{
    for (const CLayer& layer : doc->m_Layers)
        if (layer.m_pImage)
            return true;
    return false;
}

// "コンソール書き出し...": the dialog, the check, then the four files.
void OnExportConsole(CTesvanDoc* doc)
{
    if (doc->m_nBitCount != 8) {
        UiPort().MessageBox(kMsgConsoleNeedsEightBit);
        return;
    }
    static CExportConsoleDlg last;      // the dialog keeps its choices for the session
    CExportConsoleDlg dlg = last;
    dlg.m_MapNames.clear();
    for (const CChipMap& m : doc->m_Maps.maps)
        dlg.m_MapNames.push_back(m.strName);
    if (doc->m_nConsoleCheck >= 0)
        dlg.m_strTarget = ConsoleTargets()[size_t(doc->m_nConsoleCheck)].name;
    if (!UiPort().DoModal(dlg))
        return;
    last = dlg;
    ConsoleExportRequest request;
    request.out = dlg.m_strPath;
    request.target = FindConsoleTarget(dlg.m_strTarget);
    request.firstBank = dlg.FirstBank();
    ParseConsoleDedupe(dlg.m_strDedupe, request.dedupe);
    std::vector<std::string> lines;
    std::string error;
    if (!dlg.m_strMap.empty() && !ConsoleMapFromChipMap(*doc, dlg.m_strMap, request, error)) {
        UiPort().MessageBox(error);
        return;
    }
    switch (ExportConsole(*doc, request, lines, error)) {
    case ConsoleExportResult::Ok:
        break;
    case ConsoleExportResult::NotEightBit:
        UiPort().MessageBox(kMsgConsoleNeedsEightBit);
        break;
    case ConsoleExportResult::Problems:
        // A refusal of the drawing, not of a file: the person fixes the tiles.
        UiPort().MessageBox(ProblemsMessage(lines));
        break;
    case ConsoleExportResult::WriteFailed:
        ReportFileFailure(error);
        break;
    }
    doc->UpdateAllViews(HINT_CANVAS | HINT_PANE);
}

// "コンソール検査": on, with the chosen target, lists what breaks the rules
// and leaves the outlines in the views; chosen again, off.
void OnConsoleCheck(CTesvanDoc* doc)
{
    if (doc->m_nConsoleCheck >= 0) {
        doc->m_nConsoleCheck = -1;
        doc->UpdateAllViews(HINT_CANVAS | HINT_PANE);
        return;
    }
    if (doc->m_nBitCount != 8) {
        UiPort().MessageBox(kMsgConsoleNeedsEightBit);
        return;
    }
    static CConsoleCheckDlg last;
    CConsoleCheckDlg dlg = last;
    if (!UiPort().DoModal(dlg))
        return;
    last = dlg;
    const ConsoleTarget* target = FindConsoleTarget(dlg.m_strTarget);
    if (!target)
        return;
    doc->m_nConsoleCheck = int(target - ConsoleTargets().data());
    doc->m_nConsoleFirstBank = dlg.FirstBank();
    doc->UpdateAllViews(HINT_CANVAS | HINT_PANE);
    const ConsoleBuild build = CheckConsole(*doc, *target, doc->m_nConsoleFirstBank, false);
    std::vector<std::string> lines;
    for (const ConsoleProblem& p : build.problems)
        lines.push_back(ConsoleProblemText(p));
    if (lines.empty())
        UiPort().MessageBox("コンソールの決まりに合っています (タイル " + std::to_string(build.tiles.size()) +
                            " 個)。");
    else
        UiPort().MessageBox(ProblemsMessage(lines));
}

void OnColorPrecision(CTesvanDoc* doc)
{
    CColorPrecisionDlg dlg;
    dlg.m_nPrecision = doc->m_nColorPrecision;
    if (!UiPort().DoModal(dlg))
        return;
    SetColorPrecision(*doc, dlg.m_nPrecision);
}

} // namespace

void InstallConsoleCommands(CCommandTable& t, CTesvanDoc* doc)
{
    t.SetHandler(Cmd::FileExportConsole, [doc] { OnExportConsole(doc); },
                 [doc](CommandUi& ui) { ui.enabled = doc->m_nBitCount == 8 && AnyImage(doc); });
    t.SetHandler(Cmd::ViewConsoleCheck, [doc] { OnConsoleCheck(doc); }, [doc](CommandUi& ui) {
        ui.checked = doc->m_nConsoleCheck >= 0;
        ui.enabled = ui.checked || doc->m_nBitCount == 8;
    });
    t.SetHandler(Cmd::ViewColorPrecision, [doc] { OnColorPrecision(doc); });
}
