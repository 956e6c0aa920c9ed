#include "dialogs/frmOptions.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cmath>
#include <limits>

#include "controls/ControlHelpers.h"
#include "controls/NumberBox.h"

namespace tessel {
namespace {

constexpr int ClientWidthTwips = 6510;
constexpr int ClientHeightTwips = 2895;

QLabel *placedLabel(QWidget *container, const char *name, const QString &caption, QRect twips)
{
    return Placed(new QLabel(caption, container), name, twips);
}

NumberBox *numberBox(QWidget *container, const char *name, const QString &text, QRect twips)
{
    return Placed(new NumberBox(text, container), name, twips);
}

// A stored number beyond the range of a double reads as infinite; the box
// shows it, and a save writes it, as the largest double of its sign.
QString shownNumber(double number)
{
    if (std::isinf(number))
        number = std::copysign(std::numeric_limits<double>::max(), number);
    return DecimalText(number);
}

} // namespace

frmOptions::frmOptions(Session &session, DataSourceRecord record, const QWidget *mainWindow)
    : ConfigDialog(session, mainWindow)
    , m_record(std::move(record))
{
    createControls();
    connectEvents();
    Form_Load();
}

void frmOptions::createControls()
{
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Options"));
    setFixedDialogFrame(ClientWidthTwips, ClientHeightTwips);

    m_cmdCancel = PlacedButton(this, "cmdCancel", QStringLiteral("&Cancel"), {5340, 705, 1050, 315});
    m_cmdOK = PlacedButton(this, "cmdOK", QStringLiteral("&OK"), {5340, 330, 1050, 315});
    m_chkAuto = Placed(new QCheckBox(QStringLiteral("Auto-Connect for new documents"), this), "chkAuto",
                       {120, 2520, 4560, 255});

    auto *drawOrderFrame =
        Placed(new QGroupBox(QStringLiteral("Draw Order"), this), "Frame2", {120, 1680, 5085, 735});
    m_txtPriority = numberBox(drawOrderFrame, "txtPriority", QStringLiteral("127"), {2025, 315, 1095, 285});
    placedLabel(drawOrderFrame, "Label7", QStringLiteral("Relative Priority (0-255):"), {120, 360, 1815, 255})
        ->setBuddy(m_txtPriority);

    auto *scalesFrame =
        Placed(new QGroupBox(QStringLiteral("Scales"), this), "Frame1", {120, 120, 5085, 1455});
    m_chkAllScales = Placed(new QCheckBox(QStringLiteral("All Scales"), scalesFrame), "chkAllScales",
                            {3900, 360, 1110, 405});
    m_chkAllScales->setChecked(true);
    const QString zero = QStringLiteral("0");
    m_txtOverViewScale = numberBox(scalesFrame, "txtOverViewScale", zero, {2925, 1050, 855, 285});
    m_txtMaxScale = numberBox(scalesFrame, "txtMaxScale", zero, {2925, 690, 855, 285});
    m_txtMinScale = numberBox(scalesFrame, "txtMinScale", zero, {2925, 330, 855, 285});
    for (NumberBox *scaleBox : {m_txtOverViewScale, m_txtMaxScale, m_txtMinScale})
        scaleBox->setEnabled(false);
    const QString scalePrefix = QStringLiteral("1:");
    m_lblOverview1 = placedLabel(scalesFrame, "lblOverview1", scalePrefix, {2685, 1080, 150, 255});
    placedLabel(scalesFrame, "Label5", scalePrefix, {2685, 720, 150, 255});
    placedLabel(scalesFrame, "Label4", scalePrefix, {2685, 360, 150, 255});
    // Each scale box is named by the caption at the start of its row, not by "1:".
    m_lblOverviewScale = placedLabel(scalesFrame, "lblOverviewScale",
                                     QStringLiteral("Overview Render Scale:"), {120, 1080, 2325, 255});
    m_lblOverviewScale->setBuddy(m_txtOverViewScale);
    placedLabel(scalesFrame, "Label2", QStringLiteral("Maximum Active Scale:"), {120, 720, 1710, 255})
        ->setBuddy(m_txtMaxScale);
    placedLabel(scalesFrame, "Label1", QStringLiteral("Minimum Active Scale:"), {120, 360, 1695, 255})
        ->setBuddy(m_txtMinScale);

    SetTabOrder({m_chkAllScales, m_txtMinScale, m_txtMaxScale, m_txtOverViewScale, m_txtPriority, m_chkAuto,
                 m_cmdOK, m_cmdCancel});
}

void frmOptions::connectEvents()
{
    connect(m_chkAllScales, &QCheckBox::toggled, this, &frmOptions::chkAllScales_Click);
    connect(m_cmdOK, &QPushButton::clicked, this, &frmOptions::accept);
    connect(m_cmdCancel, &QPushButton::clicked, this, &frmOptions::cmdCancel_Click);
}

void frmOptions::Form_Load()
{
    beginLoad();
    RefreshOptions();
}

void frmOptions::RefreshOptions()
{
    // A new record has nothing to read back: Cancel keeps what is shown.
    const DataSourceRecord &record = m_record;
    if (record.isNew())
        return;
    m_txtPriority->setStoredText(shownNumber(record.number(RecordKey::Priority)));
    m_chkAuto->setChecked(record.number(RecordKey::AutoConnect) != 0);
    const Scales scales = ParseScales(record.text(RecordKey::Scales));
    m_txtMinScale->setStoredText(shownNumber(scales.minimum));
    m_txtMaxScale->setStoredText(shownNumber(scales.maximum));
    m_chkAllScales->setChecked(scales.allScales());
    m_txtOverViewScale->setStoredText(shownNumber(scales.overview));
    if (record.whole16(RecordKey::Private) & PrivateBit::Locked) {
        DisableInputs(this);
        m_cmdOK->setEnabled(false);
    }
}

DisplayOptions frmOptions::values() const
{
    return {m_chkAuto->checkState() != Qt::Unchecked,
            m_chkAllScales->checkState() != Qt::Unchecked,
            m_txtMinScale->text(),
            m_txtMaxScale->text(),
            m_txtOverViewScale->text(),
            m_txtPriority->text()};
}

void frmOptions::hideOverviewRow()
{
    for (QWidget *control :
         std::initializer_list<QWidget *>{m_lblOverviewScale, m_lblOverview1, m_txtOverViewScale})
        control->hide();
}

void frmOptions::chkAllScales_Click()
{
    const bool boxesEnabled = !GetCheck(m_chkAllScales, *m_session.messageBoxes);
    for (QLineEdit *scaleBox : {m_txtMinScale, m_txtMaxScale, m_txtOverViewScale})
        scaleBox->setEnabled(boxesEnabled);
}

void frmOptions::cmdCancel_Click()
{
    RefreshOptions();
    reject();
}

void frmOptions::closeEvent(QCloseEvent *event)
{
    ConfigDialog::closeEvent(event);
    if (event->isAccepted())
        emit Unloaded();
}

} // namespace tessel
