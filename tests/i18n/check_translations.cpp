// Checks that every text the program may show has a finished translation in
// every interface language: each tr()/translate() text in its context, and
// each non-ASCII string literal of the code outside them (the core's texts,
// shown through the user-interface port or the menus) in the context "core".
// A literal joined to others with "+" may instead be a piece of a core entry
// with variable parts. Prints each missing or unfinished text with its place.
//
// Two rules keep texts from slipping past the tables:
// - In the Qt layers (app/, views/ but not views/plain/), which show texts
//   themselves, a Japanese literal goes straight into tr(), translate() or
//   TrCore(), or to a hand-off of the core that translates when it shows
//   (a message box, a question, a failure report, an undo name, a command's
//   text, a file filter, the document's title).
// - An English sentence (three words or more) in the Qt layers is a text
//   that no table translates into Japanese: it must be the source of a
//   translate() entry instead. The script runner's statement diagnostics are
//   written in the script language itself and are left out.
//
//   check_translations SOURCE_DIR
#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QTextStream>
#include <QXmlStreamReader>

#include <cstdio>

namespace {

// Literals that are no shown text: font names matched or asked for as they
// are, and a diagnostic of the script runner.
const QSet<QString> kNotShown = {
    QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("ゴシック"), QStringLiteral("Ｐ"),
    QStringLiteral("MS ゴシック"),
    QStringLiteral("自動作成 is disabled (neither method is ticked)"),
    QStringLiteral("%1 – %2"),
};

// English literals that are no shown text: the toolkit's notices matched to
// keep them off standard error.
const QSet<QString> kNotShownEnglish = {
    QStringLiteral("does not support raise"),
};

// Files of the Qt layers whose English texts are the script language's own.
const QStringList kScriptLanguageFiles = {
    QStringLiteral("src/app/ScriptRunner.cpp"),
    QStringLiteral("src/app/ScriptUiPort.cpp"),
};

bool InQtLayers(const QString& where)
{
    return (where.startsWith(QLatin1String("src/app/")) || where.startsWith(QLatin1String("src/views/"))) &&
           !where.startsWith(QLatin1String("src/views/plain/"));
}

struct Catalogue {
    QHash<QString, QHash<QString, bool>> finished;  // context -> source -> finished
    QStringList problems;
};

bool ReadTs(const QString& path, Catalogue& cat)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QXmlStreamReader xml(&file);
    QString context, source, translation;
    bool unfinished = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.name() == QLatin1String("name"))
                context = xml.readElementText();
            else if (xml.name() == QLatin1String("source"))
                source = xml.readElementText();
            else if (xml.name() == QLatin1String("translation")) {
                const QString type = xml.attributes().value(QLatin1String("type")).toString();
                unfinished = !type.isEmpty();
                translation = xml.readElementText();
                // Entries no longer in the code (vanished, obsolete) are not counted.
                if (type == QLatin1String("vanished") || type == QLatin1String("obsolete"))
                    continue;
                const bool ok = !unfinished && !translation.isEmpty();
                if (!ok)
                    cat.problems << QStringLiteral("%1: unfinished [%2] %3").arg(path, context, source);
                cat.finished[context][source] = ok;
            }
        }
    }
    if (xml.hasError()) {
        cat.problems << QStringLiteral("%1: %2").arg(path, xml.errorString());
        return false;
    }
    return true;
}

