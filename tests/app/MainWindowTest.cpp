// The main window linked to a host in this process: what it lists, which
// buttons it enables, what they do to the registry, what the host hears of
// it, and how the list follows what other programs do to the registry.
#include <gtest/gtest.h>

#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

#include <csignal>
#include <cstdio>

#include "app/RegistryWatcher.h"
#include "app/frmNewSrc.h"
#include "app/frmTessel.h"
#include "i18n/Messages.h"
#include "registry/ProfileDocument.h"
#include "platform/AppPaths.h"
#include "platform/TerminationSignals.h"
#include "tests/hostlink/FakeHost.h"
#include "tests/hostlink/RawSocket.h"
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

enum HostWindows { Notify = 1, Refresh = 2, Shutdown = 4, Linked = 7 };

// Its configuration dialogs are scripted and log what they were opened for.
class ScriptedMainWindow final : public frmTessel
{
public:
    ScriptedMainWindow(Session &session, HostLink &link) : frmTessel(session, link), m_session(session) {}
    Ending ending = Ending::Cancel;
    std::function<void()> save;
    QStringList opened;   // "kind record native-type"

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

const QByteArray FourTypes = "[Network]\nType=1\n[Relief]\nType=2\n[Roads]\nType=4\n[Census]\nType=5\n";

class MainWindowTest : public DialogFixture
{
protected:
    void TearDown() override
    {
        window.reset();
        DialogFixture::TearDown();
    }

    // Loads and shows the window, linked to the host windows named.
    ScriptedMainWindow &load(int windows = Linked)
    {
        window.reset();
        host = std::make_unique<FakeHost>(hostDirectory + HostIniFileName);
        HostCommandLine line{{}, windows & Notify ? host->handle(0) : 0,
                             windows & Refresh ? host->handle(1) : 0,
                             windows & Shutdown ? host->handle(2) : 0, hostDirectory};
        terminationSignals.reset();
        link = std::make_unique<HostLink>(line);
        terminationSignals = std::make_unique<TerminationSignals>();
        QObject::connect(terminationSignals.get(), &TerminationSignals::received, link.get(), &HostLink::shutDown);
        button = link->shutdownButtonHandle();
        const QStringList endpoints{EndpointPath(*RuntimeDirectory(), button),
                                    EndpointPath(*RuntimeDirectory(), link->windowHandle())};
        QObject::connect(link.get(), &HostLink::ended, [this, endpoints] {
            host->log.append(QFile::exists(endpoints[0]) || QFile::exists(endpoints[1])
                                 ? QStringLiteral("ENDED with endpoints") : QStringLiteral("ENDED"));
        });
        window = std::make_unique<ScriptedMainWindow>(session, *link);
        QObject::connect(window.get(), &frmTessel::unloaded, [this] { host->log.append(QStringLiteral("UNLOADED")); });
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        return *window;
    }

    GeoList *list() const { return child<GeoList>(*window, "lstSrcs"); }
    QPushButton *press(const char *name) const { return child<QPushButton>(*window, name); }
    void select(const char *name) { clickListItem(list(), QString::fromLatin1(name)); }
    QString selected() const { return list()->ListIndex() == -1 ? QString() : GeoListItemName(list()->Text()); }
    QString listed() const
    {
        QStringList names;
        for (int row = 0; row < list()->count(); ++row)
            names.append(list()->item(row)->text());
        return names.join(u' ');
    }
    QStringList boxes() const
    {
        QStringList shown;
        for (const auto &one : messageBoxes.shown)
            shown.append(box(one.text, one.style));
        return shown;
    }
    void writeKey(const char *section, const char *key, const char *value)
    {
        EXPECT_TRUE(WriteProfileString(QLatin1String(section), QLatin1String(key), QLatin1String(value), session.RegistryIniPath));
    }

