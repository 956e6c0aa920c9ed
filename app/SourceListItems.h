#pragma once

#include <QString>
#include <QtGlobal>

#include "controls/GeoList.h"

namespace tessel {

struct Session;

// The icon list entry of a data source type or record: name with the icon of
// type (the blank icon for a type without one) and type as its item data.
GeoListItem SrcItem(const QString &name, qint32 type);

// Adds the entry of SrcItem to an icon list. A type without an icon is
// reported as an internal error.
void AddSrcItem(const Session &session, GeoList &list, const QString &name, qint32 type);

} // namespace tessel
