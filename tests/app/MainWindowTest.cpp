// The main window linked to a host in this process: what it lists, which
// buttons it enables, what they do to the registry, what the host hears of
// it, and how the list follows what other programs do to the registry.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFutureWatcher>
#include <QPushButton>
#include <QSignalSpy>

#include <csignal>
#include <cstdio>

#include "app/RegistryWatcher.h"
#include "app/frmNewSrc.h"
#include "app/frmTessel.h"
#include "hostlink/HostLink.h"
#include "i18n/Messages.h"
#include "platform/AppPaths.h"
#include "platform/SystemError.h"
#include "platform/TerminationSignals.h"
#include "platform/WindowMessaging.h"
#include "profile/ProfileStore.h"
#include "profile/ProfileDocument.h"
#include "tests/support/DialogFixture.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/GeoListDriver.h"
#include "tests/support/ScriptedConfigDialog.h"
#include "tests/support/TestFiles.h"

using namespace tessel;
using namespace tessel::test;
using namespace Qt::StringLiterals;
using Ending = ScriptedConfigDialog::Ending;

namespace {

enum HostWindows {
    Notify = 1,
    Refresh = 2,
    Shutdown = 4,
    Linked = 7
};

// Its configuration dialogs are scripted and log what they were opened for.
class ScriptedMainWindow final : public frmTessel
{
public:
    ScriptedMainWindow(Session &session, HostLink &link)
        : frmTessel(session, link)
        , m_session(session)
    { }
    Ending ending = Ending::Cancel;
    std::function<void()> save;
    QStringList opened; // "kind record native-type"

protected:
    std::unique_ptr<ConfigDialog> createConfigForm(ConfigDialogKind kind, const QString &record,
                                                   qint16 nativeType) override
    {
        opened.append(QStringLiteral("%1 %2 %3").arg(int(kind)).arg(record).arg(nativeType));
        return std::make_unique<ScriptedConfigDialog>(m_session, ending, save);
    }

private:
    Session &m_session;
};

QString box(const QString &text, int style)
{
    return text + QStringLiteral(" #") + QString::number(style);
}

class MainWindowTest : public DialogFixture
{
protected:
    void TearDown() override
    {
        window.reset();
        DialogFixture::TearDown();
    }

    // Loads and shows the window, linked to the host windows named. The host
    // log tells when the link ended and whether its endpoints were left.
    ScriptedMainWindow &load(int windows = Linked)
    {
        window.reset();
        hostLog.clear();
        whileNotified = {};
        terminationSignals.reset();
        link = std::make_unique<HostLink>(HostCommandLine{{},
                                                          windows & Notify ? hostWindows[0]->handle() : 0,
                                                          windows & Refresh ? hostWindows[1]->handle() : 0,
                                                          windows & Shutdown ? hostWindows[2]->handle() : 0,
                                                          hostDirectory});
        terminationSignals = std::make_unique<TerminationSignals>();
        QObject::connect(terminationSignals.get(), &TerminationSignals::received, link.get(),
                         &HostLink::shutDown);
        button = link->shutdownButtonHandle();
        const QString endpoint = EndpointPath(*RuntimeDirectory(), link->windowHandle());
        QObject::connect(link.get(), &HostLink::ended, [this, endpoint] {
            const bool left =
                QFile::exists(EndpointPath(*RuntimeDirectory(), button)) || QFile::exists(endpoint);
            hostLog.append(left ? u"ENDED with endpoints"_s : u"ENDED"_s);
        });
        window = std::make_unique<ScriptedMainWindow>(session, *link);
        QObject::connect(window.get(), &frmTessel::unloaded, [this] { hostLog.append(u"UNLOADED"_s); });
        // The list is filled once the registry has been read in the background.
        QSignalSpy filled(list()->model(), &QAbstractItemModel::modelReset);
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        EXPECT_TRUE(waitFor([&] { return !filled.isEmpty(); }));
        return *window;
    }

    // Counts the registry's readings in the background, each once it has been
    // compared with the list and, when it differs, listed.
    std::unique_ptr<QSignalSpy> readings() const
    {
        return std::make_unique<QSignalSpy>(window->findChild<QFutureWatcherBase *>(),
                                            &QFutureWatcherBase::finished);
    }
    static bool readAgain(QSignalSpy &reads)
    {
        const qsizetype before = reads.count();
        return waitFor([&] { return reads.count() > before; });
    }

