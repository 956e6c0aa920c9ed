#include "dialogs/OptionsHolder.h"

#include "dialogs/frmOptions.h"

namespace tessel {

OptionsHolder::OptionsHolder(Session &session, DataSourceRecord record, const QWidget *mainWindow,
                             OverviewRow overviewRow)
    : m_session(session)
    , m_record(std::move(record))
    , m_mainWindow(mainWindow)
    , m_overviewRow(overviewRow)
{
    load();
}

OptionsHolder::~OptionsHolder() = default;

frmOptions &OptionsHolder::form()
{
    if (!m_form)
        load();
    return *m_form;
}

void OptionsHolder::show()
{
    form().exec();
}

void OptionsHolder::fillDisplayValues(RecordValues &values)
{
    const DisplayOptions options = form().values();
    values[RecordKey::AutoConnect] = FlagText(options.autoConnect);
    values[RecordKey::Scales] =
        ScalesText(options.allScales, options.minScale, options.maxScale, options.overviewScale);
    values[RecordKey::Priority] = options.priority;
}

void OptionsHolder::load()
{
    m_form = std::make_unique<frmOptions>(m_session, m_record, m_mainWindow);
    if (m_overviewRow == OverviewRow::Hidden)
        m_form->hideOverviewRow();
    // The window cannot be deleted inside its own close event.
    QObject::connect(m_form.get(), &frmOptions::Unloaded, m_form.get(),
                     [this] { m_form.release()->deleteLater(); });
}

} // namespace tessel
