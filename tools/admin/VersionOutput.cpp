#include "tools/admin/VersionOutput.h"

#include <QIODevice>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include "platform/FileSnapshot.h"

namespace tessel {

namespace {

QJsonValue JsonText(const std::optional<QString> &text)
{
    return text ? QJsonValue(*text) : QJsonValue(QJsonValue::Null);
}

QJsonArray JsonDifferences(const QList<RecordDifference> &differences)
{
    QJsonArray records;
    for (const RecordDifference &difference : differences) {
        QJsonArray keys;
        for (const KeyDifference &key : difference.keys) {
            keys.append(QJsonObject{{QStringLiteral("key"), key.key},
                                    {QStringLiteral("before"), JsonText(key.before)},
                                    {QStringLiteral("after"), JsonText(key.after)}});
        }
        records.append(QJsonObject{{QStringLiteral("name"), difference.name},
                                   {QStringLiteral("change"), KindName(difference.kind)},
                                   {QStringLiteral("keys"), keys}});
    }
    return records;
}

// A record a line, its keys indented below it: key=value for an added or
// removed record, key: before -> after for a changed one.
QString DifferencesText(const QList<RecordDifference> &differences)
{
    const auto shown = [](const std::optional<QString> &text) {
        return text.value_or(QStringLiteral("(missing)"));
    };
    QString text;
    for (const RecordDifference &difference : differences) {
        text += KindName(difference.kind) % QStringLiteral(" [") % difference.name % QStringLiteral("]\n");
        for (const KeyDifference &key : difference.keys) {
            if (difference.kind == RecordDifference::Kind::Changed)
                text += QStringLiteral("  ") % key.key % QStringLiteral(": ") % shown(key.before)
                    % QStringLiteral(" -> ") % shown(key.after) % u'\n';
            else
                text += QStringLiteral("  ") % key.key % u'=' % shown(key.before ? key.before : key.after)
                    % u'\n';
        }
    }
    return text;
}

} // namespace

QString KindName(RecordDifference::Kind kind)
{
    switch (kind) {
    case RecordDifference::Kind::Added:
        return QStringLiteral("added");
    case RecordDifference::Kind::Removed:
        return QStringLiteral("removed");
    case RecordDifference::Kind::Changed:
        break;
    }
    return QStringLiteral("changed");
}

QByteArray DifferencesOutput(const QList<RecordDifference> &differences, bool json)
{
    return json ? QJsonDocument(JsonDifferences(differences)).toJson()
                : DifferencesText(differences).toUtf8();
}

std::optional<int> VersionNumber(const QString &text)
{
    bool isNumber = false;
    const int number = text.toInt(&isNumber);
    return isNumber && number > 0 ? std::optional(number) : std::nullopt;
}

VersionReader::VersionReader(const QString &registry, QTextStream &err)
    : m_registry(registry)
    , m_history(RegistryHistory(registry))
    , m_err(err)
{ }

std::optional<QByteArray> VersionReader::read(const QString &version)
{
    if (version == NowVersion) {
        Result<FileSnapshot, FileError> now = ReadFileSnapshot(m_registry);
        if (now)
            return std::move(now->bytes);
        if (now.error().code == ENOENT)
            return QByteArray();
        return refused(now.error().text);
    }
    const std::optional<int> number = VersionNumber(version);
    if (!number)
        return refused(QStringLiteral("\"%1\" is not a version number or \"now\"").arg(version));
    Result<QByteArray, FileError> bytes = m_history.bytes(*number);
    if (!bytes)
        return refused(bytes.error().text);
    return std::move(*bytes);
}

std::optional<QString> VersionReader::newest()
{
    Result<QList<VersionNote>, FileError> versions = m_history.versions();
    if (versions && !versions->isEmpty())
        return QString::number(versions->first().number);
    refused(versions ? QStringLiteral("%1 has no history yet").arg(m_registry) : versions.error().text);
    return std::nullopt;
}

std::nullopt_t VersionReader::refused(const QString &why)
{
    m_err << QStringLiteral("tessel-admin: %1\n").arg(why);
    return std::nullopt;
}

} // namespace tessel
