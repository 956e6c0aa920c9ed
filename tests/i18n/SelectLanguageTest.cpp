#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <optional>

#include "i18n/MessageTable.h"
#include "i18n/MessageText.h"
#include "tests/support/TestFiles.h"

using namespace tessel;

namespace {

// The active language as LANGUAGE.INI in the application directory names it,
// or English; languageIni is the file's text, or nothing for no file.
QString selectedLanguage(const std::optional<QByteArray> &languageIni)
{
    QTemporaryDir appDir;
    if (languageIni)
        test::writeBytes(appDir.filePath(QStringLiteral("LANGUAGE.INI")), *languageIni);
    LanguageSetting language;
    language.SetLanguage(QStringLiteral("before"));
    SelectLanguage(appDir.path(), language);
    return language.language();
}

TEST(SelectLanguage, TakesTheNameAsWrittenOrEnglish)
{
    EXPECT_EQ(selectedLanguage(std::nullopt), QStringLiteral("English"));
    EXPECT_EQ(selectedLanguage("[Language]\r\nActiveLanguage=\r\n"), QStringLiteral("English"));
    EXPECT_EQ(selectedLanguage("[Language]\r\nOther=German\r\n"), QStringLiteral("English"));
    EXPECT_EQ(selectedLanguage("[Other]\r\nActiveLanguage=German\r\n"), QStringLiteral("English"));
    EXPECT_EQ(selectedLanguage("[Language]\r\nActiveLanguage=German\r\n"), QStringLiteral("German"));
    EXPECT_EQ(selectedLanguage("[language]\r\nactivelanguage=fRENCH\r\n"), QStringLiteral("fRENCH"));
    EXPECT_EQ(selectedLanguage("[Language]\r\nActiveLanguage=Klingon\r\n"), QStringLiteral("Klingon"));
}

} // namespace
