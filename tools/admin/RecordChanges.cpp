#include "tools/admin/RecordChanges.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QIODevice>
#include <QTextStream>

#include <algorithm>

#include "profile/ProfileDocument.h"
#include "profile/ProfileEdit.h"
#include "profile/NumericText.h"
#include "profile/ProfileReading.h"
#include "profile/StoredValue.h"
#include "registry/RecordRules.h"
#include "registry/RegistryHistory.h"
#include "registry/SourceCatalogue.h"
#include "tools/admin/AdminContext.h"

namespace tessel {
namespace {

QString ChangeWord(ChangeKind kind)
{
    switch (kind) {
    case ChangeKind::Added:
        return QStringLiteral("added");
    case ChangeKind::Replaced:
        return QStringLiteral("replaced");
    case ChangeKind::Removed:
        return QStringLiteral("removed");
    case ChangeKind::Unchanged:
        break;
    }
    return QStringLiteral("unchanged");
}

QJsonValue JsonKeys(const std::optional<KeyValues> &keys)
{
    if (!keys)
        return QJsonValue::Null;
    QJsonObject object;
    for (const auto &[key, value] : *keys)
        object.insert(key, value);
    return object;
}

// A template's record written afresh in the fixed key order, as its
// dialog saves it. A record it replaces keeps its Private bits, and bits
// the file gives are added: a registration never clears a protection.
RecordSave Registration(const CheckedRecord &record, bool replace)
{
    RecordSave save;
    save.currentName = replace ? record.name : NewRecordMarker;
    save.newName = record.name;
    save.values = record.values;
    save.privateRule = record.type == SourceType::DemandLoad ? PrivateOnSave::CarryOnRename
                                                             : PrivateOnSave::MarkSavedByNative;
    save.rewriteWhole = true;
    save.addedPrivateBits = record.privateBits.value_or(0);
    return save;
}

int PrivateBitsOf(const ProfileEdit &edit, const QString &name)
{
    return WholeNumber16(
        LookupString(edit.section(name), name, KeyName(RecordKey::Private), ReadDefault(RecordKey::Private)));
}

// The keys a template gives for a record that --update keeps: they replace
// the record's own, and it keeps the others; Private bits given are added
// to the record's.
QList<ProfileEntry> Updates(const ProfileEdit &edit, const CheckedRecord &record)
{
    QList<ProfileEntry> entries;
    for (const RecordKey key : record.givenKeys) {
        if (key != RecordKey::Private)
            entries.append({KeyName(key), record.values[key]});
    }
    if (record.privateBits)
        entries.append({KeyName(RecordKey::Private),
                        QString::number(qint16(PrivateBitsOf(edit, record.name) | *record.privateBits))});
    return entries;
}

// The record as checked against its type: an update that leaves Type out
// takes the type of the record it updates, which must exist.
Result<CheckedRecord> WithRecordType(const ProfileEdit &edit, const CheckedRecord &record, bool exists)
{
    if (!record.awaitingType)
        return record;
    if (!exists)
        return Failure{QStringLiteral("Type: a new record needs its type (1, 2 or 4)")};
    TemplateSection section = *record.awaitingType;
    const QString type = KeyName(RecordKey::Type);
    section.keys.prepend(
        {type, LookupString(edit.section(record.name), record.name, type, ReadDefault(RecordKey::Type))});
    Result<CheckedRecord> typed = CheckTemplateRecord(section, edit.codec(), TemplateCheck::GivenKeys);
    if (typed)
        typed->givenKeys.removeOne(RecordKey::Type); // the record keeps its Type line as it is
    return typed;
}

// What the edit found that refuses the whole change.
struct Refusals
{
    QStringList records; // template records that the registry refuses as they are
    QStringList missing; // names that remove does not find
    QStringList protectedNames;
    QString failedRecord; // the record whose write the store refused

