#pragma once

#include <QString>

#include <optional>
#include <utility>
#include <variant>

namespace tessel {

// The reason an operation failed, wrapped so that a Result can tell it from a
// value of the same type: `return Failure{reason};`. A reason converts to the
// Result's reason type, so a string expression serves for a QString.
template<typename Reason>
struct Failure
{
    Reason reason;
};

template<typename Reason>
Failure(Reason) -> Failure<Reason>;

// The outcome of an operation that can fail: its value, or the reason it
// failed. The reason is a text for the user or a code that the caller turns
// into one in the user's language. Shaped like std::expected: has_value(),
// *, -> and error().
template<typename Value, typename Reason = QString>
class [[nodiscard]] Result
{
public:
    Result(Value value)
        : m_outcome(std::in_place_index<0>, std::move(value))
    { }
    template<typename Given>
    Result(Failure<Given> failure)
        : m_outcome(std::in_place_index<1>, Reason(std::move(failure.reason)))
    { }

    bool has_value() const { return m_outcome.index() == 0; }
    explicit operator bool() const { return has_value(); }

    Value &operator*() & { return std::get<0>(m_outcome); }
    const Value &operator*() const & { return std::get<0>(m_outcome); }
    Value &&operator*() && { return std::get<0>(std::move(m_outcome)); }
    Value *operator->() { return &std::get<0>(m_outcome); }
    const Value *operator->() const { return &std::get<0>(m_outcome); }

    const Reason &error() const { return std::get<1>(m_outcome); }

private:
    std::variant<Value, Reason> m_outcome;
};

// The outcome of an operation that gives nothing back when it succeeds.
template<typename Reason>
class [[nodiscard]] Result<void, Reason>
{
public:
    Result() = default;
    template<typename Given>
    Result(Failure<Given> failure)
        : m_reason(Reason(std::move(failure.reason)))
    { }

    bool has_value() const { return !m_reason; }
    explicit operator bool() const { return has_value(); }

    const Reason &error() const { return *m_reason; }

private:
    std::optional<Reason> m_reason;
};

} // namespace tessel
