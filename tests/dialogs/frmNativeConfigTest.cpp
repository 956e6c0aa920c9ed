#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "dialogs/frmNativeConfig.h"
#include "dialogs/frmOptions.h"
#include "i18n/Messages.h"
#include "platform/MessageBoxes.h"
#include "tests/support/DialogFixture.h"

using namespace tessel;
using namespace tessel::test;
using namespace Qt::StringLiterals;

namespace {

class NativeDialogTest : public DialogFixture
{
protected:
    void openRecord(const QString &name, const QByteArray &keys)
    {
        writeRegistry('[' + name.toUtf8() + "]\r\n" + keys);
        session.CurrentSrcName = name;
    }

    template<typename W = QCheckBox>
    W *control(const frmNativeConfig &dialog, const char *name) const
    {
        return child<W>(dialog, name);
    }

    // Shows the dialog modal, runs interaction and then presses button.
    bool runAndPress(frmNativeConfig &dialog, const char *button,
                     const std::function<void()> &interaction = [] {})
    {
        return execModal(dialog, [&] {
            interaction();
            clickButton(control<QPushButton>(dialog, button));
        });
    }
};

const QStringList NewRoadsRecord = {
    u"Type=1"_s,         u"Description="_s,  u"Connect=RDS1"_s, u"ReadOnly=0"_s,
    u"ID=Auto"_s,        u"Attributes=3"_s,  u"Capabilities=15"_s, u"AutoConnect=0"_s,
    u"Scales=0,0,0"_s,   u"Priority=127"_s,  u"Private=8"_s};

} // namespace

TEST(FilterNameKey, KeepsLettersDigitsUnderscoreAndControlKeys)
{
    for (const int key : {int('a'), int('z'), int('A'), int('Z'), int('0'), int('9'), int('_'), 8, 22, 1}) {
        EXPECT_EQ(FilterNameKey(key, false), key) << key;
        EXPECT_EQ(FilterNameKey(key, true), key) << key;
    }
    EXPECT_EQ(FilterNameKey(' ', true), ' ');
    EXPECT_EQ(FilterNameKey(' ', false), 0);
    for (const int key : {int('-'), int('!'), int(']'), int('.'), int('@'), int('['), int('`'),
                          int('{'), 127, 0xE9, 0xC0, 0x8A})
        EXPECT_EQ(FilterNameKey(key, true), 0) << key;
}

TEST_F(NativeDialogTest, NewRecordIsWrittenWithEveryKeyInTheFixedOrder)
{
    frmNativeConfig dialog(session);
    EXPECT_EQ(dialog.Tag(), TagCancel);
    EXPECT_EQ(dialog.windowTitle(), u"Configure Native Data Source"_s);

    ASSERT_TRUE(runAndPress(dialog, "cmdOK", [&] {
        QTest::keyClicks(control<QLineEdit>(dialog, "txtName"), u"Roads"_s);
        QTest::keyClicks(control<QLineEdit>(dialog, "txtStorage"), u"RDS1"_s);
    }));

    EXPECT_EQ(dialog.Tag(), TagOk);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(entriesOf(u"Roads"_s), NewRoadsRecord);
    EXPECT_TRUE(messageBoxes.shown.isEmpty());
}

TEST_F(NativeDialogTest, NewRasterRecordIsABackdropWithoutCreationAndExport)
{
    session.NativeSrcType = 2;
    frmNativeConfig dialog(session);

    EXPECT_EQ(dialog.windowTitle(), u"Configure Native Raster Data Source"_s);
    EXPECT_TRUE(control<QRadioButton>(dialog, "optBackdrop")->isChecked());
    for (const char *option : {"optReadOnly", "optEditable"})
        EXPECT_FALSE(control<QRadioButton>(dialog, option)->isEnabled()) << option;
    for (const char *box : {"chkCreate", "chkExport"}) {
        EXPECT_FALSE(control(dialog, box)->isChecked()) << box;
        EXPECT_FALSE(control(dialog, box)->isEnabled()) << box;
    }
    ASSERT_TRUE(runAndPress(dialog, "cmdOK", [&] {
        typeText(control<QLineEdit>(dialog, "txtName"), u"Roads"_s);
        typeText(control<QLineEdit>(dialog, "txtStorage"), u"RDS1"_s);
    }));
    EXPECT_EQ(readKey(u"Roads"_s, u"Type"_s), u"2"_s);
    EXPECT_EQ(readKey(u"Roads"_s, u"Attributes"_s), u"1"_s);
    EXPECT_EQ(readKey(u"Roads"_s, u"Capabilities"_s), u"6"_s);
}

