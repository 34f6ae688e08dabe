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

} // namespace

QByteArray SheetJson(const SheetData& data, SheetJsonForm form)
{
    QJsonObject root;
    if (form == SheetJsonForm::Hash) {
        QJsonObject frames;
        for (size_t i = 0; i < data.frames.size(); ++i)
            frames.insert(QString::number(i), Frame(data.frames[i]));
        root.insert("frames", frames);
    } else {
        QJsonArray frames;
        for (size_t i = 0; i < data.frames.size(); ++i) {
            QJsonObject o = Frame(data.frames[i]);
            o.insert("filename", QString::number(i));
            frames.append(o);
        }
        root.insert("frames", frames);
    }
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
    meta.insert("format", "RGBA8888");
    meta.insert("size", QJsonObject{{"w", data.width}, {"h", data.height}});
    meta.insert("scale", QString::number(data.scale));
    meta.insert("frameTags", tags);
    meta.insert("layers", layers);
    root.insert("meta", meta);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

bool ExportSheetWithData(CTesvanDoc& doc, const std::string& imagePath, const std::string& dataPath,
                         SheetJsonForm form, int scale, std::string& message)
{
    const AnimeExportError error = ExportSheet(doc, imagePath, scale);
    if (error != AnimeExportError::None) {
        message = AnimeExportErrorText(error, imagePath);
        return false;
    }
    const QByteArray json = SheetJson(BuildSheetData(doc, imagePath, scale), form);
    return WriteFileSafely(dataPath, json.constData(), size_t(json.size()), &message);
}
