#include "dialogs/WriteFailureText.h"

#include <QDir>

#include "dialogs/Session.h"
#include "i18n/Messages.h"

namespace tessel {

QString WriteFailureText(const Session &session, const WriteResult &result)
{
    const QString registry = QDir::toNativeSeparators(session.RegistryIniPath);
    switch (result.error().failure) {
    case WriteFailure::BadName:
        return session.GetMsgText(Msg::NameNotStorable, {result.error().detail});
    case WriteFailure::NameTaken:
        return session.GetMsgText(Msg::NameTaken, {result.error().detail});
    case WriteFailure::LineBreak:
        return session.GetMsgText(Msg::ValueHasLineBreak, {result.error().key});
    case WriteFailure::Unencodable:
        return session.GetMsgText(Msg::ValueUnencodable, {result.error().key, result.error().detail});
    case WriteFailure::TooLong:
        return session.GetMsgText(Msg::ValueTooLong, {result.error().key});
    case WriteFailure::ChangedOnRead:
        return session.GetMsgText(Msg::ValueChangedOnRead, {result.error().key});
    case WriteFailure::NoPermission:
        return session.GetMsgText(Msg::RegistryNoPermission, {registry});
    case WriteFailure::DiskFull:
        return session.GetMsgText(Msg::RegistryDiskFull, {registry});
    case WriteFailure::Busy:
        return session.GetMsgText(Msg::RegistryBusy, {registry});
    case WriteFailure::RecordChanged: // asked about before it comes to this
    case WriteFailure::RecordRemoved:
    case WriteFailure::SystemError:
        break;
    }
    return session.GetMsgText(Msg::RegistryWriteFailed, {registry, result.error().detail});
}

} // namespace tessel
