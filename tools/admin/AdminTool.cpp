#include "tools/admin/AdminTool.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QHash>
#include <QIODevice>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include "registry/DataSourceRecord.h"
#include "profile/NumericText.h"
#include "profile/ProfileCodec.h"
#include "profile/ProfileDocument.h"
#include "profile/ProfileEdit.h"
#include "profile/ProfileReading.h"
#include "profile/ProfileStore.h"
#include "registry/RegistryHistory.h"
#include "registry/SourceCatalogue.h"
#include "tools/admin/HistoryCommands.h"
#include "tools/admin/RecordTemplate.h"
#include "tools/admin/RegistryCheck.h"
#include "tools/common/ProfileFileCheck.h"

#include <algorithm>

namespace tessel {
namespace {

struct Invocation
{
    QString command;
    QStringList operands;
    AdminFiles files;
    bool replace = false;
    bool force = false;
    bool json = false;
    bool dryRun = false;
    bool help = false;   // --help alone: the usage text is the result
};

// The commands whose results can be written as JSON.
bool TakesFormat(const QString &command)
{
    return command == QLatin1String("list") || command == QLatin1String("show")
           || command == QLatin1String("check") || command == QLatin1String("history")
           || command == QLatin1String("diff") || command == QLatin1String("restore");
}

// Splits the arguments into command, operands and options; false on an
// option that is unknown, lacks its value or has a value it does not take.
bool parseInvocation(const QStringList &arguments, const AdminFiles &defaults, Invocation &call)
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

// A value for JSON output: a number where the key holds numbers and the
// whole value reads as one, else the text as the registry reads it.
QJsonValue JsonValue(const QString &key, const QString &value)
{
    const std::optional<RecordKey> known = RecordKeyNamed(key);
    if (known && HoldsNumber(*known) && IsNumericText(value))
        return LeadingNumber(value);
    return value;
}

QJsonArray JsonFindings(const QList<CheckFinding> &findings)
{
    QJsonArray array;
    for (const CheckFinding &finding : findings) {
        QJsonObject object{{QStringLiteral("section"), finding.section},
                           {QStringLiteral("text"), finding.text}};
        if (!finding.key.isEmpty())
            object.insert(QStringLiteral("key"), finding.key);
        array.append(object);
    }
    return array;
}

QString FindingLine(const CheckFinding &finding, const QString &note = {})
{
    return QLatin1Char('[') % finding.section % QStringLiteral("] ") % note
           % (finding.key.isEmpty() ? QString() : finding.key % QStringLiteral(": ")) % finding.text
           % QLatin1Char('\n');
}

class AdminCommands
{
public:
    AdminCommands(const Invocation &call, QIODevice &out, QTextStream &err)
        : m_call(call)
        , m_registry(call.files.registry)
        , m_out(out)
        , m_err(err)
    {
    }

    int list()
    {
        QHash<qint32, QString> typeName;
        for (const CatalogueEntry &entry : ReadSourceCatalogue(m_call.files.sources)) {
            if (!typeName.contains(entry.type))
                typeName.insert(entry.type, entry.name);
        }
        const std::optional<RegistrySnapshot> read = readRegistry();
        if (!read)
            return AdminExit::Refused;
        const RegistrySnapshot &registry = *read;
        QString text;
        QJsonArray records;
        for (const QString &name : registry.names()) {
            const DataSourceRecord record = registry.record(name);
            const qint32 type = record.whole32(RecordKey::Type);
            const QString description = record.text(RecordKey::Description);
            if (m_call.json) {
                records.append(QJsonObject{{QStringLiteral("name"), name},
                                           {QStringLiteral("type"), type},
                                           {QStringLiteral("typeName"), typeName.value(type)},
                                           {QStringLiteral("description"), description}});
            } else {
                text += name % QLatin1Char('\t') % QString::number(type) % QLatin1Char('\t')
                        % typeName.value(type) % QLatin1Char('\t') % description % QLatin1Char('\n');
            }
        }
        m_out.write(m_call.json ? QJsonDocument(records).toJson() : text.toUtf8());
        return AdminExit::Done;
    }

