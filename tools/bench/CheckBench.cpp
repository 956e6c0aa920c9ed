// tessel-bench: how fast tessel-admin check goes through a large registry of
// demand-load records and their DLD files.
#include "tools/bench/AdminRun.h"

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

using namespace tessel;

namespace {

constexpr int Records = 10'000;
constexpr int DldFiles = 100;
constexpr qsizetype DldFileSize = qsizetype(1) << 20;
// Each declaration is followed by lines of its own, as in a real DLD file.
constexpr int LinesPerDeclaration = 8;

QByteArray EntityName(int number)
{
    return "Layer " + QByteArray::number(number);
}

// A DLD file of 1 MB; gives the number of entities it declares.
int WriteDldFile(const QString &path)
{
    QByteArray text;
    int declarations = 0;
    while (text.size() < DldFileSize) {
        text += "ENTITY DLD " + EntityName(declarations++) + "\r\n";
        for (int line = 0; line < LinesPerDeclaration; ++line)
            text += "    FIELD " + QByteArray::number(line) + " TEXT(40) district archive attribute\r\n";
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        qFatal("cannot write %s", qPrintable(path));
    return declarations;
}

// The registry and the DLD files its records use, spread over each file's
// declarations, in a directory that lives as long as the program.
class DemandLoadSite
{
public:
    DemandLoadSite()
        : m_registry(m_directory.filePath(QStringLiteral("TESSEL.INI")))
    {
        QList<int> declarations;
        for (int file = 0; file < DldFiles; ++file)
            declarations.append(WriteDldFile(dldPath(file)));
        QByteArray registry;
        for (int number = 0; number < Records; ++number) {
            const int file = number % DldFiles;
            const int entity = int(qint64(number / DldFiles) * declarations[file] / (Records / DldFiles));
            registry += "[Demand source " + QByteArray::number(number)
                + "]\r\n"
                  "Type=4\r\n"
                  "Description=Survey layer of the district archive\r\n"
                  "Connect="
                + dldPath(file).toUtf8() + ' ' + EntityName(entity)
                + "\r\n"
                  "ReadOnly=1\r\nID=Auto\r\nAttributes=1\r\nCapabilities=0\r\nAutoConnect=0\r\n"
                  "Scales=0,0,0\r\nPriority=127\r\nPrivate=0\r\n";
        }
        QFile file(m_registry);
        if (!file.open(QIODevice::WriteOnly) || file.write(registry) != registry.size())
            qFatal("cannot write %s", qPrintable(m_registry));
    }

    const QString &registry() const { return m_registry; }

private:
    QString dldPath(int file) const { return m_directory.filePath(QStringLiteral("LAYERS%1.DLD").arg(file)); }

    QTemporaryDir m_directory;
    QString m_registry;
};

// tessel-admin check of 10,000 demand-load records that use 100 DLD files of
// 1 MB each, all of them sound.
void BM_CheckDemandLoad(benchmark::State &state)
{
    static const DemandLoadSite site;
    for (auto _ : state) {
        const AdminRun run = RunAdmin({QStringLiteral("check")}, site.registry());
        if (run.exit != AdminExit::Done)
            state.SkipWithError(run.output.left(200).constData());
    }
    state.SetBytesProcessed(state.iterations() * DldFiles * DldFileSize);
}
BENCHMARK(BM_CheckDemandLoad)->Unit(benchmark::kMillisecond);

} // namespace
