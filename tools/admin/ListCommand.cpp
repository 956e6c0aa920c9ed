#include <QHash>

#include "profile/NumericText.h"
#include "registry/SourceCatalogue.h"
#include "tools/admin/AdminCommands.h"
#include "tools/admin/AdminContext.h"

namespace tessel {

// One record a line (or a JSON object), written as the file is gone through.
int RunList(AdminContext &context)
{
    QHash<qint32, QString> typeName;
    for (const CatalogueEntry &entry : ReadSourceCatalogue(context.call.files.sources)) {
        if (!typeName.contains(entry.type))
            typeName.insert(entry.type, entry.name);
    }
    const std::optional<RegistrySnapshot> read = context.readExistingRegistry();
    if (!read)
        return AdminExit::Refused;
    const ProfileDocument &registry = read->document();
    const QString descriptionKey = KeyName(RecordKey::Description);
    bool first = true;
    if (context.call.json)
        context.write("[");
    for (const ProfileDocument::SectionView &record : registry.namedSections()) {
        const qint32 type = WholeNumber32(RecordText(registry, record, RecordKey::Type));
        const QString description = ShownValue(record.value(descriptionKey));
        if (context.call.json) {
            const QByteArray object = "{\"description\":" + JsonString(description)
                + ",\"name\":" + JsonString(record.name()) + ",\"type\":" + QByteArray::number(type)
                + ",\"typeName\":" + JsonString(typeName.value(type)) + '}';
            context.write(first ? "\n    " : ",\n    ");
            context.write(object);
        } else {
            context.write((record.name() % QLatin1Char('\t') % QString::number(type) % QLatin1Char('\t')
                           % typeName.value(type) % QLatin1Char('\t') % description % QLatin1Char('\n'))
                              .toUtf8());
        }
        first = false;
    }
    if (context.call.json)
        context.write(first ? "]\n" : "\n]\n");
    return AdminExit::Done;
}

} // namespace tessel
