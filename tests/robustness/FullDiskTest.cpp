// A full disk: the output folder is a small memory file system filled to the last byte. Needs
// root and permission to mount; skipped otherwise.
#include "RobustnessScene.h"

#include "conversion/ConvertConfiguration.h"
#include "platform/Exception.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class Mounted {
public:
    explicit Mounted(const std::string& at) : at_(at) {
        mounted_ = ::geteuid() == 0 &&
                   ::mount("tmpfs", at.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k") == 0;
        if (!mounted_) error_ = std::strerror(errno);
    }
    ~Mounted() {
        if (mounted_) ::umount2(at_.c_str(), MNT_DETACH);
    }
    bool ok() const { return mounted_; }
    const std::string& error() const { return error_; }

private:
    std::string at_, error_;
    bool mounted_ = false;
};

// Writes until the file system takes no more.
void Fill(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::setvbuf(f, nullptr, _IONBF, 0);
    const std::string block(512, 'f');
    for (int i = 0; i < 100000 && std::fwrite(block.data(), 1, block.size(), f) == block.size();
         ++i) {
    }
    std::fclose(f);
}

TEST(FullDiskTest, ImageThatDoesNotFitEndsTheRunAndKeepsTheDecoys) {
    RobustnessScene s;
    // A folder of its own, so the decoys of the normal output folder stay on the disk.
    s.out = s.root + "work/full";
    fs::create_directory(s.out);
    Mounted disk(s.out);
    if (!disk.ok())
        GTEST_SKIP() << "cannot mount a small tmpfs here ("
                     << (::geteuid() == 0 ? disk.error() : "not root")
                     << "); FullDeviceAsAnImage covers a device that takes no byte";
    const std::string keep = s.out + "/keep.dat";
    { std::ofstream(keep) << "kept on the full disk\r\n"; }
    Fill(s.out + "/filler");
    const auto decoys = s.Decoys(s.out);

    WatchingControls controls;
    std::string failure;
    try {
        ConvertConfiguration(s.config, s.out, controls);
    } catch (const Exception& e) {
        failure = e.Message();
    }
    EXPECT_EQ(failure, "ｽﾄﾘｰﾑへの書き込みｴﾗｰ");
    EXPECT_TRUE(controls.editors.empty());
    EXPECT_EQ(s.Decoys(s.out), decoys);
    EXPECT_TRUE(s.InsideDecoysKept());
    EXPECT_EQ(ReadText(keep), "kept on the full disk\r\n");
    // The report exists, empty; the image that did not fit is left cut short.
    EXPECT_EQ(ReadText(s.out + "/pip.txt"), "");
    EXPECT_LT(fs::file_size(s.out + "/back.bmp"), 1078u + 96 * 100);
}

} // namespace
