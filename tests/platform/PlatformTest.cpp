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
#include "platform/TextHelpers.h"
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
    for (const QString &name : u"ROADS.DLD .secret.CFG folder.OUT *.DLD ROADS.DL? *.CFG *.OUT missing.dld "_s.split(u' ')) {
        const QString path = name.isEmpty() ? name : dir.filePath(name);
        if (FileExists(path)) exist.append(name);
        if (OrdinaryFileMatches(path)) match.append(name);
    }
    EXPECT_EQ(exist, QStringList{u"ROADS.DLD"_s});
    EXPECT_EQ(match, QStringList({u"ROADS.DLD"_s, u"*.DLD"_s, u"ROADS.DL?"_s}));
}

mode_t ModeOf(const QString &path)
{
    struct stat status{};
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
            return what == u"link" ? QFile::link(elsewhere.path(), path) : QFile(path).open(QIODevice::WriteOnly);
        const bool foreign = what == u"foreign folder";
        return what == u"nothing"
               || ((!foreign || ::geteuid() == 0) && ::mkdir(name.constData(), 0700) == 0
                   && ::chmod(name.constData(), what == u"open folder" ? 01777 : 0700) == 0
                   && (!foreign || ::chown(name.constData(), 65534, 65534) == 0));
    }

    QString userTemp() const { return root.filePath(QStringLiteral("velum-%1").arg(::geteuid())); }

    QTemporaryDir root;
    QTemporaryDir elsewhere;
};

// The runtime folder is used only when private, else the user's temp folder, made private and never taken over.
TEST_F(PrivateFolders, OnlyAPrivateFolderOfTheUserHoldsItsFiles)
{
    const QString runtime = root.filePath(u"runtime"_s);
    const auto clear = [](const QString &path) {
        if (!QDir(path).removeRecursively() || QFileInfo(path).isSymLink()) QFile::remove(path);
    };
    for (const QString &planted : u"nothing,private folder,open folder,foreign folder,link,plain file"_s.split(u',')) {
        SCOPED_TRACE(planted.toStdString());
        const bool usable = planted == u"private folder";
        clear(runtime);
        clear(userTemp());
        if (!plant(planted, runtime))
            continue;
        EXPECT_EQ(*RuntimeDirectory(runtime, root.path()), usable ? runtime : userTemp());
        EXPECT_EQ(ModeOf(userTemp()), usable ? 0u : 0700u);
        clear(userTemp());
        ASSERT_TRUE(plant(planted, userTemp()));
        const mode_t plantedMode = ModeOf(userTemp());
        const bool refused = !usable && planted != u"nothing";
        const Result<QString> directory = UserTempDirectory(root.path());
        EXPECT_EQ(!directory, refused);
        EXPECT_EQ(!directory && directory.error().contains(userTemp()), refused);
        EXPECT_EQ(ModeOf(userTemp()), refused ? plantedMode : 0700u) << "repaired";
    }
}

TEST_F(PrivateFolders, OneCopyRunsPerUserAndApplicationFolderAndItsLockFollowsNoLink)
{
    const QString app = u"/opt/velum"_s;
    {
        SingleInstance first(app, root.path());
        ASSERT_TRUE(first.claim());
        qputenv("XDG_RUNTIME_DIR", "/nonexistent");
        EXPECT_FALSE(SingleInstance(app, root.path()).claim());
        EXPECT_TRUE(SingleInstance(u"/home/gis/velum"_s, root.path()).claim());
    }
    const QStringList locks = QDir(userTemp()).entryList({u"*.instance"_s}, QDir::Files);
    ASSERT_EQ(locks.size(), 2);
    EXPECT_EQ(ModeOf(QDir(userTemp()).filePath(locks[0])), 0600u);
    ASSERT_TRUE(QFile::remove(QDir(userTemp()).filePath(locks[0])));
    ASSERT_TRUE(QFile::link(elsewhere.filePath(u"made-through-link"_s), QDir(userTemp()).filePath(locks[0])));
    EXPECT_TRUE(SingleInstance(app, root.path()).claim());
    EXPECT_TRUE(SingleInstance(u"/home/gis/velum"_s, root.path()).claim());
    EXPECT_FALSE(QFileInfo::exists(elsewhere.filePath(u"made-through-link"_s)));
}

} // namespace
