#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "dialogs/frmNativeConfig.h"
#include "dialogs/frmOptions.h"
#include "gui/MessageBoxes.h"
#include "i18n/Messages.h"
#include "registry/ProfileStore.h"
#include "tests/support/DialogFixture.h"
#include "tests/support/FileSizeLimit.h"

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
        recordName = name;
    }

    static QCheckBox *box(const frmNativeConfig &dialog, const char *name)
    {
        return child<QCheckBox>(dialog, name);
    }
    static QRadioButton *option(const frmNativeConfig &dialog, const char *name)
    {
        return child<QRadioButton>(dialog, name);
    }
    static QLineEdit *text(const frmNativeConfig &dialog, const char *name)
    {
        return child<QLineEdit>(dialog, name);
    }
    static void press(const frmNativeConfig &dialog, const char *button)
    {
        clickButton(child<QPushButton>(dialog, button));
    }

    // Shows the dialog modal, runs interaction and then presses button.
    bool runAndPress(frmNativeConfig &dialog, const char *button,
                     const std::function<void()> &interaction = [] {})
    {
        return execModal(dialog, [&] {
            interaction();
            press(dialog, button);
        });
    }

    // Creation and export: checked and usable only for an editable source.
    static void expectCreationAndExport(const frmNativeConfig &dialog, bool allowed)
    {
        for (const char *name : {"chkCreate", "chkExport"}) {
            EXPECT_EQ(box(dialog, name)->isChecked(), allowed) << name;
            EXPECT_EQ(box(dialog, name)->isEnabled(), allowed) << name;
        }
    }
};

} // namespace

TEST_F(NativeDialogTest, NewRecordIsWrittenWithEveryKeyInTheFixedOrder)
{
    frmNativeConfig dialog(session, recordName, 1, &mainWindow);
    EXPECT_EQ(dialog.Tag(), TagCancel);
    ASSERT_TRUE(runAndPress(dialog, "cmdOK", [&] {
        QTest::keyClicks(text(dialog, "txtName"), u"Roads"_s);
        QTest::keyClicks(text(dialog, "txtStorage"), u"RDS1"_s);
    }));

    EXPECT_EQ(dialog.Tag(), TagOk);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(entriesOf(u"Roads"_s),
              (QStringList{u"Type=1"_s, u"Description="_s, u"Connect=RDS1"_s, u"ReadOnly=0"_s,
                           u"ID=Auto"_s, u"Attributes=3"_s, u"Capabilities=15"_s,
                           u"AutoConnect=0"_s, u"Scales=0,0,0"_s, u"Priority=127"_s,
                           u"Private=8"_s}));
    EXPECT_TRUE(messageBoxes.shown.isEmpty());
}

TEST_F(NativeDialogTest, NewRasterRecordIsABackdropWithoutCreationAndExport)
{
    frmNativeConfig dialog(session, recordName, 2, &mainWindow);
    EXPECT_EQ(dialog.windowTitle(), u"Configure Native Raster Data Source"_s);
    EXPECT_TRUE(option(dialog, "optBackdrop")->isChecked());
    EXPECT_FALSE(option(dialog, "optReadOnly")->isEnabled());
    EXPECT_FALSE(option(dialog, "optEditable")->isEnabled());
    expectCreationAndExport(dialog, false);
    ASSERT_TRUE(runAndPress(dialog, "cmdOK", [&] {
        typeText(text(dialog, "txtName"), u"Roads"_s);
        typeText(text(dialog, "txtStorage"), u"RDS1"_s);
    }));
    EXPECT_EQ(entriesOf(u"Roads"_s).mid(5, 2),
              (QStringList{u"Attributes=1"_s, u"Capabilities=6"_s}));
    EXPECT_EQ(readKey(u"Roads"_s, u"Type"_s), u"2"_s);
}

TEST_F(NativeDialogTest, TypedKeysPassTheNameAndStorageFilters)
{
    frmNativeConfig dialog(session, recordName, 1, &mainWindow);
    QLineEdit *name = text(dialog, "txtName");
    QLineEdit *storage = text(dialog, "txtStorage");
    // Letters, digits and the underscore pass; blanks only in the name.
    for (QLineEdit *box : {name, storage}) {
        typeText(box, u"a-b c!é@[`{_Z9"_s);
        QTest::keyClick(box, Qt::Key_Backspace);
    }
    EXPECT_EQ(name->text(), u"ab c_Z"_s);
    EXPECT_EQ(storage->text(), u"abc_Z"_s);

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
    EXPECT_EQ(text(dialog, "txtDescription")->maxLength(), QLineEdit().maxLength())
        << "the description box has no limit";
}

