#include <gtest/gtest.h>

#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

#include <functional>

#include "app/RegistryWatcher.h"
#include "app/frmNewSrc.h"
#include "app/frmTessel.h"
#include "hostlink/HostLink.h"
#include "i18n/Messages.h"
#include "registry/ProfileStore.h"
#include "tests/support/DialogFixture.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/GeoListDriver.h"
#include "tests/support/ScriptedConfigDialog.h"
#include "tests/support/TestFiles.h"

using namespace tessel;
using test::ListedItem;
using test::ScriptedConfigDialog;

namespace {

// What the main window had set up when a configuration dialog loaded.
struct OpenedDialog
{
    ConfigDialogKind kind;
    QString currentSrcName;
    qint16 nativeSrcType;
    bool operator==(const OpenedDialog &) const = default;
};

void PrintTo(const OpenedDialog &opened, std::ostream *out)
{
    *out << "{kind " << int(opened.kind) << ", " << opened.currentSrcName.toStdString()
         << ", native type " << opened.nativeSrcType << '}';
}

// The main window with the host and the configuration dialogs scripted.
class ScriptedMainWindow final : public frmTessel
{
public:
    ScriptedMainWindow(Session &session, HostLink &hostLink)
        : frmTessel(session, hostLink)
        , m_session(session)
    {
    }

    // How the configuration dialogs end; a confirmed one runs save first.
    ScriptedConfigDialog::Ending ending = ScriptedConfigDialog::Ending::Cancel;
    std::function<void()> save;

    std::vector<OpenedDialog> opened;
    bool connected = false;
    int refreshSignals = 0;

protected:
    std::unique_ptr<ConfigDialog> createConfigForm(ConfigDialogKind kind, const QString &recordName,
                                                   qint16 nativeType) override
    {
        opened.push_back({kind, recordName, nativeType});
        return std::make_unique<ScriptedConfigDialog>(m_session, ending, save);
    }
    bool IsConnected() override { return connected; }
    void SignalParent() override { ++refreshSignals; }

private:
    Session &m_session;
};

class MainWindowTest : public test::DialogFixture
{
protected:
    void TearDown() override
    {
        window.reset();
        DialogFixture::TearDown();
    }

    void writeCatalogue(const QByteArray &text)
    {
        test::writeBytes(session.SourcesIniPath, text);
    }

    // Loads and shows the main window on the files written so far.
    ScriptedMainWindow &load()
    {
        window = std::make_unique<ScriptedMainWindow>(session, hostLink);
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        return *window;
    }

    GeoList *sources() const { return window->findChild<GeoList *>(QStringLiteral("lstSrcs")); }
    QPushButton *button(const char *name) const
    {
        return window->findChild<QPushButton *>(QString::fromLatin1(name));
    }
    void select(const QString &name) { test::clickListItem(sources(), name); }
    QString selectedName() const
    {
        return sources()->ListIndex() == -1 ? QString() : GeoListItemName(sources()->Text());
    }
    // The names the list shows, in order, separated by commas.
    QString listedNames() const
    {
        QStringList names;
        for (int row = 0; row < sources()->count(); ++row)
            names.append(sources()->item(row)->text());
        return names.join(QStringLiteral(", "));
    }
    // Times the window's registry watcher has looked at the file.
    std::unique_ptr<QSignalSpy> watcherLooks() const
    {
        return std::make_unique<QSignalSpy>(
            window->findChild<RegistryWatcher *>()->findChild<QTimer *>(), &QTimer::timeout);
    }
    void writeKey(const char *section, const char *key, const char *value)
    {
        ASSERT_TRUE(WriteProfileString(QString::fromLatin1(section), QString::fromLatin1(key),
                                       QString::fromLatin1(value), session.RegistryIniPath));
    }

    std::vector<int> shownStyles() const
    {
        std::vector<int> styles;
        for (const auto &box : messageBoxes.shown)
            styles.push_back(box.style);
        return styles;
    }

