// The one error family of the program: every error that reaches a caller
// carries a number, a source and a description.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace pendrix {

// Error numbers shared by the whole program.
inline constexpr std::int32_t kErrInvalidArgument = 5;
inline constexpr std::int32_t kErrOverflow = 6;
inline constexpr std::int32_t kErrSubscriptOutOfRange = 9;
inline constexpr std::int32_t kErrTypeMismatch = 13;
inline constexpr std::int32_t kErrUserCancel = 32755;

// The source of errors that the program's own checks raise, and the
// descriptions that go with their numbers.
inline constexpr const char* kProgramErrorSource = "Pendrix";
inline constexpr const char* kInvalidArgumentDescription = "Invalid procedure call or argument";
inline constexpr const char* kOverflowDescription = "Overflow";

// Based on std::exception rather than std::runtime_error: the runtime's
// runtime_error keeps its text in the old reference-counted string, and
// linking that string's code costs the console tool about 40 KB.
class PendrixError : public std::exception {
public:
    PendrixError(std::int32_t number, std::string source, std::string description)
        : number_(number), source_(std::move(source)), description_(std::move(description)) {}

    const char* what() const noexcept override { return description_.c_str(); }
    std::int32_t Number() const noexcept { return number_; }
    const std::string& Source() const noexcept { return source_; }
    const std::string& Description() const noexcept { return description_; }

private:
    std::int32_t number_;
    std::string source_;
    std::string description_;
};

}  // namespace pendrix
