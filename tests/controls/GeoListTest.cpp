#include <gtest/gtest.h>

#include <QAccessible>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include "controls/GeoList.h"
#include "tests/support/GeoListDriver.h"

using namespace tessel;

namespace {

constexpr int CellCount = 5;
constexpr int Cell = GeoList::IconSize;

QImage cellOfStrip(int number)
{
    return SourceIconStrip().toImage().copy(number * Cell, 0, Cell, Cell);
}

// True when the item's icon is the strip's cell, with the strip's background
// (its top-left pixel) transparent.
bool showsCell(const GeoList &list, int row, int number)
{
    const QImage shown =
        list.item(row)->icon().pixmap(Cell, Cell).toImage().convertToFormat(QImage::Format_ARGB32);
    const QImage cell = cellOfStrip(number);
    const QRgb background = cellOfStrip(0).pixel(0, 0);
    for (int y = 0; y < Cell; ++y) {
        for (int x = 0; x < Cell; ++x) {
            const QRgb drawn = cell.pixel(x, y);
            if (drawn == background ? qAlpha(shown.pixel(x, y)) != 0 : shown.pixel(x, y) != drawn)
                return false;
        }
    }
    return true;
}

} // namespace

TEST(SourceIconStrip, IsFiveCellsWithABlankFirstAndFourDistinctIcons)
{
    const QImage strip = SourceIconStrip().toImage();
    ASSERT_EQ(strip.size(), QSize(CellCount * Cell, Cell));
    EXPECT_FALSE(strip.hasAlphaChannel());
    const QImage blank = cellOfStrip(0);
    QImage uniform = blank;
    uniform.fill(QColor(blank.pixel(0, 0)));
    EXPECT_EQ(blank, uniform);
    for (int number = 1; number < CellCount; ++number) {
        EXPECT_NE(cellOfStrip(number), blank) << "cell " << number;
        for (int other = number + 1; other < CellCount; ++other)
            EXPECT_NE(cellOfStrip(number), cellOfStrip(other)) << number << " and " << other;
    }
}

class GeoListTest : public ::testing::Test
{
protected:
    void SetUp() override { list.setPicture(SourceIconStrip()); }

    void addItems(std::initializer_list<std::pair<int, const char *>> items)
    {
        for (const auto &[icon, name] : items)
            list.AddItem(GeoListItemText(icon, QString::fromLatin1(name)));
    }

    void showAndFocus()
    {
        list.resize(200, 120);
        list.show();
        list.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&list));
        list.setFocus();
    }

    GeoList list;
};

TEST_F(GeoListTest, KeepsItemsInTheOrderAddedWithTheirDataAndSelection)
{
    EXPECT_EQ(list.newIndex(), -1);
    addItems({{2, "Zebra"}, {1, "Alpha"}, {4, "Middle"}});
    EXPECT_EQ(list.newIndex(), 2);
    EXPECT_EQ(list.item(0)->text(), QStringLiteral("Zebra"));
    EXPECT_EQ(list.item(1)->text(), QStringLiteral("Alpha"));

    EXPECT_EQ(list.ItemData(1), 0);
    list.setItemData(1, 70000);
    list.setItemData(2, -3);
    EXPECT_EQ(list.ItemData(1), 70000);
    EXPECT_EQ(list.ItemData(2), -3);

    EXPECT_EQ(list.ListIndex(), -1);
    EXPECT_EQ(list.Text(), QString());
    list.item(2)->setSelected(true);
    EXPECT_EQ(list.ListIndex(), 2);
    EXPECT_EQ(list.Text(), QStringLiteral(" \u0004Middle"));
    EXPECT_EQ(GeoListItemName(list.Text()), QStringLiteral("Middle"));
    EXPECT_EQ(GeoListItemIcon(list.Text()), 4);

    list.Clear();
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.ListIndex(), -1);
    EXPECT_EQ(list.newIndex(), -1);
}

TEST_F(GeoListTest, DrawsEachItemWithTheCellItsTextNamesAndShowsItsName)
{
    addItems({{4, "Raster"}, {3, "Odbc"}, {0, "Unknown"}, {9, "Beyond the strip"}});
    EXPECT_TRUE(showsCell(list, 0, 4));
    EXPECT_TRUE(showsCell(list, 1, 3));
    EXPECT_TRUE(showsCell(list, 2, 0));
    EXPECT_TRUE(showsCell(list, 3, 0));

    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(&list);
    ASSERT_NE(accessible, nullptr);
    QStringList names;
    for (int index = 0; index < accessible->childCount(); ++index)
        names.append(accessible->child(index)->text(QAccessible::Name));
    EXPECT_TRUE(names.contains(QStringLiteral("Raster"))) << names.join(u'|').toStdString();
    EXPECT_TRUE(names.contains(QStringLiteral("Beyond the strip")));

    // A strip given later redraws the items already listed.
    GeoList bare;
    bare.AddItem(GeoListItemText(1, QStringLiteral("Network")));
    bare.setPicture(SourceIconStrip());
    EXPECT_TRUE(showsCell(bare, 0, 1));
}

TEST_F(GeoListTest, RaisesClickWhenTheUserSelectsByKeyboard)
{
    addItems({{1, "A"}, {1, "B"}, {1, "C"}, {1, "D"}, {1, "E"}, {1, "F"}, {1, "G"}, {1, "H"},
              {1, "I"}, {1, "J"}});
    showAndFocus();
    QSignalSpy clicks(&list, &GeoList::Click);

    // The first arrow selects the item that has the focus mark.
    QTest::keyClick(&list, Qt::Key_Down);
    EXPECT_EQ(list.ListIndex(), 0);
    EXPECT_EQ(clicks.count(), 1);

    QTest::keyClick(&list, Qt::Key_Down);
    EXPECT_EQ(list.ListIndex(), 1);
    QTest::keyClick(&list, Qt::Key_End);
    EXPECT_EQ(list.ListIndex(), 9);
    QTest::keyClick(&list, Qt::Key_Home);
    EXPECT_EQ(list.ListIndex(), 0);
    QTest::keyClick(&list, Qt::Key_PageDown);
    const int afterPageDown = list.ListIndex();
    EXPECT_GT(afterPageDown, 1);
    QTest::keyClick(&list, Qt::Key_PageUp);
    EXPECT_LT(list.ListIndex(), afterPageDown);
    EXPECT_EQ(clicks.count(), 6);

    // A key that changes nothing raises nothing.
    QTest::keyClick(&list, Qt::Key_Home);
    const int clicksAtTop = int(clicks.count());
    QTest::keyClick(&list, Qt::Key_Up);
    EXPECT_EQ(clicks.count(), clicksAtTop);
}

TEST_F(GeoListTest, RaisesClickWhenTheUserClicksAnItemButNotForChangesByCode)
{
    addItems({{1, "Roads"}, {4, "Relief"}});
    showAndFocus();
    QSignalSpy clicks(&list, &GeoList::Click);

    test::clickListItem(&list, 1);
    EXPECT_EQ(list.ListIndex(), 1);
    EXPECT_EQ(clicks.count(), 1);

    list.item(0)->setSelected(true);
    list.Clear();
    addItems({{1, "Roads"}});
    EXPECT_EQ(clicks.count(), 1);
}
