// Checks that each manual describes every command of the command list: the
// command's menu text, as the menu reads it in that language without its
// mnemonic, shortcut and trailing dots, appears in the manual's pages (a
// command without a text: its name). Prints each command a manual misses.
//
//   check_manual SOURCE_DIR
#include "doc/CommandList.h"

#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <cstdio>

namespace {

// The core's texts of one language, keyed by their Japanese source.
QHash<QString, QString> ReadCoreTexts(const QString& path)
{
    QHash<QString, QString> texts;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return texts;
    QXmlStreamReader xml(&file);
    QString context, source;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == QLatin1String("name"))
            context = xml.readElementText();
        else if (xml.name() == QLatin1String("source"))
            source = xml.readElementText();
        else if (xml.name() == QLatin1String("translation") && context == QLatin1String("core"))
            texts.insert(source, xml.readElementText());
    }
    return texts;
}

// "ヘルプ(&H)\tF1" -> "ヘルプ", "Save &As..." -> "Save As".
QString Readable(QString text)
{
    text = text.section(QLatin1Char('\t'), 0, 0);
    text.remove(QRegularExpression(QStringLiteral("\\(&?[A-Za-z]\\)")));
    text.remove(QLatin1Char('&'));
    while (text.endsWith(QLatin1Char('.')) || text.endsWith(QChar(0x2026)))
        text.chop(1);
    return text.simplified();
}

// The pages of one manual as one text, emphasis marks left out and blanks
// made single, for searching.
QString ReadManual(const QString& folder)
{
    QString all;
    for (QDirIterator it(folder, {QStringLiteral("*.md")}, QDir::Files); it.hasNext();) {
        QFile file(it.next());
        if (file.open(QIODevice::ReadOnly))
            all += QString::fromUtf8(file.readAll()) + QLatin1Char('\n');
    }
    all.remove(QStringLiteral("**"));
    return all.simplified();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: check_manual SOURCE_DIR\n");
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    int problems = 0;
    int languages = 0;
    for (QDirIterator it(root + QStringLiteral("/doc/manual"), QDir::Dirs | QDir::NoDotAndDotDot); it.hasNext();) {
        const QString folder = it.next();
        const QString lang = it.fileName();
        const QString manual = ReadManual(folder);
        if (manual.isEmpty())
            continue;
        ++languages;
        // Japanese is the program's own language; others read the tables.
        const QHash<QString, QString> texts =
            lang == QLatin1String("ja")
                ? QHash<QString, QString>()
                : ReadCoreTexts(root + QStringLiteral("/resources/translations/tesvan_core_%1.ts").arg(lang));
        for (const CommandDef& c : kCommandList) {
            const QString source = QString::fromUtf8(c.text);
            const QString shown = lang == QLatin1String("ja") ? source : texts.value(source);
            const QString text = Readable(shown);
            const QString name = QString::fromLatin1(c.name);
            const bool found = text.isEmpty() ? manual.contains(name)
                                              : manual.contains(text, Qt::CaseInsensitive);
            if (found)
                continue;
            ++problems;
            std::printf("doc/manual/%s: command %d %s is not described (look for \"%s\")\n",
                        qPrintable(lang), c.id, c.name, qPrintable(text.isEmpty() ? name : text));
        }
    }
    std::printf("%zu commands checked in %d manual(s), %d problem(s)\n", std::size(kCommandList), languages,
                problems);
    return problems == 0 && languages > 0 ? 0 : 1;
}
