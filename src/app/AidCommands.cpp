#include "app/AidCommands.h"

#include "app/AppSettings.h"
#include "app/CommandTable.h"
#include "app/TesvanApp.h"
#include "doc/TesvanDoc.h"

#include <QSettings>

namespace {

const QString kGroup = QStringLiteral("Drawing Aids");

bool UsesSettings()
{
    const CTesvanApp* app = CTesvanApp::Instance();
    return app && app->UsesSettings();
}

// The picture changes; the document does not.
void Redraw(CTesvanDoc* doc)
{
    doc->ComposeAll(true);
    doc->UpdateAllViews(HINT_CANVAS | HINT_PANE);
}

} // namespace

void LoadAidSettings(CTesvanDoc& doc)
{
    if (!UsesSettings())
        return;
    QSettings s;
    s.beginGroup(kGroup);
    CDrawingAids& a = doc.m_Aids;
    a.bPixelPerfect = s.value(QStringLiteral("PixelPerfect"), a.bPixelPerfect).toInt();
    a.crOnionPrev = s.value(QStringLiteral("OnionPrevious"), a.crOnionPrev).toUInt();
    a.crOnionNext = s.value(QStringLiteral("OnionNext"), a.crOnionNext).toUInt();
    a.nOnionOpacity = s.value(QStringLiteral("OnionOpacity"), a.nOnionOpacity).toInt();
    a.nOnionFrames = s.value(QStringLiteral("OnionFrames"), a.nOnionFrames).toInt();
    a.Normalize();
}

void WriteAidSettings(const CTesvanDoc& doc, QSettings& s)
{
    s.beginGroup(kGroup);
    const CDrawingAids& a = doc.m_Aids;
    s.setValue(QStringLiteral("PixelPerfect"), a.bPixelPerfect);
    s.setValue(QStringLiteral("OnionPrevious"), a.crOnionPrev);
    s.setValue(QStringLiteral("OnionNext"), a.crOnionNext);
    s.setValue(QStringLiteral("OnionOpacity"), a.nOnionOpacity);
    s.setValue(QStringLiteral("OnionFrames"), a.nOnionFrames);
    s.endGroup();
}

void SaveAidSettings(const CTesvanDoc& doc)
{
    if (!UsesSettings())
        return;
    ChangeSettings([&doc](QSettings& s) { WriteAidSettings(doc, s); });
}

void InstallAidCommands(CCommandTable& t, CTesvanDoc* doc)
{
    LoadAidSettings(*doc);
    t.SetHandler(
        Cmd::ViewOnionSkin,
        [doc] {
            doc->m_Aids.bOnionSkin = !doc->m_Aids.bOnionSkin;
            Redraw(doc);
        },
        [doc](CommandUi& ui) { ui.checked = doc->m_Aids.bOnionSkin != 0; });

    // Switching wrap mode mid-stroke would leave points of the other frame.
    t.SetHandler(
        Cmd::ViewWrap,
        [doc] {
            if (doc->m_nButton != 0)
                return;
            doc->m_Aids.bWrap = !doc->m_Aids.bWrap;
            // Without wrap a paste that ran over an edge goes back inside the
            // cell, where a drag would have left it.
            if (doc->m_nSelState == SelState::Floating)
                doc->KeepPasteInCell();
            Redraw(doc);
        },
        [doc](CommandUi& ui) { ui.checked = doc->m_Aids.bWrap != 0; });

    const int modes[] = {SYMMETRY_NONE, SYMMETRY_LR, SYMMETRY_UD, SYMMETRY_BOTH};
    const int ids[] = {Cmd::ViewSymmetryNone, Cmd::ViewSymmetryLR, Cmd::ViewSymmetryUD,
                       Cmd::ViewSymmetryBoth};
    for (int i = 0; i < 4; ++i) {
        const int mode = modes[i];
        t.SetHandler(
            ids[i],
            [doc, mode] {
                doc->m_Aids.nSymmetry = mode;
                Redraw(doc);
            },
            [doc, mode](CommandUi& ui) { ui.checked = doc->m_Aids.nSymmetry == mode; });
    }

    t.SetHandler(
        Cmd::ToolPixelPerfect,
        [doc] {
            doc->m_Aids.bPixelPerfect = !doc->m_Aids.bPixelPerfect;
            SaveAidSettings(*doc);
        },
        [doc](CommandUi& ui) { ui.checked = doc->m_Aids.bPixelPerfect != 0; });
}
