#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include "tools/admin/AdminTool.h"

namespace tessel {

// What one tessel-admin command printed on its standard output, and how it ended.
struct AdminRun
{
    int exit; // an AdminExit code
    QByteArray output;
};

// Runs a tessel-admin command line on registry (which also serves as the
// source type catalogue), its output kept in memory.
inline AdminRun RunAdmin(const QStringList &arguments, const QString &registry)
{
    AdminRun run{AdminExit::Done, {}};
    QBuffer out(&run.output);
    out.open(QIODevice::WriteOnly);
    QString messages;
    QTextStream err(&messages);
    run.exit = RunAdminCommand(arguments, {registry, registry}, out, err);
    return run;
}

} // namespace tessel
