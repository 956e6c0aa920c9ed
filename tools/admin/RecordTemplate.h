#pragma once

#include <functional>
#include <optional>

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include "platform/Result.h"
#include "registry/DataSourceRecord.h"
#include "registry/RecordRules.h"

namespace tessel {

class ProfileCodec;

// One key line of a template: the key's name and its value as the store
// reads it (blanks around it and a pair of enclosing quotes removed).
struct TemplateKey
{
    QString name;
    QString value;
};

// One section of a template: a record to register.
struct TemplateSection
{
    QString name; // between the brackets, blanks removed
    int line = 0; // the number of the section line, from 1
    QList<TemplateKey> keys; // in file order
};

using TemplateReading = Result<QList<TemplateSection>>;

// Reads a template, a profile file, strictly: each line is blank, a comment,
// a section line with a name, or a key=value line inside a section. A
// byte-order mark gives the encoding; a file without one is read as UTF-8
// when it is valid UTF-8, else as Windows-1252. Hands each section to take
// as soon as its lines are read, and reads no further once take returns
// false. Fails with why the bytes are no template (naming the line).
Result<void> ReadTemplateSections(QByteArrayView bytes, const std::function<bool(TemplateSection &&)> &take);
// Every section of a template, as ReadTemplateSections reads them.
TemplateReading ReadTemplate(QByteArrayView bytes);

// The bytes of the template at path, or of the standard input for "-"; a
// path that is not a regular file, and a template above the size of any
// profile file, are refused before they are read.
Result<QByteArray> ReadTemplateBytes(const QString &path);

// A record of a template, checked as the configuration dialogs check their
// input, with the texts a dialog's save would write for it.
struct CheckedRecord
{
    QString name;
    qint32 type = 0;
    RecordValues values; // Type to Priority
    std::optional<qint16> privateBits; // a Private value the template gives
    QList<RecordKey> givenKeys; // the keys the template gives, in its order
    // An update that leaves Type out keeps the record's type: its section is
    // checked against that type when the registry is edited.
    std::optional<TemplateSection> awaitingType;
};

// Checks one section of a template for a registry in registryCodec's encoding.
// Keys the section does not give take the values a new record gets in its
// dialog; every key it gives is stored exactly as given, so a key the record
// does not have, a value out of its key's range, and a value the registry
// would not read back as given are refused. Gives the reason, naming the key.
// With GivenKeys a Connect that the section leaves out is no failure: the
// record is an update of one that exists, which keeps its own; so is a Type
// left out, and then the values wait for the record's type (awaitingType).
enum class TemplateCheck {
    WholeRecord,
    GivenKeys
};
Result<CheckedRecord> CheckTemplateRecord(const TemplateSection &section, const ProfileCodec &registryCodec,
                                          TemplateCheck check = TemplateCheck::WholeRecord);

} // namespace tessel
