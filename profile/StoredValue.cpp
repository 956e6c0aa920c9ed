#include "profile/StoredValue.h"

#include "profile/ProfileCodec.h"
#include "profile/ProfileNames.h"
#include "profile/ProfileReading.h"

namespace tessel {

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
    if (value.size() > LongestWholeValue) {
        return NotWritten(
            WriteFailure::TooLong, {},
            QStringLiteral("the value is %1 characters long; values of up to %2 characters read back whole")
                .arg(value.size())
                .arg(LongestWholeValue));
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
