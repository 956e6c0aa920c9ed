#pragma once

#include <gtest/gtest.h>

#include <QTest>

#include <ostream>
#include <vector>

#include "controls/GeoList.h"

namespace tessel::test {

// Clicks an item of a list with the mouse, as a user selects it.
inline void clickListItem(GeoList *list, int row)
{
    list->scrollTo(list->model()->index(row, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, list->rowRect(row).center());
}

// A click, then the second press that the system reports as a double-click.
inline void doubleClickListItem(GeoList *list, int row)
{
    clickListItem(list, row);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, list->rowRect(row).center());
}

// Clicks the first item whose name is name.
inline void clickListItem(GeoList *list, const QString &name)
{
    const int row = list->findRow(name, Qt::CaseSensitive);
    ASSERT_NE(row, -1) << name.toStdString();
    clickListItem(list, row);
}

// An item as the list holds it: its name, icon number and item data.
struct ListedItem
{
    QString name;
    int icon;
    qint32 data;
    bool operator==(const ListedItem &) const = default;
};

inline void PrintTo(const ListedItem &item, std::ostream *out)
{
    *out << '{' << item.name.toStdString() << ", icon " << item.icon << ", data " << item.data << '}';
}

// Every item of the list, read through its selection; leaves nothing selected.
inline std::vector<ListedItem> listedItems(GeoList &list)
{
    std::vector<ListedItem> items;
    for (int row = 0; row < list.count(); ++row) {
        list.setCurrentRow(row);
        items.push_back({GeoListItemName(list.Text()), GeoListItemIcon(list.Text()), list.ItemData(row)});
    }
    list.clearSelection();
    return items;
}

// The names the list shows, in order, joined by blanks.
inline QString listedNames(const GeoList &list)
{
    QStringList names;
    for (int row = 0; row < list.count(); ++row)
        names.append(list.itemName(row));
    return names.join(QLatin1Char(' '));
}

} // namespace tessel::test
