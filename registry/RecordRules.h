#pragma once

#include <optional>

#include <QString>
#include <QStringView>

#include "platform/Result.h"
#include "registry/DataSourceRecord.h"

// The rules that a record's values follow, for the configuration dialogs and
// for tessel-admin alike.
namespace tessel {

// The longest name a user may type into a dialog's name box.
inline constexpr int NameLengthLimit = 50;
// The longest storage name of a native record.
inline constexpr int StorageNameLimit = 8;

// The key filter of the name and storage boxes, given the typed character's
// code page code: control keys (below 32, Backspace among them), digits,
// letters A to Z and a to z, the underscore and, when allowBlank is set, the
// blank keep their code; every other key gives 0, which discards it.
int FilterNameKey(int key, bool allowBlank);

// The values a configuration dialog saves for a new record of type that the
// user leaves as they are.
RecordValues NewRecordValues(qint32 type);

// Whether text, as a read gives it, is a value of key in a record of type by
// the rules of the configuration dialogs (a number within its key's range, a
// storage name or DLD file and entity in Connect), or why not.
Result<void> CheckRecordValue(RecordKey key, const QString &text, qint32 type);

// Whether the key's value is a number (ID holds "Auto" as well).
bool HoldsNumber(RecordKey key);

// The record key of this name, letter case ignored.
std::optional<RecordKey> RecordKeyNamed(QStringView name);

} // namespace tessel