TEST_F(NativeDialogTest, TypedKeysPassTheNameAndStorageFilters)
{
    frmNativeConfig dialog(session);
    auto *name = control<QLineEdit>(dialog, "txtName");
    auto *storage = control<QLineEdit>(dialog, "txtStorage");
    for (QLineEdit *box : {name, storage}) {
        typeText(box, u"a-b c!é"_s);
        QTest::keyClick(box, Qt::Key_Backspace);
    }
    EXPECT_EQ(name->text(), u"ab "_s);
    EXPECT_EQ(storage->text(), u"ab"_s);

    replaceText(name, QString(60, u'n'));
    replaceText(storage, u"ABCDEFGHIJKL"_s);
    EXPECT_EQ(name->text().size(), 50);
    EXPECT_EQ(storage->text(), u"ABCDEFGH"_s);

    // Pasted text is not filtered, but the storage box still takes at most 8.
    QGuiApplication::clipboard()->setText(u"x-y z.1234567"_s);
    for (QLineEdit *box : {name, storage}) {
        box->clear();
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    }
    EXPECT_EQ(name->text(), u"x-y z.1234567"_s);
    EXPECT_EQ(storage->text(), u"x-y z.12"_s);
    EXPECT_EQ(control<QLineEdit>(dialog, "txtDescription")->maxLength(),
              QLineEdit().maxLength()) << "the description box has no limit";
}

TEST_F(NativeDialogTest, OkNeedsANameAndAStorageBesideBlanks)
{
    frmNativeConfig dialog(session);
    auto *ok = control<QPushButton>(dialog, "cmdOK");
    auto *name = control<QLineEdit>(dialog, "txtName");
    auto *storage = control<QLineEdit>(dialog, "txtStorage");
    EXPECT_FALSE(ok->isEnabled());

    typeText(name, u"   "_s);
    typeText(storage, u"RDS1"_s);
    EXPECT_FALSE(ok->isEnabled());
    typeText(name, u"Roads "_s);
    EXPECT_TRUE(ok->isEnabled());
    storage->clear();
    EXPECT_FALSE(ok->isEnabled());
    typeText(storage, u"RDS1"_s);

    ASSERT_TRUE(runAndPress(dialog, "cmdOK"));
    EXPECT_EQ(sectionNames(), QStringList{u"Roads"_s});
}

TEST_F(NativeDialogTest, NamesTheFileCannotCarryAreRefusedAndNothingIsWritten)
{
    openRecord(u"Old"_s, "Type=1\r\nConnect=OLD\r\n");
    const QByteArray before = registryBytes();
    frmNativeConfig dialog(session);
    auto *name = control<QLineEdit>(dialog, "txtName");

    ASSERT_TRUE(execModal(dialog, [&] {
        for (const QString &pasted : {u"A]B"_s, NewRecordMarker, u"\t"_s}) {
            name->clear();
            QGuiApplication::clipboard()->setText(pasted);
            QTest::keyClick(name, Qt::Key_V, Qt::ControlModifier);
            ASSERT_EQ(name->text(), pasted);
            clickButton(control<QPushButton>(dialog, "cmdOK"));
            EXPECT_TRUE(dialog.isVisible()) << "the dialog stays open";
            EXPECT_EQ(dialog.Tag(), TagOk);
        }
        clickButton(control<QPushButton>(dialog, "cmdCancel"));
    }));

    EXPECT_EQ(dialog.Tag(), TagCancel);
    EXPECT_EQ(registryBytes(), before);
    ASSERT_EQ(messageBoxes.shown.size(), 3);
    EXPECT_EQ(messageBoxes.shown[0].text, session.GetMsgText(Msg::NameNotStorable, {u"A]B"_s}));
    EXPECT_EQ(messageBoxes.shown[1].text, session.GetMsgText(Msg::NameNotStorable, {NewRecordMarker}));
    EXPECT_EQ(messageBoxes.shown[2].text, Msg::EnterValidDatasourceName);
    for (const ScriptedMessageBoxes::Shown &box : messageBoxes.shown) {
        EXPECT_EQ(box.style, MsgBoxStyle::Exclamation);
        EXPECT_EQ(box.title, ApplicationTitle);
    }
}

