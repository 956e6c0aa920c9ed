#include <QIODevice>
#include <QTextStream>

#include "profile/ProfileCodec.h"
#include "profile/ProfileReading.h"
#include "registry/SourceCatalogue.h"
#include "tools/admin/AdminCommands.h"
#include "tools/admin/AdminContext.h"

namespace tessel {

// Writes the records as a template in the registry's own encoding (a
// byte-order mark for a Unicode registry), so that importing it gives
// every value back. A value that would not read back as it is stored is
// named, and nothing is written.
int RunExport(AdminContext &context)
{
    const std::optional<RegistrySnapshot> read = context.readRegistry();
    if (!read)
        return AdminExit::Refused;
    const RegistrySnapshot &registry = *read;
    const ProfileCodec codec = registry.codec().encoding() == ProfileCodec::Encoding::Windows1252
                                   ? ProfileCodec()
                                   : ProfileCodec(ProfileCodec::Encoding::Utf8);
    const QStringList names = context.call.operands.isEmpty() ? registry.names() : context.call.operands;
    QString text;
    QStringList problems;
    for (const QString &name : names) {
        if (!registry.contains(name))
            return context.noSuchRecord(name);
        const qint32 type = registry.record(name).whole32(RecordKey::Type);
        if (!ConfigDialogOfType(type) || type == SourceType::Odbc) {
            context.err << QStringLiteral("Skipped %1: records of type %2 are not registered by Tessel.\n")
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
        context.err << QStringLiteral("Nothing was exported: these values would not read back as "
                                      "they are stored:\n");
        for (const QString &problem : problems)
            context.err << QStringLiteral("  ") << problem << QLatin1Char('\n');
        return AdminExit::Refused;
    }
    if (codec.encoding() == ProfileCodec::Encoding::Utf8)
        context.out.write("\xEF\xBB\xBF");
    context.out.write(codec.encode(text));
    return AdminExit::Done;
}

} // namespace tessel
