#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <optional>

#include "dialogs/FileFilter.h"
#include "dialogs/frmDemandConfig.h"
#include "dialogs/frmOptions.h"
#include "i18n/MessageTable.h"
#include "i18n/Messages.h"
#include "platform/AppPaths.h"
#include "platform/ProcessLauncher.h"
#include "tests/support/DialogFixture.h"
#include "tests/support/TestFiles.h"

using namespace tessel;
using namespace tessel::test;
using namespace Qt::StringLiterals;

namespace {

// Declares, in this order: PARCELS, WATER MAINS, Main Roads, ROADS, ROADS.
const QByteArray SampleDld = "; sample\r\n"
                             "ENTITY DLD PARCELS\r\n"
                             "    LAYER cadastre\r\n"
                             "\tEntity Dld WATER MAINS\r\n"
                             "  entity dld   Main Roads  \r\n"
                             "ENTITY DLD ROADS\r\n"
                             "ENTITIES DLD none\r\n"
                             "ENTITY DLD ROADS\r\n";

class DemandConfig : public DialogFixture
{
protected:
    void SetUp() override
    {
        DialogFixture::SetUp();
        session.messageTable = &table; // English, with the placeholders filled in
        dldPath = JoinPath(tempDir.path(), u"ROADS.DLD"_s);
        writeBytes(dldPath, SampleDld);
    }

    void openRecord(const QString &name, const QByteArray &keys)
    {
        writeRegistry('[' + name.toUtf8() + "]\r\nType=4\r\n" + keys);
        recordName = name;
    }

    template<typename W = QWidget>
    static W *control(QWidget &dialog, const char *name) { return child<W>(dialog, name); }
    static QLineEdit *text(QWidget &dialog, const char *name) { return control<QLineEdit>(dialog, name); }
    static QComboBox *entities(QWidget &dialog) { return control<QComboBox>(dialog, "cmbEntities"); }
    static QPushButton *button(QWidget &dialog, const char *name)
    {
        return control<QPushButton>(dialog, name);
    }

    // Opens the entity list as the user does and closes it without a choice.
    static void openList(QWidget &dialog)
    {
        entities(dialog)->showPopup();
        entities(dialog)->hidePopup();
    }

    // Opens the entity list and clicks the entry at row.
    static void chooseEntity(QWidget &dialog, int row)
    {
        QComboBox *list = entities(dialog);
        list->showPopup();
        QAbstractItemView *view = list->view();
        ASSERT_TRUE(waitFor([view] { return view->isVisible(); }));
        const QRect visible = view->visualRect(view->model()->index(row, 0)) & view->viewport()->rect();
        const QPoint entry = visible.center();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, entry);
        ASSERT_TRUE(waitFor([view] { return !view->isVisible(); }));
    }

    QString messageText(const QString &text, const QStringList &arguments = {}) const
    {
        return session.GetMsgText(text, arguments);
    }

    LanguageSetting language;
    MessageTable table{language};
    QString dldPath;
};

} // namespace

