#pragma once

#include <array>
#include <optional>

#include "dialogs/RecordDialog.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tessel {

// The configuration dialog of native data sources (type 1) and native raster
// data sources (type 2): name, description, storage name, source number,
// access mode and area capabilities, with the display options. OK writes the
// record it was opened for under the name typed in the dialog, with the type
// it was opened for.
class frmNativeConfig final : public RecordDialog
{
    Q_OBJECT
public:
    frmNativeConfig(Session &session, const QString &recordName, qint16 nativeType,
                    const QWidget *mainWindow);

private:
    void createControls();
    void connectEvents();

    void Form_Load();
    void RefreshConfig(const DataSourceRecord &record) override;
    bool SaveConfig() override;
    bool checkInput() override;
    void UpdateUI() override;
    void UpdateCapabilities();
    void Lock() override;

    struct AccessModeOption
    {
        QRadioButton *button;
        int mode;
    };
    struct CapabilityBox
    {
        QCheckBox *box;
        int bit;
    };
    // The option buttons and the capability boxes in the order they are read.
    std::array<AccessModeOption, 3> accessModeOptions() const;
    std::array<CapabilityBox, 4> capabilityBoxes() const;
    int selectedAccessMode() const;
    int checkedCapabilities() const;

    // 1 for a native source, 2 for a native raster source.
    const qint16 m_nativeType;

    QLineEdit *txtStorage = nullptr;
    QLineEdit *txtID = nullptr;
    QCheckBox *chkCreate = nullptr;
    QCheckBox *chkImport = nullptr;
    QCheckBox *chkExport = nullptr;
    QCheckBox *chkUnload = nullptr;
    QRadioButton *optBackdrop = nullptr;
    QRadioButton *optReadOnly = nullptr;
    QRadioButton *optEditable = nullptr;
    QPushButton *cmdHelp = nullptr;
};

} // namespace tessel
