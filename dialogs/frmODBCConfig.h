#pragma once

#include <QPixmap>

#include "dialogs/ConfigDialog.h"

namespace tessel {

// The configuration window of ODBC data sources, which this program cannot
// configure: it shows a "Not Implemented" notice, reads and writes nothing,
// and its Tag is always "CANCEL". The user closes it with the close box.
class frmODBCConfig final : public ConfigDialog
{
    Q_OBJECT
public:
    explicit frmODBCConfig(Session &session, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void Form_Load();

    QPixmap m_notice;
};

} // namespace tessel
