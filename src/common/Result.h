#pragma once

#include <QString>

#include <utility>
#include <variant>

namespace korvane {

// A failure the user should read: usually the database engine's own words, or a message of ours
// that says what went wrong and what was left unchanged.
struct Error {
    QString message;
};

// The value of an operation that can fail. Callers must look at it: the type is [[nodiscard]].
template <class T> class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    Result(Error error) : state_(std::in_place_index<1>, std::move(error)) {}

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& value() & { return std::get<0>(state_); }
    const T& value() const& { return std::get<0>(state_); }
    T&& value() && { return std::get<0>(std::move(state_)); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }

    const QString& error() const { return std::get<1>(state_).message; }
    Error takeError() const { return std::get<1>(state_); }

private:
    std::variant<T, Error> state_;
};

// Success or an error, for operations that give nothing back.
template <> class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Error error) : failed_(true), error_(std::move(error.message)) {}

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    const QString& error() const { return error_; }
    Error takeError() const { return Error{error_}; }

private:
    bool failed_ = false;
    QString error_;
};

using Status = Result<void>;

} // namespace korvane
