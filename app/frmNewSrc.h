#pragma once

#include "dialogs/ConfigDialog.h"

class QLabel;
class QPixmap;
class QPushButton;

namespace tessel {

class GeoList;

// The type chooser for a new data source: lists the types of the source type
// catalogue with their icons. After the user confirmed it (Tag "OK") the
// chosen type is the item data of the selected entry of lstSrcTypes.
class frmNewSrc final : public ConfigDialog
{
    Q_OBJECT
public:
    frmNewSrc(Session &session, const QPixmap &iconStrip, const QWidget *mainWindow);

    // The type of the selected entry; 0 when none is selected.
    qint32 chosenType() const;

private:
    void Form_Load(const QPixmap &iconStrip);
    void lstSrcTypes_Click();

    QLabel *Label1;
    GeoList *lstSrcTypes;
    QPushButton *cmdOK;
    QPushButton *cmdCancel;
};

} // namespace tessel
