#include <QJsonDocument>
#include <QJsonObject>

#include "tools/admin/AdminCommands.h"
#include "tools/admin/AdminContext.h"

namespace tessel {

int RunShow(AdminContext &context)
{
    const QString &name = context.call.operands.first();
    const std::optional<RegistrySnapshot> read = context.readExistingRegistry();
    if (!read)
        return AdminExit::Refused;
    const std::optional<ProfileDocument::SectionView> record = read->document().section(name);
    if (!record)
        return context.noSuchRecord(name);
    // A key given twice reads as its first line, as every read of it does.
    const QList<std::pair<QStringView, QStringView>> entries = record->entries();
    if (context.call.json) {
        QJsonObject keys;
        for (const auto &entry : entries)
            keys.insert(entry.first, JsonValue(entry.first, ShownValue(record->value(entry.first))));
        const QJsonObject object{{QStringLiteral("name"), record->name().toString()},
                                 {QStringLiteral("keys"), keys}};
        context.write(QJsonDocument(object).toJson());
    } else {
        QString text;
        for (const auto &entry : entries)
            text +=
                entry.first % QLatin1Char('=') % ShownValue(record->value(entry.first)) % QLatin1Char('\n');
        context.write(text.toUtf8());
    }
    return AdminExit::Done;
}

} // namespace tessel
