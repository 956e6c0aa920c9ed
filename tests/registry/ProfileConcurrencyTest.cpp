// Writers that are killed, writers that race, and readers that must never be
// served an old version of a file.
#include "ProfileTestSupport.h"
#include "tests/support/ChildProcess.h"

#include "registry/ProfileCache.h"
#include "registry/ProfileDocument.h"
#include "registry/ProfileReading.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QThread>

#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tessel;
using namespace tessel::test;

namespace {

constexpr int Records = 2000;

QByteArray Registry()
{
    QByteArray bytes = "[Target]\r\nValue=old\r\n";
    for (int i = 0; i < Records; ++i)
        bytes += "[Record " + QByteArray::number(i) + "]\r\nType=1\r\nDescription=record of the test\r\n";
    return bytes;
}

class ProfileConcurrency : public ProfileFileTest
{
};

TEST_F(ProfileConcurrency, TwoProcessesWritingDifferentKeysLoseNeither)
{
    const QString file = fileWith(Registry());
    constexpr int KeysEach = 40;
    auto writeKeys = [&](QChar prefix) {
        return Spawn([=] {
            for (int i = 0; i < KeysEach; ++i) {
                if (!WriteProfileString(u"Shared"_qs, prefix + QString::number(i), QString::number(i * 7), file))
                    ::_exit(1);
            }
        });
    };
    const pid_t first = writeKeys(u'a');
    const pid_t second = writeKeys(u'b');
    ASSERT_EQ(ExitCodeOf(first), 0);
    ASSERT_EQ(ExitCodeOf(second), 0);

    EXPECT_EQ(SplitNameList(ReadProfileKeys(u"Shared"_qs, file)).size(), 2 * KeysEach);
    for (int i = 0; i < KeysEach; ++i) {
        for (const QChar prefix : {u'a', u'b'}) {
            const QString key = prefix + QString::number(i);
            EXPECT_EQ(ReadProfileString(u"Shared"_qs, key, u"lost"_qs, file), QString::number(i * 7)) << key.toStdString();
        }
    }
    EXPECT_EQ(ReadProfileString(u"Target"_qs, u"Value"_qs, {}, file), u"old");
}

// Rewrites the file in place: same file, no rename, no change of size.
void OverwriteInPlace(const QString &file, const QByteArray &bytes)
{
    const int fd = ::open(QFile::encodeName(file).constData(), O_WRONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::pwrite(fd, bytes.constData(), size_t(bytes.size()), 0), bytes.size());
    ::close(fd);
}

TEST_F(ProfileConcurrency, ReadsSeeChangesMadeWithinOneTimestampTick)
{
    const QString file = fileWith("[A]\r\nk=0\r\n");
    for (int round = 1; round <= 300; ++round) {
        const QByteArray digit = QByteArray::number(round % 10);
        OverwriteInPlace(file, "[A]\r\nk=" + digit + "\r\n");
        ASSERT_EQ(ReadProfileString(u"A"_qs, u"k"_qs, {}, file), QString::fromLatin1(digit)) << "round " << round;
    }
}

TEST_F(ProfileConcurrency, ReadsOfAnOldFileSeeAnyChangeToIt)
{
    const QString file = fileWith("[A]\r\nk=1\r\n");
    QThread::msleep(3 * ProfileCache::FineTimestampGranularityNs / 1'000'000);
    ASSERT_EQ(ReadProfileString(u"A"_qs, u"k"_qs, {}, file), u"1");
    ASSERT_EQ(ReadProfileString(u"A"_qs, u"k"_qs, {}, file), u"1");
    OverwriteInPlace(file, "[A]\r\nk=2\r\n");
    EXPECT_EQ(ReadProfileString(u"A"_qs, u"k"_qs, {}, file), u"2");

    const QString replacement = fileWith("[A]\r\nk=3\r\n", u"NEW.INI"_qs);
    ASSERT_TRUE(QFile::remove(file));
    ASSERT_TRUE(QFile::rename(replacement, file));
    EXPECT_EQ(ReadProfileString(u"A"_qs, u"k"_qs, {}, file), u"3");
    ASSERT_TRUE(QFile::remove(file));
    EXPECT_EQ(ReadProfileString(u"A"_qs, u"k"_qs, u"gone"_qs, file), u"gone");
}

TEST(ProfileCacheTrust, AStampIsTrustedOnlyWhenItsLastChangeIsOlderThanTheReadByAGranularity)
{
    constexpr qint64 Ms = 1'000'000;
    constexpr qint64 ReadAt = 1'700'000'000'123'456'789;
    const qint64 fine = ProfileCache::FineTimestampGranularityNs;
    const qint64 coarse = ProfileCache::CoarseTimestampGranularityNs;
    const FileStamp old{1, 2, 30, ReadAt - fine - Ms, ReadAt - fine - 2 * Ms};
    const struct
    {
        const char *what;
        FileStamp known, now;
        bool trusted;
    } cases[] = {
        {"unchanged and old", old, old, true},
        {"changed within a tick of the read", FileStamp{1, 2, 30, ReadAt - Ms, ReadAt - Ms},
         FileStamp{1, 2, 30, ReadAt - Ms, ReadAt - Ms}, false},
        {"status changed just before the read", FileStamp{1, 2, 30, old.modifiedNs, ReadAt - Ms},
         FileStamp{1, 2, 30, old.modifiedNs, ReadAt - Ms}, false},
        {"exactly one granularity old", FileStamp{1, 2, 30, ReadAt - fine, ReadAt - fine},
         FileStamp{1, 2, 30, ReadAt - fine, ReadAt - fine}, false},
        {"other size", old, FileStamp{1, 2, 31, old.modifiedNs, old.changedNs}, false},
        {"other file", old, FileStamp{1, 3, 30, old.modifiedNs, old.changedNs}, false},
        {"other modification time", old, FileStamp{1, 2, 30, old.modifiedNs + 1, old.changedNs}, false},
        {"other status change time", old, FileStamp{1, 2, 30, old.modifiedNs, old.changedNs + 1}, false},
        {"whole seconds, a second old", FileStamp{1, 2, 30, 1'700'000'000 * 1'000'000'000LL, 1'700'000'000 * 1'000'000'000LL},
         FileStamp{1, 2, 30, 1'700'000'000 * 1'000'000'000LL, 1'700'000'000 * 1'000'000'000LL}, false},
        {"whole seconds, long ago", FileStamp{1, 2, 30, ReadAt / 1'000'000'000 * 1'000'000'000 - coarse, 1'000'000'000},
         FileStamp{1, 2, 30, ReadAt / 1'000'000'000 * 1'000'000'000 - coarse, 1'000'000'000}, true},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ProfileCache::IsUnchangedSince(c.known, ReadAt, c.now), c.trusted) << c.what;
}

TEST_F(ProfileConcurrency, TheParseOfAnUnchangedFileIsReused)
{
    ProfileCache cache;
    const QString file = fileWith("[A]\r\nk=1\r\n");
    const auto first = cache.current(file);
    QThread::msleep(3 * ProfileCache::FineTimestampGranularityNs / 1'000'000);
    EXPECT_EQ(cache.current(file), first) << "same bytes, read again";
    EXPECT_EQ(cache.current(file), first) << "trusted by its stamp";
    OverwriteInPlace(file, "[A]\r\nk=1\r\n");
    EXPECT_EQ(cache.current(file), first) << "touched, same bytes";
    OverwriteInPlace(file, "[A]\r\nk=2\r\n");
    const auto changed = cache.current(file);
    EXPECT_NE(changed, first);
    EXPECT_EQ(changed->value(u"A", u"k"), u"2");
}

} // namespace
