#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QTest>

#include "dialogs/OptionsHolder.h"
#include "dialogs/frmDemandConfig.h"
#include "dialogs/frmOptions.h"
#include "tests/support/DialogFixture.h"

using namespace tessel;
using namespace tessel::test;

namespace {

// The number boxes take digits only, yet Tab and Shift+Tab still move the
// focus on and back, so that the windows can be worked by keyboard alone.
class NumberBoxFocus : public DialogFixture
{
protected:
    static void showActive(QWidget &window)
    {
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    // Puts the focus in the box and presses key there; returns the
    // objectName of the control that has the focus afterwards.
    static QString focusAfter(QWidget &window, const char *box, Qt::Key key)
    {
        QLineEdit *number = child<QLineEdit>(window, box);
        number->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(number, key);
        const QWidget *focused = QApplication::focusWidget();
        return focused ? focused->objectName() : QString();
    }
};

TEST_F(NumberBoxFocus, TabLeavesTheScaleAndPriorityBoxes)
{
    OptionsHolder options(session);
    frmOptions &form = options.form();
    form.chkAllScales()->setChecked(false);
    showActive(form);

    EXPECT_EQ(focusAfter(form, "txtMinScale", Qt::Key_Tab), QStringLiteral("txtMaxScale"));
    EXPECT_EQ(focusAfter(form, "txtMaxScale", Qt::Key_Backtab), QStringLiteral("txtMinScale"));
    EXPECT_EQ(focusAfter(form, "txtPriority", Qt::Key_Tab), QStringLiteral("chkAuto"));
    EXPECT_EQ(child<QLineEdit>(form, "txtPriority")->text(), QStringLiteral("127"));
    form.hide();
}

TEST_F(NumberBoxFocus, TabLeavesTheSourceNumberBox)
{
    frmDemandConfig dialog(session);
    showActive(dialog);
    EXPECT_EQ(focusAfter(dialog, "txtID", Qt::Key_Tab), QStringLiteral("chkAutoID"));
    EXPECT_TRUE(child<QLineEdit>(dialog, "txtID")->text().isEmpty());
    dialog.hide();
}

} // namespace
