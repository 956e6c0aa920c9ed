#include "dialogs/RecordDialog.h"

#include <QDir>

#include "dialogs/WriteFailureText.h"
#include "gui/MessageBoxes.h"
#include "i18n/Messages.h"
#include "profile/ProfileDocument.h"
#include "profile/ProfileNames.h"

namespace tessel {
namespace {

constexpr qint16 ProtectionBits = PrivateBit::Locked | PrivateBit::Protected;

bool IsConflict(const WriteResult &saved)
{
    return !saved
        && (saved.error().failure == WriteFailure::RecordChanged
            || saved.error().failure == WriteFailure::RecordRemoved);
}

} // namespace

RecordDialog::RecordDialog(Session &session, const QString &recordName, qint32 recordType,
                           OptionsHolder::OverviewRow overviewRow, const QWidget *mainWindow)
    : ConfigDialog(session, mainWindow)
    , m_recordName(recordName)
    , m_recordType(recordType)
    , m_overviewRow(overviewRow)
{ }

void RecordDialog::openRecord()
{
    const auto registry = RegistrySnapshot::Read(m_session.RegistryIniPath);
    if (registry) {
        showRecord(*registry);
        return;
    }
    showRecord(RegistrySnapshot(std::make_shared<const ProfileDocument>()));
    showReadFailure(registry.error());
    Lock();
}

void RecordDialog::showRecord(const RegistrySnapshot &registry)
{
    const DataSourceRecord record =
        m_recordName == NewRecordMarker ? DataSourceRecord::New(m_recordType) : registry.record(m_recordName);
    m_asRead = StoredRecord::Of(registry.document(), m_recordName);
    m_protectionAsRead = record.whole16(RecordKey::Private) & ProtectionBits;
    RefreshConfig(record);
    m_options.emplace(m_session, record, mainWindow(), m_overviewRow);
    UpdateUI();
}

void RecordDialog::showReadFailure(const FileError &error)
{
    showExclamation(Msg::RegistryUnreadableInDialog,
                    {QDir::toNativeSeparators(m_session.RegistryIniPath), error.text});
}

int RecordDialog::askAboutChange(const QString &name, const StoredRecord &now, qint16 privateNow)
{
    const QString &question = !now.keys                       ? Msg::RecordRemovedMeanwhile
        : (privateNow & ProtectionBits) != m_protectionAsRead ? Msg::RecordProtectionChangedMeanwhile
                                                              : Msg::RecordChangedMeanwhile;
    return m_session.MsgBox(m_session.GetMsgText(question, {name}), MsgBoxStyle::YesNoCancelQuestion);
}

bool RecordDialog::saveRecord(RecordSave save)
{
    for (int index = 0; index < SavedKeyCount; ++index) {
        QString &value = save.values[RecordKey(index)];
        value = TrimProfileBlanks(value).toString();
    }
    if (save.currentName != NewRecordMarker)
        save.unchangedSince = m_asRead;
    WriteResult saved = SaveRecord(m_session.RegistryIniPath, save);
    while (IsConflict(saved)) {
        const auto registry = RegistrySnapshot::Read(m_session.RegistryIniPath);
        if (!registry) {
            showReadFailure(registry.error());
            return false;
        }
        const DataSourceRecord record = registry->record(save.currentName);
        const StoredRecord now = StoredRecord::Of(registry->document(), save.currentName);
        const qint16 privateNow = now.keys ? record.whole16(RecordKey::Private) : 0;
        if (privateNow & PrivateBit::Locked) {
            showExclamation(Msg::RecordLockedMeanwhile, {save.currentName});
            showRecord(*registry);
            return false;
        }
        switch (askAboutChange(save.currentName, now, privateNow)) {
        case MsgBoxResult::Yes:
            save.unchangedSince = now;
            saved = SaveRecord(m_session.RegistryIniPath, save);
            break;
        case MsgBoxResult::No:
            if (now.keys && record.whole32(RecordKey::Type) == m_recordType) {
                showRecord(*registry);
                return false;
            }
            if (now.keys)
                showExclamation(Msg::RecordTypeChangedMeanwhile, {save.currentName});
            reject();
            return false;
        default:
            return false;
        }
    }
    if (!saved)
        m_session.MsgBox(WriteFailureText(m_session, saved), MsgBoxStyle::Exclamation);
    return saved.has_value();
}

void RecordDialog::cmdOK_Click()
{
    setTag(TagOk);
    if (!checkInput())
        return;
    if (!SaveConfig()) {
        setTag(TagCancel);
        return;
    }
    accept();
}

void RecordDialog::cmdOptions_Click()
{
    m_options->show();
}

} // namespace tessel
