// The store's limits, its failures, how it replaces files, writers that
// race, readers beside them, and the cache that must never serve an old file.
#include "StoreTestSupport.h"

#include "registry/ProfileDocument.h"
#include "registry/ProfileReading.h"
#include "registry/ProfileCache.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/FileSizeLimit.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>

#include <fcntl.h>
#include <optional>

using namespace tessel;
using namespace tessel::test;

namespace {

TEST(StoreLimits, TextsComeBackWholeWhileTheyFitTheLargestReadBuffer)
{
    for (const qsizetype length : {0, 31998, 31999, 40000}) {
        const ProfileDocument document("[A]\r\nk=" + QByteArray(length, 'x') + "\r\n");
        EXPECT_EQ(LookupString(document, u"A", u"k", u"d").size(), length < 31999 ? length : 0) << length;
    }
    EXPECT_EQ(ProblemWithStoredValue(QString(31999, u'x'), ProfileCodec()),
              u"the value is 31999 characters long; values of up to 31998 characters read back whole");
    QStringList names; // twenty characters and a NUL a name: 1523 names fill 31983 characters
    for (int i = 0; i < 1524; ++i)
        names.append(QStringLiteral("K%1").arg(i, 19, 10, QLatin1Char('0')));
    EXPECT_EQ(JoinNameList(names), QString());
    EXPECT_EQ(SplitNameList(JoinNameList(names.first(1523))), names.first(1523));
    EXPECT_EQ(JoinNameList({QString(31996, u'x')}).size(), 31997);
    EXPECT_EQ(JoinNameList({QString(31997, u'x')}), QString());
    EXPECT_EQ(JoinNameList({QString(31996, u'x'), QString()}), QString());
}

using StoreFiles = TempDirTest;

TEST_F(StoreFiles, AWriteThatFailsLeavesTheFileAsItWasAndSaysWhy)
{
    const QString file = fileWith("[A]\r\nk=v\r\n");
    const struct { const char *what; QString file; qsizetype valueLength; WriteFailure failure; } cases[] = {
        {"full disk", file, 200, WriteFailure::DiskFull},
        {"a value too long to read back", file, 31999, WriteFailure::TooLong},
        {"a folder no one may write", u"/sys/TESSEL.INI"_s, 1, WriteFailure::NoPermission},
        {"a missing folder", path(u"no/such/X.INI"_s), 1, WriteFailure::SystemError},
    };
    for (const auto &c : cases) {
        std::optional<FileSizeLimit> fullDisk;
        if (c.failure == WriteFailure::DiskFull)
            fullDisk.emplace(64);
        const WriteResult result = WriteProfileString(u"A"_s, u"k"_s, QString(c.valueLength, u'v'), c.file);
        fullDisk.reset();
        ASSERT_FALSE(result) << c.what;
        EXPECT_EQ(result.failure(), c.failure) << c.what;
        EXPECT_FALSE(result.detail().isEmpty()) << c.what;
    }
    EXPECT_EQ(readBytes(file), "[A]\r\nk=v\r\n");
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"TEST.INI"_s});
    EXPECT_TRUE(WriteProfileString(u"A"_s, u"k"_s, QString(31998, u'v'), file));
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
    ASSERT_TRUE(touched.open(QIODevice::ReadWrite) && touched.setFileTime(past, QFileDevice::FileModificationTime));
    touched.close();
    ASSERT_TRUE(WriteProfileString(u"a"_s, u"K"_s, u"w"_s, file));
    ASSERT_TRUE(DeleteProfileSection(u"B"_s, file));
    EXPECT_EQ(QFileInfo(file).lastModified(), past) << "an unchanged file was replaced";

    ASSERT_TRUE(QDir(m_dir.path()).mkdir(u"real"_s));
    const QString target = fileWith("[A]\r\nk=v\r\n", u"real/TARGET.INI"_s);
    ASSERT_TRUE(QFile::link(u"real/TARGET.INI"_s, path(u"LINK.INI"_s)));
    ASSERT_TRUE(WriteProfileString(u"A"_s, u"k"_s, u"through the link"_s, path(u"LINK.INI"_s)));
    EXPECT_TRUE(QFileInfo(path(u"LINK.INI"_s)).isSymLink());
    EXPECT_EQ(readBytes(target), "[A]\r\nk=through the link\r\n");
    EXPECT_EQ(QDir(path(u"real"_s)).entryList(QDir::Files | QDir::Hidden), QStringList{u"TARGET.INI"_s});
}

using StoreConcurrency = TempDirTest;