TEST_F(NativeDialogTest, OkNeedsANameAndAStorageBesideBlanks)
{
    frmNativeConfig dialog(session, recordName, 1, &mainWindow);
    auto *ok = child<QPushButton>(dialog, "cmdOK");
    EXPECT_FALSE(ok->isEnabled());
    typeText(text(dialog, "txtName"), u"   "_s);
    typeText(text(dialog, "txtStorage"), u"RDS1"_s);
    EXPECT_FALSE(ok->isEnabled());
    typeText(text(dialog, "txtName"), u"Roads "_s);
    EXPECT_TRUE(ok->isEnabled());
    text(dialog, "txtStorage")->clear();
    EXPECT_FALSE(ok->isEnabled());
    typeText(text(dialog, "txtStorage"), u"RDS1"_s);

    ASSERT_TRUE(runAndPress(dialog, "cmdOK"));
    EXPECT_EQ(sectionNames(), QStringList{u"Roads"_s});
}

// A save the registry refuses, or cannot take, keeps the dialog open with
// the user's input, says why, and writes nothing.
TEST_F(NativeDialogTest, RefusedAndFailedSavesKeepTheDialogOpenAndWriteNothing)
{
    openRecord(u"Old"_s, "Type=1\r\nConnect=OLD\r\n[Roads]\r\nType=4\r\n;" + QByteArray(8192, '-') + "\r\n");
    const QByteArray before = registryBytes();
    frmNativeConfig dialog(session, recordName, 1, &mainWindow);
    QLineEdit *name = text(dialog, "txtName");
    QLineEdit *description = text(dialog, "txtDescription");
    const auto paste = [](QLineEdit *box, const QString &pasted) {
        box->clear();
        QGuiApplication::clipboard()->setText(pasted);
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    };

    ASSERT_TRUE(runAndPress(dialog, "cmdCancel", [&] {
        paste(description, u"two\r\nlines\nand\0a NUL"_s);
        EXPECT_EQ(description->text(), u"two lines and a NUL"_s);
        for (const QString &pasted : {u"A]B"_s, u"\t"_s, u"rOADS"_s}) {
            paste(name, pasted);
            ASSERT_EQ(name->text(), pasted);
            press(dialog, "cmdOK");
            EXPECT_TRUE(dialog.isVisible()) << "the dialog stays open";
        }
        paste(name, u"New"_s);
        {
            const FileSizeLimit fullDisk(4096);
            press(dialog, "cmdOK");
        }
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.Tag(), TagCancel);
        EXPECT_EQ(name->text(), u"New"_s);
    }));

    EXPECT_EQ(registryBytes(), before);
    EXPECT_EQ(messageBoxes.texts(),
              (QStringList{session.GetMsgText(Msg::NameNotStorable, {u"A]B"_s}),
                           Msg::EnterValidDatasourceName, session.GetMsgText(Msg::NameTaken, {u"rOADS"_s}),
                           session.GetMsgText(Msg::RegistryDiskFull, {session.RegistryIniPath})}));
    for (const ScriptedMessageBoxes::Shown &shown : messageBoxes.shown) {
        EXPECT_EQ(shown.style, MsgBoxStyle::Exclamation);
        EXPECT_EQ(shown.title, ApplicationTitle);
    }
}

TEST_F(NativeDialogTest, AccessModeSetsCreationAndExportOnly)
{
    frmNativeConfig dialog(session, recordName, 1, &mainWindow);
    ASSERT_TRUE(runAndPress(dialog, "cmdCancel", [&] {
        clickButton(box(dialog, "chkImport"));
        for (const char *mode : {"optReadOnly", "optBackdrop"}) {
            SCOPED_TRACE(mode);
            clickButton(option(dialog, "optEditable"));
            clickButton(option(dialog, mode));
            expectCreationAndExport(dialog, false);
        }
        clickButton(option(dialog, "optEditable"));
        expectCreationAndExport(dialog, true);
        EXPECT_FALSE(box(dialog, "chkImport")->isChecked());
        EXPECT_TRUE(box(dialog, "chkUnload")->isChecked());
    }));
}

