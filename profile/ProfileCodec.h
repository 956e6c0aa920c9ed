#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace tessel {

// How the bytes of one profile file stand for its text. A file without a
// byte-order mark is in the Windows-1252 code page; a mark at its start makes
// it UTF-8 or UTF-16LE, and a rewrite keeps the mark and the encoding.
class ProfileCodec
{
public:
    enum class Encoding {
        Windows1252,
        Utf8,
        Utf16LE
    };

    ProfileCodec() = default;
    explicit ProfileCodec(Encoding encoding)
        : m_encoding(encoding)
    { }

    // The codec named by the mark at the start of a file's bytes.
    static ProfileCodec ForFile(QByteArrayView bytes);

    Encoding encoding() const { return m_encoding; }
    qsizetype byteOrderMarkSize() const;

    // Bytes per code unit: line breaks are found by whole units.
    int unitSize() const { return m_encoding == Encoding::Utf16LE ? 2 : 1; }
    char16_t unitAt(QByteArrayView bytes, qsizetype offset) const;
    // The offset of the first carriage return or line feed at or after from;
    // the end of bytes when there is none.
    qsizetype lineBreakAt(QByteArrayView bytes, qsizetype from) const;

    QString decode(QByteArrayView bytes) const;
    // Appends the text of bytes to text, as text += decode(bytes) does.
    void appendDecoded(QString &text, QByteArrayView bytes) const;
    QByteArray encode(QStringView text) const;

    // The text as it reads back from the file after being written to it.
    QString fit(const QString &text) const;
    // The characters of text that the encoding cannot hold, each once, in
    // the order they first appear; empty when it holds them all.
    QString lostCharacters(const QString &text) const;

private:
    Encoding m_encoding = Encoding::Windows1252;
};

} // namespace tessel
