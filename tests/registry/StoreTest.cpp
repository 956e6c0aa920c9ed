// The profile store: its reads and writes, limits, record rules, DLD files and tessel-ini as case files
// (golden/*.txt); its failures, file replacement, racing writers and the cache's trust in file stamps.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include "platform/FileDescriptor.h"
#include "platform/FileSnapshot.h"
#include "platform/SafeFile.h"
#include "platform/TerminationSignals.h"
#include "registry/DataSourceRecord.h"
#include "profile/NumericText.h"
#include "profile/ProfileCache.h"
#include "profile/ProfileDocument.h"
#include "profile/ProfileEdit.h"
#include "profile/ProfileReading.h"
#include "profile/StoredValue.h"
#include "profile/ProfileStore.h"
#include "registry/DldEntities.h"
#include "registry/RecordRules.h"
#include "registry/RegistryHistory.h"
#include "registry/SourceCatalogue.h"
#include "tests/support/CaseFile.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/QtPrinting.h"
#include "tests/support/TestFiles.h"

using namespace tessel;
using namespace tessel::test;
using namespace Qt::StringLiterals;

namespace {

std::string Escaped(const QByteArray &bytes)
{
    return bytes.toPercentEncoding(" []=;\"'<>_,.").toStdString();
}

QString Unescape(QStringView text)
{
    return decodeEscapes(text).text;
}

// The rows of golden/: each layout lists its columns, "=op" naming the operation (see each file's head).
QList<Case> Rows(const char *name, const QList<QStringList> &layouts)
{
    return readTable(u"tests/registry/golden/"_s + QLatin1String(name), layouts);
}

QStringList Columns(const Case &row)
{
    QStringList columns;
    for (const CaseField &field : row.fields)
        columns.append(field.value);
    return columns;
}

const QList<QStringList> StoreLayouts = {
    {u"file"_s, u"=get"_s, u"section"_s, u"key"_s, u"default"_s, u"value"_s},
    {u"file"_s, u"=keys"_s, u"section"_s, u"list"_s},
    {u"file"_s, u"=sections"_s, u"list"_s},
    {u"file"_s, u"=catalogue"_s, u"list"_s},
    {u"file"_s, u"=records"_s, u"list"_s},
    {u"file"_s, u"=entities"_s, u"list"_s},
    {u"file"_s, u"=set"_s, u"section"_s, u"key"_s, u"value"_s, u"after"_s},
    {u"file"_s, u"=delete"_s, u"section"_s, u"after"_s},
    {u"file"_s, u"=save"_s, u"name"_s, u"new name"_s, u"rule"_s, u"description"_s, u"after"_s},
    {u"file"_s, u"=remove"_s, u"names"_s, u"after"_s},
    {u"file"_s, u"=batch"_s, u"steps"_s, u"after"_s},
};

class StoreFiles : public ::testing::Test
{
protected:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString fileWith(const QByteArray &bytes, const QString &name = u"TEST.INI"_s) const
    {
        writeBytes(path(name), bytes);
        return path(name);
    }

