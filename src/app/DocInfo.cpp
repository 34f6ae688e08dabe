#include "app/DocInfo.h"

#include "doc/TesvanDoc.h"
#include "platform/SafeFile.h"
#include "platform/UiPort.h"
#include "views/Language.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QString>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString Utf8(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

} // namespace

QJsonObject DocInfoJson(const CTesvanDoc& doc, const std::array<bool, CTesvanDoc::kLayers>* hasPixels)
{
    QJsonObject o;
    o.insert("depth", doc.m_nBitCount);
    o.insert("cellWidth", doc.m_nCellWidth);
    o.insert("cellHeight", doc.m_nCellHeight);
    o.insert("columns", doc.m_nColumns);
    o.insert("rows", doc.m_nRows);
    o.insert("background", qint64(doc.m_crBackground));
    o.insert("currentCell", QJsonObject{{"column", doc.m_nEditColumn}, {"row", doc.m_nEditRow}});
    o.insert("currentLayer", doc.m_nCurrentLayer);
    o.insert("zoom", doc.m_nZoom);

    QJsonArray layers;
    for (int i = 0; i < CTesvanDoc::kLayers; ++i) {
        const CLayer& l = doc.m_Layers[i];
        QJsonObject lo;
        lo.insert("slot", i);
        lo.insert("page", l.m_nPage);
        lo.insert("name", Utf8(l.m_strName));
        lo.insert("visible", l.m_bVisible != 0);
        lo.insert("depth", l.m_nBitCount);
        if (hasPixels && (*hasPixels)[i])
            lo.insert("image", QJsonObject{{"width", doc.SheetWidth()}, {"height", doc.SheetHeight()}});
        else if (!hasPixels && l.m_pImage && !l.m_pImage->IsNull())
            lo.insert("image", QJsonObject{{"width", l.m_pImage->GetWidth()},
                                           {"height", l.m_pImage->GetHeight()}});
        else
            lo.insert("image", QJsonValue::Null);
        lo.insert("colors", QJsonArray{l.m_nColor[0], l.m_nColor[1]});
        lo.insert("alphas", QJsonArray{qint64(l.m_nAlpha[0]), qint64(l.m_nAlpha[1])});
        layers.append(lo);
    }
    o.insert("layers", layers);

    // Names and directions as the sprite-sheet data's frame tags give them,
    // so a pipeline learns the tags --data will write.
    static const char* const kDirections[] = {"forward", "reverse", "pingpong"};
    QJsonArray anime;
    for (int k = 0; k < CTesvanDoc::kAnimeSlots; ++k) {
        const int d = doc.m_Anime[k].nDirection;
        anime.append(QJsonObject{{"frames", Utf8(doc.m_Anime[k].strFrames)},
                                 {"speed", doc.m_Anime[k].nSpeed},
                                 {"name", Utf8(doc.AnimeName(k))},
                                 {"direction", kDirections[d >= 0 && d <= 2 ? d : 0]},
                                 {"stepTime", doc.AnimeStepMs(k)}});
    }
    o.insert("anime", anime);
    // Only documents that have maps list them, so other documents read as before.
    if (!doc.m_Maps.empty()) {
        QJsonArray maps;
        for (const CChipMap& m : doc.m_Maps.maps) {
            QJsonArray layers;
            for (const CMapLayer& l : m.layers)
                layers.append(QJsonObject{{"name", Utf8(l.strName)}, {"visible", l.bShown}});
            maps.append(QJsonObject{{"name", Utf8(m.strName)}, {"width", m.nWidth}, {"height", m.nHeight},
                                    {"layers", layers}});
        }
        o.insert("maps", maps);
    }
    // Likewise the colour precision, only where it is not full.
    if (doc.m_nColorPrecision == PRECISION_15BIT || doc.m_nColorPrecision == PRECISION_9BIT)
        o.insert("colorPrecision", doc.m_nColorPrecision == PRECISION_15BIT ? "15bit" : "9bit");
    return o;
}

int RunDocInfo(const QString& path)
{
    const std::string file = path.toStdString();
    auto failed = [](const std::string& message) {
        std::fprintf(stderr, "tesvan: %s\n", TrCore(message).c_str());
        return 1;
    };
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0)
        return failed(ReadErrorText(file, errno));
    if (!S_ISREG(st.st_mode))
        return failed(ReadErrorText(file, S_ISDIR(st.st_mode) ? EISDIR : kNotAFile));
    if (::access(file.c_str(), R_OK) != 0)
        return failed(ReadErrorText(file, errno));
    // An empty file opens as an untouched document in the editor; here it
    // would pass for one, so it is refused.
    if (st.st_size == 0)
        return failed(ReadErrorText(file, kEmptyFile));
    QFileInfo info(path);
    CCollectingUiPort port;
    // Only the settings and layer records are read: no pixel is decoded.
    CTesvanDoc doc;
    std::array<bool, CTesvanDoc::kLayers> hasPixels{};
    if (!doc.ReadSummary(info.absoluteFilePath().toStdString(), hasPixels)) {
        for (const std::string& m : port.messages)
            failed(m);
        return port.messages.empty() ? failed(ReadErrorText(file, kDamagedContent)) : 1;
    }
    QByteArray json = QJsonDocument(DocInfoJson(doc, &hasPixels)).toJson(QJsonDocument::Indented);
    std::fwrite(json.constData(), 1, size_t(json.size()), stdout);
    std::fflush(stdout);
    return 0;
}
