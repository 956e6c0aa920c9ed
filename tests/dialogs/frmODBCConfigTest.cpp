#include <QTest>

#include "dialogs/frmODBCConfig.h"
#include "tests/support/DialogFixture.h"

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
