#include "tools/admin/RecordChanges.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

#include "profile/ProfileDocument.h"
#include "profile/ProfileEdit.h"
#include "profile/ProfileReading.h"

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

} // namespace

RecordState StateOf(const ProfileEdit &edit, const QString &name)
{
    RecordState state{edit.sectionBytes(name), {}};
    if (!state.bytes)
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
    return QJsonDocument(QJsonObject{{QStringLiteral("changed"), changed}, {QStringLiteral("records"), records}})
        .toJson();
}

} // namespace tessel
