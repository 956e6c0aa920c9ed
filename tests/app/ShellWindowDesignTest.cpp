#include <gtest/gtest.h>

#include <QPlainTextEdit>

#include "app/frmDebug.h"
#include "app/frmNewSrc.h"
#include "app/frmTessel.h"
#include "controls/GeoList.h"
#include "hostlink/HostLink.h"
#include "tests/support/DesignCheck.h"
#include "tests/support/DialogFixture.h"

using namespace tessel;
using namespace tessel::test;
using namespace Qt::StringLiterals;

namespace {

class ShellWindowDesign : public DialogFixture
{
protected:
    HostLink hostLink{HostCommandLine{}};
};

TEST_F(ShellWindowDesign, MainWindowControlsStandWhereTheDesignPutsThem)
{
    frmTessel window(session, hostLink);
    expectDesign(window, {
        {"Label1", "frmTessel", {120, 120, 3810, 255}, u"Registered Datasources:"_s},
        {"lstSrcs", "frmTessel", {120, 360, 3975, 1380}, {}},
        {"cmdAdd", "frmTessel", {4200, 360, 1395, 255}, u"&New..."_s},
        {"cmdDelete", "frmTessel", {4200, 720, 1395, 255}, u"&Delete"_s},
        {"cmdConfig", "frmTessel", {4200, 1080, 1395, 255}, u"Config&ure..."_s},
        {"cmdClose", "frmTessel", {4200, 1710, 1395, 255}, u"&Close"_s},
        {"cmdShutdown", "frmTessel", {1320, 3000, 495, 375}, u"XXX"_s},
        {"picIcons", "frmTessel", {2400, 0, 1200, 240}, {}},
    });
    expectFixedClientArea(window, {5715, 2100});
    EXPECT_EQ(window.windowTitle(), u"VelumGIS Datasource Registration"_s);
    // The hidden button and the icon strip lie outside what the user sees.
    EXPECT_TRUE(window.findChild<QWidget *>(u"cmdShutdown"_s)->isHidden());
    EXPECT_TRUE(window.findChild<QWidget *>(u"picIcons"_s)->isHidden());
}

TEST_F(ShellWindowDesign, TypeChooserControlsStandWhereTheDesignPutsThem)
{
    frmNewSrc chooser(session, SourceIconStrip());
    expectDesign(chooser, {
        {"Label1", "frmNewSrc", {180, 120, 3315, 255}, u"Select type of new Datasource:"_s},
        {"lstSrcTypes", "frmNewSrc", {120, 360, 3495, 1155}, {}},
        {"cmdOK", "frmNewSrc", {3840, 480, 975, 375}, u"&OK"_s},
        {"cmdCancel", "frmNewSrc", {3840, 960, 975, 375}, u"&Cancel"_s},
    });
    expectFixedClientArea(chooser, {4890, 1965});
    EXPECT_EQ(chooser.windowTitle(), u"New Data Source"_s);
}

TEST_F(ShellWindowDesign, DebugWindowHoldsOneScrollingTextBoxWhereTheDesignPutsIt)
{
    frmDebug window(session);
    expectDesign(window, {{"Debug", "frmDebug", {120, 120, 4935, 3015}, {}}});
    expectFixedClientArea(window, {5175, 3240});
    EXPECT_EQ(window.windowTitle(), u"Tessel Debug Information"_s);
    const auto *text = window.findChild<QPlainTextEdit *>(u"Debug"_s);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
}

} // namespace
