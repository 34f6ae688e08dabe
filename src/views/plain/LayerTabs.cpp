#include "views/plain/LayerTabs.h"

#include "doc/TesvanDoc.h"
#include "platform/UiPort.h"

#include <utility>

bool CLayerOptionDlg::SetField(const std::string& name, const std::string& value,
                               std::string& error)
{
    if (name == "m_strName")
        m_strName = value;
    else if (name == "m_strFolder")
        m_strFolder = value;
    else {
        error = "the dialog has no field '" + name + "'";
        return false;
    }
    return true;
}

void CLayerOptionDlg::OnChangeFolder()
{
    std::string folder = m_strInitialFolder;
    if (UiPort().ChooseFolder(std::string(), folder))
        m_strFolder = folder;
}

bool CLayerOptionDlg::PressButton(const std::string& word, std::string& error)
{
    if (word != "folder")
        return CDialogModel::PressButton(word, error);
    OnChangeFolder();
    return true;
}

namespace tabs {

int IconIndex(const CTesvanDoc& doc, int layer)
{
    return (doc.m_Layers[layer].m_bVisible ? 0 : 1) + (doc.m_nCurrentLayer == layer ? 2 : 0);
}

void ExchangeLayers(CTesvanDoc& doc, int a, int b)
{
    CLayer& x = doc.m_Layers[a];
    CLayer& y = doc.m_Layers[b];
    std::swap(x.m_nPage, y.m_nPage);
    std::swap(x.m_bVisible, y.m_bVisible);
    x.m_strName.swap(y.m_strName);
    x.m_strFolder.swap(y.m_strFolder);
    x.m_strPath.swap(y.m_strPath);
    std::swap(x.m_nColor, y.m_nColor);
    std::swap(x.m_pImage, y.m_pImage);
}

bool ToggleVisible(CTesvanDoc& doc, int k)
{
    if (k < 0 || k >= CTesvanDoc::kLayers)
        return false;
    CLayer& layer = doc.m_Layers[k];
    layer.m_bVisible = !layer.m_bVisible;
    doc.ComposeAll(true);
    doc.SetModifiedFlag();
    doc.UpdateAllViews(7);
    return true;
}

bool EditProperties(CTesvanDoc& doc, int k)
{
    if (k < 0 || k >= CTesvanDoc::kLayers)
        return false;
    CLayer& layer = doc.m_Layers[k];
    CLayerOptionDlg dlg;
    dlg.m_strName = layer.m_strName;
    dlg.m_strFolder = dlg.m_strInitialFolder = layer.m_strFolder;
    if (!UiPort().DoModal(dlg))
        return false;
    bool changed = false;
    if (dlg.m_strFolder != layer.m_strFolder) {
        layer.m_strFolder = dlg.m_strFolder;
        changed = true;
    }
    if (dlg.m_strName != layer.m_strName) {
        layer.m_strName = dlg.m_strName;
        changed = true;
    }
    if (changed)
        doc.SetModifiedFlag();
    return changed;
}

bool MoveLayer(CTesvanDoc& doc, int k, int step)
{
    const int other = k + step;
    if (k < 0 || k >= CTesvanDoc::kLayers || other < 0 || other >= CTesvanDoc::kLayers)
        return false;
    ExchangeLayers(doc, k, other);
    doc.ComposeAll(true);
    doc.SetModifiedFlag();
    doc.UpdateAllViews(7);
    return true;
}

} // namespace tabs
