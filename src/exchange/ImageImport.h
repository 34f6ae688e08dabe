// The import settings dialog of a picture read into a layer.
#pragma once

#include "platform/DialogModel.h"

#include <string>
#include <vector>

class CImgFitDlg : public CDialogModel {
public:
    // The five radio texts, then the sixth offered for pictures of several
    // frames only (kAllFrames).
    static const std::vector<std::string>& FitModes();
    static constexpr int kAllFrames = 5;
    static const std::vector<std::string>& BlurList();    // "0.0" … "0.5"
    // "インデックス0", "透過しない", "画像の透過色" (kOwnTransparency)
    static const std::vector<std::string>& Trans8List();
    static constexpr int kOwnTransparency = 2;
    static const std::vector<std::string>& Trans24List(); // "白", "黒", "透過しない"

    const char* ClassName() const override { return "CImgFitDlg"; }
    bool SetField(const std::string& name, const std::string& value, std::string& error) override;
    bool Validate(std::string& message) override;

    // The chip column edit is enabled for modes 3 and 4 only.
    bool ChipColumnsEnabled() const { return m_nFitMode == 3 || m_nFitMode == 4; }
    // The frames mode is there for a picture of several frames only.
    bool AllFramesEnabled() const { return m_nFrames > 1; }

    int m_nFitMode = 0;
    int m_nChipColumns = 0;
    int m_nBlur = 3;
    int m_nTrans8 = 0;
    int m_nTrans24 = 0;
    // The picture's frame count, set before the dialog opens.
    int m_nFrames = 1;
    // The chip column edit's text as typed; becomes m_nChipColumns on OK.
    std::string m_strChipColumns;
    void SyncText() { m_strChipColumns = std::to_string(m_nChipColumns); }
};
