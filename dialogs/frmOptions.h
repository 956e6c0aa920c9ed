#pragma once

#include "controls/NumberBox.h"
#include "dialogs/ConfigDialog.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tessel {

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
    explicit frmOptions(Session &session);

    // Reads the record's display keys into the controls; a new record keeps
    // the controls as they are.
    void RefreshOptions();

    // The controls a configuration dialog reads when it saves.
    QCheckBox *chkAuto() const { return m_chkAuto; }
    QCheckBox *chkAllScales() const { return m_chkAllScales; }
    QLineEdit *txtMinScale() const { return m_txtMinScale; }
    QLineEdit *txtMaxScale() const { return m_txtMaxScale; }
    QLineEdit *txtOverViewScale() const { return m_txtOverViewScale; }
    QLineEdit *txtPriority() const { return m_txtPriority; }
    QLabel *lblOverviewScale() const { return m_lblOverviewScale; }
    QLabel *lblOverview1() const { return m_lblOverview1; }

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
    void cmdOK_Click();
    void cmdCancel_Click();

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
