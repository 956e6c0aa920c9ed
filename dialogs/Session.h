#pragma once

#include <QString>
#include <QStringList>

#include "registry/DataSourceRecord.h"

class QWidget;

namespace tessel {

class FileDialogs;
class MessageBoxes;
class MessageTable;
class ProcessLauncher;

// The state one run of the program shares between its windows, and the
// services through which they reach the user and the system. The application
// makes one at start-up; tests make their own on temporary files.
struct Session
{
    QString ApplicationDir;
    QString RegistryIniPath; // TESSEL.INI in the application directory
    QString SourcesIniPath; // SRCS.INI in the application directory

    const MessageTable *messageTable = nullptr;
    MessageBoxes *messageBoxes = nullptr;
    FileDialogs *fileDialogs = nullptr;
    ProcessLauncher *processLauncher = nullptr;

    QString GetMsgText(const QString &text, const QStringList &arguments = {}) const;
    // A message box with the application title; returns its MsgBoxResult.
    int MsgBox(const QString &text, int style) const;
    // Shows window's captions in the active language and names its labelled
    // controls for assistive technology after the captions shown.
    void TranslateForm(QWidget *window) const;
};

// The dialog result of every window: "OK" after a confirmed dialog, else "CANCEL".
inline const QString TagOk = QStringLiteral("OK");
inline const QString TagCancel = QStringLiteral("CANCEL");

} // namespace tessel
