// The one failure of the forms runtime: a run-time error with a kind and the number that the
// runtime reports for it.
#pragma once

#include <exception>
#include <string>
#include <string_view>

namespace forms {

enum class ErrorKind { InvalidPropertyValue, Overflow, DivisionByZero, InvalidArgument };

// 380, 6, 11 or 5.
int errorNumber(ErrorKind kind);
// "InvalidPropertyValue", ... as the scenario runner prints them.
std::string_view errorName(ErrorKind kind);
// The Portuguese wording shown to the user ("excesso de capacidade", ...).
std::string_view errorWording(ErrorKind kind);

class RuntimeError : public std::exception {
  public:
    explicit RuntimeError(ErrorKind kind) : kind_(kind) {}
    ErrorKind kind() const { return kind_; }
    int number() const { return errorNumber(kind_); }
    const char* what() const noexcept override;

  private:
    ErrorKind kind_;
};

// Kept out of line so that the checks in the hot arithmetic stay small.
[[noreturn]] void raise(ErrorKind kind);

}  // namespace forms
