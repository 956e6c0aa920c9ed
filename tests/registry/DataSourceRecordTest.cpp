#include <gtest/gtest.h>

#include <QTemporaryDir>

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

class RecordFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        path = JoinPath(dir.path(), QStringLiteral("TESSEL.INI"));
    }

    QString read(const QString &section, const QString &key) const
    {
        return ReadProfileString(section, key, QStringLiteral("<missing>"), path);
    }

    QStringList keysOf(const QString &section) const
    {
        return ReadProfileKeys(section, path).split(ListSeparator, Qt::SkipEmptyParts);
    }

    bool save(const QString &currentName, const QString &newName, PrivateOnSave rule,
              const RecordValues &values = nativeDefaults(QStringLiteral("RDS1")))
    {
        return SaveRecord(path, currentName, newName, values, rule);
    }

    QTemporaryDir dir;
    QString path;
};

const QStringList SavedKeyOrder = {
    QStringLiteral("Type"),         QStringLiteral("Description"), QStringLiteral("Connect"),
    QStringLiteral("ReadOnly"),     QStringLiteral("ID"),          QStringLiteral("Attributes"),
    QStringLiteral("Capabilities"), QStringLiteral("AutoConnect"), QStringLiteral("Scales"),
    QStringLiteral("Priority")};

} // namespace

TEST_F(RecordFileTest, NewRecordListsItsKeysInTheFixedOrder)
{
    ASSERT_TRUE(save(NewRecordMarker, QStringLiteral("Roads"), PrivateOnSave::MarkSavedByNative));

    EXPECT_EQ(keysOf(QStringLiteral("Roads")), SavedKeyOrder + QStringList{QStringLiteral("Private")});
    EXPECT_EQ(read(QStringLiteral("Roads"), QStringLiteral("Connect")), QStringLiteral("RDS1"));
    EXPECT_EQ(read(QStringLiteral("Roads"), QStringLiteral("Description")), QString());
    EXPECT_EQ(read(QStringLiteral("Roads"), QStringLiteral("Private")), QStringLiteral("8"));
}

TEST_F(RecordFileTest, SaveWithoutNativeMarkWritesNoPrivateForANewRecord)
{
    ASSERT_TRUE(save(NewRecordMarker, QStringLiteral("Roads"), PrivateOnSave::CarryOnRename));

    EXPECT_EQ(keysOf(QStringLiteral("Roads")), SavedKeyOrder);
}

TEST_F(RecordFileTest, SavingUnderTheSameNameKeepsOtherKeysAndEveryPrivateBit)
{
    writeBytes(path, "[Roads]\r\nPrivate=3\r\nExtra=kept\r\nType=2\r\n");

    ASSERT_TRUE(save(QStringLiteral("Roads"), QStringLiteral("Roads"), PrivateOnSave::MarkSavedByNative));

    EXPECT_EQ(read(QStringLiteral("Roads"), QStringLiteral("Extra")), QStringLiteral("kept"));
    EXPECT_EQ(read(QStringLiteral("Roads"), QStringLiteral("Private")), QStringLiteral("11"));
    EXPECT_EQ(read(QStringLiteral("Roads"), QStringLiteral("Type")), QStringLiteral("1"));
}

TEST_F(RecordFileTest, RenameRemovesTheOldSectionAndCarriesItsPrivateBits)
{
    writeBytes(path, "[A]\r\nPrivate=3\r\nExtra=x\r\n[Other]\r\nType=4\r\n");

    ASSERT_TRUE(save(QStringLiteral("A"), QStringLiteral("B"), PrivateOnSave::MarkSavedByNative));

    EXPECT_EQ(RecordNames(path), (QStringList{QStringLiteral("Other"), QStringLiteral("B")}));
    EXPECT_EQ(read(QStringLiteral("B"), QStringLiteral("Private")), QStringLiteral("11"));
    EXPECT_EQ(read(QStringLiteral("B"), QStringLiteral("Extra")), QStringLiteral("<missing>"));
    EXPECT_EQ(read(QStringLiteral("Other"), QStringLiteral("Type")), QStringLiteral("4"));
}

TEST_F(RecordFileTest, RenameWithoutNativeMarkCarriesOnlyBitsThatAreSet)
{
    writeBytes(path, "[Locked]\r\nPrivate=1\r\n[Plain]\r\nType=4\r\n");

    ASSERT_TRUE(save(QStringLiteral("Locked"), QStringLiteral("Locked2"), PrivateOnSave::CarryOnRename));
    ASSERT_TRUE(save(QStringLiteral("Plain"), QStringLiteral("Plain2"), PrivateOnSave::CarryOnRename));

    EXPECT_EQ(read(QStringLiteral("Locked2"), QStringLiteral("Private")), QStringLiteral("1"));
    EXPECT_EQ(keysOf(QStringLiteral("Plain2")), SavedKeyOrder);
}

TEST_F(RecordFileTest, RenameOntoAnExistingRecordKeepsTheBitsOfBoth)
{
    writeBytes(path, "[A]\r\nPrivate=1\r\n[B]\r\nPrivate=2\r\n");

    ASSERT_TRUE(save(QStringLiteral("A"), QStringLiteral("B"), PrivateOnSave::MarkSavedByNative));

    EXPECT_EQ(RecordNames(path), QStringList{QStringLiteral("B")});
    EXPECT_EQ(read(QStringLiteral("B"), QStringLiteral("Private")), QStringLiteral("11"));
}

TEST_F(RecordFileTest, ChangingOnlyTheLetterCaseRenamesTheSection)
{
    writeBytes(path, "[roads]\r\nPrivate=2\r\n");

    ASSERT_TRUE(save(QStringLiteral("roads"), QStringLiteral("Roads"), PrivateOnSave::CarryOnRename));

    EXPECT_EQ(RecordNames(path), QStringList{QStringLiteral("Roads")});
    EXPECT_EQ(read(QStringLiteral("Roads"), QStringLiteral("Private")), QStringLiteral("2"));
}

TEST_F(RecordFileTest, NamesTheFileCannotCarryAreRefusedWithoutWritingAnything)
{
    const QByteArray before = "[Old]\r\nType=1\r\n";
    writeBytes(path, before);

    for (const QString &name : {QStringLiteral("a]b"), QStringLiteral("a\nb"), QStringLiteral("a\rb"),
                                NewRecordMarker, QString()}) {
        EXPECT_FALSE(IsStorableName(name)) << name.toStdString();
        EXPECT_FALSE(save(QStringLiteral("Old"), name, PrivateOnSave::MarkSavedByNative));
    }
    EXPECT_EQ(readBytes(path), before);

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
