// The GNU C++ runtime's throwing helpers, which its strings, vectors, maps
// and functions call when they must fail (a length beyond the largest, an
// index past the end, no memory). The runtime keeps them all in one object
// that brings the standard exception classes, and with them the old
// reference-counted string and its random-device code: about 45 KB of every
// program. These take their place in the Windows programs (linked before
// the runtime, so its object is never needed) and throw the same failures:
// std::bad_alloc and the other std:: classes where they are small, else a
// std::exception that says the runtime's text. Every handler in the
// programs catches std::exception. The native build keeps the runtime's
// own.
#include <cstdarg>
#include <cstddef>
#include <exception>
#include <new>
#include <typeinfo>

namespace {

// The runtime's text, with its few format items filled in (%s, %zu, %lu,
// %u, %%), cut to fit. Nothing here allocates: the failure may be for want
// of memory.
class RuntimeFailure final : public std::exception {
public:
    explicit RuntimeFailure(const char* text) { Append(text); }

    RuntimeFailure(const char* format, std::va_list arguments) {
        for (const char* c = format; *c != '\0'; ++c) {
            if (*c != '%') {
                Append(*c);
                continue;
            }
            ++c;
            while (*c == 'z' || *c == 'l') ++c;
            if (*c == 's') {
                Append(va_arg(arguments, const char*));
            } else if (*c == 'u') {
                AppendNumber(va_arg(arguments, std::size_t));
            } else if (*c == '%') {
                Append('%');
            } else {
                break;  // the runtime uses no other item
            }
        }
    }

    const char* what() const noexcept override { return text_; }

private:
    void Append(char c) {
        if (length_ + 1 < sizeof text_) text_[length_++] = c;
        text_[length_] = '\0';
    }

    void Append(const char* text) {
        for (; text != nullptr && *text != '\0'; ++text) Append(*text);
    }

    void AppendNumber(std::size_t number) {
        char digits[24];
        std::size_t count = 0;
        do {
            digits[count++] = static_cast<char>('0' + number % 10);
            number /= 10;
        } while (number != 0);
        while (count != 0) Append(digits[--count]);
    }

    char text_[256] = {};
    std::size_t length_ = 0;
};

}  // namespace

namespace std {

void __throw_bad_exception() { throw std::bad_exception(); }
void __throw_bad_alloc() { throw std::bad_alloc(); }
void __throw_bad_array_new_length() { throw std::bad_array_new_length(); }
void __throw_bad_cast() { throw std::bad_cast(); }
void __throw_bad_typeid() { throw std::bad_typeid(); }
void __throw_logic_error(const char* text) { throw RuntimeFailure(text); }
void __throw_domain_error(const char* text) { throw RuntimeFailure(text); }
void __throw_invalid_argument(const char* text) { throw RuntimeFailure(text); }
void __throw_length_error(const char* text) { throw RuntimeFailure(text); }
void __throw_out_of_range(const char* text) { throw RuntimeFailure(text); }
void __throw_runtime_error(const char* text) { throw RuntimeFailure(text); }
void __throw_range_error(const char* text) { throw RuntimeFailure(text); }
void __throw_overflow_error(const char* text) { throw RuntimeFailure(text); }
void __throw_underflow_error(const char* text) { throw RuntimeFailure(text); }

void __throw_out_of_range_fmt(const char* format, ...) {
    std::va_list arguments;
    va_start(arguments, format);
    RuntimeFailure failure(format, arguments);
    va_end(arguments);
    throw failure;
}

}  // namespace std
