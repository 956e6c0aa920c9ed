#include <gtest/gtest.h>

#include <QBuffer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstring>

#include "registry/DldEntities.h"

using namespace tessel;

namespace {

QStringList entitiesOf(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    EXPECT_TRUE(buffer.open(QIODevice::ReadOnly));
    const DldEntities read = ReadDldEntities(buffer);
    EXPECT_FALSE(read.failed()) << read.errorText.toStdString();
    return read.names.toList();
}

QStringList names(std::initializer_list<const char *> list)
{
    QStringList result;
    for (const char *name : list)
        result.append(QString::fromLatin1(name));
    return result;
}

// Hands out its bytes at most chunk bytes per read, then fails after
// failAfter bytes (when set), as a device whose medium breaks part-way.
class TrickleDevice final : public QIODevice
{
public:
    TrickleDevice(QByteArray bytes, qint64 chunk, qint64 failAfter = -1)
        : m_bytes(std::move(bytes))
        , m_chunk(chunk)
        , m_failAfter(failAfter)
    {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        if (m_failAfter >= 0 && m_position >= m_failAfter) {
            setErrorString(QStringLiteral("Input/output error"));
            return -1;
        }
        qint64 count = std::min({maxSize, m_chunk, qint64(m_bytes.size()) - m_position});
        if (m_failAfter >= 0)
            count = std::min(count, m_failAfter - m_position);
        std::memcpy(data, m_bytes.constData() + m_position, size_t(count));
        m_position += count;
        return count;
    }
    qint64 writeData(const char *, qint64) override { return -1; }
    bool isSequential() const override { return true; }

private:
    QByteArray m_bytes;
    qint64 m_chunk;
    qint64 m_failAfter;
    qint64 m_position = 0;
};

} // namespace

TEST(DldLines, EndAtCarriageReturnsOnly)
{
    EXPECT_EQ(entitiesOf("ENTITY DLD A\r\nENTITY DLD B\r\n"), names({"A", "B"}));
    EXPECT_EQ(entitiesOf("ENTITY DLD A\rENTITY DLD B\r"), names({"A", "B"}));
    EXPECT_EQ(entitiesOf("ENTITY DLD A\r\nENTITY DLD B\rENTITY DLD C"), names({"A", "B", "C"}));
    // Only the one line feed right after a carriage return belongs to the line end.
    EXPECT_EQ(entitiesOf("ENTITY DLD A\r\n\nENTITY DLD B\r\r\nENTITY DLD C\n\r"),
              names({"A", "B", "C"}));
    EXPECT_EQ(entitiesOf("\r\n\r\n"), QStringList());
    EXPECT_EQ(entitiesOf(""), QStringList());
    // Line feeds alone end no line: here the whole file is one line, so only
    // a declaration at its very start counts, and its name runs to the end.
    EXPECT_EQ(entitiesOf("ENTITY DLD ROADS\nENTITY DLD RIVERS\n\n"),
              QStringList{QStringLiteral("ROADS\nENTITY DLD RIVERS")});
    EXPECT_EQ(entitiesOf("# header\nENTITY DLD ROADS\n"), QStringList());
    EXPECT_EQ(entitiesOf("\n\n  ENTITY DLD ROADS\n"), names({"ROADS"}));
}

TEST(DldDeclarations, KeywordInAnyCaseAfterTrimmingAndNoNearMiss)
{
    const QByteArray file = "ENTITY DLD ROADS\r\n"
                            "  entity dld   Main Roads  \r\n"
                            "\t Entity Dld Rivers\t\r\n"
                            "ENTITY DLD:Rail\r\n"
                            "ENTITY DLD  A  B \r\n";
    EXPECT_EQ(entitiesOf(file), names({"ROADS", "Main Roads", "Rivers", "Rail", "A  B"}));
    const QByteArray nearMisses = "ENTITIES DLD X\r\nENTITY  DLD X\r\nENTITY\tDLD X\r\n"
                                  "XENTITY DLD X\r\nENTITY DL\r\nENTITY\rDLD X\r\n"
                                  "; ENTITY DLD X\r\n";
    EXPECT_EQ(entitiesOf(nearMisses), QStringList());
}

TEST(DldDeclarations, EmptyNamesAndDuplicatesAreEntriesOfTheirOwn)
{
    const QByteArray file = "ENTITY DLD\r\n"
                            "ENTITY DLD ROADS\r\n"
                            "ENTITY DLDX\r\n"
                            "ENTITY DLD ROADS\r\n"
                            "ENTITY DLD  \t \r\n"
                            "ENTITY DLD";
    EXPECT_EQ(entitiesOf(file), names({"", "ROADS", "", "ROADS", "", ""}));
}

TEST(DldDeclarations, NamesAreReadInWindows1252)
{
    EXPECT_EQ(entitiesOf("ENTITY DLD Stra\xDF" "e \x80\r\nENTITY DLD \x93Q\x94\r\n"),
              (QStringList{QStringLiteral(u"Straße €"), QStringLiteral(u"\u201CQ\u201D")}));
}

// The UTF-8 byte-order mark is skipped at the start of the file only, and
// however the blocks split it; a start that only resembles it is text.
TEST(DldDeclarations, BlockAndChunkBoundariesAndByteOrderMarkChangeNothing)
{
    const QByteArray text = "ENTITY DLD ROADS \r\n\r\nentity dld Main Roads\r"
                            "\nENTITY DLD\rENTITIES DLD X\r\nENTITY DLD Tail";
    const QStringList expected = names({"ROADS", "Main Roads", "", "Tail"});
    const QStringList withoutFirst = expected.sliced(1);
    const struct
    {
        QByteArray file;
        QStringList entities;
    } cases[] = {
        {text, expected},
        {"\xEF\xBB\xBF" + text, expected},
        {"\xEF\xBB\xBF\xEF\xBB\xBF" + text, withoutFirst},
        {"\xEF\xBB" + text, withoutFirst},
        {"\xEF" + text, withoutFirst},
        {"\xEF\xBB\xBF", {}},
        {"\xEF\xBB", {}},
    };
    for (const auto &test : cases) {
        EXPECT_EQ(entitiesOf(test.file), test.entities) << test.file.toStdString();
        for (qint64 chunk = 1; chunk <= 13; ++chunk) {
            TrickleDevice device(test.file, chunk);
            EXPECT_EQ(ReadDldEntities(device).names.toList(), test.entities)
                << test.file.toStdString() << " chunk " << chunk;
        }
    }
}

TEST(DldReadFailure, KeepsTheEntitiesReadBeforeIt)
{
    const QByteArray file = "ENTITY DLD A\r\nENTITY DLD B\r\nENTITY DLD Cut off\r\n";
    TrickleDevice device(file, 5, file.indexOf("Cut"));
    const DldEntities read = ReadDldEntities(device);
    EXPECT_TRUE(read.failed());
    EXPECT_EQ(read.errorText, QStringLiteral("Input/output error"));
    EXPECT_EQ(read.names.toList(), names({"A", "B"})); // the line cut short is not taken
}

TEST(DldReadFailure, MissingFileGivesTheSystemsDescription)
{
    QTemporaryDir dir;
    const DldEntities missing = ReadDldEntities(dir.filePath(QStringLiteral("NONE.DLD")));
    EXPECT_TRUE(missing.names.isEmpty());
    EXPECT_EQ(missing.errorText, QStringLiteral("No such file or directory"));
}
