// SPDX-License-Identifier: GPL-3.0-or-later
// The one error value of the core's input and output and of the platform
// layer: the call that failed and its errno. What the user is shown goes
// through a MessageSink instead; this is what the code passes back up.
//
//   Status s = writeFileAtomically(path, bytes);
//   if (!s) log(s.error().text());   // "rename(/x/config.bin) failed: ... (errno 13)"
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace hm {

// "CALL failed: <strerror> (errno N)", the one errno text of the program.
std::string errnoText(const std::string& call, int err);

struct Error {
  std::string call;  // the failing call, with its object where useful: "open(/x/str.ini)"
  int code = 0;      // its errno
  std::string text() const { return errnoText(call, code); }
  bool operator==(const Error&) const = default;
};

// Success, or the Error that ended the operation.
class [[nodiscard]] Status {
 public:
  Status() = default;
  Status(Error e) : error_(std::move(e)) {}  // NOLINT(google-explicit-constructor): returned as a failure
  static Status failure(std::string call, int code) { return Error{std::move(call), code}; }

  explicit operator bool() const { return !error_.has_value(); }
  bool ok() const { return !error_.has_value(); }
  const Error& error() const { return *error_; }
  int code() const { return error_ ? error_->code : 0; }

 private:
  std::optional<Error> error_;
};

// A value, or the Error that kept it from being made.
template <class T>
class [[nodiscard]] Result {
 public:
  Result(T value) : v_(std::move(value)) {}  // NOLINT(google-explicit-constructor)
  Result(Error e) : v_(std::move(e)) {}      // NOLINT(google-explicit-constructor)

  explicit operator bool() const { return v_.index() == 0; }
  bool ok() const { return v_.index() == 0; }
  T& value() { return std::get<0>(v_); }
  const T& value() const { return std::get<0>(v_); }
  const Error& error() const { return std::get<1>(v_); }
  Status status() const { return ok() ? Status() : Status(error()); }

 private:
  std::variant<T, Error> v_;
};

}  // namespace hm
