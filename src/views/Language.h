// The interface language and the translation of every shown text.
//
// Texts of the Qt widgets go through tr(). Texts of the Qt-free core
// (messages, questions, undo names, command texts) stay Japanese inside the
// program and are translated where they are shown, by TrCore, looked up in
// the context "core" by their Japanese text. A core text that the program
// assembles from pieces ("%1 への変更を保存しますか?" with a title) matches
// the entry that names the variable parts %1, %2, ...; a part that is itself
// a core text is translated too.
#pragma once

#include <QString>

class QSettings;

#include <string>

enum class UiLanguage { Japanese, English };

// The language a locale name asks for: Japanese for ja_* and for the C and
// POSIX locales (so batch runs and scripts keep the program's own texts),
// English for every other locale.
UiLanguage LanguageForLocale(const QString& locale);
// The session's locale for messages: LC_ALL, LC_MESSAGES, then LANG.
QString SessionLocale();
// --lang (when given) decides; otherwise the stored preference (when one
// is to be read) and then the session's locale.
UiLanguage ChooseLanguage(const QString& langOption, bool readPreference);
// The preference stored in the settings ("en", "ja" or empty).
QString StoredLanguagePreference();
// Puts the preference into a settings change (the shell writes the file
// whole through the file writer).
void StoreLanguagePreference(QSettings& settings, const QString& lang);

// Loads the program's and Qt's own translations for the language and
// installs them in the running application (the choice is kept even
// without one, for TrCore).
void InstallLanguage(UiLanguage language);
UiLanguage CurrentLanguage();
// "en" or "ja".
QString LanguageCode(UiLanguage language);

// A core text in the interface language.
QString TrCore(const QString& text);
std::string TrCore(const std::string& text);
