#pragma once

#include <QList>
#include <QQueue>
#include <QString>

#include "platform/MessageBoxes.h"

namespace tessel::test {

// Records every message box and answers from a queue of results (OK, or the
// default answer, when the queue is empty).
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
        return style == MsgBoxStyle::YesNoQuestion ? defaultQuestionAnswer : MsgBoxResult::Ok;
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
    int defaultQuestionAnswer = MsgBoxResult::No;
};

} // namespace tessel::test