    QTemporaryDir m_dir;
};

// Hands out at most chunk bytes a read and fails at byte failAt, as a broken medium.
struct TrickleBuffer final : QBuffer
{
    TrickleBuffer(const QByteArray &bytes, qint64 chunk, qint64 failAt = -1)
        : chunk(chunk)
        , failAt(failAt)
    {
        setData(bytes);
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    qint64 readData(char *data, qint64 maxSize) override
    {
        if (pos() == failAt)
            setErrorString(u"Input/output error"_s);
        const qint64 size = std::min({maxSize, chunk, failAt < 0 ? maxSize : failAt - pos()});
        return pos() == failAt ? -1 : QBuffer::readData(data, size);
    }
    qint64 chunk, failAt;
};

const QStringList FailureNames =
    u"BadName LineBreak Unencodable TooLong ChangedOnRead NameTaken RecordChanged RecordRemoved "
    "NoPermission DiskFull Busy SystemError"_s.split(u' ');

// An operation on file: a read gives its value, a write "done" or "! " and its failure.
QString Apply(const QString &op, const QStringList &args, const QString &file)
{
    QString list;
    if (op == u"get")
        return LookupString(**ReadProfileDocument(file), args[0], args[1], args[2]);
    if (op == u"keys" || op == u"sections")
        return op == u"keys" ? ReadProfileKeys(args[0], file) : ReadProfileSections(file);
    for (const CatalogueEntry &entry :
         op == u"catalogue" ? ReadSourceCatalogue(file) : QList<CatalogueEntry>())
        list += entry.name + u'=' + QString::number(entry.type) + ListSeparator;
    for (const ListedRecord &record :
         op == u"records" ? ListRecords(*ProfileDocumentForReads(file)) : QList<ListedRecord>())
        list += record.name + u'=' + QString::number(record.type) + ListSeparator;
    const DldEntities read = op == u"entities" ? ReadDldEntities(file) : DldEntities();
    for (qint64 chunk = 1; chunk <= 7 && op == u"entities"; ++chunk) {
        TrickleBuffer device(readBytes(file), chunk);
        EXPECT_EQ(ReadDldEntities(device).names.toList(), read.names.toList()) << chunk << " bytes a read";
    }
    for (const QString &name : read.names.toList())
        list += name + ListSeparator;
    if (op == u"catalogue" || op == u"records" || op == u"entities")
        return read.failed() ? read.errorText : list;
    WriteResult written;
    if (op == u"set") {
        written = WriteProfileString(args[0], args[1], args[2], file);
    } else if (op == u"delete") {
        written = DeleteProfileSection(args[0], file);
    } else if (op == u"remove") {
        written = RemoveRecords(file, args[0].split(QChar(0), Qt::SkipEmptyParts));
    } else if (op == u"batch") {
        // Steps "+N" (a new native record), "=N" (a registration replacing N whole), "-N" (a removal),
        // all in one edit; the same steps as single writes, one after another, must give the same bytes.
        const QStringList steps = args[0].split(QChar(0), Qt::SkipEmptyParts);
        const auto step = [](ProfileEdit &edit, const QString &text) {
            const QString name = text.mid(1);
            if (text[0] == u'-')
                return edit.removeSection(name);
            RecordValues values = NewRecordValues(SourceType::Native);
            values[RecordKey::Connect] = u"R1"_s;
            return ApplyRecordSave(edit,
                                   {text[0] == u'=' ? name : NewRecordMarker, name, values,
                                    PrivateOnSave::MarkSavedByNative, text[0] == u'='});
        };
        const QString singles = file + u".singles"_s;
        QFile::copy(file, singles);
        bool singlesDone = true;
        for (const QString &text : steps)
            singlesDone =
                singlesDone && EditProfile(singles, [&](ProfileEdit &edit) { return step(edit, text); });
        written = EditProfile(file, [&](ProfileEdit &edit) {
            for (const QString &text : steps) {
                if (WriteResult done = step(edit, text); !done)
                    return done;
            }
            return WriteResult();
        });
        if (singlesDone) {
            EXPECT_EQ(Escaped(readBytes(file)), Escaped(readBytes(singles)))
                << "one edit and single writes differ";
        }
    } else {
        // A new native record's keys with Connect=R1; "whole N": a registration adding Private bits N.
        RecordValues values = NewRecordValues(SourceType::Native);
        values[RecordKey::Connect] = u"R1"_s;
        values[RecordKey::Description] = args[3];
        const QStringList rule = args[2].split(u' ');
        EXPECT_TRUE((rule.size() == 1 || (rule.size() == 3 && rule[1] == u"whole"))
                    && (rule[0] == u"native" || rule[0] == u"carry"))
            << "a rule it does not know: " << args[2].toStdString();
        const auto privateRule =
            rule[0] == u"native" ? PrivateOnSave::MarkSavedByNative : PrivateOnSave::CarryOnRename;
        written =
            SaveRecord(file, {args[0], args[1], values, privateRule, rule.size() > 1, rule.value(2).toInt()});
    }
    return written ? u"done"_s : u"! " + FailureNames[int(written.error().failure)];
}

class StoreGolden : public StoreFiles, public ::testing::WithParamInterface<Case>
{ };

TEST_P(StoreGolden, GivesItsValueOrItsBytes)
{
    ASSERT_TRUE(GetParam().error.isEmpty()) << GetParam().error.toStdString();
    const QStringList fields = Columns(GetParam());
    const QString before = fields[0], op = fields[1], result = fields.back();
    QStringList args = fields.mid(2, fields.size() - 3);
    std::transform(args.begin(), args.end(), args.begin(), Unescape);
    const QString file = path(u"TEST.INI"_s);
    const QByteArray bytes = Unescape(before).toLatin1();
    if (before != u"-")
        writeBytes(file, bytes);
    const QString outcome = Apply(op, args, file);
    if (outcome != u"done" && !outcome.startsWith(u"! ")) {
        EXPECT_EQ(outcome, Unescape(result));
        return;
    }
    const bool refused = result.startsWith(u"! ");
    EXPECT_EQ(outcome, refused ? result : u"done"_s);
    EXPECT_EQ(QFile::exists(file), refused ? before != u"-" : result != u"-");
    const QByteArray after =
        refused || result == u"=" ? bytes : Unescape(result == u"-" ? u""_s : result).toLatin1();
    EXPECT_EQ(Escaped(readBytes(file)), Escaped(after));
    if (refused && (op == u"set" || op == u"delete") && QFile::remove(file)) {
        EXPECT_EQ(Apply(op, args, file), result) << "on a missing file";
        EXPECT_FALSE(QFile::exists(file)) << "a refused write made the file";
    }
}

INSTANTIATE_TEST_SUITE_P(Read, StoreGolden, ::testing::ValuesIn(Rows("read.txt", StoreLayouts)), CaseName());
INSTANTIATE_TEST_SUITE_P(Write, StoreGolden, ::testing::ValuesIn(Rows("write.txt", StoreLayouts)),
                         CaseName());
INSTANTIATE_TEST_SUITE_P(Records, StoreGolden, ::testing::ValuesIn(Rows("records.txt", StoreLayouts)),
                         CaseName());
INSTANTIATE_TEST_SUITE_P(Dld, StoreGolden, ::testing::ValuesIn(Rows("dld.txt", StoreLayouts)), CaseName());

// The names of a list the store gives: each followed by a NUL.
QStringList SplitNameList(const QString &list)
{
    return list.isEmpty() ? QStringList() : list.chopped(1).split(ListSeparator);
}

// The facts recorded of the Windows profile functions, kept beside the
// sources on the development machine; elsewhere the test is skipped.
TEST_F(StoreFiles, EveryRecordedProfileFactHolds)
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
        QJsonValue actual =
            Apply(op, {field(u"section"), field(u"key"), field(op == u"set" ? u"value" : u"default")}, file);
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

TEST(DldEntities, AFailedReadKeepsTheEntitiesBeforeIt)
{
    const QByteArray file = "ENTITY DLD A\r\nENTITY DLD B\r\nENTITY DLD Cut off\r\n";
    TrickleBuffer device(file, 5, file.indexOf("Cut"));
    const DldEntities read = ReadDldEntities(device);
    EXPECT_EQ(read.errorText, u"Input/output error");
    EXPECT_EQ(read.names.toList(), QStringList({u"A"_s, u"B"_s}));
}

// The runs of golden/ini.txt, in order, and the files they leave.
TEST_F(StoreFiles, EachRunOfTheIniToolGivesItsExitCodeOutputAndMessage)
{
    const QString file = fileWith("; registry\r\n[Roads]\r\nType=1\r\n");
    const QString utf8 = fileWith("\xEF\xBB\xBF", u"UTF8.INI"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(path(u"FIFO"_s)).constData(), 0600), 0);
    for (const Case &row : Rows("ini.txt", {{u"arguments"_s, u"exit"_s, u"output"_s, u"errors"_s}})) {
        ASSERT_TRUE(row.error.isEmpty()) << row.error.toStdString();
        const QStringList fields = Columns(row);
        const std::string where = row.where.toStdString();
        const QHash<QString, QString> named = {
            {u"FILE"_s, file}, {u"UTF8"_s, utf8}, {u"FIFO"_s, path(u"FIFO"_s)}};
        QStringList arguments;
        for (const QString &argument : fields[0].split(u' ', Qt::SkipEmptyParts))
            arguments.append(named.value(argument, Unescape(argument)));
        QProcess process;
        process.start(qEnvironmentVariable("TESSEL_APP_DIR") + u"/tessel-ini", arguments);
        ASSERT_TRUE(process.waitForFinished(10000)) << where;
        EXPECT_EQ(process.exitCode(), fields[1].toInt()) << where;
        EXPECT_EQ(QString::fromUtf8(process.readAllStandardOutput()), Unescape(fields[2])) << where;
        const QString errors = QString::fromUtf8(process.readAllStandardError());
        EXPECT_TRUE(fields[3].isEmpty() ? errors.isEmpty() : errors.contains(Unescape(fields[3])))
            << where << errors.toStdString();
    }
    EXPECT_EQ(readBytes(file),
              "; registry\r\n[Roads]\r\nType=1\r\nDescription=Stra\xDF"
              "en \x80\r\n");
    EXPECT_EQ(readBytes(utf8), "\xEF\xBB\xBF[A]\r\nk=\xCE\xA9 \xE6\xBC\xA2\r\n");
}

// A rule of golden/rules.txt; those of eachText take each blank-parted text of their last field.
QString ReasonOf(const Result<void> &checked)
{
    return checked ? QString() : checked.error();
}
QString ReasonOf(const WriteResult &checked)
{
    return checked ? QString() : checked.error().detail;
}

QString ApplyRule(const QString &rule, QStringList args)
{
    using Kept = std::optional<QString>;
    const auto number = [](double value) { return QString::number(value + 0.0, 'g', 12); }; // -0 reads as 0
    const auto key = [](const QString &name) {
        EXPECT_TRUE(RecordKeyNamed(name)) << "a key it does not know: " << name.toStdString();
        return RecordKeyNamed(name).value_or(RecordKey::Private);
    };
    const std::map<QString, std::function<Kept(const QString &)>> eachText = {
        {u"rounded"_s, [&](const QString &text) { return number(RoundHalfEven(text.toDouble())); }},
        {u"whole number"_s, [](const QString &text) { return QString::number(WholeNumber32(text)); }},
        {u"short whole number"_s, [](const QString &text) { return QString::number(WholeNumber16(text)); }},
        {u"numeric"_s, [](const QString &text) { return IsNumericText(text) ? Kept(text) : std::nullopt; }},
        {u"source number"_s,
         [](const QString &text) { return ParseSourceId(text).number.isEmpty() ? u"Auto"_s : text; }},
        {u"type"_s,
         [](const QString &t) -> Kept {
             return QString::number(int(ConfigDialogOfType(t.toInt()).value_or(ConfigDialogKind(-1)))) + u':'
                 + QString::number(SrcTypeToIcon(t.toInt()).value_or(-1));
         }},
        {u"value of length"_s,
         [](const QString &text) -> QString { // its length as read back, and why storing it is refused
             const QString value(text.toInt(), u'x'),
                 reason = ReasonOf(CheckStoredValue(value, ProfileCodec()));
             const ProfileDocument document("[A]\r\nk=" + value.toLatin1() + "\r\n");
             return QString::number(LookupString(document, u"A", u"k", u"d").size())
                 + (reason.isEmpty() ? u""_s : u" refused: " + reason);
         }},
        {u"joined length"_s,
         [](const QString &text) { // of a name list; "L*N,..." stands for N names of L characters
             QStringList names;
             for (const QString &part : text.split(u','))
                 names += QStringList(part.section(u'*', 1).toInt(),
                                      QString(part.section(u'*', 0, 0).toInt(), u'x'));
             return QString::number(JoinNameList(names).size());
         }},
        {u"accepts"_s,
         [&](const QString &text) {
             return CheckRecordValue(key(args[0]), text, args[1].toInt()) ? Kept(text) : std::nullopt;
         }},
    };
    if (eachText.count(rule)) {
        QStringList results;
        for (const QString &text : args.takeLast().split(u' '))
            if (const Kept result = eachText.at(rule)(Unescape(text)))
                results.append(*result);
        return results.join(u' ');
    }
    std::transform(args.begin(), args.end(), args.begin(), Unescape);
    QStringList texts, numbers;
    if (rule.startsWith(u"typed into a ")) {
        for (const QChar typed : args[0])
            texts.append(QChar(FilterNameKey(typed.unicode(), rule.endsWith(u" a name"))));
        return texts.join(QString()).remove(QChar(0));
    }
    const RecordValues values = NewRecordValues(args[0].toInt());
    const DataSourceRecord record(std::make_shared<const ProfileDocument>(args[0].toLatin1()), u"R"_s);
    for (const RecordKeyEntry &entry : RecordKeys) {
        texts.append(entry.key == RecordKey::Private ? QString() : values[entry.key]);
        numbers.append(record.text(entry.key) + u'=' + QString::number(record.whole16(entry.key)));
    }
    const Scales scales = ParseScales(args[0]);
    const DemandConnect connect = SplitDemandConnect(args[0]);
    const auto encoding =
        args.value(0) == u"UTF-8" ? ProfileCodec::Encoding::Utf8 : ProfileCodec::Encoding::Windows1252;
    if (rule == u"stored value") {
        EXPECT_TRUE(args[0] == u"UTF-8" || args[0] == u"Windows-1252")
            << "an encoding it does not know: " << args[0].toStdString();
    }
    const std::map<QString, std::function<QString()>> others = {
        {u"limits"_s,
         [&] { return u"name %1, storage name %2"_s.arg(NameLengthLimit).arg(StorageNameLimit); }},
        {u"new record"_s, [&] { return texts.join(u',').chopped(1); }},
        {u"record"_s, [&] { return numbers.join(u' '); }},
        {u"problem"_s, [&] { return ReasonOf(CheckRecordValue(key(args[0]), args[2], args[1].toInt())); }},
        {u"key named"_s,
         [&] { return RecordKeyNamed(args[0]) ? KeyName(*RecordKeyNamed(args[0])) : u"-"_s; }},
        {u"leading number"_s, [&] { return number(LeadingNumber(args[0])); }},
        {u"scales"_s,
         [&] {
             return QStringList{number(scales.minimum), number(scales.maximum), number(scales.overview),
                                scales.allScales() ? u"all"_s : u"some"_s}
                 .join(u' ');
         }},
        {u"demand connection"_s, [&]() -> QString { return connect.dldPath + u'>' + connect.entity; }},
        {u"stored value"_s, [&] { return ReasonOf(CheckStoredValue(args[1], ProfileCodec(encoding))); }},
        {u"same record"_s,
         [&] {
             return StoredRecord::Of(ProfileDocument(args[0].toLatin1()), u"R"_s)
                     == StoredRecord::Of(ProfileDocument(args[1].toLatin1()), u"R"_s)
                 ? u"same"_s
                 : u"changed"_s;
         }},
    };
    return others.at(rule)();
}

class RecordRules : public ::testing::TestWithParam<Case>
{ };

TEST_P(RecordRules, GiveWhatTheirRowSays)
{
    ASSERT_TRUE(GetParam().error.isEmpty()) << GetParam().error.toStdString();
    const QStringList fields = Columns(GetParam());
    EXPECT_EQ(ApplyRule(fields[0], fields.mid(1, fields.size() - 2)), Unescape(fields.back()));
}

QList<QStringList> RuleLayouts()
{
    QList<QStringList> layouts = {{u"=accepts"_s, u"key"_s, u"type"_s, u"texts"_s, u"accepted"_s},
                                  {u"=problem"_s, u"key"_s, u"type"_s, u"text"_s, u"reason"_s},
                                  {u"=stored value"_s, u"encoding"_s, u"value"_s, u"reason"_s},
                                  {u"=same record"_s, u"before"_s, u"now"_s, u"result"_s}};
    for (const char16_t *rule :
         {u"typed into a name", u"typed into a storage name", u"limits", u"value of length", u"joined length",
          u"new record", u"key named", u"record", u"leading number", u"rounded", u"whole number",
          u"short whole number", u"numeric", u"scales", u"source number", u"demand connection", u"type"})
        layouts.append({u"="_s + QStringView(rule), u"argument"_s, u"result"_s});
    return layouts;
}
INSTANTIATE_TEST_SUITE_P(Rules, RecordRules, ::testing::ValuesIn(Rows("rules.txt", RuleLayouts())),
                         CaseName());

TEST_F(StoreFiles, AWriteThatFailsLeavesTheFileAsItWasAndSaysWhy)
{
    const QString file = fileWith("[A]\r\nk=v\r\n");
    const struct
    {
        const char *what;
        QString file;
        qsizetype valueLength;
        WriteFailure failure;
    } cases[] = {
        {"a value too long to read back", file, 31999, WriteFailure::TooLong},
        {"a folder no one may write", u"/sys/TESSEL.INI"_s, 1, WriteFailure::NoPermission},
        {"a missing folder", path(u"no/such/X.INI"_s), 1, WriteFailure::SystemError},
        {"full disk", file, 200, WriteFailure::DiskFull},
    };
    for (const auto &c : cases) {
        std::optional<FileSizeLimit> fullDisk;
        if (c.failure == WriteFailure::DiskFull)
            fullDisk.emplace(64);
        const WriteResult result = WriteProfileString(u"A"_s, u"k"_s, QString(c.valueLength, u'v'), c.file);
        fullDisk.reset();
        ASSERT_FALSE(result) << c.what;
        EXPECT_EQ(result.error().failure, c.failure) << c.what;
    }
    EXPECT_EQ(readBytes(file), "[A]\r\nk=v\r\n");
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList({u"TEST.INI"_s, u"TEST.INI.lock"_s}))
        << "left behind";
    EXPECT_TRUE(WriteProfileString(u"A"_s, u"k"_s, QString(31998, u'v'), file));

