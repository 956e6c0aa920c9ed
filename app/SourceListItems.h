#pragma once

#include <QString>
#include <QtGlobal>

namespace tessel {

class GeoList;
struct Session;

// Adds a data source type or record to an icon list: the item shows name
// with the icon of type and holds type as its item data. A type without an
// icon is reported as an internal error and listed with the blank icon.
void AddSrcItem(const Session &session, GeoList &list, const QString &name, qint32 type);

} // namespace tessel