TEST_F(NativeDialogTest, AccessModeSetsCreationAndExportOnly)
{
    frmNativeConfig dialog(session);
    ASSERT_TRUE(runAndPress(dialog, "cmdCancel", [&] {
        clickButton(control(dialog, "chkImport"));
        for (const char *mode : {"optReadOnly", "optBackdrop"}) {
            clickButton(control<QRadioButton>(dialog, "optEditable"));
            clickButton(control<QRadioButton>(dialog, mode));
            for (const char *box : {"chkCreate", "chkExport"}) {
                EXPECT_FALSE(control(dialog, box)->isChecked()) << mode << box;
                EXPECT_FALSE(control(dialog, box)->isEnabled()) << mode << box;
            }
        }
        clickButton(control<QRadioButton>(dialog, "optEditable"));
        for (const char *box : {"chkCreate", "chkExport"}) {
            EXPECT_TRUE(control(dialog, box)->isChecked()) << box;
            EXPECT_TRUE(control(dialog, box)->isEnabled()) << box;
        }
        EXPECT_FALSE(control(dialog, "chkImport")->isChecked());
        EXPECT_TRUE(control(dialog, "chkUnload")->isChecked());
    }));
}

TEST_F(NativeDialogTest, UnknownAccessModeSelectsNoneAndIsWrittenAsZero)
{
    for (const QByteArray &stored : {QByteArray("0"), QByteArray("4"), QByteArray("Auto")}) {
        openRecord(u"Roads"_s, "Connect=RDS1\r\nAttributes=" + stored + "\r\nCapabilities=15\r\n");
        frmNativeConfig dialog(session);
        for (const char *option : {"optBackdrop", "optReadOnly", "optEditable"})
            EXPECT_FALSE(control<QRadioButton>(dialog, option)->isChecked()) << stored.constData();
        ASSERT_TRUE(runAndPress(dialog, "cmdOK"));
        EXPECT_EQ(readKey(u"Roads"_s, u"Attributes"_s), u"0"_s) << stored.constData();
        EXPECT_EQ(readKey(u"Roads"_s, u"Capabilities"_s), u"15"_s) << stored.constData();
    }
}

TEST_F(NativeDialogTest, StoredCapabilitiesWinOverTheAccessMode)
{
    openRecord(u"Roads"_s, "Connect=RDS1\r\nAttributes=1\r\nCapabilities=9\r\n");
    frmNativeConfig dialog(session);

    EXPECT_TRUE(control<QRadioButton>(dialog, "optBackdrop")->isChecked());
    for (const char *box : {"chkCreate", "chkExport"}) {
        EXPECT_TRUE(control(dialog, box)->isChecked()) << box;
        EXPECT_FALSE(control(dialog, box)->isEnabled()) << box;
    }
    ASSERT_TRUE(runAndPress(dialog, "cmdOK"));
    EXPECT_EQ(readKey(u"Roads"_s, u"Capabilities"_s), u"9"_s);
}

