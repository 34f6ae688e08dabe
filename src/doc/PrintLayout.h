// Where the sheet lands on the printed page: the printable area, the largest
// whole magnification, fitting to the page, and the print scale dialog.
#pragma once

#include "platform/DialogModel.h"

#include <string>

struct PrintSize {
    int cx = 0;
    int cy = 0;
    bool operator==(const PrintSize&) const = default;
};

// The printable area: the physical page less twice the physical offsets.
PrintSize PrintableArea(int pageWidth, int pageHeight, int offsetX, int offsetY);
// True when the sheet fits at its real size strictly inside the area in
// both directions (only then is a magnification offered).
bool SheetFitsArea(PrintSize area, PrintSize sheet);
// The largest whole magnification that fits: min(A div SW, B div SH).
int PrintMaxScale(PrintSize area, PrintSize sheet);
// The sheet scaled by the smaller of A / SW and B / SH, each side truncated.
PrintSize FitSheetToArea(PrintSize area, PrintSize sheet);
// The sheet at a whole magnification.
PrintSize ScaleSheet(PrintSize sheet, int scale);

// "印刷拡大率設定": a whole magnification up to m_nMaxScale, or fitting to
// the page.
class CPrintScaleDlg : public CDialogModel {
public:
    static constexpr const char* kTitle = "印刷拡大率設定";
    static constexpr const char* kFitLabel = "用紙いっぱいに印刷する";
    static constexpr const char* kScaleLabel = "拡大率";
    static constexpr const char* kScaleUnit = "倍";

    explicit CPrintScaleDlg(int maxScale);

    const char* ClassName() const override { return "CPrintScaleDlg"; }
    // m_bFit (0 or 1) and m_nScale (the edit's text, checked on OK). The edit
    // takes no typing while it is disabled.
    bool SetField(const std::string& name, const std::string& value, std::string& error) override;
    // The edit's text must be a whole number; with a maximum above 1 and fit
    // off it must lie in 1 .. m_nMaxScale.
    bool Validate(std::string& message) override;

    // The scale edit takes input exactly when the maximum is above 1 and the
    // fit box is clear.
    bool IsScaleEnabled() const { return m_nMaxScale > 1 && !m_bFit; }
    // The edit's text as typed, and the presenter's way to put it back.
    const std::string& ScaleText() const { return m_strScale; }
    void SetScaleText(const std::string& text) { m_strScale = text; }

    int m_nMaxScale = 1;
    int m_bFit = 0;              // the fit check box
    int m_nScale = 1;            // read from the edit on OK
    std::string m_strMax;        // the maximum as shown

private:
    std::string m_strScale = "1";
};
