#include "app/frmNewSrc.h"

#include <QLabel>
#include <QPushButton>

#include "app/SourceListItems.h"
#include "controls/ControlHelpers.h"
#include "controls/GeoList.h"
#include "registry/SourceCatalogue.h"

namespace tessel {

frmNewSrc::frmNewSrc(Session &session, const QPixmap &iconStrip, const QWidget *mainWindow)
    : ConfigDialog(session, mainWindow)
{
    setObjectName(QStringLiteral("frmNewSrc"));
    setWindowTitle(QStringLiteral("New Data Source"));
    setFixedDialogFrame(4890, 1965);

    Label1 = Placed(new QLabel(QStringLiteral("Select type of new Datasource:"), this), "Label1",
                    {180, 120, 3315, 255});
    lstSrcTypes = Placed(new GeoList(this), "lstSrcTypes", {120, 360, 3495, 1155});
    Label1->setBuddy(lstSrcTypes);
    cmdOK = PlacedButton(this, "cmdOK", QStringLiteral("&OK"), {3840, 480, 975, 375});
    cmdOK->setEnabled(false);
    cmdCancel = PlacedButton(this, "cmdCancel", QStringLiteral("&Cancel"), {3840, 960, 975, 375});

    connect(lstSrcTypes, &GeoList::Click, this, &frmNewSrc::lstSrcTypes_Click);
    // Double-click or Enter on an entry chooses it.
    connect(lstSrcTypes, &QAbstractItemView::activated, cmdOK, &QPushButton::click);
    connect(cmdOK, &QPushButton::clicked, this, &frmNewSrc::accept);
    connect(cmdCancel, &QPushButton::clicked, this, &frmNewSrc::reject);

    Form_Load(iconStrip);
}

qint32 frmNewSrc::chosenType() const
{
    return lstSrcTypes->ItemData(lstSrcTypes->ListIndex());
}

void frmNewSrc::Form_Load(const QPixmap &iconStrip)
{
    beginLoad();
    lstSrcTypes->setPicture(iconStrip);
    for (const CatalogueEntry &entry : ReadSourceCatalogue(m_session.SourcesIniPath))
        AddSrcItem(m_session, *lstSrcTypes, entry.name, entry.type);
}

void frmNewSrc::lstSrcTypes_Click()
{
    cmdOK->setEnabled(lstSrcTypes->ListIndex() != -1);
}

} // namespace tessel
