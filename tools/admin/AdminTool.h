#pragma once

#include <QString>
#include <QStringList>

class QIODevice;
class QTextStream;

namespace tessel {

// Exit codes of tessel-admin.
namespace AdminExit {
inline constexpr int Done = 0;
inline constexpr int Refused = 1; // refused, or invalid input
inline constexpr int ProblemsFound = 1; // check: the registry has problems
inline constexpr int BadUsage = 2;
} // namespace AdminExit

// Where tessel-admin works: the registry and the catalogue of source types.
struct AdminFiles
{
    QString registry;
    QString sources;
};

// Runs one tessel-admin command. arguments are the command-line arguments
// after the program name; out receives results (for export, the bytes of a
// profile file), err the messages. defaults name the files beside tessel.
int RunAdminCommand(const QStringList &arguments, const AdminFiles &defaults, QIODevice &out,
                    QTextStream &err);

QString AdminUsage();

} // namespace tessel
