#include "controls/KeyPressFilter.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace tessel {

KeyPressFilter::KeyPressFilter(QLineEdit *box, Handler handler)
    : QObject(box)
    , m_handler(std::move(handler))
{ }

void KeyPressFilter::install(QLineEdit *box, Handler handler)
{
    box->installEventFilter(new KeyPressFilter(box, std::move(handler)));
}

bool KeyPressFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto *keyEvent = static_cast<QKeyEvent *>(event);
    // Tab moves the focus on to the next control; it types nothing here.
    if (keyEvent->key() == Qt::Key_Tab || keyEvent->key() == Qt::Key_Backtab)
        return false;
    const QString typed = keyEvent->text();
    if (typed.size() != 1)
        return false; // keys that type no character, such as arrows and Delete
    // The handlers keep only codes below 128, where the code page and Unicode
    // agree; every other character has a code of 128 or more in both, or is
    // one the code page cannot hold at all, and is discarded either way.
    const int original = typed.at(0).unicode();
    int key = original;
    m_handler(key);
    if (key == original)
        return false;
    if (key != 0)
        static_cast<QLineEdit *>(watched)->insert(QString(QChar(key)));
    return true;
}

} // namespace tessel
