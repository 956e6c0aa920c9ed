// The user's private directories and the single-instance lock in them.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/AppPaths.h"
#include "platform/SingleInstance.h"

using namespace tessel;

namespace {

constexpr uid_t OtherUser = 65534;

mode_t modeOf(const QString &path)
{
    struct stat status{};
    ::lstat(QFile::encodeName(path).constData(), &status);
    return status.st_mode & 07777;
}

bool makeDirectory(const QString &path, mode_t mode)
{
    const QByteArray encoded = QFile::encodeName(path);
    return ::mkdir(encoded.constData(), 0700) == 0 && ::chmod(encoded.constData(), mode) == 0;
}

// What another user, or a careless one, leaves where a private directory belongs.
enum class Planted { Nothing, PrivateDirectory, OpenDirectory, ForeignDirectory, LinkToPrivateDirectory, PlainFile };

struct Case
{
    const char *name;
    Planted planted;
    bool usable;
};

const Case Cases[] = {
    {"missing", Planted::Nothing, false},
    {"private directory", Planted::PrivateDirectory, true},
    {"directory open to others", Planted::OpenDirectory, false},
    {"directory of another user", Planted::ForeignDirectory, false},
    {"link to a private directory", Planted::LinkToPrivateDirectory, false},
    {"plain file", Planted::PlainFile, false},
};

class PrivateDirectoryTest : public ::testing::Test
{
protected:
    // Puts planted at path; false when this user cannot (a foreign owner needs root).
    bool plant(Planted planted, const QString &path)
    {
        switch (planted) {
        case Planted::Nothing:
            return true;
        case Planted::PrivateDirectory:
            return makeDirectory(path, 0700);
        case Planted::OpenDirectory:
            return makeDirectory(path, 01777);
        case Planted::ForeignDirectory:
            return ::geteuid() == 0 && makeDirectory(path, 0700)
                && ::chown(QFile::encodeName(path).constData(), OtherUser, OtherUser) == 0;
        case Planted::LinkToPrivateDirectory:
            return QFile::link(elsewhere.path(), path);
        case Planted::PlainFile: {
            QFile file(path);
            return file.open(QIODevice::WriteOnly);
        }
        }
        return false;
    }

    // Removes whatever is at path.
    static void clear(const QString &path)
    {
        ::chown(QFile::encodeName(path).constData(), ::geteuid(), ::getegid());
        if (!QDir(path).removeRecursively() || QFileInfo(path).isSymLink())
            QFile::remove(path);
    }

    QString userTemp() const { return root.filePath(QStringLiteral("velum-%1").arg(::geteuid())); }

    QTemporaryDir root;
    QTemporaryDir elsewhere;
    QString error;
};

TEST_F(PrivateDirectoryTest, TheRuntimeDirectoryIsUsedOnlyWhenItIsTheUsersAlone)
{
    const QString runtime = root.filePath(QStringLiteral("runtime"));
    for (const Case &c : Cases) {
        SCOPED_TRACE(c.name);
        clear(runtime);
        clear(userTemp());
        if (!plant(c.planted, runtime))
            continue;
        EXPECT_EQ(RuntimeDirectory(runtime, root.path(), &error), c.usable ? runtime : userTemp());
        EXPECT_EQ(QFileInfo::exists(userTemp()), !c.usable);
    }
    clear(runtime);
    EXPECT_EQ(RuntimeDirectory(QString(), root.path(), &error), userTemp());
}

TEST_F(PrivateDirectoryTest, TheUsersTempDirectoryIsMadePrivateAndNeverTakenOver)
{
    for (const Case &c : Cases) {
        SCOPED_TRACE(c.name);
        clear(userTemp());
        if (!plant(c.planted, userTemp()))
            continue;
        const mode_t plantedMode = modeOf(userTemp());
        error.clear();
        const QString directory = UserTempDirectory(root.path(), &error);
        if (c.planted == Planted::Nothing || c.usable) {
            EXPECT_EQ(directory, userTemp());
            EXPECT_EQ(modeOf(userTemp()), mode_t(0700));
        } else {
            EXPECT_TRUE(directory.isEmpty());
            EXPECT_TRUE(error.contains(userTemp())) << error.toStdString();
            EXPECT_EQ(modeOf(userTemp()), plantedMode);   // not repaired, not taken over
        }
    }
    clear(userTemp());
}

TEST_F(PrivateDirectoryTest, OneCopyPerUserAndApplicationDirectoryWhateverTheEnvironment)
{
    const QString app = QStringLiteral("/opt/velum");
    SingleInstance first(app, root.path());
    ASSERT_TRUE(first.claim());
    for (const char *runtime : {"", "/nonexistent"}) {
        qputenv("XDG_RUNTIME_DIR", runtime);
        SingleInstance second(app, root.path());
        EXPECT_FALSE(second.claim()) << runtime;
    }
    SingleInstance otherInstallation(QStringLiteral("/home/gis/velum"), root.path());
    EXPECT_TRUE(otherInstallation.claim());
}

TEST_F(PrivateDirectoryTest, TheLockFollowsNoLinkAndAnEndedCopyNoLongerBlocks)
{
    const QString app = QStringLiteral("/opt/velum");
    { SingleInstance ended(app, root.path()); ASSERT_TRUE(ended.claim()); }
    const QStringList locks = QDir(userTemp()).entryList(QDir::Files);
    ASSERT_EQ(locks.size(), 1);
    EXPECT_EQ(modeOf(QDir(userTemp()).filePath(locks[0])), mode_t(0600));
    SingleInstance next(app, root.path());
    EXPECT_TRUE(next.claim());

    // A link in the lock's place: nothing is created through it, and the
    // start is not refused for it.
    clear(userTemp());
    ASSERT_TRUE(makeDirectory(userTemp(), 0700));
    const QString target = elsewhere.filePath(QStringLiteral("created-through-link"));
    for (const QString &name : locks)
        ASSERT_TRUE(QFile::link(target, QDir(userTemp()).filePath(name)));
    SingleInstance linked(app, root.path());
    EXPECT_TRUE(linked.claim());
    EXPECT_FALSE(QFileInfo::exists(target));
}

} // namespace
