#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/TextHelpers.h"

using namespace tessel;

TEST(TrimWhiteSpace, RemovesBlanksTabsAndLineBreaksAtBothEndsOnly)
{
    EXPECT_EQ(TrimWhiteSpace(QStringLiteral(" \t  \t")), QString());
    EXPECT_EQ(TrimWhiteSpace(QStringLiteral("  a b  ")), QStringLiteral("a b"));
    EXPECT_EQ(TrimWhiteSpace(QString()), QString());
    EXPECT_EQ(TrimWhiteSpace(QStringLiteral("\r\n Roads\t\n")), QStringLiteral("Roads"));
    EXPECT_EQ(TrimChars(QStringLiteral("xxaxbxx"), QStringLiteral("x")), QStringLiteral("axb"));
}

TEST(NextToken, SplitsAtTheFirstSeparator)
{
    QString text = QStringLiteral("A,B,C");
    EXPECT_EQ(NextToken(text, QStringLiteral(",")), QStringLiteral("A"));
    EXPECT_EQ(text, QStringLiteral("B,C"));

    text = QStringLiteral("ABC");
    EXPECT_EQ(NextToken(text, QStringLiteral(",")), QStringLiteral("ABC"));
    EXPECT_TRUE(text.isEmpty());

    text = QStringLiteral(",X");
    EXPECT_EQ(NextToken(text, QStringLiteral(",")), QString());
    EXPECT_EQ(text, QStringLiteral("X"));

    text = QStringLiteral("/data/roads.dld Main Roads");
    EXPECT_EQ(NextToken(text, QStringLiteral(" ")), QStringLiteral("/data/roads.dld"));
    EXPECT_EQ(text, QStringLiteral("Main Roads"));
}

TEST(AddBackslash, EndsThePathWithExactlyOneSeparator)
{
    EXPECT_EQ(AddBackslash(QStringLiteral("/opt/velum")), QStringLiteral("/opt/velum/"));
    EXPECT_EQ(AddBackslash(QStringLiteral("/opt/velum/")), QStringLiteral("/opt/velum/"));
    EXPECT_EQ(AddBackslash(QString()), QStringLiteral("/"));
    EXPECT_EQ(AddBackslash(QStringLiteral("/")), QStringLiteral("/"));
}

class FileTests : public ::testing::Test
{
protected:
    QString make(const QString &name)
    {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        return path;
    }
    QTemporaryDir dir;
};

TEST_F(FileTests, FileExistsOnlyForOrdinaryFilesWithoutWildcards)
{
    const QString roads = make(QStringLiteral("ROADS.DLD"));
    const QString hidden = make(QStringLiteral(".hidden.dld"));
    EXPECT_TRUE(FileExists(roads));
    EXPECT_FALSE(FileExists(hidden));
    EXPECT_FALSE(FileExists(dir.path()));
    EXPECT_FALSE(FileExists(dir.path() + QStringLiteral("/")));
    EXPECT_FALSE(FileExists(dir.filePath(QStringLiteral("*.DLD"))));
    EXPECT_FALSE(FileExists(dir.filePath(QStringLiteral("ROADS.DL?"))));
    EXPECT_FALSE(FileExists(dir.filePath(QStringLiteral("missing.dld"))));
    EXPECT_FALSE(FileExists(QString()));
}

TEST_F(FileTests, WildcardSearchFindsOrdinaryFilesOnly)
{
    make(QStringLiteral("ROADS.DLD"));
    make(QStringLiteral(".secret.CFG"));
    QDir(dir.path()).mkdir(QStringLiteral("folder.OUT"));
    EXPECT_TRUE(OrdinaryFileMatches(dir.filePath(QStringLiteral("*.DLD"))));
    EXPECT_TRUE(OrdinaryFileMatches(dir.filePath(QStringLiteral("ROADS.DLD"))));
    EXPECT_FALSE(OrdinaryFileMatches(dir.filePath(QStringLiteral("*.CFG"))));
    EXPECT_FALSE(OrdinaryFileMatches(dir.filePath(QStringLiteral("*.OUT"))));
    EXPECT_FALSE(OrdinaryFileMatches(dir.path() + QStringLiteral("/")));
    EXPECT_FALSE(OrdinaryFileMatches(QString()));
}