    HostLink hostLink{HostCommandLine{}};
    std::unique_ptr<ScriptedMainWindow> window;
};

const QByteArray FourTypes = "[Network]\nType=1\n"
                             "[Relief]\nType=2\n"
                             "[Roads]\nType=4\nConnect=/data/roads.dld ROADS\n"
                             "[Census]\nType=5\n";

TEST_F(MainWindowTest, ListsEverySectionWithTheIconOfItsType)
{
    writeRegistry("[Relief]\nType=2\n"
                  "[Census]\nType=5\n"
                  "[Untyped]\nDescription=no type key\n"
                  "[Three]\nType=3\n"
                  "[Roads]\nType=4\n"
                  "[Rounded]\nType=1.6\n");
    load();

    const std::vector<ListedItem> expected = {
        {QStringLiteral("Relief"), 4, 2}, {QStringLiteral("Census"), 3, 5},
        {QStringLiteral("Untyped"), 1, 1}, {QStringLiteral("Three"), 0, 3},
        {QStringLiteral("Roads"), 2, 4}, {QStringLiteral("Rounded"), 4, 2}};
    EXPECT_EQ(test::listedItems(*sources()), expected);

    ASSERT_EQ(messageBoxes.shown.size(), 1);
    EXPECT_EQ(messageBoxes.shown[0].text, Msg::InternalErrorSrcTypeToIcon);
    EXPECT_EQ(messageBoxes.shown[0].style, MsgBoxStyle::OkOnly);
    EXPECT_EQ(messageBoxes.shown[0].title, QStringLiteral("Tessel"));

    EXPECT_EQ(sources()->ListIndex(), -1);
    EXPECT_FALSE(button("cmdDelete")->isEnabled());
    EXPECT_FALSE(button("cmdConfig")->isEnabled());
}

TEST_F(MainWindowTest, SelectionEnablesConfigureAndDeleteUnlessTheRecordIsProtected)
{
    writeRegistry("[Zero]\nPrivate=0\n"
                  "[Missing]\nType=1\n"
                  "[Words]\nPrivate=abc\n"
                  "[Locked]\nPrivate=1\n"
                  "[Saved]\nPrivate=8\n"
                  "[Protected]\nPrivate=2\n"
                  "[Both]\nPrivate=3\n"
                  "[Ten]\nPrivate=10\n"
                  "[Rounded]\nPrivate=1.6\n");
    load();
    const std::vector<std::pair<const char *, bool>> deletable = {
        {"Zero", true},   {"Missing", true},    {"Words", true},
        {"Locked", true}, {"Saved", true},      {"Protected", false},
        {"Both", false},  {"Ten", false},       {"Rounded", false}};
    for (const auto &[name, canDelete] : deletable) {
        select(QString::fromLatin1(name));
        EXPECT_TRUE(button("cmdConfig")->isEnabled()) << name;
        EXPECT_EQ(button("cmdDelete")->isEnabled(), canDelete) << name;
    }
}

TEST_F(MainWindowTest, DeleteAfterYesRemovesTheSectionAndRefillsTheList)
{
    writeRegistry("[Network]\nType=1\n[Relief]\nType=2\nPrivate=8\n[Roads]\nType=4\n");
    ScriptedMainWindow &main = load();
    select(QStringLiteral("Relief"));
    messageBoxes.answers.enqueue(MsgBoxResult::Yes);
    button("cmdDelete")->click();

    ASSERT_EQ(messageBoxes.texts(), QStringList{Msg::DeleteSelectedEntry});
    EXPECT_EQ(shownStyles(), std::vector<int>{MsgBoxStyle::YesNoQuestion});
    EXPECT_EQ(registryBytes(), QByteArray("[Network]\nType=1\n[Roads]\nType=4\n"));
    EXPECT_EQ(sources()->count(), 2);
    EXPECT_EQ(sources()->ListIndex(), -1);
    EXPECT_EQ(main.refreshSignals, 1);

    // The refill leaves nothing selected, so nothing is there to delete or configure.
    EXPECT_FALSE(button("cmdDelete")->isEnabled());
    EXPECT_FALSE(button("cmdConfig")->isEnabled());
}

TEST_F(MainWindowTest, DeleteAfterNoWhileConnectedOrFailingChangesNothing)
{
    writeRegistry(FourTypes);
    ScriptedMainWindow &main = load();
    select(QStringLiteral("Roads"));

    messageBoxes.answers.enqueue(MsgBoxResult::No);
    button("cmdDelete")->click();
    EXPECT_EQ(registryBytes(), FourTypes);
    EXPECT_EQ(sources()->ListIndex(), 2);

    main.connected = true;
    button("cmdDelete")->click();
    EXPECT_EQ(messageBoxes.texts(),
              (QStringList{Msg::DeleteSelectedEntry, Msg::CannotDeleteConnected}));
    EXPECT_EQ(messageBoxes.shown.last().style, MsgBoxStyle::Exclamation);
    EXPECT_EQ(registryBytes(), FourTypes);

    main.connected = false;
    messageBoxes.answers.enqueue(MsgBoxResult::Yes);
    {
        const test::FileSizeLimit fullDisk(8);
        button("cmdDelete")->click();
    }
    EXPECT_EQ(messageBoxes.texts().last(), session.GetMsgText(Msg::RegistryDiskFull, {session.RegistryIniPath}));
    EXPECT_EQ(registryBytes(), FourTypes);
    EXPECT_EQ(sources()->ListIndex(), 2);
    EXPECT_EQ(main.refreshSignals, 0);
}

TEST_F(MainWindowTest, ConfigureOpensTheDialogOfTheRecordsType)
{
    writeRegistry(FourTypes);
    ScriptedMainWindow &main = load();
    for (const char *name : {"Relief", "Network", "Roads", "Census"}) {
        select(QString::fromLatin1(name));
        button("cmdConfig")->click();
        // A cancelled dialog changed nothing: no refill, no signal.
        EXPECT_NE(sources()->ListIndex(), -1) << name;
    }
    // NativeSrcType keeps its last value when a dialog of another kind opens.
    const std::vector<OpenedDialog> expected = {
        {ConfigDialogKind::Native, QStringLiteral("Relief"), 2},
        {ConfigDialogKind::Native, QStringLiteral("Network"), 1},
        {ConfigDialogKind::DemandLoad, QStringLiteral("Roads"), 1},
        {ConfigDialogKind::Odbc, QStringLiteral("Census"), 1}};
    EXPECT_EQ(main.opened, expected);
    EXPECT_EQ(main.refreshSignals, 0);
    EXPECT_TRUE(messageBoxes.shown.isEmpty());
}

// A click on the empty part of the list clears the selection and with it
// Configure and Delete; a double-click or Enter on an entry configures it.
TEST_F(MainWindowTest, EmptyClickDisablesTheButtonsAndDoubleClickOrEnterConfigures)
{
    writeRegistry(FourTypes);
    ScriptedMainWindow &main = load();
    GeoList *list = sources();
    select(QStringLiteral("Roads"));
    ASSERT_TRUE(button("cmdDelete")->isEnabled());
    const QPoint empty(5, list->viewport()->height() - 3);
    ASSERT_FALSE(list->indexAt(empty).isValid());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, empty);
    EXPECT_EQ(list->ListIndex(), -1);
    EXPECT_FALSE(button("cmdDelete")->isEnabled());
    EXPECT_FALSE(button("cmdConfig")->isEnabled());
    QTest::keyClick(list, Qt::Key_Return); // nothing selected: nothing to configure
    EXPECT_TRUE(main.opened.empty());

