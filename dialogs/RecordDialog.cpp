#include "dialogs/RecordDialog.h"

#include "dialogs/WriteFailureText.h"
#include "gui/MessageBoxes.h"
#include "i18n/Messages.h"

namespace tessel {

RecordDialog::RecordDialog(Session &session, const QString &recordName,
                           OptionsHolder::OverviewRow overviewRow, const QWidget *mainWindow)
    : ConfigDialog(session, mainWindow)
    , m_recordName(recordName)
    , m_overviewRow(overviewRow)
{
}

void RecordDialog::openRecord()
{
    m_asRead = ReadStoredRecord(m_session.RegistryIniPath, m_recordName);
    RefreshConfig();
    m_options.emplace(m_session, m_recordName, mainWindow(), m_overviewRow);
    UpdateUI();
}

bool RecordDialog::saveRecord(RecordSave save)
{
    if (save.currentName != NewRecordMarker)
        save.unchangedSince = m_asRead;
    WriteResult saved = SaveRecord(m_session.RegistryIniPath, save);
    const bool changed = !saved && saved.error().failure == WriteFailure::RecordChanged;
    const bool removed = !saved && saved.error().failure == WriteFailure::RecordRemoved;
    if (changed || removed) {
        const QString question = removed ? Msg::RecordRemovedMeanwhile : Msg::RecordChangedMeanwhile;
        switch (m_session.MsgBox(m_session.GetMsgText(question, {save.currentName}),
                                 MsgBoxStyle::YesNoCancelQuestion)) {
        case MsgBoxResult::Yes:
            save.unchangedSince.reset();
            saved = SaveRecord(m_session.RegistryIniPath, save);
            break;
        case MsgBoxResult::No:
            if (removed) {
                reject();
            } else {
                openRecord();
            }
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
