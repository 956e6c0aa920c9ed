#include <QHash>
#include <QIODevice>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "registry/SourceCatalogue.h"
#include "tools/admin/AdminCommands.h"
#include "tools/admin/AdminContext.h"

namespace tessel {

int RunList(AdminContext &context)
{
    QHash<qint32, QString> typeName;
    for (const CatalogueEntry &entry : ReadSourceCatalogue(context.call.files.sources)) {
        if (!typeName.contains(entry.type))
            typeName.insert(entry.type, entry.name);
    }
    const std::optional<RegistrySnapshot> read = context.readRegistry();
    if (!read)
        return AdminExit::Refused;
    const RegistrySnapshot &registry = *read;
    QString text;
    QJsonArray records;
    for (const QString &name : registry.names()) {
        const DataSourceRecord record = registry.record(name);
        const qint32 type = record.whole32(RecordKey::Type);
        const QString description = record.text(RecordKey::Description);
        if (context.call.json) {
            records.append(QJsonObject{{QStringLiteral("name"), name},
                                       {QStringLiteral("type"), type},
                                       {QStringLiteral("typeName"), typeName.value(type)},
                                       {QStringLiteral("description"), description}});
        } else {
            text += name % QLatin1Char('\t') % QString::number(type) % QLatin1Char('\t')
                    % typeName.value(type) % QLatin1Char('\t') % description % QLatin1Char('\n');
        }
    }
    context.out.write(context.call.json ? QJsonDocument(records).toJson() : text.toUtf8());
    return AdminExit::Done;
}

} // namespace tessel