TEST_F(NativeDialogTest, SourceNumberIsShownOnlyWhenStoredAsANumber)
{
    openRecord(u"Roads"_s, "Connect=RDS1\r\nID=12\r\n");
    {
        frmNativeConfig dialog(session);
        EXPECT_EQ(control<QLineEdit>(dialog, "txtID")->text(), u"12"_s);
        EXPECT_FALSE(control(dialog, "chkAutoID")->isChecked());
        ASSERT_TRUE(runAndPress(dialog, "cmdOK", [&] {
            clickButton(control(dialog, "chkAutoID"));
            EXPECT_EQ(control<QLineEdit>(dialog, "txtID")->text(), u"12"_s);
            EXPECT_TRUE(control<QLineEdit>(dialog, "txtID")->isEnabled());
        }));
        EXPECT_EQ(readKey(u"Roads"_s, u"ID"_s), u"Auto"_s);
    }
    for (const QByteArray &stored : {QByteArray("Auto"), QByteArray(""), QByteArray("x1")}) {
        openRecord(u"Roads"_s, "Connect=RDS1\r\nID=" + stored + "\r\n");
        frmNativeConfig dialog(session);
        EXPECT_TRUE(control<QLineEdit>(dialog, "txtID")->text().isEmpty()) << stored.constData();
        EXPECT_TRUE(control(dialog, "chkAutoID")->isChecked()) << stored.constData();
        dialog.close();
    }
}

TEST_F(NativeDialogTest, ExistingRecordIsReadAndWrittenBackUnchanged)
{
    openRecord(u"Roads"_s, "Type=1\r\nDescription=Main roads\r\nConnect=RDS1\r\nReadOnly=1\r\n"
                           "ID=7\r\nAttributes=2\r\nCapabilities=6\r\nAutoConnect=1\r\n"
                           "Scales=100,200,500\r\nPriority=40\r\nPrivate=2\r\n");
    frmNativeConfig dialog(session);
    EXPECT_EQ(control<QLineEdit>(dialog, "txtName")->text(), u"Roads"_s);
    EXPECT_TRUE(control(dialog, "chkReadOnly")->isChecked());
    EXPECT_FALSE(control(dialog, "chkReadOnly")->isEnabled());
    EXPECT_TRUE(control<QPushButton>(dialog, "cmdOK")->isEnabled());

    ASSERT_TRUE(runAndPress(dialog, "cmdOK"));
    EXPECT_EQ(entriesOf(u"Roads"_s),
              (QStringList{u"Type=1"_s, u"Description=Main roads"_s, u"Connect=RDS1"_s,
                           u"ReadOnly=1"_s, u"ID=7"_s, u"Attributes=2"_s, u"Capabilities=6"_s,
                           u"AutoConnect=1"_s, u"Scales=100,200,500"_s, u"Priority=40"_s,
                           u"Private=10"_s}));
}

TEST_F(NativeDialogTest, LockedRecordCanOnlyBeCancelledOrItsOptionsViewed)
{
    openRecord(u"Roads"_s, "Connect=RDS1\r\nPrivate=3\r\n");
    const QByteArray before = registryBytes();
    frmNativeConfig dialog(session);

    const QList<QWidget *> controls = dialog.findChildren<QWidget *>();
    for (QWidget *widget : controls) {
        const bool usable = widget->objectName() == u"cmdCancel"_s
                            || widget->objectName() == u"cmdOptions"_s;
        if (!widget->objectName().isEmpty()) {
            EXPECT_EQ(widget->isEnabled(), usable) << widget->objectName().toStdString();
        }
    }
    ASSERT_TRUE(runAndPress(dialog, "cmdCancel", [&] {
        onNextModal<frmOptions>([this](frmOptions &options) {
            EXPECT_FALSE(options.chkAllScales()->isEnabled());
            EXPECT_FALSE(child<QPushButton>(options, "cmdOK")->isEnabled());
            clickButton(child<QPushButton>(options, "cmdCancel"));
        });
        clickButton(control<QPushButton>(dialog, "cmdOptions"));
        typeText(control<QLineEdit>(dialog, "txtName"), u"x"_s);
        EXPECT_FALSE(control<QPushButton>(dialog, "cmdOK")->isEnabled());
    }));
    EXPECT_EQ(dialog.Tag(), TagCancel);
    EXPECT_EQ(registryBytes(), before);
}