    bool any() const { return !records.isEmpty() || !missing.isEmpty() || !protectedNames.isEmpty(); }
};

// How the registry's history names the change: the records removed, or the
// records an import added and replaced.
QString ActionWords(const ChangeRequest &request, const QList<RecordChange> &changes, bool removeCommand)
{
    const auto count = [&](ChangeKind kind) {
        return std::count_if(changes.begin(), changes.end(),
                             [&](const RecordChange &change) { return change.kind == kind; });
    };
    if (!removeCommand)
        return QStringLiteral("%1: %2 added, %3 replaced")
            .arg(request.action)
            .arg(count(ChangeKind::Added))
            .arg(count(ChangeKind::Replaced));
    QStringList removed;
    for (const RecordChange &change : changes) {
        if (change.kind == ChangeKind::Removed)
            removed.append(change.name);
    }
    return ActionOnRecords(request.action, removed);
}

} // namespace

RecordState StateOf(const ProfileEdit &edit, const QString &name, bool withKeys)
{
    RecordState state{edit.sectionBytes(name), {}};
    if (!state.bytes || !withKeys)
        return state;
    const ProfileDocument record = edit.section(name);
    for (const QString &key : record.keyNames(name))
        state.keys.append({key, LookupString(record, name, key, {})});
    return state;
}

RecordChange CompareStates(const QString &name, RecordState before, RecordState after)
{
    RecordChange change{name, ChangeKind::Unchanged, std::nullopt, std::nullopt};
    if (before.bytes)
        change.before = std::move(before.keys);
    if (after.bytes)
        change.after = std::move(after.keys);
    if (!before.bytes && after.bytes)
        change.kind = ChangeKind::Added;
    else if (before.bytes && !after.bytes)
        change.kind = ChangeKind::Removed;
    else if (before.bytes != after.bytes)
        change.kind = ChangeKind::Replaced;
    return change;
}

QByteArray ChangesText(const QList<RecordChange> &changes)
{
    QString text;
    for (const RecordChange &change : changes)
        text += ChangeWord(change.kind) % QLatin1Char(' ') % change.name % QLatin1Char('\n');
    return text.toUtf8();
}

QByteArray ChangesJson(const QList<RecordChange> &changes)
{
    QJsonArray records;
    for (const RecordChange &change : changes) {
        records.append(QJsonObject{{QStringLiteral("name"), change.name},
                                   {QStringLiteral("change"), ChangeWord(change.kind)},
                                   {QStringLiteral("before"), JsonKeys(change.before)},
                                   {QStringLiteral("after"), JsonKeys(change.after)}});
    }
    const bool changed = std::any_of(changes.begin(), changes.end(), [](const RecordChange &change) {
        return change.kind != ChangeKind::Unchanged;
    });
    return QJsonDocument(
               QJsonObject{{QStringLiteral("changed"), changed}, {QStringLiteral("records"), records}})
        .toJson();
}

int ApplyChanges(AdminContext &context, const ChangeRequest &request)
{
    const AdminInvocation &call = context.call;
    const bool removeCommand = call.command == QLatin1String("remove");
    QList<RecordChange> changes;
    Refusals refusals;
    // Worded once the edits have run, before the version is kept.
    RegistryAction action;
    const auto edits = [&](ProfileEdit &edit) -> WriteResult {
        for (const CheckedRecord &record : request.records) {
            RecordState before = StateOf(edit, record.name, call.json);
            const bool exists = before.bytes.has_value();
            if (exists && !call.replace && !call.update) {
                refusals.records.append(
                    QStringLiteral("[%1]: %2").arg(record.name, AdminContext::alreadyRegistered()));
                continue;
            }
            const Result<CheckedRecord> typed = WithRecordType(edit, record, exists);
            if (!typed) {
                refusals.records.append(QStringLiteral("[%1]: %2").arg(record.name, typed.error()));
                continue;
            }
            // An update checked only the keys given; a new record needs its Connect.
            const Result<void> complete =
                exists || !call.update || typed->givenKeys.contains(RecordKey::Connect)
                ? Result<void>()
                : CheckRecordValue(RecordKey::Connect, {}, typed->type);
            if (!complete) {
                refusals.records.append(
                    QStringLiteral("[%1]: Connect: %2").arg(record.name, complete.error()));
                continue;
            }
            // Every value is stored exactly as given, as a record's save stores it.
            const WriteResult saved = exists && call.update
                ? edit.setValues(record.name, Updates(edit, *typed), ReadBack::Exactly)
                : ApplyRecordSave(edit, Registration(*typed, exists));
            if (!saved) {
                refusals.failedRecord = record.name;
                return saved;
            }
            changes.append(
                CompareStates(record.name, std::move(before), StateOf(edit, record.name, call.json)));
            // A registry past the largest that can be read ends the import here.
            if (WriteResult tooLarge = CheckEditedSize(edit); !tooLarge)
                return tooLarge;
        }
        for (const QString &name : request.removals) {
            RecordState before = StateOf(edit, name, call.json);
            if (!before.bytes && removeCommand)
                refusals.missing.append(name);
            if (before.bytes && !call.force && (PrivateBitsOf(edit, name) & PrivateBit::Protected))
                refusals.protectedNames.append(name);
            if (const WriteResult removed = edit.removeSection(name); !removed) {
                refusals.failedRecord = name;
                return removed;
            }
            changes.append(CompareStates(name, std::move(before), StateOf(edit, name, call.json)));
        }
        // Any refusal abandons the edit; the refusals themselves are said below.
        if (refusals.any())
            return NotWritten(WriteFailure::RecordChanged, {}, {});
        action.words = ActionWords(request, changes, removeCommand);
        return WriteResult();
    };
    const WriteResult written = call.dryRun ? PreviewProfileEdit(context.registry, edits)
                                            : EditRegistry(context.registry, action, edits);
    if (!refusals.missing.isEmpty())
        return context.noSuchRecord(refusals.missing.first());
    if (!refusals.records.isEmpty()) {
        context.err << QStringLiteral("%1. Correct these records of %2 and import again:\n")
                           .arg(request.outcome, request.source);
        for (const QString &failure : refusals.records)
            context.err << QStringLiteral("  ") << failure << QLatin1Char('\n');
        return AdminExit::Refused;
    }
    if (!refusals.protectedNames.isEmpty()) {
        const QString names = refusals.protectedNames.join(QStringLiteral(", "));
        context.err << QStringLiteral(
                           "%1: %2 %3 protected against deletion. Use --force to remove protected records.\n")
                           .arg(request.outcome, names,
                                refusals.protectedNames.size() == 1 ? QStringLiteral("is")
                                                                    : QStringLiteral("are"));
        return AdminExit::Refused;
    }
    if (!written)
        return context.notWritten(written, refusals.failedRecord, request.outcome);
    context.out.write(call.json ? ChangesJson(changes) : ChangesText(changes));
    return AdminExit::Done;
}

} // namespace tessel
