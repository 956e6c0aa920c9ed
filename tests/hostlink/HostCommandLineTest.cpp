#include <gtest/gtest.h>

#include "hostlink/HostCommandLine.h"

using namespace tessel;

namespace {

HostCommandLine parsed(const QString &text)
{
    const auto result = ParseHostCommandLine(text);
    if (!result) {
        ADD_FAILURE() << "unexpected " << result.error().Problem.toStdString() << " on \""
                      << result.error().Field.toStdString() << "\"";
        return {};
    }
    return *result;
}

CommandLineError rejected(const QString &text)
{
    const auto result = ParseHostCommandLine(text);
    if (result) {
        ADD_FAILURE() << "accepted \"" << text.toStdString() << "\"";
        return {};
    }
    return result.error();
}

struct Fields
{
    const char *text;
    qint32 notify;
    qint32 refresh;
    qint32 shutdown;
    const char *directory;
};

TEST(HostCommandLineTest, FieldsAreTakenWhileTextRemains)
{
    const Fields cases[] = {
        {"", 0, 0, 0, ""},
        {"5", 5, 0, 0, ""},
        {"5 ", 5, 0, 0, ""},
        {"1 2 3", 1, 2, 3, ""},
        {"1 2 3 ", 1, 2, 3, ""},
        {"1 2 3 /home/gis/velum/", 1, 2, 3, "/home/gis/velum/"},
        {"1 2 3 /home/gis/My Maps/velum/", 1, 2, 3, "/home/gis/My Maps/velum/"},
        {"1 2 3  /leading blank", 1, 2, 3, " /leading blank"},
        {"0 2 3 /velum", 0, 2, 3, "/velum"},
        {"-5 2147483647 -2147483648 d", -5, 2147483647, -2147483647 - 1, "d"},
        {"12.5 13.5 +7", 12, 14, 7, ""},
    };
    for (const Fields &c : cases) {
        SCOPED_TRACE(c.text);
        const HostCommandLine line = parsed(QString::fromUtf8(c.text));
        EXPECT_EQ(line.Text, QString::fromUtf8(c.text));
        EXPECT_EQ(line.NotifyhWnd, c.notify);
        EXPECT_EQ(line.RefreshhWnd, c.refresh);
        EXPECT_EQ(line.ShutdownhWnd, c.shutdown);
        EXPECT_EQ(line.HostIniDir, QString::fromUtf8(c.directory));
    }
}

// A field that is no number (an empty one included) is a type mismatch, a
// number beyond 32 bits an overflow; either names the field as given.
TEST(HostCommandLineTest, HandleFieldsThatAreNoThirtyTwoBitNumbersAreRejected)
{
    const struct
    {
        const char *text;
        const QString &problem;
        const char *field;
    } cases[] = {
        {"abc 2 3 /velum/", TypeMismatch, "abc"},
        {"1  3 /velum/", TypeMismatch, ""},         // two blanks in a row leave an empty field
        {" 1 2 3", TypeMismatch, ""},
        {"1 2 x3 /velum/", TypeMismatch, "x3"},
        {"1 2 3x", TypeMismatch, "3x"},
        {"0x10 2 3", TypeMismatch, "0x10"},
        {"2147483648 2 3", Overflow, "2147483648"},
        {"1 -2147483649 3", Overflow, "-2147483649"},
        {"1 2 2147483647.5", Overflow, "2147483647.5"},   // rounds up past the range
        {"1 2 99999999999999999999999 /velum/", Overflow, "99999999999999999999999"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        const CommandLineError error = rejected(QString::fromUtf8(c.text));
        EXPECT_EQ(error.Problem, c.problem);
        EXPECT_EQ(error.Field, QString::fromUtf8(c.field));
    }
}

TEST(HostCommandLineTest, ArgumentsAreJoinedBySingleBlanks)
{
    EXPECT_EQ(CommandLineText({QStringLiteral("tessel")}), QString());
    const QString text = CommandLineText({QStringLiteral("tessel"), QStringLiteral("1"), QStringLiteral("2"),
                                          QStringLiteral("3"), QStringLiteral("/home/gis/My Maps/")});
    EXPECT_EQ(text, QStringLiteral("1 2 3 /home/gis/My Maps/"));
    EXPECT_EQ(parsed(text).HostIniDir, QStringLiteral("/home/gis/My Maps/"));
    // An empty argument becomes an empty field.
    EXPECT_EQ(rejected(CommandLineText({QStringLiteral("tessel"), QStringLiteral("1"), QString(),
                                        QStringLiteral("3")}))
                  .Problem,
              TypeMismatch);
}

TEST(HostCommandLineTest, TheErrorMessageNamesTheProblemTheFieldAndTheLine)
{
    const QString text = QStringLiteral("1 2x 3 /velum/");
    const QString message = DescribeCommandLineError(rejected(text), text);
    EXPECT_TRUE(message.contains(QStringLiteral("Type mismatch"))) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("\"2x\""))) << message.toStdString();
    EXPECT_TRUE(message.contains(text)) << message.toStdString();

    const QString overflow = DescribeCommandLineError({Overflow, QStringLiteral("4294967296")}, text);
    EXPECT_TRUE(overflow.contains(QStringLiteral("Overflow: the window handle \"4294967296\"")))
        << overflow.toStdString();
}

} // namespace
