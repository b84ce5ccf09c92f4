// A deterministic sweep over the sample doll's configuration: every byte in turn replaced by one
// of a few bytes that mean something to the reader, each variant converted once. Whatever the
// variant, the run ends with one of the system's own errors or succeeds, changes no decoy and
// leaves only folders, the report and whole BMP files in the output folder.
#include "RobustnessScene.h"

#include "conversion/ConvertConfiguration.h"
#include "platform/Exception.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

TEST(MutationSweepTest, EveryByteOfTheSampleConfiguration) {
    const std::string sample = RobustnessScene::SampleConfiguration();
    const char kBytes[] = {'\0', '\x1a', '\r', ' ', '.', '*', ':', '#', '\\', '\xff'};
    RobustnessScene s;
    const auto decoys = s.Decoys();
    int failures = 0;
    for (std::size_t i = 0; i < sample.size(); ++i) {
        std::string variant = sample;
        variant[i] = kBytes[i % sizeof kBytes];
        if (variant == sample) variant[i] = 'x';
        s.PutText("pip.cnf", variant);
        const auto before = s.Decoys();
        WatchingControls controls;
        try {
            ConvertConfiguration(s.config, s.out, controls);
        } catch (const Exception&) {
            ++failures;
        }
        ASSERT_EQ(s.Decoys(), before) << "byte " << i;
        ASSERT_TRUE(s.InsideDecoysKept()) << "byte " << i;
        for (const std::string& name : s.Outputs()) {
            const bool folder = name.back() == '/';
            const bool image = name.size() > 4 && name.compare(name.size() - 4, 4, ".bmp") == 0;
            ASSERT_TRUE(folder || image || name == "pip.txt") << "byte " << i << ": " << name;
            if (image) {
                const std::string bytes = ReadText(s.out + "/" + name);
                ASSERT_GE(bytes.size(), 1078u) << name;
                ASSERT_EQ(bytes.substr(0, 2), "BM") << name;
            }
        }
        for (const auto& entry : fs::directory_iterator(s.out)) {
            const std::string name = entry.path().filename().string();
            if (name != "keep.dat" && name != "other.bmp") fs::remove_all(entry.path());
        }
    }
    s.PutText("pip.cnf", sample);
    EXPECT_EQ(s.Decoys(), decoys);
    // Most single-byte changes still convert; some end in a message. Both kinds occur.
    EXPECT_GT(failures, 0);
    EXPECT_LT(failures, static_cast<int>(sample.size()));
}

} // namespace
