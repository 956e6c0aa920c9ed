#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <optional>

#include "platform/AppPaths.h"
#include "registry/DataSourceRecord.h"
#include "registry/ProfileStore.h"
#include "tests/support/QtPrinting.h"
#include "tests/support/TestFiles.h"

using namespace tessel;
using namespace tessel::test;

namespace {

// The values a native dialog writes for a new record left as it opens.
RecordValues nativeDefaults(const QString &storage)
{
    RecordValues values;
    values[RecordKey::Type] = QStringLiteral("1");
    values[RecordKey::Connect] = storage;
    values[RecordKey::ReadOnly] = QStringLiteral("0");
    values[RecordKey::ID] = AutomaticId;
    values[RecordKey::Attributes] = QStringLiteral("3");
    values[RecordKey::Capabilities] = QStringLiteral("15");
    values[RecordKey::AutoConnect] = QStringLiteral("0");
    values[RecordKey::Scales] = QStringLiteral("0,0,0");
    values[RecordKey::Priority] = QStringLiteral("127");
    return values;
}

const QStringList SavedKeyOrder = {
    QStringLiteral("Type"),         QStringLiteral("Description"), QStringLiteral("Connect"),
    QStringLiteral("ReadOnly"),     QStringLiteral("ID"),          QStringLiteral("Attributes"),
    QStringLiteral("Capabilities"), QStringLiteral("AutoConnect"), QStringLiteral("Scales"),
    QStringLiteral("Priority")};

class RecordFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        path = JoinPath(dir.path(), QStringLiteral("TESSEL.INI"));
    }

    QTemporaryDir dir;
    QString path;
};

// The same save as single writes and removals, each replacing the file on
// its own: the sequence that a save stands for.
void SaveKeyByKey(const QString &path, const RecordSave &save)
{
    const bool native = save.privateRule == PrivateOnSave::MarkSavedByNative;
    int carried = 0;
    if (save.currentName != NewRecordMarker && (save.rewriteWhole || save.newName != save.currentName)) {
        carried = DataSourceRecord(path, save.currentName).whole16(RecordKey::Private);
        EXPECT_TRUE(DeleteProfileSection(save.currentName, path));
    }
    for (int index = 0; index < SavedKeyCount; ++index)
        EXPECT_TRUE(WriteProfileString(save.newName, KeyName(RecordKey(index)), save.values[RecordKey(index)], path));
    const int kept = DataSourceRecord(path, save.newName).whole16(RecordKey::Private);
    const int bits = kept | carried | save.addedPrivateBits | (native ? PrivateBit::SavedByNative : 0);
    if (native || carried != 0 || bits != kept) {
        EXPECT_TRUE(WriteProfileString(save.newName, QStringLiteral("Private"), QString::number(qint16(bits)), path));
    }
}

QString operator""_q(const char *text, std::size_t)
{
    return QString::fromUtf8(text);
}

struct SaveCase
{
    const char *what;
    QByteArray file;
    QString currentName;
    QString newName;
    PrivateOnSave rule;
    std::optional<WriteFailure> refusal;
    QStringList namesAfter;
    QString privateAfter;       // the saved record's Private; "-" for none
    QString description = {};
    bool rewriteWhole = false;  // as a registration from a template
    int addedBits = 0;
};

const QString NoPrivate = QStringLiteral("-");
const QString New = NewRecordMarker;
constexpr auto Native = PrivateOnSave::MarkSavedByNative;
constexpr auto Carry = PrivateOnSave::CarryOnRename;

