#pragma once

#include <QString>

// Every message text the program passes through GetMsgText, in English. The
// English text is the key of its translations in TESSEL.LRT.
namespace tessel::Msg {

inline const QString AlreadyRunning = QStringLiteral("Velum GIS Tessel is already running.");
inline const QString SourceConnected = QStringLiteral(
    "This datasource is currently connected in Velum GIS.^nAny changes made will not take "
    "effect until the^ndatasource is disconnected/re-connected, or a new^ndocument is created");
inline const QString CannotDeleteConnected =
    QStringLiteral("Cannot delete datasources while they are connected to Velum GIS.");
inline const QString DeleteSelectedEntry = QStringLiteral("Delete Selected Entry?");
inline const QString InternalErrorGetConfigForm = QStringLiteral("Internal Error in TESSEL::GetConfigForm");
inline const QString InternalErrorSrcTypeToIcon = QStringLiteral("Internal error in SrcTypeToIcon");
inline const QString ConfigureNativeRaster = QStringLiteral("Configure Native Raster Data Source");
inline const QString EnterValidDatasourceName =
    QStringLiteral("Please enter a valid datasource name before pressing OK");
inline const QString EnterDataSourceName =
    QStringLiteral("Please enter a Data Source Name before pressing OK.");
inline const QString ChooseValidDldFile = QStringLiteral("Please choose a valid DLD file before proceeding.");
inline const QString EnterFullValidPath = QStringLiteral("Please enter a full, valid file path.");
inline const QString ChooseEntity = QStringLiteral("Please choose an entity before proceeding.");
inline const QString SelectDldFile = QStringLiteral("Select DLD File");
inline const QString DldFileFilter = QStringLiteral("DLD File (*.DLD)|*.DLD|");
inline const QString ErrorRunning = QStringLiteral("Error while attempting to run ^1: ^2");
// The reasons that fill in ^2 of ErrorRunning.
inline const QString FileNotFound = QStringLiteral("file not found");
inline const QString PermissionDenied = QStringLiteral("permission denied");
inline const QString NotRunnable = QStringLiteral("not a program this system can run");
// A DLD file that could not be read; the text has always said ICF file.
inline const QString ErrorReadingDldFile = QStringLiteral("Unexpected error reading ICF file: ^n^1");
// A data source name that the registry file cannot hold as a section name.
inline const QString NameNotStorable =
    QStringLiteral("The datasource name ^1 cannot be stored: a name may not contain ] or a line break, "
                   "and may not be <<__New__>>.^nPlease choose another name.");
// A new record, or a rename, onto the name of another record.
inline const QString NameTaken =
    QStringLiteral("A datasource named ^1 is registered already.^nPlease choose another name.");
// Values that the registry file cannot hold as given; ^1 is the key.
inline const QString ValueHasLineBreak = QStringLiteral(
    "The ^1 holds a line break, which the registry file cannot store.^nRemove it, then press OK again.");
inline const QString ValueUnencodable = QStringLiteral(
    "The ^1 holds characters that the registry file cannot store: ^2^nRemove them, then press OK again.");
inline const QString ValueTooLong = QStringLiteral(
    "The ^1 is longer than the registry file can read back whole.^nShorten it, then press OK again.");
// The registry file ^1 could not be replaced.
inline const QString RegistryNoPermission =
    QStringLiteral("The registry file ^1 was not changed: you may not write to it or to its folder.^n"
                   "Ask your administrator for write access, then try again.");
inline const QString RegistryDiskFull = QStringLiteral(
    "The registry file ^1 was not changed: the disk is full.^nFree some disk space, then try again.");
inline const QString RegistryBusy = QStringLiteral(
    "The registry file ^1 was not changed: another program has been changing it for more than 10 seconds.^n"
    "Let that Tessel or tessel-admin finish (or end it if it hangs), then try again.");
inline const QString RegistryWriteFailed = QStringLiteral(
    "The registry file ^1 was not changed: ^2^nCheck the file and its folder, then try again.");
// The registry file ^1 exists but could not be read; ^2 says why.
inline const QString RegistryUnreadable =
    QStringLiteral("The registry file ^1 cannot be read: ^2^n"
                   "No datasource can be added, changed or deleted until it can be read again.");
// Another program changed or removed the record ^1 while its dialog was open.
inline const QString RecordChangedMeanwhile = QStringLiteral(
    "Another program changed the datasource ^1 while this dialog was open.^n"
    "Yes: save your values over the change.^nNo: discard your values and show the datasource as it is now."
    "^nCancel: go back to the dialog.");
inline const QString RecordRemovedMeanwhile = QStringLiteral(
    "Another program removed the datasource ^1 while this dialog was open.^n"
    "Yes: save your values, which registers it again.^nNo: discard your values and close the dialog."
    "^nCancel: go back to the dialog.");
// Another program made the record ^1 a record of another type, or locked
// it, while its dialog was open; or changed it and its protection bits.
inline const QString RecordTypeChangedMeanwhile = QStringLiteral(
    "Another program made the datasource ^1 a datasource of another type while this dialog was open.^n"
    "This dialog cannot show it and closes. Open the datasource again to see it as it is now.");
inline const QString RecordLockedMeanwhile =
    QStringLiteral("Another program locked the datasource ^1 while this dialog was open.^n"
                   "Your values were not saved. The dialog shows the datasource as it is now.");
inline const QString RecordProtectionChangedMeanwhile = QStringLiteral(
    "Another program changed the datasource ^1, and its protection, while this dialog was open.^n"
    "Yes: save your values over the change.^nNo: discard your values and show the datasource as it is now."
    "^nCancel: go back to the dialog.");
// A value that reading would give back without its quotes or end blanks; ^1 is the key.
inline const QString ValueChangedOnRead =
    QStringLiteral("The ^1 is enclosed in quotes, which the registry file removes when it is read.^n"
                   "Remove the quotes, then press OK again.");
// The registry file ^1 could not be read when a dialog opened; ^2 is the cause.
inline const QString RegistryUnreadableInDialog = QStringLiteral(
    "The registry file ^1 could not be read: ^2^n"
    "This dialog saves nothing until the file can be read. Check the file, then open the dialog again.");
// ^1 is the DLD file whose line ends made an entity name run over lines.
inline const QString EntityHasLineBreak = QStringLiteral(
    "The entity chosen from ^1 holds a line break: the file does not end its lines with CR LF.^n"
    "Save the DLD file with CR LF line ends, then choose the entity again.");
// Ctrl+Z in the main window: ^1 is the datasource the change concerns.
inline const QString UndoDeletion = QStringLiteral("Undo the deletion of ^1?");
inline const QString UndoRegistration = QStringLiteral("Undo the registration of ^1?");
inline const QString UndoChanges = QStringLiteral("Undo the changes to ^1?");
inline const QString UndoRefused =
    QStringLiteral("Another program changed the datasource ^1 since.^nThe change was not undone.");

// The user's folder ^1 in /tmp was refused for the reason ^2 (the system's
// words); the lock and the sockets are kept in ^3 instead.
inline const QString UserFolderRefused = QStringLiteral(
    "The folder ^1 cannot be used: ^2.^nAnother user may have created it. Tessel keeps its lock and its "
    "link with Velum GIS in ^3 instead.^nAsk your administrator to remove ^1.");

} // namespace tessel::Msg
