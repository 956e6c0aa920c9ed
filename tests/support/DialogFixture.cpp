#include "tests/support/DialogFixture.h"

#include <QDeadlineTimer>
#include <QKeyEvent>
#include <QTest>
#include <QTimer>

#include "platform/AppPaths.h"
#include "tests/support/TestFiles.h"

namespace tessel::test {

void typeText(QWidget *widget, const QString &text)
{
    for (const QChar character : text) {
        if (character == u'\b') {
            QTest::keyClick(widget, Qt::Key_Backspace);
            continue;
        }
        const int key = character.toUpper().unicode();
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(character));
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(character));
        QApplication::sendEvent(widget, &press);
        QApplication::sendEvent(widget, &release);
    }
}

void DialogFixture::SetUp()
{
    ASSERT_TRUE(tempDir.isValid());
    session.ApplicationDir = tempDir.path();
    session.RegistryIniPath = JoinPath(tempDir.path(), QStringLiteral("TESSEL.INI"));
    session.SourcesIniPath = JoinPath(tempDir.path(), QStringLiteral("SRCS.INI"));
    session.messageBoxes = &messageBoxes;
    session.fileDialogs = &fileDialogs;
    session.processLauncher = &processLauncher;
    mainWindow.setObjectName(QStringLiteral("mainWindowStandIn"));
    mainWindow.setGeometry(200, 150, 640, 480);
}

void DialogFixture::TearDown()
{
    closeModalWindows();
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window == &mainWindow || !window->isVisible())
            continue;
        ADD_FAILURE() << "window left open: " << window->metaObject()->className() << " "
                      << window->objectName().toStdString();
        window->hide();
    }
}

void DialogFixture::writeRegistry(const QByteArray &text)
{
    writeBytes(session.RegistryIniPath, text);
}

QByteArray DialogFixture::registryBytes() const
{
    return readBytes(session.RegistryIniPath);
}

bool DialogFixture::execModal(QDialog &dialog, const std::function<void()> &interaction,
                              std::chrono::milliseconds timeout)
{
    waitForModal([&dialog](QWidget *modal) { return modal == &dialog; },
                 [interaction](QWidget *) { interaction(); }, timeout);
    bool timedOut = false;
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [&timedOut] {
        timedOut = true;
        closeModalWindows();
    });
    watchdog.start(timeout);
    dialog.exec();
    EXPECT_FALSE(timedOut) << "a modal window was still open after the time-out";
    return !timedOut;
}

QStringList DialogFixture::enabledControls(const QWidget &window)
{
    QStringList names;
    for (const QWidget *control : window.findChildren<QWidget *>()) {
        if (control->isEnabled() && !control->objectName().isEmpty())
            names.append(control->objectName());
    }
    names.sort();
    return names;
}

bool DialogFixture::waitFor(const std::function<bool()> &condition, std::chrono::milliseconds timeout)
{
    return QTest::qWaitFor(condition, int(timeout.count()));
}

void DialogFixture::waitForModal(std::function<bool(QWidget *)> matches, std::function<void(QWidget *)> run,
                                 std::chrono::milliseconds timeout)
{
    auto *poll = new QTimer(&mainWindow);
    const QDeadlineTimer deadline(timeout);
    QObject::connect(poll, &QTimer::timeout, poll, [=] {
        QWidget *modal = QApplication::activeModalWidget();
        const bool found = modal && modal->isVisible() && matches(modal);
        if (found || deadline.hasExpired()) {
            poll->deleteLater();
            poll->stop();
        }
        if (found)
            run(modal); // may open a modal loop of its own
        else if (deadline.hasExpired())
            ADD_FAILURE() << "the expected modal window did not appear";
    });
    poll->start(10);
}

// Hiding a modal window ends its modal loop; an outer one ends once the inner
// loop has returned.
void DialogFixture::closeModalWindows()
{
    for (int level = 0; level < 10; ++level) {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        modal->hide();
    }
}

} // namespace tessel::test
