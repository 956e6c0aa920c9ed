#pragma once

#include <functional>

#include <QObject>

class QLineEdit;

namespace tessel {

// Passes every character typed into a text box through a key-press handler
// that sees the character's code page code and may replace it: 0 discards
// the key, another code types that character instead. Keys that type no
// character (arrows, Delete) pass untouched; control characters such as the
// paste shortcut (code 22) reach the handler.
class KeyPressFilter final : public QObject
{
    Q_OBJECT
public:
    using Handler = std::function<void(int &key)>;

    static void install(QLineEdit *box, Handler handler);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    KeyPressFilter(QLineEdit *box, Handler handler);
    Handler m_handler;
};

} // namespace tessel
