// One libFuzzer target: PENDRIX_FUZZ_TARGET names the property check of
// tests/fuzz/fuzz_properties.h it runs. A property that fails is reported
// and ends the run as a finding.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "tests/fuzz/fuzz_properties.h"

namespace {

pendrix::fuzz::FuzzTarget Target() {
    for (const pendrix::fuzz::FuzzTarget& target : pendrix::fuzz::kFuzzTargets)
        if (std::strcmp(target.name, PENDRIX_FUZZ_TARGET) == 0) return target;
    std::fprintf(stderr, "no fuzz target named %s\n", PENDRIX_FUZZ_TARGET);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const pendrix::fuzz::FuzzTarget target = Target();
    try {
        target.check(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const pendrix::fuzz::PropertyViolation& violation) {
        std::fprintf(stderr, "property violated (%s): %s\n", target.name, violation.what());
        std::abort();
    }
    return 0;
}
