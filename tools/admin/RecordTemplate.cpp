#include "tools/admin/RecordTemplate.h"

#include <algorithm>
#include <array>
#include <functional>

#include <QFile>
#include <QStringDecoder>

#include "platform/FileSnapshot.h"
#include "profile/ProfileCodec.h"
#include "profile/ProfileNames.h"
#include "profile/ProfileReading.h"
#include "profile/StoredValue.h"
#include "registry/SourceCatalogue.h"
#include "platform/FileSnapshot.h"
#include "tools/common/ProfileFileCheck.h"

namespace tessel {
namespace {

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

QString keyList()
{
    QStringList names;
    for (const RecordKeyEntry &entry : RecordKeys)
        names.append(entry.name.toString());
    return names.join(QStringLiteral(", "));
}

} // namespace

Result<void> ReadTemplateSections(QByteArrayView bytes, const std::function<bool(TemplateSection &&)> &take)
{
    const std::optional<QString> text = decodeTemplate(bytes);
    if (!text)
        return Failure{
            QStringLiteral("the text after the byte-order mark is not in the encoding the mark names")};
    const QStringView all(*text);
    std::optional<TemplateSection> section;
    int number = 0;
    for (qsizetype start = 0;;) {
        qsizetype end = start;
        while (end < all.size() && all[end] != u'\r' && all[end] != u'\n')
            ++end;
        const QStringView line = all.sliced(start, end - start);
        ++number;
        if (const std::optional<QChar> control = strayControl(line)) {
            const QString code = QString::number(control->unicode(), 16).toUpper().rightJustified(4, u'0');
            return Failure{atLine(
                number,
                QStringLiteral("the control character U+%1 is no text; this is no template file").arg(code))};
        }
        const QStringView trimmed = TrimProfileBlanks(line);
        if (trimmed.startsWith(u'[')) {
            if (trimmed.size() < 2 || !trimmed.endsWith(u']'))
                return Failure{atLine(number, QStringLiteral("a section line ends with \"]\""))};
            const QString name = TrimProfileBlanks(trimmed.sliced(1, trimmed.size() - 2)).toString();
            if (name.isEmpty())
                return Failure{atLine(number, QStringLiteral("the section has no name"))};
            if (section && !take(*std::exchange(section, std::nullopt)))
                return {};
            section = TemplateSection{name, number, {}};
        } else if (!trimmed.isEmpty() && !trimmed.startsWith(u';')) {
            const qsizetype equals = trimmed.indexOf(u'=');
            if (equals < 0)
                return Failure{
                    atLine(number, QStringLiteral("the line is no section line, key=value line or comment"))};
            if (!section)
                return Failure{
                    atLine(number, QStringLiteral("a key before the first section belongs to no record"))};
            section->keys.append({TrimProfileBlanks(trimmed.first(equals)).toString(),
                                  StripQuotes(TrimProfileBlanks(trimmed.sliced(equals + 1))).toString()});
        }
        if (end == all.size())
            break;
        start = end + (all[end] == u'\r' && end + 1 < all.size() && all[end + 1] == u'\n' ? 2 : 1);
    }
    if (section)
        take(std::move(*section));
    return {};
}

TemplateReading ReadTemplate(QByteArrayView bytes)
{
    QList<TemplateSection> sections;
    const Result<void> read = ReadTemplateSections(bytes, [&](TemplateSection &&section) {
        sections.append(std::move(section));
        return true;
    });
    if (!read)
        return Failure{read.error()};
    return sections;
}

Result<QByteArray> ReadTemplateBytes(const QString &path)
{
    if (path == QLatin1String("-")) {
        QFile input;
        if (!input.open(stdin, QIODevice::ReadOnly))
            return Failure{QStringLiteral("cannot read the standard input: %1").arg(input.errorString())};
        QByteArray bytes = input.read(MaxReadableFileSize + 1);
        if (bytes.size() > MaxReadableFileSize)
            return Failure{QStringLiteral("the standard input holds more than the %1 MB a template may have")
                               .arg(MaxReadableFileSize / (1024 * 1024))};
        if (input.error() != QFileDevice::NoError)
            return Failure{QStringLiteral("cannot read the standard input: %1").arg(input.errorString())};
        return bytes;
    }
    if (const Result<void> kind = CheckFileKind(path); !kind)
        return Failure{kind.error()};
    // The store's read: a file larger than any registry is refused, naming
    // its size, before it is read.
    Result<FileSnapshot, FileError> file = ReadFileSnapshot(path);
    if (!file)
        return Failure{file.error().text};
    return std::move(file->bytes);
}

Result<CheckedRecord> CheckTemplateRecord(const TemplateSection &section, const ProfileCodec &registryCodec,
                                          TemplateCheck check)
{
    CheckedRecord record;
    record.name = section.name;
    if (!IsStorableName(record.name))
        return Failure{QStringLiteral("the name cannot be stored in the registry")};
    if (const Result<void> encodable = CheckEncodable(record.name, registryCodec); !encodable)
        return Failure{QStringLiteral("the name: ") + encodable.error()};

    std::array<std::optional<QString>, RecordKeys.size()> given;
    for (const TemplateKey &key : section.keys) {
        const std::optional<RecordKey> known = RecordKeyNamed(key.name);
        if (!known)
            return Failure{
                QStringLiteral("%1: a record has no such key (its keys are %2)").arg(key.name, keyList())};
        std::optional<QString> &value = given[std::size_t(*known)];
        if (value)
            return Failure{QStringLiteral("%1: the key is given twice").arg(key.name)};
        if (const WriteResult stored = CheckStoredValue(key.value, registryCodec); !stored)
            return Failure{QStringLiteral("%1: %2").arg(key.name, stored.error().detail)};
        value = key.value;
        record.givenKeys.append(*known);
    }

    if (!given[std::size_t(RecordKey::Type)] && check == TemplateCheck::GivenKeys) {
        record.awaitingType = section;
        return record;
    }
    const QString typeText = given[std::size_t(RecordKey::Type)].value_or(QString());
    record.type = CheckRecordValue(RecordKey::Type, typeText, 0) ? typeText.toInt() : 0;
    if (record.type != SourceType::Native && record.type != SourceType::NativeRaster
        && record.type != SourceType::DemandLoad) {
        return Failure{QStringLiteral("Type: must be 1, 2 or 4, not \"%1\"").arg(typeText)};
    }

    record.values = NewRecordValues(record.type);
    for (const RecordKeyEntry &entry : RecordKeys) {
        const std::optional<QString> &value = given[std::size_t(entry.key)];
        if (!value && (entry.key != RecordKey::Connect || check == TemplateCheck::GivenKeys))
            continue;
        const QString text = value.value_or(QString());
        if (const Result<void> valid = CheckRecordValue(entry.key, text, record.type); !valid)
            return Failure{entry.name.toString() + QStringLiteral(": ") + valid.error()};
        if (entry.key == RecordKey::Private)
            record.privateBits = qint16(text.toInt());
        else
            record.values[entry.key] = text;
    }
    return record;
}

} // namespace tessel
