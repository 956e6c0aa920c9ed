#include "dialogs/Session.h"

#include "controls/AccessibleNames.h"
#include "controls/FormCaption.h"
#include "gui/MessageBoxes.h"
#include "i18n/MessageTable.h"
#include "i18n/MessageText.h"

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
        tessel::TranslateForm(window, *messageTable);
    NameLabelledControls(window);
}

} // namespace tessel
