#include "app/frmDebug.h"

#include <QPlainTextEdit>

#include "controls/AccessibleNames.h"
#include "controls/ControlHelpers.h"
#include "controls/StrayAccessKeys.h"
#include "dialogs/Session.h"

namespace tessel {

frmDebug::frmDebug(Session &session, QWidget *parent)
    : QWidget(parent)
    , m_session(session)
{
    setObjectName(QStringLiteral("frmDebug"));
    setWindowTitle(QStringLiteral("Tessel Debug Information"));
    setFont(FormFont());
    setFixedSize(TwipsRect(0, 0, 5175, 3240).size());

    Debug = Placed(new QPlainTextEdit(this), "Debug", {120, 120, 4935, 3015});
    Debug->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    Form_Load();
}

void frmDebug::Form_Load()
{
    m_session.TranslateForm(this);
    SwallowStrayAccessKeys(this);
    // The trace box has no label: it is announced by the window's caption.
    Debug->setAccessibleName(AccessibleCaption(windowTitle()));
}

} // namespace tessel
