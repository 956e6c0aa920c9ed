#pragma once

#include <QString>
#include <QStringList>

class QIODevice;
class QTextStream;

namespace tessel {

// What tessel-admin's history, diff and restore work on, and where they
// write: results to out, messages to err.
struct HistoryCall
{
    QString registry;
    QStringList operands;
    bool json = false;
    bool dryRun = false;
};

// history: one line a version of the registry, newest first.
int ShowHistory(const HistoryCall &call, QIODevice &out, QTextStream &err);
// diff [FROM [TO]]: the records that differ between two versions (a number,
// or "now" for the registry as it is); exit 0 when none do, 1 when some do.
int ShowDiff(const HistoryCall &call, QIODevice &out, QTextStream &err);
// restore VERSION [NAME...]: the registry, or the named records, as they
// were in the version, as one replacement; with dryRun what would change.
int RestoreVersion(const HistoryCall &call, QIODevice &out, QTextStream &err);

} // namespace tessel
