// The one error family of the program: every error that reaches a caller
// carries a number, a source and a description.
#pragma once

#include <cstdint>
#include <stdexcept>
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

class PendrixError : public std::runtime_error {
public:
    PendrixError(std::int32_t number, std::string source, const std::string& description)
        : std::runtime_error(description), number_(number), source_(std::move(source)) {}

    std::int32_t Number() const noexcept { return number_; }
    const std::string& Source() const noexcept { return source_; }
    std::string Description() const { return what(); }

private:
    std::int32_t number_;
    std::string source_;
};

}  // namespace pendrix