TEST_F(DemandConfig, NewRecordIsBuiltFromABrowsedFileAndAChosenEntity)
{
    fileDialogs.answers.enqueue(dldPath);
    frmDemandConfig dialog(session, recordName, &mainWindow);
    EXPECT_EQ(dialog.Tag(), TagCancel);
    ASSERT_TRUE(execModal(dialog, [&] {
        QTest::keyClicks(text(dialog, "txtName"), u"Main Roads"_s);
        button(dialog, "cmdBrowse")->click();
        EXPECT_EQ(text(dialog, "txtDLD")->text(), dldPath);
        // The file is read when the list is opened, not before.
        EXPECT_EQ(entities(dialog)->count(), 0);
        EXPECT_FALSE(button(dialog, "cmdOK")->isEnabled());

        openList(dialog);
        QStringList listed;
        for (int row = 0; row < entities(dialog)->count(); ++row)
            listed.append(entities(dialog)->itemText(row));
        EXPECT_EQ(listed, (QStringList{u"PARCELS"_s, u"WATER MAINS"_s, u"Main Roads"_s,
                                       u"ROADS"_s, u"ROADS"_s}));
        EXPECT_EQ(entities(dialog)->currentIndex(), -1);
        EXPECT_FALSE(button(dialog, "cmdOK")->isEnabled());

        chooseEntity(dialog, 2);
        EXPECT_TRUE(button(dialog, "cmdOK")->isEnabled());
        QTest::keyClicks(text(dialog, "txtID"), u"1x2-"_s);
        EXPECT_EQ(text(dialog, "txtID")->text(), u"12"_s);
        button(dialog, "cmdOK")->click();
    }));

    ASSERT_EQ(fileDialogs.asked.size(), 1);
    EXPECT_EQ(fileDialogs.asked[0].title, u"Select DLD File"_s);
    EXPECT_EQ(fileDialogs.asked[0].filter, u"DLD File (*.DLD *.dld)"_s);
    EXPECT_EQ(dialog.Tag(), TagOk);
    EXPECT_TRUE(messageBoxes.shown.isEmpty());
    EXPECT_EQ(sectionNames(), QStringList{u"Main Roads"_s});
    EXPECT_EQ(entriesOf(u"Main Roads"_s),
              (QStringList{u"Type=4"_s, u"Description="_s, u"Connect="_s + dldPath + u" Main Roads"_s,
                           u"ReadOnly=1"_s, u"ID=12"_s, u"Attributes=1"_s, u"Capabilities=0"_s,
                           u"AutoConnect=0"_s, u"Scales=0,0,0"_s, u"Priority=127"_s}));
}

TEST_F(DemandConfig, CancelledBrowseKeepsThePathAndAChangedPathEmptiesTheList)
{
    frmDemandConfig dialog(session, recordName, &mainWindow);
    QLineEdit *path = text(dialog, "txtDLD");
    path->setText(dldPath);
    chooseEntity(dialog, 0);
    ASSERT_EQ(entities(dialog)->currentText(), u"PARCELS"_s);

    button(dialog, "cmdBrowse")->click(); // nothing queued: the user cancels
    EXPECT_EQ(path->text(), dldPath);
    EXPECT_EQ(entities(dialog)->currentText(), u"PARCELS"_s);

    path->end(false);
    QTest::keyClick(path, Qt::Key_Backspace);
    EXPECT_EQ(entities(dialog)->count(), 0);
    EXPECT_FALSE(button(dialog, "cmdOK")->isEnabled());
}

TEST_F(DemandConfig, ExistingRecordIsShownAndWrittenBackUnchanged)
{
    openRecord(u"Parcels"_s, "Description=Cadastral parcels\r\nConnect=" + dldPath.toUtf8()
                                 + " Main Roads\r\nReadOnly=2\r\nID=12\r\nAttributes=1\r\n"
                                   "Capabilities=0\r\nAutoConnect=1\r\nScales=0,0,25000\r\nPriority=50\r\n");
    frmDemandConfig dialog(session, recordName, &mainWindow);
    EXPECT_EQ(text(dialog, "txtDLD")->text(), dldPath);
    EXPECT_EQ(entities(dialog)->count(), 5);
    EXPECT_EQ(entities(dialog)->currentText(), u"Main Roads"_s);
    EXPECT_EQ(control<QCheckBox>(dialog, "chkReadOnly")->checkState(), Qt::PartiallyChecked);
    EXPECT_FALSE(control<QCheckBox>(dialog, "chkReadOnly")->isEnabled()); // shown, never edited
    EXPECT_EQ(control<QCheckBox>(dialog, "chkAutoID")->checkState(), Qt::Unchecked);

    ASSERT_TRUE(execModal(dialog, [&] { button(dialog, "cmdOK")->click(); }));
    EXPECT_EQ(dialog.Tag(), TagOk);
    EXPECT_EQ(entriesOf(u"Parcels"_s),
              (QStringList{u"Type=4"_s, u"Description=Cadastral parcels"_s,
                           u"Connect="_s + dldPath + u" Main Roads"_s, u"ReadOnly=1"_s, u"ID=12"_s,
                           u"Attributes=1"_s, u"Capabilities=0"_s, u"AutoConnect=1"_s,
                           u"Scales=0,0,25000"_s, u"Priority=50"_s}));
}

