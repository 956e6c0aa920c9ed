#include "dialogs/frmDemandConfig.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSignalBlocker>

#include "controls/ControlHelpers.h"
#include "controls/DropDownList.h"
#include "controls/NumberBox.h"
#include "controls/SingleLineText.h"
#include "dialogs/EntityListModel.h"
#include "dialogs/FileFilter.h"
#include "gui/FileDialogs.h"
#include "gui/MessageBoxes.h"
#include "i18n/Messages.h"
#include "platform/PathHelpers.h"
#include "platform/ProcessLauncher.h"
#include "platform/TextHelpers.h"
#include "registry/DataSourceRecord.h"
#include "registry/RecordRules.h"
#include "registry/SourceCatalogue.h"
#include "registry/DldEntities.h"
#include "profile/ProfileNames.h"

namespace tessel {
namespace {

constexpr int ClientWidthTwips = 4890;
constexpr int ClientHeightTwips = 3480;
// A drop-down list is as high as its font makes it.
constexpr int DropDownHeightTwips = 315;

const QString BuilderProgram = QStringLiteral("DLDBUILD.EXE");

// The label font the design gives two of the labels.
QFont labelFont()
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(8.25);
    return font;
}

Qt::CheckState readOnlyState(qint16 stored)
{
    switch (stored) {
    case CheckState::Unchecked:
        return Qt::Unchecked;
    case CheckState::Grey:
        return Qt::PartiallyChecked;
    default:
        return Qt::Checked; // any other number is saved back as read-only
    }
}

const QString &launchReason(LaunchFailure failure)
{
    switch (failure) {
    case LaunchFailure::FileNotFound:
        return Msg::FileNotFound;
    case LaunchFailure::PermissionDenied:
        return Msg::PermissionDenied;
    case LaunchFailure::NotRunnable:
        break;
    }
    return Msg::NotRunnable;
}

} // namespace

frmDemandConfig::frmDemandConfig(Session &session, const QString &recordName, const QWidget *mainWindow)
    : RecordDialog(session, recordName, SourceType::DemandLoad, OptionsHolder::OverviewRow::Shown, mainWindow)
{
    createControls();
    connectEvents();
    Form_Load();
}

void frmDemandConfig::createControls()
{
    setObjectName(QStringLiteral("frmDemandConfig"));
    setWindowTitle(QStringLiteral("Configure Demand Load Datasource"));
    setFixedDialogFrame(ClientWidthTwips, ClientHeightTwips);

    auto *nameLabel =
        Placed(new QLabel(QStringLiteral("Data Source Name:"), this), "Label1", {120, 120, 2775, 255});
    txtName = Placed(new QLineEdit(this), "txtName", {120, 360, 3615, 285});
    nameLabel->setBuddy(txtName);
    auto *descriptionLabel =
        Placed(new QLabel(QStringLiteral("Description:"), this), "Label2", {120, 720, 1335, 255});
    descriptionLabel->setFont(labelFont());
    txtDescription = Placed(new QLineEdit(this), "txtDescription", {120, 960, 3615, 285});
    descriptionLabel->setBuddy(txtDescription);
    cmdOK = PlacedButton(this, "cmdOK", QStringLiteral("&OK"), {3795, 360, 1020, 375});
    cmdCancel = PlacedButton(this, "cmdCancel", QStringLiteral("&Cancel"), {3780, 840, 1035, 375});
    auto *sourceFrame =
        Placed(new QGroupBox(QStringLiteral("Source"), this), "Frame3D1", {120, 1320, 4695, 2055});

    auto *dldLabel =
        Placed(new QLabel(QStringLiteral("DLD File:"), sourceFrame), "Label3", {240, 360, 1455, 255});
    txtDLD = Placed(new QLineEdit(sourceFrame), "txtDLD", {240, 600, 2775, 285});
    dldLabel->setBuddy(txtDLD);
    cmdBrowse = PlacedButton(sourceFrame, "cmdBrowse", QStringLiteral("Browse..."), {1530, 270, 1485, 315});
    cmdDLD = PlacedButton(sourceFrame, "cmdDLD", QStringLiteral("DLD Builder..."), {3240, 480, 1335, 375});
    auto *entityLabel =
        Placed(new QLabel(QStringLiteral("Entity:"), sourceFrame), "Label4", {240, 960, 735, 255});
    entityLabel->setFont(labelFont());
    cmbEntities =
        Placed(new DropDownList(sourceFrame), "cmbEntities", {240, 1200, 2775, DropDownHeightTwips});
    m_entities = new EntityListModel(cmbEntities);
    cmbEntities->setModel(m_entities);
    entityLabel->setBuddy(cmbEntities);
    auto *idLabel =
        Placed(new QLabel(QStringLiteral("Source ID:"), sourceFrame), "Label5", {240, 1680, 855, 255});
    txtID = Placed(new NumberBox(QString(), sourceFrame), "txtID", {1200, 1650, 735, 315});
    idLabel->setBuddy(txtID);
    chkAutoID =
        Placed(new QCheckBox(QStringLiteral("Automatic"), sourceFrame), "chkAutoID", {2160, 1605, 1290, 375});
    chkReadOnly = Placed(new QCheckBox(QStringLiteral("Read Only"), sourceFrame), "chkReadOnly",
                         {3495, 1680, 1155, 255});
    chkReadOnly->setChecked(true);
    chkReadOnly->setEnabled(false); // shows and carries the stored value only
    cmdOptions =
        PlacedButton(sourceFrame, "cmdOptions", QStringLiteral("O&ptions..."), {3240, 1200, 1335, 375});

    SetTabOrder({txtName, txtDescription, cmdOK, cmdCancel, txtDLD, cmdBrowse, cmdDLD, cmbEntities, txtID,
                 chkAutoID, chkReadOnly, cmdOptions});
}

