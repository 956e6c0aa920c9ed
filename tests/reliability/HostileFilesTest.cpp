// Damaged and very large registries and DLD files through every reader: the
// profile store, the DLD reader, the main window's list and the command-line
// tools. Each reads what it can and never crashes or hangs. With
// TESSEL_RELIABILITY_FULL set the files have the sizes of the release figures
// (scripts/reliability/run.sh); every run prints its timings.
#include "HostileFiles.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QProcess>
#include <QTimer>

#include "app/frmTessel.h"
#include "controls/GeoList.h"
#include "hostlink/HostLink.h"
#include "platform/AppPaths.h"
#include "registry/DldEntities.h"
#include "registry/ProfileStore.h"
#include "tests/support/DialogFixture.h"
#include "tests/support/TestFiles.h"

using namespace tessel;
using namespace tessel::test;
using namespace std::chrono_literals;

namespace {

constexpr int ToolTimeoutMs = 300'000;

QString Megabytes(qsizetype bytes)
{
    return QString::number(double(bytes) / (1 << 20), 'f', 1) + u" MB";
}

struct ToolRun
{
    bool finished = false;
    int exitCode = -1;
    QByteArray output;
    qint64 ms = 0;
};

// Runs a command-line companion of the application directory to its end.
ToolRun RunTool(const char *tool, const QStringList &arguments)
{
    QProcess process;
    QElapsedTimer clock;
    clock.start();
    process.start(qEnvironmentVariable("TESSEL_APP_DIR") + u'/' + QLatin1String(tool), arguments);
    ToolRun run;
    run.finished = process.waitForFinished(ToolTimeoutMs) && process.exitStatus() == QProcess::NormalExit;
    if (!run.finished)
        process.kill();
    run.exitCode = process.exitCode();
    run.output = process.readAllStandardOutput();
    run.ms = clock.elapsed();
    return run;
}

qsizetype LineCount(const QByteArray &output)
{
    return output.count('\n');
}

class HostileFiles : public DialogFixture
{
protected:
    QString registry() const { return session.RegistryIniPath; }
    QString catalogue() const { return JoinPath(sourceDir(), u"data/SRCS.INI"_qs); }

    // Loads the main window on the registry and gives the names it lists,
    // after checking that it answers events; loadMs is the time until then.
    QStringList listedByMainWindow(qint64 *loadMs)
    {
        QElapsedTimer clock;
        clock.start();
        frmTessel window(session, hostLink);
        window.show();
        bool answered = false;
        QTimer::singleShot(0, &window, [&] { answered = true; });
        EXPECT_TRUE(waitFor([&] { return answered; }, 2s)) << "the main window stopped answering";
        *loadMs = clock.elapsed();
        const auto *list = window.findChild<GeoList *>(u"lstSrcs"_qs);
        QStringList names;
        for (int row = 0; row < list->count(); ++row)
            names.append(list->item(row)->text());
        window.hide();
        return names;
    }