    int show()
    {
        if (m_call.operands.size() != 1)
            return badUsage();
        const QString &name = m_call.operands.first();
        const std::optional<RegistrySnapshot> read = readRegistry();
        if (!read)
            return AdminExit::Refused;
        const RegistrySnapshot &registry = *read;
        if (!registry.contains(name))
            return noSuchRecord(name);
        const QStringList keyNames = registry.keyNames(name);
        if (m_call.json) {
            QJsonObject keys;
            for (const QString &key : keyNames)
                keys.insert(key, JsonValue(key, registry.value(name, key)));
            const QJsonObject record{{QStringLiteral("name"), nameInFile(registry, name)},
                                     {QStringLiteral("keys"), keys}};
            m_out.write(QJsonDocument(record).toJson());
        } else {
            QString text;
            for (const QString &key : keyNames)
                text += key % QLatin1Char('=') % registry.value(name, key) % QLatin1Char('\n');
            m_out.write(text.toUtf8());
        }
        return AdminExit::Done;
    }

    // One line a problem, then one a note; the counts on the error stream.
    int check()
    {
        if (!m_call.operands.isEmpty())
            return badUsage();
        // A misspelt --registry must not pass as a registry without problems.
        if (!QFileInfo::exists(m_registry)) {
            m_err << QStringLiteral("There is no registry file %1. Check the path given with "
                                    "--registry.\n").arg(m_registry);
            return AdminExit::ProblemsFound;
        }
        const std::optional<RegistrySnapshot> read = readRegistry();
        if (!read)
            return AdminExit::Refused;
        const RegistrySnapshot &registry = *read;
        const RegistryCheckReport report = CheckRegistry(registry, ReadSourceCatalogue(m_call.files.sources));
        if (m_call.json) {
            const QJsonObject result{{QStringLiteral("registry"), m_registry},
                                     {QStringLiteral("records"), report.records},
                                     {QStringLiteral("problems"), JsonFindings(report.problems)},
                                     {QStringLiteral("information"), JsonFindings(report.information)}};
            m_out.write(QJsonDocument(result).toJson());
        } else {
            QString text;
            for (const CheckFinding &problem : report.problems)
                text += FindingLine(problem);
            for (const CheckFinding &information : report.information)
                text += FindingLine(information, QStringLiteral("note: "));
            m_out.write(text.toUtf8());
        }
        m_err << QStringLiteral("%1 problem(s) and %2 note(s) in %3 record(s) of %4.\n")
                     .arg(report.problems.size())
                     .arg(report.information.size())
                     .arg(report.records)
                     .arg(m_registry);
        return report.problems.isEmpty() ? AdminExit::Done : AdminExit::ProblemsFound;
    }

    // Writes the records as a template in the registry's own encoding (a
    // byte-order mark for a Unicode registry), so that importing it gives
    // every value back. A value that would not read back as it is stored is
    // named, and nothing is written.
    int exportRecords()
    {
        const std::optional<RegistrySnapshot> read = readRegistry();
        if (!read)
            return AdminExit::Refused;
        const RegistrySnapshot &registry = *read;
        const ProfileCodec codec = registry.codec().encoding() == ProfileCodec::Encoding::Windows1252
                                       ? ProfileCodec()
                                       : ProfileCodec(ProfileCodec::Encoding::Utf8);
        const QStringList names = m_call.operands.isEmpty() ? registry.names() : m_call.operands;
        QString text;
        QStringList problems;
        for (const QString &name : names) {
            if (!registry.contains(name))
                return noSuchRecord(name);
            const qint32 type = registry.record(name).whole32(RecordKey::Type);
            if (!ConfigDialogOfType(type) || type == SourceType::Odbc) {
                m_err << QStringLiteral("Skipped %1: records of type %2 are not registered by Tessel.\n")
                             .arg(name)
                             .arg(type);
                continue;
            }
            text += QLatin1Char('[') % name % QStringLiteral("]\r\n");
            for (const RecordKeyEntry &entry : RecordKeys) {
                const QString key = entry.name.toString();
                const std::optional<QString> stored = registry.storedValue(name, key);
                if (!stored)
                    continue;
                const QString value = StripQuotes(*stored);
                if (const Result<void> stored = CheckStoredValue(value, codec); !stored)
                    problems.append(QStringLiteral("[%1] %2: %3").arg(name, key, stored.error()));
                text += key % QLatin1Char('=') % value % QStringLiteral("\r\n");
            }
        }
        if (!problems.isEmpty()) {
            m_err << QStringLiteral("Nothing was exported: these values would not read back as "
                                    "they are stored:\n");
            for (const QString &problem : problems)
                m_err << QStringLiteral("  ") << problem << QLatin1Char('\n');
            return AdminExit::Refused;
        }
        if (codec.encoding() == ProfileCodec::Encoding::Utf8)
            m_out.write("\xEF\xBB\xBF");
        m_out.write(codec.encode(text));
        return AdminExit::Done;
    }

