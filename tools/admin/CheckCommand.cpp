#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include "platform/FileSnapshot.h"
#include "registry/SourceCatalogue.h"
#include "tools/admin/AdminCommands.h"
#include "tools/admin/AdminContext.h"
#include "tools/admin/RegistryCheck.h"

#include <cerrno>

namespace tessel {
namespace {

// A finding about the file as a whole names no section.
QJsonArray JsonFindings(const QList<CheckFinding> &findings)
{
    QJsonArray array;
    for (const CheckFinding &finding : findings) {
        QJsonObject object{{QStringLiteral("text"), finding.text}};
        if (!finding.section.isEmpty())
            object.insert(QStringLiteral("section"), finding.section);
        if (!finding.key.isEmpty())
            object.insert(QStringLiteral("key"), finding.key);
        array.append(object);
    }
    return array;
}

QString FindingLine(const QString &registry, const CheckFinding &finding, const QString &note = {})
{
    if (finding.section.isEmpty())
        return registry % QStringLiteral(": ") % note % finding.text % QLatin1Char('\n');
    return QLatin1Char('[') % finding.section % QStringLiteral("] ") % note
        % (finding.key.isEmpty() ? QString() : finding.key % QStringLiteral(": ")) % finding.text
        % QLatin1Char('\n');
}

// The registry's findings, or the one problem that it cannot be read: a
// registry that is missing or unreadable never passes as one without problems.
RegistryCheckReport CheckRegistryFile(const AdminContext &context)
{
    const QString &path = context.registry;
    RegistryCheckReport report;
    if (const auto stamp = StampOfPath(path); !stamp && stamp.error().code == ENOENT) {
        report.problems.append(
            {{}, {}, QStringLiteral("there is no such registry file; check the path given with --registry")});
        return report;
    }
    const Result<RegistrySnapshot, FileError> registry = RegistrySnapshot::Read(path);
    if (!registry) {
        report.problems.append(
            {{}, {}, QStringLiteral("cannot read the registry: ") + registry.error().text});
        return report;
    }
    return CheckRegistry(*registry, ReadSourceCatalogue(context.call.files.sources));
}

} // namespace

// One line a problem, then one a note; the counts on the error stream.
int RunCheck(AdminContext &context)
{
    const RegistryCheckReport report = CheckRegistryFile(context);
    if (context.call.json) {
        const QJsonObject result{{QStringLiteral("registry"), context.registry},
                                 {QStringLiteral("records"), report.records},
                                 {QStringLiteral("problems"), JsonFindings(report.problems)},
                                 {QStringLiteral("information"), JsonFindings(report.information)}};
        context.write(QJsonDocument(result).toJson());
    } else {
        for (const CheckFinding &problem : report.problems)
            context.write(FindingLine(context.registry, problem).toUtf8());
        for (const CheckFinding &information : report.information)
            context.write(FindingLine(context.registry, information, QStringLiteral("note: ")).toUtf8());
    }
    context.err << QStringLiteral("%1 problem(s) and %2 note(s) in %3 record(s) of %4.\n")
                       .arg(report.problems.size())
                       .arg(report.information.size())
                       .arg(report.records)
                       .arg(context.registry);
    return report.problems.isEmpty() ? AdminExit::Done : AdminExit::ProblemsFound;
}

} // namespace tessel
