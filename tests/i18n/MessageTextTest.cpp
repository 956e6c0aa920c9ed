#include <gtest/gtest.h>

#include "i18n/MessageTable.h"
#include "i18n/MessageText.h"
#include "i18n/Messages.h"
#include "tests/i18n/ShippedTable.h"

using namespace tessel;

namespace {

const QString DldBuilder = QStringLiteral("C:\\APP\\DLDBUILD.EXE");
const QString FileNotFound = QStringLiteral("File not found");

TEST(TextFormatter, FillsNumberedPlaceholdersFromTheirArguments)
{
    EXPECT_EQ(TextFormatter::FormatText(Msg::ErrorRunning, {DldBuilder, FileNotFound}),
              QStringLiteral("Error while attempting to run C:\\APP\\DLDBUILD.EXE: File not found"));
    EXPECT_EQ(TextFormatter::FormatText(QStringLiteral("^2 before ^1, ^1 again"),
                                        {QStringLiteral("a"), QStringLiteral("b")}),
              QStringLiteral("b before a, a again"));
    const QStringList nine{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
                           QStringLiteral("4"), QStringLiteral("5"), QStringLiteral("6"),
                           QStringLiteral("7"), QStringLiteral("8"), QStringLiteral("9")};
    EXPECT_EQ(TextFormatter::FormatText(QStringLiteral("^9^8^7^6^5^4^3^2^1"), nine),
              QStringLiteral("987654321"));
}

TEST(TextFormatter, AbsentArgumentsLeaveNothing)
{
    EXPECT_EQ(TextFormatter::FormatText(Msg::ErrorRunning, {DldBuilder}),
              QStringLiteral("Error while attempting to run C:\\APP\\DLDBUILD.EXE: "));
    EXPECT_EQ(TextFormatter::FormatText(QStringLiteral("[^1]")), QStringLiteral("[]"));
}

TEST(TextFormatter, ExpandsInOnePassSoArgumentsStayAsGiven)
{
    EXPECT_EQ(TextFormatter::FormatText(QStringLiteral("^1|^2"),
                                        {QStringLiteral("^2^n"), QStringLiteral("x")}),
              QStringLiteral("^2^n|x"));
}

TEST(TextFormatter, LeavesOtherCaretsAlone)
{
    EXPECT_EQ(TextFormatter::FormatText(QStringLiteral("^0 ^N ^x ^^1 end^"),
                                        {QStringLiteral("one")}),
              QStringLiteral("^0 ^N ^x ^one end^"));
}

TEST(TextFormatter, BreaksLinesWhereCaretNStands)
{
    const QStringList lines = TextFormatter::FormatText(Msg::SourceConnected).split(u'\n');
    EXPECT_EQ(lines,
              QStringList({QStringLiteral("This datasource is currently connected in Velum GIS."),
                           QStringLiteral("Any changes made will not take effect until the"),
                           QStringLiteral("datasource is disconnected/re-connected, or a new"),
                           QStringLiteral("document is created")}));
    EXPECT_EQ(TextFormatter::FormatText(Msg::ErrorReadingIcf, {FileNotFound}),
              QStringLiteral("Unexpected error reading ICF file: \nFile not found"));
}

TEST(GetMsgText, WithoutATableGivesTheTextUntouched)
{
    EXPECT_EQ(GetMsgText(nullptr, Msg::AlreadyRunning), Msg::AlreadyRunning);
    EXPECT_EQ(GetMsgText(nullptr, Msg::ErrorRunning, {DldBuilder, FileNotFound}),
              Msg::ErrorRunning);
    EXPECT_EQ(GetMsgText(nullptr, Msg::SourceConnected), Msg::SourceConnected);
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
