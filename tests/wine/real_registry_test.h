// The fixture of the tests against Wine's real registry: a RegistryRoutines
// object aimed at a scratch key of the test's own, working through a
// counting pass-through so that every test checks that it left no key open.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "registry/RegistryRoutines.h"
#include "registry/registry_constants.h"
#include "tests/common/literal_text.h"
#include "tests/wine/wine_registry_fixture.h"

namespace pendrix::wine {

class RealRegistryTest : public ::testing::Test {
protected:
    RealRegistryTest() {
        registry.hkey(kHkeyCurrentUser);
        registry.KeyRoot(ScratchKey::KeyRoot());
        registry.Subkey(scratch.Name());
    }
    void TearDown() override { EXPECT_EQ(api.opened, api.closed) << "a key handle was left open"; }

    ScratchKey scratch{::testing::UnitTest::GetInstance()->current_test_info()->name()};
    CountingRegistryApi api;
    RegistryRoutines registry{api};
};

}  // namespace pendrix::wine