    int import()
    {
        if (m_call.operands.size() != 1)
            return badUsage();
        const QString path = QFileInfo(m_call.operands.first()).absoluteFilePath();
        const TemplateReading reading = ReadTemplateFile(path);
        if (!reading) {
            m_err << QStringLiteral("Nothing was registered from %1: %2\n").arg(path, reading.error());
            return AdminExit::Refused;
        }
        const ProfileCodec registryCodec = CodecOfFile(m_registry);

        const std::optional<RegistrySnapshot> read = readRegistry();
        if (!read)
            return AdminExit::Refused;
        const RegistrySnapshot &registry = *read;
        QList<CheckedRecord> records;
        QStringList failures;
        QHash<QString, QString> seen;   // case-folded name -> section
        for (const TemplateSection &templateSection : *reading) {
            const QString &section = templateSection.name;
            auto checked = CheckTemplateRecord(templateSection, registryCodec);
            if (!checked) {
                failures.append(QStringLiteral("[%1]: %2").arg(section, checked.error()));
                continue;
            }
            CheckedRecord &record = *checked;
            const QString folded = record.name.toCaseFolded();
            if (seen.contains(folded)) {
                failures.append(QStringLiteral("[%1]: the name is given twice in the file").arg(section));
                continue;
            }
            seen.insert(folded, section);
            if (!m_call.replace && registry.contains(record.name)) {
                failures.append(QStringLiteral("[%1]: %2").arg(section, alreadyRegistered()));
                continue;
            }
            records.append(std::move(record));
        }
        if (!failures.isEmpty()) {
            m_err << QStringLiteral("Nothing was registered. Correct these records of %1 and "
                                    "import again:\n").arg(path);
            for (const QString &failure : failures)
                m_err << QStringLiteral("  ") << failure << QLatin1Char('\n');
            return AdminExit::Refused;
        }
        QString failedRecord;
        const RegistryAction action{QStringLiteral("import ") + QFileInfo(path).fileName(), true};
        const WriteResult written = EditRegistry(m_registry, action, [&](ProfileEdit &edit) {
            for (const CheckedRecord &record : records) {
                WriteResult saved = ApplyRecordSave(edit, registration(record));
                if (!saved) {
                    failedRecord = record.name;
                    return saved;
                }
            }
            return WriteResult();
        });
        if (!written)
            return notWritten(written, failedRecord, QStringLiteral("Nothing was registered"));
        m_err << QStringLiteral("Registered %1 data source(s) in %2.\n").arg(records.size()).arg(m_registry);
        return AdminExit::Done;
    }

    int remove()
    {
        if (m_call.operands.isEmpty())
            return badUsage();
        const std::optional<RegistrySnapshot> read = readRegistry();
        if (!read)
            return AdminExit::Refused;
        const RegistrySnapshot &registry = *read;
        QStringList refused;
        for (const QString &name : m_call.operands) {
            if (!registry.contains(name))
                return noSuchRecord(name);
            if (!m_call.force && (registry.record(name).whole16(RecordKey::Private) & PrivateBit::Protected))
                refused.append(name);
        }
        if (!refused.isEmpty()) {
            m_err << QStringLiteral("Nothing was removed: %1 protected against deletion. Use --force "
                                    "to remove protected records.\n")
                         .arg(refused.join(QStringLiteral(", ")) + (refused.size() == 1
                                                                        ? QStringLiteral(" is")
                                                                        : QStringLiteral(" are")));
            return AdminExit::Refused;
        }
        const WriteResult removed = RemoveRecords(m_registry, m_call.operands, QStringLiteral("remove"));
        if (!removed)
            return notWritten(removed, {}, QStringLiteral("Nothing was removed"));
        return AdminExit::Done;
    }

    // The registry as it is now, or nothing once the reason it cannot be
    // read has been said: a file that cannot be read is never an empty one.
    std::optional<RegistrySnapshot> readRegistry()
    {
        Result<RegistrySnapshot, FileError> registry = RegistrySnapshot::Read(m_registry);
        if (registry)
            return std::move(*registry);
        m_err << QStringLiteral("tessel-admin: cannot read %1: %2\n").arg(m_registry, registry.error().text);
        return std::nullopt;
    }

