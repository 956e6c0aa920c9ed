#pragma once

#include <optional>

#include <QString>

namespace tessel {

// The system's open-file dialog, behind an interface that tests can script.
class FileDialogs
{
public:
    virtual ~FileDialogs() = default;
    // Asks for an existing file; the filter is in the dialog's own form
    // ("DLD File (*.DLD)"). Returns the full path, or nothing when cancelled.
    virtual std::optional<QString> getOpenFileName(const QString &title, const QString &filter) = 0;
};

class QtFileDialogs final : public FileDialogs
{
public:
    std::optional<QString> getOpenFileName(const QString &title, const QString &filter) override;
};

} // namespace tessel
