#pragma once

#include <QList>
#include <QQueue>
#include <QString>

#include "gui/MessageBoxes.h"

namespace tessel::test {

// Records every message box and answers from a queue of results; with the
// queue empty, a question is answered No (Cancel where it offers Cancel) and
// any other box OK.
class ScriptedMessageBoxes final : public MessageBoxes
{
public:
    struct Shown
    {
        QString text;
        int style;
        QString title;
    };

    int show(const QString &text, int style, const QString &title) override
    {
        shown.append({text, style, title});
        if (!answers.isEmpty())
            return answers.dequeue();
        switch (style) {
        case MsgBoxStyle::YesNoQuestion:
            return MsgBoxResult::No;
        case MsgBoxStyle::YesNoCancelQuestion:
            return MsgBoxResult::Cancel;
        default:
            return MsgBoxResult::Ok;
        }
    }

    QStringList texts() const
    {
        QStringList result;
        for (const Shown &box : shown)
            result.append(box.text);
        return result;
    }

    QList<Shown> shown;
    QQueue<int> answers;
};

} // namespace tessel::test
