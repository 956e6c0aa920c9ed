#pragma once

#include <QString>
#include <QStringList>

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
inline const QString InternalErrorGetConfigForm =
    QStringLiteral("Internal Error in TESSEL::GetConfigForm");
inline const QString InternalErrorSrcTypeToIcon = QStringLiteral("Internal error in SrcTypeToIcon");
inline const QString ConfigureNativeRaster = QStringLiteral("Configure Native Raster Data Source");
inline const QString EnterValidDatasourceName =
    QStringLiteral("Please enter a valid datasource name before pressing OK");
inline const QString EnterDataSourceName =
    QStringLiteral("Please enter a Data Source Name before pressing OK.");
inline const QString ChooseValidDldFile =
    QStringLiteral("Please choose a valid DLD file before proceeding.");
inline const QString EnterFullValidPath = QStringLiteral("Please enter a full, valid file path.");
inline const QString ChooseEntity = QStringLiteral("Please choose an entity before proceeding.");
inline const QString SelectDldFile = QStringLiteral("Select DLD File");
inline const QString DldFileFilter = QStringLiteral("DLD File (*.DLD)|*.DLD|");
inline const QString ErrorRunning = QStringLiteral("Error while attempting to run ^1: ^2");
// The reasons that fill in ^2 of ErrorRunning.
inline const QString FileNotFound = QStringLiteral("file not found");
inline const QString PermissionDenied = QStringLiteral("permission denied");
inline const QString NotRunnable = QStringLiteral("not a program this system can run");
inline const QString ErrorReadingIcf = QStringLiteral("Unexpected error reading ICF file: ^n^1");
// A data source name that the registry file cannot hold as a section name.
inline const QString NameNotStorable = QStringLiteral(
    "The datasource name ^1 cannot be stored: a name may not contain ] or a line break, "
    "and may not be <<__New__>>.^nPlease choose another name.");

// All of the above, for the check that every shipped language translates them.
inline QStringList all()
{
    return {AlreadyRunning, SourceConnected, CannotDeleteConnected, DeleteSelectedEntry,
            InternalErrorGetConfigForm, InternalErrorSrcTypeToIcon, ConfigureNativeRaster,
            EnterValidDatasourceName, EnterDataSourceName, ChooseValidDldFile,
            EnterFullValidPath, ChooseEntity, SelectDldFile, DldFileFilter, ErrorRunning,
            FileNotFound, PermissionDenied, NotRunnable, ErrorReadingIcf, NameNotStorable};
}

} // namespace tessel::Msg
