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
           || command == QLatin1String("check") || command == QLatin1String("import")
           || command == QLatin1String("remove");
}

// Splits the arguments into command, operands and options; false on an
// option that is unknown, lacks its value or has a value it does not take.
bool parseInvocation(const QStringList &arguments, const AdminFiles &defaults, AdminInvocation &call)
{
    const QCommandLineOption registry(QStringLiteral("registry"), {}, QStringLiteral("FILE"));
    const QCommandLineOption sources(QStringLiteral("sources"), {}, QStringLiteral("FILE"));
    const QCommandLineOption format(QStringLiteral("format"), {}, QStringLiteral("text|json"));
    const QCommandLineOption replace(QStringLiteral("replace"));
    const QCommandLineOption update(QStringLiteral("update"));
    const QCommandLineOption dryRun(QStringLiteral("dry-run"));
    const QCommandLineOption removal(QStringLiteral("remove"), {}, QStringLiteral("NAME"));
    const QCommandLineOption force(QStringLiteral("force"));
    const QCommandLineOption help(QStringLiteral("help"));
    QCommandLineParser parser;
    parser.addOptions({registry, sources, format, replace, update, dryRun, removal, force, help});
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
    call.update = parser.isSet(update);
    call.dryRun = parser.isSet(dryRun);
    call.removals = parser.values(removal);
    call.force = parser.isSet(force);
    call.operands = parser.positionalArguments();
    if (call.operands.isEmpty())
        return false;
    call.command = call.operands.takeFirst();
    // --replace, --update and --remove shape an import; --dry-run any change.
    const bool importing = call.command == QLatin1String("import");
    const bool changing = importing || call.command == QLatin1String("remove");
    if ((call.replace && call.update) || ((call.replace || call.update || !call.removals.isEmpty()) && !importing)
        || (call.dryRun && !changing))
        return false;
    return !call.json || TakesFormat(call.command);
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
        "  import FILE [--replace|--update] [--remove NAME]... [--force]\n"
        "                           registers every section of FILE (- reads standard input).\n"
        "                           Every value is stored exactly as given; when any record\n"
        "                           fails its check nothing is written and the failures are\n"
        "                           listed (the first 100). --replace replaces an existing\n"
        "                           record whole, in its place, keeping its Private bits;\n"
        "                           --update keeps the keys FILE does not give; --remove\n"
        "                           removes a record in the same write (FILE may then be\n"
        "                           empty); prints \"added\", \"replaced\", \"unchanged\" or\n"
        "                           \"removed\" and the name, a line a record\n"
        "  remove NAME... [--force] removes records and prints \"removed NAME\" for each;\n"
        "                           protected records (Private bit 2) only with --force\n"
        "\n"
        "Options:\n"
        "  --registry FILE   the registry to work on (default: TESSEL.INI beside tessel)\n"
        "  --sources FILE    the catalogue of source types (default: SRCS.INI beside tessel)\n"
        "  --format json     list, show, check, import and remove write one JSON document\n"
        "                    instead of lines ({\"changed\", \"records\": [{\"name\", \"change\",\n"
        "                    \"before\", \"after\"}]} for import and remove)\n"
        "  --dry-run         import and remove print what they would change and write nothing\n"
        "  --                the arguments after it are names and files, also when they\n"
        "                    begin with \"-\"\n"
        "\n"
        "Exit codes: 0 done (check: no problems), 1 refused or invalid input (check: problems\n"
        "found), 2 bad usage.\n");
}

} // namespace tessel
