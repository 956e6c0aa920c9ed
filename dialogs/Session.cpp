#include "dialogs/Session.h"

#include "controls/AccessibleNames.h"
#include "i18n/MessageTable.h"
#include "i18n/MessageText.h"
#include "platform/MessageBoxes.h"

namespace tessel {

QString Session::GetMsgText(const QString &text, const QStringList &arguments) const
{
    return tessel::GetMsgText(messageTable, text, arguments);
}

int Session::MsgBox(const QString &text, int style) const
{
    return messageBoxes->show(text, style, ApplicationTitle);
}

void Session::TranslateForm(QWidget *window) const
{
    if (messageTable)
        messageTable->TranslateForm(window);
    NameLabelledControls(window);
}

} // namespace tessel
