#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "controls/FormCaption.h"
#include "controls/GeoList.h"
#include "i18n/MessageTable.h"
#include "tests/support/GeoListDriver.h"
#include "tests/support/TestFiles.h"

using namespace tessel;
using namespace Qt::StringLiterals;

namespace {

TEST(GeoList, DrawsEachItemWithTheCellOfItsIconNumber)
{
    GeoList list;
    list.setPicture(SourceIconStrip());
    const QImage strip = SourceIconStrip().toImage();
    for (int icon = 0; icon <= 5; ++icon) {
        list.AddItem(GeoListItemText(icon, u"Item"_s));
        const QImage shown = list.model()
                                 ->index(icon, 0)
                                 .data(Qt::DecorationRole)
                                 .value<QIcon>()
                                 .pixmap(GeoList::IconSize)
                                 .toImage();
        for (int y = 0; y < GeoList::IconSize; ++y) {
            for (int x = 0; x < GeoList::IconSize; ++x) {
                // The background of the strip (its first pixel), and cells beyond it, show transparent.
                const QRgb drawn = icon < 5 ? strip.pixel(icon * GeoList::IconSize + x, y) : 0;
                const bool blank = icon == 5 || drawn == strip.pixel(0, 0);
                ASSERT_EQ(blank ? qAlpha(shown.pixel(x, y)) : shown.pixel(x, y), blank ? 0u : drawn)
                    << "icon " << icon << " at " << x << ',' << y;
            }
        }
    }
}

TEST(GeoList, RaisesClickWhenTheUserSelectsButNotForChangesByCode)
{
    GeoList list;
    for (const QString &name : {u"A"_s, u"B"_s, u"C"_s})
        list.AddItem(GeoListItemText(1, name));
    list.show();
    list.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&list));
    QSignalSpy clicks(&list, &GeoList::Click);
    list.setCurrentRow(0);
    list.clearSelection();
    EXPECT_EQ(clicks.count(), 0);

    // The first arrow selects the item with the focus mark rather than moving past it.
    QTest::keyClick(&list, Qt::Key_Down);
    EXPECT_EQ(list.ListIndex(), 0);
    QTest::keyClick(&list, Qt::Key_End);
    test::clickListItem(&list, 1);
    EXPECT_EQ(list.ListIndex(), 1);
    EXPECT_EQ(clicks.count(), 3);
    list.Clear();
    list.AddItem(GeoListItemText(1, u"D"_s));
    EXPECT_EQ(clicks.count(), 3);
}

// Each translation starts from the English caption, remembered at the first.
TEST(TranslateForm, TranslatesCaptionsFromTheirEnglishText)
{
    QTemporaryDir directory;
    const QString path = directory.filePath(u"TESSEL.LRT"_s);
    test::writeBytes(path,
                     "English: Options\nGerman: Optionen\nFrench: Options\n\n"
                     "English: Scales\nGerman: Ma\xc3\x9fst\xc3\xa4"
                     "be\nFrench: \xc3\x89"
                     "chelles\n\n"
                     "English: Name:\nGerman: Name der Datenquelle:\n\n"
                     "English: &Cancel\nGerman: &Abbrechen\nFrench: &Annuler\n");
    LanguageSetting language;
    MessageTable table(language);
    ASSERT_TRUE(table.LoadTable(path));
    QDialog window;
    window.setWindowTitle(u"Options"_s);
    auto *scales = new QGroupBox(u"Scales"_s, &window);
    auto *name = new QLabel(u"Name:"_s, scales);
    auto *cancel = new QCheckBox(u"&Cancel"_s, &window);
    auto *typed = new QLineEdit(u"Scales"_s, &window);
    auto *ownWindow = new QLabel(u"Name:"_s, new QDialog(&window));
    const auto captions = [&] {
        return QStringList{window.windowTitle(), scales->title(), name->text(),
                           cancel->text(),       typed->text(),   ownWindow->text()}
            .join(u'|');
    };
    const std::pair<QString, QString> cases[] = {
        {u"German"_s, u"Optionen|Maßstäbe|Name der Datenquelle:|&Abbrechen|Scales|Name:"_s},
        {u"French"_s, u"Options|Échelles|Name:|&Annuler|Scales|Name:"_s},
        {u"English"_s, u"Options|Scales|Name:|&Cancel|Scales|Name:"_s},
    };
    for (const auto &[into, shown] : cases) {
        language.SetLanguage(into);
        TranslateForm(&window, table);
        EXPECT_EQ(captions(), shown) << into.toStdString();
    }
}

} // namespace
