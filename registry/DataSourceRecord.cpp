#include "registry/DataSourceRecord.h"

#include <QLocale>

#include "profile/NumericText.h"
#include "profile/ProfileNames.h"
#include "profile/ProfileDocument.h"
#include "profile/ProfileEdit.h"
#include "profile/ProfileReading.h"
#include "profile/StoredValue.h"
#include "profile/ProfileStore.h"
#include "registry/RecordRules.h"
#include "registry/RegistryHistory.h"

namespace tessel {
namespace {

const RecordKeyEntry &specOf(RecordKey key)
{
    return RecordKeys[std::size_t(key)];
}

// Takes the text before the first separator off the front of text; without a
// separator the whole text is taken.
QStringView takeField(QStringView &text, QChar separator)
{
    const qsizetype at = text.indexOf(separator);
    const QStringView field = at < 0 ? text : text.first(at);
    text = at < 0 ? QStringView() : text.sliced(at + 1);
    return field;
}

} // namespace

QString KeyName(RecordKey key)
{
    return specOf(key).name.toString();
}

QString ReadDefault(RecordKey key)
{
    return specOf(key).readDefault.toString();
}

DataSourceRecord::DataSourceRecord(std::shared_ptr<const ProfileDocument> snapshot, QString name)
    : m_snapshot(std::move(snapshot))
    , m_name(std::move(name))
{ }

DataSourceRecord DataSourceRecord::New(qint32 type)
{
    const RecordValues values = NewRecordValues(type);
    QList<ProfileEntry> entries;
    for (int index = 0; index < SavedKeyCount; ++index)
        entries.append({KeyName(RecordKey(index)), values[RecordKey(index)]});
    auto document =
        std::make_shared<const ProfileDocument>(ProfileDocument().withValues(NewRecordMarker, entries));
    return DataSourceRecord(std::move(document), NewRecordMarker);
}

QString DataSourceRecord::text(RecordKey key) const
{
    return LookupString(*m_snapshot, m_name, KeyName(key), ReadDefault(key));
}

double DataSourceRecord::number(RecordKey key) const
{
    return LeadingNumber(text(key));
}

qint16 DataSourceRecord::whole16(RecordKey key) const
{
    return WholeNumber16(text(key));
}

qint32 DataSourceRecord::whole32(RecordKey key) const
{
    return WholeNumber32(text(key));
}

RegistrySnapshot::RegistrySnapshot(std::shared_ptr<const ProfileDocument> document)
    : m_document(std::move(document))
{ }

Result<RegistrySnapshot, FileError> RegistrySnapshot::Read(const QString &registryPath)
{
    auto document = ReadProfileDocument(registryPath);
    if (!document)
        return Failure{document.error()};
    return RegistrySnapshot(std::move(*document));
}

const ProfileDocument &RegistrySnapshot::document() const
{
    return *m_document;
}

QStringList RegistrySnapshot::names() const
{
    return m_document->sectionNames();
}

bool RegistrySnapshot::contains(const QString &name) const
{
    return m_document->hasSection(name);
}

QStringList RegistrySnapshot::keyNames(const QString &name) const
{
    return m_document->keyNames(name);
}

QString RegistrySnapshot::value(const QString &name, const QString &key) const
{
    return LookupString(*m_document, name, key, {});
}

std::optional<QString> RegistrySnapshot::storedValue(const QString &name, const QString &key) const
{
    return m_document->value(name, key);
}

const ProfileCodec &RegistrySnapshot::codec() const
{
    return m_document->codec();
}

DataSourceRecord RegistrySnapshot::record(const QString &name) const
{
    return DataSourceRecord(m_document, name);
}

QList<ListedRecord> ListRecords(const ProfileDocument &registry)
{
    const QString typeDefault = ReadDefault(RecordKey::Type);
    QList<ListedRecord> records;
    for (auto &[name, type] : registry.sectionValues(KeyName(RecordKey::Type)))
        records.append({std::move(name), WholeNumber32(ReadValue(registry, type, typeDefault))});
    return records;
}

QString RecordText(const ProfileDocument &registry, const ProfileDocument::SectionView &record, RecordKey key)
{
    const std::optional<QStringView> value = record.value(RecordKeys[std::size_t(key)].name);
    return ReadValue(registry, value ? std::optional<QString>(value->toString()) : std::nullopt,
                     ReadDefault(key));
}

QString FlagText(bool set)
{
    return set ? QStringLiteral("1") : QStringLiteral("0");
}

QString DecimalText(double number)
{
    // Adding 0.0 turns a negative zero into zero, so that it prints as "0".
    return QString::number(number + 0.0, 'f', QLocale::FloatingPointShortest);
}

Scales ParseScales(const QString &text)
{
    QStringView rest = text;
    Scales scales;
    scales.minimum = LeadingNumber(takeField(rest, QLatin1Char(',')));
    scales.maximum = LeadingNumber(takeField(rest, QLatin1Char(',')));
    scales.overview = LeadingNumber(takeField(rest, QLatin1Char(',')));
    return scales;
}

QString ScalesText(bool allScales, const QString &minimum, const QString &maximum, const QString &overview)
{
    const QString zero = QStringLiteral("0");
    const QChar comma = QLatin1Char(',');
    return (allScales ? zero : minimum) % comma % (allScales ? zero : maximum) % comma % overview;
}

SourceId ParseSourceId(const QString &text)
{
    if (IsNumericText(text))
        return {false, text};
    return {true, {}};
}

QString SourceIdText(bool automatic, const QString &number)
{
    return automatic ? AutomaticId : number;
}

DemandConnect SplitDemandConnect(const QString &text)
{
    QStringView rest = text;
    const QStringView path = takeField(rest, QLatin1Char(' '));
    return {path.toString(), rest.toString()};
}

QString DemandConnectText(const QString &dldPath, const QString &entity)
{
    return dldPath % QLatin1Char(' ') % entity;
}

bool IsStorableName(const QString &name)
{
    return CheckSectionName(name) && name != NewRecordMarker;
}

QString &RecordValues::operator[](RecordKey key)
{
    Q_ASSERT(int(key) < SavedKeyCount);
    return m_texts[std::size_t(key)];
}

const QString &RecordValues::operator[](RecordKey key) const
{
    Q_ASSERT(int(key) < SavedKeyCount);
    return m_texts[std::size_t(key)];
}

WriteResult ApplyRecordSave(ProfileEdit &edit, const RecordSave &save)
{
    const QString &newName = save.newName;
    if (!IsStorableName(newName))
        return NotWritten(WriteFailure::BadName, {}, newName);
    const auto privateOf = [&](const QString &name) {
        return WholeNumber16(LookupString(edit.section(name), name, KeyName(RecordKey::Private),
                                          ReadDefault(RecordKey::Private)));
    };

    const bool isNew = save.currentName == NewRecordMarker;
    const bool sameRecord = !isNew && save.currentName.compare(newName, Qt::CaseInsensitive) == 0;
    if (!sameRecord && edit.hasSection(newName))
        return NotWritten(WriteFailure::NameTaken, {}, newName);

    if (!isNew && save.unchangedSince) {
        const StoredRecord now = StoredRecord::Of(edit.section(save.currentName), save.currentName);
        if (now != *save.unchangedSince)
            return NotWritten(now.keys ? WriteFailure::RecordChanged : WriteFailure::RecordRemoved, {},
                              save.currentName);
    }

    // A registration rewrites its record in place; a rename writes it afresh
    // under the new name. Either way the record carries its Private bits.
    const bool inPlace = save.rewriteWhole && sameRecord;
    const bool renamed = !isNew && !inPlace && newName != save.currentName;
    const int carriedBits = inPlace || renamed ? privateOf(save.currentName) : 0;
    if (renamed) {
        if (WriteResult removed = edit.removeSection(save.currentName); !removed)
            return removed;
    }

    QList<ProfileEntry> entries;
    for (int index = 0; index < SavedKeyCount; ++index) {
        const auto key = RecordKey(index);
        entries.append({KeyName(key), save.values[key]});
    }
    const int keptBits = inPlace ? 0 : privateOf(newName);
    const int privateBits = keptBits | carriedBits | save.addedPrivateBits
        | (save.privateRule == PrivateOnSave::MarkSavedByNative ? PrivateBit::SavedByNative : 0);
    if (save.privateRule == PrivateOnSave::MarkSavedByNative || carriedBits != 0 || privateBits != keptBits)
        entries.append({KeyName(RecordKey::Private), QString::number(qint16(privateBits))});
    return inPlace ? edit.rewriteSection(newName, entries, ReadBack::Exactly)
                   : edit.setValues(newName, entries, ReadBack::Exactly);
}

StoredRecord StoredRecord::Of(const ProfileDocument &registry, const QString &name)
{
    if (!registry.hasSection(name))
        return {};
    QMap<QString, QString> keys;
    for (const QString &key : registry.keyNames(name)) {
        const QString folded = key.toCaseFolded();
        if (!keys.contains(folded))
            keys.insert(folded, registry.value(name, key).value_or(QString()));
    }
    return {std::move(keys)};
}

WriteResult SaveRecord(const QString &registryPath, const RecordSave &save)
{
    const bool renamed = save.currentName != NewRecordMarker && save.currentName != save.newName;
    const RegistryAction action{renamed
                                    ? QStringLiteral("rename %1 to %2").arg(save.currentName, save.newName)
                                    : QStringLiteral("save %1").arg(save.newName)};
    return EditRegistry(registryPath, action, [&](ProfileEdit &edit) { return ApplyRecordSave(edit, save); });
}

WriteResult RemoveRecords(const QString &registryPath, const QStringList &names, const QString &verb)
{
    const RegistryAction action{ActionOnRecords(verb, names)};
    return EditRegistry(registryPath, action, [&](ProfileEdit &edit) {
        for (const QString &name : names) {
            if (WriteResult removed = edit.removeSection(name); !removed)
                return removed;
        }
        return WriteResult();
    });
}

} // namespace tessel