const SaveCase SaveCases[] = {
    {"new native record", "", New, "Roads"_q, Native, {}, {"Roads"_q}, "8"_q},
    {"new record without the native mark", "; c\r\n", New, "Roads"_q, Carry, {}, {"Roads"_q}, NoPrivate},
    {"edit keeps other keys and every bit", "[Roads]\r\nPrivate=3\r\nExtra=kept\r\nType=2\r\n", "Roads"_q,
     "Roads"_q, Native, {}, {"Roads"_q}, "11"_q},
    {"rename carries the bits, not other keys", "[A]\r\nPrivate=3\r\nExtra=x\r\n[Other]\r\nType=4\r\n",
     "A"_q, "B"_q, Native, {}, {"Other"_q, "B"_q}, "11"_q},
    {"rename carries set bits only", "[Locked]\r\nPrivate=1\r\n[Plain]\r\nType=4\r\n", "Locked"_q,
     "Locked2"_q, Carry, {}, {"Plain"_q, "Locked2"_q}, "1"_q},
    {"rename without bits writes no Private", "[Plain]\r\nType=4\r\n", "Plain"_q, "Plain2"_q, Carry, {},
     {"Plain2"_q}, NoPrivate},
    {"case-only rename", "[roads]\r\nPrivate=2\r\n", "roads"_q, "Roads"_q, Carry, {}, {"Roads"_q}, "2"_q},
    {"rename onto another record", "[A]\r\nPrivate=1\r\n[B]\r\nPrivate=2\r\n", "A"_q, "B"_q, Native,
     WriteFailure::NameTaken, {}, {}},
    {"new record onto a name in other letter case", "[Rivers]\r\nType=1\r\nPrivate=8\r\n", New, "rivers"_q,
     Carry, WriteFailure::NameTaken, {}, {}},
    {"a name the file cannot carry", "[Old]\r\n", "Old"_q, "a]b"_q, Native, WriteFailure::BadName, {}, {}},
    {"the new-record marker as a name", "[Old]\r\n", "Old"_q, New, Native, WriteFailure::BadName, {}, {}},
    {"a value with a line break", "[Old]\r\n", "Old"_q, "Old"_q, Native, WriteFailure::LineBreak, {}, {},
     "two\nlines"_q},
    {"a character the code page lacks", "[Old]\r\n", "Old"_q, "Old"_q, Native, WriteFailure::Unencodable, {},
     {}, "Ω 漢字"_q},
    {"any character in a UTF-8 file", "\xEF\xBB\xBF[Old]\r\n", "Old"_q, "Old"_q, Native, {}, {"Old"_q}, "8"_q,
     "Ω 漢字"_q},
    {"a value too long to read back", "", New, "Long"_q, Native, WriteFailure::TooLong, {}, {},
     QString(40000, u'x')},
    {"keys missing from a record", "[R]\r\nDescription=old\r\n;note\r\n\r\n[S]\r\nType=1", "R"_q, "R"_q, Carry,
     {}, {"R"_q, "S"_q}, NoPrivate},
    {"last line without a break", "[S]\r\nType=1", New, "R"_q, Native, {}, {"S"_q, "R"_q}, "8"_q},
    {"line feeds only", "[R]\nType=2\nPriority=5\n[S]\n", "R"_q, "R"_q, Native, {}, {"R"_q, "S"_q}, "8"_q},
    {"key lines without =", "[R]\r\nConnect\r\nType\r\n", "R"_q, "R"_q, Carry, {}, {"R"_q}, NoPrivate},
    {"the same name twice", "[R]\r\nType=1\r\n[S]\r\n[r]\r\nPrivate=2\r\n", "R"_q, "R"_q, Native, {},
     {"R"_q, "S"_q, "r"_q}, "8"_q},
    {"a case-only rename where the name stands twice", "[R]\r\nPrivate=1\r\n[r]\r\nPrivate=2\r\n", "R"_q,
     "r"_q, Carry, {}, {"r"_q}, "3"_q},
    {"UTF-16 with a half code unit at the end", QByteArray("\xFF\xFE[\0R\0]\0\r\0\n\0X\0=\0""1\0!", 17),
     "R"_q, "R"_q, Native, {}, {"R"_q}, "8"_q},
    {"a registration replaces the record whole", "[R]\r\nPrivate=2\r\nX=1\r\n[S]\r\n", "R"_q, "R"_q, Native,
     {}, {"S"_q, "R"_q}, "11"_q, {}, true, 1},
    {"a registration of a new name", "[S]\r\n", "R"_q, "R"_q, Carry, {}, {"S"_q, "R"_q}, "4"_q, {}, true, 4},
};

} // namespace

