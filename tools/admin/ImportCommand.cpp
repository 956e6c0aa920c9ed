#include <QFileInfo>
#include <QHash>
#include <QTextStream>

#include "profile/ProfileEdit.h"
#include "profile/ProfileStore.h"
#include "registry/SourceCatalogue.h"
#include "registry/RegistryHistory.h"
#include "tools/admin/AdminCommands.h"
#include "tools/admin/AdminContext.h"
#include "tools/admin/RecordTemplate.h"
#include "tools/common/ProfileFileCheck.h"

namespace tessel {
namespace {

// A template's record written afresh in the fixed key order, as its
// dialog saves it. A record it replaces keeps its Private bits, and bits
// the file gives are added: a registration never clears a protection.
RecordSave Registration(const CheckedRecord &record, bool replace)
{
    RecordSave save;
    save.currentName = replace ? record.name : NewRecordMarker;
    save.newName = record.name;
    save.values = record.values;
    save.privateRule = record.type == SourceType::DemandLoad ? PrivateOnSave::CarryOnRename
                                                             : PrivateOnSave::MarkSavedByNative;
    save.rewriteWhole = true;
    save.addedPrivateBits = record.privateBits.value_or(0);
    return save;
}

} // namespace

int RunImport(AdminContext &context)
{
    if (context.call.operands.size() != 1)
        return context.badUsage();
    const QString path = QFileInfo(context.call.operands.first()).absoluteFilePath();
    const TemplateReading reading = ReadTemplateFile(path);
    if (!reading) {
        context.err << QStringLiteral("Nothing was registered from %1: %2\n").arg(path, reading.error());
        return AdminExit::Refused;
    }
    const ProfileCodec registryCodec = CodecOfFile(context.registry);

    const std::optional<RegistrySnapshot> read = context.readRegistry();
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
        if (!context.call.replace && registry.contains(record.name)) {
            failures.append(QStringLiteral("[%1]: %2").arg(section, AdminContext::alreadyRegistered()));
            continue;
        }
        records.append(std::move(record));
    }
    if (!failures.isEmpty()) {
        context.err << QStringLiteral("Nothing was registered. Correct these records of %1 and "
                                      "import again:\n").arg(path);
        for (const QString &failure : failures)
            context.err << QStringLiteral("  ") << failure << QLatin1Char('\n');
        return AdminExit::Refused;
    }
    QString failedRecord;
    const RegistryAction action{QStringLiteral("import ") + QFileInfo(path).fileName(), true};
    const WriteResult written = EditRegistry(context.registry, action, [&](ProfileEdit &edit) {
        for (const CheckedRecord &record : records) {
            WriteResult saved = ApplyRecordSave(edit, Registration(record, context.call.replace));
            if (!saved) {
                failedRecord = record.name;
                return saved;
            }
        }
        return WriteResult();
    });
    if (!written)
        return context.notWritten(written, failedRecord, QStringLiteral("Nothing was registered"));
    context.err << QStringLiteral("Registered %1 data source(s) in %2.\n").arg(records.size()).arg(context.registry);
    return AdminExit::Done;
}

} // namespace tessel
