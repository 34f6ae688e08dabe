#include "palette/Gradation.h"

#include "platform/Settings.h"
#include "platform/UiPort.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr const char* kSection = "GDCOLOR";

// x' : x + 0.5 truncated toward zero.
int Round(double x) { return int(x + 0.5); }

// The colour edits replace a value outside 0..255 by the nearer bound.
int ClampChannel(int v) { return std::clamp(v, 0, 255); }

bool ParseTriple(const std::string& text, int out[3])
{
    std::string parts[3];
    size_t start = 0;
    for (int i = 0; i < 3; ++i) {
        size_t comma = text.find(',', start);
        if ((i < 2) == (comma == std::string::npos))
            return false;
        parts[i] = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        start = comma + 1;
    }
    int v[3];
    for (int i = 0; i < 3; ++i)
        if (!ParseDialogInt(parts[i], v[i]))
            return false;
    std::copy(v, v + 3, out);
    return true;
}

} // namespace

CHsv FromRgb(int r, int g, int b)
{
    const int mx = std::max({r, g, b});
    const int mn = std::min({r, g, b});
    const int d = mx - mn;
    CHsv h;
    h.nVal = Round(mx * 1000.0 / 255.0);
    h.nSat = mx > 0 ? Round(d * 1000.0 / mx) : 0;
    h.nLight = 0;
    if (h.nSat == 0) {
        h.nHue = 0;
        return h;
    }
    double hue;
    if (mx == r)
        hue = 600.0 * (g - b) / d;
    else if (mx == g)
        hue = 1200.0 + 600.0 * (b - r) / d;
    else
        hue = 2400.0 + 600.0 * (r - g) / d;
    h.nHue = Round(hue);
    if (h.nHue < 0)
        h.nHue += 3600;
    else if (h.nHue >= 3600)
        h.nHue -= 3600;
    return h;
}

void ToRgb(const CHsv& h, int& red, int& green, int& blue)
{
    if (h.nSat == 0) {
        red = green = blue = h.nVal * 255 / 1000;
    } else {
        const int sector = h.nHue / 600;
        const int f = h.nHue % 600;
        const int V = h.nVal;
        const int S = h.nSat;
        const int p = (1000 - S) * V / 1000;
        const int q = (1000 - f * S / 600) * V / 1000;
        const int t = (1000 - (600 - f) * S / 600) * V / 1000;
        int c[3];
        switch (sector) {
        case 0: c[0] = V; c[1] = t; c[2] = p; break;
        case 1: c[0] = q; c[1] = V; c[2] = p; break;
        case 2: c[0] = p; c[1] = V; c[2] = t; break;
        case 3: c[0] = p; c[1] = q; c[2] = V; break;
        case 4: c[0] = t; c[1] = p; c[2] = V; break;
        default: c[0] = V; c[1] = p; c[2] = q; break;
        }
        red = Round(c[0] * 255.0 / 1000.0);
        green = Round(c[1] * 255.0 / 1000.0);
        blue = Round(c[2] * 255.0 / 1000.0);
    }
    red = ApplyLight(red, h.nLight);
    green = ApplyLight(green, h.nLight);
    blue = ApplyLight(blue, h.nLight);
}

void SetLight(CHsv& h, int value) { h.nLight = std::clamp(value, -1000, 1000); }

int ApplyLight(int c, int level)
{
    if (level == 0)
        return c;
    if (level < 0)
        return Round((level + 1000) * c / 1000.0);
    return 255 - Round((1000 - level) * (255 - c) / 1000.0);
}

int ScaleBrightness(int p, int v)
{
    if (p < 50)
        return Round(p * v / 50.0);
    return 1000 - Round((1000 - v) * (100 - p) / 50.0);
}

// ---------------------------------------------------------------- dialog

CMakeGradationDlg::CMakeGradationDlg(int count) : m_nCount(count == 16 ? 16 : 8)
{
    CSettingsStore& s = SettingsStore();
    m_nBright[0] = s.GetInt(kSection, "P1", 85);
    m_nBright[1] = s.GetInt(kSection, "P2", 50);
    m_nBright[2] = s.GetInt(kSection, "P3", 15);
    m_nLight[0] = s.GetInt(kSection, "SL1", 85);
    m_nLight[1] = s.GetInt(kSection, "SL2", 50);
    m_nLight[2] = s.GetInt(kSection, "SL3", 15);
    m_bBriMake = s.GetInt(kSection, "BriMake", 0);
    m_bLSMake = s.GetInt(kSection, "LSMake", 1);
    m_bSelectMake = s.GetInt(kSection, "SelectMake", 1);
    Calculate();
}

