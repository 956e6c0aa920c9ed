#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

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

    static QLineEdit *box(frmOptions &form, const char *name) { return child<QLineEdit>(form, name); }

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
        session.CurrentSrcName = u"Roads"_s;
    }
};

} // namespace

TEST_F(OptionsDialogTest, NewRecordShowsTheInitialValuesAndSavesThem)
{
    OptionsHolder options(session);
    frmOptions &form = options.form();

    EXPECT_EQ(form.windowTitle(), u"Options"_s);
    EXPECT_EQ(form.txtPriority()->text(), u"127"_s);
    EXPECT_TRUE(form.chkAllScales()->isChecked());
    EXPECT_FALSE(form.chkAuto()->isChecked());
    for (QLineEdit *scale : {form.txtMinScale(), form.txtMaxScale(), form.txtOverViewScale()}) {
        EXPECT_EQ(scale->text(), u"0"_s);
        EXPECT_FALSE(scale->isEnabled());
    }
    EXPECT_EQ(displayValues(options),
              (QStringList{u"AutoConnect=0"_s, u"Scales=0,0,0"_s, u"Priority=127"_s}));
}

TEST_F(OptionsDialogTest, StoredValuesAreShownAsNumbers)
{
    openRecord("Scales=0,0,0500\r\nPriority=0200 high\r\nAutoConnect=2\r\n");
    OptionsHolder options(session);
    frmOptions &form = options.form();

    EXPECT_TRUE(form.chkAllScales()->isChecked());
    EXPECT_FALSE(form.txtMinScale()->isEnabled());
    EXPECT_EQ(form.txtOverViewScale()->text(), u"500"_s);
    EXPECT_EQ(displayValues(options),
              (QStringList{u"AutoConnect=1"_s, u"Scales=0,0,500"_s, u"Priority=200"_s}));
}

TEST_F(OptionsDialogTest, ARangeOfScalesEnablesTheScaleBoxes)
{
    for (const QByteArray &scales : {QByteArray("100,200,0"), QByteArray("250")}) {
        openRecord("Scales=" + scales + "\r\n");
        OptionsHolder options(session);
        frmOptions &form = options.form();

        EXPECT_FALSE(form.chkAllScales()->isChecked()) << scales.constData();
        for (QLineEdit *scale : {form.txtMinScale(), form.txtMaxScale(), form.txtOverViewScale()})
            EXPECT_TRUE(scale->isEnabled()) << scales.constData();
    }
}

TEST_F(OptionsDialogTest, AllScalesWritesZerosButKeepsTheTypedRange)
{
    OptionsHolder options(session);
    ASSERT_TRUE(editAndClose(options, [](frmOptions &form) {
        clickButton(form.chkAllScales());
        replaceText(form.txtMinScale(), u"1a0x0"_s);
        replaceText(form.txtMaxScale(), u"2-0.0"_s);
    }, "cmdOK"));
    EXPECT_EQ(options.form().Tag(), TagOk);
    EXPECT_EQ(displayValues(options)[1], u"Scales=100,200,0"_s);

    ASSERT_TRUE(editAndClose(options, [](frmOptions &form) { clickButton(form.chkAllScales()); },
                             "cmdOK"));
    frmOptions &form = options.form();
    EXPECT_EQ(displayValues(options)[1], u"Scales=0,0,0"_s);
    EXPECT_EQ(form.txtMinScale()->text(), u"100"_s);
    EXPECT_EQ(form.txtMaxScale()->text(), u"200"_s);
    EXPECT_FALSE(form.txtMaxScale()->isEnabled());
}

