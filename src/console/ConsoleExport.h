// The console products of a document: the check the editor outlines, the
// export that writes OUT.tiles.bin, OUT.map.bin, OUT.pal.bin and OUT.h as
// one set, and the dialogs that choose the target and the colour precision.
#pragma once

#include "console/Console.h"
#include "platform/DialogModel.h"

#include <string>
#include <vector>

class CTesvanDoc;

// The refusal for a 32-bit document.
extern const char* const kMsgConsoleNeedsEightBit;

// The composed sheet of the document as the console check reads it.
ConsoleSheet ConsoleSheetOf(const CTesvanDoc& doc);

// The check of the working image (what the person sees) for the target,
// with the default dedupe; empty problems when it passes. A 32-bit
// document gives no sheet (check doc.m_nBitCount first).
ConsoleBuild CheckConsole(const CTesvanDoc& doc, const ConsoleTarget& target, int firstBank,
                          bool firstProblemOnly);

// What `print console T` prints: "ok TILES" or the first problem.
std::string ConsoleCheckLine(const CTesvanDoc& doc, const ConsoleTarget& target);

struct ConsoleExportRequest {
    std::string out;                     // OUT: the files are OUT.tiles.bin ...
    const ConsoleTarget* target = nullptr;
    int firstBank = -1;                  // -1: the target's default
    ConsoleDedupe dedupe = ConsoleDedupe::Flip;
    // With a chip map: its cells, row by row (empty: the sheet itself).
    std::vector<ConsoleMapCell> mapCells;
    int mapColumns = 0, mapRows = 0;
};

// The cells of chip map K (from 1, or its name) as the console's map: the
// shown layers, which must not overlap (the console's map is one layer),
// and no diagonal flip (the consoles have none). False with the message to
// show otherwise; *unknown (optional) set when there is no such map.
bool ConsoleMapFromChipMap(const CTesvanDoc& doc, const std::string& key, ConsoleExportRequest& request,
                           std::string& message, bool* unknown = nullptr);

enum class ConsoleExportResult { Ok, NotEightBit, Problems, WriteFailed };

// Checks the composed layers (a floating paste and a tool's figure left
// out, and left alone), then writes the four files through the one writer.
// Problems:
// `lines` lists every broken rule and nothing is written. WriteFailed:
// `error` says why and every target is as it was.
ConsoleExportResult ExportConsole(CTesvanDoc& doc, const ConsoleExportRequest& request,
                                  std::vector<std::string>& lines, std::string& error);
// The four file names of OUT.
std::vector<std::string> ConsoleFileNames(const std::string& out);

// "コンソール書き出し": target, first bank, dedupe and the output name.
class CExportConsoleDlg : public CDialogModel {
public:
    static constexpr const char* kTitle = "コンソール書き出し";
    const char* ClassName() const override { return "CExportConsoleDlg"; }
    bool SetField(const std::string& name, const std::string& value, std::string& error) override;
    bool Validate(std::string& message) override;
    // The first bank chosen; the target's default when the field is empty.
    int FirstBank() const;

    std::string m_strTarget = "gba";
    std::string m_strFirstBank;          // "" : the target's default
    std::string m_strDedupe = "flip";
    std::string m_strMap;                // chip map K or its name; "" : the sheet
    std::vector<std::string> m_MapNames; // shown in the map list; not a field
    std::string m_strPath;
};

// "コンソール検査": the target (and first bank) the check outlines.
class CConsoleCheckDlg : public CDialogModel {
public:
    static constexpr const char* kTitle = "コンソール検査";
    const char* ClassName() const override { return "CConsoleCheckDlg"; }
    bool SetField(const std::string& name, const std::string& value, std::string& error) override;
    bool Validate(std::string& message) override;
    int FirstBank() const;

    std::string m_strTarget = "gba";
    std::string m_strFirstBank;
};

// "色の精度": full, 15 bit or 9 bit.
class CColorPrecisionDlg : public CDialogModel {
public:
    static constexpr const char* kTitle = "色の精度";
    static const char* const kChoices[3];       // shown texts
    static const char* const kWords[3];         // full, 15bit, 9bit
    const char* ClassName() const override { return "CColorPrecisionDlg"; }
    bool SetField(const std::string& name, const std::string& value, std::string& error) override;

    int m_nPrecision = 0;
};

// Sets the document's colour precision: marks it modified and redraws;
// false when it already had it.
bool SetColorPrecision(CTesvanDoc& doc, int precision);
