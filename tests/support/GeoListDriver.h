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
    const QPoint centre = list->visualItemRect(list->item(row)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
}

// A click, then the second press that the system reports as a double-click.
inline void doubleClickListItem(GeoList *list, int row)
{
    clickListItem(list, row);
    const QPoint centre = list->visualItemRect(list->item(row)).center();
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
}

// Clicks the first item whose name is name.
inline void clickListItem(GeoList *list, const QString &name)
{
    const QList<QListWidgetItem *> found = list->findItems(name, Qt::MatchExactly);
    ASSERT_FALSE(found.isEmpty()) << name.toStdString();
    clickListItem(list, list->row(found.first()));
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
    *out << '{' << item.name.toStdString() << ", icon " << item.icon << ", data " << item.data
         << '}';
}

// Every item of the list, read through its selection; leaves nothing selected.
inline std::vector<ListedItem> listedItems(GeoList &list)
{
    std::vector<ListedItem> items;
    for (int row = 0; row < list.count(); ++row) {
        list.setCurrentRow(row);
        items.push_back({GeoListItemName(list.Text()), GeoListItemIcon(list.Text()),
                         list.ItemData(row)});
    }
    list.clearSelection();
    return items;
}

} // namespace tessel::test
