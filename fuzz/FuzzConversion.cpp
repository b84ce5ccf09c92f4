// A whole run in a fresh folder with the input's .cnf, cels and palettes: set selector text, then after a tab the run's
// options ('p' PNG images, 's' a snapshot, 'w' the page), LF, .cnf, then files as LF "=== " name LF bytes. Checks:
// nothing changes outside the output folder nor in it but the run's folders, report, page and whole images (and the
// snapshot); report lines are well formed; no control is asked twice; the editor starts iff the run succeeds.
#include "Fuzz.h"

#include "doll/DollFiles.h"
#include "web/PlayPage.h"

namespace fs = std::filesystem;

// False when the run could read outside the scratch folder, or build over 1 MiB of images it does not refuse at once
// (128 KiB with the page, which keeps every cel it shows in memory at once).
static bool WithinLimits(const std::string& cnf, const std::string& doll, bool page)
{
    BufferedTextFile file;
    KissConfiguration c; // a configuration the run refuses stops it at the same line, before it converts anything
    if (Thrown([&] { file.OpenForReading(cnf); }) || Thrown([&] { ReadConfiguration(file, c); })) return true;
    std::int64_t total = 0;
    for (const TKissCel& cel : std::span(c.cels.data(), c.celCount)) {
        MemoryStream s; // a name that leaves the folder is refused before it is opened
        if (StaysInside(cel.fileName)) Thrown([&] { s.LoadFromFile(FindInDirectory(doll, cel.fileName)); });
        if (const std::int64_t bytes = ImageBytes(ReadCelHeader(s)); bytes <= MemoryStream::kMaxSize) total += bytes;
    }
    return total <= (page ? 1 << 17 : 1 << 20) &&
           std::all_of(c.paletteFiles.data(), c.paletteFiles.data() + c.paletteCount, StaysInside);
}

// Every file and folder under folder but those under skip.
static std::map<std::string, std::string> Snapshot(const fs::path& folder, const std::string& skip = "\n")
{
    auto files = FilesUnder(folder, true);
    std::erase_if(files, [&](const auto& file) { return file.first.starts_with(skip); });
    return files;
}

// Writes a file and the folders above it; where a file stands in the way of a folder, nothing.
static void Put(const std::string& path, const std::string& bytes)
{
    std::error_code ignored;
    fs::create_directories(fs::path(path).parent_path(), ignored);
    std::ofstream(path, std::ios::binary) << bytes;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size), kMarker = "\n=== ";
    const std::size_t firstLine = input.find('\n');
    if (firstLine == std::string::npos) return 0;
    const TempDir root;
    const std::string doll = root / "work/doll/", out = root / "work/out/", cnf = doll + "doll.cnf";
    // Decoys for stray writes: above and next to the output folder, "../evil.cel"'s image, another's file in it.
    for (const std::string& decoy : {root / "above", root / "work/next", root / "work/evil.bmp", out + "keep.dat"})
        Put(decoy, decoy);
    std::size_t at = input.find(kMarker, firstLine + 1);
    Put(cnf, input.substr(firstLine + 1, at - firstLine - 1));
    for (std::size_t end; at != std::string::npos && (end = input.find('\n', at + 5)) != std::string::npos;) {
        const std::string name = input.substr(at + 5, end - at - 5);
        at = input.find(kMarker, end + 1);
        const auto inWork = fs::path("doll/" + name).lexically_normal().generic_string(); // not over doll.cnf or out
        if (name.find('\0') == std::string::npos && inWork.starts_with("doll/") && !inWork.starts_with("doll/doll.cnf"))
            Put(doll + name, input.substr(end + 1, at - end - 1));
    }
    const std::string first = input.substr(0, firstLine);
    const std::size_t tab = std::min(first.find('\t'), first.size());
    const std::string flags = first.substr(std::min(tab + 1, first.size()));
    const auto flag = [&](char f) { return flags.find(f) != std::string::npos; };
    // As kiss2bmp decides: the page alone writes no images, it holds its pictures itself.
    const ImageFormat format = flag('p') ? ImageFormat::Png : flag('w') ? ImageFormat::None : ImageFormat::Bmp;
    const RunOptions options{.format = format,
                             .snapshotPath = flag('s') ? root / "work/snapshot.png" : "",
                             .page = flag('w') ? PlayPageOf : nullptr,
                             .startPicture = nullptr};
    if (!WithinLimits(cnf, doll, flag('w'))) return 0;

    const auto before = Snapshot(root.Path(), "work/out/");
    RecordingControls controls(first.substr(0, tab));
    const auto run = [&] { ConvertDoll(OpenDoll(cnf, root / "work/out"), root / "work/out", controls, options); };
    const bool failed = Thrown(run).has_value();
    auto after = Snapshot(root.Path(), "work/out/");
    const auto WholePng = [](auto& b) { return b.starts_with("\x89PNG\r\n") && b.ends_with("IEND\xae\x42\x60\x82"); };
    // The snapshot, the one file written outside the output folder, comes whole once a set's images are written (a
    // configuration without cels has no set to draw: none is read).
    const auto snapshot = after.extract("work/snapshot.png");
    const bool drawn = !failed && flag('s') && std::ranges::count(controls.log, "set?") == 1;
    assert(after == before && (snapshot ? flag('s') && WholePng(snapshot.mapped()) : !drawn));
    const auto output = Snapshot(out);
    assert(output.count("doll.txt") == 1 && output.at("keep.dat") == out + "keep.dat");
    for (const auto& [path, bytes] : output) {
        const auto size = static_cast<std::uint32_t>(bytes.size()); // little-endian, as in a BMP
        const bool wholeBmp = path.ends_with(".bmp") && size >= 1078 && bytes.starts_with("BM") &&
                              bytes.compare(2, 4, reinterpret_cast<const char*>(&size), 4) == 0;
        assert(path.ends_with("/") || path == "keep.dat" || path == "doll.txt" ||
               (path == "doll.html" && !failed && flag('w')) ||
               (format == ImageFormat::Png ? path.ends_with(".png") && WholePng(bytes)
                                           : format == ImageFormat::Bmp && wholeBmp));
    }
    assert(failed || output.count("doll.html") == flag('w'));
    const std::string report = output.at("doll.txt");
    for (std::size_t line = 0; line < report.size(); line = report.find("\r\n", line) + 2)
        assert(report.compare(line, 18, "<PARAM NAME=\"image") == 0 && report.find("\r\n", line) != std::string::npos);
    for (const char* asked : {"pal ", "cel ", "set?"})
        assert(std::ranges::count_if(controls.log, [&](const std::string& e) { return e.starts_with(asked); }) <= 1);
    assert(std::ranges::count_if(controls.log, [](auto& e) { return e.starts_with("edit "); }) == !failed &&
           (failed || controls.log.back() == "edit " + root / "work/out" + platform::kSeparator + "doll.txt"));
    return 0;
}