    const ReliabilitySizes sizes = ReliabilitySizes::FromEnvironment();
    HostLink hostLink{HostCommandLine{}};
};

TEST_F(HostileFiles, TheStoreReadsAndEditsEveryHostileRegistry)
{
    for (const HostileRegistry &hostile : HostileRegistries(sizes)) {
        SCOPED_TRACE(hostile.what);
        writeRegistry(hostile.bytes);
        QElapsedTimer clock;
        clock.start();
        const QStringList sections = ProfileSectionNames(registry());
        if (hostile.sections) {
            EXPECT_EQ(sections, *hostile.sections);
        }
        for (const QString &name : sections)
            ReadProfileString(name, u"Type"_qs, {}, registry());
        ASSERT_TRUE(WriteProfileString(u"Checked"_qs, u"Type"_qs, u"1"_qs, registry()));
        EXPECT_EQ(ProfileSectionNames(registry()), sections + QStringList{u"Checked"_qs});
        EXPECT_EQ(readKey(u"Checked"_qs, u"Type"_qs), u"1");
        ASSERT_TRUE(DeleteProfileSection(u"Checked"_qs, registry()));
        EXPECT_EQ(ProfileSectionNames(registry()), sections);
        ReportFigure(QStringLiteral("store: %1 (%2): listed, read, written and deleted in %3 ms")
                         .arg(QLatin1String(hostile.what), Megabytes(hostile.bytes.size()))
                         .arg(clock.elapsed()));
    }
}


TEST_F(HostileFiles, TheDldReaderReadsHostileFilesAndALargeOne)
{
    const QString path = JoinPath(tempDir.path(), u"hostile.dld"_qs);
    for (const HostileRegistry &hostile : HostileRegistries(sizes)) {
        SCOPED_TRACE(hostile.what);
        writeBytes(path, hostile.bytes);
        const DldEntities entities = ReadDldEntities(path);
        EXPECT_FALSE(entities.failed());
        EXPECT_TRUE(entities.names.isEmpty());
    }

    int declarations = 0;
    const QByteArray large = LargeDldFile(sizes.dldBytes, &declarations);
    writeBytes(path, large);
    QElapsedTimer clock;
    clock.start();
    const DldEntities entities = ReadDldEntities(path);
    const qint64 ms = clock.elapsed();
    ASSERT_EQ(entities.names.size(), declarations);
    EXPECT_EQ(entities.names.at(declarations - 1), u"Entity " + QString::number(declarations));
    ReportFigure(QStringLiteral("DLD reader: %1 with %2 entities read in %3 ms")
                     .arg(Megabytes(large.size())).arg(declarations).arg(ms));
}

TEST_F(HostileFiles, TheMainWindowListsEveryHostileRegistryAndKeepsAnswering)
{
    for (const HostileRegistry &hostile : HostileRegistries(sizes)) {
        SCOPED_TRACE(hostile.what);
        writeRegistry(hostile.bytes);
        qint64 loadMs = 0;
        const QStringList listed = listedByMainWindow(&loadMs);
        EXPECT_EQ(listed, ProfileSectionNames(registry()));
        ReportFigure(QStringLiteral("main window: %1 (%2) listed in %3 ms")
                         .arg(QLatin1String(hostile.what), Megabytes(hostile.bytes.size())).arg(loadMs));
    }
}

TEST_F(HostileFiles, TheToolsReadEveryHostileRegistry)
{
    for (const HostileRegistry &hostile : HostileRegistries(sizes)) {
        SCOPED_TRACE(hostile.what);
        writeRegistry(hostile.bytes);
        const ToolRun sections = RunTool("tessel-ini", {u"sections"_qs, registry()});
        EXPECT_TRUE(sections.finished);
        EXPECT_EQ(sections.exitCode, 0);
        const ToolRun value = RunTool("tessel-ini", {u"get"_qs, registry(), u"Roads"_qs, u"Type"_qs});
        EXPECT_TRUE(value.finished);
        EXPECT_EQ(value.exitCode, 0);
        const ToolRun list = RunTool("tessel-admin", {u"list"_qs, u"--registry"_qs, registry(),
                                                      u"--sources"_qs, catalogue()});
        EXPECT_TRUE(list.finished);
        EXPECT_EQ(list.exitCode, 0);
        EXPECT_EQ(LineCount(list.output), ProfileSectionNames(registry()).size());
        const ToolRun check = RunTool("tessel-admin", {u"check"_qs, u"--format"_qs, u"json"_qs,
                                                       u"--registry"_qs, registry(), u"--sources"_qs,
                                                       catalogue()});
        EXPECT_TRUE(check.finished);
        EXPECT_TRUE(check.exitCode == 0 || check.exitCode == 1) << check.exitCode;
        EXPECT_TRUE(QJsonDocument::fromJson(check.output).isObject());
        ReportFigure(QStringLiteral("tools: %1 (%2): tessel-ini sections %3 ms, get %4 ms, "
                                    "tessel-admin list %5 ms, check %6 ms")
                         .arg(QLatin1String(hostile.what), Megabytes(hostile.bytes.size()))
                         .arg(sections.ms).arg(value.ms).arg(list.ms).arg(check.ms));
    }
}

TEST_F(HostileFiles, ARegistryOfManyRecordsIsListedAndEdited)
{
    const int count = sizes.records;
    const QString last = u"Source " + QString::number(count);
    writeRegistry(LargeRegistry(count));
    QElapsedTimer clock;

    clock.start();
    ASSERT_EQ(ProfileSectionNames(registry()).size(), count);
    for (int i = 1; i <= count; i += count / 100)
        EXPECT_EQ(readKey(u"Source " + QString::number(i), u"Type"_qs), QString::number(i % 5 + 1));
    const qint64 storeListMs = clock.restart();
    ASSERT_TRUE(WriteProfileString(last, u"Description"_qs, u"edited"_qs, registry()));
    ASSERT_TRUE(WriteProfileString(u"Added"_qs, u"Type"_qs, u"2"_qs, registry()));
    ASSERT_TRUE(DeleteProfileSection(u"Source 1"_qs, registry()));
    const qint64 storeEditMs = clock.restart();
    EXPECT_EQ(readKey(last, u"Description"_qs), u"edited");
    EXPECT_EQ(ProfileSectionNames(registry()).size(), count);

    const QStringList files = {u"--registry"_qs, registry(), u"--sources"_qs, catalogue()};
    const ToolRun list = RunTool("tessel-admin", QStringList{u"list"_qs} + files);
    EXPECT_EQ(list.exitCode, 0);
    EXPECT_EQ(LineCount(list.output), count);
    const ToolRun remove = RunTool("tessel-admin", QStringList{u"remove"_qs, u"Source 2"_qs} + files);
    EXPECT_EQ(remove.exitCode, 0);
    const ToolRun show = RunTool("tessel-admin", QStringList{u"show"_qs, last} + files);
    EXPECT_EQ(show.exitCode, 0);
    EXPECT_TRUE(show.output.contains("Description=edited"));
    EXPECT_EQ(ProfileSectionNames(registry()).size(), count - 1);

    qint64 windowMs = 0;
    EXPECT_EQ(listedByMainWindow(&windowMs).size(), count - 1);

    ReportFigure(QStringLiteral("%1 records (%2): store lists and reads %3 ms, writes a value, adds "
                                "and deletes a record %4 ms; tessel-admin list %5 ms, remove %6 ms, "
                                "show %7 ms; main window lists %8 ms")
                     .arg(count).arg(Megabytes(registryBytes().size())).arg(storeListMs).arg(storeEditMs)
                     .arg(list.ms).arg(remove.ms).arg(show.ms).arg(windowMs));
}

} // namespace
