#include <QIODevice>
#include <QJsonDocument>
#include <QJsonObject>

#include "tools/admin/AdminCommands.h"
#include "tools/admin/AdminContext.h"

namespace tessel {
namespace {

// The name as the registry spells it, which a command may give in any
// letter case.
QString NameInFile(const RegistrySnapshot &registry, const QString &name)
{
    for (const QString &stored : registry.names()) {
        if (stored.compare(name, Qt::CaseInsensitive) == 0)
            return stored;
    }
    return name;
}

} // namespace

int RunShow(AdminContext &context)
{
    if (context.call.operands.size() != 1)
        return context.badUsage();
    const QString &name = context.call.operands.first();
    const std::optional<RegistrySnapshot> read = context.readRegistry();
    if (!read)
        return AdminExit::Refused;
    const RegistrySnapshot &registry = *read;
    if (!registry.contains(name))
        return context.noSuchRecord(name);
    const QStringList keyNames = registry.keyNames(name);
    if (context.call.json) {
        QJsonObject keys;
        for (const QString &key : keyNames)
            keys.insert(key, JsonValue(key, registry.value(name, key)));
        const QJsonObject record{{QStringLiteral("name"), NameInFile(registry, name)},
                                 {QStringLiteral("keys"), keys}};
        context.out.write(QJsonDocument(record).toJson());
    } else {
        QString text;
        for (const QString &key : keyNames)
            text += key % QLatin1Char('=') % registry.value(name, key) % QLatin1Char('\n');
        context.out.write(text.toUtf8());
    }
    return AdminExit::Done;
}

} // namespace tessel
