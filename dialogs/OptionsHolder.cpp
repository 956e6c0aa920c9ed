#include "dialogs/OptionsHolder.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

#include "dialogs/frmOptions.h"
#include "registry/DataSourceRecord.h"

namespace tessel {

OptionsHolder::OptionsHolder(Session &session, OverviewRow overviewRow)
    : m_session(session)
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
    const frmOptions &options = form();
    values[RecordKey::AutoConnect] = FlagText(options.chkAuto()->checkState() != Qt::Unchecked);
    values[RecordKey::Scales] = ScalesText(options.chkAllScales()->checkState() != Qt::Unchecked,
                                           options.txtMinScale()->text(),
                                           options.txtMaxScale()->text(),
                                           options.txtOverViewScale()->text());
    values[RecordKey::Priority] = options.txtPriority()->text();
}

void OptionsHolder::load()
{
    m_form = std::make_unique<frmOptions>(m_session);
    if (m_overviewRow == OverviewRow::Hidden) {
        m_form->lblOverviewScale()->hide();
        m_form->lblOverview1()->hide();
        m_form->txtOverViewScale()->hide();
    }
    // The window cannot be deleted inside its own close event.
    QObject::connect(m_form.get(), &frmOptions::Unloaded, m_form.get(),
                     [this] { m_form.release()->deleteLater(); });
}

} // namespace tessel
