#include "profile/ProfileReading.h"

#include "profile/ProfileCodec.h"
#include "profile/ProfileDocument.h"
#include "profile/ProfileNames.h"

namespace tessel {

namespace {

// A value is cut at the buffer size less one character, a list at the buffer
// size less two; a text as long as that fills the buffer even when whole.
constexpr qsizetype ValueMargin = 1;
constexpr qsizetype ListMargin = 2;

bool FitsLargestBuffer(qsizetype length, qsizetype margin)
{
    return length < ReadBufferLimit - margin;
}

QString LimitedValue(QString value)
{
    return FitsLargestBuffer(value.size(), ValueMargin) ? value : QString();
}

QStringView WithoutTrailingBlanks(QStringView text)
{
    while (text.endsWith(u' '))
        text.chop(1);
    return text;
}

} // namespace

bool FitsReadBuffer(QStringView value)
{
    return FitsLargestBuffer(value.size(), ValueMargin);
}

QStringView StripQuotes(QStringView value)
{
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'')
        && value.back() == value.front())
        return value.sliced(1, value.size() - 2);
    return value;
}

QString LookupString(const ProfileDocument &document, QStringView section, QStringView key,
                     QStringView defaultValue)
{
    return ReadValue(document, document.value(section, key), defaultValue);
}

QString ReadValue(const ProfileDocument &document, const std::optional<QString> &value,
                  QStringView defaultValue)
{
    if (value)
        return LimitedValue(StripQuotes(*value).toString());
    const QString fitted = document.codec().fit(defaultValue.toString());
    return LimitedValue(StripQuotes(WithoutTrailingBlanks(fitted)).toString());
}

QString JoinNameList(const QStringList &names)
{
    if (names.isEmpty() || names.front().isEmpty())
        return {};
    qsizetype length = 0;
    for (const QString &name : names)
        length += name.size() + 1;
    if (!FitsLargestBuffer(length, ListMargin))
        return {};
    QString list;
    list.reserve(length);
    for (const QString &name : names)
        list.append(name).append(ListSeparator);
    return list;
}

Result<void> CheckEncodable(const QString &text, const ProfileCodec &codec)
{
    const QString lost = codec.lostCharacters(text);
    if (lost.isEmpty())
        return {};
    const QString character = lost.first(lost.front().isHighSurrogate() && lost.size() > 1 ? 2 : 1);
    return Failure{
        QStringLiteral("\"%1\" (U+%2) has no code in Windows-1252, the encoding of a profile "
                       "file without a byte-order mark")
            .arg(character,
                 QString::number(character.toUcs4().value(0), 16).toUpper().rightJustified(4, u'0'))};
}

WriteResult CheckStoredValue(QStringView value, const ProfileCodec &codec, ReadBack readBack)
{
    if (HoldsLineBreak(value))
        return NotWritten(WriteFailure::LineBreak, {},
                          QStringLiteral("the value holds a NUL or a line break"));
    if (!FitsReadBuffer(value)) {
        return NotWritten(
            WriteFailure::TooLong, {},
            QStringLiteral("the value is %1 characters long; values of up to %2 characters read back whole")
                .arg(value.size())
                .arg(ReadBufferLimit - ValueMargin - 1));
    }
    if (const Result<void> encodable = CheckEncodable(value.toString(), codec); !encodable)
        return NotWritten(WriteFailure::Unencodable, {}, encodable.error());
    if (readBack == ReadBack::Carried)
        return {};
    if (TrimProfileBlanks(value).size() != value.size())
        return NotWritten(WriteFailure::ChangedOnRead, {},
                          QStringLiteral("the value begins or ends with a blank, which reading removes"));
    if (StripQuotes(value).size() != value.size())
        return NotWritten(WriteFailure::ChangedOnRead, {},
                          QStringLiteral("the value is enclosed in quotes, which reading removes"));
    return {};
}

} // namespace tessel