    GeoList *list() const { return child<GeoList>(*window, "lstSrcs"); }
    QPushButton *press(const char *name) const { return child<QPushButton>(*window, name); }
    void select(const char *name) { clickListItem(list(), QString::fromLatin1(name)); }
    QStringList boxes() const
    {
        QStringList shown;
        for (const auto &one : messageBoxes.shown)
            shown.append(box(one.text, one.style));
        return shown;
    }
    void writeKey(const char *section, const char *value)
    {
        EXPECT_TRUE(WriteProfileString(QLatin1String(section), u"Type"_s, QLatin1String(value),
                                       session.RegistryIniPath));
    }

    // The host's three windows inside the test process. Each logs the messages
    // it gets: its name, the numbers of any but a plain 513, and for NOTIFY
    // the keys TesselhWnd and TesselSignal as the host sees them; NOTIFY then
    // writes answer into TesselSignal.
    std::unique_ptr<MessageEndpoint> hostWindow(const char *name)
    {
        return *MessageEndpoint::open([this, name](const WindowMessage &m) {
            const bool notify = QLatin1String(name) == QLatin1String("NOTIFY");
            QString entry = QLatin1String(name);
            if (m.message != WM_LBUTTONDOWN || m.wParam != 0 || m.lParam != 0)
                entry += QStringLiteral(" message %1 %2 %3").arg(m.message).arg(m.wParam).arg(m.lParam);
            hostLog.append(
                notify ? entry
                        + QStringLiteral(" hWnd=%1 %2").arg(hostKey(TesselhWndKey), hostKey(TesselSignalKey))
                       : entry);
            if (notify && whileNotified)
                whileNotified();
            if (notify && answer) {
                EXPECT_TRUE(WriteProfileString(HostIniSection, TesselSignalKey, *answer,
                                               hostDirectory + HostIniFileName));
            }
            return 0;
        });
    }
    QString hostKey(const QString &name) const
    {
        return ReadProfileString(HostIniSection, name, QStringLiteral("<none>"),
                                 hostDirectory + HostIniFileName);
    }

