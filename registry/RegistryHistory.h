#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

#include "profile/FileHistory.h"
#include "profile/WriteResult.h"

// The registry's history at the level of records: what each replacement
// added, changed and removed, the differences between two readings, and
// changes that keep the registry they replace as a version.
namespace tessel {

class ProfileEdit;
struct EditedSections;
struct FileChange;

// One key of a record whose value differs: nothing where the key is missing.
struct KeyDifference
{
    QString key;
    std::optional<QString> before;
    std::optional<QString> after;
};

// A record that one reading of the registry has and another lacks, or has
// with other values.
struct RecordDifference
{
    enum class Kind {
        Added,
        Changed,
        Removed
    };

    QString name;
    Kind kind = Kind::Changed;
    // Every key of an added or removed record; the keys that differ of a
    // changed one; none where only names were asked for.
    QList<KeyDifference> keys;
};

// Whether a comparison gives the keys that differ of each record, or only
// names the records, as a version's note does.
enum class DifferenceDetail {
    Keys,
    Names
};

// The records that differ between two readings of the registry: compared by
// name, letter case ignored, and by the values their keys read as. Records
// the bytes show to be alike are not compared at all, and Windows-1252 files
// are not parsed whole, so that two large files with changes spread through
// them stay cheap to compare.
QList<RecordDifference> CompareRecords(const QByteArray &before, const QByteArray &after,
                                       DifferenceDetail detail = DifferenceDetail::Keys);
// The same for a change whose edits tell the sections they touched: only
// those are compared, so that a change of one record costs little in any
// registry.
QList<RecordDifference> CompareRecords(const FileChange &change,
                                       DifferenceDetail detail = DifferenceDetail::Keys);
QList<RecordDifference> CompareRecords(const EditedSections &sections,
                                       DifferenceDetail detail = DifferenceDetail::Keys);

// What a change of the registry does, in words, for its history and for the
// user: "save Roads", "delete Roads", "restore 12". With countRecords the
// records added and replaced follow: "import county.ini: 1 added, 2 replaced".
struct RegistryAction
{
    QString words;
    bool countRecords = false;
};

// The words of an action on named records: the verb and the names, the
// first three and how many more when there are more ("remove Roads, Rivers,
// Lakes and 997 more"), as the version's note lists them all.
QString ActionOnRecords(const QString &verb, const QStringList &names);

// One change of the registry as one locked replacement (see EditProfile)
// that first keeps the registry it replaces as a version in its history,
// with the action and the records added, changed and removed. When the
// version cannot be kept, nothing is written and the result says why. A
// change that changes nothing makes no version. kept, when given, receives
// the version's note. The action is read once the edits have run, so that
// they may word it from what they did.
WriteResult EditRegistry(const QString &registryPath, const RegistryAction &action,
                         const std::function<WriteResult(ProfileEdit &)> &edits, VersionNote *kept = nullptr);

// Within an edit, the records of an older registry: the whole file when
// names is empty, else each named record as old has it, removed when old
// lacks it. A record the registry lacks goes back where old has it: before
// the first record after it there that the registry has, else at the end.
WriteResult ApplyRestore(ProfileEdit &edit, const QByteArray &oldBytes, const QStringList &names);

// The history of the registry at registryPath.
FileHistory RegistryHistory(const QString &registryPath);

} // namespace tessel
