#include "profile/ProfileCodec.h"

#include "platform/Windows1252.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <cstring>

namespace tessel {

namespace {

constexpr QByteArrayView Utf8Mark("\xEF\xBB\xBF");
constexpr QByteArrayView Utf16LEMark("\xFF\xFE");

} // namespace

ProfileCodec ProfileCodec::ForFile(QByteArrayView bytes)
{
    if (bytes.startsWith(Utf8Mark))
        return ProfileCodec(Encoding::Utf8);
    if (bytes.startsWith(Utf16LEMark))
        return ProfileCodec(Encoding::Utf16LE);
    return ProfileCodec(Encoding::Windows1252);
}

qsizetype ProfileCodec::byteOrderMarkSize() const
{
    switch (m_encoding) {
    case Encoding::Utf8:
        return Utf8Mark.size();
    case Encoding::Utf16LE:
        return Utf16LEMark.size();
    case Encoding::Windows1252:
        break;
    }
    return 0;
}

char16_t ProfileCodec::unitAt(QByteArrayView bytes, qsizetype offset) const
{
    if (m_encoding == Encoding::Utf16LE)
        return char16_t(uchar(bytes[offset]) | (uchar(bytes[offset + 1]) << 8));
    return uchar(bytes[offset]);
}

qsizetype ProfileCodec::lineBreakAt(QByteArrayView bytes, qsizetype from) const
{
    if (from >= bytes.size())
        return bytes.size();
    if (unitSize() == 1) {
        const char *begin = bytes.data() + from;
        const char *end = bytes.data() + bytes.size();
        const auto *lineFeed = static_cast<const char *>(std::memchr(begin, '\n', size_t(end - begin)));
        const char *limit = lineFeed ? lineFeed : end;
        const auto *carriageReturn =
            static_cast<const char *>(std::memchr(begin, '\r', size_t(limit - begin)));
        return (carriageReturn ? carriageReturn : limit) - bytes.data();
    }
    qsizetype offset = from;
    for (; offset + unitSize() <= bytes.size(); offset += unitSize()) {
        const char16_t unit = unitAt(bytes, offset);
        if (unit == u'\r' || unit == u'\n')
            return offset;
    }
    return offset; // a half code unit at the very end is no part of the text
}

QString ProfileCodec::decode(QByteArrayView bytes) const
{
    switch (m_encoding) {
    case Encoding::Utf8:
        return QString::fromUtf8(bytes);
    case Encoding::Utf16LE:
        return QStringDecoder(QStringConverter::Utf16LE, QStringConverter::Flag::Stateless)(bytes);
    case Encoding::Windows1252:
        break;
    }
    return Windows1252::Decode(bytes);
}

void ProfileCodec::appendDecoded(QString &text, QByteArrayView bytes) const
{
    if (m_encoding != Encoding::Windows1252) {
        text += decode(bytes);
        return;
    }
    // One character a byte, written in place: no string for each line.
    const qsizetype at = text.size();
    text.resize(at + bytes.size());
    QChar *out = text.data() + at;
    for (const char byte : bytes)
        *out++ = Windows1252::ToUnicode(uchar(byte));
}

QByteArray ProfileCodec::encode(QStringView text) const
{
    switch (m_encoding) {
    case Encoding::Utf8:
        return text.toUtf8();
    case Encoding::Utf16LE:
        return QStringEncoder(QStringConverter::Utf16LE, QStringConverter::Flag::Stateless)(text);
    case Encoding::Windows1252:
        break;
    }
    return Windows1252::Encode(text);
}

QString ProfileCodec::fit(const QString &text) const
{
    return m_encoding == Encoding::Windows1252 ? Windows1252::Fit(text) : text;
}

QString ProfileCodec::lostCharacters(const QString &text) const
{
    if (fit(text) == text)
        return {};
    QString lost;
    for (qsizetype at = 0; at < text.size();) {
        const qsizetype length = text[at].isHighSurrogate() && at + 1 < text.size() ? 2 : 1;
        const QString character = text.sliced(at, length);
        if (fit(character) != character && !lost.contains(character))
            lost += character;
        at += length;
    }
    return lost;
}

} // namespace tessel
