#include "controls/StrayAccessKeys.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace tessel {
namespace {

class StrayAccessKeyFilter final : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return QObject::eventFilter(watched, event);
        const auto *key = static_cast<const QKeyEvent *>(event);
        // Control with Alt is how some keyboards type characters (AltGr).
        const Qt::KeyboardModifiers modifiers = key->modifiers();
        return (modifiers & Qt::AltModifier) && !(modifiers & Qt::ControlModifier) && !key->text().isEmpty()
            && key->text().at(0).isPrint();
    }
};

bool isBox(const QWidget *control)
{
    return qobject_cast<const QLineEdit *>(control) || qobject_cast<const QPlainTextEdit *>(control)
        || qobject_cast<const QAbstractItemView *>(control) || qobject_cast<const QComboBox *>(control);
}

} // namespace

void SwallowStrayAccessKeys(QWidget *window)
{
    auto *filter = new StrayAccessKeyFilter(window);
    const QList<QWidget *> controls = window->findChildren<QWidget *>();
    for (QWidget *control : controls) {
        if (control->window() == window && isBox(control))
            control->installEventFilter(filter);
    }
}

} // namespace tessel
