#include <gtest/gtest.h>

#include "app/frmDebug.h"
#include "app/frmNewSrc.h"
#include "app/frmTessel.h"
#include "controls/GeoList.h"
#include "hostlink/HostLink.h"
#include "i18n/MessageTable.h"
#include "tests/i18n/ShippedTable.h"
#include "tests/support/DialogFixture.h"
#include "tests/support/TranslationCheck.h"

using namespace tessel;

namespace {

class ShellWindowsTest : public test::DialogFixture
{
protected:
    void SetUp() override
    {
        DialogFixture::SetUp();
        ASSERT_NO_FATAL_FAILURE(test::loadShippedTable(table));
    }

    // Every caption of window has a translation in each shipped language, and
    // no two captions share an access key there.
    void expectFullyTranslated(QWidget *window)
    {
        for (const QString &language : {QStringLiteral("German"), QStringLiteral("French")}) {
            EXPECT_EQ(test::untranslatedCaptions(window, table, language), QStringList())
                << window->objectName().toStdString() << " in " << language.toStdString();
            EXPECT_EQ(test::clashingAccessKeys(window, table, language), QStringList())
                << window->objectName().toStdString() << " in " << language.toStdString();
        }
    }

    LanguageSetting language;
    MessageTable table{language};
    HostLink hostLink{HostCommandLine{}};
};

TEST_F(ShellWindowsTest, EveryCaptionIsTranslatedIntoEachShippedLanguage)
{
    frmTessel main(session, hostLink);
    expectFullyTranslated(&main);
    frmNewSrc chooser(session, SourceIconStrip());
    expectFullyTranslated(&chooser);
    frmDebug debug(session);
    expectFullyTranslated(&debug);
}

TEST_F(ShellWindowsTest, TheWindowsShowTheirCaptionsInTheActiveLanguage)
{
    language.SetLanguage(QStringLiteral("German"));
    session.messageTable = &table;
    frmTessel main(session, hostLink);
    EXPECT_EQ(main.windowTitle(),
              table.Translate(QStringLiteral("VelumGIS Datasource Registration")));
    EXPECT_NE(main.windowTitle(), QStringLiteral("VelumGIS Datasource Registration"));
    frmNewSrc chooser(session, SourceIconStrip());
    EXPECT_EQ(chooser.windowTitle(), table.Translate(QStringLiteral("New Data Source")));
}

} // namespace