void frmDemandConfig::connectEvents()
{
    for (QLineEdit *box : {txtName, txtDescription, txtDLD})
        KeepOnOneLine(box);
    connect(txtName, &QLineEdit::textChanged, this, &frmDemandConfig::UpdateUI);
    connect(txtDLD, &QLineEdit::textChanged, this, &frmDemandConfig::txtDLD_Change);
    connect(cmbEntities, &DropDownList::DropDown, this, &frmDemandConfig::cmbEntities_DropDown);
    connect(cmbEntities, &QComboBox::currentIndexChanged, this, &frmDemandConfig::cmbEntities_Click);
    connect(chkAutoID, &QCheckBox::stateChanged, this, &frmDemandConfig::chkAutoID_Click);
    connect(cmdBrowse, &QPushButton::clicked, this, &frmDemandConfig::cmdBrowse_Click);
    connect(cmdDLD, &QPushButton::clicked, this, &frmDemandConfig::cmdDLD_Click);
    connect(cmdOptions, &QPushButton::clicked, this, &frmDemandConfig::cmdOptions_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmDemandConfig::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &RecordDialog::reject);
}

void frmDemandConfig::Form_Load()
{
    beginLoad();
    openRecord();
}

void frmDemandConfig::RefreshConfig(const DataSourceRecord &record)
{
    // A new record keeps the dialog's first state: "Automatic" unchecked and
    // no source number, which no stored ID reads back as.
    if (record.isNew())
        return;
    txtName->setText(record.name());
    txtDescription->setText(record.text(RecordKey::Description));
    chkReadOnly->setCheckState(readOnlyState(record.whole16(RecordKey::ReadOnly)));
    const DemandConnect connect = SplitDemandConnect(record.text(RecordKey::Connect));
    txtDLD->setText(connect.dldPath);
    LoadEntities();
    SelectListItem(cmbEntities, connect.entity);
    const SourceId id = ParseSourceId(record.text(RecordKey::ID));
    txtID->setStoredText(id.number);
    chkAutoID->setChecked(id.automatic);
    if (record.whole16(RecordKey::Private) & PrivateBit::Locked)
        Lock();
}

// Everything but Cancel becomes unusable: the options button too, since it
// lies in the disabled frame.
void frmDemandConfig::Lock()
{
    m_locked = true;
    DisableInputs(this);
    cmdOK->setEnabled(false);
    cmdBrowse->setEnabled(false);
    cmdDLD->setEnabled(false);
}

