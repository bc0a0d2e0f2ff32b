// One error shape for the whole kit: a kind to decide on and a message to
// show. Callers branch on the kind (and on values they define), never on the
// text, which is only for people.
#pragma once

#include <cerrno>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace gdl {

enum class ErrorKind {
    Caller,       // the request itself is wrong: a bad argument, a missing name
    System,       // the operating system refused; errnoValue says why
    Unsupported,  // the request is fine but this device or file cannot do it
    BadFormat,    // the input is not what it claims to be; file and line say where
    // What opening or driving a device can meet, told apart so a caller can
    // offer the right remedy (join the group, close the other program).
    NotFound,    // no such device (ENOENT, ENODEV, ENXIO)
    Permission,  // the user may not open it (EACCES, EPERM)
    Busy,        // another program holds it (EBUSY, a lock held elsewhere)
    NotSerial,   // it exists but is no serial line (ENOTTY)
};

class Error {
public:
    Error() = default;
    Error(ErrorKind kind, std::string message) : kind_(kind), message_(std::move(message)) {}

    static Error Caller(std::string message) { return {ErrorKind::Caller, std::move(message)}; }
    static Error Unsupported(std::string message) {
        return {ErrorKind::Unsupported, std::move(message)};
    }
    // "what: errno text", keeping the number for callers that tell EACCES
    // from EBUSY.
    static Error System(std::string what, int errnoValue) {
        Error e(ErrorKind::System, std::move(what) + ": " + std::strerror(errnoValue));
        e.errno_ = errnoValue;
        return e;
    }
    // A system failure with the kind its errno tells (NotFound, Permission,
    // Busy, NotSerial, else System) and the given message.
    static Error FromErrno(int errnoValue, std::string message) {
        Error e(KindOfErrno(errnoValue), std::move(message));
        e.errno_ = errnoValue;
        return e;
    }
    static ErrorKind KindOfErrno(int errnoValue) {
        switch (errnoValue) {
            case ENOENT:
            case ENODEV:
            case ENXIO:
                return ErrorKind::NotFound;
            case EACCES:
            case EPERM:
                return ErrorKind::Permission;
            case EBUSY:
            case EWOULDBLOCK:
                return ErrorKind::Busy;
            case ENOTTY:
                return ErrorKind::NotSerial;
            default:
                return ErrorKind::System;
        }
    }
    // "file:line: message" (line 0 leaves the line out).
    static Error BadFormat(std::string file, int line, std::string message) {
        std::string where = file;
        if (line > 0) where += ":" + std::to_string(line);
        Error e(ErrorKind::BadFormat, where.empty() ? message : where + ": " + message);
        e.file_ = std::move(file);
        e.line_ = line;
        return e;
    }

    ErrorKind Kind() const { return kind_; }
    const std::string& Message() const { return message_; }
    int Errno() const { return errno_; }
    const std::string& File() const { return file_; }
    int Line() const { return line_; }

private:
    ErrorKind kind_ = ErrorKind::Caller;
    std::string message_;
    int errno_ = 0;
    std::string file_;
    int line_ = 0;
};

// A value or the reason there is none.
template <typename T>
class [[nodiscard]] Result {
public:
    Result(T value) : v_(std::move(value)) {}
    Result(Error error) : v_(std::move(error)) {}

    bool Ok() const { return v_.index() == 0; }
    explicit operator bool() const { return Ok(); }
    T& Value() & { return std::get<0>(v_); }
    const T& Value() const& { return std::get<0>(v_); }
    T&& Value() && { return std::get<0>(std::move(v_)); }
    T* operator->() { return &Value(); }
    const T* operator->() const { return &Value(); }
    T& operator*() & { return Value(); }
    const T& operator*() const& { return Value(); }
    const Error& Err() const { return std::get<1>(v_); }
    // The value, or fallback when there is none.
    T value_or(T fallback) const { return Ok() ? Value() : std::move(fallback); }

private:
    std::variant<T, Error> v_;
};

// Success carries nothing.
template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Error error) : error_(std::move(error)) {}

    bool Ok() const { return !error_; }
    explicit operator bool() const { return Ok(); }
    const Error& Err() const { return *error_; }

private:
    std::optional<Error> error_;
};

}  // namespace gdl
