#include <gtest/gtest.h>

#include <QPushButton>

#include "app/frmNewSrc.h"
#include "i18n/Messages.h"
#include "tests/support/DialogFixture.h"
#include "tests/support/GeoListDriver.h"
#include "tests/support/TestFiles.h"

using namespace tessel;
using test::ListedItem;

namespace {

class NewSourceDialogTest : public test::DialogFixture
{
protected:
    // Loads the chooser on the catalogue text given.
    frmNewSrc &load(const QByteArray &catalogue)
    {
        test::writeBytes(session.SourcesIniPath, catalogue);
        chooser = std::make_unique<frmNewSrc>(session, SourceIconStrip());
        return *chooser;
    }

    GeoList *types() const { return chooser->findChild<GeoList *>(QStringLiteral("lstSrcTypes")); }
    QPushButton *button(const char *name) const
    {
        return chooser->findChild<QPushButton *>(QString::fromLatin1(name));
    }

    std::unique_ptr<frmNewSrc> chooser;
};

TEST_F(NewSourceDialogTest, ListsTheCatalogueTypesInFileOrderWithTheirIcons)
{
    load("[Sources]\nRaster Image=2,Raster\nDemand Load=4\nODBC=5\nThree=3\nNative=1,N,More\n");
    const std::vector<ListedItem> expected = {
        {QStringLiteral("Raster Image"), 4, 2}, {QStringLiteral("Demand Load"), 2, 4},
        {QStringLiteral("ODBC"), 3, 5}, {QStringLiteral("Three"), 0, 3},
        {QStringLiteral("Native"), 1, 1}};
    EXPECT_EQ(test::listedItems(*types()), expected);
    EXPECT_EQ(messageBoxes.texts(), QStringList{Msg::InternalErrorSrcTypeToIcon});
    EXPECT_EQ(chooser->Tag(), TagCancel);
}

TEST_F(NewSourceDialogTest, AnEmptyCatalogueLeavesOnlyCancel)
{
    load("[Sources]\n");
    EXPECT_EQ(types()->count(), 0);
    EXPECT_FALSE(button("cmdOK")->isEnabled());
    EXPECT_TRUE(button("cmdCancel")->isEnabled());
    EXPECT_TRUE(messageBoxes.shown.isEmpty());
}

TEST_F(NewSourceDialogTest, OkIsEnabledOnceATypeIsSelectedByKeyboard)
{
    load("[Sources]\nNative=1\nRaster Image=2,Raster\n");
    execModal(*chooser, [this] {
        EXPECT_FALSE(button("cmdOK")->isEnabled());
        types()->setFocus();
        QTest::keyClick(types(), Qt::Key_Down);
        QTest::keyClick(types(), Qt::Key_Down);
        EXPECT_TRUE(button("cmdOK")->isEnabled());
        button("cmdOK")->click();
    });
    EXPECT_EQ(chooser->Tag(), TagOk);
    EXPECT_EQ(chooser->chosenType(), 2);
    EXPECT_FALSE(chooser->isVisible());
}

TEST_F(NewSourceDialogTest, CancelAndTheCloseBoxAnswerCancel)
{
    load("[Sources]\nNative=1\n");
    const std::vector<std::function<void()>> dismissals = {
        [this] { button("cmdCancel")->click(); },
        [this] { chooser->close(); },
    };
    for (const auto &dismiss : dismissals) {
        execModal(*chooser, [this, dismiss] {
            test::clickListItem(types(), 0);
            dismiss();
        });
        EXPECT_EQ(chooser->Tag(), TagCancel);
        EXPECT_FALSE(chooser->isVisible());
    }
}

} // namespace
