#pragma once

#include <QJsonValue>
#include <QString>
#include <QStringList>

#include <optional>

#include "profile/WriteResult.h"
#include "registry/DataSourceRecord.h"
#include "tools/admin/AdminTool.h"

class QIODevice;
class QTextStream;

namespace tessel {

// One tessel-admin command line, split into its parts.
struct AdminInvocation
{
    QString command;
    QStringList operands;
    AdminFiles files;
    bool replace = false;
    bool force = false;
    bool json = false;
    bool dryRun = false;
    bool help = false;   // --help alone: the usage text is the result
};

// What every command works with: its invocation, the registry it works on,
// where results and messages go, and the messages the commands share.
class AdminContext
{
public:
    AdminContext(const AdminInvocation &call, QIODevice &out, QTextStream &err);

    const AdminInvocation &call;
    const QString &registry;
    QIODevice &out;
    QTextStream &err;

    // The registry as it is now, or nothing once the reason it cannot be
    // read has been said: a file that cannot be read is never an empty one.
    std::optional<RegistrySnapshot> readRegistry();

    int badUsage();
    int noSuchRecord(const QString &name);

    // Says once why the registry was left as it was, naming the record when
    // the refusal concerns one.
    int notWritten(const WriteResult &result, const QString &record, const QString &outcome);

    static QString alreadyRegistered();

private:
    // Why a write was refused or failed, and what to do about it.
    QString failureCause(const WriteResult &result) const;
};

// A value for JSON output: a number where the key holds numbers and the
// whole value reads as one, else the text as the registry reads it.
QJsonValue JsonValue(const QString &key, const QString &value);

} // namespace tessel
