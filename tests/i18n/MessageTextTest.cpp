#include <gtest/gtest.h>

#include "i18n/MessageTable.h"
#include "i18n/MessageText.h"
#include "i18n/Messages.h"
#include "tests/i18n/ShippedTable.h"

using namespace tessel;

namespace {

const QString DldBuilder = QStringLiteral("C:\\APP\\DLDBUILD.EXE");
const QString FileNotFound = QStringLiteral("File not found");

TEST(TextFormatter, FillsNumberedPlaceholdersInOnePass)
{
    EXPECT_EQ(TextFormatter::FormatText(Msg::ErrorRunning, {DldBuilder, FileNotFound}),
              QStringLiteral("Error while attempting to run C:\\APP\\DLDBUILD.EXE: File not found"));
    EXPECT_EQ(TextFormatter::FormatText(QStringLiteral("^2 before ^1, ^1 again"),
                                        {QStringLiteral("a"), QStringLiteral("b")}),
              QStringLiteral("b before a, a again"));
    const QStringList nine = QStringLiteral("1 2 3 4 5 6 7 8 9").split(u' ');
    EXPECT_EQ(TextFormatter::FormatText(QStringLiteral("^9^8^7^6^5^4^3^2^1"), nine),
              QStringLiteral("987654321"));
    // An absent argument leaves nothing; an inserted one is not expanded again.
    EXPECT_EQ(TextFormatter::FormatText(QStringLiteral("[^1]")), QStringLiteral("[]"));
    EXPECT_EQ(TextFormatter::FormatText(QStringLiteral("^1|^2"),
                                        {QStringLiteral("^2^n"), QStringLiteral("x")}),
              QStringLiteral("^2^n|x"));
    // Other carets stay as they are.
    EXPECT_EQ(TextFormatter::FormatText(QStringLiteral("^0 ^N ^x ^^1 end^"),
                                        {QStringLiteral("one")}),
              QStringLiteral("^0 ^N ^x ^one end^"));
}

TEST(TextFormatter, BreaksLinesWhereCaretNStands)
{
    EXPECT_EQ(TextFormatter::FormatText(Msg::SourceConnected).split(u'\n'),
              QStringList({QStringLiteral("This datasource is currently connected in Velum GIS."),
                           QStringLiteral("Any changes made will not take effect until the"),
                           QStringLiteral("datasource is disconnected/re-connected, or a new"),
                           QStringLiteral("document is created")}));
}

TEST(GetMsgText, WithoutATableGivesTheTextUntouched)
{
    EXPECT_EQ(GetMsgText(nullptr, Msg::AlreadyRunning), Msg::AlreadyRunning);
    EXPECT_EQ(GetMsgText(nullptr, Msg::ErrorRunning, {DldBuilder, FileNotFound}),
              Msg::ErrorRunning);
}

class GetMsgTextWithTable : public ::testing::Test
{
protected:
    void SetUp() override { test::loadShippedTable(table); }

    LanguageSetting language;
    MessageTable table{language};
};

TEST_F(GetMsgTextWithTable, TranslatesThenFillsIn)
{
    language.SetLanguage(QStringLiteral("German"));
    EXPECT_EQ(GetMsgText(&table, Msg::ErrorRunning, {DldBuilder, FileNotFound}),
              QStringLiteral("Fehler beim Versuch, C:\\APP\\DLDBUILD.EXE auszuführen: "
                             "File not found"));
    EXPECT_EQ(GetMsgText(&table, Msg::SourceConnected).count(u'\n'), 3);
}

} // namespace
