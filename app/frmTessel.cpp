#include "app/frmTessel.h"

#include <utility>

#include <QCloseEvent>
#include <QLabel>
#include <QLoggingCategory>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>

#include "app/RegistryWatcher.h"
#include "app/frmNewSrc.h"
#include "controls/ControlHelpers.h"
#include "controls/GeoList.h"
#include "controls/StrayAccessKeys.h"
#include "dialogs/ConfigDialog.h"
#include "dialogs/Session.h"
#include "dialogs/WriteFailureText.h"
#include "dialogs/frmDemandConfig.h"
#include "dialogs/frmNativeConfig.h"
#include "dialogs/frmODBCConfig.h"
#include "gui/MessageBoxes.h"
#include "hostlink/DebugTrace.h"
#include "hostlink/HostLink.h"
#include "i18n/Messages.h"
#include "profile/ProfileDocument.h"
#include "registry/DataSourceRecord.h"

namespace tessel {
namespace {

// tessel.window: when the list shows a reading of the registry.
Q_LOGGING_CATEGORY(lcMainWindow, "tessel.window", QtWarningMsg)

} // namespace

namespace {

// The question that names the change an undo reverts, and the record it names.
std::pair<QString, QString> UndoQuestion(const VersionNote &change)
{
    if (change.added.isEmpty() && change.changed.isEmpty())
        return {Msg::UndoDeletion, change.removed.value(0)};
    if (change.changed.isEmpty() && change.removed.isEmpty())
        return {Msg::UndoRegistration, change.added.value(0)};
    return {Msg::UndoChanges, change.changed.value(0, change.added.value(0))};
}

} // namespace

frmTessel::frmTessel(Session &session, HostLink &hostLink, QWidget *parent)
    : QWidget(parent)
    , m_session(session)
    , m_hostLink(hostLink)
    , m_registryWatcher(new RegistryWatcher(session.RegistryIniPath, this))
    , m_undoTrail(session.RegistryIniPath)
{
    createControls();
    // The host may press the button as soon as it is published, which is
    // while the window loads.
    connect(&m_hostLink, &HostLink::shutdownButtonPressed, this, &frmTessel::cmdShutdown_MouseDown);
    Form_Load();
}

void frmTessel::createControls()
{
    setObjectName(QStringLiteral("frmTessel"));
    setWindowTitle(QStringLiteral("VelumGIS Datasource Registration"));
    setFont(FormFont());
    setFixedSize(TwipsRect(0, 0, 5715, 2100).size());

    Label1 =
        Placed(new QLabel(QStringLiteral("Registered Datasources:"), this), "Label1", {120, 120, 3810, 255});
    lstSrcs = Placed(new GeoList(this), "lstSrcs", {120, 360, 3975, 1380});
    Label1->setBuddy(lstSrcs);
    cmdAdd = PlacedButton(this, "cmdAdd", QStringLiteral("&New..."), {4200, 360, 1395, 255});
    cmdDelete = PlacedButton(this, "cmdDelete", QStringLiteral("&Delete"), {4200, 720, 1395, 255});
    cmdDelete->setEnabled(false);
    cmdConfig = PlacedButton(this, "cmdConfig", QStringLiteral("Config&ure..."), {4200, 1080, 1395, 255});
    cmdConfig->setEnabled(false);
    cmdClose = PlacedButton(this, "cmdClose", QStringLiteral("&Close"), {4200, 1710, 1395, 255});
    // The host presses this button to close the program.
    cmdShutdown = PlacedButton(this, "cmdShutdown", QStringLiteral("XXX"), {1320, 3000, 495, 375});
    cmdShutdown->hide();
    picIcons = Placed(new QLabel(this), "picIcons", {2400, 0, 1200, 240});
    picIcons->setPixmap(SourceIconStrip());
    picIcons->hide();

    connect(lstSrcs, &GeoList::Click, this, &frmTessel::lstSrcs_Click);
    // Refilling the list leaves nothing selected.
    connect(lstSrcs->model(), &QAbstractItemModel::modelReset, this, &frmTessel::UpdateUI);
    connect(m_registryWatcher, &RegistryWatcher::changed, this, &frmTessel::followRegistry);
    // Double-click or Enter on an entry configures it.
    connect(lstSrcs, &QAbstractItemView::activated, cmdConfig, &QPushButton::click);
    connect(cmdAdd, &QPushButton::clicked, this, &frmTessel::cmdAdd_Click);
    connect(cmdDelete, &QPushButton::clicked, this, &frmTessel::cmdDelete_Click);
    connect(cmdConfig, &QPushButton::clicked, this, &frmTessel::cmdConfig_Click);
    connect(cmdClose, &QPushButton::clicked, this, &frmTessel::cmdClose_Click);
    connect(new QShortcut(QKeySequence::Undo, this), &QShortcut::activated, this, &frmTessel::undoLastChange);
}

void frmTessel::Form_Load()
{
    m_session.TranslateForm(this);
    SwallowStrayAccessKeys(this);
    m_hostLink.traceFormLoaded();
    // The window shows at once; a large registry is listed once it is read.
    lstSrcs->setPicture(picIcons->pixmap());
    RefreshRegSrcs();
    m_hostLink.registerWithHost();
}

void frmTessel::Form_Unload()
{
    m_hostLink.shutDown();
    emit unloaded();
}

void frmTessel::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}

