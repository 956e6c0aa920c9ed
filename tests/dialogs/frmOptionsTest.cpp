#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QContextMenuEvent>
#include <QMimeData>
#include <QTimer>

#include <functional>
#include <limits>

#include "dialogs/OptionsHolder.h"
#include "dialogs/frmOptions.h"
#include "registry/DataSourceRecord.h"
#include "tests/support/DialogFixture.h"

using namespace tessel;
using namespace tessel::test;
using namespace Qt::StringLiterals;

namespace {

class OptionsDialogTest : public DialogFixture
{
protected:
    // The three display keys that a save would write, as key=value.
    static QStringList displayValues(OptionsHolder &options)
    {
        RecordValues values;
        options.fillDisplayValues(values);
        return {u"AutoConnect="_s + values[RecordKey::AutoConnect],
                u"Scales="_s + values[RecordKey::Scales],
                u"Priority="_s + values[RecordKey::Priority]};
    }

    static QList<QLineEdit *> scaleBoxes(frmOptions &form)
    {
        return {child<QLineEdit>(form, "txtMinScale"), child<QLineEdit>(form, "txtMaxScale"), child<QLineEdit>(form, "txtOverViewScale")};
    }

    // Shows the options modal and confirms them with button after edit.
    bool editAndClose(OptionsHolder &options, const std::function<void(frmOptions &)> &edit,
                      const char *button)
    {
        return runModal<frmOptions>([&options] { options.show(); }, [&](frmOptions &form) {
            edit(form);
            clickButton(child<QPushButton>(form, button));
        });
    }

    void openRecord(const QByteArray &section)
    {
        writeRegistry("[Roads]\r\n" + section);
        recordName = u"Roads"_s;
    }
};

} // namespace

TEST_F(OptionsDialogTest, NewRecordStartsWithAllScalesAndTheMiddlePriority)
{
    OptionsHolder options(session, recordName, &mainWindow);
    for (QLineEdit *scale : scaleBoxes(options.form()))
        EXPECT_FALSE(scale->isEnabled()) << scale->objectName().toStdString();
    EXPECT_EQ(displayValues(options),
              (QStringList{u"AutoConnect=0"_s, u"Scales=0,0,0"_s, u"Priority=127"_s}));
}

TEST_F(OptionsDialogTest, StoredValuesAreShownAsNumbersAndARangeEnablesTheScaleBoxes)
{
    openRecord("Scales=0,0,0500\r\nPriority=0200 high\r\nAutoConnect=2\r\n");
    {
        OptionsHolder options(session, recordName, &mainWindow);
        EXPECT_TRUE(child<QCheckBox>(options.form(), "chkAllScales")->isChecked());
        EXPECT_FALSE(child<QLineEdit>(options.form(), "txtMinScale")->isEnabled());
        EXPECT_EQ(displayValues(options),
                  (QStringList{u"AutoConnect=1"_s, u"Scales=0,0,500"_s, u"Priority=200"_s}));
    }
    for (const QByteArray &scales : {QByteArray("100,200,0"), QByteArray("250")}) {
        openRecord("Scales=" + scales + "\r\n");
        OptionsHolder options(session, recordName, &mainWindow);
        EXPECT_FALSE(child<QCheckBox>(options.form(), "chkAllScales")->isChecked()) << scales.constData();
        for (QLineEdit *scale : scaleBoxes(options.form()))
            EXPECT_TRUE(scale->isEnabled()) << scales.constData();
    }
}

