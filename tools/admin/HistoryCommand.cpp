#include "tools/admin/AdminCommands.h"

#include <QIODevice>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include "tools/admin/AdminContext.h"
#include "tools/admin/VersionOutput.h"

namespace tessel {

namespace {

QString CountsText(const VersionNote &note)
{
    return QStringLiteral("+%1 ~%2 -%3")
        .arg(note.added.size())
        .arg(note.changed.size())
        .arg(note.removed.size());
}

} // namespace

int RunHistory(AdminContext &context)
{
    const AdminInvocation &call = context.call;
    QTextStream &err = context.err;
    const Result<QList<VersionNote>, FileError> versions = RegistryHistory(context.registry).versions();
    if (!versions) {
        err << QStringLiteral("tessel-admin: %1\n").arg(versions.error().text);
        return AdminExit::Refused;
    }
    QJsonArray array;
    QString text;
    for (const VersionNote &note : *versions) {
        const QString time = note.time.toString(Qt::ISODate);
        if (call.json) {
            array.append(QJsonObject{{QStringLiteral("number"), note.number},
                                     {QStringLiteral("time"), time},
                                     {QStringLiteral("user"), note.user},
                                     {QStringLiteral("program"), note.program},
                                     {QStringLiteral("action"), note.action},
                                     {QStringLiteral("added"), QJsonArray::fromStringList(note.added)},
                                     {QStringLiteral("changed"), QJsonArray::fromStringList(note.changed)},
                                     {QStringLiteral("removed"), QJsonArray::fromStringList(note.removed)}});
        } else {
            text += QString::number(note.number) % u'\t' % time % u'\t' % note.user % u'\t' % note.program
                % u'\t' % note.action % u'\t' % CountsText(note) % u'\n';
        }
    }
    context.write(call.json ? QJsonDocument(array).toJson() : text.toUtf8());
    return AdminExit::Done;
}

} // namespace tessel
