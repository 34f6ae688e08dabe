#include "app/AnimePrintCommands.h"

#include "app/CommandTable.h"
#include "doc/TesvanDoc.h"
#include "views/AnimationDlg.h"

void InstallAnimePrintCommands(CCommandTable& t, CTesvanDoc* doc, QWidget* frame)
{
    InstallAnimeWindowHook(frame);
    t.SetHandler(
        Cmd::ViewAnimation,
        [doc] {
            doc->CreateAnimeWindow();
            if (doc->m_pAnimeDlg)
                doc->m_pAnimeDlg->ShowWindow(doc->m_bAnimeShown == 0);
        },
        [doc](CommandUi& ui) { ui.checked = doc->m_bAnimeShown != 0; });
    t.SetHandler(Cmd::FilePrint, [doc] { doc->OnFilePrint(); },
                 [doc](CommandUi& ui) { ui.enabled = doc->CanPrint(); });
}