TEST_F(DemandConfig, StoredValueThatIsNoNumberMeansAutomaticNumbering)
{
    openRecord(u"Roads"_s, "Connect=" + dldPath.toUtf8() + "\r\nID=abc\r\nReadOnly=0\r\n");
    frmDemandConfig dialog(session, recordName, &mainWindow);
    EXPECT_EQ(control<QCheckBox>(dialog, "chkAutoID")->checkState(), Qt::Checked);
    EXPECT_TRUE(text(dialog, "txtID")->text().isEmpty());
    EXPECT_FALSE(text(dialog, "txtID")->isEnabled());
    // A Connect value without a blank is all path: no entity is selected.
    EXPECT_EQ(entities(dialog)->count(), 5);
    EXPECT_EQ(entities(dialog)->currentIndex(), -1);

    chooseEntity(dialog, 1);
    ASSERT_TRUE(execModal(dialog, [&] { button(dialog, "cmdOK")->click(); }));
    EXPECT_EQ(readKey(u"Roads"_s, u"ID"_s), AutomaticId);
    EXPECT_EQ(readKey(u"Roads"_s, u"ReadOnly"_s), u"0"_s);
}

TEST_F(DemandConfig, RenameMovesTheRecordWithItsProtection)
{
    writeRegistry("[Before]\r\nType=1\r\n[Old]\r\nType=4\r\nConnect=" + dldPath.toUtf8()
                  + " ROADS\r\nID=Auto\r\nPrivate=2\r\n[After]\r\nType=1\r\n");
    recordName = u"Old"_s;
    frmDemandConfig dialog(session, recordName, &mainWindow);
    ASSERT_TRUE(execModal(dialog, [&] {
        text(dialog, "txtName")->setText(u"  New\t"_s);
        button(dialog, "cmdOK")->click();
    }));
    EXPECT_EQ(sectionNames(), (QStringList{u"Before"_s, u"After"_s, u"New"_s}));
    EXPECT_EQ(readKey(u"New"_s, u"Connect"_s), dldPath + u" ROADS"_s);
    EXPECT_EQ(entriesOf(u"New"_s).last(), u"Private=2"_s);
}

TEST_F(DemandConfig, NameTheRegistryCannotHoldIsRefused)
{
    writeRegistry("[Roads]\r\nType=4\r\n");
    const QByteArray before = registryBytes();
    frmDemandConfig dialog(session, recordName, &mainWindow);
    ASSERT_TRUE(execModal(dialog, [&] {
        text(dialog, "txtName")->setText(u"Main]Roads"_s);
        text(dialog, "txtDLD")->setText(dldPath);
        chooseEntity(dialog, 0);
        button(dialog, "cmdOK")->click();
        EXPECT_TRUE(dialog.isVisible());
        button(dialog, "cmdCancel")->click();
    }));
    EXPECT_EQ(messageBoxes.texts(), QStringList{messageText(Msg::NameNotStorable, {u"Main]Roads"_s})});
    EXPECT_EQ(messageBoxes.shown[0].style, MsgBoxStyle::Exclamation);
    EXPECT_EQ(dialog.Tag(), TagCancel);
    EXPECT_EQ(registryBytes(), before);
}

TEST_F(DemandConfig, LockedRecordLeavesOnlyCancelUsable)
{
    openRecord(u"Utilities"_s, "Connect=" + dldPath.toUtf8() + " ROADS\r\nID=7\r\nPrivate=3\r\n");
    const QByteArray before = registryBytes();
    frmDemandConfig dialog(session, recordName, &mainWindow);
    EXPECT_EQ(entities(dialog)->currentText(), u"ROADS"_s);
    EXPECT_EQ(enabledControls(dialog), QStringList{u"cmdCancel"_s});
    ASSERT_TRUE(execModal(dialog, [&] {
        // Fields that pass every check keep OK disabled all the same.
        emit text(dialog, "txtName")->textChanged(u"Utilities"_s);
        EXPECT_FALSE(button(dialog, "cmdOK")->isEnabled());
        button(dialog, "cmdCancel")->click();
    }));
    EXPECT_EQ(dialog.Tag(), TagCancel);
    EXPECT_EQ(registryBytes(), before);
}

