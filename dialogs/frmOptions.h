#pragma once

#include "controls/NumberBox.h"
#include "dialogs/ConfigDialog.h"
#include "registry/DataSourceRecord.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace tessel {

// The display options as the options dialog holds them: the check boxes as
// checked or not (a grey box counts as checked), the numbers as typed.
struct DisplayOptions
{
    bool autoConnect = false;
    bool allScales = false;
    QString minScale;
    QString maxScale;
    QString overviewScale;
    QString priority;
};

// The display options of the record that the open configuration dialog
// edits: active scale range, overview render scale, draw priority and
// automatic connection. It writes nothing itself: it holds the values in its
// controls, and the configuration dialog reads them when it saves. OK keeps
// the edits; Cancel returns to the stored values; the close box unloads the
// window, so that its owner loads it afresh with the stored values.
class frmOptions final : public ConfigDialog
{
    Q_OBJECT
public:
    // The options show the display keys of record, as the configuration
    // dialog read it.
    frmOptions(Session &session, DataSourceRecord record, const QWidget *mainWindow);

    // Shows the record's display keys in the controls; a new record keeps
    // the controls as they are.
    void RefreshOptions();

    // What the controls hold, as a configuration dialog saves it.
    DisplayOptions values() const;
    // Hides the overview render scale; the hidden box still holds its value.
    void hideOverviewRow();

signals:
    // The close box was used: the window is to be unloaded.
    void Unloaded();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void createControls();
    void connectEvents();
    void Form_Load();

    void chkAllScales_Click();
    void cmdCancel_Click();

    const DataSourceRecord m_record;
    QPushButton *m_cmdCancel = nullptr;
    QPushButton *m_cmdOK = nullptr;
    QCheckBox *m_chkAuto = nullptr;
    NumberBox *m_txtPriority = nullptr;
    QCheckBox *m_chkAllScales = nullptr;
    NumberBox *m_txtOverViewScale = nullptr;
    NumberBox *m_txtMaxScale = nullptr;
    NumberBox *m_txtMinScale = nullptr;
    QLabel *m_lblOverview1 = nullptr;
    QLabel *m_lblOverviewScale = nullptr;
};

} // namespace tessel
