// The C++ runtime's failures in the Windows programs, which throw through
// the program's own helpers (common/runtime_throws.cpp): each is caught as a
// std::exception that says what the runtime itself says (the texts are
// libstdc++'s, numbers filled in).
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

struct FailureCase {
    const char* name;
    std::function<void()> fail;
    const char* said;
};

TEST(RuntimeFailures, AreCaughtAsExceptionsSayingTheRuntimesText) {
    const FailureCase cases[] = {
        {"a substring past the end", [] { (void)std::string("abc").substr(5); },
         "basic_string::substr: __pos (which is 5) > this->size() (which is 3)"},
        {"an element past the end", [] { (void)std::vector<int>(2).at(17); },
         "vector::_M_range_check: __n (which is 17) >= this->size() (which is 2)"},
        {"a comparison from past the end", [] { (void)std::string("abc").compare(9, 1, "x"); },
         "basic_string::compare: __pos (which is 9) > this->size() (which is 3)"},
        {"a string longer than any", [] {
             std::string text;
             text.resize(text.max_size() + 1);
         },
         "basic_string::_M_replace_aux"},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            c.fail();
            ADD_FAILURE() << "nothing thrown";
        } catch (const std::bad_alloc&) {
            ADD_FAILURE() << "thrown as bad_alloc";
        } catch (const std::exception& error) {
            EXPECT_STREQ(error.what(), c.said);
        }
    }
}

}  // namespace