void frmTessel::RefreshRegSrcs()
{
    m_refillPending = true;
    lstSrcs->clearSelection();
    UpdateUI();
    m_registryWatcher->listInBackground();
}

void frmTessel::followRegistry(const RegistryListing &listing)
{
    if (std::exchange(m_refillPending, false)) {
        showListing(listing);
        return;
    }
    // The entry that holds the focus mark: the selected one, if any.
    const int selected = lstSrcs->ListIndex();
    const QString markedName = lstSrcs->itemName(selected != -1 ? selected : lstSrcs->currentRow());
    const int scrolled = lstSrcs->verticalScrollBar()->value();
    showListing(listing);
    lstSrcs->verticalScrollBar()->setValue(scrolled);
    // Names match without regard to case, as the registry file matches them.
    const int found = markedName.isEmpty() ? -1 : lstSrcs->findRow(markedName, Qt::CaseInsensitive);
    if (found != -1) {
        lstSrcs->setCurrentRow(
            found, selected != -1 ? QItemSelectionModel::ClearAndSelect : QItemSelectionModel::NoUpdate);
        lstSrcs->scrollTo(lstSrcs->currentIndex());
    }
    UpdateUI();
}

void frmTessel::showListing(const RegistryListing &listing)
{
    const RegistryWatcher::Hold waiting = m_registryWatcher->hold();
    m_listedRegistry = listing.document;
    lstSrcs->setItems(listing.items);
    qCDebug(lcMainWindow) << "listed" << listing.items.size() << "records";
    cmdAdd->setEnabled(!listing.failure);
    for (const ListingProblem &problem : m_listingProblems.untold(m_session.RegistryIniPath, listing))
        m_session.MsgBox(m_session.GetMsgText(problem.message, problem.arguments), problem.style);
}

void frmTessel::UpdateUI()
{
    const bool selected = !m_refillPending && lstSrcs->ListIndex() != -1;
    const bool isProtected = selected
        && (DataSourceRecord(m_listedRegistry, selectedName()).whole16(RecordKey::Private)
            & PrivateBit::Protected);
    cmdDelete->setEnabled(selected && !isProtected);
    cmdConfig->setEnabled(selected);
}

std::optional<ConfigDialogKind> frmTessel::GetConfigForm(qint32 type)
{
    const std::optional<ConfigDialogKind> kind = ConfigDialogOfType(type);
    if (!kind)
        m_session.MsgBox(m_session.GetMsgText(Msg::InternalErrorGetConfigForm), MsgBoxStyle::OkOnly);
    return kind;
}

std::unique_ptr<ConfigDialog> frmTessel::createConfigForm(ConfigDialogKind kind, const QString &recordName,
                                                          qint16 nativeType)
{
    switch (kind) {
    case ConfigDialogKind::Native:
        return std::make_unique<frmNativeConfig>(m_session, recordName, nativeType, this);
    case ConfigDialogKind::DemandLoad:
        return std::make_unique<frmDemandConfig>(m_session, recordName, this);
    case ConfigDialogKind::Odbc:
        return std::make_unique<frmODBCConfig>(m_session, this);
    }
    return nullptr;
}

