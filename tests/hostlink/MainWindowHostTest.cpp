// The main window in this process, linked through the real sockets to the
// velum-host program.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFileInfo>
#include <QPushButton>
#include <QSignalSpy>

#include "app/frmTessel.h"
#include "hostlink/HostLink.h"
#include "i18n/Messages.h"
#include "platform/WindowMessaging.h"
#include "tests/hostlink/HostProcess.h"
#include "tests/support/DialogFixture.h"
#include "tests/support/GeoListDriver.h"
#include "tests/support/ScriptedConfigDialog.h"

using namespace tessel;
using namespace tessel::test;

namespace {

// The main window whose configuration dialogs end as the test says.
class LinkedMainWindow final : public frmTessel
{
public:
    LinkedMainWindow(Session &session, HostLink &hostLink)
        : frmTessel(session, hostLink)
        , m_session(session)
    {
    }

    ScriptedConfigDialog::Ending ending = ScriptedConfigDialog::Ending::Cancel;

protected:
    std::unique_ptr<ConfigDialog> createConfigForm(ConfigDialogKind, const QString &, qint16) override
    {
        return std::make_unique<ScriptedConfigDialog>(m_session, ending);
    }

private:
    Session &m_session;
};

class MainWindowHostTest : public DialogFixture
{
protected:
    void SetUp() override
    {
        DialogFixture::SetUp();
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        writeRegistry("[Roads]\nType=1\n[Rivers]\nType=2\n");
    }

    void TearDown() override
    {
        window.reset();
        link.reset();
        DialogFixture::TearDown();
    }

    void startHost(QStringList options)
    {
        host = std::make_unique<HostProcess>(options << QStringLiteral("--no-start")
                                                     << QStringLiteral("--profile-dir") << hostDirectory);
        ASSERT_TRUE(host->start());
    }

    // Loads the main window as the host would start Tessel with commandLine.
    void openWindow(const QString &commandLine)
    {
        link = std::make_unique<HostLink>(*ParseHostCommandLine(commandLine));
        window = std::make_unique<LinkedMainWindow>(session, *link);
        window->show();
    }

    // velum-host with options, and the main window linked to it.
    void start(const QStringList &options)
    {
        startHost(options);
        openWindow(host->commandLine(hostDirectory));
    }

    void select(const char *name)
    {
        clickListItem(window->findChild<GeoList *>(QStringLiteral("lstSrcs")), QString::fromLatin1(name));
    }

    void press(const char *name)
    {
        window->findChild<QPushButton *>(QString::fromLatin1(name))->click();
    }

    // The host's log after registration: what Tessel did since.
    QStringList hostHeard() const
    {
        QStringList heard = host->lines().filter(QRegularExpression(QStringLiteral("^(NOTIFY|ANSWER|REFRESH|SHUTDOWN|PRESS)")));
        if (!heard.isEmpty() && heard.first().endsWith(QStringLiteral("TesselSignal=\"\"")))
            heard.removeFirst();
        return heard;
    }

    QTemporaryDir runtime;
    QTemporaryDir hostDir;
    const QString hostDirectory = hostDir.path() + QLatin1Char('/');
    std::unique_ptr<HostProcess> host;
    std::unique_ptr<HostLink> link;
    std::unique_ptr<LinkedMainWindow> window;
};

const QString QueryRoads =
    QStringLiteral("NOTIFY message=513 wParam=0 lParam=0 TesselhWnd=\"%1\" TesselSignal=\"ICQ:Roads\"");
const QString Refresh = QStringLiteral("REFRESH message=513 wParam=0 lParam=0");
const QString Shutdown = QStringLiteral("SHUTDOWN message=513 wParam=0 lParam=0");

TEST_F(MainWindowHostTest, AConnectedSourceCannotBeDeletedAndIsConfiguredAfterAWarning)
{
    start({QStringLiteral("--connected"), QStringLiteral("Roads")});
    const QString query = QueryRoads.arg(link->shutdownButtonHandle());
    select("Roads");

    press("cmdDelete");
    ASSERT_EQ(messageBoxes.texts(), QStringList{Msg::CannotDeleteConnected});
    EXPECT_EQ(messageBoxes.shown.last().style, MsgBoxStyle::Exclamation);
    EXPECT_EQ(sectionNames(), (QStringList{QStringLiteral("Roads"), QStringLiteral("Rivers")}));

    press("cmdConfig");
    ASSERT_EQ(messageBoxes.texts(), (QStringList{Msg::CannotDeleteConnected, Msg::SourceConnected}));
    EXPECT_EQ(messageBoxes.shown.last().style, MsgBoxStyle::Information);

    EXPECT_EQ(hostHeard(), (QStringList{query, QStringLiteral("ANSWER 1 for \"Roads\""), query,
                                        QStringLiteral("ANSWER 1 for \"Roads\"")}));
}

TEST_F(MainWindowHostTest, TheHostIsToldToRefreshAfterASaveAndADeletionButNotAfterCancel)
{
    start({});
    select("Rivers");
    window->ending = ScriptedConfigDialog::Ending::Cancel;
    press("cmdConfig");
    EXPECT_EQ(host->count(QStringLiteral("^REFRESH")), 0);

    select("Rivers");
    window->ending = ScriptedConfigDialog::Ending::Ok;
    press("cmdConfig");
    EXPECT_EQ(host->count(QStringLiteral("^REFRESH")), 1);

    select("Roads");
    messageBoxes.answers.enqueue(MsgBoxResult::Yes);
    press("cmdDelete");
    EXPECT_EQ(sectionNames(), QStringList{QStringLiteral("Rivers")});
    const QStringList heard = hostHeard();
    ASSERT_GE(heard.size(), 2);
    EXPECT_EQ(heard.mid(heard.size() - 2),
              (QStringList{QStringLiteral("ANSWER 0 for \"Roads\""), Refresh}));
    EXPECT_EQ(host->count(QStringLiteral("^REFRESH")), 2);
}

TEST_F(MainWindowHostTest, CloseTellsTheHostAndRemovesTheEndpoints)
{
    start({});
    const QString button = EndpointPath(runtime.path(), link->shutdownButtonHandle());
    ASSERT_TRUE(QFileInfo::exists(button));
    QSignalSpy ends(link.get(), &HostLink::ended);
    press("cmdClose");
    EXPECT_EQ(ends.count(), 1);
    EXPECT_EQ(hostHeard(), QStringList{Shutdown});
    EXPECT_FALSE(QFileInfo::exists(button));
}




TEST_F(MainWindowHostTest, TheHostMayCloseTesselWhileHandlingAQuery)
{
    start({QStringLiteral("--press-shutdown-during-query")});
    QSignalSpy ends(link.get(), &HostLink::ended);
    select("Roads");
    press("cmdDelete");
    EXPECT_EQ(ends.count(), 1);
    const QStringList heard = hostHeard();
    ASSERT_EQ(heard.size(), 5) << heard.join(u'\n').toStdString();
    EXPECT_TRUE(heard[1].startsWith(QStringLiteral("PRESS ")));
    EXPECT_EQ(heard.mid(2, 2), (QStringList{Shutdown, QStringLiteral("PRESSED result=0")}));
}


} // namespace