    int badUsage()
    {
        m_err << AdminUsage();
        return AdminExit::BadUsage;
    }

private:
    static QString alreadyRegistered()
    {
        return QStringLiteral("a data source of this name is registered already "
                              "(use --replace to replace it)");
    }

    // A template's record written afresh in the fixed key order, as its
    // dialog saves it. A record it replaces keeps its Private bits, and bits
    // the file gives are added: a registration never clears a protection.
    RecordSave registration(const CheckedRecord &record) const
    {
        RecordSave save;
        save.currentName = m_call.replace ? record.name : NewRecordMarker;
        save.newName = record.name;
        save.values = record.values;
        save.privateRule = record.type == SourceType::DemandLoad ? PrivateOnSave::CarryOnRename
                                                                 : PrivateOnSave::MarkSavedByNative;
        save.rewriteWhole = true;
        save.addedPrivateBits = record.privateBits.value_or(0);
        return save;
    }

    // Says once why the registry was left as it was, naming the record when
    // the refusal concerns one.
    int notWritten(const WriteResult &result, const QString &record, const QString &outcome)
    {
        const QString cause = failureCause(result);
        if (record.isEmpty())
            m_err << QStringLiteral("%1: %2\n").arg(outcome, cause);
        else
            m_err << QStringLiteral("%1: [%2]: %3\n").arg(outcome, record, cause);
        return AdminExit::Refused;
    }

    // The name as the registry spells it, which a command may give in any
    // letter case.
    static QString nameInFile(const RegistrySnapshot &registry, const QString &name)
    {
        for (const QString &stored : registry.names()) {
            if (stored.compare(name, Qt::CaseInsensitive) == 0)
                return stored;
        }
        return name;
    }

    int noSuchRecord(const QString &name)
    {
        m_err << QStringLiteral("There is no data source named \"%1\" in %2. \"tessel-admin list\" "
                                "shows the registered names.\n").arg(name, m_registry);
        return AdminExit::Refused;
    }

    // Why a write was refused or failed, and what to do about it.
    QString failureCause(const WriteResult &result) const
    {
        switch (result.error().failure) {
        case WriteFailure::BadName:
            return QStringLiteral("the name cannot be stored as a section name");
        case WriteFailure::NameTaken:
            return alreadyRegistered();
        case WriteFailure::LineBreak:
            return QStringLiteral("the value of %1 holds a line break or NUL").arg(result.error().key);
        case WriteFailure::Unencodable:
            return QStringLiteral("the value of %1 holds characters that %2 cannot hold in its "
                                  "encoding: %3").arg(result.error().key, m_registry, result.error().detail);
        case WriteFailure::TooLong:
            return QStringLiteral("the value of %1 is longer than the registry can read back whole")
                .arg(result.error().key);
        case WriteFailure::NoPermission:
            return result.error().detail + QStringLiteral(" (check that the file and its directory are "
                                                    "writable for you)");
        case WriteFailure::DiskFull:
            return result.error().detail + QStringLiteral(" (free some disk space and try again)");
        case WriteFailure::RecordChanged:   // registrations replace records whole, unasked
        case WriteFailure::RecordRemoved:
        case WriteFailure::Busy:
        case WriteFailure::SystemError:
            break;
        }
        return result.error().detail;
    }

    const Invocation &m_call;
    const QString &m_registry;
    QIODevice &m_out;
    QTextStream &m_err;
};

} // namespace

int RunAdminCommand(const QStringList &arguments, const AdminFiles &defaults, QIODevice &out,
                    QTextStream &err)
{
    Invocation call;
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
    AdminCommands commands(call, out, err);
    if (call.command == QLatin1String("list") && call.operands.isEmpty())
        return commands.list();
    if (call.command == QLatin1String("show"))
        return commands.show();
    if (call.command == QLatin1String("check"))
        return commands.check();
    if (call.command == QLatin1String("export"))
        return commands.exportRecords();
    if (call.command == QLatin1String("import"))
        return commands.import();
    if (call.command == QLatin1String("remove"))
        return commands.remove();
    const HistoryCall historyCall{call.files.registry, call.operands, call.json, call.dryRun};
    if (call.command == QLatin1String("history"))
        return ShowHistory(historyCall, out, err);
    if (call.command == QLatin1String("diff"))
        return ShowDiff(historyCall, out, err);
    if (call.command == QLatin1String("restore"))
        return RestoreVersion(historyCall, out, err);
    return commands.badUsage();
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
