#pragma once

#include <array>
#include <memory>
#include <optional>

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QtGlobal>

#include "platform/Result.h"
#include "platform/SystemError.h"
#include "profile/ProfileCodec.h"
#include "profile/ProfileDocument.h"
#include "profile/WriteResult.h"

// A data source record: one section of the registry file, named by the data
// source name. This header holds the record's keys, their read defaults and
// encodings, and the rules for reading, saving, renaming and removing records.
namespace tessel {

// The name a configuration dialog edits while it creates a new record.
inline const QString NewRecordMarker = QStringLiteral("<<__New__>>");

// The keys of a record, in the order in which a save writes them.
enum class RecordKey {
    Type,
    Description,
    Connect,
    ReadOnly,
    ID,
    Attributes,
    Capabilities,
    AutoConnect,
    Scales,
    Priority,
    Private,
};

struct RecordKeyEntry
{
    RecordKey key;
    QStringView name;
    QStringView readDefault;
};

// Every key with its name and the value a missing key reads as, in key order.
inline constexpr std::array<RecordKeyEntry, 11> RecordKeys = {{
    {RecordKey::Type, u"Type", u"1"},
    {RecordKey::Description, u"Description", u""},
    {RecordKey::Connect, u"Connect", u""},
    {RecordKey::ReadOnly, u"ReadOnly", u"0"},
    {RecordKey::ID, u"ID", u"Auto"},
    {RecordKey::Attributes, u"Attributes", u"Auto"},
    {RecordKey::Capabilities, u"Capabilities", u"0"},
    {RecordKey::AutoConnect, u"AutoConnect", u"0"},
    {RecordKey::Scales, u"Scales", u"0,0,0"},
    {RecordKey::Priority, u"Priority", u"127"},
    {RecordKey::Private, u"Private", u"0"},
}};

// A configuration dialog's save writes the keys from Type to Priority;
// Private follows its own rule (see PrivateOnSave).
inline constexpr int SavedKeyCount = int(RecordKey::Private);

QString KeyName(RecordKey key);
QString ReadDefault(RecordKey key);

// Bits of the Private key.
namespace PrivateBit {
inline constexpr int Locked = 1; // the dialogs open with their inputs disabled
inline constexpr int Protected = 2; // the record cannot be deleted
inline constexpr int SavedByNative = 8; // set by every save of the native dialog
} // namespace PrivateBit

// Bits of the Capabilities key (native sources).
namespace CapabilityBit {
inline constexpr int Create = 1;
inline constexpr int Import = 2;
inline constexpr int Unload = 4;
inline constexpr int Export = 8;
} // namespace CapabilityBit

// Codes of the Attributes key (native sources): the access mode.
namespace AccessMode {
inline constexpr int None = 0;
inline constexpr int Backdrop = 1;
inline constexpr int ReadOnly = 2;
inline constexpr int Editable = 3;
} // namespace AccessMode

// The value of ID when the host numbers the source itself.
inline const QString AutomaticId = QStringLiteral("Auto");

class ProfileEdit;

// One record of the registry file, read from a snapshot of the file: every
// key as it was when the snapshot was taken. A missing section or key reads
// as the key's read default.
class DataSourceRecord
{
public:
    DataSourceRecord(std::shared_ptr<const ProfileDocument> snapshot, QString name);
    // The new record of type: it reads as the values that saving an
    // untouched configuration dialog writes (NewRecordValues).
    static DataSourceRecord New(qint32 type);

    const QString &name() const { return m_name; }
    // True for the new-record marker: such a record has nothing to read.
    bool isNew() const { return m_name == NewRecordMarker; }

    QString text(RecordKey key) const;
    // The leading number of the key's text (0 when it has none).
    double number(RecordKey key) const;
    // The number rounded to a whole number and held to the type's range.
    qint16 whole16(RecordKey key) const;
    qint32 whole32(RecordKey key) const;

private:
    std::shared_ptr<const ProfileDocument> m_snapshot;
    QString m_name;
};

// The registry as it was at one moment, parsed once: a list or an export
// takes every record from the same reading of the file.
class RegistrySnapshot
{
public:
    explicit RegistrySnapshot(std::shared_ptr<const ProfileDocument> document);
    // The registry as it is now; a missing file is the empty registry, a
    // file that cannot be read gives the reason.
    static Result<RegistrySnapshot, FileError> Read(const QString &registryPath);

    const ProfileDocument &document() const;

