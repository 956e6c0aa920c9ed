#pragma once

#include <QDialog>
#include <QString>

#include "dialogs/Session.h"

namespace tessel {

// A modal window that reports its result in Tag: "CANCEL" from the moment it
// loads, "OK" once the user confirmed it. Anything but "OK" counts as Cancel.
// OK and Cancel hide the window, which ends its modal loop; closing it with
// the close box unloads it, which the opener sees as Cancel.
class ConfigDialog : public QDialog
{
    Q_OBJECT
public:
    const QString &Tag() const { return m_tag; }

protected:
    explicit ConfigDialog(Session &session, QWidget *parent = nullptr);

    void setTag(const QString &tag) { m_tag = tag; }
    void closeEvent(QCloseEvent *event) override;

    Session &m_session;

private:
    QString m_tag = TagCancel;
};

} // namespace tessel
