#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "controls/ControlHelpers.h"
#include "controls/KeyPressFilter.h"
#include "tests/support/ScriptedMessageBoxes.h"

using namespace tessel;
using tessel::test::ScriptedMessageBoxes;

TEST(GetCheck, ReadsCheckBoxesAndOptionButtons)
{
    ScriptedMessageBoxes boxes;
    QCheckBox check;
    check.setTristate(true);
    EXPECT_FALSE(GetCheck(&check, boxes));
    check.setCheckState(Qt::Checked);
    EXPECT_TRUE(GetCheck(&check, boxes));
    check.setCheckState(Qt::PartiallyChecked);
    EXPECT_TRUE(GetCheck(&check, boxes, true));
    EXPECT_FALSE(GetCheck(&check, boxes, false));

    QRadioButton option;
    EXPECT_FALSE(GetCheck(&option, boxes));
    option.setChecked(true);
    EXPECT_TRUE(GetCheck(&option, boxes));
    EXPECT_TRUE(boxes.shown.isEmpty());
}

TEST(GetCheck, ReportsMisuseUntranslatedAndAnswersFalse)
{
    ScriptedMessageBoxes boxes;
    QCheckBox grey;
    grey.setTristate(true);
    grey.setCheckState(Qt::PartiallyChecked);
    EXPECT_FALSE(GetCheck(&grey, boxes));

    QPushButton button;
    EXPECT_FALSE(GetCheck(&button, boxes));

    ASSERT_EQ(boxes.shown.size(), 2);
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("GetCheck: Tristate control value not provided."));
    EXPECT_EQ(boxes.shown[1].text,
              QStringLiteral("GetCheck: Tried to use GetCheck() with an inappropriate control."));
    for (const auto &box : boxes.shown) {
        EXPECT_EQ(box.title, QStringLiteral("Internal Error"));
        EXPECT_EQ(box.style, MsgBoxStyle::OkOnly);
    }
}

TEST(SelectListItem, SelectsTheFirstExactMatchOnly)
{
    QComboBox list;
    list.addItems({QStringLiteral("Roads"), QStringLiteral("Rivers"), QStringLiteral("Roads")});
    list.setCurrentIndex(-1);
    SelectListItem(&list, QStringLiteral("roads"));
    EXPECT_EQ(list.currentIndex(), -1);
    SelectListItem(&list, QStringLiteral("Roads"));
    EXPECT_EQ(list.currentIndex(), 0);
    SelectListItem(&list, QStringLiteral("Lakes"));
    EXPECT_EQ(list.currentIndex(), 0);
}

TEST(CentreForm, CentresOverTheOwnerButNeverOffTheScreenEdge)
{
    QWidget owner;
    owner.setGeometry(100, 100, 400, 300);
    QDialog dialog;
    dialog.resize(200, 100);
    CentreForm(&dialog, &owner);
    const QRect ownerFrame = owner.frameGeometry();
    EXPECT_EQ(dialog.pos().x(), ownerFrame.left() + (ownerFrame.width() - dialog.frameGeometry().width()) / 2);

    QWidget small;
    small.setGeometry(0, 0, 50, 40);
    dialog.resize(600, 500);
    CentreForm(&dialog, &small);
    EXPECT_EQ(dialog.pos(), QPoint(0, 0));
}

TEST(DisableInputs, DisablesEverythingButCommandButtonsOfTheDialogItself)
{
    QDialog dialog;
    auto *frame = new QGroupBox(&dialog);
    auto *label = new QLabel(frame);
    auto *text = new QLineEdit(frame);
    auto *check = new QCheckBox(frame);
    auto *option = new QRadioButton(frame);
    auto *list = new QComboBox(&dialog);
    auto *ok = new QPushButton(&dialog);
    auto *inFrame = new QPushButton(frame);
    auto *ownedWindow = new QDialog(&dialog);
    auto *ownedText = new QLineEdit(ownedWindow);

    DisableInputs(&dialog);

    for (QWidget *input : {static_cast<QWidget *>(frame), static_cast<QWidget *>(label),
                           static_cast<QWidget *>(text), static_cast<QWidget *>(check),
                           static_cast<QWidget *>(option), static_cast<QWidget *>(list)})
        EXPECT_FALSE(input->isEnabled()) << input->metaObject()->className();
    EXPECT_TRUE(ok->isEnabled());
    EXPECT_FALSE(inFrame->testAttribute(Qt::WA_ForceDisabled)) << "buttons are left to callers";
    EXPECT_TRUE(ownedText->isEnabled());
}

TEST(KeyPressFilter, TypedKeysPassThroughTheHandler)
{
    QLineEdit box;
    KeyPressFilter::install(&box, NumericKeyFilter);
    box.show();
    box.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&box));

    QTest::keyClicks(&box, QStringLiteral("1a-2. 3x"));
    EXPECT_EQ(box.text(), QStringLiteral("123"));
    QTest::keyClick(&box, Qt::Key_Backspace);
    EXPECT_EQ(box.text(), QStringLiteral("12"));
    QTest::keyClick(&box, Qt::Key_Left);
    QTest::keyClick(&box, Qt::Key_Delete);
    EXPECT_EQ(box.text(), QStringLiteral("1"));
    QKeyEvent accented(QEvent::KeyPress, Qt::Key_Eacute, Qt::NoModifier, QStringLiteral("é"));
    QApplication::sendEvent(&box, &accented);
    QTest::keyClick(&box, Qt::Key_9);
    EXPECT_EQ(box.text(), QStringLiteral("19"));
}

TEST(Twips, FifteenTwipsMakeAPixel)
{
    EXPECT_EQ(TwipsRect(120, 360, 3975, 1380), QRect(8, 24, 265, 92));
    EXPECT_EQ(TwipsToPixels(682), 45);
    EXPECT_EQ(TwipsToPixels(1005), 67);
}

TEST(BusyCursor, ShowsTheWaitCursorWhileItLivesAndRestoresTheCursorBefore)
{
    ASSERT_EQ(QGuiApplication::overrideCursor(), nullptr);
    {
        const BusyCursor outer;
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        QGuiApplication::setOverrideCursor(Qt::IBeamCursor);
        {
            const BusyCursor inner;
            EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        }
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::IBeamCursor);
        QGuiApplication::restoreOverrideCursor();
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}
