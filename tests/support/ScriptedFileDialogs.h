#pragma once

#include <optional>

#include <QList>
#include <QQueue>

#include "gui/FileDialogs.h"

namespace tessel::test {

// Records every open-file dialog and answers from a queue of chosen paths;
// an empty queue, or nothing queued, answers as a cancelled dialog.
class ScriptedFileDialogs final : public FileDialogs
{
public:
    struct Asked
    {
        QString title;
        QString filter;
    };

    std::optional<QString> getOpenFileName(const QString &title, const QString &filter) override
    {
        asked.append({title, filter});
        return answers.isEmpty() ? std::nullopt : answers.dequeue();
    }

    QList<Asked> asked;
    QQueue<std::optional<QString>> answers;
};

} // namespace tessel::test