    test::doubleClickListItem(list, 0);
    select(QStringLiteral("Relief"));
    QTest::keyClick(list, Qt::Key_Return);
    const std::vector<OpenedDialog> expected = {
        {ConfigDialogKind::Native, QStringLiteral("Network"), 1},
        {ConfigDialogKind::Native, QStringLiteral("Relief"), 2}};
    EXPECT_EQ(main.opened, expected);
}

TEST_F(MainWindowTest, ConfigureOnAConnectedSourceWarnsAndStillOpensTheDialog)
{
    writeRegistry(FourTypes);
    ScriptedMainWindow &main = load();
    main.connected = true;
    select(QStringLiteral("Census"));
    button("cmdConfig")->click();
    EXPECT_EQ(messageBoxes.texts(), QStringList{Msg::SourceConnected});
    EXPECT_EQ(shownStyles(), std::vector<int>{MsgBoxStyle::Information});
    EXPECT_EQ(main.opened.size(), 1u);
}

TEST_F(MainWindowTest, ConfigureOnATypeWithoutDialogReportsItAndOpensNothing)
{
    writeRegistry("[Three]\nType=3\n");
    ScriptedMainWindow &main = load();
    select(QStringLiteral("Three"));
    button("cmdConfig")->click();
    EXPECT_EQ(messageBoxes.texts(),
              (QStringList{Msg::InternalErrorSrcTypeToIcon, Msg::InternalErrorGetConfigForm}));
    EXPECT_EQ(shownStyles(), (std::vector<int>{MsgBoxStyle::OkOnly, MsgBoxStyle::OkOnly}));
    EXPECT_TRUE(main.opened.empty());
}

