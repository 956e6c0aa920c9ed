#include "registry/SourceCatalogue.h"

#include <QStringList>

#include "profile/NumericText.h"
#include "profile/ProfileDocument.h"
#include "profile/ProfileReading.h"
#include "profile/ProfileStore.h"

namespace tessel {

qint32 CatalogueTypeCode(const QString &value)
{
    return WholeNumber32(value.section(QLatin1Char(','), 0, 0));
}

QList<CatalogueEntry> ReadSourceCatalogue(const QString &sourcesIniPath)
{
    // One reading of the file gives the names and every value.
    const std::shared_ptr<const ProfileDocument> catalogue = ProfileDocumentForReads(sourcesIniPath);
    const QStringList names = catalogue->keyNames(CatalogueSection);
    QList<CatalogueEntry> entries;
    // A list of names that the store's list form cannot hold reads as none.
    if (JoinNameList(names).isEmpty())
        return entries;
    for (const QString &name : names) {
        const QString value = LookupString(*catalogue, CatalogueSection, name, QStringLiteral("Error"));
        entries.append({name, CatalogueTypeCode(value)});
    }
    return entries;
}

std::optional<qint16> SrcTypeToIcon(qint32 type)
{
    switch (type) {
    case SourceType::Native:
        return 1;
    case SourceType::NativeRaster:
        return 4;
    case SourceType::DemandLoad:
        return 2;
    case SourceType::Odbc:
        return 3;
    default:
        return std::nullopt;
    }
}

std::optional<ConfigDialogKind> ConfigDialogOfType(qint32 type)
{
    switch (type) {
    case SourceType::Native:
    case SourceType::NativeRaster:
        return ConfigDialogKind::Native;
    case SourceType::DemandLoad:
        return ConfigDialogKind::DemandLoad;
    case SourceType::Odbc:
        return ConfigDialogKind::Odbc;
    default:
        return std::nullopt;
    }
}

} // namespace tessel