// Tab into the Attributes group lands on the selected option, so Tab and
// Space keep the access mode; after an arrow key moved the selection, Tab
// lands on the newly selected option.
TEST_F(NativeDialogTest, TabIntoTheAccessModesLandsOnTheSelectedOne)
{
    openRecord(u"Roads"_s, "Connect=RDS1\r\nAttributes=2\r\nCapabilities=2\r\n");
    frmNativeConfig dialog(session, recordName, 1, &mainWindow);
    ASSERT_TRUE(runAndPress(dialog, "cmdOK", [&] {
        const auto press = [&dialog](Qt::Key key) { QTest::keyClick(dialog.windowHandle(), key); };
        const auto tabIntoGroup = [&] {
            child<QPushButton>(dialog, "cmdCancel")->setFocus();
            press(Qt::Key_Tab);
            return QApplication::focusWidget();
        };
        EXPECT_EQ(tabIntoGroup(), option(dialog, "optReadOnly"));
        press(Qt::Key_Space);
        EXPECT_TRUE(option(dialog, "optReadOnly")->isChecked());
        press(Qt::Key_Down);
        EXPECT_TRUE(option(dialog, "optEditable")->isChecked());
        EXPECT_EQ(tabIntoGroup(), option(dialog, "optEditable"));
        press(Qt::Key_Up);
        press(Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), box(dialog, "chkImport"));
    }));
    EXPECT_EQ(readKey(u"Roads"_s, u"Attributes"_s), u"2"_s);
}

TEST_F(NativeDialogTest, StoredAccessModeAndCapabilitiesAreWrittenBackAsRead)
{
    // An access mode the dialog does not know selects no option and is written as 0.
    for (const QByteArray &stored : {QByteArray("0"), QByteArray("4"), QByteArray("Auto")}) {
        SCOPED_TRACE(stored.constData());
        openRecord(u"Roads"_s, "Connect=RDS1\r\nAttributes=" + stored + "\r\nCapabilities=15\r\n");
        frmNativeConfig dialog(session, recordName, 1, &mainWindow);
        for (const char *name : {"optBackdrop", "optReadOnly", "optEditable"})
            EXPECT_FALSE(option(dialog, name)->isChecked()) << name;
        ASSERT_TRUE(runAndPress(dialog, "cmdOK"));
        EXPECT_EQ(readKey(u"Roads"_s, u"Attributes"_s), u"0"_s);
        EXPECT_EQ(readKey(u"Roads"_s, u"Capabilities"_s), u"15"_s);
    }
    // The stored capabilities win over what the access mode sets.
    openRecord(u"Roads"_s, "Connect=RDS1\r\nAttributes=1\r\nCapabilities=9\r\n");
    frmNativeConfig dialog(session, recordName, 1, &mainWindow);
    EXPECT_TRUE(option(dialog, "optBackdrop")->isChecked());
    EXPECT_TRUE(box(dialog, "chkCreate")->isChecked());
    EXPECT_FALSE(box(dialog, "chkCreate")->isEnabled());
    ASSERT_TRUE(runAndPress(dialog, "cmdOK"));
    EXPECT_EQ(readKey(u"Roads"_s, u"Capabilities"_s), u"9"_s);
}

TEST_F(NativeDialogTest, SourceNumberIsShownOnlyWhenStoredAsANumber)
{
    openRecord(u"Roads"_s, "Connect=RDS1\r\nID=12\r\n");
    {
        frmNativeConfig dialog(session, recordName, 1, &mainWindow);
        EXPECT_EQ(text(dialog, "txtID")->text(), u"12"_s);
        EXPECT_FALSE(box(dialog, "chkAutoID")->isChecked());
        ASSERT_TRUE(runAndPress(dialog, "cmdOK", [&] {
            clickButton(box(dialog, "chkAutoID"));
            EXPECT_EQ(text(dialog, "txtID")->text(), u"12"_s);
            EXPECT_TRUE(text(dialog, "txtID")->isEnabled());
        }));
        EXPECT_EQ(readKey(u"Roads"_s, u"ID"_s), u"Auto"_s);
    }
    openRecord(u"Roads"_s, "Connect=RDS1\r\nID=x1\r\n");
    frmNativeConfig dialog(session, recordName, 1, &mainWindow);
    EXPECT_TRUE(text(dialog, "txtID")->text().isEmpty());
    EXPECT_TRUE(box(dialog, "chkAutoID")->isChecked());
}

