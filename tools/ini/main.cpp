// tessel-ini: reads and writes profile files the way Tessel does, for scripts.
#include "platform/SafeFile.h"
#include "profile/ProfilePaths.h"
#include "profile/ProfileReading.h"
#include "profile/ProfileStore.h"
#include "tools/common/ProfileFileCheck.h"

#include <QString>
#include <QStringList>

#include <cstdio>

using namespace tessel;

namespace {

constexpr int ExitOk = 0;
constexpr int ExitRefused = 1;
constexpr int ExitUsage = 2;

const char Usage[] =
    "Usage: tessel-ini get FILE SECTION KEY [DEFAULT]   print the value of KEY\n"
    "       tessel-ini keys FILE SECTION                 print the keys of SECTION, one a line\n"
    "       tessel-ini sections FILE                     print the sections, one a line\n"
    "       tessel-ini set FILE SECTION KEY VALUE        write KEY=VALUE in SECTION\n"
    "       tessel-ini delete FILE SECTION               remove SECTION and its keys\n"
    "A FILE without a directory is the file of that name in the profile directory\n"
    "($XDG_CONFIG_HOME, or ~/.config). Arguments and output are UTF-8. set refuses\n"
    "a value that would not read back as given and characters the file cannot hold.\n";

void Print(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

// Prints a list result of the store one name a line.
void PrintNames(const QString &list)
{
    Print(QString(list).replace(ListSeparator, QLatin1Char('\n')));
}

int Refuse(const QString &message)
{
    std::fprintf(stderr, "tessel-ini: %s\n", message.toUtf8().constData());
    return ExitRefused;
}

int Written(const WriteResult &written, const QString &what)
{
    return written ? ExitOk : Refuse(what + QStringLiteral(" was not written: ") + written.error().detail);
}

// Whether key=value can be written to the file so that it reads back as
// given, or why not.
Result<void> CheckWrite(const QString &section, const QString &key, const QString &value, const QString &file)
{
    const ProfileCodec codec = CodecOfFile(file);
    for (const QString &name : {section, key}) {
        if (const Result<void> encodable = CheckEncodable(name, codec); !encodable)
            return encodable;
    }
    return CheckStoredValue(value, codec);
}

int Run(const QStringList &arguments)
{
    const QString command = arguments.value(0);
    const qsizetype count = arguments.size();
    if (count >= 2) {
        if (const Result<void> kind = CheckFileKind(ResolveProfilePath(arguments[1])); !kind)
            return Refuse(kind.error());
    }
    if (command == u"get" && (count == 4 || count == 5)) {
        const QString value = ReadProfileString(arguments[2], arguments[3], arguments.value(4), arguments[1]);
        if (arguments[3].isEmpty())
            PrintNames(value);
        else
            Print(value + QLatin1Char('\n'));
        return ExitOk;
    }
    if (command == u"keys" && count == 3) {
        PrintNames(ReadProfileKeys(arguments[2], arguments[1]));
        return ExitOk;
    }
    if (command == u"sections" && count == 2) {
        PrintNames(ReadProfileSections(arguments[1]));
        return ExitOk;
    }
    if (command == u"set" && count == 5) {
        const QString what = arguments[3] + QStringLiteral(" in [") + arguments[2] + u']';
        const Result<void> writable =
            CheckWrite(arguments[2], arguments[3], arguments[4], ResolveProfilePath(arguments[1]));
        if (!writable)
            return Refuse(what + QStringLiteral(" was not written: ") + writable.error());
        return Written(WriteProfileString(arguments[2], arguments[3], arguments[4], arguments[1]),
                       what);
    }
    if (command == u"delete" && count == 3)
        return Written(DeleteProfileSection(arguments[2], arguments[1]), u'[' + arguments[2] + u']');
    std::fputs(Usage, stderr);
    return ExitUsage;
}

} // namespace

int main(int argc, char **argv)
{
    ReportFileSizeLimitAsFullDisk();
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromUtf8(argv[i]));
    return Run(arguments);
}
