#include "tools/admin/AdminContext.h"

#include <QFileDevice>
#include <QTextStream>

#include <cerrno>

#include "platform/SystemError.h"
#include "platform/FileSnapshot.h"
#include "profile/NumericText.h"
#include "profile/ProfileReading.h"
#include "registry/RecordRules.h"

namespace tessel {

AdminContext::AdminContext(const AdminInvocation &call, QIODevice &out, QTextStream &err)
    : call(call)
    , registry(call.files.registry)
    , out(out)
    , err(err)
{ }

std::optional<RegistrySnapshot> AdminContext::readRegistry()
{
    Result<RegistrySnapshot, FileError> read = RegistrySnapshot::Read(registry);
    if (read)
        return std::move(*read);
    err << QStringLiteral("tessel-admin: cannot read %1: %2\n").arg(registry, read.error().text);
    return std::nullopt;
}

std::optional<RegistrySnapshot> AdminContext::readExistingRegistry()
{
    if (const auto stamp = StampOfPath(registry); !stamp && stamp.error().code == ENOENT) {
        err << QStringLiteral("tessel-admin: there is no registry file %1; check the path given with "
                              "--registry.\n")
                   .arg(registry);
        return std::nullopt;
    }
    return readRegistry();
}

void AdminContext::write(QByteArrayView bytes)
{
    if (m_outputFailure)
        return;
    if (out.write(bytes.data(), bytes.size()) != bytes.size())
        m_outputFailure = out.errorString();
}

std::optional<QString> AdminContext::outputFailure()
{
    auto *file = qobject_cast<QFileDevice *>(&out);
    if (!m_outputFailure && file && !file->flush())
        m_outputFailure = file->errorString();
    return m_outputFailure;
}

int AdminContext::badUsage()
{
    err << AdminUsage();
    return AdminExit::BadUsage;
}

int AdminContext::noSuchRecord(const QString &name)
{
    err << QStringLiteral("There is no data source named \"%1\" in %2. \"tessel-admin list\" "
                          "shows the registered names.\n")
               .arg(name, registry);
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
                              "encoding: %3")
            .arg(result.error().key, registry, result.error().detail);
    case WriteFailure::TooLong:
        return QStringLiteral("the value of %1 is longer than the registry can read back whole")
            .arg(result.error().key);
    case WriteFailure::NoPermission:
        return result.error().detail
            + QStringLiteral(" (check that the file and its directory are "
                             "writable for you)");
    case WriteFailure::DiskFull:
        return result.error().detail + QStringLiteral(" (free some disk space and try again)");
    case WriteFailure::Busy:
        return result.error().detail
            + QStringLiteral(" (let the other Tessel or tessel-admin finish, or "
                             "end it if it hangs, then try again)");
    case WriteFailure::ChangedOnRead: // the detail says what reading would remove
    case WriteFailure::RecordChanged: // registrations replace records whole, unasked
    case WriteFailure::RecordRemoved:
    case WriteFailure::SystemError:
        break;
    }
    return result.error().detail;
}

QJsonValue JsonValue(QStringView key, const QString &value)
{
    const std::optional<RecordKey> known = RecordKeyNamed(key);
    if (!known || !HoldsNumber(*known) || !IsNumericText(value))
        return value;
    // "007", "1e3" or a number beyond a double's precision would come out
    // of JSON as another text than the registry holds.
    const double number = LeadingNumber(value);
    if (DecimalText(number) != value)
        return value;
    return number;
}

QByteArray JsonString(QStringView text)
{
    QByteArray json;
    json.reserve(text.size() + 2);
    json += '"';
    qsizetype plain = 0; // where the characters not yet written start
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;
            continue;
        }
        // A surrogate that is not half of a pair has no UTF-8 form.
        if (c >= 0x20 && c != u'"' && c != u'\\' && !QChar::isSurrogate(c))
            continue;
        json += text.sliced(plain, i - plain).toUtf8();
        plain = i + 1;
        switch (c) {
        case u'"':
            json += "\\\"";
            break;
        case u'\\':
            json += "\\\\";
            break;
        case u'\b':
            json += "\\b";
            break;
        case u'\f':
            json += "\\f";
            break;
        case u'\n':
            json += "\\n";
            break;
        case u'\r':
            json += "\\r";
            break;
        case u'\t':
            json += "\\t";
            break;
        default:
            json += "\\u" + QByteArray::number(c, 16).rightJustified(4, '0');
        }
    }
    json += text.sliced(plain).toUtf8();
    json += '"';
    return json;
}

QString UnreadableValueMarker(qsizetype length)
{
    return QStringLiteral("<unreadable: %1 characters>").arg(length);
}

QString ShownValue(const std::optional<QStringView> &stored)
{
    if (!stored)
        return {};
    const QString value = StripQuotes(*stored).toString();
    return value.size() <= LongestWholeValue ? value : UnreadableValueMarker(value.size());
}

} // namespace tessel
