#pragma once

#include <QString>

#include <optional>

namespace tessel {

// Why a change to a profile file was not made. Nothing of a refused change
// reaches the file.
enum class WriteFailure {
    BadName,        // a section or key name the file format cannot carry
    LineBreak,      // a value holding a line break or NUL
    Unencodable,    // a character the file's encoding cannot hold
    TooLong,        // a value longer than a read gives back whole
    NameTaken,      // another record already uses the name
    RecordChanged,  // another program changed the record since it was read
    RecordRemoved,  // another program removed the record since it was read
    NoPermission,   // the file or its folder may not be written
    DiskFull,       // no space left for the new file
    Busy,           // the file's lock could not be had
    SystemError,    // any other failure of the system; the detail tells it
};

// The outcome of a write: done, or the failure with the key it concerns
// (empty when it concerns the whole file) and a text for the log.
class WriteResult
{
public:
    WriteResult() = default;
    WriteResult(WriteFailure failure, QString key, QString detail)
        : m_failure(failure)
        , m_key(std::move(key))
        , m_detail(std::move(detail))
    {
    }

    bool ok() const { return !m_failure; }
    explicit operator bool() const { return ok(); }

    WriteFailure failure() const { return *m_failure; }
    const QString &key() const { return m_key; }
    const QString &detail() const { return m_detail; }

private:
    std::optional<WriteFailure> m_failure;
    QString m_key;
    QString m_detail;
};

} // namespace tessel