    // A file just short of the largest that is read would grow past it.
    QByteArray nearLimit = "[A]\r\nk=v\r\n;";
    nearLimit += QByteArray(MaxReadableFileSize - nearLimit.size() - 2, 'x') + "\r\n";
    const QString large = fileWith(nearLimit, u"LARGE.INI"_s);
    const WriteResult grown = WriteProfileString(u"A"_s, u"k"_s, u"vv"_s, large);
    ASSERT_FALSE(grown);
    EXPECT_EQ(grown.error().failure, WriteFailure::SystemError);
    EXPECT_EQ(QFileInfo(large).size(), MaxReadableFileSize);
}

TEST_F(StoreFiles, AReplacedFileKeepsItsModeAndLinksAndAnUnchangedOneIsNotReplaced)
{
    const QString file = fileWith("[A]\r\nk=v\r\n");
    const auto mode = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
    ASSERT_TRUE(QFile::setPermissions(file, mode));
    ASSERT_TRUE(WriteProfileString(u"A"_s, u"k"_s, u"w"_s, file));
    EXPECT_EQ(QFile::permissions(file) & 0x7077, mode);
    const QDateTime past = QDateTime::fromSecsSinceEpoch(1'000'000'000);
    QFile touched(file);
    ASSERT_TRUE(touched.open(QIODevice::ReadWrite)
                && touched.setFileTime(past, QFileDevice::FileModificationTime));
    ASSERT_TRUE(WriteProfileString(u"a"_s, u"K"_s, u"w"_s, file));
    ASSERT_TRUE(DeleteProfileSection(u"B"_s, file));
    EXPECT_EQ(QFileInfo(file).lastModified(), past) << "an unchanged file was replaced";

    ASSERT_TRUE(QDir(m_dir.path()).mkdir(u"real"_s));
    const QString target = fileWith("[A]\r\nk=v\r\n", u"real/TARGET.INI"_s);
    ASSERT_TRUE(QFile::link(u"real/TARGET.INI"_s, path(u"LINK.INI"_s)));
    ASSERT_TRUE(WriteProfileString(u"A"_s, u"k"_s, u"through the link"_s, path(u"LINK.INI"_s)));
    EXPECT_TRUE(QFileInfo(path(u"LINK.INI"_s)).isSymLink());
    EXPECT_EQ(readBytes(target), "[A]\r\nk=through the link\r\n");
    EXPECT_EQ(QDir(path(u"real"_s)).entryList(QDir::Files | QDir::Hidden),
              QStringList({u"TARGET.INI"_s, u"TARGET.INI.lock"_s}));
}

// The write lock is a file beside the registry that only its writers may open: a reader's lock on the
// registry delays no write; a writer that keeps the lock makes another give up as Busy after its wait, and
// a termination signal ends the wait. The next writer removes a temporary file that no writer locks,
// whatever process its name holds.
TEST_F(StoreFiles, OnlyAWriterDelaysAWriteAndNotPastItsWait)
{
    using namespace std::chrono_literals;
    const QString file = fileWith("[A]\r\nk=v\r\n");
    ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0664), 0);
    const auto setK = [](const QString &value) {
        return [value](ProfileEdit &edit) { return edit.setValue(u"A", u"k"_s, value); };
    };
    const QString abandoned = path(u".TEST.INI.1.tmp"_s), inUse = path(u".TEST.INI.2.tmp"_s);
    writeBytes(abandoned, "[A]\r\n");
    writeBytes(inUse, "[A]\r\n");
    const FileDescriptor writing(::open(QFile::encodeName(inUse).constData(), O_RDONLY));
    ASSERT_EQ(::flock(writing.get(), LOCK_EX), 0);

    const FileDescriptor reader(::open(QFile::encodeName(file).constData(), O_RDONLY));
    ASSERT_EQ(::flock(reader.get(), LOCK_EX | LOCK_NB), 0);
    EXPECT_TRUE(EditProfile(file, setK(u"read-locked"_s), 100ms));
    EXPECT_FALSE(QFile::exists(abandoned));
    EXPECT_TRUE(QFile::exists(inUse));
    struct stat lockFile
    { };
    ASSERT_EQ(::stat(QFile::encodeName(LockFilePath(file)).constData(), &lockFile), 0);
    EXPECT_EQ(lockFile.st_mode & 07777, 0660u) << "others, who may only read, may not open it";

    const FileDescriptor writer(::open(QFile::encodeName(LockFilePath(file)).constData(), O_WRONLY));
    ASSERT_EQ(::flock(writer.get(), LOCK_EX | LOCK_NB), 0);
    const WriteResult busy = EditProfile(file, setK(u"busy"_s), 100ms);
    ASSERT_FALSE(busy);
    EXPECT_EQ(busy.error().failure, WriteFailure::Busy);
    const pid_t terminated = Spawn([&] {
        CatchTerminationSignals();
        ::raise(SIGTERM);
        const WriteResult stopped = EditProfile(file, setK(u"stopped"_s), 5s);
        ::_exit(stopped ? 1 : stopped.error().failure == WriteFailure::Busy ? 2 : 3);
    });
    EXPECT_EQ(ExitCodeOf(terminated), 3) << "1: written, 2: waited until busy";
    EXPECT_EQ(readBytes(file), "[A]\r\nk=read-locked\r\n");
}

