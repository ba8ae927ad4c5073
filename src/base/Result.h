#pragma once
// The one way errors travel: a value, or a message that says plainly what went
// wrong (naming the file, where there is one). Nothing is thrown.

#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace orb {

struct Error {
    std::string message;
};

inline Error fail(std::string message) { return Error{std::move(message)}; }

template <class T = void>
class [[nodiscard]] Result {
public:
    Result(T value) : v_(std::move(value)) {}
    Result(Error e) : v_(std::move(e)) {}

    bool ok() const { return v_.index() == 0; }
    explicit operator bool() const { return ok(); }
    T& value() { return std::get<0>(v_); }
    const T& value() const { return std::get<0>(v_); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T& operator*() { return value(); }
    const T& operator*() const { return value(); }
    // The message; empty when ok.
    const std::string& error() const
    {
        static const std::string none;
        return ok() ? none : std::get<1>(v_).message;
    }

private:
    std::variant<T, Error> v_;
};

template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Error e) : error_(std::move(e.message)), failed_(true) {}

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    const std::string& error() const { return error_; }

private:
    std::string error_;
    bool failed_ = false;
};

using Status = Result<void>;

}  // namespace orb
