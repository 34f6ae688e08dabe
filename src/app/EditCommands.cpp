// The Edit menu's document commands: undo, cut, copy and the paste commands
// with their turns and mirrors, and their enable rules.
#include "app/EditCommands.h"

#include "app/CommandTable.h"
#include "doc/TesvanDoc.h"
#include "views/RightView.h"

void InstallEditCommands(CCommandTable& t, CTesvanDoc* doc)
{
    t.SetHandler(ID_EDIT_UNDO, [doc] { doc->Undo(); }, [doc](CommandUi& ui) {
        ui.enabled = doc->CanUndo();
        ui.text = QString::fromStdString(doc->GetUndoMenuText());
    });
    t.SetHandler(ID_EDIT_REDO, [doc] { doc->Redo(); }, [doc](CommandUi& ui) {
        ui.enabled = doc->CanRedo();
        ui.text = QString::fromStdString(doc->GetRedoMenuText());
    });

    auto lift = [doc](void (CTesvanDoc::*op)()) {
        return [doc, op] {
            (doc->*op)();
            // The floating paste takes the keys (arrows, Escape) at once.
            if (doc->m_nSelState == 2 && doc->m_pCanvasView)
                doc->m_pCanvasView->setFocus();
        };
    };
    auto selected = [doc](CommandUi& ui) { ui.enabled = doc->CanCutCopy(); };
    t.SetHandler(ID_EDIT_CUT, lift(&CTesvanDoc::OnEditCut), selected);
    t.SetHandler(ID_EDIT_COPY, lift(&CTesvanDoc::OnEditCopy), selected);

    auto floating = [doc](CommandUi& ui) { ui.enabled = doc->CanPaste(); };
    t.SetHandler(ID_EDIT_PASTE, [doc] { doc->OnEditPaste(); }, floating);
    t.SetHandler(ID_PASTE_TRANSPARENT, [doc] { doc->OnPasteTransparent(); }, floating);
    t.SetHandler(ID_PASTE_ROTATE, [doc] { doc->OnPasteRotate(); },
                 [doc](CommandUi& ui) { ui.enabled = doc->CanRotatePaste(); });
    t.SetHandler(ID_PASTE_MIRROR_LR, [doc] { doc->OnPasteMirrorLR(); }, floating);
    t.SetHandler(ID_PASTE_MIRROR_UD, [doc] { doc->OnPasteMirrorUD(); }, floating);
}