// A file-size limit is a full disk to the tools, not the end of them: each exits 1 saying so, and leaves
// the registry as it was, or missing as it was, and no temporary file.
TEST_F(StoreFiles, AFileSizeLimitFailsAToolsWriteAsAFullDisk)
{
    const QString file = fileWith("[A]\r\nk=v\r\n");
    const QString source = fileWith(
        "[New]\r\nType=1\r\nConnect=NEW\r\nDescription=" + QByteArray(200, 'x') + "\r\n", u"NEW.TPL"_s);
    const QStringList runs[] = {
        {u"tessel-ini"_s, u"set"_s, file, u"A"_s, u"k"_s, QString(200, u'x')},
        {u"tessel-admin"_s, u"import"_s, source, u"--registry"_s, path(u"NEW.INI"_s)},
    };
    for (const QStringList &run : runs) {
        QProcess process;
        process.setChildProcessModifier([] {
            rlimit limit{};
            ::getrlimit(RLIMIT_FSIZE, &limit);
            limit.rlim_cur = 64;
            ::setrlimit(RLIMIT_FSIZE, &limit);
        });
        process.start(qEnvironmentVariable("TESSEL_APP_DIR") + u'/' + run[0], run.mid(1));
        ASSERT_TRUE(process.waitForFinished(10000)) << run[0].toStdString();
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << run[0].toStdString();
        EXPECT_EQ(process.exitCode(), 1) << run[0].toStdString();
        EXPECT_TRUE(process.readAllStandardError().contains("File too large")) << run[0].toStdString();
    }
    EXPECT_EQ(readBytes(file), "[A]\r\nk=v\r\n");
    EXPECT_FALSE(QFile::exists(path(u"NEW.INI"_s)));
    EXPECT_EQ(QDir(m_dir.path()).entryList({u"*.tmp"_s}, QDir::Files | QDir::Hidden), QStringList());
}

