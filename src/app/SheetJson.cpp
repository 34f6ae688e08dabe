#include "app/SheetJson.h"

#include "doc/TesvanDoc.h"
#include "platform/ImageCodec.h"
#include "platform/SafeFile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

namespace {

QString Utf8(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

QJsonObject Frame(const SheetFrame& f)
{
    QJsonObject o;
    o.insert("frame", QJsonObject{{"x", f.x}, {"y", f.y}, {"w", f.w}, {"h", f.h}});
    o.insert("rotated", false);
    o.insert("trimmed", false);
    o.insert("spriteSourceSize", QJsonObject{{"x", 0}, {"y", 0}, {"w", f.w}, {"h", f.h}});
    o.insert("sourceSize", QJsonObject{{"w", f.w}, {"h", f.h}});
    o.insert("duration", f.durationMs);
    return o;
}

QJsonObject Meta(const SheetData& data)
{
    QJsonArray tags;
    for (const SheetTag& t : data.tags)
        tags.append(QJsonObject{{"name", Utf8(t.name)}, {"from", t.from}, {"to", t.to},
                                {"direction", Utf8(t.direction)}});
    QJsonArray layers;
    for (const SheetLayer& l : data.layers)
        layers.append(QJsonObject{{"name", Utf8(l.name)}, {"opacity", l.opacity}, {"blendMode", "normal"}});
    QJsonObject meta;
    meta.insert("app", "Tesvan");
    meta.insert("version", "2.04");
    meta.insert("image", Utf8(data.image));
    meta.insert("format", data.indexed ? "I8" : "RGBA8888");
    meta.insert("size", QJsonObject{{"w", data.width}, {"h", data.height}});
    meta.insert("scale", QString::number(data.scale));
    meta.insert("frameTags", tags);
    meta.insert("layers", layers);
    return meta;
}

// An indented JSON value placed at the given depth: every line after the
// first moves right by that many blanks.
QByteArray Nested(const QJsonObject& o, int indent)
{
    QByteArray text = QJsonDocument(o).toJson(QJsonDocument::Indented).trimmed();
    return text.replace("\n", "\n" + QByteArray(indent, ' '));
}

} // namespace

QByteArray SheetJson(const SheetData& data, SheetJsonForm form)
{
    if (form == SheetJsonForm::Hash) {
        // Readers that keep the file's order take "frames" in it, so the
        // keys go in frame order ("0", "1", "2", ..., not the sorted
        // "0", "1", "10"): written by hand.
        QByteArray frames = "{\n    \"frames\": {";
        for (size_t i = 0; i < data.frames.size(); ++i) {
            frames += i ? ",\n        \"" : "\n        \"";
            frames += QByteArray::number(qulonglong(i)) + "\": " + Nested(Frame(data.frames[i]), 8);
        }
        frames += data.frames.empty() ? "},\n" : "\n    },\n";
        return frames + "    \"meta\": " + Nested(Meta(data), 4) + "\n}\n";
    }
    QJsonArray frames;
    for (size_t i = 0; i < data.frames.size(); ++i) {
        QJsonObject o = Frame(data.frames[i]);
        o.insert("filename", QString::number(i));
        frames.append(o);
    }
    QJsonObject root;
    root.insert("frames", frames);
    root.insert("meta", Meta(data));
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

bool ExportSheetWithData(CTesvanDoc& doc, const std::string& imagePath, const std::string& dataPath,
                         SheetJsonForm form, int scale, std::string& message)
{
    // The picture and its data are one set: both are written, or neither
    // replaces its old file.
    std::vector<ExportFile> files(2);
    files[0].path = imagePath;
    AnimeExportError error = EncodeSheet(doc, imagePath, scale, files[0].bytes);
    if (error == AnimeExportError::None) {
        const QByteArray json = SheetJson(BuildSheetData(doc, imagePath, scale), form);
        files[1].path = dataPath;
        files[1].bytes.assign(json.begin(), json.end());
        error = WriteExportFiles(files, &message);
        if (error == AnimeExportError::None)
            return true;
    }
    if (message.empty())
        message = AnimeExportErrorText(error, imagePath);
    return false;
}
