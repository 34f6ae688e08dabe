// The size dialog, its presets from "SetSize.txt", and the sheet rebuild.
#pragma once

#include "platform/DialogModel.h"

#include <string>
#include <vector>

struct CImgSizeInfo {
    std::string strName;  // UTF-8, as shown in the list
    int nCellWidth = 0;
    int nCellHeight = 0;
    int nColumns = 0;
    int nRows = 0;
};

// Parses one line of the preset file (code page 932 or UTF-8, without its
// line end). False when the line does not hold exactly four values.
bool ParsePresetLine(const std::string& line, CImgSizeInfo& info);
// Every usable line of a preset file's bytes, in file order.
std::vector<CImgSizeInfo> ParsePresetText(const std::string& bytes);
// Reads the preset file; no presets when it cannot be read.
std::vector<CImgSizeInfo> LoadPresetFile(const std::string& path);

// The decimal conversion of a preset value: leading blanks, an optional
// sign, the digits up to the first other character; 0 without digits.
int PresetNumber(const std::string& text);

class CTesvanDoc;
// Sets the geometry and depth and rebuilds the sheet; a sheet that cannot be
// built is reported ("イメージの作成に失敗しました。") and the document stays
// as it was.
bool ResizeSheet(CTesvanDoc& doc, int cellWidth, int cellHeight, int columns, int rows, int bits,
                 bool keepContent);

class CSetSizeDlg : public CDialogModel {
public:
    static constexpr int kMaxValue = 32767;
    // The program's own folder with its trailing "/", where "SetSize.txt"
    // is looked for; set by the application at start-up.
    static inline std::string s_strProgramFolder;
    static const std::vector<std::string>& CellSizes();  // "8" … "256"
    static const std::vector<std::string>& BitsList();   // sorted: "32bit", "8bit"

    const char* ClassName() const override { return "CSetSizeDlg"; }
    bool SetField(const std::string& name, const std::string& value, std::string& error) override;
    bool Validate(std::string& message) override;

    // Reads the presets once per opening of the dialog.
    void LoadPresets();
    // Chooses list entry k of the preset list: k ≥ 1 copies preset k − 1.
    bool ChoosePreset(int k);

    int m_nCellWidth = 64;
    int m_nCellHeight = 64;
    int m_nColumns = 3;
    int m_nRows = 4;
    std::string m_strBits = "32bit";
    int m_cbPreset = 0;
    std::vector<CImgSizeInfo> m_Presets;
    bool m_bPresetsLoaded = false;

    // Texts of the four integer fields as last typed (they become the
    // integers above on a successful Validate).
    std::string m_strText[4];
    void SyncTexts();
};
