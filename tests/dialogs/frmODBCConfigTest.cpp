#include <QTest>

#include "dialogs/frmODBCConfig.h"
#include "tests/support/DialogFixture.h"

using namespace tessel;
using namespace tessel::test;

namespace {

using ODBCConfig = DialogFixture;

// The dialog is a notice: closing it by its close box or by Esc answers
// Cancel and writes nothing.
TEST_F(ODBCConfig, ClosingOrEscAnswersCancelAndWritesNothing)
{
    const QByteArray registry = "[Assets]\r\nType=5\r\nConnect=DSN=Assets\r\n";
    writeRegistry(registry);
    for (const bool byEsc : {false, true}) {
        frmODBCConfig dialog(session, &mainWindow);
        ASSERT_TRUE(execModal(dialog, [&dialog, byEsc] {
            if (byEsc)
                QTest::keyClick(&dialog, Qt::Key_Escape);
            else
                dialog.close();
        }));
        EXPECT_EQ(dialog.Tag(), TagCancel);
        EXPECT_FALSE(dialog.isVisible());
    }
    EXPECT_EQ(registryBytes(), registry);
    EXPECT_TRUE(messageBoxes.shown.isEmpty());
}

} // namespace
