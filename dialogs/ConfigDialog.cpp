#include "dialogs/ConfigDialog.h"

#include <QCloseEvent>

namespace tessel {

ConfigDialog::ConfigDialog(Session &session, QWidget *parent)
    : QDialog(parent)
    , m_session(session)
{
}

void ConfigDialog::closeEvent(QCloseEvent *event)
{
    // The close box unloads the window: whatever it held is gone.
    m_tag = TagCancel;
    QDialog::closeEvent(event);
}

} // namespace tessel