    // The names of all records, in file order.
    QStringList names() const;
    // Whether a record of this name exists (letter case ignored).
    bool contains(const QString &name) const;
    // The names of the keys the record holds, in file order.
    QStringList keyNames(const QString &name) const;
    // The value of any key of the record, empty when it has none.
    QString value(const QString &name, const QString &key) const;
    // The key's value as the file holds it, however long, quotes and all;
    // nothing when the record has no such key.
    std::optional<QString> storedValue(const QString &name, const QString &key) const;
    // The encoding of the registry file.
    const ProfileCodec &codec() const;
    DataSourceRecord record(const QString &name) const;

private:
    std::shared_ptr<const ProfileDocument> m_document;
};

// A record as the main window lists it.
struct ListedRecord
{
    QString name;
    qint32 type = 0;
};

// Every record's name and type in file order, from one reading of the file.
QList<ListedRecord> ListRecords(const ProfileDocument &registry);

// What a read of the key gives in one section of the registry, as
// DataSourceRecord::text gives it, for readers that go through every record.
QString RecordText(const ProfileDocument &registry, const ProfileDocument::SectionView &record,
                   RecordKey key);

// "1" or "0", the encoding of ReadOnly and AutoConnect.
QString FlagText(bool set);

// A number as its shortest decimal text, without exponent ("025" reads as 25).
QString DecimalText(double number);

// The Scales key: minimum and maximum active scale and overview render
// scale, each the denominator of a map scale. Minimum and maximum both 0
// mean that the source is active at all scales.
struct Scales
{
    double minimum = 0;
    double maximum = 0;
    double overview = 0;

    bool allScales() const { return minimum == 0 && maximum == 0; }
};

// Splits at the commas; a missing field counts as 0, fields after the third
// are ignored.
Scales ParseScales(const QString &text);
// The three box texts joined by commas; with allScales the first two are "0".
QString ScalesText(bool allScales, const QString &minimum, const QString &maximum, const QString &overview);

// The ID key: a number given by the user, or automatic numbering.
struct SourceId
{
    bool automatic = true;
    QString number; // the stored text when it is a number, else empty
};

// A value that reads as a number as a whole is a source number; anything
// else (the default "Auto" included) means automatic numbering.
SourceId ParseSourceId(const QString &text);
QString SourceIdText(bool automatic, const QString &number);

// The Connect key of a demand-load record: the DLD file path, one blank, the
// entity name. Reading splits at the first blank, so a path holding a blank
// comes back cut there.
struct DemandConnect
{
    QString dldPath;
    QString entity;
};

DemandConnect SplitDemandConnect(const QString &text);
QString DemandConnectText(const QString &dldPath, const QString &entity);

// False for names the registry file cannot carry as a section name (an empty
// name, a name holding "]" or a line break) and for the new-record marker.
bool IsStorableName(const QString &name);

// The texts a save writes, one for each key from Type to Priority.
class RecordValues
{
public:
    QString &operator[](RecordKey key);
    const QString &operator[](RecordKey key) const;

private:
    std::array<QString, SavedKeyCount> m_texts;
};

// How a save treats the Private key. Either way a renamed record keeps its
// Private bits: they are carried from the old name to the new one, combined
// with any bits that a record of the new name already had.
enum class PrivateOnSave {
    // Private is written only to carry a renamed record's bits.
    CarryOnRename,
    // Private is always written, with SavedByNative added.
    MarkSavedByNative,
};

// A record as every reader of the file sees it: each key (named in folded
// case, the first line of a name winning) with its value as read, blanks
// around it removed. Blank and comment lines, the order and spacing of the
// lines and their line ends are no part of it, so that only a change that
// some reader would see makes two of them differ. Nothing when there is no
// such record.
struct StoredRecord
{
    std::optional<QMap<QString, QString>> keys;

    static StoredRecord Of(const ProfileDocument &registry, const QString &name);

    friend bool operator==(const StoredRecord &, const StoredRecord &) = default;
};

// One record saved as a configuration dialog saves it when the user
// confirms it.
struct RecordSave
{
    // The name the dialog was opened for, or the new-record marker.
    QString currentName;
    // The name to save under, already trimmed.
    QString newName;
    RecordValues values;
    PrivateOnSave privateRule = PrivateOnSave::CarryOnRename;
    // Replaces the record whole, in its place: its keys are written afresh
    // under the same name, keeping its Private bits (a registration from a
    // template).
    bool rewriteWhole = false;
    // Private bits added to those the record keeps (given by a template).
    int addedPrivateBits = 0;
    // The record currentName as the saver read it: when given, the save is
    // refused if another program has changed or removed it since.
    std::optional<StoredRecord> unchangedSince = std::nullopt;
};

// Applies a save within an edit of the registry. When the names differ
// (letter case counts) the section currentName is removed first, so that the
// record is written afresh under its new name and carries its Private bits
// there. The keys are then written in their fixed order, and Private by the
// rule. Refused, writing nothing: a name that is not storable, a value the
// file cannot hold, and a new name that another record already uses (letter
// case ignored, as the file compares names), and a record changed or removed
// since unchangedSince; for these the result's detail is the name.
WriteResult ApplyRecordSave(ProfileEdit &edit, const RecordSave &save);

// A save as one replacement of the registry file, kept in its history as
// "save NAME" (or "rename OLD to NEW").
WriteResult SaveRecord(const QString &registryPath, const RecordSave &save);

// Removes the records' sections with all their keys, as one replacement of
// the registry file, kept in its history as the verb and the names
// ("delete Roads").
WriteResult RemoveRecords(const QString &registryPath, const QStringList &names,
                          const QString &verb = QStringLiteral("delete"));

} // namespace tessel