bool frmTessel::IsConnected()
{
    return m_hostLink.IsConnected(selectedName());
}

void frmTessel::SignalParent()
{
    m_hostLink.SignalParent();
}

void frmTessel::cmdAdd_Click()
{
    const RegistryWatcher::Hold waiting = m_registryWatcher->hold();
    std::optional<qint32> chosenType;
    {
        frmNewSrc chooser(m_session, picIcons->pixmap(), this);
        chooser.exec();
        if (chooser.Tag() == TagOk)
            chosenType = chooser.chosenType();
    }
    if (!chosenType)
        return;
    const std::optional<ConfigDialogKind> kind = GetConfigForm(*chosenType);
    if (!kind)
        return;
    CurrentSrcName = NewRecordMarker;
    showConfigForm(*kind, *chosenType);
}

void frmTessel::cmdConfig_Click()
{
    const RegistryWatcher::Hold waiting = m_registryWatcher->hold();
    if (lstSrcs->ListIndex() == -1)
        return;
    const qint32 type = lstSrcs->ItemData(lstSrcs->ListIndex());
    const std::optional<ConfigDialogKind> kind = GetConfigForm(type);
    if (!kind)
        return;
    CurrentSrcName = selectedName();
    if (IsConnected())
        m_session.MsgBox(m_session.GetMsgText(Msg::SourceConnected), MsgBoxStyle::Information);
    showConfigForm(*kind, type);
}

void frmTessel::cmdDelete_Click()
{
    const RegistryWatcher::Hold waiting = m_registryWatcher->hold();
    if (lstSrcs->ListIndex() == -1)
        return;
    if (IsConnected()) {
        m_session.MsgBox(m_session.GetMsgText(Msg::CannotDeleteConnected), MsgBoxStyle::Exclamation);
        return;
    }
    if (m_session.MsgBox(m_session.GetMsgText(Msg::DeleteSelectedEntry), MsgBoxStyle::YesNoQuestion)
        != MsgBoxResult::Yes)
        return;
    const WriteResult removed = RemoveRecords(m_session.RegistryIniPath, {selectedName()});
    if (!removed) {
        m_session.MsgBox(WriteFailureText(m_session, removed), MsgBoxStyle::Exclamation);
        return;
    }
    m_undoTrail.takeOwnChanges();
    RefreshRegSrcs();
    SignalParent();
}

void frmTessel::undoLastChange()
{
    const RegistryWatcher::Hold waiting = m_registryWatcher->hold();
    const std::optional<VersionNote> change = m_undoTrail.last();
    if (!change)
        return;
    const auto [question, name] = UndoQuestion(*change);
    if (m_session.MsgBox(m_session.GetMsgText(question, {name}), MsgBoxStyle::YesNoQuestion)
        != MsgBoxResult::Yes)
        return;
    const WriteResult undone = m_undoTrail.undoLast();
    if (!undone) {
        m_session.MsgBox(undone.error().failure == WriteFailure::RecordChanged
                             ? m_session.GetMsgText(Msg::UndoRefused, {undone.error().detail})
                             : WriteFailureText(m_session, undone),
                         MsgBoxStyle::Exclamation);
        return;
    }
    RefreshRegSrcs();
    SignalParent();
}

void frmTessel::cmdClose_Click()
{
    close();
}

void frmTessel::lstSrcs_Click()
{
    UpdateUI();
}

void frmTessel::cmdShutdown_MouseDown()
{
    DebugTrace(QStringLiteral("Incoming windows Shutdown message"));
    Form_Unload();
}

void frmTessel::showConfigForm(ConfigDialogKind kind, qint32 type)
{
    if (kind == ConfigDialogKind::Native)
        NativeSrcType = qint16(type);
    const std::unique_ptr<ConfigDialog> dialog = createConfigForm(kind, CurrentSrcName, NativeSrcType);
    dialog->exec();
    if (dialog->Tag() == TagOk) {
        m_undoTrail.takeOwnChanges();
        RefreshRegSrcs();
        SignalParent();
    }
}

QString frmTessel::selectedName() const
{
    return GeoListItemName(lstSrcs->Text());
}

} // namespace tessel
