#include <QFileInfo>
#include <QSet>
#include <QTextStream>

#include "profile/ProfileStore.h"
#include "tools/admin/AdminCommands.h"
#include "tools/admin/AdminContext.h"
#include "tools/admin/RecordChanges.h"
#include "tools/admin/RecordTemplate.h"
#include "tools/common/ProfileFileCheck.h"

namespace tessel {
namespace {

// Checking a template stops at this many failures, so that a huge broken
// template fails fast; they are listed with the count of records checked.
constexpr qsizetype MaxListedFailures = 100;

// The template's records, checked for the registry's encoding, or nothing
// once their failures have been listed.
std::optional<QList<CheckedRecord>> CheckTemplate(AdminContext &context, const QList<TemplateSection> &sections,
                                                  const QString &source)
{
    const ProfileCodec registryCodec = CodecOfFile(context.registry);
    QList<CheckedRecord> records;
    QStringList failures;
    QSet<QString> seen;   // case-folded names
    qsizetype checked = 0;
    for (const TemplateSection &section : sections) {
        if (failures.size() == MaxListedFailures)
            break;
        ++checked;
        auto record = CheckTemplateRecord(section, registryCodec,
                                          context.call.update ? TemplateCheck::GivenKeys : TemplateCheck::WholeRecord);
        if (!record) {
            failures.append(QStringLiteral("[%1]: %2").arg(section.name, record.error()));
            continue;
        }
        const QString folded = record->name.toCaseFolded();
        if (seen.contains(folded)) {
            failures.append(QStringLiteral("[%1]: the name is given twice in the file").arg(section.name));
            continue;
        }
        seen.insert(folded);
        records.append(std::move(*record));
    }
    if (failures.isEmpty())
        return records;
    context.err << QStringLiteral("Nothing was registered. Correct these records of %1 and "
                                  "import again:\n").arg(source);
    for (const QString &failure : failures)
        context.err << QStringLiteral("  ") << failure << QLatin1Char('\n');
    if (checked < sections.size())
        context.err << QStringLiteral("Checking stopped at %1 failures, after %2 of %3 records.\n")
                           .arg(failures.size())
                           .arg(checked)
                           .arg(sections.size());
    return std::nullopt;
}

} // namespace

int RunImport(AdminContext &context)
{
    if (context.call.operands.size() != 1)
        return context.badUsage();
    const QString &operand = context.call.operands.first();
    const bool fromInput = operand == QLatin1String("-");
    const QString path = fromInput ? operand : QFileInfo(operand).absoluteFilePath();
    const QString source = fromInput ? QStringLiteral("the standard input") : path;
    TemplateReading reading = ReadTemplateFile(path);
    // A template may be empty when the import only removes records.
    if (reading && reading->isEmpty() && context.call.removals.isEmpty())
        reading = Failure{QStringLiteral("the file holds no section, so it registers nothing")};
    if (!reading) {
        context.err << QStringLiteral("Nothing was registered from %1: %2\n").arg(source, reading.error());
        return AdminExit::Refused;
    }
    std::optional<QList<CheckedRecord>> records = CheckTemplate(context, *reading, source);
    if (!records)
        return AdminExit::Refused;
    const qsizetype count = records->size();
    const int exit = ApplyChanges(context, {std::move(*records), context.call.removals,
                                            QStringLiteral("Nothing was registered"), source});
    if (exit == AdminExit::Done && !context.call.dryRun && count > 0)
        context.err << QStringLiteral("Registered %1 data source(s) in %2.\n").arg(count).arg(context.registry);
    return exit;
}

} // namespace tessel
