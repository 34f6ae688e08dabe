// The layer tabs without their widget: icon of a tab, the layer menu's
// commands and the properties dialog model "レイヤープロパティー".
#pragma once

#include "platform/DialogModel.h"

#include <string>

class CTesvanDoc;

class CLayerOptionDlg : public CDialogModel {
public:
    const char* ClassName() const override { return "CLayerOptionDlg"; }
    bool SetField(const std::string& name, const std::string& value, std::string& error) override;
    // "folder": the 変更 button.
    bool PressButton(const std::string& word, std::string& error) override;
    // The folder chooser started on the folder the dialog opened with; the
    // chosen path replaces the folder text only when confirmed.
    void OnChangeFolder();

    std::string m_strName;
    std::string m_strFolder;
    std::string m_strInitialFolder;
};

namespace tabs {

// (hidden ? 1 : 0) + (current ? 2 : 0).
int IconIndex(const CTesvanDoc& doc, int layer);
// Layers a and b change places; the drawing-colour alphas and the depth stay
// with the position.
void ExchangeLayers(CTesvanDoc& doc, int a, int b);

// Layer menu commands on layer k (k < 0: no layer named, nothing happens).
// Each returns true when tabs must be refreshed.
bool ToggleVisible(CTesvanDoc& doc, int k);
bool EditProperties(CTesvanDoc& doc, int k);
bool MoveLayer(CTesvanDoc& doc, int k, int step);         // -1 left, +1 right

} // namespace tabs