// A save is one replacement of the file with exactly the bytes that its
// single writes give one after another, or, refused, no change at all.
TEST_F(RecordFileTest, ASaveWritesWhatItsSingleWritesWouldOrNothing)
{
    const QString reference = JoinPath(dir.path(), QStringLiteral("KEYBYKEY.INI"));
    for (const SaveCase &row : SaveCases) {
        SCOPED_TRACE(row.what);
        RecordValues values = nativeDefaults(QStringLiteral("RDS1"));
        values[RecordKey::Description] = row.description;
        const RecordSave save{row.currentName, row.newName, values, row.rule, row.rewriteWhole, row.addedBits};
        writeBytes(path, row.file);
        writeBytes(reference, row.file);

        const WriteResult saved = SaveRecord(path, save);

        if (row.refusal) {
            ASSERT_FALSE(saved);
            EXPECT_EQ(saved.error().failure, *row.refusal);
            EXPECT_EQ(readBytes(path), row.file);
            continue;
        }
        ASSERT_TRUE(saved) << saved.error().detail.toStdString();
        SaveKeyByKey(reference, save);
        EXPECT_EQ(readBytes(path), readBytes(reference));
        EXPECT_EQ(RecordNames(path), row.namesAfter);
        EXPECT_EQ(ReadProfileString(row.newName, QStringLiteral("Private"), NoPrivate, path), row.privateAfter);
        if (row.file.isEmpty()) {
            const QStringList keys = ReadProfileKeys(row.newName, path).split(ListSeparator, Qt::SkipEmptyParts);
            EXPECT_EQ(keys, SavedKeyOrder + QStringList{QStringLiteral("Private")});
        }
    }
}

TEST_F(RecordFileTest, RemovingRecordsIsOneChangeOfTheFile)
{
    writeBytes(path, "[A]\r\nType=1\r\n[B]\r\n[C]\r\nType=4\r\n");

    ASSERT_TRUE(RemoveRecords(path, {QStringLiteral("a"), QStringLiteral("C"), QStringLiteral("Gone")}));
    EXPECT_EQ(readBytes(path), "[B]\r\n");
    EXPECT_EQ(RemoveRecords(path, {QStringLiteral("B"), QStringLiteral("x]")}).error().failure, WriteFailure::BadName);
    EXPECT_EQ(readBytes(path), "[B]\r\n");
}

TEST(StorableNames, OnlyNamesTheFileCanCarryAsSections)
{
    for (const QString &name : {QStringLiteral("a]b"), QStringLiteral("a\nb"), QStringLiteral("a\rb"),
                                NewRecordMarker, QString()})
        EXPECT_FALSE(IsStorableName(name)) << name.toStdString();
    for (const QString &name : {QStringLiteral("[a"), QStringLiteral("<<__new__>>"),
                                QStringLiteral("Roads & Rails; 2")})
        EXPECT_TRUE(IsStorableName(name)) << name.toStdString();
}

TEST_F(RecordFileTest, MissingKeysReadAsTheirDefaultsAndNumbersAsLeadingNumbers)
{
    writeBytes(path, "[R]\r\nPrivate=2.5\r\nAttributes=Auto\r\nCapabilities=9 boxes\r\n");
    const DataSourceRecord record(path, QStringLiteral("R"));
    const DataSourceRecord missing(path, QStringLiteral("Nowhere"));

    EXPECT_EQ(record.whole16(RecordKey::Private), 2);
    EXPECT_EQ(record.whole16(RecordKey::Attributes), 0);
    EXPECT_EQ(record.whole16(RecordKey::Capabilities), 9);
    EXPECT_EQ(record.whole32(RecordKey::Type), 1);
    EXPECT_EQ(missing.text(RecordKey::ID), QStringLiteral("Auto"));
    EXPECT_EQ(missing.text(RecordKey::Scales), QStringLiteral("0,0,0"));
    EXPECT_EQ(missing.text(RecordKey::Priority), QStringLiteral("127"));
    EXPECT_FALSE(record.isNew());
    EXPECT_TRUE(DataSourceRecord(path, NewRecordMarker).isNew());
}

