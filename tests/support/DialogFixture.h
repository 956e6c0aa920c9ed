#pragma once

#include <chrono>
#include <functional>

#include <QApplication>
#include <QDialog>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "dialogs/Session.h"
#include "tests/support/QtPrinting.h"
#include "tests/support/ScriptedFileDialogs.h"
#include "tests/support/ScriptedMessageBoxes.h"
#include "tests/support/ScriptedProcessLauncher.h"

namespace tessel::test {

using namespace std::chrono_literals;

// Types text into widget key by key, as the keyboard would, also characters
// beyond ASCII; '\b' presses Backspace.
void typeText(QWidget *widget, const QString &text);

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

    void writeRegistry(const QByteArray &text);
    QByteArray registryBytes() const;

    // Shows dialog modal and runs interaction once it is the active modal
    // window. Returns false, after closing every modal window, when the
    // dialog is still open once timeout has passed.
    bool execModal(QDialog &dialog, const std::function<void()> &interaction,
                   std::chrono::milliseconds timeout = DefaultTimeout);

    // Runs action on the next window of type W that becomes the active modal
    // window; fails the test when none appears within timeout.
    template<typename W>
    void onNextModal(std::function<void(W &)> action, std::chrono::milliseconds timeout = DefaultTimeout)
    {
        waitForModal([](QWidget *modal) { return qobject_cast<W *>(modal) != nullptr; },
                     [action](QWidget *modal) { action(*qobject_cast<W *>(modal)); }, timeout);
    }

    // The control named name inside window; fails the test when there is none.
    template<typename W = QWidget>
    static W *child(const QWidget &window, const char *name)
    {
        W *control = window.findChild<W *>(QLatin1String(name));
        if (!control)
            ADD_FAILURE() << "no control " << name << " in " << window.objectName().toStdString();
        return control;
    }

    // The objectNames of the named controls of window that are enabled, sorted.
    static QStringList enabledControls(const QWidget &window);

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
    void waitForModal(std::function<bool(QWidget *)> matches, std::function<void(QWidget *)> run,
                      std::chrono::milliseconds timeout);
    static void closeModalWindows();
};

} // namespace tessel::test