TEST_F(MainWindowTest, NewWithCancelInTheChooserOpensNothing)
{
    writeCatalogue("[Sources]\nNative=1\nRaster Image=2,Raster\n");
    ScriptedMainWindow &main = load();
    onNextModal<frmNewSrc>([](frmNewSrc &chooser) {
        chooser.findChild<QPushButton *>(QStringLiteral("cmdCancel"))->click();
    });
    button("cmdAdd")->click();
    EXPECT_TRUE(main.opened.empty());
    EXPECT_EQ(main.refreshSignals, 0);
    EXPECT_TRUE(registryBytes().isEmpty());
}

// Another program changes the registry while the window is open: the list
// follows, the selected record stays selected while it exists, and the
// buttons follow the record; the host is not told.
TEST_F(MainWindowTest, FollowsChangesOfOtherProgramsKeepingTheSelection)
{
    writeRegistry(FourTypes);
    ScriptedMainWindow &main = load();
    select(QStringLiteral("Roads"));
    struct Step
    {
        const char *what;
        std::function<void()> act;
        const char *listed;
        const char *selected;
        bool deletable;
    };
    const std::vector<Step> steps = {
        {"a record added", [&] { writeKey("Terrain", "Type", "2"); },
         "Network, Relief, Roads, Census, Terrain", "Roads", true},
        {"the selected record protected", [&] { writeKey("Roads", "Private", "2"); },
         "Network, Relief, Roads, Census, Terrain", "Roads", false},
        {"the selected record removed",
         [&] { EXPECT_TRUE(DeleteProfileSection(QStringLiteral("Roads"), session.RegistryIniPath)); },
         "Network, Relief, Census, Terrain", "", false},
    };
    for (const Step &step : steps) {
        step.act();
        EXPECT_TRUE(waitFor([&] {
            return listedNames() == QLatin1String(step.listed)
                && selectedName() == QLatin1String(step.selected)
                && button("cmdDelete")->isEnabled() == step.deletable;
        })) << step.what;
        EXPECT_EQ(button("cmdConfig")->isEnabled(), *step.selected != 0) << step.what;
    }
    EXPECT_EQ(main.refreshSignals, 0);
}

// While the type chooser or a configuration dialog is open the list waits;
// a change seen meanwhile is listed when the window closes it. A confirmed
// dialog refills the list (nothing selected) and tells the host, and that
// refill is not followed by a second one.
TEST_F(MainWindowTest, ListsChangesOnceItsDialogsHaveClosed)
{
    writeRegistry(FourTypes);
    ScriptedMainWindow &main = load();
    const std::unique_ptr<QSignalSpy> looks = watcherLooks();
    QSignalSpy refills(sources()->model(), &QAbstractItemModel::modelReset);
    const auto looked = [&](qsizetype before) {
        return waitFor([&] { return looks->count() > before; });
    };
    const auto changeWhileOpen = [&](const char *name) {
        const qsizetype before = looks->count();
        writeKey(name, "Type", "1");
        EXPECT_TRUE(looked(before));
        EXPECT_EQ(refills.count(), 0);
    };

    onNextModal<frmNewSrc>([&](frmNewSrc &chooser) {
        changeWhileOpen("Elsewhere");
        chooser.findChild<QPushButton *>(QStringLiteral("cmdCancel"))->click();
    });
    button("cmdAdd")->click();
    EXPECT_TRUE(waitFor([&] { return refills.count() == 1; }));
    EXPECT_EQ(listedNames(), QStringLiteral("Network, Relief, Roads, Census, Elsewhere"));

    refills.clear();
    main.ending = ScriptedConfigDialog::Ending::Ok;
    main.save = [&] {
        changeWhileOpen("Meanwhile");
        EXPECT_TRUE(DeleteProfileSection(QStringLiteral("Relief"), session.RegistryIniPath));
        writeKey("Terrain", "Type", "2");
    };
    select(QStringLiteral("Relief"));
    button("cmdConfig")->click();
    EXPECT_EQ(refills.count(), 1);
    EXPECT_EQ(listedNames(),
              QStringLiteral("Network, Roads, Census, Elsewhere, Meanwhile, Terrain"));
    EXPECT_EQ(sources()->ListIndex(), -1);
    EXPECT_TRUE(looked(looks->count()));
    EXPECT_EQ(refills.count(), 1);
    EXPECT_EQ(main.refreshSignals, 1);
}

