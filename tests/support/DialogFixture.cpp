#include "tests/support/DialogFixture.h"

#include <QDeadlineTimer>
#include <QKeyEvent>
#include <QTest>

#include "platform/AppPaths.h"
#include "registry/ProfileStore.h"
#include "tests/support/TestFiles.h"

namespace tessel::test {

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
    const QList<QWidget *> windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
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

QString DialogFixture::readKey(const QString &section, const QString &key,
                               const QString &defaultValue) const
{
    return ReadProfileString(section, key, defaultValue, session.RegistryIniPath);
}

QStringList DialogFixture::sectionNames() const
{
    return ReadProfileSections(session.RegistryIniPath).split(ListSeparator, Qt::SkipEmptyParts);
}

QStringList DialogFixture::entriesOf(const QString &section) const
{
    QStringList entries;
    const QString keys = ReadProfileKeys(section, session.RegistryIniPath);
    for (const QString &key : keys.split(ListSeparator, Qt::SkipEmptyParts))
        entries.append(key % QLatin1Char('=') % readKey(section, key));
    return entries;
}

bool DialogFixture::execModal(QDialog &dialog, const std::function<void()> &interaction,
                              std::chrono::milliseconds timeout)
{
    waitForModal([&dialog](QWidget *modal) { return modal == &dialog; },
                 [interaction](QWidget *) { interaction(); }, timeout);
    return runWithWatchdog([&dialog] { dialog.exec(); }, timeout);
}

bool DialogFixture::runWithWatchdog(const std::function<void()> &open,
                                    std::chrono::milliseconds timeout)
{
    bool timedOut = false;
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [&timedOut] {
        timedOut = true;
        closeModalWindows();
    });
    watchdog.start(timeout);
    open();
    EXPECT_FALSE(timedOut) << "a modal window was still open after the time-out";
    return !timedOut;
}

QStringList DialogFixture::enabledControls(const QWidget &window)
{
    QStringList names;
    const QList<QWidget *> controls = window.findChildren<QWidget *>();
    for (const QWidget *control : controls) {
        if (control->isEnabled() && !control->objectName().isEmpty())
            names.append(control->objectName());
    }
    names.sort();
    return names;
}

void DialogFixture::clickButton(QAbstractButton *button)
{
    const bool pushButton = !button->isCheckable();
    const QPoint where = pushButton ? button->rect().center()
                                    : QPoint(std::min(8, button->width() / 2), button->height() / 2);
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, where);
}

void DialogFixture::typeText(QWidget *widget, const QString &text)
{
    for (const QChar character : text) {
        const int key = character.toUpper().unicode();
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(character));
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(character));
        QApplication::sendEvent(widget, &press);
        QApplication::sendEvent(widget, &release);
    }
}

void DialogFixture::replaceText(QLineEdit *box, const QString &text)
{
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Backspace);
    typeText(box, text);
}

bool DialogFixture::waitFor(const std::function<bool()> &condition,
                            std::chrono::milliseconds timeout)
{
    return QTest::qWaitFor(condition, int(timeout.count()));
}

void DialogFixture::waitForModal(std::function<bool(QWidget *)> matches,
                                 std::function<void(QWidget *)> run,
                                 std::chrono::milliseconds timeout)
{
    auto *poll = new QTimer(&mainWindow);
    const QDeadlineTimer deadline(timeout);
    QObject::connect(poll, &QTimer::timeout, poll, [=] {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible() && matches(modal)) {
            poll->deleteLater();
            poll->stop();
            run(modal); // may open a modal loop of its own
        } else if (deadline.hasExpired()) {
            poll->deleteLater();
            poll->stop();
            ADD_FAILURE() << "the expected modal window did not appear";
        }
    });
    poll->start(10);
}

void DialogFixture::closeModalWindows()
{
    // Hiding a modal window ends its modal loop; an outer one ends once the
    // inner loop has returned.
    constexpr int NestingLimit = 10;
    for (int level = 0; level < NestingLimit; ++level) {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        modal->hide();
    }
}

} // namespace tessel::test
