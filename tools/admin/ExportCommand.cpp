#include <QTextStream>

#include "profile/NumericText.h"
#include "profile/ProfileCodec.h"
#include "profile/ProfileReading.h"
#include "profile/StoredValue.h"
#include "registry/SourceCatalogue.h"
#include "tools/admin/AdminCommands.h"
#include "tools/admin/AdminContext.h"

namespace tessel {
namespace {

using SectionView = ProfileDocument::SectionView;

// The record as a template section, its keys in the order the dialogs save them.
QString TemplateSection(const SectionView &record)
{
    QString text = QLatin1Char('[') % record.name() % QStringLiteral("]\r\n");
    for (const RecordKeyEntry &entry : RecordKeys) {
        if (const std::optional<QStringView> stored = record.value(entry.name))
            text += entry.name % QLatin1Char('=') % StripQuotes(*stored) % QStringLiteral("\r\n");
    }
    return text;
}

} // namespace

// Writes the records as a template in the registry's own encoding (a
// byte-order mark for a Unicode registry), so that importing it gives
// every value back. A value that would not read back as it is stored is
// named, and nothing is written.
int RunExport(AdminContext &context)
{
    const std::optional<RegistrySnapshot> read = context.readExistingRegistry();
    if (!read)
        return AdminExit::Refused;
    const ProfileDocument &registry = read->document();
    const ProfileCodec codec = registry.codec().encoding() == ProfileCodec::Encoding::Windows1252
        ? ProfileCodec()
        : ProfileCodec(ProfileCodec::Encoding::Utf8);
    std::vector<SectionView> records;
    if (context.call.operands.isEmpty()) {
        records = registry.namedSections();
    } else {
        for (const QString &name : context.call.operands) {
            const std::optional<SectionView> record = registry.section(name);
            if (!record)
                return context.noSuchRecord(name);
            records.push_back(*record);
        }
    }
    // Everything is checked before the first byte is written.
    QStringList problems;
    std::erase_if(records, [&](const SectionView &record) {
        const qint32 type = WholeNumber32(RecordText(registry, record, RecordKey::Type));
        if (!ConfigDialogOfType(type) || type == SourceType::Odbc) {
            context.err << QStringLiteral("Skipped %1: records of type %2 are not registered by Tessel.\n")
                               .arg(record.name())
                               .arg(type);
            return true;
        }
        for (const RecordKeyEntry &entry : RecordKeys) {
            const std::optional<QStringView> stored = record.value(entry.name);
            if (!stored)
                continue;
            if (const WriteResult whole = CheckStoredValue(StripQuotes(*stored), codec); !whole)
                problems.append(
                    QStringLiteral("[%1] %2: %3").arg(record.name(), entry.name, whole.error().detail));
        }
        return false;
    });
    if (!problems.isEmpty()) {
        context.err << QStringLiteral("Nothing was exported: these values would not read back as "
                                      "they are stored:\n");
        for (const QString &problem : problems)
            context.err << QStringLiteral("  ") << problem << QLatin1Char('\n');
        return AdminExit::Refused;
    }
    if (codec.encoding() == ProfileCodec::Encoding::Utf8)
        context.write("\xEF\xBB\xBF");
    for (const SectionView &record : records)
        context.write(codec.encode(TemplateSection(record)));
    return AdminExit::Done;
}

} // namespace tessel
