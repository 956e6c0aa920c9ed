#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QFile>
#include <QTest>

#include <utility>

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

const QStringList SavedKeyOrder = {
    QStringLiteral("Type"),         QStringLiteral("Description"), QStringLiteral("Connect"),
    QStringLiteral("ReadOnly"),     QStringLiteral("ID"),          QStringLiteral("Attributes"),
    QStringLiteral("Capabilities"), QStringLiteral("AutoConnect"), QStringLiteral("Scales"),
    QStringLiteral("Priority")};

class DemandConfig : public DialogFixture
{
protected:
    void SetUp() override
    {
        DialogFixture::SetUp();
        session.messageTable = &table; // English, with the placeholders filled in
        dldPath = JoinPath(tempDir.path(), QStringLiteral("ROADS.DLD"));
        writeBytes(dldPath, SampleDld);
    }

    template<typename W = QWidget>
    static W *control(QWidget &dialog, const char *name)
    {
        auto *found = dialog.findChild<W *>(QLatin1String(name));
        if (!found)
            ADD_FAILURE() << "no control " << name;
        return found;
    }

    static QComboBox *entities(QWidget &dialog)
    {
        return control<QComboBox>(dialog, "cmbEntities");
    }
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
        const QPoint entry = view->visualRect(view->model()->index(row, 0)).center();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, entry);
        ASSERT_TRUE(waitFor([view] { return !view->isVisible(); }));
    }

    QStringList valuesOf(const QString &section) const
    {
        QStringList values;
        for (const QString &key : keysOf(section))
            values.append(readKey(section, key));
        return values;
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

TEST_F(DemandConfig, NewRecordStartsEmptyWithReadOnlyCheckedAndOkDisabled)
{
    frmDemandConfig dialog(session);
    EXPECT_EQ(dialog.Tag(), TagCancel);
    EXPECT_TRUE(control<QLineEdit>(dialog, "txtName")->text().isEmpty());
    EXPECT_TRUE(control<QLineEdit>(dialog, "txtDLD")->text().isEmpty());
    EXPECT_EQ(entities(dialog)->count(), 0);
    auto *readOnly = control<QCheckBox>(dialog, "chkReadOnly");
    EXPECT_EQ(readOnly->checkState(), Qt::Checked);
    EXPECT_FALSE(readOnly->isEnabled());
    EXPECT_EQ(control<QCheckBox>(dialog, "chkAutoID")->checkState(), Qt::Unchecked);
    EXPECT_TRUE(control(dialog, "txtID")->isEnabled());
    EXPECT_FALSE(button(dialog, "cmdOK")->isEnabled());
    EXPECT_TRUE(button(dialog, "cmdBrowse")->isEnabled());
}

TEST_F(DemandConfig, NewRecordIsBuiltFromABrowsedFileAndAChosenEntity)
{
    fileDialogs.answers.enqueue(dldPath);
    frmDemandConfig dialog(session);
    ASSERT_TRUE(execModal(dialog, [&] {
        QTest::keyClicks(control(dialog, "txtName"), QStringLiteral("Main Roads"));
        button(dialog, "cmdBrowse")->click();
        EXPECT_EQ(control<QLineEdit>(dialog, "txtDLD")->text(), dldPath);
        // The file is read when the list is opened, not before.
        EXPECT_EQ(entities(dialog)->count(), 0);
        EXPECT_FALSE(button(dialog, "cmdOK")->isEnabled());

        openList(dialog);
        QStringList listed;
        for (int row = 0; row < entities(dialog)->count(); ++row)
            listed.append(entities(dialog)->itemText(row));
        EXPECT_EQ(listed, (QStringList{u"PARCELS"_s, u"WATER MAINS"_s, u"Main Roads"_s, u"ROADS"_s,
                                       u"ROADS"_s}));
        EXPECT_EQ(entities(dialog)->currentIndex(), -1);
        EXPECT_FALSE(button(dialog, "cmdOK")->isEnabled());

        chooseEntity(dialog, 2);
        EXPECT_TRUE(button(dialog, "cmdOK")->isEnabled());
        QTest::keyClicks(control(dialog, "txtID"), QStringLiteral("1x2-"));
        EXPECT_EQ(control<QLineEdit>(dialog, "txtID")->text(), QStringLiteral("12"));
        button(dialog, "cmdOK")->click();
    }));

    ASSERT_EQ(fileDialogs.asked.size(), 1);
    EXPECT_EQ(fileDialogs.asked[0].title, QStringLiteral("Select DLD File"));
    EXPECT_EQ(fileDialogs.asked[0].filter, QStringLiteral("DLD File (*.DLD *.dld)"));
    EXPECT_EQ(dialog.Tag(), TagOk);
    EXPECT_TRUE(messageBoxes.shown.isEmpty());
    EXPECT_EQ(sectionNames(), QStringList{QStringLiteral("Main Roads")});
    EXPECT_EQ(keysOf(QStringLiteral("Main Roads")), SavedKeyOrder);
    EXPECT_EQ(valuesOf(QStringLiteral("Main Roads")),
              (QStringList{u"4"_s, QString(), dldPath + u" Main Roads"_s, u"1"_s, u"12"_s, u"1"_s,
                           u"0"_s, u"0"_s, u"0,0,0"_s, u"127"_s}));
}

TEST_F(DemandConfig, CancelledBrowseAndChangedPathBehaveAsTheUserExpects)
{
    frmDemandConfig dialog(session);
    auto *path = control<QLineEdit>(dialog, "txtDLD");
    path->setText(dldPath);
    chooseEntity(dialog, 0);
    ASSERT_EQ(entities(dialog)->currentText(), QStringLiteral("PARCELS"));

    button(dialog, "cmdBrowse")->click(); // nothing queued: the user cancels
    EXPECT_EQ(path->text(), dldPath);
    EXPECT_EQ(entities(dialog)->currentText(), QStringLiteral("PARCELS"));

    // Any change of the path empties the list.
    path->end(false);
    QTest::keyClick(path, Qt::Key_Backspace);
    EXPECT_EQ(entities(dialog)->count(), 0);
    EXPECT_FALSE(button(dialog, "cmdOK")->isEnabled());
}

TEST_F(DemandConfig, ExistingRecordIsShownAndWrittenBackUnchanged)
{
    writeRegistry("[Parcels]\r\nType=4\r\nDescription=Cadastral parcels\r\nConnect="
                  + dldPath.toUtf8()
                  + " Main Roads\r\nReadOnly=2\r\nID=12\r\nAttributes=1\r\nCapabilities=0\r\n"
                    "AutoConnect=1\r\nScales=0,0,25000\r\nPriority=50\r\n");
    session.CurrentSrcName = QStringLiteral("Parcels");
    frmDemandConfig dialog(session);
    EXPECT_EQ(control<QLineEdit>(dialog, "txtName")->text(), QStringLiteral("Parcels"));
    EXPECT_EQ(control<QLineEdit>(dialog, "txtDescription")->text(),
              QStringLiteral("Cadastral parcels"));
    EXPECT_EQ(control<QLineEdit>(dialog, "txtDLD")->text(), dldPath);
    EXPECT_EQ(entities(dialog)->count(), 5);
    EXPECT_EQ(entities(dialog)->currentText(), QStringLiteral("Main Roads"));
    EXPECT_EQ(control<QCheckBox>(dialog, "chkReadOnly")->checkState(), Qt::PartiallyChecked);
    EXPECT_EQ(control<QLineEdit>(dialog, "txtID")->text(), QStringLiteral("12"));
    EXPECT_EQ(control<QCheckBox>(dialog, "chkAutoID")->checkState(), Qt::Unchecked);
    EXPECT_TRUE(button(dialog, "cmdOK")->isEnabled());

    ASSERT_TRUE(execModal(dialog, [&] { button(dialog, "cmdOK")->click(); }));
    EXPECT_EQ(dialog.Tag(), TagOk);
    EXPECT_EQ(valuesOf(QStringLiteral("Parcels")),
              (QStringList{u"4"_s, u"Cadastral parcels"_s, dldPath + u" Main Roads"_s, u"1"_s,
                           u"12"_s, u"1"_s, u"0"_s, u"1"_s, u"0,0,25000"_s, u"50"_s}));
}

TEST_F(DemandConfig, StoredValuesThatAreNoNumberMeanAutomaticNumbering)
{
    for (const QByteArray &id : {QByteArray("Auto"), QByteArray("abc"), QByteArray()}) {
        writeRegistry("[Roads]\r\nType=4\r\nConnect=" + dldPath.toUtf8() + "\r\nID=" + id
                      + "\r\nReadOnly=0\r\n");
        session.CurrentSrcName = QStringLiteral("Roads");
        frmDemandConfig dialog(session);
        SCOPED_TRACE(id.toStdString());
        EXPECT_EQ(control<QCheckBox>(dialog, "chkAutoID")->checkState(), Qt::Checked);
        EXPECT_TRUE(control<QLineEdit>(dialog, "txtID")->text().isEmpty());
        EXPECT_FALSE(control(dialog, "txtID")->isEnabled());
        EXPECT_EQ(control<QCheckBox>(dialog, "chkReadOnly")->checkState(), Qt::Unchecked);
        // A Connect value without a blank is all path: no entity is selected.
        EXPECT_EQ(entities(dialog)->count(), 5);
        EXPECT_EQ(entities(dialog)->currentIndex(), -1);

        chooseEntity(dialog, 1);
        ASSERT_TRUE(execModal(dialog, [&] { button(dialog, "cmdOK")->click(); }));
        EXPECT_EQ(readKey(QStringLiteral("Roads"), QStringLiteral("ID")), AutomaticId);
        EXPECT_EQ(readKey(u"Roads"_s, u"ReadOnly"_s), u"0"_s);
    }
}

TEST_F(DemandConfig, RenameMovesTheRecordWithItsProtection)
{
    writeRegistry("[Before]\r\nType=1\r\n[Old]\r\nType=4\r\nConnect=" + dldPath.toUtf8()
                  + " ROADS\r\nID=Auto\r\nPrivate=2\r\n[After]\r\nType=1\r\n");
    session.CurrentSrcName = QStringLiteral("Old");
    frmDemandConfig dialog(session);
    ASSERT_TRUE(execModal(dialog, [&] {
        control<QLineEdit>(dialog, "txtName")->setText(u"  New\t"_s);
        button(dialog, "cmdOK")->click();
    }));
    EXPECT_EQ(sectionNames(), (QStringList{u"Before"_s, u"After"_s, u"New"_s}));
    EXPECT_EQ(keysOf(u"New"_s), SavedKeyOrder + QStringList{u"Private"_s});
    EXPECT_EQ(readKey(QStringLiteral("New"), QStringLiteral("Private")), QStringLiteral("2"));
    EXPECT_EQ(readKey(QStringLiteral("New"), QStringLiteral("Connect")),
              dldPath + QStringLiteral(" ROADS"));
}

TEST_F(DemandConfig, NameTheRegistryCannotHoldIsRefused)
{
    writeRegistry("[Roads]\r\nType=4\r\n");
    const QByteArray before = registryBytes();
    frmDemandConfig dialog(session);
    ASSERT_TRUE(execModal(dialog, [&] {
        control<QLineEdit>(dialog, "txtName")->setText(QStringLiteral("Main]Roads"));
        control<QLineEdit>(dialog, "txtDLD")->setText(dldPath);
        chooseEntity(dialog, 0);
        button(dialog, "cmdOK")->click();
        EXPECT_TRUE(dialog.isVisible());
        button(dialog, "cmdCancel")->click();
    }));
    ASSERT_EQ(messageBoxes.shown.size(), 1);
    EXPECT_EQ(messageBoxes.shown[0].text,
              messageText(Msg::NameNotStorable, {QStringLiteral("Main]Roads")}));
    EXPECT_EQ(messageBoxes.shown[0].style, MsgBoxStyle::Exclamation);
    EXPECT_EQ(dialog.Tag(), TagCancel);
    EXPECT_EQ(registryBytes(), before);
}

TEST_F(DemandConfig, LockedRecordLeavesOnlyCancelUsable)
{
    writeRegistry("[Utilities]\r\nType=4\r\nConnect=" + dldPath.toUtf8()
                  + " ROADS\r\nID=7\r\nPrivate=3\r\n");
    const QByteArray before = registryBytes();
    session.CurrentSrcName = QStringLiteral("Utilities");
    frmDemandConfig dialog(session);
    EXPECT_EQ(entities(dialog)->currentText(), QStringLiteral("ROADS"));
    for (const char *name : {"Label1", "txtName", "Label2", "txtDescription", "Frame3D1", "txtDLD",
                             "cmbEntities", "txtID", "chkAutoID", "chkReadOnly", "cmdOK",
                             "cmdBrowse", "cmdDLD", "cmdOptions"}) {
        EXPECT_FALSE(control(dialog, name)->isEnabled()) << name;
    }
    EXPECT_TRUE(button(dialog, "cmdCancel")->isEnabled());

    ASSERT_TRUE(execModal(dialog, [&] {
        // Fields that pass every check keep OK disabled all the same.
        emit control<QLineEdit>(dialog, "txtName")->textChanged(QStringLiteral("Utilities"));
        EXPECT_FALSE(button(dialog, "cmdOK")->isEnabled());
        button(dialog, "cmdCancel")->click();
    }));
    EXPECT_EQ(dialog.Tag(), TagCancel);
    EXPECT_EQ(registryBytes(), before);
}

TEST_F(DemandConfig, OkChecksTheRulesInOrderAndKeepsTheDialogOpen)
{
    frmDemandConfig dialog(session);
    auto *name = control<QLineEdit>(dialog, "txtName");
    auto *path = control<QLineEdit>(dialog, "txtDLD");
    QPushButton *ok = button(dialog, "cmdOK");
    const auto pressOk = [&] {
        messageBoxes.shown.clear();
        emit ok->clicked(); // also when the button shows disabled
        EXPECT_EQ(dialog.Tag(), TagOk);
        return messageBoxes.shown.size() == 1 ? messageBoxes.shown[0].text : QString();
    };
    ASSERT_TRUE(execModal(dialog, [&] {
        name->setText(QStringLiteral("  "));
        EXPECT_EQ(pressOk(), messageText(Msg::EnterDataSourceName));
        name->setText(QStringLiteral("Roads"));
        path->setText(QStringLiteral(" "));
        EXPECT_EQ(pressOk(), messageText(Msg::ChooseValidDldFile));
        path->setText(JoinPath(tempDir.path(), QStringLiteral("MISSING.DLD")));
        EXPECT_EQ(pressOk(), messageText(Msg::EnterFullValidPath));

        // A wildcard path passes the search for a file, but no entities are
        // read from it.
        path->setText(JoinPath(tempDir.path(), QStringLiteral("*.DLD")));
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

        // The file vanishes after it was read.
        chooseEntity(dialog, 0);
        QFile::remove(dldPath);
        EXPECT_EQ(pressOk(), messageText(Msg::EnterFullValidPath));
        EXPECT_TRUE(dialog.isVisible());
        button(dialog, "cmdCancel")->click();
    }));
    for (const auto &shown : std::as_const(messageBoxes.shown))
        EXPECT_EQ(shown.style, MsgBoxStyle::Exclamation);
    EXPECT_EQ(dialog.Tag(), TagCancel);
    EXPECT_TRUE(sectionNames().isEmpty());
}

TEST_F(DemandConfig, DisplayOptionsAreTakenFromTheOptionsDialog)
{
    frmDemandConfig dialog(session);
    ASSERT_TRUE(execModal(dialog, [&] {
        control<QLineEdit>(dialog, "txtName")->setText(QStringLiteral("Roads"));
        control<QLineEdit>(dialog, "txtDLD")->setText(dldPath);
        chooseEntity(dialog, 3);
        onNextModal<frmOptions>([](frmOptions &options) {
            options.chkAllScales()->click();
            options.txtMinScale()->setText(QStringLiteral("100"));
            options.txtMaxScale()->setText(QStringLiteral("200"));
            options.txtPriority()->setText(QStringLiteral("300"));
            options.findChild<QPushButton *>(QStringLiteral("cmdOK"))->click();
        });
        button(dialog, "cmdOptions")->click();
        button(dialog, "cmdOK")->click();
    }));
    EXPECT_EQ(readKey(QStringLiteral("Roads"), QStringLiteral("Scales")),
              QStringLiteral("100,200,0"));
    EXPECT_EQ(readKey(QStringLiteral("Roads"), QStringLiteral("Priority")), QStringLiteral("300"));
    // No source number was typed: the number is saved empty.
    EXPECT_EQ(readKey(QStringLiteral("Roads"), QStringLiteral("ID")), QString());
}

TEST_F(DemandConfig, ReadFailureIsReportedAndLeavesTheDialogUsable)
{
    // Readable for root too: the memory file of a process cannot be read at
    // offset 0.
    frmDemandConfig dialog(session);
    control<QLineEdit>(dialog, "txtDLD")->setText(QStringLiteral("/proc/self/mem"));
    openList(dialog);
    ASSERT_EQ(messageBoxes.shown.size(), 1);
    EXPECT_EQ(messageBoxes.shown[0].text,
              QStringLiteral("Unexpected error reading ICF file: \nInput/output error"));
    EXPECT_EQ(messageBoxes.shown[0].style, MsgBoxStyle::Exclamation);
    EXPECT_EQ(entities(dialog)->count(), 0);

    control<QLineEdit>(dialog, "txtDLD")->setText(dldPath);
    openList(dialog);
    EXPECT_EQ(entities(dialog)->count(), 5);
    EXPECT_EQ(messageBoxes.shown.size(), 1);
}

TEST_F(DemandConfig, BuilderIsStartedFromTheApplicationDirectory)
{
    frmDemandConfig dialog(session);
    const QString builder = JoinPath(tempDir.path(), QStringLiteral("DLDBUILD.EXE"));
    button(dialog, "cmdDLD")->click();
    EXPECT_EQ(processLauncher.started, QStringList{builder});
    EXPECT_TRUE(messageBoxes.shown.isEmpty());

    processLauncher.failure = QStringLiteral("Permission denied");
    button(dialog, "cmdDLD")->click();
    ASSERT_EQ(messageBoxes.shown.size(), 1);
    EXPECT_EQ(messageBoxes.shown[0].text,
              QStringLiteral("Error while attempting to run ") + builder
                  + QStringLiteral(": Permission denied"));
    EXPECT_EQ(messageBoxes.shown[0].style, MsgBoxStyle::Exclamation);
}

TEST_F(DemandConfig, MissingBuilderIsReportedWithTheSystemsDescription)
{
    QtProcessLauncher realLauncher;
    session.processLauncher = &realLauncher;
    session.ApplicationDir = JoinPath(tempDir.path(), QStringLiteral("no-such-dir"));
    frmDemandConfig dialog(session);
    button(dialog, "cmdDLD")->click();
    ASSERT_EQ(messageBoxes.shown.size(), 1);
    const QString prefix = QStringLiteral("Error while attempting to run ")
                           + JoinPath(session.ApplicationDir, QStringLiteral("DLDBUILD.EXE"))
                           + QStringLiteral(": ");
    EXPECT_TRUE(messageBoxes.shown[0].text.startsWith(prefix))
        << messageBoxes.shown[0].text.toStdString();
    EXPECT_GT(messageBoxes.shown[0].text.size(), prefix.size());
}

TEST(QtFileFilter, TurnsCommonDialogPairsIntoQtFilters)
{
    EXPECT_EQ(QtFileFilter(QStringLiteral("DLD File (*.DLD)|*.DLD|")),
              QStringLiteral("DLD File (*.DLD *.dld)"));
    EXPECT_EQ(QtFileFilter(QStringLiteral("Fichier DLD (*.DLD)|*.DLD|")),
              QStringLiteral("Fichier DLD (*.DLD *.dld)"));
    EXPECT_EQ(QtFileFilter(QStringLiteral("Maps|*.DLD;*.Icf|All files (*.*)|*.*|")),
              QStringLiteral("Maps (*.DLD *.dld *.Icf *.icf);;All files (*.*)"));
    EXPECT_EQ(QtFileFilter(QStringLiteral("Text|*.txt|Broken")), QStringLiteral("Text (*.txt)"));
    EXPECT_EQ(QtFileFilter(QString()), QString());
}