// Each kind of change keeps the registry it replaces as a version with the
// action and the records it added, changed and removed, compared as read (a
// record only moved or respelt in blanks is no change); a change that changes
// nothing keeps none; the 51st version drops the oldest.
TEST_F(StoreFiles, EveryChangeKeepsTheRegistryItReplacesAsAVersionWithinTheBounds)
{
    const QString file =
        fileWith("; sites\r\n[Roads]\r\nType=1\r\n[Rivers]\r\nType=2\r\n[Lakes]\r\nType=3\r\n");
    const auto save = [&](const QString &from, const QString &to, const QString &type) {
        RecordSave record;
        record.currentName = from;
        record.newName = to;
        record.values[RecordKey::Type] = type;
        return SaveRecord(file, record);
    };
    const auto import = [&](const QByteArray &bytes) {
        return EditRegistry(file, {u"import county.ini"_s, true}, [&](ProfileEdit &edit) {
            edit.setBytes(bytes);
            return WriteResult();
        });
    };
    const struct
    {
        std::function<WriteResult()> change;
        QString action;
        QStringList added, changed, removed;
    } changes[] = {
        {[&] { return save(NewRecordMarker, u"Parks"_s, u"5"_s); }, u"save Parks"_s, {u"Parks"_s}, {}, {}},
        {[&] { return save(u"Rivers"_s, u"Rivers"_s, u"4"_s); }, u"save Rivers"_s, {}, {u"Rivers"_s}, {}},
        {[&] { return save(u"Roads"_s, u"Streets"_s, u"1"_s); },
         u"rename Roads to Streets"_s,
         {u"Streets"_s},
         {},
         {u"Roads"_s}},
        {[&] {
             return RemoveRecords(file, {u"Parks"_s, u"lakes"_s});
         },
         u"delete Parks, lakes"_s,
         {},
         {},
         {u"Lakes"_s, u"Parks"_s}},
        {[&] { return import(readBytes(file).replace("Type=4", "Type = 4 ")); },
         u"import county.ini: 0 added, 0 replaced"_s,
         {},
         {},
         {}},
        {[&] {
             return import("[A]\r\nType=1\r\n" + readBytes(file).replace("Type=1\r\n", "Type=9\r\n")
                           + "[Z]\r\n");
         },
         u"import county.ini: 2 added, 1 replaced"_s,
         {u"A"_s, u"Z"_s},
         {u"Streets"_s},
         {}},
    };
    const FileHistory history = RegistryHistory(file);
    for (const auto &c : changes) {
        SCOPED_TRACE(c.action.toStdString());
        const QByteArray before = readBytes(file);
        ASSERT_TRUE(c.change());
        const VersionNote newest = history.versions()->first();
        EXPECT_EQ(newest.action, c.action);
        EXPECT_EQ(newest.added, c.added);
        EXPECT_EQ(newest.changed, c.changed);
        QStringList removed = newest.removed;
        removed.sort();
        EXPECT_EQ(removed, c.removed);
        EXPECT_EQ(*history.bytes(newest.number), before);
        EXPECT_EQ(newest.user.isEmpty() || !newest.time.isValid(), false);
    }
    ASSERT_TRUE(save(u"A"_s, u"A"_s, u"1"_s));
    ASSERT_TRUE(save(u"A"_s, u"A"_s, u"1"_s));
    EXPECT_EQ(history.versions()->size(), 7) << "a change that changes nothing kept a version";
    for (int round = 0; round < 44; ++round)
        ASSERT_TRUE(save(u"A"_s, u"A"_s, QString::number(round % 2 + 2)));
    EXPECT_EQ(history.versions()->size(), 50);
    EXPECT_EQ(history.versions()->last().number, 2);
    EXPECT_EQ(QDir(history.folder()).entryList(QDir::Files | QDir::Hidden).size(), 100);

    // A note that a crash cut short is passed over; its version's bytes stay, its number is not reused.
    const VersionNote newest = history.versions()->first();
    QFile note(history.folder() + u'/' + QString::number(newest.number) + u".json"_s);
    ASSERT_TRUE(note.resize(note.size() - 1));
    EXPECT_EQ(history.versions()->first().number, newest.number - 1);
    EXPECT_TRUE(history.bytes(newest.number));
    ASSERT_TRUE(save(u"A"_s, u"A"_s, u"7"_s));
    EXPECT_EQ(history.versions()->first().number, newest.number + 1);
}

