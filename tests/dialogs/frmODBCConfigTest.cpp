#include <QImage>
#include <QPixmap>
#include <QTest>

#include "controls/ControlHelpers.h"
#include "dialogs/frmODBCConfig.h"
#include "i18n/MessageTable.h"
#include "tests/i18n/ShippedTable.h"
#include "tests/support/DialogFixture.h"
#include "tests/support/TranslationCheck.h"

using namespace tessel;
using namespace tessel::test;

namespace {

class ODBCConfig : public DialogFixture
{
protected:
    void SetUp() override
    {
        DialogFixture::SetUp();
        writeRegistry(registry);
    }

    const QByteArray registry = "[Assets]\r\nType=5\r\nConnect=DSN=Assets\r\n";
};

} // namespace

TEST_F(ODBCConfig, IsAnEmptyResizableWindowWithTheNoticePicture)
{
    frmODBCConfig dialog(session);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("ODBC Config"));
    EXPECT_TRUE(dialog.findChildren<QWidget *>().isEmpty());
    EXPECT_EQ(dialog.size(), TwipsRect(0, 0, 3060, 3270).size());
    EXPECT_NE(dialog.minimumSize(), dialog.maximumSize());
    EXPECT_TRUE(dialog.windowFlags() & Qt::WindowMaximizeButtonHint);

    // The stamp: black words on white at the top left, the window's own
    // background beyond it.
    const QImage shot = dialog.grab().toImage();
    const QRect picture(0, 0, 200, 214);
    int dark = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (qGray(shot.pixel(x, y)) < 64)
                ++dark;
        }
    }
    EXPECT_EQ(shot.pixel(2, 2), qRgb(255, 255, 255));
    EXPECT_GT(dark, 500);
    EXPECT_NE(shot.pixel(202, 216), qRgb(255, 255, 255));
}

TEST_F(ODBCConfig, ClosingAnswersCancelAndWritesNothing)
{
    for (const QString &name : {NewRecordMarker, QStringLiteral("Assets")}) {
        session.CurrentSrcName = name;
        frmODBCConfig dialog(session);
        EXPECT_EQ(dialog.Tag(), TagCancel);
        ASSERT_TRUE(execModal(dialog, [&dialog] { dialog.close(); }));
        EXPECT_EQ(dialog.Tag(), TagCancel);
        EXPECT_EQ(registryBytes(), registry);
        EXPECT_TRUE(messageBoxes.shown.isEmpty());
    }
}

TEST_F(ODBCConfig, EscClosesTheNoticeAsCancel)
{
    frmODBCConfig dialog(session);
    ASSERT_TRUE(execModal(dialog, [&dialog] { QTest::keyClick(&dialog, Qt::Key_Escape); }));
    EXPECT_EQ(dialog.Tag(), TagCancel);
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(ODBCConfig, CaptionIsTranslatedInGermanAndFrench)
{
    LanguageSetting language;
    MessageTable shipped(language);
    loadShippedTable(shipped);
    frmODBCConfig dialog(session);
    for (const QString &target : {QStringLiteral("German"), QStringLiteral("French")})
        EXPECT_EQ(untranslatedCaptions(&dialog, shipped, target), QStringList())
            << target.toStdString();
}
