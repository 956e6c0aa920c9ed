// Ordinary files, and the user's private folders with the single-instance lock in them.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/AppPaths.h"
#include "platform/SingleInstance.h"
#include "platform/PathHelpers.h"
#include "tests/support/QtPrinting.h"

using namespace tessel;
using namespace Qt::StringLiterals;

namespace {

TEST(OrdinaryFiles, AreVisibleRegularFilesNamedWithoutWildcards)
{
    QTemporaryDir dir;
    QFile(dir.filePath(u"ROADS.DLD"_s)).open(QIODevice::WriteOnly);
    QFile(dir.filePath(u".secret.CFG"_s)).open(QIODevice::WriteOnly);
    QDir(dir.path()).mkdir(u"folder.OUT"_s);
    QStringList exist, match;
    for (const QString &name :
         u"ROADS.DLD .secret.CFG folder.OUT *.DLD ROADS.DL? *.CFG *.OUT missing.dld "_s.split(u' ')) {
        const QString path = name.isEmpty() ? name : dir.filePath(name);
        if (FileExists(path))
            exist.append(name);
        if (OrdinaryFileMatches(path))
            match.append(name);
    }
    EXPECT_EQ(exist, QStringList{u"ROADS.DLD"_s});
    EXPECT_EQ(match, QStringList({u"ROADS.DLD"_s, u"*.DLD"_s, u"ROADS.DL?"_s}));
}

mode_t ModeOf(const QString &path)
{
    struct stat status
    { };
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & 07777 : 0;
}

class PrivateFolders : public ::testing::Test
{
protected:
    // What others leave where a private folder belongs; false when this user cannot (only root can chown).
    bool plant(const QString &what, const QString &path)
    {
        const QByteArray name = QFile::encodeName(path);
        if (what == u"plain file" || what == u"link")
            return what == u"link" ? QFile::link(elsewhere.path(), path)
                                   : QFile(path).open(QIODevice::WriteOnly);
        const bool foreign = what == u"foreign folder";
        const mode_t mode = what == u"open folder" ? 01777 : what == u"readable folder" ? 0755 : 0700;
        return what == u"nothing"
            || ((!foreign || ::geteuid() == 0) && ::mkdir(name.constData(), 0700) == 0
                && ::chmod(name.constData(), mode) == 0
                && (!foreign || ::chown(name.constData(), 65534, 65534) == 0));
    }

    QString ownUnder(const QTemporaryDir &dir) const
    {
        return dir.filePath(QStringLiteral("velum-%1").arg(::geteuid()));
    }
    QString userTemp() const { return ownUnder(root); }
    QString userCache() const { return ownUnder(cache); }

    QTemporaryDir root;
    QTemporaryDir cache;
    QTemporaryDir elsewhere;
};

const QStringList Planted =
    u"nothing,private folder,open folder,readable folder,foreign folder,link,plain file"_s.split(u',');

// The runtime folder is used only when private, else the user's temp folder, made private and never taken
// over; when that is refused, the user's folder in the cache of their home, saying which folder was refused.
TEST_F(PrivateFolders, OnlyAPrivateFolderOfTheUserHoldsItsFiles)
{
    const QString runtime = root.filePath(u"runtime"_s);
    const auto clear = [](const QString &path) {
        if (!QDir(path).removeRecursively() || QFileInfo(path).isSymLink())
            QFile::remove(path);
    };
    for (const QString &planted : Planted) {
        SCOPED_TRACE(planted.toStdString());
        const bool usable = planted == u"private folder";
        clear(runtime);
        clear(userTemp());
        if (!plant(planted, runtime))
            continue;
        EXPECT_EQ(*RuntimeDirectory(runtime, root.path(), cache.path()), usable ? runtime : userTemp());
        EXPECT_EQ(ModeOf(userTemp()), usable ? 0u : 0700u);
        clear(userTemp());
        ASSERT_TRUE(plant(planted, userTemp()));
        const mode_t plantedMode = ModeOf(userTemp());
        const bool refused = !usable && planted != u"nothing";
        EXPECT_EQ(!UserDirectoryUnder(root.path()), refused);
        EXPECT_EQ(ModeOf(userTemp()), refused ? plantedMode : 0700u) << "repaired";
        const Result<UserDirectory> folder = UserPrivateDirectory(root.path(), cache.path());
        ASSERT_TRUE(folder);
        EXPECT_EQ(folder->path, refused ? userCache() : userTemp());
        EXPECT_EQ(folder->refusedPath, refused ? userTemp() : QString());
        EXPECT_EQ(folder->refusal.isEmpty(), !refused);
        EXPECT_EQ(*RuntimeDirectory(u"/nonexistent"_s, root.path(), cache.path()), folder->path);
        EXPECT_EQ(ModeOf(userCache()), refused ? 0700u : 0u);
        clear(userCache());
    }
}

// One copy per application folder, also when the user's temp folder is planted by another user before
// either copy starts or between them; the lock files follow no link.
TEST_F(PrivateFolders, OneCopyRunsPerUserAndApplicationFolderAndItsLockFollowsNoLink)
{
    const QString app = u"/opt/velum"_s;
    const auto claim = [&](const QString &appDir) {
        return SingleInstance(appDir, root.path(), cache.path()).claim();
    };
    using enum SingleInstance::Claim;
    {
        SingleInstance first(app, root.path(), cache.path());
        ASSERT_EQ(first.claim(), Claimed);
        qputenv("XDG_RUNTIME_DIR", "/nonexistent");
        EXPECT_EQ(claim(app), AlreadyRunning);
        EXPECT_EQ(claim(u"/home/gis/velum"_s), Claimed);
        ASSERT_TRUE(QDir(userTemp()).removeRecursively() && plant(u"readable folder"_s, userTemp()));
        EXPECT_EQ(claim(app), AlreadyRunning) << "planted after the first copy started";
    }
    {
        SingleInstance first(app, root.path(), cache.path());
        ASSERT_EQ(first.claim(), Claimed) << "planted before";
        EXPECT_EQ(claim(app), AlreadyRunning);
        ASSERT_TRUE(QDir(userTemp()).removeRecursively());
        EXPECT_EQ(claim(app), AlreadyRunning) << "removed after the first copy started";
    }
    const QStringList locks = QDir(userTemp()).entryList({u"*.instance"_s}, QDir::Files);
    ASSERT_EQ(locks.size(), 1);
    EXPECT_EQ(ModeOf(QDir(userTemp()).filePath(locks[0])), 0600u);
    ASSERT_TRUE(QFile::remove(QDir(userTemp()).filePath(locks[0])));
    ASSERT_TRUE(QFile::link(elsewhere.filePath(u"made-through-link"_s), QDir(userTemp()).filePath(locks[0])));
    EXPECT_EQ(claim(app), Claimed);
    EXPECT_FALSE(QFileInfo::exists(elsewhere.filePath(u"made-through-link"_s)));
    ASSERT_TRUE(QDir(userCache()).removeRecursively() && plant(u"readable folder"_s, userCache()));
    EXPECT_EQ(claim(app), NoLock) << "no folder left to lock in";
}

} // namespace
