#pragma once

#include <optional>

#include "dialogs/ConfigDialog.h"
#include "dialogs/OptionsHolder.h"
#include "platform/SystemError.h"
#include "registry/DataSourceRecord.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace tessel {

// A configuration dialog that edits one record of the registry: it keeps
// the record as it read it, and saves it only over that same record, unless
// the user chooses otherwise.
class RecordDialog : public ConfigDialog
{
    Q_OBJECT
protected:
    // recordName is the section of the registry the dialog edits, or
    // NewRecordMarker for a new record; recordType the type the dialog
    // saves; overviewRow says whether its display options show the overview
    // render scale.
    RecordDialog(Session &session, const QString &recordName, qint32 recordType,
                 OptionsHolder::OverviewRow overviewRow, const QWidget *mainWindow);

    // Reads the registry once and shows the record from that reading in the
    // dialog's controls and its display options, remembering it as read. A
    // registry that cannot be read is reported, and the dialog is locked: it
    // saves nothing over a file it could not read.
    void openRecord();
    // The dialog's part of showing a record: its controls from the record.
    virtual void RefreshConfig(const DataSourceRecord &record) = 0;
    // Enables OK for the input the controls hold.
    virtual void UpdateUI() = 0;
    // Leaves only Cancel usable.
    virtual void Lock() = 0;

    // Saves the record as one replacement of the registry file, each value
    // without the blanks at its ends that reading would remove. When another
    // program changed or removed the record since the dialog read it, the
    // user chooses: save over it, take the record as it is now, or go back;
    // a record locked meanwhile is not saved at all, and one whose type
    // changed meanwhile closes the dialog rather than show in it. When the
    // file refuses the save or cannot be written the user is told why and
    // what to do. Returns whether the record was saved; otherwise nothing was
    // written and the dialog is open with the user's input (or, when the user
    // discarded it, shows the record as it is now or is closed as cancelled).
    bool saveRecord(RecordSave save);

    // The dialog's checks of its input on OK, in order, stopping at the first
    // that fails (which tells the user).
    virtual bool checkInput() = 0;
    // Saves the record from the controls; false when nothing was saved.
    virtual bool SaveConfig() = 0;

    // OK: Tag becomes "OK", the input is checked and the record saved, and
    // the dialog is accepted; a failed check or save leaves it open.
    void cmdOK_Click();
    void cmdOptions_Click();

    // The record the dialog edits: a section name, or NewRecordMarker.
    const QString m_recordName;

    // The controls that both record dialogs have.
    QLineEdit *txtName = nullptr;
    QLineEdit *txtDescription = nullptr;
    QCheckBox *chkReadOnly = nullptr;
    QCheckBox *chkAutoID = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;
    QPushButton *cmdOptions = nullptr;

    // The display options of the record, loaded with the record.
    std::optional<OptionsHolder> m_options;
    // A locked record (Private bit 1) leaves only Cancel usable.
    bool m_locked = false;

private:
    void showRecord(const RegistrySnapshot &registry);
    void showReadFailure(const FileError &error);
    // The question about a record that another program changed or removed:
    // the answer, a MsgBoxResult.
    int askAboutChange(const QString &name, const StoredRecord &now, qint16 privateNow);

    const qint32 m_recordType;
    const OptionsHolder::OverviewRow m_overviewRow;
    StoredRecord m_asRead;
    // The protection bits (Private bits 1 and 2) of the record as read.
    qint16 m_protectionAsRead = 0;
};

} // namespace tessel
