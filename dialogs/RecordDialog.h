#pragma once

#include "dialogs/ConfigDialog.h"
#include "registry/DataSourceRecord.h"

namespace tessel {

// A configuration dialog that edits one record of the registry: it keeps
// the record as it read it, and saves it only over that same record, unless
// the user chooses otherwise.
class RecordDialog : public ConfigDialog
{
    Q_OBJECT
protected:
    using ConfigDialog::ConfigDialog;

    // Reads the record into the dialog's controls and its display options,
    // and remembers it as read.
    void openRecord();
    // The dialog's part of openRecord: its controls from the record.
    virtual void loadRecord() = 0;

    // Saves the record as one replacement of the registry file. When another
    // program changed or removed the record since the dialog read it, the
    // user chooses: save over it, take the record as it is now, or go back.
    // When the file refuses the save or cannot be written the user is told
    // why and what to do. Returns whether the record was saved; otherwise
    // nothing was written and the dialog is open with the user's input
    // (or, when the user discarded it, closed as cancelled).
    bool saveRecord(RecordSave save);

private:
    StoredRecord m_asRead;
};

} // namespace tessel