    QTemporaryDir hostDir;
    // The profile file name is glued to the directory text as it stands.
    const QString hostDirectory = hostDir.path() + QStringLiteral("/velum-");
    QStringList hostLog;
    std::optional<QString> answer;
    std::function<void()> whileNotified;
    const std::unique_ptr<MessageEndpoint> hostWindows[3] = {hostWindow("NOTIFY"), hostWindow("REFRESH"),
                                                             hostWindow("SHUTDOWN")};
    std::unique_ptr<HostLink> link;
    std::unique_ptr<TerminationSignals> terminationSignals;
    std::unique_ptr<ScriptedMainWindow> window;
    qint32 button = 0;
};

// The protocol with the host, rule by rule. Linked to all three host windows
// the window registers (TesselhWnd = its hidden button, then an empty notify
// signal); before a source is deleted or configured the host is asked whether
// it is connected (any leading number but 0 is yes); REFRESH follows every
// change, and only a change; closing, the host's press on the hidden button
// and a termination signal each tell the host once, remove the endpoints and
// end, also inside a query. A window whose handle is 0 hears nothing.
TEST_F(MainWindowTest, TheHostHearsOfEveryChangeAndEveryClosing)
{
    const QString query = u"NOTIFY hWnd=B ICQ:Roads"_s, refresh = u"REFRESH"_s;
    const QStringList closed{u"SHUTDOWN"_s, u"ENDED"_s}, unloaded = closed + QStringList{u"UNLOADED"_s};
    const QString question = box(Msg::DeleteSelectedEntry, MsgBoxStyle::YesNoQuestion);
    const QString refused = box(Msg::CannotDeleteConnected, MsgBoxStyle::Exclamation);
    const QString diskFull =
        box(session.GetMsgText(Msg::RegistryDiskFull, {session.RegistryIniPath}), MsgBoxStyle::Exclamation);
    const auto click = [this](const char *record, const char *name) {
        return [=, this] {
            select(record);
            press(name)->click();
        };
    };
    const auto answered = [&](int yesNo) {
        return [&, yesNo] {
            messageBoxes.answers.enqueue(yesNo);
            click("Roads", "cmdDelete")();
        };
    };
    const auto confirmed = [&] {
        window->ending = Ending::Ok;
        click("Roads", "cmdConfig")();
    };
    const auto fullDisk = [&] {
        const FileSizeLimit limit(8);
        answered(MsgBoxResult::Yes)();
    };
    const auto pressButton = [this] { SendMessage(button, WM_LBUTTONDOWN, 0, 0); };
    const auto duringQuery = [&](std::function<void()> hostAction) {
        return [&, hostAction] {
            whileNotified = hostAction;
            answered(MsgBoxResult::No)();
        };
    };
    const auto idle = [this](int signal) {
        return [this, signal] {
            ::raise(signal);
            EXPECT_TRUE(waitFor([this] { return hostLog.contains(u"ENDED"_s); }));
        };
    };
    const struct
    {
        int windows;
        std::optional<QString> answer; // none: the query is left as it stands
        std::function<void()> act;
        QStringList heard; // after the registration
        QStringList boxes;
        bool deleted;
    } cases[] = {
        {Notify | Refresh, u"0"_s, [] {}, {}, {}, false},
        {Linked, u"0"_s, answered(MsgBoxResult::Yes), {query, refresh}, {question}, true},
        {Linked, u"yes"_s, answered(MsgBoxResult::Yes), {query, refresh}, {question}, true},
        {Linked, u"1"_s, answered(MsgBoxResult::Yes), {query}, {refused}, false},
        {Linked, u"-1 sources"_s, answered(MsgBoxResult::Yes), {query}, {refused}, false},
        {Refresh, {}, answered(MsgBoxResult::Yes), {refresh}, {question}, true},
        {Refresh, {}, fullDisk, {}, {question, diskFull}, false},
        {Linked,
         u"1"_s,
         click("Roads", "cmdConfig"),
         {query},
         {box(Msg::SourceConnected, MsgBoxStyle::Information)},
         false},
        {Linked, u"0"_s, confirmed, {query, refresh}, {}, false},
        {Linked, u"0"_s, [this] { press("cmdClose")->click(); }, unloaded, {}, false},
        {Linked,
         u"0"_s,
         [this] {
             link->shutDown();
             link->shutDown();
         },
         closed,
         {},
         false},
        {Linked, u"0"_s, pressButton, unloaded, {}, false},
        {Linked, u"0"_s, duringQuery(pressButton), QStringList{query} + unloaded, {question}, false},
        {Linked,
         u"0"_s,
         duringQuery([] { ::raise(SIGTERM); }),
         QStringList{query} + closed,
         {question},
         false},
        {Linked, u"0"_s, idle(SIGHUP), closed, {}, false},
        {Linked, u"0"_s, idle(SIGINT), closed, {}, false},
    };
    const QByteArray registry = "[Roads]\nType=1\n[Rivers]\nType=2\n";
    for (const auto &c : cases) {
        SCOPED_TRACE(&c - cases);
        writeRegistry(registry);
        writeBytes(hostDirectory + HostIniFileName, "[General]\nTesselSignal=left over\n");
        messageBoxes.shown.clear();
        load(c.windows);
        answer = c.answer;
        c.act();
        // B: the hidden button's handle, which the host is to press.
        const QStringList heard = hostLog.replaceInStrings(u"hWnd="_s + QString::number(button), u"hWnd=B"_s);
        const bool linked = c.windows == Linked;
        EXPECT_EQ(heard, (linked ? QStringList{u"NOTIFY hWnd=B "_s} : QStringList()) + c.heard);
        EXPECT_EQ(hostKey(TesselhWndKey), linked ? QString::number(button) : u"<none>"_s);
        EXPECT_EQ(boxes(), c.boxes);
        EXPECT_EQ(registryBytes(), c.deleted ? QByteArray("[Rivers]\nType=2\n") : registry);
    }
}

// Every section is listed in file order with the icon of its type (a type
// without one is reported and gets the blank icon), nothing selected. A
// selected record can be configured, and deleted unless its Private value has
// the protected bit. Configure, a double-click and Enter open the dialog of
// the record's type for that record, New that of the type chosen (once one
// is) for a new record; the native type stays from the last native dialog. A
// type without a dialog is reported.
TEST_F(MainWindowTest, ListsEverySourceAndOpensTheDialogOfItsType)
{
    writeRegistry(
        "[Relief]\nType=2\nPrivate=8\n[Census]\nType=5\nPrivate=abc\n[Three]\nType=3\nPrivate=0\n[Network]"
        "\nType=1\n"
        "[Roads]\nType=4\nPrivate=2\n[Rounded]\nType=1.6\nPrivate=1.6\n[Ten]\nType=1\nPrivate=10\n");
    writeBytes(session.SourcesIniPath, "[Sources]\nRaster Image=2,Raster\nThree=3\n");
    ScriptedMainWindow &main = load();
    EXPECT_FALSE(press("cmdDelete")->isEnabled() || press("cmdConfig")->isEnabled());
    const std::vector<ListedItem> items = {{u"Relief"_s, 4, 2},  {u"Census"_s, 3, 5}, {u"Three"_s, 0, 3},
                                           {u"Network"_s, 1, 1}, {u"Roads"_s, 2, 4},  {u"Rounded"_s, 4, 2},
                                           {u"Ten"_s, 1, 1}};
    EXPECT_EQ(listedItems(*list()), items);
    for (const ListedItem &item : items) {
        clickListItem(list(), item.name);
        EXPECT_TRUE(press("cmdConfig")->isEnabled()) << item.name.toStdString();
        EXPECT_EQ(press("cmdDelete")->isEnabled(), u"Relief Census Three Network"_s.contains(item.name))
            << item.name.toStdString();
        press("cmdConfig")->click();
    }
    doubleClickListItem(list(), 0);
    select("Network");
    QTest::keyClick(list(), Qt::Key_Return);
    const std::function<void(frmNewSrc &)> choose[] = {
        [](frmNewSrc &chooser) { child<QPushButton>(chooser, "cmdCancel")->click(); },
        [](frmNewSrc &chooser) { doubleClickListItem(chooser.findChild<GeoList *>(), 1); },
        [](frmNewSrc &chooser) {
            EXPECT_FALSE(child<QPushButton>(chooser, "cmdOK")->isEnabled());
            clickListItem(chooser.findChild<GeoList *>(), 0);
            EXPECT_TRUE(child<QPushButton>(chooser, "cmdOK")->isEnabled());
            QTest::keyClick(chooser.findChild<GeoList *>(), Qt::Key_Return);
        }};
    for (const auto &action : choose) {
        onNextModal<frmNewSrc>(action);
        press("cmdAdd")->click();
    }
    EXPECT_EQ(main.opened.join(u", "_s),
              u"0 Relief 2, 2 Census 2, 0 Network 1, 1 Roads 1, 0 Rounded 2, 0 Ten 1, 0 Relief 2, "
              u"0 Network 1, 0 "_s
                  + NewRecordMarker + u" 2"_s);
    const QString noIcon = box(Msg::InternalErrorSrcTypeToIcon, MsgBoxStyle::OkOnly);
    const QString noDialog = box(Msg::InternalErrorGetConfigForm, MsgBoxStyle::OkOnly);
    EXPECT_EQ(boxes(), (QStringList{noIcon, noDialog, noIcon, noIcon, noDialog, noIcon}));
    EXPECT_FALSE(hostLog.contains(u"REFRESH"_s)); // every dialog was cancelled
}

// What other programs do to the registry: once the notices have settled the
// list is refilled, keeping the selected record selected while it exists,
// with the buttons following it. Unchanged bytes and the window's own saves
// refill nothing more; while a dialog is open the list waits.
TEST_F(MainWindowTest, TheListFollowsWhatOtherProgramsDo)
{
    writeRegistry("[Network]\nType=1\n[Roads]\nType=4\n");
    ScriptedMainWindow &main = load();
    select("Roads");
    const auto reads = readings();
    QSignalSpy refills(list()->model(), &QAbstractItemModel::modelReset);
    // After the next reading: the refills since the last, the list, the selected record, whether it can be
    // deleted.
    const auto after = [&](int refillCount, const char *listed, const char *selected, bool deletable) {
        EXPECT_TRUE(readAgain(*reads));
        EXPECT_TRUE(waitFor([&] { return refills.count() >= refillCount; }));
        EXPECT_EQ(refills.count(), refillCount);
        refills.clear();
        EXPECT_EQ(listedNames(*list()), QString::fromLatin1(listed));
        EXPECT_EQ(list()->ListIndex() == -1 ? QString() : GeoListItemName(list()->Text()),
                  QString::fromLatin1(selected));
        EXPECT_EQ(press("cmdDelete")->isEnabled(), deletable);
        EXPECT_EQ(press("cmdConfig")->isEnabled(), *selected != 0);
    };
    const QString &path = session.RegistryIniPath;
    writeKey("Terrain", "2");
    after(1, "Network Roads Terrain", "Roads", true);
    writeBytes(path, readBytes(path));
    after(0, "Network Roads Terrain", "Roads", true);
    QFile reader(path); // the watcher follows the path, not the file a reader holds
    ASSERT_TRUE(reader.open(QIODevice::ReadOnly));
    writeBytes(path + u".new"_s, "[roads]\nType=4\nPrivate=2\n[Replaced]\nType=2\n");
    ASSERT_EQ(
        std::rename(QFile::encodeName(path + u".new"_s).constData(), QFile::encodeName(path).constData()), 0);
    after(1, "roads Replaced", "roads", false);
    writeBytes(path, "[InPlace]\nType=2\n[roads]\nType=4\nPrivate=2\n");
    after(1, "InPlace roads", "roads", false);
    const QByteArray bytes = readBytes(path);
    QFile::remove(path);
    EXPECT_TRUE(ReadProfileDocument(path));
    writeBytes(path, bytes);
    after(0, "InPlace roads", "roads", false);
    QFile::remove(path);
    after(1, "", "", false);
    writeBytes(path, "[Back]\nType=1\n");
    after(1, "Back", "", false);
    onNextModal<frmNewSrc>([&](frmNewSrc &chooser) {
        writeKey("Meanwhile", "1");
        EXPECT_TRUE(readAgain(*reads));
        EXPECT_EQ(refills.count(), 0);
        child<QPushButton>(chooser, "cmdCancel")->click();
    });
    press("cmdAdd")->click();
    after(1, "Back Meanwhile", "", false);
    const auto waitsWhile = [&](const char *what) {
        return [&, what] {
            writeKey(what, "1");
            EXPECT_TRUE(readAgain(*reads));
            EXPECT_EQ(refills.count(), 0) << "the list refilled while " << what << " was open";
        };
    };
    select("Back");
    messageBoxes.whileShown = waitsWhile("Question");
    press("cmdDelete")->click();
    after(1, "Back Meanwhile Question", "Back", true);
    messageBoxes.whileShown = nullptr;
    main.ending = Ending::Ok;
    main.save = waitsWhile("Dialog");
    press("cmdConfig")->click();
    after(1, "Back Meanwhile Question Dialog", "", false);
    EXPECT_EQ(hostLog.mid(1),
              (QStringList{u"NOTIFY hWnd=%1 ICQ:Back"_s.arg(button), u"NOTIFY hWnd=%1 ICQ:Back"_s.arg(button),
                           u"REFRESH"_s}));
}

// Ctrl+Z undoes the window's own changes, newest first, each once the user
// confirms the question that names it, as one replacement that the host
// hears of, a deleted record coming back in its place; No leaves it for
// later. A record that another program changed since is left as it is, and
// the user is told.
TEST_F(MainWindowTest, CtrlZUndoesTheWindowsOwnChangesNewestFirst)
{
    writeRegistry("[Roads]\nType=1\n[Rivers]\nType=2\n");
    ScriptedMainWindow &main = load();
    answer = u"0"_s;
    // Each change the window makes is followed by a refill of its list, with
    // nothing selected from the moment of the change.
    const auto refilled = [&](const std::function<void()> &change) {
        QSignalSpy refills(list()->model(), &QAbstractItemModel::modelReset);
        change();
        EXPECT_FALSE(press("cmdDelete")->isEnabled() || press("cmdConfig")->isEnabled());
        EXPECT_TRUE(waitFor([&] { return !refills.isEmpty(); }));
    };
    const auto pressUndo = [&](int yesNo) {
        messageBoxes.answers.enqueue(yesNo);
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        QTest::keyClick(window.get(), Qt::Key_Z, Qt::ControlModifier);
    };
    const auto undo = [&] { refilled([&] { pressUndo(MsgBoxResult::Yes); }); };
    const auto deleteRecord = [&](const char *name) {
        messageBoxes.answers.enqueue(MsgBoxResult::Yes);
        select(name);
        refilled([&] { press("cmdDelete")->click(); });
    };
    deleteRecord("Roads");
    main.ending = Ending::Ok;
    main.save = [&] {
        RecordSave save;
        save.currentName = save.newName = u"Rivers"_s;
        save.values[RecordKey::Type] = u"2"_s;
        ASSERT_TRUE(SaveRecord(session.RegistryIniPath, save));
    };
    select("Rivers");
    refilled([&] { press("cmdConfig")->click(); });
    const QByteArray saved = registryBytes();
    messageBoxes.shown.clear();
    pressUndo(MsgBoxResult::No);
    EXPECT_EQ(registryBytes(), saved);
    undo();
    EXPECT_EQ(registryBytes(), "[Rivers]\nType=2\n");
    undo();
    EXPECT_EQ(registryBytes(), "[Roads]\nType=1\n[Rivers]\nType=2\n");
    EXPECT_EQ(
        boxes(),
        (QStringList{box(session.GetMsgText(Msg::UndoChanges, {u"Rivers"_s}), MsgBoxStyle::YesNoQuestion),
                     box(session.GetMsgText(Msg::UndoChanges, {u"Rivers"_s}), MsgBoxStyle::YesNoQuestion),
                     box(session.GetMsgText(Msg::UndoDeletion, {u"Roads"_s}), MsgBoxStyle::YesNoQuestion)}));
    EXPECT_EQ(hostLog.count(u"REFRESH"_s), 4);
    EXPECT_EQ(listedItems(*list()).size(), 2u);

    deleteRecord("Roads");
    writeRegistry("[Rivers]\nType=2\n[Roads]\nType=4\n");
    messageBoxes.shown.clear();
    pressUndo(MsgBoxResult::Yes);
    EXPECT_EQ(registryBytes(), "[Rivers]\nType=2\n[Roads]\nType=4\n");
    EXPECT_EQ(boxes().value(1),
              box(session.GetMsgText(Msg::UndoRefused, {u"Roads"_s}), MsgBoxStyle::Exclamation));
}

} // namespace

