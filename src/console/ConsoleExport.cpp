#include "console/ConsoleExport.h"

#include "doc/TesvanDoc.h"
#include "platform/SafeFile.h"

#include <algorithm>

const char* const kMsgConsoleNeedsEightBit = "コンソールの書き出しと検査は8ビットのドキュメントだけでできます。";

namespace {

int Bank(const ConsoleTarget& target, int firstBank)
{
    return firstBank < 0 ? target.defaultFirstBank : firstBank;
}

bool CheckTarget(const std::string& name, std::string& message)
{
    if (FindConsoleTarget(name))
        return true;
    message = "ターゲットは gba, snes, md, pce のどれかです。";
    return false;
}

// "" or a bank 0..15.
bool ParseFirstBank(const std::string& text, int& bank, std::string& message)
{
    bank = -1;
    if (text.empty())
        return true;
    return CheckDialogInt(text, 0, 15, bank, message);
}

} // namespace

ConsoleSheet ConsoleSheetOf(const CTesvanDoc& doc)
{
    ConsoleSheet s;
    if (doc.m_nBitCount != 8 || doc.m_imgWork.IsNull() || doc.m_imgWork.GetBPP() != 8)
        return s;
    s.image = &doc.m_imgWork;
    s.cellWidth = doc.m_nCellWidth;
    s.cellHeight = doc.m_nCellHeight;
    s.columns = doc.m_nColumns;
    s.rows = doc.m_nRows;
    return s;
}

ConsoleBuild CheckConsole(const CTesvanDoc& doc, const ConsoleTarget& target, int firstBank,
                          bool firstProblemOnly)
{
    ConsoleOptions o;
    o.target = &target;
    o.firstBank = Bank(target, firstBank);
    o.firstProblemOnly = firstProblemOnly;
    return BuildConsole(ConsoleSheetOf(doc), o);
}

std::string ConsoleCheckLine(const CTesvanDoc& doc, const ConsoleTarget& target)
{
    if (doc.m_nBitCount != 8)
        return kMsgConsoleNeedsEightBit;
    const ConsoleBuild b = CheckConsole(doc, target, -1, true);
    if (!b.problems.empty())
        return ConsoleProblemText(b.problems.front());
    return "ok " + std::to_string(b.tiles.size());
}

bool ConsoleMapFromChipMap(const CTesvanDoc& doc, const std::string& key, ConsoleExportRequest& request,
                           std::string& message, bool* unknown)
{
    const int k = doc.m_Maps.Find(key);
    if (unknown)
        *unknown = k < 0;
    if (k < 0) {
        message = "マップ " + key + " はありません。";
        return false;
    }
    const CChipMap& map = doc.m_Maps.maps[size_t(k)];
    std::vector<ConsoleMapCell> cells(size_t(map.nWidth) * size_t(map.nHeight));
    for (int y = 0; y < map.nHeight; ++y)
        for (int x = 0; x < map.nWidth; ++x) {
            ConsoleMapCell& c = cells[size_t(y) * size_t(map.nWidth) + size_t(x)];
            for (size_t l = 0; l < map.layers.size(); ++l) {
                const uint32_t v = map.At(int(l), x, y);
                if (!map.layers[l].bShown || chip::IsEmpty(v))
                    continue;
                const std::string where = "マップ " + map.strName + " の " + std::to_string(x) + "," + std::to_string(y);
                if (c.cell >= 0) {
                    message = where + " で表示中のレイヤーのチップが重なっています。コンソールのマップは1枚です。";
                    return false;
                }
                if (chip::FlipsOf(v) & chip::kFlipD) {
                    message = where + " のチップが対角線で反転しています。コンソールには対角線の反転がありません。";
                    return false;
                }
                c.cell = chip::CellOf(v);
                c.h = chip::FlipsOf(v) & chip::kFlipH;
                c.v = chip::FlipsOf(v) & chip::kFlipV;
            }
        }
    request.mapCells = std::move(cells);
    request.mapColumns = map.nWidth;
    request.mapRows = map.nHeight;
    return true;
}

std::vector<std::string> ConsoleFileNames(const std::string& out)
{
    return {out + ".tiles.bin", out + ".map.bin", out + ".pal.bin", out + ".h"};
}

