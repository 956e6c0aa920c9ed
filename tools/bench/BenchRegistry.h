#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QThread>

#include "profile/ProfileStore.h"
#include "registry/DataSourceRecord.h"

#include <benchmark/benchmark.h>

namespace tessel::bench {

// A directory for the benchmarks' files that lives as long as the program.
inline QTemporaryDir &BenchDirectory()
{
    static QTemporaryDir directory;
    return directory;
}

inline QString RecordName(int number)
{
    return QStringLiteral("Source ") + QString::number(number);
}

// A registry record as the native dialog writes it: eleven keys, all sound.
inline QByteArray Record(int number)
{
    const QByteArray name = RecordName(number).toLatin1();
    return "[" + name
        + "]\r\n"
          "Type=1\r\n"
          "Description=Survey layer "
        + name
        + " of the district archive\r\n"
          "Connect=R"
        + QByteArray::number(number).rightJustified(6, '0')
        + "\r\n"
          "ReadOnly=0\r\n"
          "ID="
        + QByteArray::number(number)
        + "\r\n"
          "Attributes=3\r\n"
          "Capabilities=15\r\n"
          "AutoConnect=1\r\n"
          "Scales=0,2500,50000\r\n"
          "Priority=127\r\n"
          "Private=8\r\n";
}

// A registry file of records in a directory that lives as long as the program.
class Registry
{
public:
    explicit Registry(int records)
        : m_path(BenchDirectory().filePath(QStringLiteral("TESSEL-%1.INI").arg(records)))
    {
        QByteArray bytes;
        for (int i = 0; i < records; ++i)
            bytes += Record(i);
        QFile file(m_path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(m_path));
        file.close();
        // Let the file's times fall behind the clock, as those of a registry
        // that is not being written to do, and have it parsed once, as the
        // program's first look at it does.
        QThread::msleep(100);
        ReadProfileSections(m_path);
    }

    const QString &path() const { return m_path; }

private:
    QString m_path;
};

// Saves record 5000 of a registry of state.range(0) records over and over,
// changing its Priority each time, with save(path, record) as a dialog's OK
// would save it.
template<typename Save>
void RunRecordSaves(benchmark::State &state, Save save)
{
    const Registry registry(int(state.range(0)));
    RecordSave record;
    record.currentName = RecordName(5000);
    record.newName = record.currentName;
    record.privateRule = PrivateOnSave::MarkSavedByNative;
    int round = 0;
    for (auto _ : state) {
        record.values[RecordKey::Priority] = QString::number(100 + round++ % 2);
        if (!save(registry.path(), record))
            state.SkipWithError("the save was refused");
    }
}

} // namespace tessel::bench
