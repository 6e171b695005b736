// The fuzz properties under the native build: every input of the seed
// corpus, then seeded random inputs built from the bytes that matter to the
// layouts (NUL, separators, backslash, UTF-8 and surrogate bytes). A
// failure names the target and the input's number, so it can be replayed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "tests/fuzz/fuzz_properties.h"

namespace pendrix::fuzz {
namespace {

constexpr unsigned kSeed = 20261207;
constexpr int kRandomInputs = 4000;

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string RandomInput(std::mt19937& random) {
    static const char kTelling[] = {'\0', '\0', '\0', '\t', '|', ':', '\\', '!', '?', 'C', 'a', '.', ' ', '5', 'e', '-',
                                    '\xED', '\xA0', '\xB0', '\x80', '\xD0', '\xF0', '\x9F', '\xFF'};
    std::string input(std::uniform_int_distribution<std::size_t>(0, 120)(random), '\0');
    for (char& c : input) {
        c = random() % 3 == 0 ? static_cast<char>(random())
                              : kTelling[std::uniform_int_distribution<std::size_t>(0, sizeof(kTelling) - 1)(random)];
    }
    return input;
}

TEST(FuzzProperties, HoldForTheSeedCorpusAndSeededRandomInputs) {
    for (const FuzzTarget& target : kFuzzTargets) {
        const std::filesystem::path corpus = std::filesystem::path(PENDRIX_FUZZ_CORPUS) / target.name;
        ASSERT_TRUE(std::filesystem::is_directory(corpus)) << corpus;
        int seeds = 0;
        for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
            EXPECT_NO_THROW(target.check(ReadFile(entry.path()))) << target.name << " " << entry.path();
            ++seeds;
        }
        EXPECT_GT(seeds, 0) << target.name;
        std::mt19937 random(kSeed);
        for (int i = 0; i < kRandomInputs; ++i) {
            const std::string input = RandomInput(random);
            EXPECT_NO_THROW(target.check(input)) << target.name << " random input " << i;
        }
    }
}

}  // namespace
}  // namespace pendrix::fuzz
