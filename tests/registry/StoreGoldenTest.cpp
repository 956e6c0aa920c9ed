// The store's reads and writes, DLD files and the tessel-ini command as case
// files (golden/*.txt), and the facts recorded from the platform's own
// profile functions.
#include "StoreTestSupport.h"

#include "registry/DldEntities.h"
#include "registry/ProfileDocument.h"
#include "registry/ProfileReading.h"
#include "registry/RecordRules.h"
#include "registry/SourceCatalogue.h"

#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

#include <algorithm>
#include <sys/stat.h>

using namespace tessel;
using namespace tessel::test;

namespace {

// A buffer that hands out at most chunk bytes a read and fails at byte
// failAt, as a medium that breaks part-way.
class TrickleBuffer final : public QBuffer
{
public:
    TrickleBuffer(const QByteArray &bytes, qint64 chunk, qint64 failAt = -1) : m_chunk(chunk), m_failAt(failAt)
    {
        setData(bytes);
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        if (pos() == m_failAt)
            setErrorString(u"Input/output error"_s);
        const qint64 size = std::min({maxSize, m_chunk, m_failAt < 0 ? maxSize : m_failAt - pos()});
        return pos() == m_failAt ? -1 : QBuffer::readData(data, size);
    }

private:
    qint64 m_chunk, m_failAt;
};

const QStringList FailureNames = {u"BadName"_s, u"LineBreak"_s, u"Unencodable"_s, u"TooLong"_s, u"NameTaken"_s,
                                  u"RecordChanged"_s, u"RecordRemoved"_s, u"NoPermission"_s, u"DiskFull"_s,
                                  u"Busy"_s, u"SystemError"_s};

// An operation on file: a read gives its value, a write "done" or "! " and its failure.
QString Apply(const QString &op, const QStringList &args, const QString &file)
{
    QString list;
    if (op == u"get")
        return LookupString(*ReadProfileDocument(file), args[0], args[1], args[2]);
    if (op == u"keys" || op == u"sections")
        return op == u"keys" ? ReadProfileKeys(args[0], file) : ReadProfileSections(file);
    for (const CatalogueEntry &entry : op == u"catalogue" ? ReadSourceCatalogue(file) : QList<CatalogueEntry>())
        list += entry.name + u'=' + QString::number(entry.type) + ListSeparator;
    for (const ListedRecord &record : op == u"records" ? ListRecords(file) : QList<ListedRecord>())
        list += record.name + u'=' + QString::number(record.type) + ListSeparator;
    if (op == u"entities") {
        const DldEntities read = ReadDldEntities(file);
        for (qint64 chunk = 1; chunk <= 7; ++chunk) {
            TrickleBuffer device(readBytes(file), chunk);
            EXPECT_EQ(ReadDldEntities(device).names.toList(), read.names.toList()) << chunk << " bytes a read";
        }
        for (const QString &name : read.names.toList())
            list += name + ListSeparator;
        return read.failed() ? read.errorText : list;
    }
    if (op == u"catalogue" || op == u"records")
        return list;
    WriteResult written;
    if (op == u"set") {
        written = WriteProfileString(args[0], args[1], args[2], file);
    } else if (op == u"delete") {
        written = DeleteProfileSection(args[0], file);
    } else if (op == u"remove") {
        written = RemoveRecords(file, args[0].split(QChar(0), Qt::SkipEmptyParts));
    } else {
        // A save of a new native record's keys with Connect=R1, and the Private
        // rule "native" or "carry", then "whole N" for a registration.
        RecordValues values = NewRecordValues(SourceType::Native);
        values[RecordKey::Connect] = u"R1"_s;
        values[RecordKey::Description] = args[3];
        const QStringList rule = args[2].split(u' ');
        const auto privateRule = rule[0] == u"native" ? PrivateOnSave::MarkSavedByNative : PrivateOnSave::CarryOnRename;
        written = SaveRecord(file, {args[0], args[1], values, privateRule, rule.size() > 1, rule.value(2).toInt()});
    }
    return written ? u"done"_s : u"! " + FailureNames[int(written.failure())];
}

class StoreGolden : public TempDirTest, public ::testing::WithParamInterface<const char *>
{
};

TEST_P(StoreGolden, EveryCaseGivesItsValueOrItsBytes)
{
    int number = 0;
    for (const Case &c : ReadCases(GetParam())) {
        SCOPED_TRACE(c.where);
        const QString before = c.fields[0], op = c.fields[1], result = c.fields.back();
        QStringList args = c.fields.mid(2, c.fields.size() - 3);
        std::transform(args.begin(), args.end(), args.begin(), Unescape);
        const QString file = path(QStringLiteral("T%1.INI").arg(++number));
        const QByteArray bytes = Unescape(before).toLatin1();
        if (before != u"-")
            writeBytes(file, bytes);
        const QString outcome = Apply(op, args, file);
        if (outcome != u"done" && !outcome.startsWith(u"! ")) {
            EXPECT_EQ(outcome, Unescape(result));
            continue;
        }
        const bool refused = result.startsWith(u"! ");
        EXPECT_EQ(outcome, refused ? result : u"done"_s);
        EXPECT_EQ(QFile::exists(file), refused ? before != u"-" : result != u"-");
        EXPECT_EQ(Escaped(readBytes(file)), Escaped(refused || result == u"=" ? bytes : result == u"-" ? QByteArray() : Unescape(result).toLatin1()));
        if (refused && (op == u"set" || op == u"delete") && QFile::remove(file)) {
            EXPECT_EQ(Apply(op, args, file), result) << "on a missing file";
            EXPECT_FALSE(QFile::exists(file)) << "a refused write made the file";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Files, StoreGolden, ::testing::Values("read.txt", "write.txt", "records.txt", "dld.txt"));

TEST(DldEntities, AFailedReadKeepsTheEntitiesBeforeIt)
{
    const QByteArray file = "ENTITY DLD A\r\nENTITY DLD B\r\nENTITY DLD Cut off\r\n";
    TrickleBuffer device(file, 5, file.indexOf("Cut"));
    const DldEntities read = ReadDldEntities(device);
    EXPECT_EQ(read.errorText, u"Input/output error");
    EXPECT_EQ(read.names.toList(), QStringList({u"A"_s, u"B"_s}));
}

// Facts recorded from the platform's own profile functions, when the
// collection lies beside the sources; a write is checked by what the store
// reads back: [[section, [[key, value], ...]], ...], or null for no file.
using ProfileFunctions = TempDirTest;

TEST_F(ProfileFunctions, EveryRecordedFactHolds)
{
    QFile source(sourceDir() + u"/../shared/profile-vectors.json"_s);
    if (!source.open(QIODevice::ReadOnly))
        GTEST_SKIP() << "no recorded facts beside the sources";
    const QJsonArray vectors = QJsonDocument::fromJson(source.readAll()).array();
    ASSERT_EQ(vectors.size(), 168);
    for (const QJsonValue &vector : vectors) {
        const auto field = [&](const char16_t *name) { return vector[QStringView(name)].toString(); };
        const QString op = field(u"op"), file = path(field(u"name") + u".INI");
        if (!vector[u"file_before"].isNull())
            writeBytes(file, field(u"file_before").toLatin1());
        const QStringList args = {field(u"section"), field(u"key"), field(op == u"set" ? u"value" : u"default")};
        QJsonValue actual = Apply(op, args, file);
        if (op == u"keys" || op == u"sections")
            actual = QJsonArray::fromStringList(SplitNameList(actual.toString()));
        QJsonArray sections;
        for (const QString &name : SplitNameList(ReadProfileSections(file))) {
            QJsonArray keys;
            for (const QString &key : SplitNameList(ReadProfileKeys(name, file)))
                keys.append(QJsonArray{key, Apply(u"get"_s, {name, key, {}}, file)});
            sections.append(QJsonArray{name, keys});
        }
        const bool write = op == u"set" || op == u"delete";
        if (write)
            actual = QFile::exists(file) ? QJsonValue(sections) : QJsonValue();
        EXPECT_EQ(QJsonDocument(QJsonArray{actual}).toJson(),
                  QJsonDocument(QJsonArray{vector[write ? u"expected_after" : u"expected"]}).toJson())
            << field(u"name").toStdString();
    }
}

// The runs of golden/ini.txt, in order, and the files they leave.
using IniTool = TempDirTest;

TEST_F(IniTool, EachRunGivesItsExitCodeOutputAndMessage)
{
    const QString file = fileWith("; registry\r\n[Roads]\r\nType=1\r\n");
    const QString utf8 = fileWith("\xEF\xBB\xBF", u"UTF8.INI"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(path(u"FIFO"_s)).constData(), 0600), 0);
    for (const Case &c : ReadCases("ini.txt")) {
        QStringList arguments;
        for (const QString &argument : c.fields[0].split(u' ', Qt::SkipEmptyParts))
            arguments.append(argument == u"FILE" ? file : argument == u"UTF8" ? utf8 : argument == u"FIFO"
                             ? path(argument) : Unescape(argument));
        QProcess process;
        process.start(qEnvironmentVariable("TESSEL_APP_DIR") + u"/tessel-ini", arguments);
        ASSERT_TRUE(process.waitForFinished(10000)) << c.where;
        EXPECT_EQ(process.exitCode(), c.fields[1].toInt()) << c.where;
        EXPECT_EQ(QString::fromUtf8(process.readAllStandardOutput()), Unescape(c.fields[2])) << c.where;
        const QString errors = QString::fromUtf8(process.readAllStandardError());
        EXPECT_EQ(errors.isEmpty(), c.fields[3].isEmpty()) << c.where << errors.toStdString();
        EXPECT_TRUE(errors.contains(Unescape(c.fields[3]))) << c.where << errors.toStdString();
    }
    EXPECT_EQ(readBytes(file), "; registry\r\n[Roads]\r\nType=1\r\nDescription=Stra\xDF" "en \x80\r\n");
    EXPECT_EQ(readBytes(utf8), "\xEF\xBB\xBF[A]\r\nk=\xCE\xA9 \xE6\xBC\xA2\r\n");
}

} // namespace
