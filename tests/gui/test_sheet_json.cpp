// The sprite-sheet data read the way game frameworks read it.
#include "app/SheetJson.h"
#include "doc/TesvanDoc.h"
#include "platform/UiPort.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QJsonObject ReadJson(const QString& path)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    QJsonParseError error;
    const QJsonDocument json = QJsonDocument::fromJson(f.readAll(), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError);
    return json.object();
}

// Every frame lies inside the image, lasts a while and is whole.
void CheckFrame(const QJsonObject& f, int width, int height)
{
    const QJsonObject r = f["frame"].toObject();
    const int x = r["x"].toInt(-1), y = r["y"].toInt(-1), w = r["w"].toInt(), h = r["h"].toInt();
    EXPECT_GE(x, 0);
    EXPECT_GE(y, 0);
    EXPECT_GT(w, 0);
    EXPECT_GT(h, 0);
    EXPECT_LE(x + w, width);
    EXPECT_LE(y + h, height);
    EXPECT_GT(f["duration"].toInt(), 0);
    EXPECT_EQ(f["rotated"], QJsonValue(false));
    EXPECT_EQ(f["trimmed"], QJsonValue(false));
    EXPECT_EQ(f["sourceSize"].toObject(), (QJsonObject{{"w", w}, {"h", h}}));
    EXPECT_EQ(f["spriteSourceSize"].toObject(), (QJsonObject{{"x", 0}, {"y", 0}, {"w", w}, {"h", h}}));
}

} // namespace

TEST(SheetJson, FramesTagsAndMetaAsFrameworksReadThem)
{
    CCollectingUiPort port;
    CTesvanDoc doc;
    doc.m_nColumns = 3;
    doc.m_nRows = 2;
    doc.m_nCellWidth = 16;
    doc.m_nCellHeight = 8;
    ASSERT_TRUE(doc.OnNewDocument());
    ASSERT_TRUE(doc.m_Layers[0].CreateImage(48, 16, doc.m_Palette, false, 32));
    doc.m_Layers[2].m_bVisible = 0;
    doc.m_Anime[0] = CAnimeSlot{"0,1,2,1", 2, "歩く", ANIME_FORWARD};
    doc.m_Anime[2] = CAnimeSlot{"5,4", 3, "jump", ANIME_PINGPONG};
    // A cell beyond the sheet (a list from an older, larger sheet) is left out.
    doc.m_Anime[3] = CAnimeSlot{"3,40", 1, "back", ANIME_REVERSE};

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string png = dir.filePath("hero.png").toStdString();
    std::string message;
    for (SheetJsonForm form : {SheetJsonForm::Hash, SheetJsonForm::Array}) {
        const QString json = dir.filePath(form == SheetJsonForm::Hash ? "hash.json" : "array.json");
        ASSERT_TRUE(ExportSheetWithData(doc, png, json.toStdString(), form, 2, message)) << message;
        const QJsonObject root = ReadJson(json);
        const QJsonObject meta = root["meta"].toObject();
        EXPECT_EQ(meta["app"].toString(), "Tesvan");
        EXPECT_EQ(meta["version"].toString(), "2.04");
        EXPECT_EQ(meta["image"].toString(), "hero.png");
        EXPECT_EQ(meta["format"].toString(), "RGBA8888");
        EXPECT_EQ(meta["scale"].toString(), "2");
        const int width = meta["size"].toObject()["w"].toInt();
        const int height = meta["size"].toObject()["h"].toInt();
        EXPECT_EQ(width, 96);
        EXPECT_EQ(height, 32);

        std::vector<QJsonObject> frames;
        if (form == SheetJsonForm::Hash) {
            // Readers that keep the file's order meet the frames in frame
            // order: "9" before "10".
            QFile raw(json);
            ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
            const QByteArray text = raw.readAll();
            qsizetype last = -1;
            for (int i = 0; i < 13; ++i) {
                const qsizetype at = text.indexOf("\"" + QByteArray::number(i) + "\": {");
                EXPECT_GT(at, last) << i;
                last = at;
            }
            const QJsonObject hash = root["frames"].toObject();
            for (int i = 0; i < hash.size(); ++i) {
                ASSERT_TRUE(hash.contains(QString::number(i))) << i;
                frames.push_back(hash[QString::number(i)].toObject());
            }
            EXPECT_EQ(int(frames.size()), hash.size());
        } else {
            const QJsonArray array = root["frames"].toArray();
            for (int i = 0; i < array.size(); ++i) {
                frames.push_back(array[i].toObject());
                EXPECT_EQ(frames.back()["filename"].toString(), QString::number(i));
            }
        }
        // 6 cells, 4 + 2 + 1 steps.
        ASSERT_EQ(frames.size(), 13u);
        for (const QJsonObject& f : frames)
            CheckFrame(f, width, height);
        EXPECT_EQ(frames[5]["frame"].toObject(), (QJsonObject{{"x", 64}, {"y", 16}, {"w", 32}, {"h", 16}}));
        EXPECT_EQ(frames[5]["duration"].toInt(), 100);
        EXPECT_EQ(frames[9]["frame"].toObject()["x"].toInt(), 32);
        EXPECT_EQ(frames[9]["duration"].toInt(), 300);

        const QJsonArray tags = meta["frameTags"].toArray();
        ASSERT_EQ(tags.size(), 3);
        const char* names[] = {"歩く", "jump", "back"};
        const char* directions[] = {"forward", "pingpong", "reverse"};
        for (int t = 0; t < 3; ++t) {
            const QJsonObject tag = tags[t].toObject();
            EXPECT_EQ(tag["name"].toString(), QString::fromUtf8(names[t]));
            EXPECT_EQ(tag["direction"].toString(), directions[t]);
            EXPECT_LE(tag["from"].toInt(), tag["to"].toInt());
            EXPECT_GE(tag["from"].toInt(), 6);
            EXPECT_LT(tag["to"].toInt(), int(frames.size()));
        }
        EXPECT_EQ(tags[2].toObject()["from"].toInt(), 12);
        EXPECT_EQ(tags[2].toObject()["to"].toInt(), 12);

        const QJsonArray layers = meta["layers"].toArray();
        EXPECT_EQ(layers.size(), 11);
        EXPECT_EQ(layers[2].toObject(), (QJsonObject{{"name", "LY03"}, {"opacity", 255}, {"blendMode", "normal"}}));
    }
    // An 8-bit sheet's picture holds palette indexes.
    CTesvanDoc indexed;
    indexed.m_nBitCount = 8;
    ASSERT_TRUE(indexed.OnNewDocument());
    const QString data8 = dir.filePath("indexed.json");
    ASSERT_TRUE(ExportSheetWithData(indexed, dir.filePath("indexed.png").toStdString(), data8.toStdString(),
                                    SheetJsonForm::Hash, 1, message));
    EXPECT_EQ(ReadJson(data8)["meta"].toObject()["format"].toString(), "I8");
    // The data names only picture files it can write.
    EXPECT_FALSE(ExportSheetWithData(doc, dir.filePath("x.txt").toStdString(),
                                     dir.filePath("x.json").toStdString(), SheetJsonForm::Hash, 1, message));
    EXPECT_FALSE(QFile::exists(dir.filePath("x.json")));
}
