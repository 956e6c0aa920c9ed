#include "hostlink/HostCommandLine.h"

#include <limits>

#include "platform/TextHelpers.h"
#include "profile/NumericText.h"

namespace tessel {
namespace {

Result<qint32, CommandLineError> toHandle(const QString &field)
{
    if (!IsNumericText(field))
        return Failure{CommandLineError{TypeMismatch, field}};
    const double value = RoundHalfEven(LeadingNumber(field));
    if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max())
        return Failure{CommandLineError{Overflow, field}};
    return qint32(value);
}

} // namespace

QString CommandLineText(const QStringList &arguments)
{
    return arguments.mid(1).join(QLatin1Char(' '));
}

Result<HostCommandLine, CommandLineError> ParseHostCommandLine(const QString &text)
{
    HostCommandLine result;
    result.Text = text;
    QString rest = text;
    for (qint32 *handle : {&result.NotifyhWnd, &result.RefreshhWnd, &result.ShutdownhWnd}) {
        if (rest.isEmpty())
            return result;
        const auto converted = toHandle(NextToken(rest, QStringLiteral(" ")));
        if (!converted)
            return Failure{converted.error()};
        *handle = *converted;
    }
    result.HostIniDir = rest;
    return result;
}

QString DescribeCommandLineError(const CommandLineError &error, const QString &text)
{
    QString reason = QStringLiteral("is not a number");
    if (error.Problem == Overflow)
        reason = QStringLiteral("is outside the range of a window handle");
    else if (error.Field.isEmpty())
        reason = QStringLiteral("is empty (two blanks in a row)");
    return QStringLiteral("Tessel cannot start: the command line is not valid.\n\n"
                          "%1: the window handle \"%2\" %3.\n\nCommand line: %4")
        .arg(error.Problem, error.Field, reason, text);
}

} // namespace tessel