// Each problem a fill finds is told once per run: a type without an icon when
// it first appears, a registry that cannot be read when that first happens
// (New is refused until it can be read again). Refills that find them again
// tell nothing, nor does the same read failure when it comes back.
TEST_F(MainWindowTest, TellsEachProblemOfTheRegistryOnce)
{
    writeRegistry("[Three]\nType=3\n[Seven]\nType=7\n[Network]\nType=1\n");
    load();
    const QString noIcon = box(Msg::InternalErrorSrcTypeToIcon, MsgBoxStyle::OkOnly);
    const QString unreadable =
        box(session.GetMsgText(Msg::RegistryUnreadable, {session.RegistryIniPath, SystemErrorText(EISDIR)}),
            MsgBoxStyle::Exclamation);
    const QString &path = session.RegistryIniPath;
    const auto listed = [&](const char *names) {
        return waitFor([&] { return listedNames(*list()) == QLatin1String(names); });
    };
    const auto told = [&](QStringList expected) {
        EXPECT_EQ(boxes(), expected);
        messageBoxes.shown.clear();
    };
    told({noIcon, noIcon});
    writeKey("Other", "1");
    EXPECT_TRUE(listed("Three Seven Network Other"));
    told({});
    writeKey("Nine", "9");
    writeKey("ThreeAgain", "3");
    EXPECT_TRUE(listed("Three Seven Network Other Nine ThreeAgain"));
    told({noIcon});
    const QByteArray bytes = readBytes(path);
    QFile::remove(path);
    ASSERT_TRUE(QDir().mkdir(path));
    EXPECT_TRUE(listed(""));
    EXPECT_FALSE(press("cmdAdd")->isEnabled());
    told({unreadable});
    writeBytes(path + u"/inside"_s, "x");
    const auto reads = readings();
    EXPECT_TRUE(readAgain(*reads));
    told({});
    ASSERT_TRUE(QDir(path).removeRecursively());
    writeBytes(path, bytes);
    EXPECT_TRUE(listed("Three Seven Network Other Nine ThreeAgain"));
    EXPECT_TRUE(press("cmdAdd")->isEnabled());
    QFile::remove(path);
    ASSERT_TRUE(QDir().mkdir(path));
    EXPECT_TRUE(listed(""));
    EXPECT_FALSE(press("cmdAdd")->isEnabled());
    told({});
}

