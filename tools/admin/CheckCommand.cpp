#include <QFileInfo>
#include <QIODevice>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include "registry/SourceCatalogue.h"
#include "tools/admin/AdminCommands.h"
#include "tools/admin/AdminContext.h"
#include "tools/admin/RegistryCheck.h"

namespace tessel {
namespace {

QJsonArray JsonFindings(const QList<CheckFinding> &findings)
{
    QJsonArray array;
    for (const CheckFinding &finding : findings) {
        QJsonObject object{{QStringLiteral("section"), finding.section},
                           {QStringLiteral("text"), finding.text}};
        if (!finding.key.isEmpty())
            object.insert(QStringLiteral("key"), finding.key);
        array.append(object);
    }
    return array;
}

QString FindingLine(const CheckFinding &finding, const QString &note = {})
{
    return QLatin1Char('[') % finding.section % QStringLiteral("] ") % note
           % (finding.key.isEmpty() ? QString() : finding.key % QStringLiteral(": ")) % finding.text
           % QLatin1Char('\n');
}

} // namespace

// One line a problem, then one a note; the counts on the error stream.
int RunCheck(AdminContext &context)
{
    if (!context.call.operands.isEmpty())
        return context.badUsage();
    // A misspelt --registry must not pass as a registry without problems.
    if (!QFileInfo::exists(context.registry)) {
        context.err << QStringLiteral("There is no registry file %1. Check the path given with "
                                      "--registry.\n").arg(context.registry);
        return AdminExit::ProblemsFound;
    }
    const std::optional<RegistrySnapshot> read = context.readRegistry();
    if (!read)
        return AdminExit::Refused;
    const RegistrySnapshot &registry = *read;
    const RegistryCheckReport report = CheckRegistry(registry, ReadSourceCatalogue(context.call.files.sources));
    if (context.call.json) {
        const QJsonObject result{{QStringLiteral("registry"), context.registry},
                                 {QStringLiteral("records"), report.records},
                                 {QStringLiteral("problems"), JsonFindings(report.problems)},
                                 {QStringLiteral("information"), JsonFindings(report.information)}};
        context.out.write(QJsonDocument(result).toJson());
    } else {
        QString text;
        for (const CheckFinding &problem : report.problems)
            text += FindingLine(problem);
        for (const CheckFinding &information : report.information)
            text += FindingLine(information, QStringLiteral("note: "));
        context.out.write(text.toUtf8());
    }
    context.err << QStringLiteral("%1 problem(s) and %2 note(s) in %3 record(s) of %4.\n")
                       .arg(report.problems.size())
                       .arg(report.information.size())
                       .arg(report.records)
                       .arg(context.registry);
    return report.problems.isEmpty() ? AdminExit::Done : AdminExit::ProblemsFound;
}

} // namespace tessel
