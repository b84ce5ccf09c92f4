// A whole conversion run in a scratch folder whose configuration, cel and palette files come
// from the input. Input: the set selector's text up to the first LF, then the .cnf bytes, then
// any number of files, each introduced by LF "=== " name LF. Besides crashes it checks that the
// run never changes a file outside its output folder nor one inside it that is not its own,
// that everything it leaves there is a folder, the report or a whole BMP file, and that the
// editor is started exactly when the run succeeds.
#include "FuzzCheck.h"
#include "FuzzScratch.h"

#include "conversion/BufferedTextFile.h"
#include "conversion/CelPaths.h"
#include "conversion/ConvertConfiguration.h"
#include "conversion/KissConfiguration.h"
#include "imaging/KissHeaders.h"
#include "imaging/MemoryStream.h"
#include "platform/Exception.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

// Headers may legally ask for images up to 2 GB each. Inputs whose cels together ask for more
// than 1 MiB are skipped: they would trip libFuzzer's malloc and RSS limits and the cost is per
// pixel, not per input byte. Requests above 2 GB are refused without allocating and still run.
constexpr std::int64_t kMaxImageBytes = 1 << 20;
const std::string kMarker = "\n=== ";

class FakeControls : public RunControls {
public:
    explicit FakeControls(std::string setText) : setText_(std::move(setText)) {}
    void ShowPaletteCount(const std::string&) override { ++paletteShown; }
    void ShowCelCount(const std::string&) override { ++celShown; }
    std::string SetSelectorText() override {
        ++setRead;
        return setText_;
    }
    void StartEditor(const std::string& path) override { editors.push_back(path); }

    int paletteShown = 0, celShown = 0, setRead = 0;
    std::vector<std::string> editors;

private:
    std::string setText_;
};

// A name the harness may create inside the doll folder: relative, no "." or ".." parts.
bool Creatable(const std::string& name) {
    if (name.empty() || name.size() > 64 || name.find('\0') != std::string::npos) return false;
    std::size_t start = 0;
    for (int depth = 0; depth < 3; ++depth) {
        const std::size_t slash = name.find('/', start);
        const std::string part = name.substr(start, slash - start);
        if (part.empty() || part == "." || part == ".." || part == "doll.cnf") return false;
        if (slash == std::string::npos) return true;
        start = slash + 1;
    }
    return false;
}

std::uint32_t U32(const std::string& b, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | static_cast<unsigned char>(b[at + i]);
    return v;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// False when the run could read outside the scratch folder or build oversized images.
bool WithinLimits(const std::string& cnf, const std::string& dollDir) {
    auto c = std::make_unique<KissConfiguration>();
    try {
        BufferedTextFile file;
        file.OpenForReading(cnf);
        ReadConfiguration(file, *c);
    } catch (const Exception&) {
        return true; // the run fails at the same line, before it converts anything
    }
    for (int i = 0; i < c->paletteCount; ++i)
        if (!StaysInside(c->paletteFiles[i])) return false;
    std::int64_t total = 0;
    MemoryStream stream;
    for (int j = 0; j < c->celCount; ++j) {
        if (!StaysInside(c->cels[j].fileName)) continue; // refused before it is opened
        try {
            stream.LoadFromFile(FindInDirectory(dollDir, c->cels[j].fileName));
        } catch (const Exception&) {
            continue;
        }
        const CelHeader h = ReadCelHeader(stream);
        const std::int64_t bytes =
            (std::int64_t{h.xOffset} + h.width + 3) / 4 * 4 * (std::int64_t{h.yOffset} + h.height) +
            1078;
        if (bytes <= MemoryStream::kMaxSize) total += bytes; // larger ones are refused at once
    }
    return total <= kMaxImageBytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t firstLine = input.find('\n');
    if (firstLine == std::string::npos) return 0;
    const std::string setText = input.substr(0, firstLine);

    namespace scratch = fuzzscratch;
    scratch::Clear();
    const std::string root = scratch::Root();
    const std::string work = root + "work/", doll = work + "doll/", out = work + "out/";
    const std::string cnf = doll + "doll.cnf";
    scratch::Write(root + "decoy-above.txt", "above the output's parent\r\n");
    scratch::Write(work + "decoy-next.txt", "next to the output folder\r\n");
    scratch::Write(work + "evil.bmp", "what ../evil.cel would replace\r\n");
    scratch::Write(out + "keep.dat", "inside the output folder, not the run's\r\n");

    std::size_t at = input.find(kMarker, firstLine + 1);
    scratch::Write(cnf, input.substr(firstLine + 1, at - (firstLine + 1)));
    while (at != std::string::npos) {
        const std::size_t nameStart = at + kMarker.size();
        const std::size_t nameEnd = input.find('\n', nameStart);
        if (nameEnd == std::string::npos) break;
        const std::size_t next = input.find(kMarker, nameEnd + 1);
        const std::string name = input.substr(nameStart, nameEnd - nameStart);
        if (Creatable(name))
            scratch::TryWrite(doll + name, input.substr(nameEnd + 1, next - (nameEnd + 1)));
        at = next;
    }
    if (!WithinLimits(cnf, doll)) return 0;

    std::map<std::string, std::string> before = scratch::Snapshot(root);
    FakeControls controls(setText);
    bool failed = false;
    try {
        ConvertConfiguration(cnf, work + "out", controls);
    } catch (const Exception&) {
        failed = true;
    }
    std::map<std::string, std::string> after = scratch::Snapshot(root);

    // Outside the output folder nothing changes, appears or goes.
    for (auto* files : {&before, &after})
        std::erase_if(*files, [](const auto& f) { return f.first.rfind("work/out/", 0) == 0; });
    FUZZ_CHECK(before == after);

    const std::string report = out + "doll.txt";
    const std::map<std::string, std::string> output = scratch::Snapshot(out);
    FUZZ_CHECK(output.count("doll.txt") == 1); // made first, kept whatever happens next
    FUZZ_CHECK(output.at("keep.dat") == "inside the output folder, not the run's\r\n");
    for (const auto& [path, bytes] : output) {
        if (EndsWith(path, "/") || path == "keep.dat" || path == "doll.txt") continue;
        FUZZ_CHECK(EndsWith(path, ".bmp"));
        FUZZ_CHECK(bytes.size() >= 1078 && bytes.compare(0, 2, "BM") == 0);
        FUZZ_CHECK(U32(bytes, 2) == bytes.size());
    }
    const std::string lines = scratch::Read(report);
    for (std::size_t line = 0; line < lines.size();) {
        const std::size_t end = lines.find("\r\n", line);
        FUZZ_CHECK(end != std::string::npos);
        FUZZ_CHECK(lines.compare(line, 18, "<PARAM NAME=\"image") == 0);
        line = end + 2;
    }

    FUZZ_CHECK(controls.paletteShown <= 1 && controls.celShown <= 1 && controls.setRead <= 1);
    if (failed) {
        FUZZ_CHECK(controls.editors.empty());
    } else {
        FUZZ_CHECK(controls.editors.size() == 1 && controls.editors[0] == report);
    }
    return 0;
}
