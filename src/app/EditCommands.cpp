// The Edit menu's document commands: undo, cut, copy and the paste commands
// with their turns and mirrors, and their enable rules.
#include "app/EditCommands.h"

#include "app/CommandTable.h"
#include "doc/TesvanDoc.h"
#include "views/RightView.h"

void InstallEditCommands(CCommandTable& t, CTesvanDoc* doc)
{
    t.SetHandler(Cmd::EditUndo, [doc] { doc->Undo(); }, [doc](CommandUi& ui) {
        ui.enabled = doc->CanUndo();
        ui.text = QString::fromStdString(doc->GetUndoMenuText());
    });
    t.SetHandler(Cmd::EditRedo, [doc] { doc->Redo(); }, [doc](CommandUi& ui) {
        ui.enabled = doc->CanRedo();
        ui.text = QString::fromStdString(doc->GetRedoMenuText());
    });

    auto lift = [doc](void (CTesvanDoc::*op)()) {
        return [doc, op] {
            (doc->*op)();
            // The floating paste takes the keys (arrows, Escape) at once.
            if (doc->m_nSelState == SelState::Floating)
                if (CRightView* canvas = CRightView::CanvasOf(doc))
                    canvas->setFocus();
        };
    };
    auto selected = [doc](CommandUi& ui) { ui.enabled = doc->CanCutCopy(); };
    t.SetHandler(Cmd::EditCut, lift(&CTesvanDoc::OnEditCut), selected);
    t.SetHandler(Cmd::EditCopy, lift(&CTesvanDoc::OnEditCopy), selected);

    auto floating = [doc](CommandUi& ui) { ui.enabled = doc->CanPaste(); };
    // With no floating paste, paste floats the kept pieces or the desktop's picture.
    auto pastable = [doc](CommandUi& ui) { ui.enabled = doc->CanPasteAnything(); };
    t.SetHandler(Cmd::EditPaste, lift(&CTesvanDoc::OnEditPaste), pastable);
    t.SetHandler(Cmd::EditPasteTransparent, lift(&CTesvanDoc::OnPasteTransparent), pastable);
    t.SetHandler(Cmd::EditPasteRotate, [doc] { doc->OnPasteRotate(); },
                 [doc](CommandUi& ui) { ui.enabled = doc->CanRotatePaste(); });
    t.SetHandler(Cmd::EditPasteMirrorLR, [doc] { doc->OnPasteMirrorLR(); }, floating);
    t.SetHandler(Cmd::EditPasteMirrorUD, [doc] { doc->OnPasteMirrorUD(); }, floating);
}
