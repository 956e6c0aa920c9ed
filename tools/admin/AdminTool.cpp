#include "tools/admin/AdminTool.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QIODevice>
#include <QTextStream>

#include "tools/admin/AdminCommands.h"
#include "tools/admin/AdminContext.h"
#include "tools/common/ProfileFileCheck.h"

#include <algorithm>

namespace tessel {
namespace {

// The commands whose results can be written as JSON.
bool TakesFormat(const QString &command)
{
    return command == QLatin1String("list") || command == QLatin1String("show")
           || command == QLatin1String("check") || command == QLatin1String("history")
           || command == QLatin1String("diff") || command == QLatin1String("restore");
}

// Splits the arguments into command, operands and options; false on an
// option that is unknown, lacks its value or has a value it does not take.
bool parseInvocation(const QStringList &arguments, const AdminFiles &defaults, AdminInvocation &call)
{
    const QCommandLineOption registry(QStringLiteral("registry"), {}, QStringLiteral("FILE"));
    const QCommandLineOption sources(QStringLiteral("sources"), {}, QStringLiteral("FILE"));
    const QCommandLineOption format(QStringLiteral("format"), {}, QStringLiteral("text|json"));
    const QCommandLineOption replace(QStringLiteral("replace"));
    const QCommandLineOption force(QStringLiteral("force"));
    const QCommandLineOption dryRun(QStringLiteral("dry-run"));
    const QCommandLineOption help(QStringLiteral("help"));
    QCommandLineParser parser;
    parser.addOptions({registry, sources, format, replace, force, dryRun, help});
    // The parser takes the program name first.
    if (!parser.parse(QStringList{QStringLiteral("tessel-admin")} + arguments))
        return false;
    call.help = parser.isSet(help);
    if (call.help)
        return arguments.size() == 1;
    // A bare file name on the command line means the current directory, not
    // the profile directory the store gives bare names.
    call.files.registry = parser.isSet(registry) ? QFileInfo(parser.value(registry)).absoluteFilePath()
                                                 : defaults.registry;
    call.files.sources = parser.isSet(sources) ? QFileInfo(parser.value(sources)).absoluteFilePath()
                                               : defaults.sources;
    const QStringList formats = parser.values(format);
    if (!std::all_of(formats.begin(), formats.end(), [](const QString &name) {
            return name == QLatin1String("text") || name == QLatin1String("json");
        }))
        return false;
    call.json = !formats.isEmpty() && formats.last() == QLatin1String("json");
    call.replace = parser.isSet(replace);
    call.force = parser.isSet(force);
    call.dryRun = parser.isSet(dryRun);
    call.operands = parser.positionalArguments();
    if (call.operands.isEmpty())
        return false;
    call.command = call.operands.takeFirst();
    return (!call.json || TakesFormat(call.command)) && (!call.dryRun || call.command == QLatin1String("restore"));
}

} // namespace

int RunAdminCommand(const QStringList &arguments, const AdminFiles &defaults, QIODevice &out,
                    QTextStream &err)
{
    AdminInvocation call;
    if (!parseInvocation(arguments, defaults, call)) {
        err << AdminUsage();
        return AdminExit::BadUsage;
    }
    if (call.help) {
        out.write(AdminUsage().toUtf8());
        return AdminExit::Done;
    }
    // A FIFO or a device would block the first read of the store.
    for (const QString &file : {call.files.registry, call.files.sources}) {
        if (const Result<void> kind = CheckFileKind(file); !kind) {
            err << kind.error() << QStringLiteral("; nothing was read or written.\n");
            return AdminExit::Refused;
        }
    }
    AdminContext context(call, out, err);
    if (call.command == QLatin1String("list") && call.operands.isEmpty())
        return RunList(context);
    if (call.command == QLatin1String("show"))
        return RunShow(context);
    if (call.command == QLatin1String("check"))
        return RunCheck(context);
    if (call.command == QLatin1String("export"))
        return RunExport(context);
    if (call.command == QLatin1String("import"))
        return RunImport(context);
    if (call.command == QLatin1String("remove"))
        return RunRemove(context);
    if (call.command == QLatin1String("history"))
        return RunHistory(context);
    if (call.command == QLatin1String("diff"))
        return RunDiff(context);
    if (call.command == QLatin1String("restore"))
        return RunRestore(context);
    return context.badUsage();
}

QString AdminUsage()
{
    return QStringLiteral(
        "Usage: tessel-admin COMMAND [ARGUMENTS] [--registry FILE] [--sources FILE]\n"
        "                    [--format text|json]\n"
        "\n"
        "Registers Velum GIS data sources in TESSEL.INI with the rules of Tessel's dialogs.\n"
        "\n"
        "Commands:\n"
        "  list                     one line a record: name, type code, type name, description\n"
        "                           (tab-separated, in file order)\n"
        "  show NAME                the record's keys in file order, key=value a line\n"
        "  check                    one line a problem, naming the record: a missing or unknown\n"
        "                           Type, a hidden or unstorable name, a value out of its key's\n"
        "                           rules, a DLD file that cannot be read or lacks the entity;\n"
        "                           lines with \"note:\" name locked or protected records\n"
        "  export [NAME...]         the named records (all when none is named) as a profile\n"
        "                           file on standard output\n"
        "  import FILE [--replace]  registers every section of FILE; with --replace an existing\n"
        "                           record of the same name is replaced and keeps its Private\n"
        "                           bits. Every value is stored exactly as given; when any\n"
        "                           record fails its check nothing is written and every\n"
        "                           failure is listed.\n"
        "  remove NAME... [--force] removes records; protected records (Private bit 2) only\n"
        "                           with --force\n"
        "  history                  one line a kept version of the registry, newest first:\n"
        "                           number, time (UTC), user, program, action, and the\n"
        "                           records added, changed and removed (+A ~C -R)\n"
        "  diff [FROM [TO]]         the records that differ between two versions (a number,\n"
        "                           or \"now\" for the registry as it is; default: the newest\n"
        "                           version and now), each key's value before and after;\n"
        "                           exit 0 when none differ, 1 when some do, 2 on trouble\n"
        "  restore VERSION [NAME...] [--dry-run]\n"
        "                           the registry, or the named records, as they were in\n"
        "                           VERSION (a named record VERSION lacks is removed), as one\n"
        "                           change that is itself kept as a version; one line a\n"
        "                           record: added, replaced, removed or unchanged. With\n"
        "                           --dry-run nothing is written and the differences the\n"
        "                           restore would make are shown as diff shows them.\n"
        "\n"
        "Options:\n"
        "  --registry FILE   the registry to work on (default: TESSEL.INI beside tessel)\n"
        "  --sources FILE    the catalogue of source types (default: SRCS.INI beside tessel)\n"
        "  --format json     list, show, check, history, diff and restore write one JSON\n"
        "                    document instead of lines\n"
        "  --                the arguments after it are names and files, also when they\n"
        "                    begin with \"-\"\n"
        "\n"
        "Every change of the registry first keeps the registry it replaces as a version in\n"
        "the folder TESSEL.INI.history beside it (at most 50 versions and 256 MB).\n"
        "\n"
        "Exit codes: 0 done (check: no problems), 1 refused or invalid input (check: problems\n"
        "found), 2 bad usage.\n");
}

} // namespace tessel