    QTemporaryDir hostDir;
    // The profile file name is glued to the directory text as it stands.
    const QString hostDirectory = hostDir.path() + QStringLiteral("/velum-");
    std::unique_ptr<FakeHost> host;
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
    const QString query = QStringLiteral("NOTIFY hWnd=B ICQ:Roads"), refresh = QStringLiteral("REFRESH");
    const QStringList closed{QStringLiteral("SHUTDOWN"), QStringLiteral("ENDED")};
    const QStringList unloaded = closed + QStringList{QStringLiteral("UNLOADED")};
    const QString question = box(Msg::DeleteSelectedEntry, MsgBoxStyle::YesNoQuestion);
    const QString refused = box(Msg::CannotDeleteConnected, MsgBoxStyle::Exclamation);
    const auto remove = [this](int answer) {
        return [this, answer] {
            messageBoxes.answers.enqueue(answer);
            select("Roads");
            press("cmdDelete")->click();
        };
    };
    const auto configure = [this](Ending ending) {
        return [this, ending] {
            window->ending = ending;
            select("Roads");
            press("cmdConfig")->click();
        };
    };
    const auto pressButton = [this] { SendMessage(button, WM_LBUTTONDOWN, 0, 0); };
    const auto duringQuery = [&](std::function<void()> hostAction) {
        return [&, hostAction] {
            host->whileNotified = hostAction;
            remove(MsgBoxResult::No)();
        };
    };
    const auto idleSignal = [this](int signalNumber) {
        return [this, signalNumber] {
            ::raise(signalNumber);
            EXPECT_TRUE(waitFor([this] { return host->log.contains(QStringLiteral("ENDED")); }));
        };
    };
    const struct
    {
        const char *what;
        int windows;
        std::optional<QString> answer;   // none: the query is left as it stands
        std::function<void()> act;
        QStringList heard;               // after the registration
        QStringList boxes;
        bool deleted;
    } cases[] = {
        {"registration alone", Linked, u"0"_s, [] {}, {}, {}, false},
        {"no registration without a shut-down window", Notify | Refresh, u"0"_s, [] {}, {}, {}, false},
        {"delete, not connected", Linked, u"0"_s, remove(MsgBoxResult::Yes), {query, refresh}, {question}, true},
        {"delete answered No", Linked, u"0"_s, remove(MsgBoxResult::No), {query}, {question}, false},
        {"a reply without digits", Linked, u"yes"_s, remove(MsgBoxResult::Yes), {query, refresh}, {question}, true},
        {"an unanswered query", Linked, {}, remove(MsgBoxResult::Yes), {query, refresh}, {question}, true},
        {"delete, connected", Linked, u"1"_s, remove(MsgBoxResult::Yes), {query}, {refused}, false},
        {"a negative reply is connected", Linked, u"-1"_s, remove(MsgBoxResult::Yes), {query}, {refused}, false},
        {"a reply's leading number", Linked, u"12 sources"_s, remove(MsgBoxResult::Yes), {query}, {refused}, false},
        {"a query with the notify window alone", Notify, u"1"_s, remove(MsgBoxResult::Yes),
         {u"NOTIFY hWnd=<none> ICQ:Roads"_s}, {refused}, false},
        {"delete without a notify window", Refresh, {}, remove(MsgBoxResult::Yes), {refresh}, {question}, true},
        {"delete refused by a full disk", Refresh, {},
         [&] {
             const FileSizeLimit fullDisk(8);
             remove(MsgBoxResult::Yes)();
         },
         {}, {question, box(session.GetMsgText(Msg::RegistryDiskFull, {session.RegistryIniPath}), MsgBoxStyle::Exclamation)},
         false},
        {"configure a connected source", Linked, u"1"_s, configure(Ending::Cancel), {query},
         {box(Msg::SourceConnected, MsgBoxStyle::Information)}, false},
        {"configure, confirmed", Linked, u"0"_s, configure(Ending::Ok), {query, refresh}, {}, false},
        {"Close", Linked, u"0"_s, [this] { press("cmdClose")->click(); }, unloaded, {}, false},
        {"closing twice", Linked, u"0"_s, [this] { link->shutDown(); link->shutDown(); }, closed, {}, false},
        {"the host's press", Linked, u"0"_s, pressButton, unloaded, {}, false},
        {"other messages to Tessel's windows", Linked, u"0"_s,
         [this] {
             SendMessage(button, WM_LBUTTONDOWN + 1, 0, 0);
             SendMessage(link->windowHandle(), WM_LBUTTONDOWN, 0, 0);
         },
         {}, {}, false},
        {"the host's press past a silent stray client", Linked, u"0"_s,
         [&] {
             const int stray = rawConnect(EndpointPath(*RuntimeDirectory(), button));
             pressButton();
             ::close(stray);
         },
         unloaded, {}, false},
        {"the host's press during a query", Linked, u"0"_s, duringQuery(pressButton), QStringList{query} + unloaded,
         {question}, false},
        {"SIGTERM during a query", Linked, u"0"_s, duringQuery([] { ::raise(SIGTERM); }), QStringList{query} + closed,
         {question}, false},
        {"SIGHUP", Linked, u"0"_s, idleSignal(SIGHUP), closed, {}, false},
        {"SIGINT", Linked, u"0"_s, idleSignal(SIGINT), closed, {}, false},
    };
    const QByteArray registry = "[Roads]\nType=1\n[Rivers]\nType=2\n";
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        writeRegistry(registry);
        writeBytes(hostDirectory + HostIniFileName, "[General]\nTesselSignal=left over\n");
        messageBoxes.shown.clear();
        load(c.windows);
        host->answer = c.answer;
        c.act();
        // B: the hidden button's handle, which the host is to press.
        const QStringList heard = host->log.replaceInStrings(u"hWnd="_s + QString::number(button), u"hWnd=B"_s);
        const bool linked = c.windows == Linked;
        EXPECT_EQ(heard, (linked ? QStringList{u"NOTIFY hWnd=B "_s} : QStringList()) + c.heard);
        EXPECT_EQ(host->key(TesselhWndKey), linked ? QString::number(button) : u"<none>"_s);
        EXPECT_EQ(boxes(), c.boxes);
        EXPECT_EQ(registryBytes(), c.deleted ? QByteArray("[Rivers]\nType=2\n") : registry);
    }
}

