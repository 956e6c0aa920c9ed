#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QKeySequence>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "i18n/MessageTable.h"
#include "i18n/Messages.h"
#include "tests/i18n/ShippedTable.h"
#include "tests/support/TestFiles.h"

using namespace tessel;

namespace {

class MessageTableTest : public ::testing::Test
{
protected:
    // Writes bytes as the translation file and loads it.
    bool load(const QByteArray &bytes)
    {
        test::writeBytes(path(), bytes);
        const Result<void> loaded = table.LoadTable(path());
        error = loaded ? QString() : loaded.error();
        return loaded.has_value();
    }

    QString path() const { return directory.filePath(QStringLiteral("TESSEL.LRT")); }

    QTemporaryDir directory;
    LanguageSetting language;
    MessageTable table{language};
    QString error;
};

TEST_F(MessageTableTest, ReadsEntriesWithCommentsBlanksAndWindowsLineEndings)
{
    ASSERT_TRUE(load("\xEF\xBB\xBF# header comment\r\n"
                     "\r\n"
                     "English:   Delete Selected Entry?  \r\n"
                     "  # a comment inside the entry\r\n"
                     "German:Ausgew\xC3\xA4hlten Eintrag l\xC3\xB6schen?\r\n"
                     "French: Supprimer : oui ?\r\n"
                     "   \r\n"
                     "English: &Close\r\n"
                     "German: &Schlie\xC3\x9F"
                     "en"))
        << error.toStdString();

    EXPECT_EQ(table.languages(), QStringList({QStringLiteral("German"), QStringLiteral("French")}));
    language.SetLanguage(QStringLiteral("gERMAN"));
    EXPECT_EQ(table.Translate(QStringLiteral("Delete Selected Entry?")),
              QStringLiteral("Ausgewählten Eintrag löschen?"));
    EXPECT_EQ(table.Translate(QStringLiteral("&Close")), QStringLiteral("&Schließen"));
    // Only the first colon ends the language name.
    EXPECT_EQ(table.translation(QStringLiteral("Delete Selected Entry?"), QStringLiteral("French")),
              QStringLiteral("Supprimer : oui ?"));
}

TEST_F(MessageTableTest, MissingFileOrTranslationGivesTheEnglishText)
{
    EXPECT_TRUE(table.LoadTable(directory.filePath(QStringLiteral("absent.LRT"))));
    EXPECT_TRUE(table.languages().isEmpty());

    ASSERT_TRUE(load("English: Scales\n"
                     "German: Maßstäbe\n"
                     "French:\n"
                     "\n"
                     "English: Options\n"
                     "French: Options\n"))
        << error.toStdString();

    language.SetLanguage(QStringLiteral("French"));
    EXPECT_EQ(table.Translate(QStringLiteral("Scales")), QStringLiteral("Scales"));
    EXPECT_EQ(table.Translate(QStringLiteral("Not in the file")), QStringLiteral("Not in the file"));
    EXPECT_TRUE(table.translation(QStringLiteral("Scales"), QStringLiteral("French")).isEmpty());

    language.SetLanguage(QStringLiteral("German"));
    EXPECT_EQ(table.Translate(QStringLiteral("Options")), QStringLiteral("Options"));

    language.SetLanguage(QStringLiteral("Klingon"));
    EXPECT_EQ(table.Translate(QStringLiteral("Scales")), QStringLiteral("Scales"));
}

struct MalformedCase
{
    const char *name;
    QByteArray content;
    int line;
    const char *problem;
};

class MalformedFileTest : public MessageTableTest,
                          public ::testing::WithParamInterface<MalformedCase>
{
};

TEST_P(MalformedFileTest, IsRefusedNamingFileLineAndProblem)
{
    const MalformedCase &bad = GetParam();
    EXPECT_FALSE(load(bad.content));
    EXPECT_TRUE(error.contains(path())) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("line %1:").arg(bad.line))) << error.toStdString();
    EXPECT_TRUE(error.contains(QLatin1String(bad.problem))) << error.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Rules, MalformedFileTest,
    ::testing::Values(
        MalformedCase{"TranslationBeforeEnglish", "# c\nGerman: Neu\n", 2, "outside an entry"},
        MalformedCase{"TranslationAfterBlankLine", "English: New\n\nGerman: Neu\n", 3,
                      "outside an entry"},
        MalformedCase{"TwoEnglishLines", "English: New\nEnglish: Old\n", 2, "second English"},
        MalformedCase{"LanguageTwiceInEntry", "English: New\nGerman: Neu\nGERMAN: Neu\n", 3,
                      "second GERMAN"},
        MalformedCase{"EnglishTextTwice", "English: New\nGerman: Neu\n\nEnglish: New\n", 4,
                      "already has an entry at line 1"},
        MalformedCase{"EmptyEnglish", "English:\nGerman: Neu\n", 1, "English text is empty"},
        MalformedCase{"LineWithoutColon", "English: New\nGerman Neu\n", 2, "expected a line"},
        MalformedCase{"WrappedTextLine", "English: Unexpected error reading\nICF file: ^n^1\n", 2,
                      "not a language name"},
        MalformedCase{"WrappedTextLineOfOneWord", "English: Unexpected error reading ICF\nfile: ^n^1\n",
                      2, "not a language name"}),
    [](const ::testing::TestParamInfo<MalformedCase> &info) { return info.param.name; });