// A registry of 300 records with a long one among them and a section that
// the first of its name hides from reads.
QByteArray LargeRegistry()
{
    QByteArray text = "; sites\r\n";
    for (int i = 0; i < 300; ++i) {
        if (i == 150)
            text += "[Long]\r\nNote=" + QByteArray(9000, 'x') + "\r\n";
        text += "[Source " + QByteArray::number(i) + "]\r\nType=1\r\nDescription=layer "
            + QByteArray::number(i) + "\r\n";
    }
    return text + "[source 10]\r\nType=9\r\n";
}

QByteArray AsUtf16(const QByteArray &text)
{
    const QString decoded = QString::fromLatin1(text);
    return "\xFF\xFE" + QByteArray(reinterpret_cast<const char *>(decoded.utf16()), decoded.size() * 2);
}

// What edits change is found from the sections they touched, and the same
// from the two files' bytes, which diff compares: records compared as read
// (the first of a name, blanks aside), in file order, in single-byte and
// UTF-16 files alike.
TEST(RecordComparison, FindsEveryRecordTheEditsChangedAndNoOther)
{
    const auto set = [](const char *section, const char *key, const QString &value) {
        return [=](ProfileEdit &edit) {
            ASSERT_TRUE(edit.setValue(QString::fromLatin1(section), QString::fromLatin1(key), value));
        };
    };
    const auto remove = [](const char *section) {
        return [=](ProfileEdit &edit) { ASSERT_TRUE(edit.removeSection(QString::fromLatin1(section))); };
    };
    const struct
    {
        const char *change;
        std::vector<std::function<void(ProfileEdit &)>> edits;
        QStringList differences;
    } changes[] = {
        {"a value in the middle",
         {set("Source 150", "Description", u"renamed"_s)},
         {u"~Source 150: Description"_s}},
        {"a value written as it was", {set("source 150 ", "Type", u"1"_s)}, {}},
        {"a record removed", {remove("Source 150")}, {u"-Source 150: Type Description"_s}},
        {"a record added", {set("Added", "Type", u"2"_s)}, {u"+Added: Type"_s}},
        {"the first of a name removed: the hidden one shows",
         {remove("Source 10")},
         {u"~Source 10: Type Description"_s}},
        {"a record removed and written again at the end",
         {remove("Source 5"), set("Source 5", "Type", u"1"_s), set("Source 5", "Description", u"layer 5"_s)},
         {}},
        {"keys rewritten",
         {[](ProfileEdit &edit) {
             ASSERT_TRUE(edit.rewriteSection(u"Long"_s, {{u"Type"_s, u"3"_s}}));
         }},
         {u"~Long: Note Type"_s}},
        {"records through the file, the last first",
         {set("Source 299", "Type", u"2"_s), remove("Source 250"), set("Source 200", "Type", u"2"_s),
          set("Source 100", "Type", u"2"_s), remove("Source 50"), set("Source 0", "Type", u"2"_s)},
         {u"~Source 0: Type"_s, u"-Source 50: Type Description"_s, u"~Source 100: Type"_s,
          u"~Source 200: Type"_s, u"-Source 250: Type Description"_s, u"~Source 299: Type"_s}},
        {"a section's lines put from another file; those of another name refused",
         {[](ProfileEdit &edit) {
             ProfileEdit other = edit;
             ASSERT_TRUE(other.setValue(u"Source 7"_s, u"Description"_s, u"restored"_s));
             ASSERT_FALSE(edit.setSectionBytes(u"Source 8"_s, other.sectionBytes(u"Source 7"_s)));
             ASSERT_TRUE(edit.setSectionBytes(u"Source 7"_s, other.sectionBytes(u"Source 7"_s)));
         }},
         {u"~Source 7: Description"_s}},
        {"the whole file replaced",
         {[](ProfileEdit &edit) {
             const QByteArray changed = LargeRegistry().replace("=layer 3\r", "=changed\r");
             edit.setBytes(edit.codec().unitSize() == 2 ? AsUtf16(changed) : changed);
         }},
         {u"~Source 3: Description"_s}},
    };
    const auto listed = [](const QList<RecordDifference> &differences) {
        QStringList found;
        for (const RecordDifference &difference : differences) {
            QStringList keys;
            for (const KeyDifference &key : difference.keys)
                keys.append(key.key);
            found.append(u"+~-"_s[int(difference.kind)] + difference.name + u": "_s + keys.join(u' '));
        }
        return found;
    };
    for (const auto &c : changes) {
        for (const QByteArray &registry : {LargeRegistry(), AsUtf16(LargeRegistry())}) {
            SCOPED_TRACE(std::string(c.change) + (registry.startsWith('\xFF') ? " in UTF-16" : ""));
            ProfileEdit edit(registry);
            for (const auto &apply : c.edits)
                apply(edit);
            const FileChange change{registry, edit.bytes(), edit.editedSections()};
            EXPECT_EQ(change.sections.has_value(), std::string(c.change) != "the whole file replaced");
            EXPECT_EQ(listed(CompareRecords(change)), c.differences);
            EXPECT_EQ(listed(CompareRecords(change.before, change.after)), c.differences);
        }
    }
}

