#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "i18n/MessageTable.h"
#include "i18n/MessageText.h"
#include "tests/support/TestFiles.h"

using namespace tessel;

namespace {

class SelectLanguageTest : public ::testing::Test
{
protected:
    QString selectWith(const QByteArray &languageIni)
    {
        test::writeBytes(appDir.filePath(QStringLiteral("LANGUAGE.INI")), languageIni);
        return select();
    }

    QString select()
    {
        language.SetLanguage(QStringLiteral("before"));
        SelectLanguage(appDir.path(), language);
        return language.language();
    }

    QTemporaryDir appDir;
    LanguageSetting language;
};

TEST_F(SelectLanguageTest, NoLanguageFileMeansEnglish)
{
    EXPECT_EQ(select(), QStringLiteral("English"));
}

TEST_F(SelectLanguageTest, MissingOrEmptyValueMeansEnglish)
{
    EXPECT_EQ(selectWith("[Language]\r\nActiveLanguage=\r\n"), QStringLiteral("English"));
    EXPECT_EQ(selectWith("[Language]\r\nOther=German\r\n"), QStringLiteral("English"));
    EXPECT_EQ(selectWith("[Other]\r\nActiveLanguage=German\r\n"), QStringLiteral("English"));
}

TEST_F(SelectLanguageTest, NameIsHandedOverAsWritten)
{
    EXPECT_EQ(selectWith("[Language]\r\nActiveLanguage=German\r\n"), QStringLiteral("German"));
    EXPECT_EQ(selectWith("[language]\r\nactivelanguage=fRENCH\r\n"), QStringLiteral("fRENCH"));
    EXPECT_EQ(selectWith("[Language]\r\nActiveLanguage=Klingon\r\n"), QStringLiteral("Klingon"));
}

} // namespace