TEST_F(NativeDialogTest, DisplayOptionsAreSavedWithTheRecordAndDroppedWithCancel)
{
    openRecord(u"Roads"_s, "Connect=RDS1\r\nScales=0,0,500\r\n");
    const auto editOptions = [this](frmNativeConfig &dialog) {
        onNextModal<frmOptions>([](frmOptions &options) {
            EXPECT_TRUE(options.txtOverViewScale()->isHidden());
            clickButton(options.chkAllScales());
            replaceText(options.txtMinScale(), u"100"_s);
            replaceText(options.txtMaxScale(), u"200"_s);
            replaceText(options.txtPriority(), u"300"_s);
            clickButton(child<QPushButton>(options, "cmdOK"));
        });
        clickButton(control<QPushButton>(dialog, "cmdOptions"));
    };
    const QByteArray before = registryBytes();
    {
        frmNativeConfig dialog(session);
        ASSERT_TRUE(runAndPress(dialog, "cmdCancel", [&] { editOptions(dialog); }));
        EXPECT_EQ(registryBytes(), before);
    }
    frmNativeConfig dialog(session);
    ASSERT_TRUE(runAndPress(dialog, "cmdOK", [&] { editOptions(dialog); }));
    EXPECT_EQ(readKey(u"Roads"_s, u"Scales"_s), u"100,200,500"_s);
    EXPECT_EQ(readKey(u"Roads"_s, u"Priority"_s), u"300"_s);
}

TEST_F(NativeDialogTest, RenameMovesTheRecordAndKeepsItsPrivateBits)
{
    writeRegistry("[A]\r\nConnect=RDS1\r\nPrivate=2\r\nUnknown=1\r\n[roads]\r\nConnect=R\r\n");
    session.CurrentSrcName = u"A"_s;
    {
        frmNativeConfig dialog(session);
        ASSERT_TRUE(runAndPress(dialog, "cmdOK", [&] {
            replaceText(control<QLineEdit>(dialog, "txtName"), u" B "_s);
        }));
    }
    EXPECT_EQ(sectionNames(), (QStringList{u"roads"_s, u"B"_s}));
    EXPECT_EQ(readKey(u"B"_s, u"Private"_s), u"10"_s);

    session.CurrentSrcName = u"roads"_s;
    frmNativeConfig dialog(session);
    ASSERT_TRUE(runAndPress(dialog, "cmdOK", [&] {
        replaceText(control<QLineEdit>(dialog, "txtName"), u"Roads"_s);
    }));
    EXPECT_EQ(sectionNames(), (QStringList{u"B"_s, u"Roads"_s}));
    EXPECT_EQ(session.CurrentSrcName, u"roads"_s);
}

TEST_F(NativeDialogTest, StoredTextsLongerThanTheTypingLimitsAreKeptWhole)
{
    const QString longName(60, u'L');
    openRecord(longName, "Connect=STORAGE12\r\n");
    frmNativeConfig dialog(session);
    EXPECT_EQ(control<QLineEdit>(dialog, "txtName")->text(), longName);
    ASSERT_TRUE(runAndPress(dialog, "cmdOK"));
    EXPECT_EQ(sectionNames(), QStringList{longName});
    EXPECT_EQ(readKey(longName, u"Connect"_s), u"STORAGE12"_s);
}

TEST_F(NativeDialogTest, EnterAndEscPressNothingAndTheCloseBoxCancels)
{
    frmNativeConfig dialog(session);
    ASSERT_TRUE(execModal(dialog, [&] {
        auto *name = control<QLineEdit>(dialog, "txtName");
        typeText(name, u"Roads"_s);
        typeText(control<QLineEdit>(dialog, "txtStorage"), u"RDS1"_s);
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
            QTest::keyClick(name, key);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.Tag(), TagCancel);
        dialog.close();
    }));
    EXPECT_EQ(dialog.Tag(), TagCancel);
    EXPECT_TRUE(sectionNames().isEmpty());
}