// A record put back goes before the one named, and later edits follow the
// file as it now stands: its last part and its first line break.
TEST(ProfileEditPlacement, ARecordPutBackGoesBeforeTheOneNamedAndLaterEditsFollowTheFile)
{
    ProfileEdit edit("; head\r\n[A]\r\nk=1\r\n[B]\r\nk=2\r\n[C]\r\nk=3");
    ASSERT_TRUE(edit.removeSection(u"A"_s));
    ASSERT_TRUE(edit.removeSection(u"C"_s));
    ASSERT_TRUE(edit.setSectionBytes(u"A"_s, QByteArray("[A]\r\nk=1"), u"b"_s));
    ASSERT_TRUE(edit.setSectionBytes(u"C"_s, QByteArray("[C]\r\nk=3"), u"Gone"_s));
    ASSERT_TRUE(edit.setValue(u"D"_s, u"k"_s, u"4"_s));
    EXPECT_EQ(edit.bytes().toStdString(), "; head\r\n[A]\r\nk=1\r\n[B]\r\nk=2\r\n[C]\r\nk=3\r\n[D]\r\nk=4");

    ProfileEdit first("[B]\nk=2\n");
    ASSERT_TRUE(first.setSectionBytes(u"A"_s, QByteArray("[A]\r\nk=1\r\n"), u"B"_s));
    ASSERT_TRUE(first.setValue(u"C"_s, u"k"_s, u"3"_s));
    EXPECT_EQ(first.bytes().toStdString(), "[A]\r\nk=1\r\n[B]\nk=2\n[C]\r\nk=3\r\n");

    ProfileEdit rewritten("[A]\nk=1\n[B]\nk=2\n");
    ASSERT_TRUE(rewritten.setValue(u"A"_s, u"k"_s, u"9"_s));
    ASSERT_TRUE(rewritten.setValue(u"C"_s, u"k"_s, u"3"_s));
    EXPECT_EQ(rewritten.bytes().toStdString(), "[A]\nk=9\n[B]\nk=2\n[C]\nk=3\n");

    // A UTF-16 file is read a piece of lines (1 MB) at a time: a section
    // whose lines run on past a piece is still one section.
    const QByteArray wide =
        AsUtf16("[A]\r\nk=1\r\n" + QByteArray(";c\r\n").repeated(140000) + "[B]\r\nk=2\r\n");
    ProfileEdit pieces(wide);
    ASSERT_TRUE(pieces.removeSection(u"A"_s));
    EXPECT_EQ(pieces.bytes(), AsUtf16("[B]\r\nk=2\r\n"));
}

