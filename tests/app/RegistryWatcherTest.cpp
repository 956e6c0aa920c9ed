#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include <QCoreApplication>
#include <QFile>
#include <QSignalSpy>
#include <QTimer>

#include "app/RegistryWatcher.h"
#include "registry/ProfileStore.h"
#include "tests/support/DialogFixture.h"
#include "tests/support/TestFiles.h"

using namespace tessel;

namespace {

class RegistryWatcherTest : public test::DialogFixture
{
protected:
    void addRecord(const QString &name)
    {
        ASSERT_TRUE(WriteProfileString(name, QStringLiteral("Type"), QStringLiteral("1"),
                                       session.RegistryIniPath));
    }
};

// What other programs and Tessel itself do to the registry file, one after
// the other, and whether the watcher reports the list out of date after
// each. A report is answered as the main window answers it, by listing the
// file afresh.
TEST_F(RegistryWatcherTest, ReportsEachChangeOfOtherProgramsOnceAndNoneOfItsOwnList)
{
    writeRegistry("[Roads]\nType=1\n");
    RegistryWatcher watcher(session.RegistryIniPath);
    watcher.readForList();
    QSignalSpy changes(&watcher, &RegistryWatcher::changed);
    QSignalSpy looks(watcher.findChild<QTimer *>(), &QTimer::timeout);
    const QString &path = session.RegistryIniPath;
    QFile reader(path);

    struct Step
    {
        const char *what;
        std::function<void()> act;
        bool reported;
    };
    const std::vector<Step> steps = {
        {"another program adds a record", [&] { addRecord(QStringLiteral("Rivers")); }, true},
        {"a burst of writes, each noticed on its own",
         [&] {
             for (const char *name : {"A", "B", "C", "D", "E"}) {
                 addRecord(QString::fromLatin1(name));
                 QCoreApplication::processEvents();
             }
         },
         true},
        {"Tessel saves and lists the file at once",
         [&] {
             addRecord(QStringLiteral("Own"));
             watcher.readForList();
         },
         false},
        {"the same bytes written again", [&] { test::writeBytes(path, test::readBytes(path)); },
         false},
        {"a new file renamed over it while a reader holds the old one open",
         [&] {
             ASSERT_TRUE(reader.open(QIODevice::ReadOnly));
             const QString next = path + QStringLiteral(".new");
             test::writeBytes(next, "[Replaced]\nType=2\n");
             ASSERT_EQ(std::rename(QFile::encodeName(next).constData(),
                                   QFile::encodeName(path).constData()),
                       0);
         },
         true},
        // Only a watch on the file that replaced the old one sees this.
        {"the new file written in place", [&] { test::writeBytes(path, "[InPlace]\nType=2\n"); },
         true},
        {"the file removed", [&] { ASSERT_TRUE(QFile::remove(path)); }, true},
        {"the file created again", [&] { test::writeBytes(path, "[Back]\nType=1\n"); }, true},
    };
    for (const Step &step : steps) {
        const qsizetype looked = looks.count();
        step.act();
        ASSERT_TRUE(waitFor([&] { return looks.count() > looked; })) << step.what;
        EXPECT_EQ(changes.count(), step.reported ? 1 : 0) << step.what;
        changes.clear();
        watcher.readForList();
    }
}

} // namespace
