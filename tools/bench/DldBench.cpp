// tessel-bench: how fast the entity list of a large DLD file is read.
#include "dialogs/DldEntities.h"

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

using namespace tessel;

namespace {

constexpr int Declarations = 100'000;
// About 50 MB in all: each declaration is followed by lines of its own.
constexpr int LinesPerDeclaration = 8;

QByteArray DeclarationBlock(int number)
{
    QByteArray block = "ENTITY DLD Survey layer " + QByteArray::number(number) + "\r\n";
    for (int line = 0; line < LinesPerDeclaration; ++line) {
        block += "    FIELD " + QByteArray::number(line)
                 + " TEXT(40) district archive attribute with a description\r\n";
    }
    return block;
}

// A DLD file in a directory that lives as long as the program.
class DldFile
{
public:
    DldFile()
        : m_path(m_directory.filePath(QStringLiteral("LARGE.DLD")))
    {
        QByteArray bytes;
        for (int number = 0; number < Declarations; ++number)
            bytes += DeclarationBlock(number);
        QFile file(m_path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(m_path));
        m_size = bytes.size();
    }

    const QString &path() const { return m_path; }
    qint64 size() const { return m_size; }

private:
    QTemporaryDir m_directory;
    QString m_path;
    qint64 m_size = 0;
};

// What opening the entity list of the demand-load dialog does: read the
// whole file and collect its declarations.
void BM_LoadEntities(benchmark::State &state)
{
    static const DldFile file;
    for (auto _ : state) {
        const DldEntities read = ReadDldEntities(file.path());
        if (read.failed() || read.names.size() != Declarations)
            state.SkipWithError("the file was not read whole");
    }
    state.SetBytesProcessed(state.iterations() * file.size());
}
BENCHMARK(BM_LoadEntities)->Unit(benchmark::kMillisecond);

} // namespace
