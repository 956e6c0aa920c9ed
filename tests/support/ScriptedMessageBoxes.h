#pragma once

#include <functional>

#include <QList>
#include <QQueue>
#include <QStringList>

#include "gui/MessageBoxes.h"

namespace tessel::test {

// Records every message box and answers from a queue of results; with the
// queue empty, a question is answered No (Cancel where it offers Cancel) and
// any other box OK. whileShown, when set, runs as each box shows.
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
        if (whileShown)
            whileShown();
        if (!answers.isEmpty())
            return answers.dequeue();
        if (style == MsgBoxStyle::YesNoQuestion)
            return MsgBoxResult::No;
        return style == MsgBoxStyle::YesNoCancelQuestion ? MsgBoxResult::Cancel : MsgBoxResult::Ok;
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
    std::function<void()> whileShown;
};

} // namespace tessel::test