TEST_F(NativeDialogTest, ExistingRecordIsWrittenBackWithTheSavedMark)
{
    const QString longName(60, u'L'); // longer than the name box takes when typed
    openRecord(longName, "Type=1\r\nDescription=Main roads\r\nConnect=STORAGE12\r\nReadOnly=1\r\n"
                         "ID=7\r\nAttributes=2\r\nCapabilities=6\r\nAutoConnect=1\r\n"
                         "Scales=100,200,500\r\nPriority=40\r\nPrivate=2\r\n");
    frmNativeConfig dialog(session, recordName, 1, &mainWindow);
    EXPECT_EQ(text(dialog, "txtName")->text(), longName);
    EXPECT_TRUE(box(dialog, "chkReadOnly")->isChecked());
    EXPECT_FALSE(box(dialog, "chkReadOnly")->isEnabled());

    ASSERT_TRUE(runAndPress(dialog, "cmdOK"));
    EXPECT_EQ(sectionNames(), QStringList{longName});
    EXPECT_EQ(entriesOf(longName),
              (QStringList{u"Type=1"_s, u"Description=Main roads"_s, u"Connect=STORAGE12"_s,
                           u"ReadOnly=1"_s, u"ID=7"_s, u"Attributes=2"_s, u"Capabilities=6"_s,
                           u"AutoConnect=1"_s, u"Scales=100,200,500"_s, u"Priority=40"_s,
                           u"Private=10"_s}));
}

TEST_F(NativeDialogTest, LockedRecordCanOnlyBeCancelledOrItsOptionsViewed)
{
    openRecord(u"Roads"_s, "Connect=RDS1\r\nPrivate=3\r\n");
    const QByteArray before = registryBytes();
    frmNativeConfig dialog(session, recordName, 1, &mainWindow);

    EXPECT_EQ(enabledControls(dialog), (QStringList{u"cmdCancel"_s, u"cmdOptions"_s}));
    ASSERT_TRUE(runAndPress(dialog, "cmdCancel", [&] {
        // The options open; they lock themselves.
        onNextModal<frmOptions>([](frmOptions &options) { options.close(); });
        press(dialog, "cmdOptions");
        typeText(text(dialog, "txtName"), u"x"_s);
        EXPECT_FALSE(child<QPushButton>(dialog, "cmdOK")->isEnabled());
    }));
    EXPECT_EQ(dialog.Tag(), TagCancel);
    EXPECT_EQ(registryBytes(), before);
}

TEST_F(NativeDialogTest, DisplayOptionsWithoutOverviewAreSavedWithTheRecord)
{
    openRecord(u"Roads"_s, "Connect=RDS1\r\nScales=0,0,500\r\n");
    frmNativeConfig dialog(session, recordName, 1, &mainWindow);
    ASSERT_TRUE(runAndPress(dialog, "cmdOK", [&] {
        onNextModal<frmOptions>([](frmOptions &options) {
            for (QWidget *row : QList<QWidget *>{child<QLabel>(options, "lblOverviewScale"), child<QLabel>(options, "lblOverview1"),
                                                 child<QLineEdit>(options, "txtOverViewScale")})
                EXPECT_TRUE(row->isHidden()) << row->objectName().toStdString();
            clickButton(child<QCheckBox>(options, "chkAllScales"));
            replaceText(child<QLineEdit>(options, "txtMinScale"), u"100"_s);
            replaceText(child<QLineEdit>(options, "txtMaxScale"), u"200"_s);
            replaceText(child<QLineEdit>(options, "txtPriority"), u"300"_s);
            clickButton(child<QPushButton>(options, "cmdOK"));
        });
        press(dialog, "cmdOptions");
    }));
    // The hidden overview scale keeps its stored value.
    EXPECT_EQ(readKey(u"Roads"_s, u"Scales"_s), u"100,200,500"_s);
    EXPECT_EQ(readKey(u"Roads"_s, u"Priority"_s), u"300"_s);
}

TEST_F(NativeDialogTest, RenameMovesTheTrimmedNameAndKeepsThePrivateBits)
{
    writeRegistry("[A]\r\nConnect=RDS1\r\nPrivate=2\r\n[roads]\r\nConnect=R\r\n");
    recordName = u"A"_s;
    frmNativeConfig dialog(session, recordName, 1, &mainWindow);
    ASSERT_TRUE(runAndPress(dialog, "cmdOK", [&] { replaceText(text(dialog, "txtName"), u" B "_s); }));
    EXPECT_EQ(sectionNames(), (QStringList{u"roads"_s, u"B"_s}));
    EXPECT_EQ(readKey(u"B"_s, u"Private"_s), u"10"_s);
}

