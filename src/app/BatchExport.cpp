#include "app/BatchExport.h"

#include "app/SheetJson.h"
#include "console/ConsoleExport.h"
#include "doc/TesvanDoc.h"
#include "exchange/AnimeExport.h"
#include "platform/ImageCodec.h"
#include "platform/SafeFile.h"
#include "platform/UiPort.h"
#include "views/Language.h"

#include <QCoreApplication>

#include <cstdio>
#include <string>

namespace {

void PrintError(const QString& why)
{
    std::fprintf(stderr, "tesvan: %s\n", why.toLocal8Bit().constData());
}

int Malformed(const QString& why)
{
    PrintError(why);
    return 2;
}

// A core message (Japanese inside the program) in the interface language.
int Failed(const std::string& why)
{
    PrintError(TrCore(QString::fromStdString(why)));
    return 1;
}

// Opens the document to export; on failure its own messages, which name the
// file and the reason, go to standard error.
bool OpenForExport(CTesvanDoc& doc, const QString& file)
{
    CCollectingUiPort port;
    if (doc.OnOpenDocument(file.toStdString()))
        return true;
    for (const std::string& m : port.messages)
        Failed(m);
    return false;
}

QString Q(const std::string& s) { return QString::fromStdString(s); }

std::string Lower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return s;
}

// Exit status and message of a failed export; `why` is the writer's
// message (the file and the reason) when a write failed.
int Report(AnimeExportError error, const std::string& path, const std::string& why = {})
{
    switch (error) {
    case AnimeExportError::None: return 0;
    case AnimeExportError::BadScale: return Malformed(QCoreApplication::translate("BatchExport", "--scale には 1 から 16 の整数を指定してください。"));
    case AnimeExportError::UnknownType:
    case AnimeExportError::NoPlaceholder:
    case AnimeExportError::NoSlot:
        return Malformed(TrCore(Q(AnimeExportErrorText(error, path))));
    case AnimeExportError::SameNames:
        return Malformed(QCoreApplication::translate("BatchExport", "二つのファイルが同じ名前 %1 になります (スロットごとに名前を付けるか、プレースホルダーを加えてください)。")
                             .arg(Q(path)));
    case AnimeExportError::WriteFailed:
        return Failed(why.empty() ? AnimeExportErrorText(error, path) : why);
    case AnimeExportError::EmptySlot:
    case AnimeExportError::NoImage:
    case AnimeExportError::NothingToWrite:
    case AnimeExportError::TooLarge:
    case AnimeExportError::OutOfMemory:
    case AnimeExportError::Cancelled:
        return Failed(AnimeExportErrorText(error, path));
    }
    return 1;
}

} // namespace

bool IsGameExport(const GameExportRequest& r)
{
    return !r.data.isEmpty() || r.hasAnime || r.hasScale || !r.format.isEmpty() ||
           HasExportPlaceholder(r.out.toStdString());
}