uint32_t CMakeGradationDlg::Color(int k) const { return RGB(m_nRed[k], m_nGreen[k], m_nBlue[k]); }

void CMakeGradationDlg::SetColor(int k, uint32_t colour)
{
    m_nRed[k] = GetRValue(colour);
    m_nGreen[k] = GetGValue(colour);
    m_nBlue[k] = GetBValue(colour);
}

void CMakeGradationDlg::Calculate()
{
    const int N = m_nCount;
    const int P = m_nCenterPos;
    const int* ch[3] = {m_nRed, m_nGreen, m_nBlue};
    int out[16][3] = {};
    if (P > 0) {
        for (int k = 0; k < N && (k == 0 || k * 100.0 / N < P); ++k)
            for (int c = 0; c < 3; ++c) {
                const int* C = ch[c];
                out[k][c] = int(C[0] + k * double(C[1] - C[0]) * 100.0 / (double(N) * P)) & 0xFF;
            }
    }
    for (int j = N - 1; j >= 0 && j * 100.0 / N >= P; --j)
        for (int c = 0; c < 3; ++c) {
            const int* C = ch[c];
            out[j][c] =
                int(C[2] + (N - 1 - j) * double(C[1] - C[2]) * 100.0 / (double(N) * (100 - P))) & 0xFF;
        }
    for (int k = 0; k < 16; ++k)
        m_crGrad[k] = k < N ? RGB(out[k][0], out[k][1], out[k][2]) : 0;
}

void CMakeGradationDlg::AutoCreate()
{
    CHsv h = FromRgb(m_nRed[1], m_nGreen[1], m_nBlue[1]);
    const int v0 = h.nVal;
    m_nCenterPos = 50;
    if (m_bBriMake && !m_bLSMake)
        m_nCenterPos = v0 > 700 ? 0 : v0 < 300 ? 100 : 50;
    for (int k = 0; k < 3; ++k) {
        if (m_bBriMake)
            h.nVal = m_nBright[k] == 50 ? v0 : ScaleBrightness(m_nBright[k], v0);
        if (m_bLSMake)
            SetLight(h, m_nLight[k] * 20 - 1000);
        ToRgb(h, m_nRed[k], m_nGreen[k], m_nBlue[k]);
    }
}

void CMakeGradationDlg::FromRecord(const CGradationInfo& record)
{
    if (record.nCount == m_nCount) {
        SetColor(0, record.crFirst);
        SetColor(1, record.crCenter);
        SetColor(2, record.crLast);
        m_nCenterPos = record.nCenterPos;
    }
    Calculate();
}

void CMakeGradationDlg::ToRecord(CGradationInfo* records, int r) const
{
    CGradationInfo& rec = records[r];
    if (rec.nCount != m_nCount) {
        if (r % 2 == 0 && rec.nCount == 16 && m_nCount == 8 && r + 1 < 30)
            records[r + 1] = CGradationInfo{};
        else if (r % 2 == 1 && records[r - 1].nCount == 16)
            records[r - 1] = CGradationInfo{};
        rec.nCount = m_nCount;
    }
    rec.crFirst = Color(0);
    rec.crCenter = Color(1);
    rec.crLast = Color(2);
    rec.nCenterPos = m_nCenterPos;
}

void CMakeGradationDlg::SaveSettings() const
{
    if (!m_bSaveSettings)
        return;
    CSettingsStore& s = SettingsStore();
    s.SetInt(kSection, "P1", m_nBright[0]);
    s.SetInt(kSection, "P2", m_nBright[1]);
    s.SetInt(kSection, "P3", m_nBright[2]);
    s.SetInt(kSection, "SL1", m_nLight[0]);
    s.SetInt(kSection, "SL2", m_nLight[1]);
    s.SetInt(kSection, "SL3", m_nLight[2]);
    s.SetInt(kSection, "BriMake", m_bBriMake);
    s.SetInt(kSection, "LSMake", m_bLSMake);
    s.SetInt(kSection, "SelectMake", m_bSelectMake);
}

