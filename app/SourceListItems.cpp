#include "app/SourceListItems.h"

#include "dialogs/Session.h"
#include "gui/MessageBoxes.h"
#include "i18n/Messages.h"
#include "registry/SourceCatalogue.h"

namespace tessel {

GeoListItem SrcItem(const QString &name, qint32 type)
{
    return {name, SrcTypeToIcon(type).value_or(0), type};
}

void AddSrcItem(const Session &session, GeoList &list, const QString &name, qint32 type)
{
    if (!SrcTypeToIcon(type))
        session.MsgBox(session.GetMsgText(Msg::InternalErrorSrcTypeToIcon), MsgBoxStyle::OkOnly);
    const GeoListItem item = SrcItem(name, type);
    list.AddItem(GeoListItemText(item.icon, item.name));
    list.setItemData(list.newIndex(), type);
}

} // namespace tessel