TEST_F(DemandConfig, OkChecksTheRulesInOrderAndKeepsTheDialogOpen)
{
    frmDemandConfig dialog(session, recordName, &mainWindow);
    QLineEdit *name = text(dialog, "txtName");
    QLineEdit *path = text(dialog, "txtDLD");
    QPushButton *ok = button(dialog, "cmdOK");
    const auto pressOk = [&] {
        messageBoxes.shown.clear();
        emit ok->clicked(); // also when the button shows disabled
        return messageBoxes.texts().join(u'|');
    };
    ASSERT_TRUE(execModal(dialog, [&] {
        name->setText(u"  "_s);
        EXPECT_EQ(pressOk(), messageText(Msg::EnterDataSourceName));
        name->setText(u"Roads"_s);
        path->setText(u" "_s);
        EXPECT_EQ(pressOk(), messageText(Msg::ChooseValidDldFile));
        path->setText(JoinPath(tempDir.path(), u"MISSING.DLD"_s));
        EXPECT_EQ(pressOk(), messageText(Msg::EnterFullValidPath));

        // A wildcard path passes the search for a file, but no entities are
        // read from it.
        path->setText(JoinPath(tempDir.path(), u"*.DLD"_s));
        openList(dialog);
        EXPECT_EQ(entities(dialog)->count(), 0);
        EXPECT_EQ(pressOk(), messageText(Msg::ChooseEntity));

        // Opening the list again drops the choice; OK stays as it was.
        path->setText(dldPath);
        chooseEntity(dialog, 0);
        openList(dialog);
        EXPECT_TRUE(ok->isEnabled());
        EXPECT_EQ(entities(dialog)->currentText(), QString());
        EXPECT_EQ(pressOk(), messageText(Msg::ChooseEntity));

        // A file whose lines end in LF alone declares one "entity" that runs
        // to its end.
        const QString lineFeeds = JoinPath(tempDir.path(), u"LF.DLD"_s);
        writeBytes(lineFeeds, "ENTITY DLD ROADS\nENTITY DLD RIVERS\n");
        path->setText(lineFeeds);
        chooseEntity(dialog, 0);
        EXPECT_EQ(pressOk(), messageText(Msg::EntityHasLineBreak, {lineFeeds}));

        // The file vanishes after it was read.
        path->setText(dldPath);
        chooseEntity(dialog, 0);
        QFile::remove(dldPath);
        EXPECT_EQ(pressOk(), messageText(Msg::EnterFullValidPath));
        EXPECT_TRUE(dialog.isVisible());
        button(dialog, "cmdCancel")->click();
    }));
    EXPECT_EQ(dialog.Tag(), TagCancel);
    EXPECT_TRUE(sectionNames().isEmpty());
}

TEST_F(DemandConfig, DisplayOptionsAreTakenFromTheOptionsDialog)
{
    frmDemandConfig dialog(session, recordName, &mainWindow);
    ASSERT_TRUE(execModal(dialog, [&] {
        text(dialog, "txtName")->setText(u"Roads"_s);
        text(dialog, "txtDLD")->setText(dldPath);
        chooseEntity(dialog, 3);
        onNextModal<frmOptions>([](frmOptions &options) {
            child<QCheckBox>(options, "chkAllScales")->click();
            child<QLineEdit>(options, "txtMinScale")->setText(u"100"_s);
            child<QLineEdit>(options, "txtMaxScale")->setText(u"200"_s);
            EXPECT_FALSE(child<QLineEdit>(options, "txtOverViewScale")->isHidden());
            child<QLineEdit>(options, "txtOverViewScale")->setText(u"400"_s);
            child<QLineEdit>(options, "txtPriority")->setText(u"300"_s);
            child<QPushButton>(options, "cmdOK")->click();
        });
        button(dialog, "cmdOptions")->click();
        button(dialog, "cmdOK")->click();
    }));
    EXPECT_EQ(readKey(u"Roads"_s, u"Scales"_s), u"100,200,400"_s);
    EXPECT_EQ(readKey(u"Roads"_s, u"Priority"_s), u"300"_s);
    // No source number was typed: the number is saved empty.
    EXPECT_EQ(readKey(u"Roads"_s, u"ID"_s), QString());
}

