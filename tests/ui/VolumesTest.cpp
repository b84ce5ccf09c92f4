#include "UiTestSupport.h"

#include "ui/Volumes.h"

#include "conversion/TextErrors.h"

#include <filesystem>

#include <gtest/gtest.h>

TEST(Volumes, LineTextAndKind)
{
    const struct {
        const char* root;
        const char* label;
        const char* device;
        const char* type;
        const char* text;
        TVolumeKind kind;
    } rows[] = {
        {"/", "Data", "/dev/sda1", "ext4", "/ [data]", TVolumeKind::Fixed},
        {"/home", "", "/dev/sda2", "btrfs", "/home", TVolumeKind::Fixed},
        {"C:/", "SYSTEM", "", "NTFS", "c: [system]", TVolumeKind::Fixed},
        {"/media/usb", "STICK", "/dev/sdb1", "vfat", "/media/usb", TVolumeKind::Removable},
        {"/mnt/share", "x", "Server:/Export", "nfs4", "/mnt/share server:/export",
         TVolumeKind::Network},
        {"/mnt/share", "Label", "", "cifs", "/mnt/share [label]", TVolumeKind::Network},
        {"/mnt/cd", "DISC 1", "/dev/sr0", "iso9660", "/mnt/cd [disc 1]", TVolumeKind::Optical},
        {"/tmp", "", "tmpfs", "tmpfs", "/tmp", TVolumeKind::Ram},
        // Only the letters A to Z are lowered.
        {"/", "ÄRGER", "/dev/sda1", "ext4", "/ [Ärger]", TVolumeKind::Fixed},
    };
    for (const auto& row : rows) {
        const TVolume volume =
            DescribeVolume(QString::fromUtf8(row.root), QString::fromUtf8(row.label),
                           QString::fromUtf8(row.device), row.type);
        EXPECT_EQ(volume.text, QString::fromUtf8(row.text)) << row.root;
        EXPECT_EQ(volume.kind, row.kind) << row.root;
        EXPECT_EQ(volume.rootPath, QString::fromUtf8(row.root));
    }
}

TEST(Volumes, MachineListHasTheRootOnce)
{
    const std::vector<TVolume> lines = MountedVolumes();
    const auto roots = std::count_if(lines.begin(), lines.end(),
                                     [](const TVolume& v) { return v.rootPath == u"/"; });
    EXPECT_EQ(roots, 1);
}

TEST(Volumes, PathLiesOnTheLongestRootThatHoldsIt)
{
    const TVolumes volumes(
        {FakeVolume("/", "/"), FakeVolume("/srv/a", "a"), FakeVolume("/srv/ab", "ab")});
    EXPECT_EQ(volumes.RootOf("/srv/a"), "/srv/a");
    EXPECT_EQ(volumes.RootOf("/srv/a/doll/x.cnf"), "/srv/a");
    EXPECT_EQ(volumes.RootOf("/srv/ab/x"), "/srv/ab");
    EXPECT_EQ(volumes.RootOf("/srv/abc/x"), "/");
    EXPECT_EQ(volumes.RootOf("/srv/a/../ab/x"), "/srv/ab");
    EXPECT_EQ(TVolumes({FakeVolume("/srv/a", "a")}).RootOf("/srv/b"), "");
}

TEST(Volumes, EachVolumeKeepsItsCurrentDirectory)
{
    const DirectoryKeeper keeper;
    const TempDir temp;
    std::filesystem::create_directories(temp / "a/x");
    std::filesystem::create_directories(temp / "b/y");
    const QString a = QString::fromStdString(temp / "a");
    const QString b = QString::fromStdString(temp / "b");
    ChangeDirectory(temp / "a/x");
    TVolumes volumes({FakeVolume("/", "/"), FakeVolume(a, "a"), FakeVolume(b, "b")});

    EXPECT_EQ(volumes.CurrentDirectoryOn(a), a + "/x"); // the start's directory
    EXPECT_EQ(volumes.CurrentDirectoryOn(b), b);        // none yet: the root
    volumes.ChangeProcessDirectory(b + "/y");
    EXPECT_EQ(CurrentDirectory(), temp / "b/y");
    EXPECT_EQ(volumes.CurrentDirectoryOn(b), b + "/y");
    EXPECT_EQ(volumes.CurrentDirectoryOn(a), a + "/x");

    try {
        volumes.ChangeProcessDirectory(b + "/missing");
        FAIL() << "entered a missing directory";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.Message(), "ﾌｧｲﾙが見つかりません");
    }
    EXPECT_EQ(CurrentDirectory(), temp / "b/y");
    EXPECT_EQ(volumes.CurrentDirectoryOn(b), b + "/y");
}
