#include "doc/PrintLayout.h"

#include "doc/TesvanDoc.h"
#include "platform/SafeFile.h"
#include "platform/UiPort.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>

PrintSize PrintableArea(int pageWidth, int pageHeight, int offsetX, int offsetY)
{
    return {int(std::clamp<int64_t>(int64_t(pageWidth) - 2 * int64_t(offsetX), INT_MIN, INT_MAX)),
            int(std::clamp<int64_t>(int64_t(pageHeight) - 2 * int64_t(offsetY), INT_MIN, INT_MAX))};
}

bool SheetFitsArea(PrintSize area, PrintSize sheet)
{
    return sheet.cx > 0 && sheet.cy > 0 && area.cx > sheet.cx && area.cy > sheet.cy;
}

int PrintMaxScale(PrintSize area, PrintSize sheet)
{
    if (sheet.cx <= 0 || sheet.cy <= 0)
        return 1;
    return std::max(1, std::min(area.cx / sheet.cx, area.cy / sheet.cy));
}

PrintSize FitSheetToArea(PrintSize area, PrintSize sheet)
{
    if (sheet.cx <= 0 || sheet.cy <= 0 || area.cx <= 0 || area.cy <= 0)
        return {};
    const double f = std::min(double(area.cx) / sheet.cx, double(area.cy) / sheet.cy);
    return {int(sheet.cx * f), int(sheet.cy * f)};
}

PrintSize ScaleSheet(PrintSize sheet, int scale)
{
    return {int(std::clamp<int64_t>(int64_t(sheet.cx) * scale, 0, INT_MAX)),
            int(std::clamp<int64_t>(int64_t(sheet.cy) * scale, 0, INT_MAX))};
}

CPrintScaleDlg::CPrintScaleDlg(int maxScale) : m_nMaxScale(std::max(1, maxScale))
{
    if (m_nMaxScale >= 2) {
        char text[64];
        std::snprintf(text, sizeof text, "最大拡大率は%d倍です。", m_nMaxScale);
        m_strMax = text;
    }
}

bool CPrintScaleDlg::SetField(const std::string& name, const std::string& value, std::string& error)
{
    if (name == "m_bFit") {
        if (value != "0" && value != "1") {
            error = "m_bFit takes 0 or 1";
            return false;
        }
        m_bFit = value == "1";
        return true;
    }
    if (name == "m_nScale") {
        if (!IsScaleEnabled()) {
            error = "the edit of m_nScale is disabled";
            return false;
        }
        m_strScale = value;
        return true;
    }
    error = "CPrintScaleDlg has no field '" + name + "'";
    return false;
}

bool CPrintScaleDlg::Validate(std::string& message)
{
    int scale = 0;
    // Only an enabled edit has a range.
    const bool ranged = m_nMaxScale > 1 && !m_bFit;
    if (!CheckDialogInt(m_strScale, ranged ? 1 : INT_MIN, ranged ? m_nMaxScale : INT_MAX, scale,
                        message))
        return false;
    m_nScale = scale;
    return true;
}

// ---------------------------------------------------------------- document

bool CTesvanDoc::CanPrint() const
{
    for (const CLayer& layer : m_Layers)
        if (layer.m_pImage)
            return true;
    return false;
}

void CTesvanDoc::OnFilePrint()
{
    // Typed text is written into its layer; the selection and its floating
    // paste are dropped.
    FixText();
    if (m_nSelState != SelState::None) {
        ResetSelection(true);
        UpdateAllViews(HINT_CANVAS | HINT_PANE);
    }
    PrinterChoice choice;
    if (!UiPort().ChoosePrinter(choice) || !choice.pSink)
        return;
    PrintSheet(choice, true);
}

bool CTesvanDoc::PrintSheet(const PrinterChoice& choice, bool askScale)
{
    if (!choice.pSink || m_imgWork.IsNull())
        return false;
    const PrintSize area =
        PrintableArea(choice.nPageWidth, choice.nPageHeight, choice.nOffsetX, choice.nOffsetY);
    const PrintSize sheet{SheetWidth(), SheetHeight()};
    PrintSize out;
    if (SheetFitsArea(area, sheet)) {
        const int maxScale = PrintMaxScale(area, sheet);
        CPrintScaleDlg dlg(maxScale);
        if (!askScale || !UiPort().DoModal(dlg))
            out = sheet;
        else if (dlg.m_bFit)
            out = FitSheetToArea(area, sheet);
        else
            out = ScaleSheet(sheet, maxScale > 1 ? dlg.m_nScale : 1);
    } else {
        out = FitSheetToArea(area, sheet);
    }
    if (out.cx <= 0 || out.cy <= 0)
        return false;     // a printer without a printable area

    // Printed without colour keying: index 0 shows its palette colour, alpha
    // blends onto the paper. The key comes back whatever happens.
    struct KeyRestore {
        CImageEx& image;
        int key;
        ~KeyRestore() { image.SetTransparentColor(key); }
    } restore{m_imgWork, m_imgWork.GetTransparentColor()};
    m_imgWork.SetTransparentColor(-1);

    CPrintSink& sink = *choice.pSink;
    bool printed = false;
    if (sink.StartDoc(GetTitle())) {
        if (sink.StartPage()) {
            sink.DrawImage(m_imgWork, out.cx, out.cy);
            sink.EndPage();
            printed = true;
        }
    }
    sink.EndDoc();
    if (sink.Failed())
        printed = false;
    else if (!printed)
        CountFileFailure();   // the printer refused the job: nothing printed
    return printed;
}