bool frmDemandConfig::SaveConfig()
{
    // Type, Attributes and Capabilities are those of every demand-load record.
    RecordValues values = NewRecordValues(SourceType::DemandLoad);
    values[RecordKey::Description] = txtDescription->text();
    values[RecordKey::Connect] = DemandConnectText(txtDLD->text(), cmbEntities->currentText());
    values[RecordKey::ReadOnly] = FlagText(chkReadOnly->checkState() != Qt::Unchecked);
    values[RecordKey::ID] = SourceIdText(chkAutoID->checkState() != Qt::Unchecked, txtID->text());
    m_options->fillDisplayValues(values);
    return saveRecord({m_recordName, TrimWhiteSpace(txtName->text()), values, PrivateOnSave::CarryOnRename});
}

bool frmDemandConfig::checkInput()
{
    if (!HasTextBesideBlanks(txtName)) {
        showExclamation(Msg::EnterDataSourceName);
        return false;
    }
    const QString name = TrimWhiteSpace(txtName->text());
    if (!IsStorableName(name)) {
        showExclamation(Msg::NameNotStorable, {name});
        return false;
    }
    if (!HasTextBesideBlanks(txtDLD)) {
        showExclamation(Msg::ChooseValidDldFile);
        return false;
    }
    if (!OrdinaryFileMatches(txtDLD->text())) {
        showExclamation(Msg::EnterFullValidPath);
        return false;
    }
    if (cmbEntities->currentText().isEmpty()) {
        showExclamation(Msg::ChooseEntity);
        return false;
    }
    // A DLD file whose lines end in LF alone declares "entities" that run
    // over several lines; the registry cannot hold such a name.
    if (HoldsLineBreak(cmbEntities->currentText())) {
        showExclamation(Msg::EntityHasLineBreak, {txtDLD->text()});
        return false;
    }
    return true;
}

void frmDemandConfig::UpdateUI()
{
    cmdOK->setEnabled(!m_locked && HasTextBesideBlanks(txtName) && HasTextBesideBlanks(txtDLD)
                      && OrdinaryFileMatches(txtDLD->text()) && !cmbEntities->currentText().isEmpty());
}

void frmDemandConfig::setEntities(EntityNames names)
{
    const QSignalBlocker quiet(cmbEntities);
    m_entities->setNames(std::move(names));
    cmbEntities->setCurrentIndex(-1);
}

void frmDemandConfig::LoadEntities()
{
    setEntities({});
    if (!FileExists(txtDLD->text()))
        return;
    DldEntities read;
    {
        const BusyCursor busy;
        read = ReadDldEntities(txtDLD->text());
    }
    // Filling the list selects nothing: the user chooses.
    setEntities(std::move(read.names));
    if (read.failed())
        showExclamation(Msg::ErrorReadingDldFile, {read.errorText});
}

void frmDemandConfig::txtDLD_Change()
{
    if (cmbEntities->count() > 0)
        setEntities({});
    UpdateUI();
}

void frmDemandConfig::cmbEntities_DropDown()
{
    if (FileExists(txtDLD->text()))
        LoadEntities();
}

void frmDemandConfig::cmbEntities_Click(int index)
{
    // Emptying the list is no choice of an entry.
    if (index >= 0)
        UpdateUI();
}

void frmDemandConfig::chkAutoID_Click()
{
    txtID->setEnabled(!GetCheck(chkAutoID, *m_session.messageBoxes));
}

void frmDemandConfig::cmdBrowse_Click()
{
    const std::optional<QString> chosen = m_session.fileDialogs->getOpenFileName(
        m_session.GetMsgText(Msg::SelectDldFile), QtFileFilter(m_session.GetMsgText(Msg::DldFileFilter)));
    if (chosen)
        txtDLD->setText(*chosen);
}

void frmDemandConfig::cmdDLD_Click()
{
    const QString program = AddBackslash(m_session.ApplicationDir) + BuilderProgram;
    if (const auto started = m_session.processLauncher->startDetached(program); !started)
        showExclamation(Msg::ErrorRunning, {program, m_session.GetMsgText(launchReason(started.error()))});
}

} // namespace tessel