TEST_F(DemandConfig, ReadFailureIsReportedAndLeavesTheDialogUsable)
{
    // Readable for root too: the memory file of a process cannot be read at
    // offset 0.
    frmDemandConfig dialog(session, recordName, &mainWindow);
    text(dialog, "txtDLD")->setText(u"/proc/self/mem"_s);
    openList(dialog);
    EXPECT_EQ(messageBoxes.texts(),
              QStringList{u"Unexpected error reading ICF file: \nInput/output error"_s});
    EXPECT_EQ(messageBoxes.shown[0].style, MsgBoxStyle::Exclamation);
    EXPECT_EQ(entities(dialog)->count(), 0);

    text(dialog, "txtDLD")->setText(dldPath);
    openList(dialog);
    EXPECT_EQ(entities(dialog)->count(), 5);
    EXPECT_EQ(messageBoxes.shown.size(), 1);
}

// The builder is started from the application directory; a failed start
// names the plain reason, in the active language, found by a real start.
TEST_F(DemandConfig, BuilderIsStartedFromTheApplicationDirectory)
{
    const QString builder = JoinPath(tempDir.path(), u"DLDBUILD.EXE"_s);
    {
        frmDemandConfig dialog(session, recordName, &mainWindow);
        button(dialog, "cmdDLD")->click();
        EXPECT_EQ(processLauncher.started, QStringList{builder});
        EXPECT_TRUE(messageBoxes.shown.isEmpty());
    }
    QtProcessLauncher realLauncher;
    session.processLauncher = &realLauncher;
    const QString prefix = u"Error while attempting to run "_s + builder + u": "_s;
    const struct
    {
        std::optional<QByteArray> bytes;
        QFile::Permissions permissions;
        QString reason;
    } cases[] = {
        {std::nullopt, {}, u"file not found"_s},
        {"#!/bin/sh\n", QFile::ReadOwner | QFile::WriteOwner, u"permission denied"_s},
        {"MZ\x90\0", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner,
         u"not a program this system can run"_s},
    };
    for (const auto &test : cases) {
        QFile::remove(builder);
        if (test.bytes) {
            writeBytes(builder, *test.bytes);
            QFile::setPermissions(builder, test.permissions);
        }
        messageBoxes.shown.clear();
        frmDemandConfig dialog(session, recordName, &mainWindow);
        button(dialog, "cmdDLD")->click();
        EXPECT_EQ(messageBoxes.texts(), QStringList{prefix + test.reason});
        ASSERT_EQ(messageBoxes.shown.size(), 1);
        EXPECT_EQ(messageBoxes.shown[0].style, MsgBoxStyle::Exclamation);
    }
}

TEST(QtFileFilter, TurnsCommonDialogPairsIntoQtFilters)
{
    EXPECT_EQ(QtFileFilter(u"Fichier DLD (*.DLD)|*.DLD|"_s), u"Fichier DLD (*.DLD *.dld)"_s);
    EXPECT_EQ(QtFileFilter(u"Maps|*.DLD;*.Icf|All files (*.*)|*.*|"_s),
              u"Maps (*.DLD *.dld *.Icf *.icf);;All files (*.*)"_s);
    EXPECT_EQ(QtFileFilter(u"Text|*.txt|Broken"_s), u"Text (*.txt)"_s);
    EXPECT_EQ(QtFileFilter(QString()), QString());
}
