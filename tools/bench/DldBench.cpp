// tessel-bench: how fast the entity list of a large DLD file is read.
#include "controls/ControlHelpers.h"
#include "controls/DropDownList.h"
#include "dialogs/EntityListModel.h"
#include "tools/bench/BenchApplication.h"
#include "registry/DldEntities.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

using namespace tessel;
using tessel::bench::BenchApplication;

namespace {

constexpr int Declarations = 100'000;
// About 50 MB in all: each declaration is followed by lines of its own.
constexpr int LinesPerDeclaration = 8;

// A file that is nothing but declarations: 2.5 million of them, about 50 MB.
constexpr int BareDeclarations = 2'500'000;

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
    DldFile(int declarations, QByteArray (*block)(int number))
        : m_path(m_directory.filePath(QStringLiteral("LARGE.DLD")))
    {
        // Written block by block: the file's bytes are not held at once.
        QFile file(m_path);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot write %s", qPrintable(m_path));
        for (int number = 0; number < declarations; ++number) {
            const QByteArray bytes = block(number);
            if (file.write(bytes) != bytes.size())
                qFatal("cannot write %s", qPrintable(m_path));
        }
        m_size = file.size();
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
    static const DldFile file(Declarations, DeclarationBlock);
    for (auto _ : state) {
        const DldEntities read = ReadDldEntities(file.path());
        if (read.failed() || read.names.size() != Declarations)
            state.SkipWithError("the file was not read whole");
    }
    state.SetBytesProcessed(state.iterations() * file.size());
}
BENCHMARK(BM_LoadEntities)->Unit(benchmark::kMillisecond);

QByteArray BareDeclaration(int number)
{
    return "ENTITY DLD E" + QByteArray::number(number).rightJustified(7, '0') + "\r\n";
}

// What opening the entity list does with a file of bare declarations: read
// it, fill the drop-down list, select the stored entity (the last one) as a
// stored record's dialog does, and show the open list. The peak memory of
// the process is reported in MB.
void BM_OpenEntityList(benchmark::State &state)
{
    BenchApplication();
    static const DldFile file(BareDeclarations, BareDeclaration);
    DropDownList list;
    auto *entities = new EntityListModel(&list);
    list.setModel(entities);
    list.resize(185, 21);
    list.show();
    for (auto _ : state) {
        DldEntities read = ReadDldEntities(file.path());
        if (read.failed() || read.names.size() != BareDeclarations)
            state.SkipWithError("the file was not read whole");
        entities->setNames(std::move(read.names));
        SelectListItem(&list, QString::fromLatin1(BareDeclaration(BareDeclarations - 1).sliced(11, 8)));
        if (list.currentIndex() != BareDeclarations - 1)
            state.SkipWithError("the stored entity was not selected");
        list.QComboBox::showPopup();
        QApplication::processEvents();
        list.hidePopup();
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_MB"] = double(usage.ru_maxrss) / 1024;
    state.SetBytesProcessed(state.iterations() * file.size());
}
BENCHMARK(BM_OpenEntityList)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
