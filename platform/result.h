#pragma once

#include <QString>

#include <QtGlobal>

#include <optional>
#include <utility>

namespace quorvane::platform {

// Run-time error numbers as the callers know them. The engine traps them and
// goes on; only a few callers look at the number itself (75 in particular).
enum ErrorNumber : int {
    ErrNone = 0,
    ErrInvalidCall = 5,
    ErrUserInterrupt = 18,
    ErrBadFileNameOrNumber = 52,
    ErrFileNotFound = 53,
    ErrBadFileMode = 54,
    ErrFileAlreadyOpen = 55,
    ErrDeviceIo = 57,
    ErrFileExists = 58,
    ErrDiskFull = 61,
    ErrBadFileName = 64,
    ErrTooManyFiles = 67,
    ErrDeviceUnavailable = 68,
    ErrPermissionDenied = 70,
    ErrDiskNotReady = 71,
    ErrRenameAcrossDisks = 74,
    ErrPathFileAccess = 75,
    ErrPathNotFound = 76,
};

// Outcome of an operation without a value.
struct [[nodiscard]] Status {
    int error = ErrNone;
    QString message; // the whole text: what failed, where and why
    QString reason;  // why alone, in German, without the path: for per-file reports
    QString subject; // the path the failure concerns, as the caller named it

    bool ok() const { return error == ErrNone; }
    static Status success() { return {}; }
    static Status failure(int number, QString text = {}) { return {number, std::move(text), {}, {}}; }
};

// Outcome of an operation that yields a value. The value exists only when
// ok(): asking a failure for it is a fault of the caller (an assertion in
// debug builds), and T needs no default constructor.
template <typename T>
class [[nodiscard]] Result {
public:
    int error = ErrNone;
    QString message;
    QString reason;
    QString subject;

    bool ok() const { return error == ErrNone; }
    const T &value() const &
    {
        Q_ASSERT_X(m_value.has_value(), "Result::value", "asked a failure for its value");
        return *m_value;
    }
    T &value() &
    {
        Q_ASSERT_X(m_value.has_value(), "Result::value", "asked a failure for its value");
        return *m_value;
    }
    // By value: a loop over f().value() must not hold on to a dead temporary.
    T value() &&
    {
        Q_ASSERT_X(m_value.has_value(), "Result::value", "asked a failure for its value");
        return std::move(*m_value);
    }

    Status status() const { return {error, message, reason, subject}; }
    static Result success(T v) { return Result(std::move(v)); }
    static Result failure(int number, QString text = {}) { return Result(number, std::move(text)); }
    static Result failure(const Status &s)
    {
        Result r(s.error, s.message);
        r.reason = s.reason;
        r.subject = s.subject;
        return r;
    }

private:
    explicit Result(T v) : m_value(std::move(v)) {}
    Result(int number, QString text) : error(number), message(std::move(text)) {}

    std::optional<T> m_value;
};

} // namespace quorvane::platform