// The code with comments blanked out (line breaks kept), strings untouched.
QString StripComments(const QString& text)
{
    QString out = text;
    enum { Code, Str, Chr, Line, Block } state = Code;
    for (int i = 0; i < out.size(); ++i) {
        const QChar c = out[i];
        const QChar n = i + 1 < out.size() ? out[i + 1] : QChar();
        switch (state) {
        case Code:
            if (c == QLatin1Char('"')) state = Str;
            else if (c == QLatin1Char('\'')) state = Chr;
            else if (c == QLatin1Char('/') && n == QLatin1Char('/')) { state = Line; out[i] = QLatin1Char(' '); }
            else if (c == QLatin1Char('/') && n == QLatin1Char('*')) { state = Block; out[i] = QLatin1Char(' '); }
            break;
        case Str:
        case Chr:
            if (c == QLatin1Char('\\')) ++i;
            else if (c == QLatin1Char(state == Str ? '"' : '\'')) state = Code;
            break;
        case Line:
            if (c == QLatin1Char('\n')) state = Code;
            else out[i] = QLatin1Char(' ');
            break;
        case Block:
            if (c == QLatin1Char('*') && n == QLatin1Char('/')) {
                out[i] = out[i + 1] = QLatin1Char(' ');
                ++i;
                state = Code;
            } else if (c != QLatin1Char('\n')) {
                out[i] = QLatin1Char(' ');
            }
            break;
        }
    }
    return out;
}

QString Unescape(const QString& s)
{
    QString out;
    for (int i = 0; i < s.size(); ++i) {
        if (s[i] != QLatin1Char('\\') || i + 1 == s.size()) {
            out += s[i];
            continue;
        }
        const QChar e = s[++i];
        if (e == QLatin1Char('n')) out += QLatin1Char('\n');
        else if (e == QLatin1Char('t')) out += QLatin1Char('\t');
        else out += e;
    }
    return out;
}

