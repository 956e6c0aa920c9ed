#include "dialogs/ConfigDialog.h"

#include <QCloseEvent>
#include <QKeyEvent>

#include "controls/ControlHelpers.h"
#include "controls/StrayAccessKeys.h"
#include "gui/MessageBoxes.h"

namespace tessel {

ConfigDialog::ConfigDialog(Session &session, const QWidget *mainWindow)
    : m_session(session)
    , m_mainWindow(mainWindow)
{ }

void ConfigDialog::accept()
{
    m_tag = TagOk;
    QDialog::accept();
}

void ConfigDialog::reject()
{
    m_tag = TagCancel;
    QDialog::reject();
}

void ConfigDialog::beginLoad()
{
    m_session.TranslateForm(this);
    SwallowStrayAccessKeys(this);
    if (m_mainWindow)
        CentreForm(this, m_mainWindow);
    m_tag = TagCancel;
}

void ConfigDialog::setFixedDialogFrame(int clientWidthTwips, int clientHeightTwips)
{
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFont(FormFont());
    setFixedSize(TwipsRect(0, 0, clientWidthTwips, clientHeightTwips).size());
}

void ConfigDialog::showExclamation(const QString &text, const QStringList &arguments)
{
    m_session.MsgBox(m_session.GetMsgText(text, arguments), MsgBoxStyle::Exclamation);
}

void ConfigDialog::closeEvent(QCloseEvent *event)
{
    // The close box unloads the window: whatever it held is gone.
    m_tag = TagCancel;
    QDialog::closeEvent(event);
}

void ConfigDialog::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace tessel
