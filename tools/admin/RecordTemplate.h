#pragma once

#include <optional>
#include <variant>

#include <QString>

#include "registry/DataSourceRecord.h"

namespace tessel {

class ProfileDocument;

// A record of an import file, checked as the configuration dialogs check
// their input, with the texts a dialog's save would write for it.
struct CheckedRecord
{
    QString name;               // trimmed as the dialogs trim it
    qint32 type = 0;
    RecordValues values;        // Type to Priority
    std::optional<qint16> privateBits;   // a Private value the file gives
};

// Checks the section of file named section. Keys the file does not give take
// the values a new record gets in its dialog; keys a dialog always writes the
// same way (Attributes and Capabilities of demand-load records) take those.
// Gives the reason when the record cannot be registered.
std::variant<CheckedRecord, QString> CheckTemplateRecord(const ProfileDocument &file,
                                                         const QString &section);

} // namespace tessel
