#include "tools/admin/AdminTool.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QIODevice>
#include <QTextStream>

#include "tools/admin/AdminCommands.h"
#include "tools/admin/AdminContext.h"
#include "tools/common/ProfileFileCheck.h"

#include <algorithm>
#include <limits>

namespace tessel {
namespace {

constexpr qsizetype AnyNumber = std::numeric_limits<qsizetype>::max();

struct AdminCommand
{
    QLatin1StringView name;
    int (*run)(AdminContext &context);
    qsizetype fewestOperands;
    qsizetype mostOperands;
    const char *operands; // what the command takes, for a usage error
    bool takesFormat; // its results can be written as JSON
    const char *usage; // its line of the synopsis, then what it does
};

constexpr AdminCommand Commands[] = {
    {QLatin1StringView("list"), RunList, 0, 0, "no arguments", true,
     "list [--format text|json]\n"
     "One line a record, in file order: name, type code, type name (from\n"
     "SRCS.INI) and description, separated by tabs. A value longer than a read\n"
     "gives whole shows as <unreadable: N characters>.\n"},
    {QLatin1StringView("show"), RunShow, 1, 1, "one NAME", true,
     "show NAME [--format text|json]\n"
     "The record's keys in file order, key=value a line, each value as a read\n"
     "gives it (<unreadable: N characters> for one longer than a read gives\n"
     "whole).\n"},
    {QLatin1StringView("check"), RunCheck, 0, 0, "no arguments", true,
     "check [--format text|json]\n"
     "One line a problem, naming the record: a registry that is missing,\n"
     "cannot be read or is no profile file; a missing or unknown Type, a\n"
     "hidden or unstorable name, a value out of its key's rules or one that\n"
     "does not read back whole, a DLD file that cannot be read or lacks the\n"
     "entity. Lines with \"note:\" name locked or protected records. Exit 1 when\n"
     "a problem was found.\n"},
    {QLatin1StringView("export"), RunExport, 0, AnyNumber, "any number of NAMEs", false,
     "export [NAME...]\n"
     "The named records (all when none is named) as a profile file on standard\n"
     "output; nothing when a value would not read back as it is stored.\n"},
    {QLatin1StringView("import"), RunImport, 1, 1, "one FILE", true,
     "import FILE [--replace|--update] [--remove NAME]...\n"
     "Registers every section of FILE (- reads standard input). Every value is\n"
     "stored exactly as given; when any record fails its check nothing is\n"
     "written and the failures are listed (the first 100). --replace replaces\n"
     "an existing record whole, in its place, keeping its Private bits;\n"
     "--update keeps the keys FILE does not give; --remove removes a record in\n"
     "the same write (FILE may then be empty), a protected one only with\n"
     "--force. Prints \"added\", \"replaced\", \"unchanged\" or \"removed\" and\n"
     "the name, a line a record (--format json: one JSON document); with\n"
     "--dry-run, what would change, writing nothing.\n"},
    {QLatin1StringView("remove"), RunRemove, 1, AnyNumber, "one NAME or more", true,
     "remove NAME... [--force] [--dry-run] [--format text|json]\n"
     "Removes records and prints \"removed NAME\" for each; protected records\n"
     "(Private bit 2) only with --force.\n"},
    {QLatin1StringView("history"), RunHistory, 0, 0, "no arguments", true,
     "history [--format text|json]\n"
     "One line a kept version of the registry, newest first: number, time\n"
     "(UTC), user, program, action, and the records added, changed and removed\n"
     "(+A ~C -R), separated by tabs.\n"},
    {QLatin1StringView("diff"), RunDiff, 0, 2, "at most two versions", true,
     "diff [FROM [TO]] [--format text|json]\n"
     "The records that differ between two versions (a number, or \"now\" for\n"
     "the registry as it is; by default the newest version and now), with each\n"
     "key's value before and after. Exit 0 when none differ, 1 when some do,\n"
     "2 on bad usage or a version that cannot be read.\n"},
    {QLatin1StringView("restore"), RunRestore, 1, AnyNumber, "a VERSION and any number of NAMEs", true,
     "restore VERSION [NAME...] [--dry-run] [--format text|json]\n"
     "The registry, or the named records, as they were in VERSION (a named\n"
     "record VERSION lacks is removed, one the registry lacks goes back in its\n"
     "place), as one change that is itself kept as a version; one line a\n"
     "record: added, replaced, removed or unchanged. With\n"
     "--dry-run nothing is written and the differences it would make are shown\n"
     "as diff shows them.\n"},
};

const char CommonOptions[] =
    "Options:\n"
    "  --registry FILE   the registry to work on (default: TESSEL.INI beside tessel)\n"
    "  --sources FILE    the catalogue of source types (default: SRCS.INI beside tessel)\n"
    "  --                the arguments after it are names and files, also when they\n"
    "                    begin with \"-\"\n";

const AdminCommand *CommandNamed(const QString &name)
{
    const auto found = std::find_if(std::begin(Commands), std::end(Commands),
                                    [&](const AdminCommand &command) { return command.name == name; });
    return found == std::end(Commands) ? nullptr : found;
}

QString CommandUsage(const AdminCommand &command)
{
    const QString usage = QString::fromUtf8(command.usage);
    const qsizetype synopsisEnd = usage.indexOf(u'\n') + 1;
    return QStringLiteral("Usage: tessel-admin ") + usage.first(synopsisEnd) + QLatin1Char('\n')
        + usage.sliced(synopsisEnd) + QLatin1Char('\n') + QLatin1String(CommonOptions);
}

// What a command line asks for: a command to run, or the usage or version.
struct ParsedLine
{
    AdminInvocation call;
    const AdminCommand *command = nullptr; // nothing for the usage or version
    bool version = false;
};

// Splits the arguments into command, operands and options, or names the
// first thing wrong with them.
Result<ParsedLine> ParseInvocation(const QStringList &arguments, const AdminFiles &defaults)
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
    const QCommandLineOption version(QStringLiteral("version"));
    QCommandLineParser parser;
    parser.addOptions({registry, sources, format, replace, update, dryRun, removal, force, help, version});
    // The parser takes the program name first.
    if (!parser.parse(QStringList{QStringLiteral("tessel-admin")} + arguments))
        return Failure{parser.errorText()};
    ParsedLine line;
    AdminInvocation &call = line.call;
    call.help = parser.isSet(help);
    line.version = parser.isSet(version) && !call.help;
    call.operands = parser.positionalArguments();
    if (!call.operands.isEmpty()) {
        call.command = call.operands.takeFirst();
        line.command = CommandNamed(call.command);
        if (!line.command)
            return Failure{QStringLiteral("\"%1\" is no tessel-admin command").arg(call.command)};
    }
    if (call.help || line.version)
        return line;
    if (!line.command)
        return Failure{QStringLiteral("no command given")};
    // A bare file name on the command line means the current directory, not
    // the profile directory the store gives bare names.
    call.files.registry =
        parser.isSet(registry) ? QFileInfo(parser.value(registry)).absoluteFilePath() : defaults.registry;
    call.files.sources =
        parser.isSet(sources) ? QFileInfo(parser.value(sources)).absoluteFilePath() : defaults.sources;
    const QStringList formats = parser.values(format);
    for (const QString &name : formats) {
        if (name != QLatin1String("text") && name != QLatin1String("json"))
            return Failure{QStringLiteral("--format takes text or json, not \"%1\"").arg(name)};
    }
    call.json = !formats.isEmpty() && formats.last() == QLatin1String("json");
    if (call.json && !line.command->takesFormat)
        return Failure{QStringLiteral("%1 does not take --format json").arg(call.command)};
    call.replace = parser.isSet(replace);
    call.update = parser.isSet(update);
    call.dryRun = parser.isSet(dryRun);
    call.removals = parser.values(removal);
    call.force = parser.isSet(force);
    if (call.operands.size() < line.command->fewestOperands
        || call.operands.size() > line.command->mostOperands)
        return Failure{
            QStringLiteral("%1 takes %2").arg(call.command, QLatin1String(line.command->operands))};
    // --replace, --update and --remove shape an import; --dry-run any change.
    const bool importing = call.command == QLatin1String("import");
    const bool changing =
        importing || call.command == QLatin1String("remove") || call.command == QLatin1String("restore");
    if (call.replace && call.update)
        return Failure{QStringLiteral("--replace and --update do not go together")};
    for (const auto &[given, option] :
         {std::pair{call.replace, "--replace"}, std::pair{call.update, "--update"},
          std::pair{!call.removals.isEmpty(), "--remove"}}) {
        if (given && !importing)
            return Failure{QStringLiteral("%1 does not take %2").arg(call.command, QLatin1String(option))};
    }
    if (call.dryRun && !changing)
        return Failure{QStringLiteral("%1 does not take --dry-run").arg(call.command)};
    return line;
}

// Runs what the command line asks for; its output is checked by the caller.
int Run(const ParsedLine &line, AdminContext &context)
{
    if (line.version) {
        context.write("tessel-admin " TESSEL_VERSION "\n");
        return AdminExit::Done;
    }
    if (line.call.help) {
        context.write((line.command ? CommandUsage(*line.command) : AdminUsage()).toUtf8());
        return AdminExit::Done;
    }
    // A FIFO or a device would block the first read of the store.
    for (const QString &file : {line.call.files.registry, line.call.files.sources}) {
        if (const Result<void> kind = CheckFileKind(file); !kind) {
            context.err << kind.error() << QStringLiteral("; nothing was read or written.\n");
            return AdminExit::Refused;
        }
    }
    return line.command->run(context);
}

} // namespace

