#pragma once

#include <memory>

#include <QString>

#include "registry/DataSourceRecord.h"

class QWidget;

namespace tessel {

class frmOptions;
struct Session;

// Owns the display options dialog for a configuration dialog, from the
// configuration dialog's load to its unload. The options dialog is loaded
// when the holder is made, so that it holds the record's stored display
// values whether or not the user opens it, and is loaded afresh whenever the
// user has unloaded it with its close box.
class OptionsHolder
{
public:
    // Whether the options show the overview render scale. Without it the
    // overview row is hidden, and the hidden box still holds its value.
    enum class OverviewRow {
        Shown,
        Hidden
    };

    // The options show the display keys of record (as the configuration
    // dialog read it) and centre themselves over mainWindow.
    OptionsHolder(Session &session, DataSourceRecord record, const QWidget *mainWindow,
                  OverviewRow overviewRow = OverviewRow::Shown);
    ~OptionsHolder();
    OptionsHolder(const OptionsHolder &) = delete;
    OptionsHolder &operator=(const OptionsHolder &) = delete;

    frmOptions &form();

    // Shows the options modal, without an owner window.
    void show();

    // Puts the display keys (AutoConnect, Scales, Priority) that the options
    // hold into the values of a save.
    void fillDisplayValues(RecordValues &values);

private:
    void load();

    Session &m_session;
    const DataSourceRecord m_record;
    const QWidget *const m_mainWindow;
    const OverviewRow m_overviewRow;
    std::unique_ptr<frmOptions> m_form;
};

} // namespace tessel