TEST_F(OptionsDialogTest, AllScalesWritesZerosButKeepsTheTypedRange)
{
    OptionsHolder options(session, recordName, &mainWindow);
    ASSERT_TRUE(editAndClose(options, [](frmOptions &form) {
        clickButton(child<QCheckBox>(form, "chkAllScales"));
        replaceText(child<QLineEdit>(form, "txtMinScale"), u"1a0x0"_s);
        replaceText(child<QLineEdit>(form, "txtMaxScale"), u"2-0.0"_s);
    }, "cmdOK"));
    EXPECT_EQ(options.form().Tag(), TagOk);
    EXPECT_EQ(displayValues(options)[1], u"Scales=100,200,0"_s);

    ASSERT_TRUE(editAndClose(options, [](frmOptions &form) { clickButton(child<QCheckBox>(form, "chkAllScales")); },
                             "cmdOK"));
    frmOptions &form = options.form();
    EXPECT_EQ(displayValues(options)[1], u"Scales=0,0,0"_s);
    EXPECT_EQ(child<QLineEdit>(form, "txtMinScale")->text(), u"100"_s);
    EXPECT_EQ(child<QLineEdit>(form, "txtMaxScale")->text(), u"200"_s);
    EXPECT_FALSE(child<QLineEdit>(form, "txtMaxScale")->isEnabled());
}

