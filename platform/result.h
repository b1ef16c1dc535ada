#pragma once

#include <QString>

#include <utility>

namespace quorvane::platform {

// Run-time error numbers as the callers know them. The engine traps them and
// goes on; only a few callers look at the number itself (75 in particular).
enum ErrorNumber : int {
    ErrNone = 0,
    ErrInvalidCall = 5,
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

// Outcome of an operation that yields a value; the value is meaningful only when ok().
template <typename T>
struct [[nodiscard]] Result {
    T value{};
    int error = ErrNone;
    QString message;
    QString reason;
    QString subject;

    bool ok() const { return error == ErrNone; }
    Status status() const { return {error, message, reason, subject}; }
    static Result success(T v) { return {std::move(v), ErrNone, {}, {}, {}}; }
    static Result failure(int number, QString text = {}) { return {T{}, number, std::move(text), {}, {}}; }
    static Result failure(const Status &s) { return {T{}, s.error, s.message, s.reason, s.subject}; }
};

} // namespace quorvane::platform
