#include "conversion/DirectoryListings.h"
#include "conversion/CelPaths.h"

#include "support/TempDir.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

std::vector<std::string> Sorted(std::vector<std::string> names)
{
    std::sort(names.begin(), names.end());
    return names;
}

// What reading the folder now gives.
std::vector<std::string> Fresh(const std::string& folder, const std::string& lowered)
{
    DirectoryListings fresh;
    return Sorted(fresh.Matching(folder, lowered));
}

TEST(DirectoryListings, MatchesAsciiLettersOfAnyCaseAndReadsTheFolderOnce)
{
    TempDir dir;
    const std::string folder = dir.Prefix();
    for (const char* name : {"Body.CEL", "body.cel", "hair.cel", "\xC3\x89.cel"})
        WriteFile(dir / name, Bytes{});

    DirectoryListings listings;
    EXPECT_EQ(Sorted(listings.Matching(folder, "body.cel")),
              (std::vector<std::string>{"Body.CEL", "body.cel"}));
    EXPECT_EQ(listings.Matching(folder, "hair.cel"), std::vector<std::string>{"hair.cel"});
    EXPECT_TRUE(listings.Matching(folder, "hair.ce").empty());
    // Only A to Z are lowered: the two bytes of a non-ASCII letter match only themselves.
    EXPECT_EQ(listings.Matching(folder, "\xC3\x89.cel"), std::vector<std::string>{"\xC3\x89.cel"});
    EXPECT_TRUE(listings.Matching(folder, "\xC3\xA9.cel").empty());

    // Nothing the run did not tell of: the kept listing is used.
    WriteFile(dir / "HAT.CEL", Bytes{});
    EXPECT_TRUE(listings.Matching(folder, "hat.cel").empty());
    EXPECT_EQ(Fresh(folder, "hat.cel"), std::vector<std::string>{"HAT.CEL"});
}

// The run writes images into its output folder, which may be the folder its cels are looked up
// in under another spelling. After each write the kept listings must answer as a fresh reading.
TEST(DirectoryListings, ImagesWrittenByTheRunKeepTheListingsTrue)
{
    struct Row {
        const char* what;
        std::vector<std::string> before; // in the doll folder, also the output folder
        std::string written;             // relative to the output folder
        std::vector<std::string> probes; // lowered names looked up in the doll folder
    };
    const Row rows[] = {
        {"a new name", {"a.cel"}, "new.bmp", {"new.bmp", "a.cel"}},
        {"a name already there", {"old.bmp"}, "old.bmp", {"old.bmp"}},
        {"a name there in another case", {"X.BMP"}, "x.bmp", {"x.bmp"}},
        {"a non-ASCII name", {"a.cel"}, "\xC3\xA9.bmp", {"\xC3\xA9.bmp", "a.cel"}},
        {"a new subfolder", {"a.cel"}, "parts/arm.bmp", {"parts", "a.cel"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TempDir dir;
        fs::create_directory(dir.Path() / "doll");
        for (const std::string& name : row.before)
            WriteFile(dir / ("doll/" + name), Bytes{});
        const std::string doll = dir / "doll/";
        DirectoryListings listings(dir / "doll/."); // the same folder, spelt otherwise

        for (const std::string& probe : row.probes)
            listings.Matching(doll, probe);
        const std::string written = dir / ("doll/" + row.written);
        fs::create_directories(fs::path(written).parent_path());
        WriteFile(written, Bytes{1});
        listings.Written(row.written);

        for (const std::string& probe : row.probes)
            EXPECT_EQ(Sorted(listings.Matching(doll, probe)), Fresh(doll, probe)) << probe;
    }
}

TEST(DirectoryListings, ANewImageNameJoinsTheListingWithoutAnotherReading)
{
    TempDir dir;
    WriteFile(dir / "A.CEL", Bytes{});
    DirectoryListings listings(dir.Path().string());
    EXPECT_EQ(listings.Matching(dir.Prefix(), "a.cel"), std::vector<std::string>{"A.CEL"});
    WriteFile(dir / "a.bmp", Bytes{1});
    listings.Written("a.bmp");
    WriteFile(dir / "B.CEL", Bytes{}); // not told: unseen while the listing is kept
    EXPECT_EQ(listings.Matching(dir.Prefix(), "a.bmp"), std::vector<std::string>{"a.bmp"});
    EXPECT_TRUE(listings.Matching(dir.Prefix(), "b.cel").empty());
}

TEST(DirectoryListings, ASubfolderThatGainsAnImageIsReadAgain)
{
    TempDir dir;
    fs::create_directories(dir.Path() / "doll" / "Parts");
    WriteFile(dir / "doll/Parts/ARM.CEL", Bytes{});
    const std::string parts = dir / "doll/Parts/";
    DirectoryListings listings(dir / "doll");

    EXPECT_EQ(FindInDirectory(dir.Prefix(), "DOLL\\PARTS\\arm.cel", listings),
              dir / "doll/Parts/ARM.CEL");
    EXPECT_TRUE(listings.Matching(parts, "arm.bmp").empty());
    WriteFile(dir / "doll/Parts/arm.bmp", Bytes{1});
    listings.Written("Parts/arm.bmp");
    EXPECT_EQ(listings.Matching(parts, "arm.bmp"), std::vector<std::string>{"arm.bmp"});
}

TEST(DirectoryListings, WritesIntoAnotherFolderLeaveTheListingAlone)
{
    TempDir dir;
    fs::create_directory(dir.Path() / "doll");
    fs::create_directory(dir.Path() / "out");
    WriteFile(dir / "doll/A.CEL", Bytes{});
    DirectoryListings listings(dir / "out");
    EXPECT_EQ(listings.Matching(dir / "doll/", "a.cel"), std::vector<std::string>{"A.CEL"});
    WriteFile(dir / "out/a.bmp", Bytes{1});
    listings.Written("a.bmp");
    fs::create_directory(dir.Path() / "out" / "sub");
    WriteFile(dir / "out/sub/b.bmp", Bytes{1});
    listings.Written("sub/b.bmp");
    EXPECT_EQ(listings.Matching(dir / "doll/", "a.cel"), std::vector<std::string>{"A.CEL"});
    EXPECT_TRUE(listings.Matching(dir / "doll/", "a.bmp").empty());
}

// One lookup with kept listings gives the path a lookup on its own gives.
TEST(DirectoryListings, FindInDirectoryGivesTheSamePathWithKeptListings)
{
    TempDir dir;
    fs::create_directories(dir.Path() / "Sub");
    for (const char* name : {"BODY.CEL", "Hat.cel", "hat.CEL", "exact.kcf", "Sub/ARM.CEL"})
        WriteFile(dir / name, Bytes{});
    const std::string folder = dir.Prefix();
    DirectoryListings kept(dir / "out");
    for (const char* name : {"body.cel", "BODY.CEL", "HAT.CEL", "exact.kcf", "sub\\arm.cel",
                             "SUB/ARM.CEL", "missing.cel", "sub\\missing.cel", ""}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(FindInDirectory(folder, name, kept), FindInDirectory(folder, name));
    }
    EXPECT_EQ(FindInDirectory(folder, "body.cel", kept), dir / "BODY.CEL");
    EXPECT_EQ(FindInDirectory(folder, "HAT.CEL", kept), dir / "HAT.CEL"); // two match: as written
    EXPECT_EQ(FindInDirectory(folder, "sub\\arm.cel", kept), dir / "Sub/ARM.CEL");
}

} // namespace