bool NonAscii(const QString& s)
{
    for (QChar c : s)
        if (c.unicode() > 0x7F)
            return true;
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: check_translations SOURCE_DIR\n");
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);

    // One catalogue per language: tesvan_LANG.ts and tesvan_core_LANG.ts.
    QHash<QString, Catalogue> languages;
    for (QDirIterator it(root + QStringLiteral("/resources/translations"), {QStringLiteral("*.ts")});
         it.hasNext();) {
        const QString path = it.next();
        static const QRegularExpression name(QStringLiteral("tesvan_(?:core_)?([a-z]{2}(?:_[A-Z]{2})?)\\.ts$"));
        const QRegularExpressionMatch m = name.match(path);
        if (m.hasMatch())
            ReadTs(path, languages[m.captured(1)]);
    }
    if (languages.isEmpty()) {
        std::fprintf(stderr, "no translation files in %s/resources/translations\n", qPrintable(root));
        return 1;
    }

    static const QRegularExpression literal(QStringLiteral("\"((?:[^\"\\\\\\n]|\\\\.)*)\""));
    static const QRegularExpression trCall(QStringLiteral("\\b(?:tr|QT_TR_NOOP)\\s*\\(\\s*$"));
    static const QRegularExpression translateCall(
        QStringLiteral("\\b(?:translate|QT_TRANSLATE_NOOP)\\s*\\(\\s*\"([^\"]*)\"\\s*,\\s*$"));
    static const QRegularExpression contextArg(QStringLiteral("\\b(?:translate|QT_TRANSLATE_NOOP)\\s*\\(\\s*$"));
    static const QRegularExpression definition(
        QStringLiteral("^(?:[A-Za-z][^\\n;]*?\\b)?(\\w+)::~?\\w+\\s*\\("), QRegularExpression::MultilineOption);
    static const QRegularExpression joinedBefore(QStringLiteral("\\+\\s*(?:\\w+(?:::\\w+)*\\s*\\(\\s*)?$"));
    static const QRegularExpression joinedAfter(QStringLiteral("^\\s*\\)?\\s*\\+"));
    static const QRegularExpression placeholder(QStringLiteral("%[1-9ds]"));
    // Calls a literal may be the (first) argument of and still be
    // translated: the translators themselves, and the core's hand-offs.
    static const QRegularExpression translated(QStringLiteral(
        "\\b(?:TrCore|MessageBox|Question|ReportFileFailure|CUndoRecorder\\s*\\w*|SetTitle)\\s*\\("
        "[^;{}]*$|\\b(?:ui\\.text|filters)\\s*=[^;]*$|Menu::\\w+\\)\\s*,\\s*QStringLiteral\\s*\\(\\s*$"));
    static const QRegularExpression sentence(QStringLiteral("[A-Za-z]+ [a-z]+ [a-z]+"));

    QStringList problems;
    int checked = 0;
    for (QDirIterator it(root + QStringLiteral("/src"), {QStringLiteral("*.cpp"), QStringLiteral("*.h")},
                         QDir::Files, QDirIterator::Subdirectories);
         it.hasNext();) {
        const QString path = it.next();
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QString code = StripComments(QString::fromUtf8(file.readAll()));
        const QString where = path.mid(root.size() + 1);
        for (auto m = literal.globalMatch(code); m.hasNext();) {
            const QRegularExpressionMatch lit = m.next();
            const QString before = code.left(lit.capturedStart()).right(200);
            if (contextArg.match(before).hasMatch())
                continue;  // the context name of translate()
            const QString text = Unescape(lit.captured(1));
            QString context;
            bool fragment = false;
            if (trCall.match(before).hasMatch()) {
                // tr() takes the class of the member function it is in.
                QRegularExpressionMatch def;
                for (auto d = definition.globalMatch(code.left(lit.capturedStart())); d.hasNext();)
                    def = d.next();
                context = def.hasMatch() ? def.captured(1) : QString();
            } else if (const auto t = translateCall.match(before); t.hasMatch()) {
                context = t.captured(1);
            } else {
                const int at = code.left(lit.capturedStart()).count(QLatin1Char('\n')) + 1;
                if (!NonAscii(text)) {
                    if (InQtLayers(where) && !kScriptLanguageFiles.contains(where) &&
                        sentence.match(text).hasMatch() && !kNotShownEnglish.contains(text))
                        problems << QStringLiteral("%1:%2: English text shown without a translation "
                                                   "(make it the source of a translate() entry): %3")
                                        .arg(where).arg(at).arg(text);
                    continue;
                }
                if (kNotShown.contains(text))
                    continue;
                if (InQtLayers(where) && !translated.match(before).hasMatch())
                    problems << QStringLiteral("%1:%2: Japanese text not given to tr(), translate() or "
                                               "TrCore() where it is shown: %3")
                                    .arg(where).arg(at).arg(text);
                context = QStringLiteral("core");
                fragment = joinedBefore.match(before).hasMatch() ||
                           joinedAfter.match(code.mid(lit.capturedEnd(), 40)).hasMatch();
            }
            ++checked;
            const int line = code.left(lit.capturedStart()).count(QLatin1Char('\n')) + 1;
            for (auto lang = languages.cbegin(); lang != languages.cend(); ++lang) {
                const auto& entries = lang->finished.value(context);
                if (entries.value(text, false))
                    continue;
                bool covered = false;
                if (fragment) {
                    for (auto e = entries.cbegin(); e != entries.cend() && !covered; ++e)
                        covered = e.value() && e.key().contains(placeholder) && e.key().contains(text);
                }
                if (!covered) {
                    QString shown = text;
                    shown.replace(QLatin1Char('\n'), QLatin1String("\\n")).replace(QLatin1Char('\t'), QLatin1String("\\t"));
                    problems << QStringLiteral("%1:%2: no %3 translation in [%4]%5: %6")
                                    .arg(where).arg(line).arg(lang.key(), context,
                                                              fragment ? QStringLiteral(" (piece of an entry with %1)") : QString(),
                                                              shown);
                }
            }
        }
    }
    for (auto lang = languages.cbegin(); lang != languages.cend(); ++lang)
        problems += lang->problems;

    QTextStream out(stdout);
    for (const QString& p : problems)
        out << p << '\n';
    out << checked << " texts checked in " << languages.size() << " language(s), " << problems.size()
        << " problem(s)\n";
    return problems.isEmpty() ? 0 : 1;
}
