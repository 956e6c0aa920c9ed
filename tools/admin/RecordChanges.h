#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <deque>
#include <optional>
#include <utility>

#include "tools/admin/RecordTemplate.h"

namespace tessel {

class AdminContext;
class ProfileEdit;

// What one command did to one record.
enum class ChangeKind {
    Added,
    Replaced,
    Unchanged,
    Removed
};

// A record's keys as the file spells them, with their values as they read.
using KeyValues = QList<std::pair<QString, QString>>;

// A record as it stands within an edit: its bytes, or nothing when missing.
struct RecordState
{
    std::optional<QByteArray> bytes;
    KeyValues keys;
};

// The record's state; its keys only when withKeys (a JSON report shows them).
RecordState StateOf(const ProfileEdit &edit, const QString &name, bool withKeys);

// One record's change, with the record before and after it (nothing on the
// side where it does not exist).
struct RecordChange
{
    QString name;
    ChangeKind kind = ChangeKind::Unchanged;
    std::optional<KeyValues> before;
    std::optional<KeyValues> after;
};

RecordChange CompareStates(const QString &name, RecordState before, RecordState after);

// "added Roads", one line a record.
QByteArray ChangesText(const QList<RecordChange> &changes);
// {"changed": ..., "records": [{"name", "change", "before", "after"}, ...]}
QByteArray ChangesJson(const QList<RecordChange> &changes);

// The records one import or remove registers and removes, in this order.
struct ChangeRequest
{
    std::deque<CheckedRecord> records; // template order
    QStringList removals;
    QString outcome; // "Nothing was registered", said on refusal
    QString source; // the template, as messages name it
    QString action; // "import county.ini", "remove": the registry's history names the change so
};

// Applies the request as one edit of the registry (no write when nothing
// changes or with --dry-run) and prints what became of each record. The
// registry it replaces is kept as a version of its history, noted as
// "import county.ini: 1 added, 2 replaced" or "remove Roads, Lakes". When any
// record is refused, every refusal is said and nothing is written.
int ApplyChanges(AdminContext &context, const ChangeRequest &request);

} // namespace tessel
