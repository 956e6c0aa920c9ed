#pragma once

#include <QByteArrayView>
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
    bool update = false; // import: an existing record keeps the keys not given
    bool dryRun = false; // import, remove, restore: say what would change, write nothing
    QStringList removals; // import --remove NAME
    bool force = false;
    bool json = false;
    bool help = false; // --help: the usage text (of the command given, if any) is the result
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
    // The same for a command that only reads: a missing registry is then an
    // error (a misspelt --registry must not pass as an empty registry).
    std::optional<RegistrySnapshot> readExistingRegistry();

    // Writes to the command's output. The first failure is kept: the run
    // ends by naming it (outputFailure).
    void write(QByteArrayView bytes);
    // Flushes the output; why a write to it failed, if one did.
    std::optional<QString> outputFailure();

    int badUsage();
    int noSuchRecord(const QString &name);

    // Says once why the registry was left as it was, naming the record when
    // the refusal concerns one.
    int notWritten(const WriteResult &result, const QString &record, const QString &outcome);

    static QString alreadyRegistered();

private:
    std::optional<QString> m_outputFailure;

    // Why a write was refused or failed, and what to do about it.
    QString failureCause(const WriteResult &result) const;
};

// A value for JSON output: a number where the key holds numbers and the
// value is that number's own text, so that the number gives the text back;
// else the text as the registry reads it.
QJsonValue JsonValue(QStringView key, const QString &value);

// text as a JSON string, written as QJsonDocument writes it: for output too
// large to build as JSON objects first.
QByteArray JsonString(QStringView text);

// What list and show print for a value that a read does not give back (one
// longer than the read buffer reads as empty), instead of an empty one.
QString UnreadableValueMarker(qsizetype length);

// The value of a key as a read gives it, or the marker when a read would
// give it as empty although the file holds it.
QString ShownValue(const std::optional<QStringView> &stored);

} // namespace tessel
