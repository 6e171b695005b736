// The PendrixError that an action raises, for tests that check its number,
// source and description.
#pragma once

#include <gtest/gtest.h>

#include <functional>

#include "common/pendrix_error.h"

namespace pendrix {

// The error action raised; fails the test when it raised none.
inline PendrixError RaisedError(const std::function<void()>& action) {
    try {
        action();
    } catch (const PendrixError& error) {
        return error;
    }
    ADD_FAILURE() << "no error was raised";
    return PendrixError(0, "", "");
}

}  // namespace pendrix
