#pragma once

#include <chrono>
#include <functional>

#include <QAbstractButton>
#include <QApplication>
#include <QByteArray>
#include <QDialog>
#include <QLineEdit>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include "dialogs/Session.h"
#include "tests/support/QtPrinting.h"
#include "tests/support/ScriptedFileDialogs.h"
#include "tests/support/ScriptedMessageBoxes.h"
#include "tests/support/ScriptedProcessLauncher.h"

namespace tessel::test {

using namespace std::chrono_literals;

// Base of the dialog tests: a Session on a temporary application directory
// (TESSEL.INI and SRCS.INI live there), scripted message boxes, file dialogs
// and program starts, and a main window stand-in that dialogs centre over.
// TearDown fails the test when a window was left open.
class DialogFixture : public ::testing::Test
{
protected:
    static constexpr std::chrono::milliseconds DefaultTimeout = 5s;

    void SetUp() override;
    void TearDown() override;

    // TESSEL.INI of the temporary directory, as raw bytes.
    void writeRegistry(const QByteArray &text);
    QByteArray registryBytes() const;

    // Reads back through the profile store.
    QString readKey(const QString &section, const QString &key,
                    const QString &defaultValue = QStringLiteral("<missing>")) const;
    QStringList sectionNames() const;
    // The section's entries as "key=value", in file order.
    QStringList entriesOf(const QString &section) const;

    // Shows dialog modal and runs interaction once it is the active modal
    // window. Returns false, after closing every modal window, when the
    // dialog is still open once timeout has passed.
    bool execModal(QDialog &dialog, const std::function<void()> &interaction,
                   std::chrono::milliseconds timeout = DefaultTimeout);

    // Calls open, which shows a window of type W modal (and returns when it
    // closes), and runs interaction on that window as execModal does.
    template<typename W>
    bool runModal(const std::function<void()> &open, std::function<void(W &)> interaction,
                  std::chrono::milliseconds timeout = DefaultTimeout)
    {
        onNextModal<W>(std::move(interaction), timeout);
        return runWithWatchdog(open, timeout);
    }

    // Runs action on the next window of type W that becomes the active modal
    // window, e.g. a dialog that a button of the dialog under test opens.
    // Fails the test when none appears within timeout.
    template<typename W>
    void onNextModal(std::function<void(W &)> action,
                     std::chrono::milliseconds timeout = DefaultTimeout)
    {
        waitForModal([](QWidget *modal) { return qobject_cast<W *>(modal) != nullptr; },
                     [action](QWidget *modal) { action(*qobject_cast<W *>(modal)); }, timeout);
    }

    // The control named name inside window; fails the test when there is none.
    template<typename W>
    static W *child(const QWidget &window, const char *name)
    {
        W *control = window.findChild<W *>(QLatin1String(name));
        if (!control)
            ADD_FAILURE() << "no control " << name << " in " << window.objectName().toStdString();
        return control;
    }

    // The objectNames of the named controls of window that are enabled, sorted.
    static QStringList enabledControls(const QWidget &window);

    // Clicks a button with the mouse: a push button in its middle, a check
    // box or option button on its indicator.
    static void clickButton(QAbstractButton *button);

    // Types text into widget key by key, as the keyboard would; unlike
    // QTest::keyClicks it also types characters beyond ASCII.
    static void typeText(QWidget *widget, const QString &text);
    // Selects all of box's text, deletes it with Backspace and types text.
    static void replaceText(QLineEdit *box, const QString &text);

    // Waits until condition holds, processing events; false on timeout.
    static bool waitFor(const std::function<bool()> &condition,
                        std::chrono::milliseconds timeout = DefaultTimeout);

    QTemporaryDir tempDir;
    ScriptedMessageBoxes messageBoxes;
    ScriptedFileDialogs fileDialogs;
    ScriptedProcessLauncher processLauncher;
    QWidget mainWindow;
    Session session;
    // The record the dialog under test edits: a section name, or NewRecordMarker.
    QString recordName = NewRecordMarker;

private:
    // Polls the active modal window until one matches, then runs run on it.
    void waitForModal(std::function<bool(QWidget *)> matches, std::function<void(QWidget *)> run,
                      std::chrono::milliseconds timeout);
    bool runWithWatchdog(const std::function<void()> &open, std::chrono::milliseconds timeout);
    static void closeModalWindows();
};

} // namespace tessel::test