int& CMakeGradationDlg::Channel(int k, int c)
{
    return c == 0 ? m_nRed[k] : c == 1 ? m_nGreen[k] : m_nBlue[k];
}

bool CMakeGradationDlg::SetChannelText(int k, int c, const std::string& text)
{
    int v = 0;
    if (!ParseDialogInt(text, v))
        return false;
    Channel(k, c) = ClampChannel(v);
    return v != Channel(k, c);
}

bool CMakeGradationDlg::SetLevelText(bool light, int k, const std::string& text,
                                     std::string& message)
{
    int v = 0;
    if (!ParseDialogInt(text, v)) {
        message = kMsgEnterInteger;
        return false;
    }
    (light ? m_nLight : m_nBright)[k] = v;
    return true;
}

bool CMakeGradationDlg::LevelsValid(std::string& message) const
{
    for (int k = 0; k < 3; ++k) {
        if (m_nBright[k] < kLevelMin || m_nBright[k] > kLevelMax || m_nLight[k] < kLevelMin ||
            m_nLight[k] > kLevelMax) {
            message = RangeMessage(kLevelMin, kLevelMax);
            return false;
        }
    }
    return true;
}

bool CMakeGradationDlg::Validate(std::string& message)
{
    if (!LevelsValid(message))
        return false;
    // The slider holds 30..70: a computed 0 or 100 is taken as the slider
    // shows it, while the colours keep the preview's computation.
    m_nCenterPos = std::clamp(m_nCenterPos, 30, 70);
    return true;
}

void CMakeGradationDlg::ChangeColor(int k)
{
    std::string message;
    if (!LevelsValid(message)) {
        UiPort().MessageBox(message);
        return;
    }
    uint32_t colour = Color(k);
    if (!UiPort().ChooseColor(colour))
        return;
    SetColor(k, colour);
    // Choosing the centre derives the others only when the box asks for it.
    if (k == 1 && AutoCreateEnabled() && m_bSelectMake)
        AutoCreate();
    Calculate();
}

bool CMakeGradationDlg::SetField(const std::string& name, const std::string& value,
                                 std::string& error)
{
    const char* colours[3] = {"first", "center", "last"};
    for (int k = 0; k < 3; ++k) {
        if (name != colours[k])
            continue;
        int v[3];
        if (!ParseTriple(value, v)) {
            error = name + " takes R,G,B";
            return false;
        }
        m_nRed[k] = ClampChannel(v[0]);
        m_nGreen[k] = ClampChannel(v[1]);
        m_nBlue[k] = ClampChannel(v[2]);
        Calculate();
        return true;
    }
    if (name == "m_nBright" || name == "m_nLight") {
        int v[3];
        if (!ParseTriple(value, v)) {
            error = name + " takes three levels A,B,C";
            return false;
        }
        std::copy(v, v + 3, name == "m_nBright" ? m_nBright : m_nLight);
        return true;
    }
    int v = 0;
    if (!ParseDialogInt(value, v)) {
        error = "'" + value + "' is not a number for " + name;
        return false;
    }
    if (name == "m_nCenterPos") {
        m_nCenterPos = std::clamp(v, 30, 70);    // the slider's range
        Calculate();
    } else if (name == "m_bBriMake") {
        m_bBriMake = v != 0;
    } else if (name == "m_bLSMake") {
        m_bLSMake = v != 0;
    } else if (name == "m_bSelectMake") {
        m_bSelectMake = v != 0;
    } else if (name == "m_bSaveSettings") {
        m_bSaveSettings = v != 0;
    } else {
        error = "the dialog has no field '" + name + "'";
        return false;
    }
    return true;
}

bool CMakeGradationDlg::PressButton(const std::string& word, std::string& error)
{
    if (word == "autocreate") {
        if (!AutoCreateEnabled()) {
            error = "自動作成 is disabled (neither method is ticked)";
            return false;
        }
        std::string message;
        if (!LevelsValid(message)) {
            UiPort().MessageBox(message);
            return true;
        }
        AutoCreate();
        Calculate();
        return true;
    }
    const char* words[3] = {"change-first", "change-center", "change-last"};
    for (int k = 0; k < 3; ++k) {
        if (word == words[k]) {
            ChangeColor(k);
            return true;
        }
    }
    return CDialogModel::PressButton(word, error);
}
