#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

#include "dialogs/Session.h"

namespace tessel {

// A modal window that reports its result in Tag: "CANCEL" from the moment it
// loads, "OK" once the user confirmed it. Anything but "OK" counts as Cancel.
// Accepting the window ends its modal loop with Tag "OK", rejecting it with
// "CANCEL"; closing it with the close box unloads it, which the opener sees
// as Cancel.
class ConfigDialog : public QDialog
{
    Q_OBJECT
public:
    const QString &Tag() const { return m_tag; }

    void accept() override;
    void reject() override;

protected:
    // mainWindow is the window the dialog centres itself over when it loads
    // (none: it stays where it is). It is no owner: every dialog is shown
    // without one.
    ConfigDialog(Session &session, const QWidget *mainWindow);

    void setTag(const QString &tag) { m_tag = tag; }
    const QWidget *mainWindow() const { return m_mainWindow; }
    // The first steps of every window's load: its captions are translated,
    // its boxes swallow access keys that no control takes, it is centred
    // over the main window, and Tag becomes "CANCEL".
    void beginLoad();
    // A fixed-size dialog frame without minimise and maximise buttons, with
    // a client area of the given size in twips and the windows' font.
    void setFixedDialogFrame(int clientWidthTwips, int clientHeightTwips);
    // A message of the table, filled in with arguments, in an exclamation box.
    void showExclamation(const QString &text, const QStringList &arguments = {});
    void closeEvent(QCloseEvent *event) override;
    // Esc presses no button: the windows have no cancel button.
    void keyPressEvent(QKeyEvent *event) override;

    Session &m_session;

private:
    const QWidget *const m_mainWindow;
    QString m_tag = TagCancel;
};

} // namespace tessel