ConsoleExportResult ExportConsole(CTesvanDoc& doc, const ConsoleExportRequest& request,
                                  std::vector<std::string>& lines, std::string& error)
{
    if (doc.m_nBitCount != 8 || !request.target)
        return ConsoleExportResult::NotEightBit;
    // What is exported is the layers, without a floating paste or a tool's
    // figure; those stay as they are on the canvas.
    CImageEx layers;
    if (!layers.CreateEx(doc.SheetWidth(), doc.SheetHeight(), 8)) {
        error = "メモリが足りません。";
        return ConsoleExportResult::WriteFailed;
    }
    layers.SetColorTable(0, 256, doc.m_imgWork.IsNull() ? doc.m_Palette : doc.m_imgWork.ColorTable());
    layers.SetTransparentColor(0);
    doc.ComposeInto(layers, true, 0, 0, doc.SheetWidth() - 1, doc.SheetHeight() - 1, false);

    ConsoleOptions o;
    o.target = request.target;
    o.firstBank = Bank(*request.target, request.firstBank);
    o.dedupe = request.dedupe;
    const ConsoleSheet sheet{&layers, doc.m_nCellWidth, doc.m_nCellHeight, doc.m_nColumns, doc.m_nRows};
    const ConsoleBuild build =
        request.mapCells.empty()
            ? BuildConsole(sheet, o)
            : BuildConsoleFromMap(sheet, request.mapCells, request.mapColumns, request.mapRows, o);
    if (!build.problems.empty()) {
        for (const ConsoleProblem& p : build.problems)
            lines.push_back(ConsoleProblemText(p));
        return ConsoleExportResult::Problems;
    }
    const std::vector<uint8_t> tiles = ConsoleTileBytes(*request.target, build.tiles);
    const std::vector<uint8_t> map = ConsoleMapBytes(*request.target, build.map);
    const std::vector<uint8_t> palette = ConsolePaletteBytes(*request.target, doc.m_Palette, o.firstBank);
    const std::string header = ConsoleHeader(ConsoleIdentifier(request.out), *request.target, build, tiles, map, palette);
    const std::vector<std::string> names = ConsoleFileNames(request.out);
    const std::vector<SafeFileItem> files = {
        {names[0], tiles.data(), tiles.size()},
        {names[1], map.data(), map.size()},
        {names[2], palette.data(), palette.size()},
        {names[3], header.data(), header.size()},
    };
    if (!WriteFilesSafely(files, &error))
        return ConsoleExportResult::WriteFailed;
    return ConsoleExportResult::Ok;
}

// ---------------------------------------------------------------- dialogs

bool CExportConsoleDlg::SetField(const std::string& name, const std::string& value, std::string& error)
{
    if (name == "m_strTarget")
        m_strTarget = value;
    else if (name == "m_strFirstBank")
        m_strFirstBank = value;
    else if (name == "m_strDedupe")
        m_strDedupe = value;
    else if (name == "m_strPath")
        m_strPath = value;
    else if (name == "m_strMap")
        m_strMap = value;
    else {
        error = "CExportConsoleDlg has no field '" + name + "'";
        return false;
    }
    return true;
}

bool CExportConsoleDlg::Validate(std::string& message)
{
    int bank = -1;
    ConsoleDedupe dedupe;
    if (!CheckTarget(m_strTarget, message) || !ParseFirstBank(m_strFirstBank, bank, message))
        return false;
    if (!ParseConsoleDedupe(m_strDedupe, dedupe)) {
        message = "重複の除き方は none, exact, flip のどれかです。";
        return false;
    }
    if (m_strPath.empty()) {
        message = "出力ファイル名を入力してください。";
        return false;
    }
    return true;
}

int CExportConsoleDlg::FirstBank() const
{
    int bank = -1;
    std::string message;
    ParseFirstBank(m_strFirstBank, bank, message);
    return bank;
}

bool CConsoleCheckDlg::SetField(const std::string& name, const std::string& value, std::string& error)
{
    if (name == "m_strTarget")
        m_strTarget = value;
    else if (name == "m_strFirstBank")
        m_strFirstBank = value;
    else {
        error = "CConsoleCheckDlg has no field '" + name + "'";
        return false;
    }
    return true;
}

bool CConsoleCheckDlg::Validate(std::string& message)
{
    int bank = -1;
    return CheckTarget(m_strTarget, message) && ParseFirstBank(m_strFirstBank, bank, message);
}

int CConsoleCheckDlg::FirstBank() const
{
    int bank = -1;
    std::string message;
    ParseFirstBank(m_strFirstBank, bank, message);
    return bank;
}

const char* const CColorPrecisionDlg::kChoices[3] = {"フル (24ビット)", "15ビット", "9ビット"};
const char* const CColorPrecisionDlg::kWords[3] = {"full", "15bit", "9bit"};

bool CColorPrecisionDlg::SetField(const std::string& name, const std::string& value, std::string& error)
{
    if (name != "m_nPrecision") {
        error = "CColorPrecisionDlg has no field '" + name + "'";
        return false;
    }
    for (int k = 0; k < 3; ++k)
        if (value == kWords[k] || value == std::to_string(k)) {
            m_nPrecision = k;
            return true;
        }
    error = "m_nPrecision takes full, 15bit or 9bit";
    return false;
}

bool SetColorPrecision(CTesvanDoc& doc, int precision)
{
    if (precision < PRECISION_FULL || precision > PRECISION_9BIT || doc.m_nColorPrecision == precision)
        return false;
    doc.m_nColorPrecision = precision;
    doc.SetModifiedFlag();
    doc.UpdateAllViews(HINT_PIXELS | HINT_CANVAS | HINT_PANE);
    return true;
}
