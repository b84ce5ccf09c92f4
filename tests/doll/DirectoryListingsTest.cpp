#include "doll/DirectoryListings.h"
#include "doll/CelPaths.h"

#include "support/Test.h"

#include <algorithm>
#include <set>

// The run writes images into its output folder, which may be the folder its cels are looked up in under another
// spelling. After each write the kept listings must answer as a fresh reading, and FindInDirectory as on its own.
TEST(DirectoryListings, KeptListingsAnswerAsAFreshReading)
{
    // Files in the doll folder, the image written there, names looked up before and after.
    const std::tuple<std::vector<std::string>, std::string, std::vector<std::string>> rows[] = {
        {{"a.cel"}, "new.bmp", {"new.bmp", "a.cel"}},
        {{"old.bmp"}, "old.bmp", {"old.bmp"}},
        {{"X.BMP"}, "x.bmp", {"x.bmp"}},
        {{"a.cel"}, "\xC3\xA9.bmp", {"\xC3\xA9.bmp", "\xC3\x89.bmp"}},
        {{"a.cel"}, "parts/arm.bmp", {"parts", "parts/arm.bmp"}},
        {{"Parts/ARM.CEL"}, "Parts/arm.bmp", {"parts/arm.bmp", "parts/arm.cel"}},
        {{"B.CEL", "b.cel"}, "./sub/b.bmp", {"b.cel", "sub"}},
    };
    for (const auto& [files, written, probes] : rows) {
        TempDir dir;
        const std::string doll = dir / "doll/";
        DirectoryListings listings(dir / "doll/."); // the output folder, spelt otherwise
        const auto lookup = [&](auto&& l, const std::string& probe) {
            const auto slash = probe.rfind('/') + 1;
            const auto names = l.Matching(doll + probe.substr(0, slash), probe.substr(slash));
            return std::set<std::string>(names.begin(), names.end());
        };
        const auto put = [&](const std::string& name, const std::string& bytes) {
            fs::create_directories(fs::path(doll + name).parent_path());
            WriteFile(doll + name, bytes);
        };
        std::ranges::for_each(files, [&](const std::string& name) { put(name, ""); });
        std::ranges::for_each(probes, [&](const std::string& probe) { lookup(listings, probe); });
        put(written, "x");
        std::vector<platform::FileIdentity> chain; // the folders written into, below the output
        for (fs::path on = doll; const auto& part : fs::path(written).parent_path())
            if (part != ".") chain.push_back(*platform::IdentityOf((on /= part).string()));
        listings.Written(written, chain);
        for (const std::string& probe : probes) {
            EXPECT_EQ(lookup(listings, probe), lookup(DirectoryListings(), probe)) << written << " then " << probe;
            EXPECT_EQ(FindInDirectory(doll, probe, listings), FindInDirectory(doll, probe)) << probe;
        }
    }
    TempDir dir; // without an output folder, every listing is kept
    WriteFile(dir / "A.CEL", "");
    DirectoryListings kept;
    EXPECT_EQ(kept.Matching(dir.Prefix(), "a.cel"), std::vector<std::string>{"A.CEL"});
    WriteFile(dir / "B.CEL", "");
    kept.Written("B.CEL");
    EXPECT_TRUE(kept.Matching(dir.Prefix(), "b.cel").empty());
#ifndef _WIN32 // names as bytes: a Shift-JIS character's trail byte 'A' (0x83 0x41) is no letter to lower
    for (const char* name : {"\x83\x41.CEL", "\x83\x61.CEL"})
        WriteFile(dir / name, "");
    EXPECT_EQ(DirectoryListings().Matching(dir.Prefix(), "\x83\x41.cel"), std::vector<std::string>{"\x83\x41.CEL"});
#endif
}
