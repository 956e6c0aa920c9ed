#pragma once

#include <QWidget>

class QPlainTextEdit;

namespace tessel {

struct Session;

// A window for the lines of the host handshake's trace. The program never
// opens it: the trace goes to a logging category (see DebugTrace.h).
class frmDebug final : public QWidget
{
    Q_OBJECT
public:
    explicit frmDebug(Session &session, QWidget *parent = nullptr);

private:
    void Form_Load();

    Session &m_session;
    QPlainTextEdit *Debug;
};

} // namespace tessel
