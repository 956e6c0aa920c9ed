#pragma once

#include <QPixmap>

#include "dialogs/ConfigDialog.h"

namespace tessel {

// The configuration window of ODBC data sources, which this program cannot
// configure: it shows a "Not Implemented" notice, reads and writes nothing,
// and its Tag is always "CANCEL". The user closes it with the close box, or
// with Esc: the window has no button a keyboard user could reach instead.
class frmODBCConfig final : public ConfigDialog
{
    Q_OBJECT
public:
    frmODBCConfig(Session &session, const QWidget *mainWindow);

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void Form_Load();

    QPixmap m_notice;
};

} // namespace tessel
