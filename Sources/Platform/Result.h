#pragma once

#include <QString>
#include <optional>
#include <utility>

namespace velto::platform {

/// An operation's outcome: a value, or a one-line message saying why there is none.
template <typename T> class Result {
public:
    Result(T value) : m_value(std::move(value)) {}
    static Result failure(QString message) { return Result(std::move(message), 0); }

    bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }
    const T& value() const& { return *m_value; }
    T&& value() && { return std::move(*m_value); }
    const T* operator->() const { return &*m_value; }
    const QString& error() const { return m_error; }

private:
    Result(QString message, int) : m_error(std::move(message)) {}

    std::optional<T> m_value;
    QString m_error;
};

/// Result of an operation that yields nothing but success.
struct Done {};
using Status = Result<Done>;

} // namespace velto::platform
