#pragma once

#include <memory>
#include <optional>

#include <QWidget>

#include "app/RegistryListing.h"
#include "registry/SourceCatalogue.h"
#include "registry/UndoTrail.h"

class QLabel;
class QPushButton;

namespace tessel {

class ConfigDialog;
class GeoList;
class HostLink;
class RegistryWatcher;
struct Session;

// The main window: lists the registered data sources with the icons of their
// types and offers New, Delete, Configure and Close. After every change made
// by a configuration dialog or a deletion it refills its list and tells the
// host. A change another program makes to the registry is listed too, once
// no dialog of the window is open. The registry is always read for the list
// off the window's thread. A registry that cannot be read is said to be so,
// and nothing is added to it until it can be read again. Closing it ends the
// program.
class frmTessel : public QWidget
{
    Q_OBJECT
public:
    // hostLink links the window with the GIS host that started the program.
    frmTessel(Session &session, HostLink &hostLink, QWidget *parent = nullptr);

    // Refills lstSrcs from the registry, with nothing selected. The registry
    // is read in the background; until its listing is shown nothing is
    // selected and Delete and Configure stay disabled, so that no entry of
    // the listing before is acted on.
    void RefreshRegSrcs();
    // Shows a listing read in the background: the refill RefreshRegSrcs
    // asked for, or the registry as another program changed it, keeping the
    // selected record selected (and the focus mark on its entry) and the
    // list where it was scrolled to. The host is not told of either.
    void followRegistry(const RegistryListing &listing);
    // Enables Delete and Configure for the selected record, as last listed.
    void UpdateUI();
    // The configuration dialog of a source type; a type without one is
    // reported and gives none.
    std::optional<ConfigDialogKind> GetConfigForm(qint32 type);

signals:
    // The window was unloaded: the program ends.
    void unloaded();

protected:
    // Makes (loads) a configuration dialog of the kind GetConfigForm chose,
    // for the record recordName (NewRecordMarker for a new one); a native
    // dialog is for sources of nativeType.
    virtual std::unique_ptr<ConfigDialog> createConfigForm(ConfigDialogKind kind, const QString &recordName,
                                                           qint16 nativeType);
    // Whether the host has the selected data source connected.
    virtual bool IsConnected();
    // Tells the host to reload the registry.
    virtual void SignalParent();

    void closeEvent(QCloseEvent *event) override;

private:
    void createControls();
    void Form_Load();
    void Form_Unload();

    void cmdAdd_Click();
    void cmdConfig_Click();
    void cmdDelete_Click();
    void cmdClose_Click();
    void lstSrcs_Click();
    void cmdShutdown_MouseDown();
    // Ctrl+Z: undoes the last change made in this window, once the user
    // confirms it, unless another program changed its records since.
    void undoLastChange();

    // Shows the dialog of kind for CurrentSrcName, a record of type, modal
    // and unloads it; a confirmed dialog changed the registry, so the list is
    // refilled and the host told.
    void showConfigForm(ConfigDialogKind kind, qint32 type);
    // Fills lstSrcs with listing, with nothing selected, and tells the
    // problems it has that were not told before.
    void showListing(const RegistryListing &listing);
    QString selectedName() const;

    Session &m_session;
    HostLink &m_hostLink;
    RegistryWatcher *m_registryWatcher;
    UndoTrail m_undoTrail;
    ListingProblems m_listingProblems;
    // RefreshRegSrcs asked for a listing that has not been shown yet.
    bool m_refillPending = false;
    // The registry as the list shows it: a click is answered from it.
    std::shared_ptr<const ProfileDocument> m_listedRegistry;
    // The record the next configuration dialog edits: a section name of the
    // registry, or NewRecordMarker for a new record.
    QString CurrentSrcName;
    // The type (1 or 2) the native dialog was last opened for.
    qint16 NativeSrcType = 1;

    QLabel *Label1;
    GeoList *lstSrcs;
    QPushButton *cmdAdd;
    QPushButton *cmdDelete;
    QPushButton *cmdConfig;
    QPushButton *cmdClose;
    QPushButton *cmdShutdown;
    QLabel *picIcons;
};

} // namespace tessel