TEST_F(OptionsDialogTest, NumberBoxesTakeOnlyDigitsAndBackspace)
{
    OptionsHolder options(session);
    frmOptions &form = options.form();
    form.chkAllScales()->setChecked(false);
    QGuiApplication::clipboard()->setText(u"42"_s);

    for (const char *name : {"txtMinScale", "txtMaxScale", "txtOverViewScale", "txtPriority"}) {
        QLineEdit *number = box(form, name);
        replaceText(number, u"3x0 0.-é"_s);
        QTest::keyClick(number, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(number->text(), u"300"_s) << name;
        QTest::keyClick(number, Qt::Key_Backspace);
        EXPECT_EQ(number->text(), u"30"_s) << name;
    }
    EXPECT_EQ(displayValues(options)[2], u"Priority=30"_s);
}

TEST_F(OptionsDialogTest, CancelRestoresTheStoredValuesOfARecord)
{
    openRecord("Scales=100,200,300\r\nPriority=5\r\n");
    OptionsHolder options(session);
    ASSERT_TRUE(editAndClose(options, [](frmOptions &form) {
        clickButton(form.chkAllScales());
        replaceText(form.txtPriority(), u"99"_s);
        clickButton(form.chkAuto());
    }, "cmdCancel"));

    EXPECT_EQ(options.form().Tag(), TagCancel);
    EXPECT_TRUE(options.form().txtMinScale()->isEnabled());
    EXPECT_EQ(displayValues(options),
              (QStringList{u"AutoConnect=0"_s, u"Scales=100,200,300"_s, u"Priority=5"_s}));
}

TEST_F(OptionsDialogTest, CancelKeepsTheEditsOfANewRecord)
{
    OptionsHolder options(session);
    ASSERT_TRUE(editAndClose(options, [](frmOptions &form) {
        replaceText(form.txtPriority(), u"300"_s);
        clickButton(form.chkAuto());
    }, "cmdCancel"));

    EXPECT_EQ(displayValues(options),
              (QStringList{u"AutoConnect=1"_s, u"Scales=0,0,0"_s, u"Priority=300"_s}));
}

TEST_F(OptionsDialogTest, TheCloseBoxDiscardsTheEditsEvenOfANewRecord)
{
    for (const QString &name : {NewRecordMarker, u"Roads"_s}) {
        writeRegistry("[Roads]\r\nPriority=7\r\n");
        session.CurrentSrcName = name;
        OptionsHolder options(session, OptionsHolder::OverviewRow::Hidden);
        const QString storedPriority = options.form().txtPriority()->text();
        ASSERT_TRUE(runModal<frmOptions>([&options] { options.show(); }, [](frmOptions &form) {
            replaceText(form.txtPriority(), u"300"_s);
            form.close();
        }));

        EXPECT_EQ(options.form().txtPriority()->text(), storedPriority);
        EXPECT_TRUE(options.form().txtOverViewScale()->isHidden()) << "reloaded without its row";
    }
}

TEST_F(OptionsDialogTest, OverviewRowIsHiddenOnlyForOwnersWithoutOne)
{
    openRecord("Scales=0,0,500\r\n");
    {
        OptionsHolder native(session, OptionsHolder::OverviewRow::Hidden);
        frmOptions &form = native.form();
        for (QWidget *row : QList<QWidget *>{form.lblOverviewScale(), form.lblOverview1(),
                                             form.txtOverViewScale()})
            EXPECT_TRUE(row->isHidden()) << row->objectName().toStdString();
        EXPECT_EQ(displayValues(native)[1], u"Scales=0,0,500"_s);
    }
    OptionsHolder demandLoad(session);
    EXPECT_FALSE(demandLoad.form().txtOverViewScale()->isHidden());
}

TEST_F(OptionsDialogTest, LockedRecordLeavesOnlyCancelUsable)
{
    openRecord("Private=9\r\nScales=100,200,0\r\n");
    OptionsHolder options(session);
    frmOptions &form = options.form();

    const QList<QWidget *> controls = form.findChildren<QWidget *>();
    for (QWidget *control : controls) {
        if (control->objectName() != u"cmdCancel"_s) {
            EXPECT_FALSE(control->isEnabled()) << control->objectName().toStdString();
        }
    }
    EXPECT_TRUE(child<QPushButton>(form, "cmdCancel")->isEnabled());
    ASSERT_TRUE(editAndClose(options, [](frmOptions &) {}, "cmdCancel"));
    EXPECT_FALSE(form.txtMinScale()->isEnabled());
    EXPECT_FALSE(child<QPushButton>(form, "cmdOK")->isEnabled());
}
