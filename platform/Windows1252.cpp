#include "platform/Windows1252.h"

#include <array>

namespace tessel::Windows1252 {

namespace {

// Bytes 0x80 to 0x9F; all others stand for the character of the same number.
constexpr std::array<char16_t, 32> HighControlRange = {
    u'\u20AC', u'\u0081', u'\u201A', u'\u0192', u'\u201E', u'\u2026', u'\u2020', u'\u2021',
    u'\u02C6', u'\u2030', u'\u0160', u'\u2039', u'\u0152', u'\u008D', u'\u017D', u'\u008F',
    u'\u0090', u'\u2018', u'\u2019', u'\u201C', u'\u201D', u'\u2022', u'\u2013', u'\u2014',
    u'\u02DC', u'\u2122', u'\u0161', u'\u203A', u'\u0153', u'\u009D', u'\u017E', u'\u0178',
};

constexpr uchar FirstTableByte = 0x80;
constexpr uchar Replacement = '?';

// The byte of c, or Replacement when the code page has none.
uchar ByteOf(char16_t c)
{
    if (c < FirstTableByte || (c >= 0xA0 && c <= 0xFF))
        return uchar(c);
    for (std::size_t i = 0; i < HighControlRange.size(); ++i) {
        if (HighControlRange[i] == c)
            return uchar(FirstTableByte + i);
    }
    return Replacement;
}

bool IsHeld(char16_t c)
{
    return c == Replacement || ByteOf(c) != Replacement;
}

} // namespace

QChar ToUnicode(uchar byte)
{
    if (byte >= FirstTableByte && byte < FirstTableByte + HighControlRange.size())
        return QChar(HighControlRange[byte - FirstTableByte]);
    return QChar(char16_t(byte));
}

QString Decode(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char byte : bytes)
        *out++ = ToUnicode(uchar(byte));
    return text;
}

QByteArray Encode(QStringView text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        bytes.append(char(ByteOf(c.unicode())));
    }
    return bytes;
}

QString Fit(const QString &text)
{
    for (const QChar c : text) {
        if (!IsHeld(c.unicode()))
            return Decode(Encode(text));
    }
    return text;
}

} // namespace tessel::Windows1252
