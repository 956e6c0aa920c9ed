#pragma once

#include <optional>

#include "dialogs/RecordDialog.h"
#include "registry/DldEntities.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace tessel {

class DropDownList;
class NumberBox;

class EntityListModel;

// The configuration dialog of demand-load data sources: a DLD file and one
// entity that the file declares, with the source number, the read-only flag
// and the display options. OK writes the record it was opened for, under the
// name typed in the dialog.
class frmDemandConfig final : public RecordDialog
{
    Q_OBJECT
public:
    frmDemandConfig(Session &session, const QString &recordName, const QWidget *mainWindow);

private:
    void createControls();
    void connectEvents();

    void Form_Load();
    void RefreshConfig(const DataSourceRecord &record) override;
    bool SaveConfig() override;
    bool checkInput() override;
    void UpdateUI() override;
    void LoadEntities();
    // Replaces the entity list's entries, selecting none; no change of the
    // selection is announced.
    void setEntities(EntityNames names);
    void Lock() override;

    void txtDLD_Change();
    void cmbEntities_DropDown();
    void cmbEntities_Click(int index);
    void chkAutoID_Click();
    void cmdBrowse_Click();
    void cmdDLD_Click();

    QLineEdit *txtDLD = nullptr;
    QPushButton *cmdBrowse = nullptr;
    QPushButton *cmdDLD = nullptr;
    DropDownList *cmbEntities = nullptr;
    EntityListModel *m_entities = nullptr;
    NumberBox *txtID = nullptr;
};

} // namespace tessel
