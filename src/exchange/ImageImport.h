// The import settings dialog of a picture read into a layer.
#pragma once

#include "platform/DialogModel.h"

#include <string>
#include <vector>

class CImgFitDlg : public CDialogModel {
public:
    static const std::vector<std::string>& FitModes();    // the five radio texts
    static const std::vector<std::string>& BlurList();    // "0.0" … "0.5"
    static const std::vector<std::string>& Trans8List();  // "インデックス0", "透過しない"
    static const std::vector<std::string>& Trans24List(); // "白", "黒", "透過しない"

    const char* ClassName() const override { return "CImgFitDlg"; }
    bool SetField(const std::string& name, const std::string& value, std::string& error) override;
    bool Validate(std::string& message) override;

    // The chip column edit is enabled for modes 3 and 4 only.
    bool ChipColumnsEnabled() const { return m_nFitMode == 3 || m_nFitMode == 4; }

    int m_nFitMode = 0;
    int m_nChipColumns = 0;
    int m_nBlur = 3;
    int m_nTrans8 = 0;
    int m_nTrans24 = 0;
    // The chip column edit's text as typed; becomes m_nChipColumns on OK.
    std::string m_strChipColumns;
    void SyncText() { m_strChipColumns = std::to_string(m_nChipColumns); }
};
