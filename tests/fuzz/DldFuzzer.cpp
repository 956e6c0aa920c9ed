// The DLD entity reader against a naive reading of the whole file at once,
// with the file handed over in small pieces and, at times, a read failure.
#include "FuzzCheck.h"

#include "platform/Windows1252.h"
#include "registry/DldEntities.h"

#include <QIODevice>

#include <fuzzer/FuzzedDataProvider.h>

using namespace tessel;
using namespace tessel::fuzz;

namespace {

// Hands out its bytes at most `piece` at a time; with failAt set, the read
// that would go past that offset fails.
class TrickleDevice : public QIODevice
{
public:
    TrickleDevice(QByteArray bytes, qsizetype piece, std::optional<qsizetype> failAt)
        : m_bytes(std::move(bytes))
        , m_piece(piece)
        , m_failAt(failAt)
    {
        open(ReadOnly | Unbuffered);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const qsizetype count = std::min({qsizetype(maxSize), m_piece, m_bytes.size() - m_offset});
        if (m_failAt && m_offset + count > *m_failAt) {
            setErrorString(QStringLiteral("read failed"));
            return -1;
        }
        std::memcpy(data, m_bytes.constData() + m_offset, size_t(count));
        m_offset += count;
        return count;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray m_bytes;
    qsizetype m_piece;
    std::optional<qsizetype> m_failAt;
    qsizetype m_offset = 0;
};

QByteArray Trimmed(const QByteArray &line)
{
    const auto white = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    const auto first = std::find_if_not(line.begin(), line.end(), white);
    const auto last = std::find_if_not(line.rbegin(), std::make_reverse_iterator(first), white);
    return QByteArray(first, last.base() - first);
}

// Lines end at carriage returns (a line feed after one is trimmed as white space);
// a failed reading reads only the lines that ended.
QStringList ReferenceEntities(const QByteArray &bytes, bool failed)
{
    QByteArrayList lines = bytes.split('\r');
    if (failed)
        lines.removeLast();
    QStringList names;
    for (const QByteArray &line : std::as_const(lines)) {
        if (const QByteArray trimmed = Trimmed(line); trimmed.toUpper().startsWith("ENTITY DLD"))
            names.append(Windows1252::Decode(Trimmed(trimmed.mid(11))));
    }
    return names;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const qsizetype piece = input.ConsumeIntegralInRange<qsizetype>(1, 64);
    const bool fail = input.ConsumeBool();
    const auto failAt = input.ConsumeIntegral<quint16>();
    const QByteArray bytes = Bytes(input.ConsumeRemainingBytes<uint8_t>());

    TrickleDevice device(bytes, piece, fail ? std::optional<qsizetype>(failAt) : std::nullopt);
    const DldEntities entities = ReadDldEntities(device);
    const bool failed = fail && failAt < bytes.size();
    FUZZ_CHECK(entities.failed() == failed);
    // A failed read hands over whole pieces before the failing one.
    const qsizetype delivered = failed ? failAt / piece * piece : bytes.size();
    FUZZ_CHECK(entities.names.toList() == ReferenceEntities(bytes.first(delivered), failed));
    return 0;
}
