#include "dialogs/frmNativeConfig.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

#include "controls/ControlHelpers.h"
#include "controls/KeyPressFilter.h"
#include "controls/SingleLineText.h"
#include "gui/MessageBoxes.h"
#include "i18n/Messages.h"
#include "platform/TextHelpers.h"
#include "registry/DataSourceRecord.h"
#include "registry/RecordRules.h"

namespace tessel {
namespace {

constexpr int ClientWidthTwips = 4755;
constexpr int ClientHeightTwips = 5835;
constexpr qint16 NativeRasterType = 2;

QLabel *placedLabel(QWidget *container, const char *name, const QString &caption, QRect twips)
{
    return Placed(new QLabel(caption, container), name, twips);
}

QCheckBox *placedCheckBox(QWidget *container, const char *name, const QString &caption, QRect twips,
                          bool checked)
{
    auto *box = Placed(new QCheckBox(caption, container), name, twips);
    box->setChecked(checked);
    return box;
}

// Selects or deselects one option button; deselecting the selected one
// leaves its group with none selected.
void setOptionSelected(QRadioButton *option, bool selected)
{
    if (selected) {
        option->setChecked(true);
        return;
    }
    option->setAutoExclusive(false);
    option->setChecked(false);
    option->setAutoExclusive(true);
}

// Limits the length of what the user types into box; a longer text already
// there (a stored name written by another program) is kept whole.
void limitTyping(QLineEdit *box, int limit)
{
    box->setMaxLength(std::max(limit, int(box->text().size())));
}

// Shows a text of the record. The box keeps its limit for typing, but a
// longer stored text (written by another program) is shown whole.
void showStoredText(QLineEdit *box, const QString &text, int typingLimit)
{
    box->setMaxLength(std::max(typingLimit, int(text.size())));
    box->setText(text);
}

} // namespace

frmNativeConfig::frmNativeConfig(Session &session, const QString &recordName, qint16 nativeType,
                                 const QWidget *mainWindow)
    : RecordDialog(session, recordName, nativeType, OptionsHolder::OverviewRow::Hidden, mainWindow)
    , m_nativeType(nativeType)
{
    createControls();
    connectEvents();
    Form_Load();
}

void frmNativeConfig::createControls()
{
    setObjectName(QStringLiteral("frmNativeConfig"));
    setWindowTitle(QStringLiteral("Configure Native Data Source"));
    setFixedDialogFrame(ClientWidthTwips, ClientHeightTwips);

    auto *nameLabel = placedLabel(this, "Label1", QStringLiteral("Data Source Name:"), {120, 120, 2625, 255});
    txtName = Placed(new QLineEdit(this), "txtName", {120, 360, 3495, 285});
    nameLabel->setBuddy(txtName);
    auto *descriptionLabel =
        placedLabel(this, "Label2", QStringLiteral("Description:"), {120, 840, 2175, 255});
    txtDescription = Placed(new QLineEdit(this), "txtDescription", {120, 1080, 3495, 285});
    descriptionLabel->setBuddy(txtDescription);

    auto *sourceFrame =
        Placed(new QGroupBox(QStringLiteral("Source"), this), "Frame3D1", {120, 1440, 3495, 1575});
    auto *storageLabel = placedLabel(sourceFrame, "Label3", QStringLiteral("Storage Name: (8 char max.)"),
                                     {120, 360, 2175, 255});
    txtStorage = Placed(new QLineEdit(sourceFrame), "txtStorage", {120, 600, 2655, 285});
    storageLabel->setBuddy(txtStorage);
    txtStorage->setMaxLength(StorageNameLimit);
    chkReadOnly = placedCheckBox(sourceFrame, "chkReadOnly", QStringLiteral("Read Only"),
                                 {2280, 270, 1155, 285}, false);
    chkReadOnly->setEnabled(false); // shows and carries the stored value only
    auto *idLabel = placedLabel(sourceFrame, "Label4", QStringLiteral("SourceID:"), {120, 1200, 735, 255});
    txtID = Placed(new QLineEdit(sourceFrame), "txtID", {870, 1140, 615, 315});
    idLabel->setBuddy(txtID);
    chkAutoID =
        placedCheckBox(sourceFrame, "chkAutoID", QStringLiteral("Automatic"), {1680, 1200, 1515, 255}, true);

    // The frame caption is spelled as the product has always shown it.
    auto *capabilitiesFrame =
        Placed(new QGroupBox(QStringLiteral("Area Capabilites"), this), "Frame3D3", {120, 4515, 3495, 1215});
    chkCreate = placedCheckBox(capabilitiesFrame, "chkCreate", QStringLiteral("Allow Creation"),
                               {240, 360, 1455, 255}, true);
    chkImport = placedCheckBox(capabilitiesFrame, "chkImport", QStringLiteral("Allow Import"),
                               {1920, 360, 1335, 255}, true);
    chkExport = placedCheckBox(capabilitiesFrame, "chkExport", QStringLiteral("Allow Export"),
                               {240, 720, 1455, 255}, true);
    chkUnload = placedCheckBox(capabilitiesFrame, "chkUnload", QStringLiteral("Allow Unloads"),
                               {1920, 735, 1455, 255}, true);

    auto *attributesFrame =
        Placed(new QGroupBox(QStringLiteral("Attributes"), this), "Frame3D2", {120, 3120, 3495, 1350});
    optBackdrop = Placed(new QRadioButton(QStringLiteral("Backdrop"), attributesFrame), "optBackdrop",
                         {120, 360, 1215, 255});
    optReadOnly = Placed(new QRadioButton(QStringLiteral("Read Only"), attributesFrame), "optReadOnly",
                         {120, 682, 1155, 255});
    optEditable = Placed(new QRadioButton(QStringLiteral("Editable"), attributesFrame), "optEditable",
                         {120, 1005, 1950, 255});
    optEditable->setChecked(true);
    TabToSelectedOption({optBackdrop, optReadOnly, optEditable});

    cmdOK = PlacedButton(this, "cmdOK", QStringLiteral("&OK"), {3720, 360, 975, 375});
    cmdCancel = PlacedButton(this, "cmdCancel", QStringLiteral("&Cancel"), {3720, 840, 975, 375});
    cmdHelp = PlacedButton(this, "cmdHelp", QStringLiteral("&Help"), {3720, 1320, 975, 375});
    cmdHelp->setEnabled(false);
    cmdOptions = PlacedButton(this, "cmdOptions", QStringLiteral("O&ptions..."), {3720, 2040, 975, 375});

    SetTabOrder({txtName, txtDescription, txtStorage, chkReadOnly, txtID, chkAutoID, chkCreate, cmdOK,
                 cmdOptions, cmdHelp, cmdCancel, optBackdrop, optReadOnly, optEditable, chkImport, chkExport,
                 chkUnload});
}

void frmNativeConfig::connectEvents()
{
    // The name and the storage name take only the characters a name may
    // hold; blanks only in the name.
    KeyPressFilter::install(txtName, [](int &key) { key = FilterNameKey(key, true); });
    KeyPressFilter::install(txtStorage, [](int &key) { key = FilterNameKey(key, false); });
    // A typed or pasted line break never enters a box; a change of the name
    // or the storage name decides whether OK is enabled.
    for (QLineEdit *box : {txtName, txtDescription, txtStorage})
        KeepOnOneLine(box);
    connect(txtName, &QLineEdit::textChanged, this, &frmNativeConfig::UpdateUI);
    connect(txtStorage, &QLineEdit::textChanged, this, &frmNativeConfig::UpdateUI);
    // An access mode that becomes selected, by the user or by the dialog
    // itself, sets the capabilities.
    for (QRadioButton *option : {optBackdrop, optReadOnly, optEditable}) {
        connect(option, &QRadioButton::toggled, this, [this](bool selected) {
            if (selected)
                UpdateCapabilities();
        });
    }
    connect(cmdOK, &QPushButton::clicked, this, &frmNativeConfig::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &RecordDialog::reject);
    connect(cmdOptions, &QPushButton::clicked, this, &frmNativeConfig::cmdOptions_Click);
}

void frmNativeConfig::Form_Load()
{
    beginLoad();
    if (m_nativeType == NativeRasterType) {
        // A raster source is a backdrop: it cannot be edited or exported.
        setWindowTitle(m_session.GetMsgText(Msg::ConfigureNativeRaster));
        chkExport->setChecked(false);
        chkExport->setEnabled(false);
        optBackdrop->setChecked(true);
        optReadOnly->setEnabled(false);
        optEditable->setEnabled(false);
    }
    openRecord();
    limitTyping(txtName, NameLengthLimit);
}

void frmNativeConfig::RefreshConfig(const DataSourceRecord &record)
{
    if (!record.isNew())
        txtName->setText(record.name());
    txtDescription->setText(record.text(RecordKey::Description));
    showStoredText(txtStorage, record.text(RecordKey::Connect), StorageNameLimit);
    chkReadOnly->setChecked(record.number(RecordKey::ReadOnly) != 0);

    const SourceId id = ParseSourceId(record.text(RecordKey::ID));
    txtID->setText(id.number);
    chkAutoID->setChecked(id.automatic);

    const qint16 accessMode = record.whole16(RecordKey::Attributes);
    for (const AccessModeOption &option : accessModeOptions())
        setOptionSelected(option.button, accessMode == option.mode);

    // The stored capabilities win over what the access mode set.
    const qint16 capabilities = record.whole16(RecordKey::Capabilities);
    for (const CapabilityBox &capability : capabilityBoxes())
        capability.box->setChecked(capabilities & capability.bit);

    if (record.whole16(RecordKey::Private) & PrivateBit::Locked)
        Lock();
}

void frmNativeConfig::Lock()
{
    m_locked = true;
    DisableInputs(this);
    cmdOK->setEnabled(false);
}

void frmNativeConfig::UpdateCapabilities()
{
    if (optBackdrop->isChecked() || optReadOnly->isChecked()) {
        for (QCheckBox *box : {chkCreate, chkExport}) {
            box->setChecked(false);
            box->setEnabled(false);
        }
    } else if (optEditable->isChecked()) {
        for (QCheckBox *box : {chkCreate, chkExport}) {
            box->setChecked(true);
            box->setEnabled(true);
        }
    }
}

void frmNativeConfig::UpdateUI()
{
    cmdOK->setEnabled(!m_locked && HasTextBesideBlanks(txtName) && HasTextBesideBlanks(txtStorage));
}

// A name that fails its check keeps the focus for correcting it.
bool frmNativeConfig::checkInput()
{
    const QString name = TrimWhiteSpace(txtName->text());
    if (name.isEmpty())
        showExclamation(Msg::EnterValidDatasourceName);
    else if (!IsStorableName(name))
        showExclamation(Msg::NameNotStorable, {name});
    else
        return true;
    txtName->setFocus();
    return false;
}

std::array<frmNativeConfig::AccessModeOption, 3> frmNativeConfig::accessModeOptions() const
{
    return {{{optBackdrop, AccessMode::Backdrop},
             {optReadOnly, AccessMode::ReadOnly},
             {optEditable, AccessMode::Editable}}};
}

std::array<frmNativeConfig::CapabilityBox, 4> frmNativeConfig::capabilityBoxes() const
{
    return {{{chkImport, CapabilityBit::Import},
             {chkExport, CapabilityBit::Export},
             {chkUnload, CapabilityBit::Unload},
             {chkCreate, CapabilityBit::Create}}};
}

int frmNativeConfig::selectedAccessMode() const
{
    for (const AccessModeOption &option : accessModeOptions()) {
        if (option.button->isChecked())
            return option.mode;
    }
    return AccessMode::None;
}

int frmNativeConfig::checkedCapabilities() const
{
    int bits = 0;
    for (const CapabilityBox &capability : capabilityBoxes()) {
        if (capability.box->checkState() == Qt::Checked) // a grey box counts as unchecked
            bits |= capability.bit;
    }
    return bits;
}

bool frmNativeConfig::SaveConfig()
{
    RecordValues values;
    values[RecordKey::Type] = QString::number(m_nativeType);
    values[RecordKey::Description] = txtDescription->text();
    values[RecordKey::Connect] = txtStorage->text();
    values[RecordKey::ReadOnly] = FlagText(chkReadOnly->checkState() != Qt::Unchecked);
    values[RecordKey::ID] = SourceIdText(chkAutoID->checkState() != Qt::Unchecked, txtID->text());
    values[RecordKey::Attributes] = QString::number(selectedAccessMode());
    values[RecordKey::Capabilities] = QString::number(checkedCapabilities());
    m_options->fillDisplayValues(values);
    return saveRecord(
        {m_recordName, TrimWhiteSpace(txtName->text()), values, PrivateOnSave::MarkSavedByNative});
}

} // namespace tessel