// However text arrives in a number box (typed, pasted by key or by the
// context menu, dropped), an edit that adds anything but digits is refused
// whole; digits get in. The paste shortcut is a key the filter discards.
TEST_F(OptionsDialogTest, NumberBoxesTakeOnlyDigitsHoweverTextArrives)
{
    OptionsHolder options(session, recordName, &mainWindow);
    frmOptions &form = options.form();
    child<QCheckBox>(form, "chkAllScales")->setChecked(false);
    const auto pasteByMenu = [](QLineEdit *box) {
        QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(2, 2), box->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(box, &event);
        QWidget *menu = QApplication::activePopupWidget();
        ASSERT_NE(menu, nullptr);
        QTest::keyClick(menu, Qt::Key_P); // "&Paste"
    };
    const auto drop = [](QLineEdit *box) {
        QMimeData data;
        data.setText(QGuiApplication::clipboard()->text());
        const QPoint end(box->width() - 2, box->height() / 2);
        QDragEnterEvent enter(end, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(box, &enter);
        QDropEvent dropped(end, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(box, &dropped);
    };
    const struct
    {
        const char *way;
        std::function<void(QLineEdit *)> bring;
        QString afterDigits;
    } ways[] = {
        {"Ctrl+V", [](QLineEdit *box) { QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier); }, u"30"_s},
        {"Shift+Insert", [](QLineEdit *box) { QTest::keyClick(box, Qt::Key_Insert, Qt::ShiftModifier); },
         u"3042"_s},
        {"context menu", pasteByMenu, u"3042"_s},
        {"drop", drop, u"3042"_s},
    };
    const QList<QLineEdit *> numberBoxes = scaleBoxes(form) << child<QLineEdit>(form, "txtPriority");
    for (const auto &way : ways) {
        for (QLineEdit *number : numberBoxes) {
            SCOPED_TRACE(way.way + QString(u" into "_s + number->objectName()).toStdString());
            replaceText(number, u"30"_s);
            number->setFocus();
            QGuiApplication::clipboard()->setText(u"4x2"_s);
            way.bring(number);
            EXPECT_EQ(number->text(), u"30"_s);
            QGuiApplication::clipboard()->setText(u"42"_s);
            number->end(false);
            way.bring(number);
            EXPECT_EQ(number->text(), way.afterDigits);
        }
    }
    EXPECT_EQ(displayValues(options)[2], u"Priority=3042"_s);
}

// A stored number too large for a double is shown, and so saved, as the
// largest double of its sign; a stored sign or fraction stays until the user
// removes it, and the user adds digits only.
TEST_F(OptionsDialogTest, StoredNumbersBeyondADoubleAreHeldToTheLargestDouble)
{
    const QByteArray huge(400, '9');
    const QString largest = DecimalText(std::numeric_limits<double>::max());
    openRecord("Scales=" + huge + ",5,-" + huge + "\r\nPriority=" + huge + "\r\n");
    {
        OptionsHolder options(session, recordName, &mainWindow);
        EXPECT_EQ(child<QLineEdit>(options.form(), "txtPriority")->text(), largest);
        EXPECT_EQ(displayValues(options),
                  (QStringList{u"AutoConnect=0"_s, u"Scales="_s + largest + u",5,-"_s + largest,
                               u"Priority="_s + largest}));
    }
    openRecord("Scales=1.5,-3,0\r\n");
    OptionsHolder options(session, recordName, &mainWindow);
    QLineEdit *minimum = child<QLineEdit>(options.form(), "txtMinScale");
    QLineEdit *maximum = child<QLineEdit>(options.form(), "txtMaxScale");
    EXPECT_EQ(displayValues(options)[1], u"Scales=1.5,-3,0"_s);
    QGuiApplication::clipboard()->setText(u"-"_s);
    minimum->setFocus();
    QTest::keyClick(minimum, Qt::Key_Insert, Qt::ShiftModifier);
    typeText(minimum, u"7"_s);
    maximum->setFocus();
    maximum->home(false);
    QTest::keyClick(maximum, Qt::Key_Delete);
    QTest::keyClick(maximum, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(displayValues(options)[1], u"Scales=1.57,3,0"_s);
}

// Cancel goes back to the stored values of a record, but a new record has
// none to go back to; the close box unloads the window and so drops the edits
// of either.
TEST_F(OptionsDialogTest, CancelAndTheCloseBoxDropEditsAsTheRecordAllows)
{
    const auto edit = [](frmOptions &form) {
        clickButton(child<QCheckBox>(form, "chkAllScales"));
        replaceText(child<QLineEdit>(form, "txtPriority"), u"99"_s);
        clickButton(child<QCheckBox>(form, "chkAuto"));
    };
    {
        OptionsHolder options(session, recordName, &mainWindow);
        ASSERT_TRUE(editAndClose(options, edit, "cmdCancel"));
        EXPECT_EQ(options.form().Tag(), TagCancel);
        EXPECT_EQ(displayValues(options),
                  (QStringList{u"AutoConnect=1"_s, u"Scales=0,0,0"_s, u"Priority=99"_s}));
    }
    openRecord("Scales=100,200,300\r\nPriority=5\r\n");
    {
        OptionsHolder options(session, recordName, &mainWindow);
        ASSERT_TRUE(editAndClose(options, edit, "cmdCancel"));
        EXPECT_TRUE(child<QLineEdit>(options.form(), "txtMinScale")->isEnabled());
        EXPECT_EQ(displayValues(options),
                  (QStringList{u"AutoConnect=0"_s, u"Scales=100,200,300"_s, u"Priority=5"_s}));
    }
    for (const QString &name : {NewRecordMarker, u"Roads"_s}) {
        recordName = name;
        OptionsHolder options(session, recordName, &mainWindow, OptionsHolder::OverviewRow::Hidden);
        const QStringList stored = displayValues(options);
        ASSERT_TRUE(runModal<frmOptions>([&options] { options.show(); }, [&](frmOptions &form) {
            edit(form);
            form.close();
        }));
        EXPECT_EQ(displayValues(options), stored) << name.toStdString();
        EXPECT_TRUE(child<QLineEdit>(options.form(), "txtOverViewScale")->isHidden()) << "reloaded without its row";
    }
}

TEST_F(OptionsDialogTest, LockedRecordLeavesOnlyCancelUsable)
{
    openRecord("Private=9\r\nScales=100,200,0\r\n");
    OptionsHolder options(session, recordName, &mainWindow);
    frmOptions &form = options.form();
    EXPECT_EQ(enabledControls(form), QStringList{u"cmdCancel"_s});
    // Cancel reloads the stored values and, with them, the lock.
    ASSERT_TRUE(editAndClose(options, [](frmOptions &) {}, "cmdCancel"));
    EXPECT_FALSE(child<QLineEdit>(form, "txtMinScale")->isEnabled());
    EXPECT_FALSE(child<QPushButton>(form, "cmdOK")->isEnabled());
}