// Two processes write 40 keys each to a registry of 2000 records while this
// one reads it: no read sees part of the file, no writer loses the other's keys.
TEST_F(StoreConcurrency, WritersLoseNoChangeAndReadersSeeNoHalfFile)
{
    QByteArray registry = "[Target]\r\nValue=old\r\n";
    for (int i = 0; i < 2000; ++i)
        registry += "[Record " + QByteArray::number(i) + "]\r\nType=1\r\nDescription=record of the test\r\n";
    const QString file = fileWith(registry);
    const auto writeKeys = [&](QChar prefix) {
        return Spawn([=] {
            for (int i = 0; i < 40; ++i) {
                if (!WriteProfileString(u"Shared"_s, prefix + QString::number(i), QString::number(i * 7), file))
                    ::_exit(1);
            }
        });
    };
    const pid_t writers[] = {writeKeys(u'a'), writeKeys(u'b')};
    for (int read = 0; read < 50; ++read) {
        ASSERT_GE(ProfileSectionNames(file).size(), 2001);
        ASSERT_EQ(ReadProfileString(u"Target"_s, u"Value"_s, {}, file), u"old");
    }
    for (const pid_t writer : writers)
        ASSERT_EQ(ExitCodeOf(writer), 0);
    EXPECT_EQ(SplitNameList(ReadProfileKeys(u"Shared"_s, file)).size(), 80);
    for (const QString &key : SplitNameList(ReadProfileKeys(u"Shared"_s, file)))
        EXPECT_EQ(ReadProfileString(u"Shared"_s, key, {}, file), QString::number(key.sliced(1).toInt() * 7));
}

// Rewrites the file in place: same file, no rename, no change of size.
void OverwriteInPlace(const QString &file, const QByteArray &bytes)
{
    const int fd = ::open(QFile::encodeName(file).constData(), O_WRONLY);
    ASSERT_EQ(::pwrite(fd, bytes.constData(), size_t(bytes.size()), 0), bytes.size());
    ::close(fd);
}

TEST_F(StoreConcurrency, ReadsSeeEveryChangeHoweverQuick)
{
    const QString file = fileWith("[A]\r\nk=0\r\n");
    for (int round = 1; round <= 100; ++round) {
        OverwriteInPlace(file, "[A]\r\nk=" + QByteArray::number(round % 10) + "\r\n");
        ASSERT_EQ(ReadProfileString(u"A"_s, u"k"_s, {}, file), QString::number(round % 10)) << round;
    }
    QThread::msleep(3 * ProfileCache::FineTimestampGranularityNs / 1'000'000);
    EXPECT_EQ(ReadProfileDocument(file), ReadProfileDocument(file)) << "an unchanged file is parsed once";
    OverwriteInPlace(file, "[A]\r\nk=2\r\n");
    EXPECT_EQ(ReadProfileString(u"A"_s, u"k"_s, {}, file), u"2");
    ASSERT_TRUE(QFile::remove(file));
    EXPECT_EQ(ReadProfileString(u"A"_s, u"k"_s, u"gone"_s, file), u"gone");
}

TEST(StoreCache, AStampIsTrustedOnlyWhenItsLastChangeIsOlderThanTheReadByAGranularity)
{
    constexpr qint64 Ms = 1'000'000, Second = 1'000'000'000, ReadAt = 1'700'000'000'123'456'789;
    constexpr qint64 Tick = ProfileCache::FineTimestampGranularityNs, WholeSecond = ReadAt / Second * Second;
    const auto at = [](qint64 modified, qint64 changed, qint64 size = 30) { return FileStamp{1, 2, size, modified, changed}; };
    const FileStamp old = at(ReadAt - Tick - Ms, ReadAt - Tick - 2 * Ms);
    const struct { const char *what; FileStamp known, now; bool trusted; } cases[] = {
        {"unchanged and old", old, old, true},
        {"changed within a tick of the read", at(ReadAt - Ms, ReadAt - Ms), at(ReadAt - Ms, ReadAt - Ms), false},
        {"status changed just before the read", at(old.modifiedNs, ReadAt - Ms), at(old.modifiedNs, ReadAt - Ms), false},
        {"exactly one tick old", at(ReadAt - Tick, ReadAt - Tick), at(ReadAt - Tick, ReadAt - Tick), false},
        {"other size", old, at(old.modifiedNs, old.changedNs, 31), false},
        {"other file", old, FileStamp{1, 3, 30, old.modifiedNs, old.changedNs}, false},
        {"other modification time", old, at(old.modifiedNs + 1, old.changedNs), false},
        {"other status change time", old, at(old.modifiedNs, old.changedNs + 1), false},
        {"whole seconds, a second old", at(WholeSecond - Second, Second), at(WholeSecond - Second, Second), false},
        {"whole seconds, long ago", at(WholeSecond - 2 * Second, Second), at(WholeSecond - 2 * Second, Second), true},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ProfileCache::IsUnchangedSince(c.known, ReadAt, c.now), c.trusted) << c.what;
}

} // namespace