TEST(ScalesKey, MissingFieldsCountAsZeroAndExtraFieldsAreIgnored)
{
    const Scales one = ParseScales(QStringLiteral("250"));
    EXPECT_EQ(one.minimum, 250);
    EXPECT_EQ(one.maximum, 0);
    EXPECT_EQ(one.overview, 0);
    EXPECT_FALSE(one.allScales());

    const Scales two = ParseScales(QStringLiteral("0,0"));
    EXPECT_TRUE(two.allScales());
    EXPECT_EQ(two.overview, 0);

    const Scales four = ParseScales(QStringLiteral("025,1.5,7,9"));
    EXPECT_EQ(four.minimum, 25);
    EXPECT_EQ(four.maximum, 1.5);
    EXPECT_EQ(four.overview, 7);

    const Scales junk = ParseScales(QStringLiteral("x,,y"));
    EXPECT_TRUE(junk.allScales());
    EXPECT_EQ(junk.overview, 0);
}

TEST(ScalesKey, AllScalesWritesZeroForMinimumAndMaximum)
{
    const QString min = QStringLiteral("100");
    const QString max = QStringLiteral("200");
    EXPECT_EQ(ScalesText(true, min, max, QStringLiteral("500")), QStringLiteral("0,0,500"));
    EXPECT_EQ(ScalesText(false, min, max, QStringLiteral("0")), QStringLiteral("100,200,0"));
    EXPECT_EQ(ScalesText(false, QString(), QString(), QString()), QStringLiteral(",,"));
}

TEST(DecimalText, IsTheShortestPlainDecimal)
{
    EXPECT_EQ(DecimalText(25), QStringLiteral("25"));
    EXPECT_EQ(DecimalText(1.5), QStringLiteral("1.5"));
    EXPECT_EQ(DecimalText(100000000), QStringLiteral("100000000"));
    EXPECT_EQ(DecimalText(-0.0), QStringLiteral("0"));
    EXPECT_EQ(DecimalText(-3), QStringLiteral("-3"));
}

TEST(IdKey, OnlyAWholeNumberTextIsASourceNumber)
{
    for (const QString &number : {QStringLiteral("12"), QStringLiteral(" 12"), QStringLiteral("-4")}) {
        const SourceId id = ParseSourceId(number);
        EXPECT_FALSE(id.automatic) << number.toStdString();
        EXPECT_EQ(id.number, number);
    }
    for (const QString &other : {QStringLiteral("Auto"), QString(), QStringLiteral("12a"),
                                 QStringLiteral("x1"), QStringLiteral("abc")}) {
        const SourceId id = ParseSourceId(other);
        EXPECT_TRUE(id.automatic) << other.toStdString();
        EXPECT_TRUE(id.number.isEmpty());
    }
    EXPECT_EQ(SourceIdText(true, QStringLiteral("12")), QStringLiteral("Auto"));
    EXPECT_EQ(SourceIdText(false, QString()), QString());
}

TEST(DemandConnectKey, SplitsAtTheFirstBlank)
{
    const QString stored = DemandConnectText(QStringLiteral("C:\\DATA\\ROADS.DLD"), QStringLiteral("ROADS"));
    EXPECT_EQ(stored, QStringLiteral("C:\\DATA\\ROADS.DLD ROADS"));
    const DemandConnect plain = SplitDemandConnect(stored);
    EXPECT_EQ(plain.dldPath, QStringLiteral("C:\\DATA\\ROADS.DLD"));
    EXPECT_EQ(plain.entity, QStringLiteral("ROADS"));

    const DemandConnect blank = SplitDemandConnect(QStringLiteral("C:\\MY DATA\\R.DLD MAIN ROADS"));
    EXPECT_EQ(blank.dldPath, QStringLiteral("C:\\MY"));
    EXPECT_EQ(blank.entity, QStringLiteral("DATA\\R.DLD MAIN ROADS"));

    const DemandConnect pathOnly = SplitDemandConnect(QStringLiteral("C:\\R.DLD"));
    EXPECT_EQ(pathOnly.dldPath, QStringLiteral("C:\\R.DLD"));
    EXPECT_TRUE(pathOnly.entity.isEmpty());
}
