#include "tests/support/DesignCheck.h"

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QWidget>

#include "controls/ControlHelpers.h"
#include "tests/support/QtPrinting.h"

namespace tessel::test {

void expectDesign(const QWidget &window, const QList<DesignedControl> &design)
{
    for (const DesignedControl &designed : design) {
        SCOPED_TRACE(designed.name);
        const auto *control = window.findChild<QWidget *>(QLatin1String(designed.name));
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->parentWidget()->objectName(), QLatin1String(designed.container));
        const QRect &t = designed.twips;
        EXPECT_EQ(control->geometry(), TwipsRect(t.x(), t.y(), t.width(), t.height()));
        const auto *frame = qobject_cast<const QGroupBox *>(control);
        EXPECT_EQ(frame ? frame->title() : control->property("text").toString(), designed.caption);
    }
}

void expectFixedClientArea(const QWidget &window, QSize clientTwips)
{
    EXPECT_EQ(window.size(), TwipsRect(0, 0, clientTwips.width(), clientTwips.height()).size());
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    EXPECT_EQ(window.font().family(), QLatin1String("Arial"));
    EXPECT_DOUBLE_EQ(window.font().pointSizeF(), 8.25);
}

} // namespace tessel::test
