#include "tools/admin/AdminContext.h"

#include <QTextStream>

#include "platform/SystemError.h"
#include "profile/NumericText.h"
#include "registry/RecordRules.h"

namespace tessel {

AdminContext::AdminContext(const AdminInvocation &call, QIODevice &out, QTextStream &err)
    : call(call)
    , registry(call.files.registry)
    , out(out)
    , err(err)
{
}

std::optional<RegistrySnapshot> AdminContext::readRegistry()
{
    Result<RegistrySnapshot, FileError> read = RegistrySnapshot::Read(registry);
    if (read)
        return std::move(*read);
    err << QStringLiteral("tessel-admin: cannot read %1: %2\n").arg(registry, read.error().text);
    return std::nullopt;
}

int AdminContext::badUsage()
{
    err << AdminUsage();
    return AdminExit::BadUsage;
}

int AdminContext::noSuchRecord(const QString &name)
{
    err << QStringLiteral("There is no data source named \"%1\" in %2. \"tessel-admin list\" "
                          "shows the registered names.\n").arg(name, registry);
    return AdminExit::Refused;
}

int AdminContext::notWritten(const WriteResult &result, const QString &record, const QString &outcome)
{
    const QString cause = failureCause(result);
    if (record.isEmpty())
        err << QStringLiteral("%1: %2\n").arg(outcome, cause);
    else
        err << QStringLiteral("%1: [%2]: %3\n").arg(outcome, record, cause);
    return AdminExit::Refused;
}

QString AdminContext::alreadyRegistered()
{
    return QStringLiteral("a data source of this name is registered already "
                          "(use --replace to replace it)");
}

QString AdminContext::failureCause(const WriteResult &result) const
{
    switch (result.error().failure) {
    case WriteFailure::BadName:
        return QStringLiteral("the name cannot be stored as a section name");
    case WriteFailure::NameTaken:
        return alreadyRegistered();
    case WriteFailure::LineBreak:
        return QStringLiteral("the value of %1 holds a line break or NUL").arg(result.error().key);
    case WriteFailure::Unencodable:
        return QStringLiteral("the value of %1 holds characters that %2 cannot hold in its "
                              "encoding: %3").arg(result.error().key, registry, result.error().detail);
    case WriteFailure::TooLong:
        return QStringLiteral("the value of %1 is longer than the registry can read back whole")
            .arg(result.error().key);
    case WriteFailure::NoPermission:
        return result.error().detail + QStringLiteral(" (check that the file and its directory are "
                                                      "writable for you)");
    case WriteFailure::DiskFull:
        return result.error().detail + QStringLiteral(" (free some disk space and try again)");
    case WriteFailure::Busy:
        return result.error().detail + QStringLiteral(" (let the other Tessel or tessel-admin finish, or "
                                                      "end it if it hangs, then try again)");
    case WriteFailure::RecordChanged:   // registrations replace records whole, unasked
    case WriteFailure::RecordRemoved:
    case WriteFailure::SystemError:
        break;
    }
    return result.error().detail;
}

QJsonValue JsonValue(const QString &key, const QString &value)
{
    const std::optional<RecordKey> known = RecordKeyNamed(key);
    if (known && HoldsNumber(*known) && IsNumericText(value))
        return LeadingNumber(value);
    return value;
}

} // namespace tessel
