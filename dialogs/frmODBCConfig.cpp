#include "dialogs/frmODBCConfig.h"

#include <QKeyEvent>
#include <QPainter>

#include "controls/ControlHelpers.h"

namespace tessel {
namespace {

const QString NoticePicture = QStringLiteral(":/dialogs/images/not-implemented.png");
constexpr int ClientWidthTwips = 3060;
constexpr int ClientHeightTwips = 3270;

} // namespace

frmODBCConfig::frmODBCConfig(Session &session, const QWidget *mainWindow)
    : ConfigDialog(session, mainWindow)
{
    m_notice = QPixmap(NoticePicture);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint
                   | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("ODBC Config"));
    resize(TwipsToPixels(ClientWidthTwips), TwipsToPixels(ClientHeightTwips));
    Form_Load();
}

void frmODBCConfig::Form_Load()
{
    beginLoad();
}

void frmODBCConfig::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    ConfigDialog::keyPressEvent(event);
}

void frmODBCConfig::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_notice);
}

} // namespace tessel
