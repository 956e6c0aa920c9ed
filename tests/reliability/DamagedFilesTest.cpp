// Damaged and very large files through the profile store and the DLD reader: each reads what it can and
// never crashes or hangs. With TESSEL_RELIABILITY_FULL set the files have the sizes of the release
// figures (scripts/reliability/run.sh); each run prints its timings.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>

#include "registry/DldEntities.h"
#include "profile/ProfileStore.h"
#include "tests/support/QtPrinting.h"
#include "tests/support/TestFiles.h"

using namespace tessel;
using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype MiB = qsizetype(1) << 20;
const bool Full = qEnvironmentVariableIsSet("TESSEL_RELIABILITY_FULL");

// A file with the sections the store finds in it (-1 when only the store knows) and the DLD entities it
// declares.
struct Damaged
{
    const char *what;
    QByteArray bytes;
    qsizetype sections;
    int entities = 0;
};

std::vector<Damaged> DamagedFiles()
{
    QByteArray garbage(MiB, Qt::Uninitialized), records, dld;
    QRandomGenerator(6).fillRange(reinterpret_cast<quint32 *>(garbage.data()), garbage.size() / 4);
    for (int i = 1; i <= (Full ? 100'000 : 5'000); ++i)
        records += "[Source " + QByteArray::number(i) + "]\r\nType=" + QByteArray::number(i % 5 + 1)
            + "\r\nDescription=Data source number " + QByteArray::number(i) + "\r\nPrivate=0\r\n";
    int declarations = 0;
    while (dld.size() < (Full ? 50 : 4) * MiB) {
        dld += "ENTITY DLD Entity " + QByteArray::number(++declarations) + "\r\n";
        for (int point = 0; point < 40; ++point)
            dld += "  POINT " + QByteArray::number(point * 1.25, 'f', 2) + " 0.50\r\n";
    }
    return {
        {"random bytes", garbage, -1},
        {"one line", "[Roads]Type=1 " + QByteArray((Full ? 100 : 4) * MiB, 'x'), 1},
        {"many records", records, Full ? 100'000 : 5'000},
        {"a DLD file", dld, 0, declarations},
    };
}

TEST(DamagedFiles, EveryReaderReadsWhatItCanOfEveryDamagedFile)
{
    QTemporaryDir dir;
    const QString registry = dir.filePath(u"TESSEL.INI"_s);
    for (const Damaged &damaged : DamagedFiles()) {
        SCOPED_TRACE(damaged.what);
        test::writeBytes(registry, damaged.bytes);
        QElapsedTimer clock;
        clock.start();
        const QStringList sections = ProfileSectionNames(registry);
        if (damaged.sections >= 0) {
            EXPECT_EQ(sections.size(), damaged.sections);
        }
        for (const QString &name : sections)
            ReadProfileString(name, u"Type"_s, {}, registry);
        ASSERT_TRUE(WriteProfileString(u"Checked"_s, u"Type"_s, u"1"_s, registry));
        EXPECT_EQ(ProfileSectionNames(registry), sections + QStringList{u"Checked"_s});
        ASSERT_TRUE(DeleteProfileSection(u"Checked"_s, registry));
        EXPECT_EQ(ProfileSectionNames(registry), sections);
        const qint64 storeMs = clock.restart();
        const EntityNames entities = ReadDldEntities(registry).names;
        EXPECT_EQ(entities.isEmpty() ? u""_s : entities.at(entities.size() - 1),
                  damaged.entities ? u"Entity " + QString::number(damaged.entities) : u""_s);
        std::printf("[figure] %s (%.1f MB): store %lld ms, DLD reader %lld ms\n", damaged.what,
                    double(damaged.bytes.size()) / MiB, storeMs, clock.elapsed());
    }
}

} // namespace
