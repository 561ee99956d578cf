// A fuzz target's kept inputs, replayed in the normal build: every input that once crashed it (its
// regressions) and every committed seed runs through it whole. A crash, a sanitizer report or a
// memory blow-up ends the test binary.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> inputsIn(const fs::path& directory) {
    std::vector<fs::path> inputs;
    if (fs::is_directory(directory))
        for (const fs::directory_entry& entry : fs::directory_iterator(directory))
            if (entry.is_regular_file() && entry.path().filename().string().front() != '.')
                inputs.push_back(entry.path());
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

void replay(const fs::path& input) {
    std::ifstream in(input, std::ios::binary);
    ASSERT_TRUE(in) << input;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), 0)
        << input;
}

TEST(FuzzReplay, EveryKeptRegressionInputRunsThrough) {
    for (const fs::path& input : inputsIn(PATHLET_FUZZ_REGRESSIONS))
        replay(input);
}

TEST(FuzzReplay, EveryCommittedSeedRunsThrough) {
    const std::vector<fs::path> seeds = inputsIn(PATHLET_FUZZ_SEEDS);
    for (const fs::path& input : seeds)
        replay(input);
}

TEST(FuzzReplay, AnEmptyInputRunsThrough) {
    static const uint8_t none = 0;
    EXPECT_EQ(LLVMFuzzerTestOneInput(&none, 0), 0);
}

} // namespace
