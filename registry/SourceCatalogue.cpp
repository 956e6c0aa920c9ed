#include "registry/SourceCatalogue.h"

#include <QStringList>

#include "profile/NumericText.h"
#include "profile/ProfileStore.h"

namespace tessel {

qint32 CatalogueTypeCode(const QString &value)
{
    return WholeNumber32(value.section(QLatin1Char(','), 0, 0));
}

QList<CatalogueEntry> ReadSourceCatalogue(const QString &sourcesIniPath)
{
    QList<CatalogueEntry> entries;
    QStringList names = ReadProfileKeys(CatalogueSection, sourcesIniPath).split(ListSeparator);
    names.removeLast(); // every name is followed by a separator
    for (const QString &name : std::as_const(names)) {
        const QString value =
            ReadProfileString(CatalogueSection, name, QStringLiteral("Error"), sourcesIniPath);
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
