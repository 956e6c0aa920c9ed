#include "registry/DldEntities.h"

#include <QByteArray>
#include <QFile>

#include <cstring>

#include "platform/TextHelpers.h"
#include "platform/Windows1252.h"

namespace tessel {
namespace {

// DLD files run to tens of megabytes; they are read in blocks of this size
// straight into one buffer.
constexpr qint64 BlockSize = qint64(1) << 20;

constexpr char ByteOrderMark[] = "\xEF\xBB\xBF";
constexpr int ByteOrderMarkLength = sizeof(ByteOrderMark) - 1;

constexpr char Keyword[] = "ENTITY DLD";
constexpr int KeywordLength = sizeof(Keyword) - 1;

constexpr char CarriageReturn = '\r';
constexpr char LineFeed = '\n';

// The product's white space (WhiteSpaceChars), tested on undecoded bytes:
// its four characters are ASCII, one byte each in the code page. The names
// are trimmed byte by byte (trimmedName) because they stay undecoded.
bool isWhiteSpace(char c)
{
    return WhiteSpaceChars.contains(QLatin1Char(c));
}

char upperAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}

// Splits the bytes of a DLD file into lines and collects the names of the
// declaration lines. Bytes are looked at one by one only at the start of a
// line; the rest of a line that cannot be a declaration is passed over with
// a search for its end, without being copied. The code page has one byte per
// character and the white space and keyword characters are ASCII, so the
// rules can be applied to the bytes and only the names need decoding.
class DeclarationScanner
{
public:
    explicit DeclarationScanner(EntityNames &names)
        : m_names(names)
    { }

    void feed(const char *data, qsizetype size)
    {
        const char *position = data;
        const char *const end = data + size;
        if (m_atFileStart)
            position = skipByteOrderMark(position, end);
        while (position < end)
            position = step(position, end);
    }

    // At the end of the file: its last line need not end with a carriage return.
    void finish()
    {
        if (m_atFileStart)
            endByteOrderMark(); // a file shorter than the mark
        endLine();
    }

private:
    // Passes over the bytes of the mark at the start of the file, which may
    // arrive split across blocks; bytes that turn out not to be the mark are
    // read as text.
    const char *skipByteOrderMark(const char *position, const char *end)
    {
        while (position < end && m_markMatched < ByteOrderMarkLength) {
            if (*position != ByteOrderMark[m_markMatched]) {
                endByteOrderMark();
                return position;
            }
            ++m_markMatched;
            ++position;
        }
        if (m_markMatched == ByteOrderMarkLength)
            m_atFileStart = false;
        return position;
    }

    void endByteOrderMark()
    {
        m_atFileStart = false;
        const char *const matched = ByteOrderMark;
        for (const char *position = matched; position < matched + m_markMatched;)
            position = step(position, matched + m_markMatched);
    }

    enum class State {
        LeadingSpace, // before the first character that is not white space
        Keyword, // matching the keyword; m_matched characters so far
        Separator, // the keyword is complete; the next character is skipped
        Name, // collecting the rest of the line into m_name
        Skip, // not a declaration: passing over the rest of the line
    };

    // Handles what follows position up to end and returns where it stopped.
    const char *step(const char *position, const char *end)
    {
        if (m_afterCarriageReturn) {
            m_afterCarriageReturn = false;
            if (*position == LineFeed)
                return position + 1;
        }
        const char c = *position;
        switch (m_state) {
        case State::LeadingSpace:
            if (c == CarriageReturn) {
                endLine();
                return position + 1;
            }
            if (isWhiteSpace(c))
                return position + 1;
            m_state = State::Keyword;
            return position;
        case State::Keyword:
            if (c == CarriageReturn) {
                endLine();
            } else if (upperAscii(c) != Keyword[m_matched]) {
                m_state = State::Skip;
                return position;
            } else if (++m_matched == KeywordLength) {
                m_state = State::Separator;
            }
            return position + 1;
        case State::Separator:
            if (c == CarriageReturn)
                endLine();
            else
                m_state = State::Name;
            return position + 1;
        case State::Name:
        case State::Skip:
            break;
        }
        const char *lineEnd =
            static_cast<const char *>(std::memchr(position, CarriageReturn, size_t(end - position)));
        const char *restEnd = lineEnd ? lineEnd : end;
        if (m_state == State::Name)
            m_name.append(position, restEnd - position);
        if (!lineEnd)
            return end;
        endLine();
        return lineEnd + 1;
    }

    void endLine()
    {
        if (m_state == State::Separator || m_state == State::Name)
            m_names.append(trimmedName());
        m_state = State::LeadingSpace;
        m_matched = 0;
        m_name.clear();
        m_afterCarriageReturn = true;
    }

    QByteArrayView trimmedName() const
    {
        qsizetype first = 0;
        qsizetype last = m_name.size();
        while (first < last && isWhiteSpace(m_name.at(first)))
            ++first;
        while (last > first && isWhiteSpace(m_name.at(last - 1)))
            --last;
        return QByteArrayView(m_name).sliced(first, last - first);
    }

    EntityNames &m_names;
    bool m_atFileStart = true;
    int m_markMatched = 0;
    State m_state = State::LeadingSpace;
    int m_matched = 0;
    QByteArray m_name;
    bool m_afterCarriageReturn = false;
};

} // namespace

QString EntityNames::at(qsizetype index) const
{
    return Windows1252::Decode(encodedAt(index));
}

QByteArrayView EntityNames::encodedAt(qsizetype index) const
{
    const qsizetype begin = index == 0 ? 0 : m_ends.at(index - 1);
    return QByteArrayView(m_bytes).sliced(begin, m_ends.at(index) - begin);
}

QStringList EntityNames::toList() const
{
    QStringList list;
    list.reserve(size());
    for (qsizetype index = 0; index < size(); ++index)
        list.append(at(index));
    return list;
}

void EntityNames::append(QByteArrayView name)
{
    m_bytes.append(name);
    m_ends.append(m_bytes.size());
}

DldEntities ReadDldEntities(QIODevice &device)
{
    DldEntities result;
    DeclarationScanner scanner(result.names);
    QByteArray block(BlockSize, Qt::Uninitialized);
    for (;;) {
        const qint64 count = device.read(block.data(), BlockSize);
        if (count < 0) {
            // A line cut short by the failure is not taken.
            result.errorText = device.errorString();
            return result;
        }
        if (count == 0)
            break;
        scanner.feed(block.constData(), count);
    }
    scanner.finish();
    return result;
}

DldEntities ReadDldEntities(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        DldEntities result;
        result.errorText = file.errorString();
        return result;
    }
    return ReadDldEntities(file);
}

} // namespace tessel
