#pragma once

#include <optional>

#include <QList>
#include <QString>
#include <QtGlobal>

// The data source types: the catalogue of types offered for new sources
// (section "Sources" of SRCS.INI) and what a type code selects, an icon in the
// lists and a configuration dialog.
namespace tessel {

namespace SourceType {
inline constexpr qint32 Native = 1;
inline constexpr qint32 NativeRaster = 2;
inline constexpr qint32 DemandLoad = 4;
inline constexpr qint32 Odbc = 5;
} // namespace SourceType

enum class ConfigDialogKind {
    Native,
    DemandLoad,
    Odbc
};

struct CatalogueEntry
{
    QString name; // shown in the type list as it stands
    qint32 type;
};

inline const QString CatalogueSection = QStringLiteral("Sources");

// The type code of a catalogue value: its first comma-separated field read as
// a number and rounded ("4.6,x" gives 5, "Error" gives 0).
qint32 CatalogueTypeCode(const QString &value);

// The entries of the catalogue in the order of its keys; a missing file or
// section gives none.
QList<CatalogueEntry> ReadSourceCatalogue(const QString &sourcesIniPath);

// The cell of the icon strip that stands for a type, or nothing for a type
// that has no icon (the lists then show cell 0).
std::optional<qint16> SrcTypeToIcon(qint32 type);

// The dialog that configures sources of a type, or nothing for a type that
// has none.
std::optional<ConfigDialogKind> ConfigDialogOfType(qint32 type);

} // namespace tessel
