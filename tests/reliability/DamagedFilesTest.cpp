// Damaged and very large registries and DLD files through the profile store,
// the DLD reader and the command-line tools: each reads what it can and never
// crashes or hangs. With TESSEL_RELIABILITY_FULL set the files have the sizes
// of the release figures (scripts/reliability/run.sh); each run prints its timings.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>
#include <optional>

#include "registry/DldEntities.h"
#include "registry/ProfileStore.h"
#include "tests/support/QtPrinting.h"
#include "tests/support/TestFiles.h"

using namespace tessel;
using namespace Qt::StringLiterals;
using namespace tessel::test;

namespace {

constexpr qsizetype MiB = qsizetype(1) << 20;
const bool FullSizes = qEnvironmentVariableIsSet("TESSEL_RELIABILITY_FULL");

struct Damaged
{
    const char *what;
    QByteArray bytes;
    std::optional<QStringList> sections;  // when known without the store
    int entities = 0;                     // the DLD entities it declares
};

std::vector<Damaged> DamagedRegistries()
{
    QByteArray garbage(MiB, Qt::Uninitialized);
    QRandomGenerator(6).fillRange(reinterpret_cast<quint32 *>(garbage.data()), garbage.size() / 4);
    QByteArray dld;
    int declarations = 0;
    while (dld.size() < (FullSizes ? 50 : 4) * MiB) {
        dld += "ENTITY DLD Entity " + QByteArray::number(++declarations) + "\r\n";
        for (int point = 0; point < 40; ++point)
            dld += "  POINT " + QByteArray::number(point * 1.25, 'f', 2) + " 0.50\r\n";
    }
    QByteArray manyRecords;
    for (int i = 1; i <= (FullSizes ? 100'000 : 5'000); ++i)
        manyRecords += "[Source " + QByteArray::number(i) + "]\r\nType=" + QByteArray::number(i % 5 + 1)
                       + "\r\nDescription=Data source number " + QByteArray::number(i) + "\r\nPrivate=0\r\n";
    return {
        {"random bytes", garbage, std::nullopt},
        {"one line", "[Roads]Type=1 " + QByteArray((FullSizes ? 100 : 4) * MiB, 'x'), QStringList{u"Roads"_s}},
        {"a value of 40,000 characters",
         "[Roads]\r\nType=1\r\nDescription=" + QByteArray(40'000, 'd') + "\r\n[Rivers]\r\nType=2\r\n",
         QStringList{u"Roads"_s, u"Rivers"_s}},
        {"NUL bytes", QByteArray("[Ro\0ads]\r\nType=1\0\r\n\0\0\0\r\n[Rivers]\r\nType=\0 2\r\n", 41),
         QStringList{u"Ro"_s + QChar(0) + u"ads", u"Rivers"_s}},
        {"bytes Windows-1252 leaves undefined", "[Caf\x81\x8D\x8F]\r\nType=1\r\n[\x90\x9D]\r\nType=\x81\r\n",
         QStringList{u"Caf\u0081\u008D\u008F"_s, u"\u0090\u009D"_s}},
        {"invalid UTF-8 after a byte-order mark", "\xEF\xBB\xBF[Stra\xC3]\r\nType=\xF0\x28\x8C\x28\r\n[\xFF\xFE]\r\n",
         QStringList{u"Stra\uFFFD"_s, u"\uFFFD\uFFFD"_s}},
        {"many records", manyRecords, std::nullopt},
        {"a DLD file", dld, QStringList(), declarations},
    };
}

// The exit code (-1 when it did not end by itself) and output of a tool of the application folder.
std::pair<int, QByteArray> RunTool(const char *tool, const QStringList &arguments)
{
    QProcess process;
    process.start(qEnvironmentVariable("TESSEL_APP_DIR") + u'/' + QLatin1String(tool), arguments);
    const bool ended = process.waitForFinished(300'000) && process.exitStatus() == QProcess::NormalExit;
    return {ended ? process.exitCode() : -1, process.readAllStandardOutput()};
}

TEST(DamagedFiles, EveryReaderReadsWhatItCanOfEveryDamagedFile)
{
    QTemporaryDir dir;
    const QString registry = dir.filePath(u"TESSEL.INI"_s);
    const QStringList files = {u"--registry"_s, registry, u"--sources"_s, sourceDir() + u"/data/SRCS.INI"};
    for (const Damaged &damaged : DamagedRegistries()) {
        SCOPED_TRACE(damaged.what);
        writeBytes(registry, damaged.bytes);
        QElapsedTimer clock;
        clock.start();
        const QStringList sections = ProfileSectionNames(registry);
        EXPECT_EQ(sections, damaged.sections.value_or(sections));
        for (const QString &name : sections)
            ReadProfileString(name, u"Type"_s, {}, registry);
        ASSERT_TRUE(WriteProfileString(u"Checked"_s, u"Type"_s, u"1"_s, registry));
        EXPECT_EQ(ProfileSectionNames(registry), sections + QStringList{u"Checked"_s});
        ASSERT_TRUE(DeleteProfileSection(u"Checked"_s, registry));
        EXPECT_EQ(ProfileSectionNames(registry), sections);
        const qint64 storeMs = clock.restart();
        const DldEntities entities = ReadDldEntities(registry);
        EXPECT_FALSE(entities.failed());
        EXPECT_EQ(entities.names.size(), damaged.entities);
        EXPECT_EQ(entities.names.isEmpty() ? QString() : entities.names.at(entities.names.size() - 1),
                  damaged.entities ? u"Entity " + QString::number(damaged.entities) : QString());
        const qint64 dldMs = clock.restart();
        EXPECT_EQ(RunTool("tessel-ini", {u"get"_s, registry, u"Roads"_s, u"Type"_s}).first, 0);
        const auto [listed, list] = RunTool("tessel-admin", QStringList{u"list"_s} + files);
        EXPECT_EQ(listed, 0);
        EXPECT_EQ(list.count('\n'), sections.size());
        const auto [checked, report] = RunTool("tessel-admin", QStringList{u"check"_s, u"--format"_s, u"json"_s} + files);
        EXPECT_TRUE((checked == 0 || checked == 1) && QJsonDocument::fromJson(report).isObject()) << checked;
        std::printf("[figure] %s (%.1f MB): store %lld ms, DLD reader %lld ms, tessel-ini get, tessel-admin list "
                    "and check %lld ms\n", damaged.what, double(damaged.bytes.size()) / MiB, storeMs, dldMs,
                    clock.elapsed());
    }
}

} // namespace
