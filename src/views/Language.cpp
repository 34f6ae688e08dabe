#include "views/Language.h"

#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QTranslator>

#include <algorithm>
#include <vector>

namespace {

UiLanguage g_language = UiLanguage::Japanese;

// Kept for the life of the process: the application may hold them installed
// until its very end.
QTranslator* g_program = nullptr;
QTranslator* g_qt = nullptr;

// A variable part of a core text: %1 to %9, or a printf-style %d or %s; the
// translation names the parts %1, %2, ... in the order of the source.
const QRegularExpression& Placeholder()
{
    static const QRegularExpression re(QStringLiteral("%([1-9]|d|s)"));
    return re;
}

struct CorePattern {
    QString source;
    QRegularExpression match;
};
std::vector<CorePattern> g_patterns;

// The entries of the context "core" that have variable parts, one per
// record (written at build time from the translation source).
void LoadPatterns(const QString& code)
{
    g_patterns.clear();
    QFile file(QStringLiteral(":/i18n/core_patterns_%1.txt").arg(code));
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QStringList sources =
        QString::fromUtf8(file.readAll()).split(QChar(0x1e), Qt::SkipEmptyParts);
    for (const QString& source : sources) {
        QString re = QStringLiteral("^");
        int last = 0;
        for (auto it = Placeholder().globalMatch(source); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            re += QRegularExpression::escape(source.mid(last, m.capturedStart() - last));
            re += QStringLiteral("(.*?)");
            last = m.capturedEnd();
        }
        re += QRegularExpression::escape(source.mid(last)) + QLatin1Char('$');
        CorePattern p{source, QRegularExpression(re, QRegularExpression::DotMatchesEverythingOption)};
        if (p.match.isValid())
            g_patterns.push_back(std::move(p));
    }
    // The longest source first: the most specific entry wins.
    std::sort(g_patterns.begin(), g_patterns.end(),
              [](const CorePattern& a, const CorePattern& b) { return a.source.size() > b.source.size(); });
}

QString Exact(const QString& text)
{
    if (!g_program || text.isEmpty())
        return {};
    return g_program->translate("core", text.toUtf8().constData());
}

} // namespace

UiLanguage LanguageForLocale(const QString& locale)
{
    const QString name = locale.section(QLatin1Char('.'), 0, 0).section(QLatin1Char('@'), 0, 0);
    if (name.isEmpty() || name == QLatin1String("C") || name == QLatin1String("POSIX") ||
        name == QLatin1String("ja") || name.startsWith(QLatin1String("ja_")))
        return UiLanguage::Japanese;
    return UiLanguage::English;
}

QString SessionLocale()
{
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString value = qEnvironmentVariable(name);
        if (!value.isEmpty())
            return value;
    }
    return QStringLiteral("C");
}

QString StoredLanguagePreference()
{
    QSettings settings(QStringLiteral("Lumo"), QStringLiteral("Tesvan"));
    const QString lang = settings.value(QStringLiteral("Settings/Language")).toString();
    return lang == QLatin1String("en") || lang == QLatin1String("ja") ? lang : QString();
}

void StoreLanguagePreference(QSettings& settings, const QString& lang)
{
    if (lang.isEmpty())
        settings.remove(QStringLiteral("Settings/Language"));
    else
        settings.setValue(QStringLiteral("Settings/Language"), lang);
}

UiLanguage ChooseLanguage(const QString& langOption, bool readPreference)
{
    QString lang = langOption;
    if (lang.isEmpty() && readPreference)
        lang = StoredLanguagePreference();
    if (lang == QLatin1String("en"))
        return UiLanguage::English;
    if (lang == QLatin1String("ja"))
        return UiLanguage::Japanese;
    return LanguageForLocale(SessionLocale());
}

QString LanguageCode(UiLanguage language)
{
    return language == UiLanguage::English ? QStringLiteral("en") : QStringLiteral("ja");
}

void InstallLanguage(UiLanguage language)
{
    g_language = language;
    if (!g_program) {
        g_program = new QTranslator;
        g_qt = new QTranslator;
    }
    QCoreApplication::removeTranslator(g_program);
    QCoreApplication::removeTranslator(g_qt);
    const QString code = LanguageCode(language);
    // Japanese is the program's own language: only Qt's texts need one.
    if (language != UiLanguage::Japanese &&
        g_program->load(QStringLiteral(":/i18n/tesvan_%1.qm").arg(code)))
        QCoreApplication::installTranslator(g_program);
    if (g_qt->load(QStringLiteral("qtbase_%1").arg(code),
                   QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(g_qt);
    if (language == UiLanguage::Japanese)
        g_patterns.clear();
    else
        LoadPatterns(code);
}

UiLanguage CurrentLanguage() { return g_language; }

namespace {

// A part may itself be assembled ("%1\n%2" holding a file message): parts
// are translated the same way, a few levels deep.
QString Translate(const QString& text, int depth)
{
    const QString exact = Exact(text);
    if (!exact.isEmpty())
        return exact;
    for (const CorePattern& p : g_patterns) {
        const QRegularExpressionMatch m = p.match.match(text);
        if (!m.hasMatch())
            continue;
        const QString translation = Exact(p.source);
        if (translation.isEmpty())
            break;
        // Each %N once, left to right, so a part holding "%2" stays as it is.
        static const QRegularExpression numbered(QStringLiteral("%([1-9])"));
        QString out;
        int last = 0;
        for (auto it = numbered.globalMatch(translation); it.hasNext();) {
            const QRegularExpressionMatch ph = it.next();
            out += translation.mid(last, ph.capturedStart() - last);
            const QString part = m.captured(ph.captured(1).toInt());
            out += depth < 4 ? Translate(part, depth + 1) : part;
            last = ph.capturedEnd();
        }
        return out + translation.mid(last);
    }
    return text;
}

} // namespace

QString TrCore(const QString& text)
{
    if (g_language == UiLanguage::Japanese || text.isEmpty())
        return text;
    return Translate(text, 0);
}

std::string TrCore(const std::string& text)
{
    if (g_language == UiLanguage::Japanese)
        return text;
    return TrCore(QString::fromStdString(text)).toStdString();
}
