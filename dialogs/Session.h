#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

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
    QString RegistryIniPath;   // TESSEL.INI in the application directory
    QString SourcesIniPath;    // SRCS.INI in the application directory

    // The record the next configuration dialog edits: a section name of the
    // registry, or NewRecordMarker for a new record. Set by the main window.
    QString CurrentSrcName;
    // The type (1 or 2) for which the native dialog is opened.
    qint16 NativeSrcType = 1;

    const MessageTable *messageTable = nullptr;
    MessageBoxes *messageBoxes = nullptr;
    FileDialogs *fileDialogs = nullptr;
    ProcessLauncher *processLauncher = nullptr;
    QWidget *mainWindow = nullptr;   // dialogs centre themselves over it

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
