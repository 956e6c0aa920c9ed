#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>

#include "controls/ControlHelpers.h"
#include "dialogs/frmDemandConfig.h"
#include "tests/support/DesignCheck.h"
#include "tests/support/DialogFixture.h"

using namespace tessel;
using namespace tessel::test;
using namespace Qt::StringLiterals;

namespace {

using DemandConfigDesign = DialogFixture;

TEST_F(DemandConfigDesign, ControlsStandWhereTheDesignPutsThem)
{
    frmDemandConfig dialog(session);
    expectDesign(dialog, {
        {"Label1", "frmDemandConfig", {120, 120, 2775, 255}, u"Data Source Name:"_s},
        {"txtName", "frmDemandConfig", {120, 360, 3615, 285}, {}},
        {"Label2", "frmDemandConfig", {120, 720, 1335, 255}, u"Description:"_s},
        {"txtDescription", "frmDemandConfig", {120, 960, 3615, 285}, {}},
        {"cmdOK", "frmDemandConfig", {3795, 360, 1020, 375}, u"&OK"_s},
        {"cmdCancel", "frmDemandConfig", {3780, 840, 1035, 375}, u"&Cancel"_s},
        {"Frame3D1", "frmDemandConfig", {120, 1320, 4695, 2055}, u"Source"_s},
        {"Label3", "Frame3D1", {240, 360, 1455, 255}, u"DLD File:"_s},
        {"txtDLD", "Frame3D1", {240, 600, 2775, 285}, {}},
        {"cmdBrowse", "Frame3D1", {1530, 240, 1485, 315}, u"Browse..."_s},
        {"cmdDLD", "Frame3D1", {3240, 480, 1335, 375}, u"DLD Builder..."_s},
        {"Label4", "Frame3D1", {240, 960, 735, 255}, u"Entity:"_s},
        {"Label5", "Frame3D1", {240, 1680, 855, 255}, u"Source ID:"_s},
        {"txtID", "Frame3D1", {1200, 1650, 735, 315}, {}},
        {"chkAutoID", "Frame3D1", {2160, 1605, 1290, 375}, u"Automatic"_s},
        {"chkReadOnly", "Frame3D1", {3495, 1680, 1095, 255}, u"Read Only"_s},
        {"cmdOptions", "Frame3D1", {3240, 1200, 1335, 375}, u"O&ptions..."_s},
    });

    // The drop-down list is placed by its left, top and width; its height
    // follows its font.
    const auto *entities = dialog.findChild<QComboBox *>(u"cmbEntities"_s);
    ASSERT_NE(entities, nullptr);
    EXPECT_EQ(entities->parentWidget()->objectName(), u"Frame3D1"_s);
    const QRect designed = TwipsRect(240, 1200, 2775, 0);
    EXPECT_EQ(entities->pos(), designed.topLeft());
    EXPECT_EQ(entities->width(), designed.width());
    EXPECT_FALSE(entities->isEditable());

    expectFixedClientArea(dialog, {4890, 3480});
    EXPECT_FALSE(dialog.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(dialog.windowTitle(), u"Configure Demand Load Datasource"_s);
    for (const char *label : {"Label2", "Label4"}) {
        SCOPED_TRACE(label);
        const QFont font = dialog.findChild<QLabel *>(QLatin1String(label))->font();
        EXPECT_EQ(font.family(), u"MS Sans Serif"_s);
        EXPECT_DOUBLE_EQ(font.pointSizeF(), 8.25);
    }
}

} // namespace