TEST_F(NativeDialogTest, EnterAndEscPressNothingAndTheCloseBoxCancels)
{
    frmNativeConfig dialog(session, recordName, 1, &mainWindow);
    ASSERT_TRUE(execModal(dialog, [&] {
        QLineEdit *name = text(dialog, "txtName");
        typeText(name, u"Roads"_s);
        typeText(text(dialog, "txtStorage"), u"RDS1"_s); // OK is enabled
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
            QTest::keyClick(name, key);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.Tag(), TagCancel);
        dialog.close();
    }));
    EXPECT_EQ(dialog.Tag(), TagCancel);
    EXPECT_TRUE(sectionNames().isEmpty());
}

// Another program changes the record while its dialog is open: the user
// chooses between going back, taking the record as it is now, and saving
// over it; nothing is overwritten without that choice.
TEST_F(NativeDialogTest, ARecordChangedMeanwhileIsSavedOverOnlyWhenTheUserSaysSo)
{
    openRecord(u"Roads"_s, "Type=1\r\nDescription=as read\r\nConnect=RDS1\r\n");
    frmNativeConfig dialog(session, recordName, 1, &mainWindow);
    QLineEdit *description = text(dialog, "txtDescription");
    const QString question = session.GetMsgText(Msg::RecordChangedMeanwhile, {u"Roads"_s});

    ASSERT_TRUE(execModal(dialog, [&] {
        replaceText(description, u"mine"_s);
        EXPECT_TRUE(WriteProfileString(u"Roads"_s, u"Description"_s, u"theirs"_s, session.RegistryIniPath));
        const QByteArray theirs = registryBytes();

        messageBoxes.answers.enqueue(MsgBoxResult::Cancel);
        press(dialog, "cmdOK");
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(description->text(), u"mine"_s);
        EXPECT_EQ(registryBytes(), theirs);

        messageBoxes.answers.enqueue(MsgBoxResult::No);
        press(dialog, "cmdOK");
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(description->text(), u"theirs"_s) << "the record as it is now";
        EXPECT_EQ(registryBytes(), theirs);

        replaceText(description, u"mine again"_s);
        EXPECT_TRUE(WriteProfileString(u"Roads"_s, u"Connect"_s, u"RDS2"_s, session.RegistryIniPath));
        messageBoxes.answers.enqueue(MsgBoxResult::Yes);
        press(dialog, "cmdOK");
    }));

    EXPECT_EQ(dialog.Tag(), TagOk);
    EXPECT_EQ(messageBoxes.texts(), QStringList(3, question));
    EXPECT_EQ(messageBoxes.shown.first().style, MsgBoxStyle::YesNoCancelQuestion);
    EXPECT_EQ(readKey(u"Roads"_s, u"Description"_s), u"mine again"_s);
    EXPECT_EQ(readKey(u"Roads"_s, u"Connect"_s), u"RDS1"_s) << "the user's storage name, over theirs";
}

TEST_F(NativeDialogTest, ARecordRemovedOrRenamedAwayMeanwhileIsNotBroughtBackUnasked)
{
    openRecord(u"Roads"_s, "Type=1\r\nConnect=RDS1\r\n");
    frmNativeConfig dialog(session, recordName, 1, &mainWindow);
    ASSERT_TRUE(execModal(dialog, [&] {
        writeRegistry("[Streets]\r\nType=1\r\nConnect=RDS1\r\n");
        messageBoxes.answers.enqueue(MsgBoxResult::No);
        press(dialog, "cmdOK");
    }));
    EXPECT_EQ(dialog.Tag(), TagCancel);
    EXPECT_EQ(messageBoxes.texts(), QStringList{session.GetMsgText(Msg::RecordRemovedMeanwhile, {u"Roads"_s})});
    EXPECT_EQ(registryBytes(), "[Streets]\r\nType=1\r\nConnect=RDS1\r\n");

    openRecord(u"Roads"_s, "Type=1\r\nConnect=RDS1\r\n");
    frmNativeConfig again(session, recordName, 1, &mainWindow);
    ASSERT_TRUE(execModal(again, [&] {
        writeRegistry("");
        messageBoxes.answers.enqueue(MsgBoxResult::Yes);
        press(again, "cmdOK");
    }));
    EXPECT_EQ(again.Tag(), TagOk);
    EXPECT_EQ(sectionNames(), QStringList{u"Roads"_s});
}
