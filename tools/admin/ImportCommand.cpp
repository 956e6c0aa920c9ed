#include <QFileInfo>
#include <QSet>
#include <QTextStream>

#include <deque>

#include "profile/ProfileStore.h"
#include "tools/admin/AdminCommands.h"
#include "tools/admin/AdminContext.h"
#include "tools/admin/RecordChanges.h"
#include "tools/admin/RecordTemplate.h"
#include "tools/common/ProfileFileCheck.h"

namespace tessel {
namespace {

// Checking a template stops at this many failures, so that a huge broken
// template fails fast; they are listed with the count of records read.
constexpr qsizetype MaxListedFailures = 100;

// The template's records, checked for the registry's encoding as they are
// read, or nothing once why they are refused has been said.
std::optional<std::deque<CheckedRecord>> CheckTemplate(AdminContext &context, const QByteArray &bytes,
                                                       const QString &source)
{
    const ProfileCodec registryCodec = CodecOfFile(context.registry);
    const TemplateCheck check = context.call.update ? TemplateCheck::GivenKeys : TemplateCheck::WholeRecord;
    // A deque grows without moving what it holds: a large template's records
    // are never held twice.
    std::deque<CheckedRecord> records;
    QStringList failures;
    QSet<QString> seen; // case-folded names
    const Result<void> read = ReadTemplateSections(bytes, [&](TemplateSection &&section) {
        auto record = CheckTemplateRecord(section, registryCodec, check);
        if (!record) {
            failures.append(QStringLiteral("[%1]: %2").arg(section.name, record.error()));
        } else if (seen.contains(record->name.toCaseFolded())) {
            failures.append(QStringLiteral("[%1]: the name is given twice in the file").arg(section.name));
        } else {
            seen.insert(record->name.toCaseFolded());
            records.push_back(std::move(*record));
        }
        return failures.size() < MaxListedFailures;
    });
    if (!read) {
        context.err << QStringLiteral("Nothing was registered from %1: %2\n").arg(source, read.error());
        return std::nullopt;
    }
    // A template may be empty when the import only removes records.
    if (failures.isEmpty() && records.empty() && context.call.removals.isEmpty()) {
        context.err << QStringLiteral("Nothing was registered from %1: the file holds no section, so it "
                                      "registers nothing\n")
                           .arg(source);
        return std::nullopt;
    }
    if (failures.isEmpty())
        return records;
    context.err << QStringLiteral("Nothing was registered. Correct these records of %1 and "
                                  "import again:\n")
                       .arg(source);
    for (const QString &failure : failures)
        context.err << QStringLiteral("  ") << failure << QLatin1Char('\n');
    if (failures.size() == MaxListedFailures)
        context.err << QStringLiteral("Checking stopped at the first %1 failures, after %2 records.\n")
                           .arg(failures.size())
                           .arg(records.size() + failures.size());
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
    std::optional<std::deque<CheckedRecord>> records;
    {
        // The template's bytes are let go once its records are checked.
        const Result<QByteArray> bytes = ReadTemplateBytes(path);
        if (!bytes) {
            context.err << QStringLiteral("Nothing was registered from %1: %2\n").arg(source, bytes.error());
            return AdminExit::Refused;
        }
        records = CheckTemplate(context, *bytes, source);
    }
    if (!records)
        return AdminExit::Refused;
    const qsizetype count = qsizetype(records->size());
    const QString action = QStringLiteral("import ") + (fromInput ? operand : QFileInfo(path).fileName());
    const int exit = ApplyChanges(context,
                                  {std::move(*records), context.call.removals,
                                   QStringLiteral("Nothing was registered"), source, action});
    if (exit == AdminExit::Done && !context.call.dryRun && count > 0)
        context.err
            << QStringLiteral("Registered %1 data source(s) in %2.\n").arg(count).arg(context.registry);
    return exit;
}

} // namespace tessel
