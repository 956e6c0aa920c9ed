#include "tools/admin/RecordTemplate.h"

#include <algorithm>
#include <array>

#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>

#include "registry/ProfileCodec.h"
#include "registry/ProfileNames.h"
#include "registry/ProfileReading.h"
#include "registry/SourceCatalogue.h"
#include "tools/common/ProfileFileCheck.h"

namespace tessel {
namespace {

constexpr int StorageNameLimit = 8;
constexpr qint64 Whole32Limit = 2147483647;

// The text of a template's bytes, or nothing when they are not valid in the
// encoding their byte-order mark names.
std::optional<QString> decodeTemplate(QByteArrayView bytes)
{
    const ProfileCodec codec = ProfileCodec::ForFile(bytes);
    const QByteArrayView body = bytes.sliced(codec.byteOrderMarkSize());
    if (codec.encoding() == ProfileCodec::Encoding::Windows1252) {
        QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        const QString text = utf8(body);
        return utf8.hasError() ? codec.decode(body) : text;
    }
    QStringDecoder decoder(codec.encoding() == ProfileCodec::Encoding::Utf8 ? QStringConverter::Utf8
                                                                           : QStringConverter::Utf16LE,
                           QStringConverter::Flag::Stateless);
    const QString text = decoder(body);
    if (decoder.hasError() || body.size() % codec.unitSize() != 0)
        return std::nullopt;
    return text;
}

// A control character that no text line holds (TAB, vertical tab and form
// feed are blanks of the format), or a byte-order mark after the file's start,
// which the store's reading drops at the start of a line.
std::optional<QChar> strayControl(QStringView line)
{
    for (const QChar c : line) {
        if ((c.category() == QChar::Other_Control && !IsProfileBlank(c)) || c == QChar::ByteOrderMark)
            return c;
    }
    return std::nullopt;
}

QString atLine(int number, const QString &problem)
{
    return QStringLiteral("line %1: %2").arg(number).arg(problem);
}

struct NumberRange
{
    qint64 least;
    qint64 most;

    bool holds(QStringView text) const
    {
        bool ok = !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
            return c >= u'0' && c <= u'9';
        });
        const qint64 number = ok ? text.toLongLong(&ok) : 0;
        return ok && number >= least && number <= most;
    }

    QString problemWith(QStringView text) const
    {
        if (holds(text))
            return {};
        if (least == most)
            return QStringLiteral("must be %1, not \"%2\"").arg(least).arg(text);
        return QStringLiteral("must be a whole number from %1 to %2, not \"%3\"")
            .arg(least)
            .arg(most)
            .arg(text);
    }
};

// The values a configuration dialog saves for a new record of type that the
// user leaves as they are.
RecordValues newRecordValues(qint32 type)
{
    RecordValues values;
    values[RecordKey::Type] = QString::number(type);
    values[RecordKey::ReadOnly] = FlagText(type == SourceType::DemandLoad);
    values[RecordKey::ID] = AutomaticId;
    values[RecordKey::AutoConnect] = FlagText(false);
    values[RecordKey::Scales] = QStringLiteral("0,0,0");
    values[RecordKey::Priority] = QStringLiteral("127");
    switch (type) {
    case SourceType::Native:
        values[RecordKey::Attributes] = QString::number(AccessMode::Editable);
        values[RecordKey::Capabilities] = QString::number(CapabilityBit::Create | CapabilityBit::Import
                                                          | CapabilityBit::Unload
                                                          | CapabilityBit::Export);
        break;
    case SourceType::NativeRaster:
        values[RecordKey::Attributes] = QString::number(AccessMode::Backdrop);
        values[RecordKey::Capabilities] =
            QString::number(CapabilityBit::Import | CapabilityBit::Unload);
        break;
    default:
        values[RecordKey::Attributes] = QString::number(AccessMode::Backdrop);
        values[RecordKey::Capabilities] = QStringLiteral("0");
        break;
    }
    return values;
}

