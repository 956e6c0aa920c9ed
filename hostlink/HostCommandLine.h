#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include "platform/Result.h"

// The command line with which the GIS host starts the program: the handles of
// three host windows in decimal and the directory of the host's profile file,
// "NOTIFY REFRESH SHUTDOWN DIRECTORY", separated by single blanks.
namespace tessel {

struct HostCommandLine
{
    QString Text; // the whole command-line text, as given
    qint32 NotifyhWnd = 0; // receives the signals that go with TesselSignal
    qint32 RefreshhWnd = 0; // receives the REFRESH signal
    qint32 ShutdownhWnd = 0; // is told that the program is closing
    QString HostIniDir; // prefix of VELUMGIS.INI, used unchanged
};

// A handle field that is not a 32-bit whole number.
struct CommandLineError
{
    QString Problem; // TypeMismatch or Overflow
    QString Field; // the offending field as given
};

inline const QString TypeMismatch = QStringLiteral("Type mismatch");
inline const QString Overflow = QStringLiteral("Overflow");

// The command-line text: of the program's arguments as the application
// gives them, all but the first (the program name) joined by single blanks.
QString CommandLineText(const QStringList &arguments);

// Splits the command-line text into its fields. Each field is present only
// while text remains: "5" sets the notify handle alone, the directory is all
// of the text after the third blank, blanks included. A handle field must be
// a number (an empty field between two blanks is not) within the signed
// 32-bit range after rounding to a whole number.
Result<HostCommandLine, CommandLineError> ParseHostCommandLine(const QString &text);

// The message that stops start-up on a command line that cannot be parsed.
QString DescribeCommandLineError(const CommandLineError &error, const QString &text);

} // namespace tessel
