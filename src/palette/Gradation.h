// The gradation generator: the HSB(V) colour model, the run of 8 or 16
// colours through a first, centre and last colour, and the dialog model
// "グラデーションパレット作成".
#pragma once

#include "doc/TesvanDoc.h"
#include "platform/DialogModel.h"

#include <cstdint>

// Hue in tenths of a degree, saturation and value in thousandths, and the
// highlight (+) or shadow (-) level in thousandths.
struct CHsv {
    int nHue = 0;
    int nSat = 0;
    int nVal = 0;
    int nLight = 0;
};

CHsv FromRgb(int red, int green, int blue);
void ToRgb(const CHsv& h, int& red, int& green, int& blue);
void SetLight(CHsv& h, int value);
int ApplyLight(int channel, int level);
int ScaleBrightness(int level, int value);

class CMakeGradationDlg : public CDialogModel {
public:
    // Reads the automatic-creation settings (section "GDCOLOR") and computes
    // the first preview.
    explicit CMakeGradationDlg(int count = 8);

    const char* ClassName() const override { return "CMakeGradationDlg"; }
    bool SetField(const std::string& name, const std::string& value, std::string& error) override;
    bool PressButton(const std::string& word, std::string& error) override;
    bool Validate(std::string& message) override;

    void Calculate();
    void AutoCreate();
    void FromRecord(const CGradationInfo& record);
    // Writes the settings into record r of the table, keeping the 8/16
    // pairing of neighbouring records consistent.
    void ToRecord(CGradationInfo* records, int r) const;
    void SaveSettings() const;

    uint32_t Color(int k) const;
    void SetColor(int k, uint32_t colour);
    // "変更" of colour k: the colour chooser, then the automatic creation
    // for the centre colour when asked for.
    void ChangeColor(int k);
    // "自動作成" is enabled only while a method is chosen.
    bool AutoCreateEnabled() const { return m_bBriMake || m_bLSMake; }
    // Whether the brightness and highlight levels lie within 0..100.
    bool LevelsValid(std::string& message) const;
    static constexpr int kLevelMin = 0, kLevelMax = 100;

    // The edits as typed, for presenters that show them. Channel c (0 red,
    // 1 green, 2 blue) of colour k takes an integer clamped to 0..255 and
    // ignores other text; true when the value was clamped, so the edit
    // shows the bound instead.
    bool SetChannelText(int k, int c, const std::string& text);
    int& Channel(int k, int c);
    // A brightness (m_nBright) or highlight (m_nLight) level k; false with
    // the message when the text is no integer (the range is checked on OK).
    bool SetLevelText(bool light, int k, const std::string& text, std::string& message);

    int m_nCount = 8;
    int m_nRed[3] = {240, 120, 10};
    int m_nGreen[3] = {240, 120, 10};
    int m_nBlue[3] = {240, 120, 10};
    int m_nCenterPos = 50;
    uint32_t m_crGrad[16] = {};
    int m_nBright[3] = {85, 50, 15};
    int m_nLight[3] = {85, 50, 15};
    int m_bBriMake = 0;
    int m_bLSMake = 1;
    int m_bSelectMake = 1;
    int m_bSaveSettings = 0;
};
