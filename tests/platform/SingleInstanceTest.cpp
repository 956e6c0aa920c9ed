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

class PrivateDirectoryTest : public ::testing::Test
{
protected:
    // What another user, or a careless one, leaves where a private directory
    // belongs; false when this user cannot (a foreign owner needs root).
    bool plant(const char *what, const QString &path)
    {
        const QByteArray name(what);
        if (name == "private directory")
            return makeDirectory(path, 0700);
        if (name == "directory open to others")
            return makeDirectory(path, 01777);
        if (name == "directory of another user")
            return ::geteuid() == 0 && makeDirectory(path, 0700)
                && ::chown(QFile::encodeName(path).constData(), 65534, 65534) == 0;
        if (name == "link to a private directory")
            return QFile::link(elsewhere.path(), path);
        QFile file(path);
        return name == "nothing" || file.open(QIODevice::WriteOnly);
    }

    static void clear(const QString &path)
    {
        ::chown(QFile::encodeName(path).constData(), ::geteuid(), ::getegid());
        if (!QDir(path).removeRecursively() || QFileInfo(path).isSymLink())
            QFile::remove(path);
    }

    QString userTemp() const { return root.filePath(QStringLiteral("velum-%1").arg(::geteuid())); }

    QTemporaryDir root;
    QTemporaryDir elsewhere;
};

// $XDG_RUNTIME_DIR is used only when private, else the user's temp directory,
// which is made private and never taken over when something else is there.
TEST_F(PrivateDirectoryTest, OnlyAPrivateDirectoryOfTheUserHoldsItsSockets)
{
    const QString runtime = root.filePath(QStringLiteral("runtime"));
    const struct { const char *planted; bool usable; } cases[] = {
        {"nothing", false}, {"private directory", true}, {"directory open to others", false},
        {"directory of another user", false}, {"link to a private directory", false},
        {"plain file", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.planted);
        clear(runtime);
        clear(userTemp());
        if (!plant(c.planted, runtime))
            continue;
        EXPECT_EQ(*RuntimeDirectory(runtime, root.path()), c.usable ? runtime : userTemp());
        EXPECT_EQ(QFileInfo::exists(userTemp()), !c.usable);
        EXPECT_EQ(modeOf(userTemp()), c.usable ? mode_t(0) : mode_t(0700));

        clear(userTemp());
        ASSERT_TRUE(plant(c.planted, userTemp()));
        const mode_t plantedMode = modeOf(userTemp());
        const bool created = QByteArray(c.planted) == "nothing";
        const Result<QString> directory = UserTempDirectory(root.path());
        EXPECT_EQ(directory.has_value(), c.usable || created);
        if (!directory) {
            EXPECT_TRUE(directory.error().contains(userTemp())) << directory.error().toStdString();
            EXPECT_EQ(modeOf(userTemp()), plantedMode);   // not repaired
        }
    }
    clear(runtime);
    clear(userTemp());
}

TEST_F(PrivateDirectoryTest, OneCopyPerUserAndApplicationDirectoryWhateverTheEnvironment)
{
    const QString app = QStringLiteral("/opt/velum");
    {
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
    SingleInstance afterTheFirstEnded(app, root.path());
    EXPECT_TRUE(afterTheFirstEnded.claim());
}

// A link in the lock's place: nothing is created through it, and the start
// is not refused for it.
TEST_F(PrivateDirectoryTest, TheLockFollowsNoLink)
{
    { SingleInstance ended(QStringLiteral("/opt/velum"), root.path()); ASSERT_TRUE(ended.claim()); }
    const QStringList locks = QDir(userTemp()).entryList(QDir::Files);
    ASSERT_EQ(locks.size(), 1);
    const QString lock = QDir(userTemp()).filePath(locks[0]);
    EXPECT_EQ(modeOf(lock), mode_t(0600));

    ASSERT_TRUE(QFile::remove(lock));
    const QString target = elsewhere.filePath(QStringLiteral("created-through-link"));
    ASSERT_TRUE(QFile::link(target, lock));
    SingleInstance linked(QStringLiteral("/opt/velum"), root.path());
    EXPECT_TRUE(linked.claim());
    EXPECT_FALSE(QFileInfo::exists(target));
}

} // namespace