int RunGameExport(const GameExportRequest& r)
{
    const std::string out = r.out.toStdString();
    int scale = 1;
    if (r.hasScale) {
        bool ok = false;
        scale = r.scale.toInt(&ok);
        if (!ok || scale < kMinExportScale || scale > kMaxExportScale)
            return Report(AnimeExportError::BadScale, out);
    }
    SheetJsonForm form = SheetJsonForm::Hash;
    if (!r.format.isEmpty()) {
        if (r.data.isEmpty())
            return Malformed(QCoreApplication::translate("BatchExport", "--format は --data と共に使います。"));
        if (r.format == QLatin1String("json-array"))
            form = SheetJsonForm::Array;
        else if (r.format != QLatin1String("json-hash"))
            return Malformed(QCoreApplication::translate("BatchExport", "--format には json-hash か json-array を指定してください。"));
    }
    const bool placeholders = HasExportPlaceholder(out);
    if (!r.data.isEmpty() && (r.hasAnime || placeholders))
        return Malformed(QCoreApplication::translate("BatchExport", "--data はシートの書き出しにだけ使えます (--anime やプレースホルダーとは使えません)。"));
    if (r.hasAnime) {
        if (placeholders)
            return Malformed(QCoreApplication::translate("BatchExport", "--anime は一つのアニメーションを書き出します。プレースホルダーは使えません。"));
        const std::string ext = Lower(tesvan::PathExtension(out));
        if (ext != ".gif" && ext != ".webp")
            return Malformed(QCoreApplication::translate("BatchExport", "--anime は .gif か .webp のファイルに書き出します。"));
        if (r.anime.isEmpty())
            return Malformed(QCoreApplication::translate("BatchExport", "--anime には 1 から 4 のスロット番号かスロットの名前を指定してください。"));
    }
    if (!r.data.isEmpty() && !tesvan::FindEncoderForPath(out))
        return Report(AnimeExportError::UnknownType, out);

    CTesvanDoc doc;
    if (!OpenForExport(doc, r.file))
        return 1;
    std::string why;
    if (r.hasAnime) {
        const int slot = doc.FindAnimeSlot(r.anime.toStdString());
        if (slot < 0)
            return Malformed(QCoreApplication::translate("BatchExport", "アニメーション %1 はありません (1 から 4 かスロットの名前を指定してください)。").arg(r.anime));
        return Report(ExportAnimation(doc, slot, out, scale, {}, &why), out, why);
    }
    if (placeholders)
        return Report(ExportPictures(doc, out, scale, {}, &why), out, why);
    if (!r.data.isEmpty()) {
        std::string message;
        if (!ExportSheetWithData(doc, out, r.data.toStdString(), form, scale, message))
            return Failed(message);
        return 0;
    }
    return Report(ExportSheet(doc, out, scale, &why), out, why);
}

int RunConsoleExport(const ConsoleExportArgs& a)
{
    ConsoleExportRequest request;
    request.out = a.out.toStdString();
    request.target = FindConsoleTarget(a.console.toStdString());
    if (!request.target)
        return Malformed(QCoreApplication::translate("BatchExport", "--console には gba、snes、md、pce のどれかを指定してください。"));
    if (!a.firstBank.isEmpty()) {
        bool ok = false;
        request.firstBank = a.firstBank.toInt(&ok);
        if (!ok || request.firstBank < 0 || request.firstBank > 15)
            return Malformed(QCoreApplication::translate("BatchExport", "--first-bank には 0 から 15 のバンクを指定してください。"));
    }
    if (!a.dedupe.isEmpty() && !ParseConsoleDedupe(a.dedupe.toStdString(), request.dedupe))
        return Malformed(QCoreApplication::translate("BatchExport", "--dedupe には none、exact、flip のどれかを指定してください。"));

    CTesvanDoc doc;
    if (!OpenForExport(doc, a.file))
        return 1;
    if (!a.map.isEmpty()) {
        std::string message;
        bool unknown = false;
        if (!ConsoleMapFromChipMap(doc, a.map.toStdString(), request, message, &unknown))
            return unknown ? Malformed(QCoreApplication::translate("BatchExport", "マップ %1 はありません (番号かマップの名前を指定してください)。").arg(a.map))
                           : Failed(message);
    }
    std::vector<std::string> lines;
    std::string error;
    switch (ExportConsole(doc, request, lines, error)) {
    case ConsoleExportResult::Ok:
        return 0;
    case ConsoleExportResult::NotEightBit:
        return Failed(std::string(kMsgConsoleNeedsEightBit));
    case ConsoleExportResult::Problems:
        for (const std::string& line : lines)
            std::fprintf(stderr, "%s\n", TrCore(line).c_str());
        PrintError(QCoreApplication::translate("BatchExport", "コンソールの規則に合わないタイルが %1 個あるため、何も書き出していません。").arg(lines.size()));
        return 1;
    case ConsoleExportResult::WriteFailed:
        return Failed(error);
    }
    return 1;
}