// The list follows the registry's path when its folder is replaced by a copy,
// or renamed away (nothing is there to list) and back, and when the path is a
// link whose file is replaced.
TEST_F(MainWindowTest, TheListFollowsTheRegistrysFolderWhenItIsReplaced)
{
    const QString folder = tempDir.filePath(u"app"_s), moved = tempDir.filePath(u"app-old"_s);
    ASSERT_TRUE(QDir().mkdir(folder));
    session.RegistryIniPath = folder + u"/TESSEL.INI"_s;
    writeRegistry("[A]\nType=1\n");
    load();
    const auto listed = [&](const char *names) {
        return waitFor([&] { return listedNames(*list()) == QLatin1String(names); });
    };
    ASSERT_TRUE(QDir().rename(folder, moved));
    ASSERT_TRUE(QDir().mkdir(folder));
    ASSERT_TRUE(QFile::copy(moved + u"/TESSEL.INI"_s, session.RegistryIniPath));
    writeKey("B", "1");
    EXPECT_TRUE(listed("A B"));
    ASSERT_TRUE(QDir(moved).removeRecursively());
    ASSERT_TRUE(QDir().rename(folder, moved));
    EXPECT_TRUE(listed(""));
    writeBytes(moved + u"/TESSEL.INI"_s, "[A]\n[B]\n[InMoved]\n");
    ASSERT_TRUE(QDir().rename(moved, folder));
    EXPECT_TRUE(listed("A B InMoved"));
    writeKey("C", "1");
    EXPECT_TRUE(listed("A B InMoved C"));
    // A link to a registry in a folder nobody watches: the watch follows the
    // file that the link names now, also after that file was replaced while
    // a reader holds the old one.
    const QTemporaryDir elsewhere;
    const QString target = elsewhere.filePath(u"TARGET.INI"_s);
    writeBytes(target, "[Linked]\n");
    ASSERT_TRUE(QFile::remove(session.RegistryIniPath));
    ASSERT_TRUE(QFile::link(target, session.RegistryIniPath));
    EXPECT_TRUE(listed("Linked"));
    QFile reader(target);
    ASSERT_TRUE(reader.open(QIODevice::ReadOnly));
    writeBytes(target + u".new"_s, "[Replaced]\n");
    ASSERT_EQ(
        std::rename(QFile::encodeName(target + u".new"_s).constData(), QFile::encodeName(target).constData()),
        0);
    EXPECT_TRUE(listed("Replaced"));
    writeBytes(target, "[InPlace]\n");
    EXPECT_TRUE(listed("InPlace"));
}