class NewSourceTest : public MainWindowTest
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        writeCatalogue("[Sources]\nNative=1\nRaster Image=2,Raster\n");
        load();
    }

    // New, then the type of that name chosen in the type chooser.
    void createSource(const QString &typeName)
    {
        onNextModal<frmNewSrc>([typeName](frmNewSrc &chooser) {
            test::clickListItem(chooser.findChild<GeoList *>(QStringLiteral("lstSrcTypes")),
                                typeName);
            chooser.findChild<QPushButton *>(QStringLiteral("cmdOK"))->click();
        });
        button("cmdAdd")->click();
    }
};

TEST_F(NewSourceTest, OpensTheDialogOfTheChosenTypeForANewRecord)
{
    window->ending = ScriptedConfigDialog::Ending::Ok;
    window->save = [this] {
        EXPECT_TRUE(WriteProfileString(QStringLiteral("Relief"), QStringLiteral("Type"), QStringLiteral("2"),
                           session.RegistryIniPath));
    };
    createSource(QStringLiteral("Raster Image"));

    const std::vector<OpenedDialog> expected = {
        {ConfigDialogKind::Native, NewRecordMarker, 2}};
    EXPECT_EQ(window->opened, expected);
    const std::vector<ListedItem> listed = {{QStringLiteral("Relief"), 4, 2}};
    EXPECT_EQ(test::listedItems(*sources()), listed);
    EXPECT_EQ(window->refreshSignals, 1);
}

TEST_F(MainWindowTest, CloseUnloadsTheWindow)
{
    load();
    QSignalSpy unloaded(window.get(), &frmTessel::unloaded);
    button("cmdClose")->click();
    EXPECT_EQ(unloaded.count(), 1);
    EXPECT_FALSE(window->isVisible());
}

// The type chooser on its own.
class NewSourceDialogTest : public test::DialogFixture
{
protected:
    frmNewSrc &load(const QByteArray &catalogue)
    {
        test::writeBytes(session.SourcesIniPath, catalogue);
        chooser = std::make_unique<frmNewSrc>(session, SourceIconStrip(), &mainWindow);
        return *chooser;
    }

    GeoList *types() const { return chooser->findChild<GeoList *>(QStringLiteral("lstSrcTypes")); }
    QPushButton *button(const char *name) const
    {
        return chooser->findChild<QPushButton *>(QString::fromLatin1(name));
    }

    std::unique_ptr<frmNewSrc> chooser;
};

TEST_F(NewSourceDialogTest, ListsTheCatalogueTypesInFileOrderWithTheirIcons)
{
    load("[Sources]\nRaster Image=2,Raster\nDemand Load=4\nODBC=5\nThree=3\nNative=1,N,More\n");
    const std::vector<ListedItem> expected = {
        {QStringLiteral("Raster Image"), 4, 2}, {QStringLiteral("Demand Load"), 2, 4},
        {QStringLiteral("ODBC"), 3, 5}, {QStringLiteral("Three"), 0, 3},
        {QStringLiteral("Native"), 1, 1}};
    EXPECT_EQ(test::listedItems(*types()), expected);
    EXPECT_EQ(messageBoxes.texts(), QStringList{Msg::InternalErrorSrcTypeToIcon});
}

// OK is enabled once a type is selected; Enter or a double-click on an
// entry is OK.
TEST_F(NewSourceDialogTest, OkIsEnabledOnceATypeIsSelectedAndEnterOrDoubleClickChoosesIt)
{
    load("[Sources]\nNative=1\nRaster Image=2,Raster\n");
    execModal(*chooser, [this] {
        EXPECT_FALSE(button("cmdOK")->isEnabled());
        types()->setFocus();
        QTest::keyClick(types(), Qt::Key_Down);
        QTest::keyClick(types(), Qt::Key_Down);
        EXPECT_TRUE(button("cmdOK")->isEnabled());
        QTest::keyClick(types(), Qt::Key_Return);
    });
    EXPECT_EQ(chooser->Tag(), TagOk);
    EXPECT_EQ(chooser->chosenType(), 2);
    EXPECT_FALSE(chooser->isVisible());

    execModal(*chooser, [this] {
        test::doubleClickListItem(types(), 0);
    });
    EXPECT_EQ(chooser->Tag(), TagOk);
    EXPECT_EQ(chooser->chosenType(), 1);
}

} // namespace
