#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

#include "profile/FileHistory.h"
#include "registry/RegistryHistory.h"

class QTextStream;

// What tessel-admin's history, diff and restore share: reading versions of
// the registry and showing the differences between two of them.
namespace tessel {

// The name of the registry as it is now, where a version number may stand.
inline const QString NowVersion = QStringLiteral("now");

// "added", "changed" or "removed".
QString KindName(RecordDifference::Kind kind);

// The differences as diff shows them: a record a line, its keys indented
// below it (key=value for an added or removed record, key: before -> after
// for a changed one); with json one array of records.
QByteArray DifferencesOutput(const QList<RecordDifference> &differences, bool json);

// A version's number as given on the command line, or nothing.
std::optional<int> VersionNumber(const QString &text);

// The registry as it is now, or as it was in a version; a version that
// cannot be read is said on err.
class VersionReader
{
public:
    VersionReader(const QString &registry, QTextStream &err);

    // The bytes of the registry as it is now (version "now"), or as it was
    // in the version numbered.
    std::optional<QByteArray> read(const QString &version);
    // The number of the newest version, when there is one.
    std::optional<QString> newest();

private:
    std::nullopt_t refused(const QString &why);

    const QString &m_registry;
    FileHistory m_history;
    QTextStream &m_err;
};

} // namespace tessel