int RunAdminCommand(const QStringList &arguments, const AdminFiles &defaults, QIODevice &out,
                    QTextStream &err)
{
    const Result<ParsedLine> line = ParseInvocation(arguments, defaults);
    if (!line) {
        err << QStringLiteral("tessel-admin: ") << line.error()
            << QStringLiteral("\nTry 'tessel-admin --help'.\n");
        return AdminExit::BadUsage;
    }
    AdminContext context(line->call, out, err);
    const int exit = Run(*line, context);
    if (const std::optional<QString> failure = context.outputFailure()) {
        err << QStringLiteral("tessel-admin: cannot write the output: %1\n").arg(*failure);
        return AdminExit::Refused;
    }
    return exit;
}

QString AdminUsage()
{
    QString usage =
        QStringLiteral("Usage: tessel-admin COMMAND [ARGUMENTS] [--registry FILE] [--sources FILE]\n"
                       "       tessel-admin COMMAND --help | --help | --version\n"
                       "\n"
                       "Registers Velum GIS data sources in TESSEL.INI with the rules of Tessel's dialogs.\n"
                       "\n"
                       "Commands:\n");
    for (const AdminCommand &command : Commands) {
        const QStringList lines = QString::fromUtf8(command.usage).split(u'\n', Qt::SkipEmptyParts);
        usage += QStringLiteral("  ") + lines.first() + QLatin1Char('\n');
        for (qsizetype i = 1; i < lines.size(); ++i)
            usage += QStringLiteral("      ") + lines[i] + QLatin1Char('\n');
    }
    return usage + QLatin1Char('\n') + QLatin1String(CommonOptions)
        + QStringLiteral(
               "  --format json     list, show, check, import, remove, history, diff and restore\n"
               "                    write one JSON document instead of lines; a number key's\n"
               "                    value is a number only when the number gives its text back\n"
               "                    exactly, else a string. Import, remove and restore give\n"
               "                    {\"changed\", \"records\": [{\"name\", \"change\", \"before\",\n"
               "                    \"after\"}]}, each value a string\n"
               "  --dry-run         import, remove and restore print what they would change and\n"
               "                    write nothing\n"
               "  --help            this text, or with a COMMAND that command's\n"
               "  --version         the version of tessel-admin\n"
               "\n"
               "Every change of the registry first keeps the registry it replaces as a version in\n"
               "the folder TESSEL.INI.history beside it (at most 50 versions and 256 MB).\n"
               "\n"
               "Exit codes: 0 done (check: no problems), 1 refused, invalid input or output that\n"
               "could not be written (check: problems found), 2 bad usage.\n");
}

} // namespace tessel
