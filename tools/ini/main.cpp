// tessel-ini: reads and writes profile files the way Tessel does, for scripts.
#include "platform/SafeFile.h"
#include "profile/ProfileDocument.h"
#include "profile/ProfilePaths.h"
#include "profile/ProfileReading.h"
#include "profile/StoredValue.h"
#include "profile/ProfileStore.h"
#include "tools/common/ProfileFileCheck.h"

#include <QString>
#include <QStringList>

#include <cerrno>
#include <cstdio>
#include <cstring>

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
    "       tessel-ini --help | --version\n"
    "A FILE without a directory is the file of that name in the profile directory\n"
    "($XDG_CONFIG_HOME, or ~/.config). Arguments and output are UTF-8. set refuses\n"
    "a value that would not read back as given and characters the file cannot hold.\n"
    "A FILE that cannot be read, and a list of names longer than a read gives\n"
    "whole, exit 1.\n";

void PrintBytes(QByteArrayView bytes)
{
    std::fwrite(bytes.data(), 1, size_t(bytes.size()), stdout);
}

void Print(const QString &text)
{
    PrintBytes(text.toUtf8());
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

int BadUsage(const QString &problem)
{
    std::fprintf(stderr, "tessel-ini: %s\nTry 'tessel-ini --help'.\n", problem.toUtf8().constData());
    return ExitUsage;
}

// Prints the names one a line, as long as they fit the store's list; a list
// that does not fit would read as no names at all.
int PrintNames(const QStringList &names, const QString &what)
{
    const QString list = JoinNameList(names);
    if (list.isEmpty() && !names.isEmpty()) {
        return Refuse(
            QStringLiteral("the %1 do not fit the read buffer of %2 characters; nothing was printed")
                .arg(what)
                .arg(ReadBufferLimit));
    }
    Print(QString(list).replace(ListSeparator, QLatin1Char('\n')));
    return ExitOk;
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
    if (const WriteResult stored = CheckStoredValue(value, codec); !stored)
        return Failure{stored.error().detail};
    return {};
}

// The file as it is now: a missing one is empty, one that cannot be read
// is refused with the reason.
Result<std::shared_ptr<const ProfileDocument>> ReadFile(const QString &file)
{
    auto document = ReadProfileDocument(file);
    if (!document)
        return Failure{
            QStringLiteral("cannot read %1: %2").arg(ResolveProfilePath(file), document.error().text)};
    return *document;
}

int Read(const QStringList &arguments)
{
    const Result<std::shared_ptr<const ProfileDocument>> document = ReadFile(arguments[1]);
    if (!document)
        return Refuse(document.error());
    const QString &command = arguments[0];
    if (command == u"sections")
        return PrintNames((*document)->sectionNames(), QStringLiteral("section names"));
    if (command == u"keys" || arguments[3].isEmpty())
        return PrintNames(arguments[2].isEmpty() ? QStringList() : (*document)->keyNames(arguments[2]),
                          QStringLiteral("key names"));
    Print(LookupString(**document, arguments[2], arguments[3], arguments.value(4)) + QLatin1Char('\n'));
    return ExitOk;
}

int Run(const QStringList &arguments)
{
    const QString command = arguments.value(0);
    const qsizetype count = arguments.size();
    if (command == u"--help" && count == 1) {
        PrintBytes(QByteArrayView(Usage));
        return ExitOk;
    }
    if (command == u"--version" && count == 1) {
        PrintBytes(QByteArrayView("tessel-ini " TESSEL_VERSION "\n"));
        return ExitOk;
    }
    const bool reads = (command == u"get" && (count == 4 || count == 5)) || (command == u"keys" && count == 3)
        || (command == u"sections" && count == 2);
    const bool writes = (command == u"set" && count == 5) || (command == u"delete" && count == 3);
    if (!reads && !writes) {
        if (command.isEmpty())
            return BadUsage(QStringLiteral("no command given"));
        const QStringList commands{QStringLiteral("get"), QStringLiteral("keys"), QStringLiteral("sections"),
                                   QStringLiteral("set"), QStringLiteral("delete")};
        if (!commands.contains(command))
            return BadUsage(QStringLiteral("\"%1\" is no tessel-ini command").arg(command));
        return BadUsage(QStringLiteral("wrong number of arguments for %1").arg(command));
    }
    if (const Result<void> kind = CheckFileKind(ResolveProfilePath(arguments[1])); !kind)
        return Refuse(kind.error());
    if (reads)
        return Read(arguments);
    if (command == u"set") {
        const QString what = arguments[3] + QStringLiteral(" in [") + arguments[2] + u']';
        const Result<void> writable =
            CheckWrite(arguments[2], arguments[3], arguments[4], ResolveProfilePath(arguments[1]));
        if (!writable)
            return Refuse(what + QStringLiteral(" was not written: ") + writable.error());
        return Written(WriteProfileString(arguments[2], arguments[3], arguments[4], arguments[1]), what);
    }
    return Written(DeleteProfileSection(arguments[2], arguments[1]), u'[' + arguments[2] + u']');
}

} // namespace

int main(int argc, char **argv)
{
    ReportFileSizeLimitAsFullDisk();
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromUtf8(argv[i]));
    const int exit = Run(arguments);
    // Output that did not reach its file (a full disk, /dev/full) is no success.
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "tessel-ini: cannot write the output: %s\n", std::strerror(errno));
        return ExitRefused;
    }
    return exit;
}