// Where the history folder cannot hold a link to the registry (it is on
// another file system), each version is a copy of the registry it replaces.
TEST_F(StoreFiles, AVersionIsACopyWhereItCannotBeALink)
{
    QTemporaryDir elsewhere(u"/dev/shm/tessel-history-XXXXXX"_s);
    struct stat here
    {
    }, there{};
    if (!elsewhere.isValid() || ::stat(QFile::encodeName(m_dir.path()).constData(), &here) != 0
        || ::stat(QFile::encodeName(elsewhere.path()).constData(), &there) != 0
        || here.st_dev == there.st_dev)
        GTEST_SKIP() << "no second file system";
    const QByteArray registry = "[A]\r\nType=1\r\n[B]\r\nType=2\r\n";
    const QString file = fileWith(registry);
    ASSERT_TRUE(QFile::link(elsewhere.path(), file + u".history"_s));
    ASSERT_TRUE(RemoveRecords(file, {u"A"_s}));
    ASSERT_TRUE(RemoveRecords(file, {u"B"_s}));
    const FileHistory history = RegistryHistory(file);
    EXPECT_EQ(*history.bytes(1), registry);
    EXPECT_EQ(*history.bytes(2), "[B]\r\nType=2\r\n");
    EXPECT_EQ(history.versions()->first().removed, QStringList{u"B"_s});
}

// Two processes write 40 keys each to 2000 records while this one reads: no half file, no lost key.
TEST_F(StoreFiles, ConcurrentWritersLoseNoChangeAndReadersSeeNoHalfFile)
{
    QByteArray registry = "[Target]\r\nValue=old\r\n";
    for (int i = 0; i < 2000; ++i)
        registry += "[Record " + QByteArray::number(i) + "]\r\nType=1\r\nDescription=record of the test\r\n";
    const QString file = fileWith(registry);
    const auto writeKeys = [&](QChar prefix) {
        return Spawn([=] {
            for (int i = 0; i < 40; ++i)
                if (!WriteProfileString(u"Shared"_s, prefix + QString::number(i), QString::number(i * 7),
                                        file))
                    ::_exit(1);
        });
    };
    const pid_t writers[] = {writeKeys(u'a'), writeKeys(u'b')};
    for (int read = 0; read < 50; ++read) {
        ASSERT_GE(ProfileSectionNames(file).size(), 2001);
        ASSERT_EQ(ReadProfileString(u"Target"_s, u"Value"_s, {}, file), u"old");
    }
    for (const pid_t writer : writers)
        ASSERT_EQ(ExitCodeOf(writer), 0);
    const QStringList keys = ReadProfileKeys(u"Shared"_s, file).split(ListSeparator, Qt::SkipEmptyParts);
    EXPECT_EQ(keys.size(), 80);
    for (const QString &key : keys)
        EXPECT_EQ(ReadProfileString(u"Shared"_s, key, {}, file), QString::number(key.sliced(1).toInt() * 7));
    ASSERT_TRUE(QFile::remove(file));
    EXPECT_EQ(ReadProfileString(u"Target"_s, u"Value"_s, u"gone"_s, file), u"gone");
}

TEST(StoreCache, AStampIsTrustedOnlyWhenItsLastChangeIsOlderThanTheReadByAGranularity)
{
    constexpr qint64 Ms = 1'000'000, Second = 1'000'000'000, ReadAt = 1'700'000'000'123'456'789;
    constexpr qint64 Tick = ProfileCache::FineTimestampGranularityNs, WholeSecond = ReadAt / Second * Second;
    const auto at = [](qint64 modified, qint64 changed) { return FileStamp{1, 2, 30, modified, changed}; };
    const FileStamp old = at(ReadAt - Tick - Ms, ReadAt - Tick - 2 * Ms);
    const struct
    {
        const char *what;
        FileStamp stamp;
        bool trusted;
    } cases[] = {
        {"unchanged and old", old, true},
        {"changed within a tick of the read", at(ReadAt - Ms, ReadAt - Ms), false},
        {"status changed just before the read", at(old.modifiedNs, ReadAt - Ms), false},
        {"exactly one tick old", at(ReadAt - Tick, ReadAt - Tick), false},
        {"whole seconds, a second old", at(WholeSecond - Second, Second), false},
        {"whole seconds, long ago", at(WholeSecond - 2 * Second, Second), true},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ProfileCache::IsUnchangedSince(c.stamp, ReadAt, c.stamp), c.trusted) << c.what;
    const qint64 m = old.modifiedNs, c = old.changedNs;
    for (const FileStamp &other :
         {FileStamp{1, 3, 30, m, c}, FileStamp{1, 2, 31, m, c}, at(m + 1, c), at(m, c + 1)})
        EXPECT_FALSE(ProfileCache::IsUnchangedSince(old, ReadAt, other)) << "another file, size or time";
}

} // namespace
