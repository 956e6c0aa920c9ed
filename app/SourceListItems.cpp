#include "app/SourceListItems.h"

#include "controls/GeoList.h"
#include "dialogs/Session.h"
#include "gui/MessageBoxes.h"
#include "i18n/Messages.h"
#include "registry/SourceCatalogue.h"

namespace tessel {

void AddSrcItem(const Session &session, GeoList &list, const QString &name, qint32 type)
{
    const std::optional<qint16> icon = SrcTypeToIcon(type);
    if (!icon)
        session.MsgBox(session.GetMsgText(Msg::InternalErrorSrcTypeToIcon), MsgBoxStyle::OkOnly);
    list.AddItem(GeoListItemText(icon.value_or(0), name));
    list.setItemData(list.newIndex(), type);
}

} // namespace tessel