TEST_F(MessageTableTest, RefusedFileLeavesNoTranslationsBehind)
{
    // Neither the table loaded before nor the entries read before the error remain.
    ASSERT_TRUE(load("English: New\nGerman: Neu\n"));
    EXPECT_FALSE(load("English: Old\nGerman: Alt\nGerman: Alt\n"));
    language.SetLanguage(QStringLiteral("German"));
    EXPECT_EQ(table.Translate(QStringLiteral("New")), QStringLiteral("New"));
    EXPECT_EQ(table.Translate(QStringLiteral("Old")), QStringLiteral("Old"));

    EXPECT_FALSE(load("English: Delete\nGerman: L\xF6schen\n"));
    EXPECT_TRUE(error.contains(QStringLiteral("UTF-8"))) << error.toStdString();

    ASSERT_TRUE(QFile::remove(path()));
    ASSERT_TRUE(QDir(directory.path()).mkdir(QStringLiteral("TESSEL.LRT")));
    const Result<void> loaded = table.LoadTable(path());
    ASSERT_FALSE(loaded);
    EXPECT_TRUE(loaded.error().contains(QStringLiteral("cannot be read"))) << loaded.error().toStdString();
}

// The translation file that ships with the program.
class ShippedTableTest : public ::testing::Test
{
protected:
    void SetUp() override { test::loadShippedTable(table); }

    static QStringList placeholders(const QString &text)
    {
        QStringList found;
        static const QRegularExpression placeholder(QStringLiteral("\\^[1-9]"));
        for (const QRegularExpressionMatch &match : placeholder.globalMatch(text))
            found.append(match.captured());
        found.sort();
        return found;
    }

    LanguageSetting language;
    MessageTable table{language};
    const QStringList shippedLanguages{QStringLiteral("German"), QStringLiteral("French")};
};

TEST_F(ShippedTableTest, TranslatesEveryMessageAndEntryIntoEveryShippedLanguage)
{
    for (const QString &language : shippedLanguages) {
        ASSERT_TRUE(table.languages().contains(language));
        for (const QString &english : Msg::all() + table.englishTexts())
            EXPECT_FALSE(table.translation(english, language).isEmpty())
                << language.toStdString() << ": " << english.toStdString();
    }
}

TEST_F(ShippedTableTest, TranslationsKeepPlaceholdersAndAccessKeys)
{
    for (const QString &english : table.englishTexts()) {
        const bool hasAccessKey = !QKeySequence::mnemonic(english).isEmpty();
        for (const QString &language : table.languages()) {
            const QString translated = table.translation(english, language);
            const std::string where = language.toStdString() + ": " + english.toStdString();
            EXPECT_EQ(placeholders(translated), placeholders(english)) << where;
            EXPECT_EQ(!QKeySequence::mnemonic(translated).isEmpty(), hasAccessKey) << where;
            EXPECT_EQ(translated.count(u'&'), english.count(u'&')) << where;
        }
    }
}

TEST_F(ShippedTableTest, FileFilterKeepsItsPatterns)
{
    const QStringList englishFields = Msg::DldFileFilter.split(u'|');
    for (const QString &language : shippedLanguages) {
        const QStringList fields = table.translation(Msg::DldFileFilter, language).split(u'|');
        ASSERT_EQ(fields.size(), englishFields.size()) << language.toStdString();
        for (qsizetype pattern = 1; pattern < fields.size(); pattern += 2)
            EXPECT_EQ(fields.at(pattern), englishFields.at(pattern)) << language.toStdString();
    }
}

} // namespace