// The whole numbers a key holds: any type code, the dialogs' choices,
// Priority's labelled range, and the 16-bit reading of Private. Demand-load
// records always carry the Attributes and Capabilities their dialog writes.
std::optional<NumberRange> rangeOf(RecordKey key, qint32 type)
{
    const bool demandLoad = type == SourceType::DemandLoad;
    switch (key) {
    case RecordKey::Type:
        return NumberRange{0, Whole32Limit};
    case RecordKey::ReadOnly:
    case RecordKey::AutoConnect:
        return NumberRange{0, 1};
    case RecordKey::Attributes:
        return demandLoad ? NumberRange{AccessMode::Backdrop, AccessMode::Backdrop}
                          : NumberRange{AccessMode::None, AccessMode::Editable};
    case RecordKey::Capabilities:
        return NumberRange{0, demandLoad ? 0 : CapabilityBit::Create | CapabilityBit::Import
                                                   | CapabilityBit::Unload | CapabilityBit::Export};
    case RecordKey::Priority:
        return NumberRange{0, 255};
    case RecordKey::Private:
        return NumberRange{0, 32767};
    default:
        return std::nullopt;
    }
}

// The storage name of a native record, the DLD file and entity of a
// demand-load record; other types hold what their own programs write.
QString problemWithConnect(const QString &text, qint32 type)
{
    if (type == SourceType::DemandLoad) {
        const DemandConnect connect = SplitDemandConnect(text);
        if (connect.dldPath.isEmpty())
            return QStringLiteral("must hold the DLD file path, a blank and the entity");
        if (connect.entity.isEmpty())
            return QStringLiteral("names no entity after the DLD file path");
        return {};
    }
    if (ConfigDialogOfType(type) != ConfigDialogKind::Native)
        return {};
    if (text.isEmpty())
        return QStringLiteral("must hold the storage name");
    if (text.size() > StorageNameLimit)
        return QStringLiteral("the storage name \"%1\" is longer than %2 characters")
            .arg(text)
            .arg(StorageNameLimit);
    return {};
}

QString keyList()
{
    QStringList names;
    for (const RecordKeyEntry &entry : RecordKeys)
        names.append(entry.name.toString());
    return names.join(QStringLiteral(", "));
}

} // namespace

QString ProblemWithRecordValue(RecordKey key, const QString &text, qint32 type)
{
    const NumberRange whole32{0, Whole32Limit};
    switch (key) {
    case RecordKey::Connect:
        return problemWithConnect(text, type);
    case RecordKey::ID:
        if (text.compare(AutomaticId, Qt::CaseInsensitive) == 0 || whole32.holds(text))
            return {};
        return QStringLiteral("must be Auto or a whole number from 0 to %1, not \"%2\"")
            .arg(Whole32Limit)
            .arg(text);
    case RecordKey::Scales: {
        const QStringList fields = text.split(u',');
        if (fields.size() == 3 && std::all_of(fields.begin(), fields.end(), [&](const QString &field) {
                return whole32.holds(field);
            }))
            return {};
        return QStringLiteral("must be three whole numbers from 0 to %1 joined by commas, not \"%2\"")
            .arg(Whole32Limit)
            .arg(text);
    }
    default:
        const std::optional<NumberRange> range = rangeOf(key, type);
        return range ? range->problemWith(text) : QString();
    }
}

bool HoldsNumber(RecordKey key)
{
    return key == RecordKey::ID || rangeOf(key, SourceType::Native).has_value();
}

std::optional<RecordKey> RecordKeyNamed(QStringView name)
{
    for (const RecordKeyEntry &entry : RecordKeys) {
        if (name.compare(entry.name, Qt::CaseInsensitive) == 0)
            return entry.key;
    }
    return std::nullopt;
}