// Every section is listed in file order with the icon of its type (a type
// without one is reported and gets the blank icon), nothing selected. A
// selected record can be configured, and deleted unless its Private value
// has the protected bit.
TEST_F(MainWindowTest, ListsEverySourceAndEnablesItsButtons)
{
    writeRegistry("[Relief]\nType=2\nPrivate=8\n[Census]\nType=5\nPrivate=abc\n[Untyped]\nPrivate=1\n"
                  "[Three]\nType=3\nPrivate=0\n[Network]\nType=1\n[Roads]\nType=4\nPrivate=2\n"
                  "[Rounded]\nType=1.6\nPrivate=1.6\n[Both]\nType=1\nPrivate=3\n[Ten]\nType=1\nPrivate=10\n");
    load();
    EXPECT_EQ(boxes(), QStringList{box(Msg::InternalErrorSrcTypeToIcon, MsgBoxStyle::OkOnly)});
    EXPECT_EQ(messageBoxes.shown[0].title, QStringLiteral("Tessel"));
    EXPECT_FALSE(press("cmdDelete")->isEnabled() || press("cmdConfig")->isEnabled());
    const std::vector<ListedItem> items = {
        {u"Relief"_s, 4, 2}, {u"Census"_s, 3, 5}, {u"Untyped"_s, 1, 1}, {u"Three"_s, 0, 3}, {u"Network"_s, 1, 1},
        {u"Roads"_s, 2, 4},  {u"Rounded"_s, 4, 2}, {u"Both"_s, 1, 1},  {u"Ten"_s, 1, 1}};
    EXPECT_EQ(listedItems(*list()), items);
    const QString deletable = QStringLiteral("Relief Census Untyped Three Network");
    for (const ListedItem &item : items) {
        clickListItem(list(), item.name);
        EXPECT_TRUE(press("cmdConfig")->isEnabled()) << item.name.toStdString();
        EXPECT_EQ(press("cmdDelete")->isEnabled(), deletable.contains(item.name)) << item.name.toStdString();
    }
}

// Configure, a double-click and Enter open the dialog of the record's type
// for that record, New the dialog of the type chosen for a new record; the
// native type stays from the last native dialog. A click beside the entries
// leaves nothing to configure; a type without a dialog is reported.
TEST_F(MainWindowTest, OpensTheDialogOfTheRecordsType)
{
    writeRegistry(FourTypes);
    writeBytes(session.SourcesIniPath, "[Sources]\nRaster Image=2,Raster\nThree=3\nNative=1,N,More\n");
    ScriptedMainWindow &main = load();
    for (const char *name : {"Relief", "Network", "Roads", "Census"}) {
        select(name);
        press("cmdConfig")->click();
    }
    doubleClickListItem(list(), 1);
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, QPoint(5, list()->viewport()->height() - 3));
    EXPECT_FALSE(press("cmdDelete")->isEnabled() || press("cmdConfig")->isEnabled());
    QTest::keyClick(list(), Qt::Key_Return);
    select("Network");
    QTest::keyClick(list(), Qt::Key_Return);
    // The type chooser: OK is enabled once a type is selected; a double-click
    // or Enter on an entry chooses it.
    const std::function<void(frmNewSrc &)> choose[] = {
        [](frmNewSrc &chooser) { child<QPushButton>(chooser, "cmdCancel")->click(); },
        [](frmNewSrc &chooser) { doubleClickListItem(chooser.findChild<GeoList *>(), 1); },
        [](frmNewSrc &chooser) {
            GeoList *types = chooser.findChild<GeoList *>();
            const std::vector<ListedItem> listed = {{u"Raster Image"_s, 4, 2}, {u"Three"_s, 0, 3}, {u"Native"_s, 1, 1}};
            EXPECT_EQ(listedItems(*types), listed);
            EXPECT_FALSE(child<QPushButton>(chooser, "cmdOK")->isEnabled());
            clickListItem(types, 0);
            EXPECT_TRUE(child<QPushButton>(chooser, "cmdOK")->isEnabled());
            QTest::keyClick(types, Qt::Key_Return);
        }};
    for (const auto &action : choose) {
        onNextModal<frmNewSrc>(action);
        press("cmdAdd")->click();
    }
    EXPECT_EQ(main.opened, (QStringList{u"0 Relief 2"_s, u"0 Network 1"_s, u"1 Roads 1"_s, u"2 Census 1"_s,
                                        u"0 Relief 2"_s, u"0 Network 1"_s, u"0 "_s + NewRecordMarker + u" 2"_s}));
    const QString noIcon = box(Msg::InternalErrorSrcTypeToIcon, MsgBoxStyle::OkOnly);
    EXPECT_EQ(boxes(), (QStringList{noIcon, noIcon, box(Msg::InternalErrorGetConfigForm, MsgBoxStyle::OkOnly), noIcon}));
    EXPECT_FALSE(host->log.contains(u"REFRESH"_s));   // every dialog was cancelled
}

