// The interface language: which locales get which language, and the
// translation of core texts with variable parts.
#include "GuiTestSupport.h"

#include "app/CommandLine.h"
#include "views/Language.h"

#include <gtest/gtest.h>

TEST(Language, LocaleDecidesAndCLocaleKeepsJapanese)
{
    EXPECT_EQ(LanguageForLocale(QStringLiteral("C")), UiLanguage::Japanese);
    EXPECT_EQ(LanguageForLocale(QStringLiteral("C.UTF-8")), UiLanguage::Japanese);
    EXPECT_EQ(LanguageForLocale(QStringLiteral("POSIX")), UiLanguage::Japanese);
    EXPECT_EQ(LanguageForLocale(QStringLiteral("ja_JP.UTF-8")), UiLanguage::Japanese);
    EXPECT_EQ(LanguageForLocale(QStringLiteral("en_GB.UTF-8")), UiLanguage::English);
    EXPECT_EQ(LanguageForLocale(QStringLiteral("de_DE@euro")), UiLanguage::English);
    EXPECT_EQ(ChooseLanguage(QStringLiteral("en"), false), UiLanguage::English);
    EXPECT_EQ(ChooseLanguage(QStringLiteral("ja"), false), UiLanguage::Japanese);
}

TEST(Language, CoreTextsWithPartsAndUnknownTexts)
{
    EnsureApp();
    InstallLanguage(UiLanguage::English);
    EXPECT_EQ(TrCore(QStringLiteral("無題")), QStringLiteral("Untitled"));
    EXPECT_EQ(TrCore(QStringLiteral("無題 への変更を保存しますか?")), QStringLiteral("Save changes to Untitled?"));
    EXPECT_EQ(TrCore(QStringLiteral("最大拡大率は3倍です。")), QStringLiteral("The largest scale is 3×."));
    // A text without an entry is shown as it is.
    EXPECT_EQ(TrCore(QStringLiteral("未知の文")), QStringLiteral("未知の文"));
    InstallLanguage(UiLanguage::Japanese);
    EXPECT_EQ(TrCore(QStringLiteral("無題")), QStringLiteral("無題"));
}

TEST(CommandLine, OptionsValuesAndErrors)
{
    const auto parse = [](std::initializer_list<const char*> args) {
        QStringList list{QStringLiteral("tesvan")};
        for (const char* a : args)
            list << QString::fromUtf8(a);
        return ParseCommandLine(list);
    };
    CommandLine cl = parse({"--lang", "en", "a.tvn"});
    EXPECT_TRUE(cl.error.isEmpty());
    EXPECT_EQ(cl.lang, QStringLiteral("en"));
    EXPECT_EQ(cl.files, QStringList{QStringLiteral("a.tvn")});
    EXPECT_EQ(cl.mode, LaunchMode::Editor);
    EXPECT_EQ(parse({"--export=o.png", "--layer", "3", "a.tvn"}).mode, LaunchMode::Batch);
    EXPECT_EQ(parse({"--print-to=x.pdf", "a.tvn"}).mode, LaunchMode::ShellPrint);
    EXPECT_TRUE(parse({"-h"}).help);
    EXPECT_TRUE(parse({"--bogus"}).error.contains(QStringLiteral("--bogus")));
    EXPECT_TRUE(parse({"-x"}).error.contains(QStringLiteral("-x")));
    EXPECT_TRUE(parse({"--script"}).error.contains(QStringLiteral("--script")));
    EXPECT_FALSE(parse({"--lang=fr"}).error.isEmpty());
    EXPECT_FALSE(parse({"--version=2"}).error.isEmpty());
    // After "--" everything is a file.
    EXPECT_EQ(parse({"--", "--bogus"}).files, QStringList{QStringLiteral("--bogus")});
}