// A damaged registry opens: the window lists what it can read of it, tells
// each problem once, and a later refill that finds them again asks nothing.
TEST_F(MainWindowTest, OpensADamagedRegistryAndListsWhatItCan)
{
    static const char binary[] = "\x7f"
                                 "ELF\x02\x01\x00\n[Roads]\nType=\x01\n\xff\xfe\x00\x00\n[Riv\x00"
                                 "ers]\nType=2\n\x89PNG\r\n";
    const QByteArray utf16 = QByteArray("\xff\xfe")
        + QByteArray(reinterpret_cast<const char *>(u"[Roads]\r\nType=1\r\n[Rivers]\r\nType=2\r\n"), 64);
    const QString noIcon = box(Msg::InternalErrorSrcTypeToIcon, MsgBoxStyle::OkOnly);
    const QString unreadable =
        box(session.GetMsgText(Msg::RegistryUnreadable, {session.RegistryIniPath, SystemErrorText(EISDIR)}),
            MsgBoxStyle::Exclamation);
    const struct
    {
        std::optional<QByteArray> bytes; // none: a directory
        QString listed;
        QStringList boxes;
    } cases[] = {
        {QByteArray(binary, sizeof binary - 1), u"Roads Riv\0ers"_s, {noIcon}},
        {utf16.left(utf16.size() / 2), u"Roads"_s, {}},
        {QByteArray(), QString(), {}},
        {std::nullopt, QString(), {unreadable}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(&c - cases);
        messageBoxes.shown.clear();
        QFile::remove(session.RegistryIniPath);
        if (c.bytes)
            writeRegistry(*c.bytes);
        else
            ASSERT_TRUE(QDir().mkpath(session.RegistryIniPath));
        load();
        EXPECT_EQ(listedNames(*list()), c.listed);
        EXPECT_EQ(boxes(), c.boxes);
        EXPECT_EQ(press("cmdAdd")->isEnabled(), c.bytes.has_value());
        if (c.bytes)
            writeRegistry(*c.bytes + "\n");
        else
            writeBytes(session.RegistryIniPath + u"/inside"_s, "x");
        const auto reads = readings();
        EXPECT_TRUE(readAgain(*reads));
        EXPECT_EQ(boxes(), c.boxes);
        window.reset();
        QDir(session.RegistryIniPath).removeRecursively();
    }
}