// What other programs do to the registry: once the notices have settled the
// list is refilled, keeping the selected record selected while
// it exists, with the buttons following it. Unchanged bytes and the window's
// own saves refill nothing more; while a dialog is open the list waits.
TEST_F(MainWindowTest, TheListFollowsWhatOtherProgramsDo)
{
    writeRegistry(FourTypes);
    ScriptedMainWindow &main = load();
    select("Roads");
    QSignalSpy looks(window->findChild<RegistryWatcher *>()->findChild<QTimer *>(), &QTimer::timeout);
    QSignalSpy refills(list()->model(), &QAbstractItemModel::modelReset);
    const QString &path = session.RegistryIniPath;
    QFile reader(path);
    const auto lookedAgain = [&] {
        const qsizetype before = looks.count();
        return waitFor([&] { return looks.count() > before; });
    };
    const struct
    {
        const char *what;
        std::function<void()> act;
        int refills;
        const char *listed;
        const char *selected;
        bool deletable;
    } steps[] = {
        {"a record added", [&] { writeKey("Terrain", "Type", "2"); }, 1, "Network Relief Roads Census Terrain", "Roads", true},
        {"the selected record protected", [&] { writeKey("Roads", "Private", "2"); }, 1,
         "Network Relief Roads Census Terrain", "Roads", false},
        {"the same bytes again", [&] { writeBytes(path, readBytes(path)); }, 0, "Network Relief Roads Census Terrain", "Roads", false},
        {"a file renamed over it while a reader holds the old one",
         [&] {
             ASSERT_TRUE(reader.open(QIODevice::ReadOnly));
             writeBytes(path + u".new"_s, "[roads]\nType=4\n[Replaced]\nType=2\n");
             ASSERT_EQ(std::rename(QFile::encodeName(path + u".new"_s).constData(), QFile::encodeName(path).constData()), 0);
         },
         1, "roads Replaced", "roads", true},
        {"the new file written in place", [&] { writeBytes(path, "[InPlace]\nType=2\n"); }, 1, "InPlace", "", false},
        {"the file removed and, once read missing, written back alike",
         [&] {
             const QByteArray bytes = readBytes(path);
             QFile::remove(path);
             ReadProfileDocument(path);
             writeBytes(path, bytes);
         },
         0, "InPlace", "", false},
        {"the file removed", [&] { QFile::remove(path); }, 1, "", "", false},
        {"the file created again", [&] { writeBytes(path, "[Back]\nType=1\n"); }, 1, "Back", "", false},
        {"a change while the type chooser is open",
         [&] {
             onNextModal<frmNewSrc>([&](frmNewSrc &chooser) {
                 writeKey("Meanwhile", "Type", "1");
                 EXPECT_TRUE(lookedAgain());
                 EXPECT_EQ(refills.count(), 0);
                 child<QPushButton>(chooser, "cmdCancel")->click();
             });
             press("cmdAdd")->click();
         },
         1, "Back Meanwhile", "", false},
        {"the window's own save",
         [&] {
             main.ending = Ending::Ok;
             main.save = [&] { writeKey("Saved", "Type", "1"); };
             select("Back");
             press("cmdConfig")->click();
         },
         1, "Back Meanwhile Saved", "", false},
    };
    for (const auto &step : steps) {
        SCOPED_TRACE(step.what);
        refills.clear();
        step.act();
        EXPECT_TRUE(lookedAgain());
        EXPECT_EQ(refills.count(), step.refills);
        EXPECT_EQ(listed(), QString::fromLatin1(step.listed));
        EXPECT_EQ(selected(), QString::fromLatin1(step.selected));
        EXPECT_EQ(press("cmdDelete")->isEnabled(), step.deletable);
        EXPECT_EQ(press("cmdConfig")->isEnabled(), *step.selected != 0);
    }
    EXPECT_EQ(host->log.mid(1), (QStringList{u"NOTIFY hWnd=%1 ICQ:Back"_s.arg(button), u"REFRESH"_s}));
}

} // namespace
