#include "app/BatchExport.h"

#include "app/SheetJson.h"
#include "console/ConsoleExport.h"
#include "doc/TesvanDoc.h"
#include "exchange/AnimeExport.h"
#include "platform/ImageCodec.h"
#include "platform/SafeFile.h"
#include "platform/UiPort.h"
#include "views/Language.h"

#include <cstdio>
#include <string>

namespace {

int Malformed(const std::string& why)
{
    std::fprintf(stderr, "tesvan: %s\n", why.c_str());
    return 2;
}

int Failed(const std::string& why)
{
    std::fprintf(stderr, "tesvan: %s\n", why.c_str());
    return 1;
}

std::string Lower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return s;
}

// Exit status and message of a failed export.
int Report(AnimeExportError error, const std::string& path)
{
    switch (error) {
    case AnimeExportError::None: return 0;
    case AnimeExportError::BadScale: return Malformed("--scale takes a whole number from 1 to 16");
    case AnimeExportError::UnknownType: return Malformed("no picture form for " + path);
    case AnimeExportError::NoPlaceholder: return Malformed("no placeholder in " + path);
    case AnimeExportError::SameNames:
        return Malformed("two pictures would both be named " + path +
                         " (give each slot its own name or add placeholders)");
    case AnimeExportError::NoSlot: return Malformed("no such animation slot");
    case AnimeExportError::EmptySlot: return Failed("the animation slot plays no cell of the sheet");
    case AnimeExportError::NoImage: return Failed("no layer holds an image");
    case AnimeExportError::NothingToWrite: return Failed("no picture to write for " + path);
    case AnimeExportError::TooLarge: return Failed("the picture is too large for " + path);
    case AnimeExportError::OutOfMemory: return Failed("out of memory writing " + path);
    case AnimeExportError::WriteFailed: return Failed("cannot write " + path);
    case AnimeExportError::Cancelled: return Failed("cancelled");
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
            return Malformed("--format belongs to --data");
        if (r.format == QLatin1String("json-array"))
            form = SheetJsonForm::Array;
        else if (r.format != QLatin1String("json-hash"))
            return Malformed("--format takes json-hash or json-array");
    }
    const bool placeholders = HasExportPlaceholder(out);
    if (!r.data.isEmpty() && (r.hasAnime || placeholders))
        return Malformed("--data goes with the sheet only, not with --anime or placeholders");
    if (r.hasAnime) {
        if (placeholders)
            return Malformed("--anime writes one animation; placeholders are not used with it");
        const std::string ext = Lower(tesvan::PathExtension(out));
        if (ext != ".gif" && ext != ".webp")
            return Malformed("--anime writes a .gif or .webp file");
        if (r.anime.isEmpty())
            return Malformed("--anime takes a slot from 1 to 4 or a slot's name");
    }
    if (!r.data.isEmpty() && !tesvan::FindEncoderForPath(out))
        return Malformed("no picture form for " + out);

    const std::string file = r.file.toStdString();
    CCollectingUiPort port;
    CTesvanDoc doc;
    if (!doc.OnOpenDocument(file))
        return Failed(port.Because("cannot read " + file));
    if (r.hasAnime) {
        const int slot = doc.FindAnimeSlot(r.anime.toStdString());
        if (slot < 0)
            return Malformed("no animation slot " + r.anime.toStdString() + " (1 to 4 or a slot's name)");
        return Report(ExportAnimation(doc, slot, out, scale), out);
    }
    if (placeholders)
        return Report(ExportPictures(doc, out, scale), out);
    if (!r.data.isEmpty()) {
        const std::string data = r.data.toStdString();
        const AnimeExportError error = ExportSheet(doc, out, scale);
        if (error != AnimeExportError::None)
            return Report(error, out);
        const QByteArray json = SheetJson(BuildSheetData(doc, out, scale), form);
        std::string message;
        if (!WriteFileSafely(data, json.constData(), size_t(json.size()), &message))
            return Failed(message);
        return 0;
    }
    return Report(ExportSheet(doc, out, scale), out);
}

int RunConsoleExport(const ConsoleExportArgs& a)
{
    ConsoleExportRequest request;
    request.out = a.out.toStdString();
    request.target = FindConsoleTarget(a.console.toStdString());
    if (!request.target)
        return Malformed("--console takes gba, snes, md or pce");
    if (!a.firstBank.isEmpty()) {
        bool ok = false;
        request.firstBank = a.firstBank.toInt(&ok);
        if (!ok || request.firstBank < 0 || request.firstBank > 15)
            return Malformed("--first-bank takes a bank from 0 to 15");
    }
    if (!a.dedupe.isEmpty() && !ParseConsoleDedupe(a.dedupe.toStdString(), request.dedupe))
        return Malformed("--dedupe takes none, exact or flip");

    const std::string file = a.file.toStdString();
    CCollectingUiPort port;
    CTesvanDoc doc;
    if (!doc.OnOpenDocument(file))
        return Failed(port.Because("cannot read " + file));
    if (!a.map.isEmpty()) {
        std::string message;
        bool unknown = false;
        if (!ConsoleMapFromChipMap(doc, a.map.toStdString(), request, message, &unknown))
            return unknown ? Malformed("no chip map " + a.map.toStdString() + " (1 to 16 or a map's name)")
                           : Failed(TrCore(message));
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
        return Failed("nothing written: " + std::to_string(lines.size()) +
                      " tile(s) break the console's rules");
    case ConsoleExportResult::WriteFailed:
        return Failed(error);
    }
    return 1;
}
