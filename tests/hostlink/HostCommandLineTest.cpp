#include <gtest/gtest.h>

#include "hostlink/HostCommandLine.h"

using namespace tessel;

namespace {

QString outcome(const QString &text)
{
    const auto result = ParseHostCommandLine(text);
    if (!result)
        return result.error().Problem + QStringLiteral(" \"") + result.error().Field + u'"';
    EXPECT_EQ(result->Text, text);
    return QStringLiteral("%1 %2 %3 [%4]")
        .arg(result->NotifyhWnd)
        .arg(result->RefreshhWnd)
        .arg(result->ShutdownhWnd)
        .arg(result->HostIniDir);
}

// The fields are taken while text remains, the directory is all that follows
// the third blank. A handle field that is no number (an empty one included)
// is a type mismatch, one beyond 32 bits after rounding half to even an
// overflow; either names the field as given.
TEST(HostCommandLineTest, ReadsTheHandlesAndTheDirectory)
{
    const std::pair<const char *, const char *> cases[] = {
        {"", "0 0 0 []"},
        {"5 ", "5 0 0 []"},
        {"1 2 3  /My Maps/", "1 2 3 [ /My Maps/]"},
        {"-5 2147483647 -2147483648 d", "-5 2147483647 -2147483648 [d]"},
        {"12.5 13.5 +7", "12 14 7 []"},
        {"1  3 /velum/", "Type mismatch \"\""},
        {"1 2 3x", "Type mismatch \"3x\""},
        {"0x10 2 3", "Type mismatch \"0x10\""},
        {"1 -2147483649 3", "Overflow \"-2147483649\""},
        {"1 2 2147483647.5", "Overflow \"2147483647.5\""},
        {"1 2 -2147483648.5", "1 2 -2147483648 []"},
    };
    for (const auto &[text, expected] : cases)
        EXPECT_EQ(outcome(QString::fromUtf8(text)), QString::fromUtf8(expected)) << text;
}

TEST(HostCommandLineTest, JoinsTheArgumentsAndNamesTheProblemOfAFailure)
{
    EXPECT_EQ(CommandLineText(
                  {QStringLiteral("tessel"), QStringLiteral("1"), QString(), QStringLiteral("/My Maps/")}),
              QStringLiteral("1  /My Maps/"));
    const QString text = QStringLiteral("1 2x 3");
    EXPECT_EQ(
        DescribeCommandLineError({TypeMismatch, QStringLiteral("2x")}, text),
        QStringLiteral("Tessel cannot start: the command line is not valid.\n\nType mismatch: the window "
                       "handle \"2x\" is not a number.\n\nCommand line: 1 2x 3"));
    EXPECT_TRUE(
        DescribeCommandLineError({TypeMismatch, QString()}, text).contains(QStringLiteral("is empty")));
    EXPECT_TRUE(
        DescribeCommandLineError({Overflow, QStringLiteral("4294967296")}, text)
            .contains(QStringLiteral("Overflow: the window handle \"4294967296\" is outside the range")));
}

} // namespace