TemplateReading ReadTemplate(QByteArrayView bytes)
{
    const std::optional<QString> text = decodeTemplate(bytes);
    if (!text)
        return QStringLiteral("the text after the byte-order mark is not in the encoding the mark names");
    QList<TemplateSection> sections;
    int number = 0;
    for (const QString &line : text->split(QRegularExpression(QStringLiteral("\r\n|\r|\n")))) {
        ++number;
        if (const std::optional<QChar> control = strayControl(line)) {
            const QString code = QString::number(control->unicode(), 16).toUpper().rightJustified(4, u'0');
            return atLine(number, QStringLiteral("the control character U+%1 is no text; this is no template file")
                                      .arg(code));
        }
        const QStringView trimmed = TrimProfileBlanks(line);
        if (trimmed.isEmpty() || trimmed.startsWith(u';'))
            continue;
        if (trimmed.startsWith(u'[')) {
            if (trimmed.size() < 2 || !trimmed.endsWith(u']'))
                return atLine(number, QStringLiteral("a section line ends with \"]\""));
            const QString name = TrimProfileBlanks(trimmed.sliced(1, trimmed.size() - 2)).toString();
            if (name.isEmpty())
                return atLine(number, QStringLiteral("the section has no name"));
            sections.append({name, number, {}});
            continue;
        }
        const qsizetype equals = trimmed.indexOf(u'=');
        if (equals < 0)
            return atLine(number, QStringLiteral("the line is no section line, key=value line or comment"));
        if (sections.isEmpty())
            return atLine(number, QStringLiteral("a key before the first section belongs to no record"));
        sections.back().keys.append({TrimProfileBlanks(trimmed.first(equals)).toString(),
                                     StripQuotes(TrimProfileBlanks(trimmed.sliced(equals + 1)))});
    }
    if (sections.isEmpty())
        return QStringLiteral("the file holds no section, so it registers nothing");
    return sections;
}

TemplateReading ReadTemplateFile(const QString &path)
{
    if (const QString problem = ProblemWithFileKind(path); !problem.isEmpty())
        return problem;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
    return ReadTemplate(file.readAll());
}

std::variant<CheckedRecord, QString> CheckTemplateRecord(const TemplateSection &section,
                                                         const ProfileCodec &registryCodec)
{
    CheckedRecord record;
    record.name = section.name;
    if (!IsStorableName(record.name))
        return QStringLiteral("the name cannot be stored in the registry");
    if (const QString problem = ProblemWithEncoding(record.name, registryCodec); !problem.isEmpty())
        return QStringLiteral("the name: ") + problem;

    std::array<std::optional<QString>, RecordKeys.size()> given;
    for (const TemplateKey &key : section.keys) {
        const std::optional<RecordKey> known = RecordKeyNamed(key.name);
        if (!known)
            return QStringLiteral("%1: a record has no such key (its keys are %2)").arg(key.name, keyList());
        std::optional<QString> &value = given[std::size_t(*known)];
        if (value)
            return QStringLiteral("%1: the key is given twice").arg(key.name);
        if (const QString problem = ProblemWithStoredValue(key.value, registryCodec); !problem.isEmpty())
            return QStringLiteral("%1: %2").arg(key.name, problem);
        value = key.value;
    }

    const QString typeText = given[std::size_t(RecordKey::Type)].value_or(QString());
    record.type = NumberRange{1, 4}.holds(typeText) ? typeText.toInt() : 0;
    if (record.type != SourceType::Native && record.type != SourceType::NativeRaster
        && record.type != SourceType::DemandLoad) {
        return QStringLiteral("Type: must be 1, 2 or 4, not \"%1\"").arg(typeText);
    }

    record.values = newRecordValues(record.type);
    for (const RecordKeyEntry &entry : RecordKeys) {
        const std::optional<QString> &value = given[std::size_t(entry.key)];
        if (!value && entry.key != RecordKey::Connect)
            continue;
        const QString text = value.value_or(QString());
        if (const QString problem = ProblemWithRecordValue(entry.key, text, record.type); !problem.isEmpty())
            return entry.name.toString() + QStringLiteral(": ") + problem;
        if (entry.key == RecordKey::Private)
            record.privateBits = qint16(text.toInt());
        else
            record.values[entry.key] = text;
    }
    return record;
}

} // namespace tessel
