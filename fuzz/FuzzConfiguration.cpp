// ReadConfiguration over arbitrary bytes, read from a real file through BufferedTextFile.
// Besides crashes it checks the counts and the palette and cel file names against a plain
// line splitter written from the file rules: lines end at CR or CR LF, data ends at Ctrl-Z.
#include "FuzzCheck.h"
#include "FuzzScratch.h"

#include "conversion/BufferedTextFile.h"
#include "conversion/KissConfiguration.h"
#include "platform/Exception.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Lines(const std::string& bytes) {
    const std::string data = bytes.substr(0, bytes.find('\x1a'));
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < data.size()) {
        const std::size_t cr = data.find('\r', start);
        if (cr == std::string::npos) {
            lines.push_back(data.substr(start));
            break;
        }
        lines.push_back(data.substr(start, cr - start));
        start = cr + 1;
        if (start < data.size() && data[start] == '\n') ++start;
    }
    return lines;
}

bool Blank(char c) {
    return c == ' ' || c == '\t';
}

// The n-th (0-based) run of non-blank bytes of text, or the empty text.
std::string Word(const std::string& text, int n) {
    std::size_t i = 0;
    for (int k = 0;; ++k) {
        while (i < text.size() && Blank(text[i]))
            ++i;
        std::size_t end = i;
        while (end < text.size() && !Blank(text[end]))
            ++end;
        if (k == n) return text.substr(i, end - i);
        if (end == i) return "";
        i = end;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = fuzzscratch::Root() + "fuzz.cnf";
    fuzzscratch::Write(path, data, size);
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    auto configuration = std::make_unique<KissConfiguration>();
    bool tooMany = false;
    {
        BufferedTextFile file;
        file.OpenForReading(path);
        try {
            ReadConfiguration(file, *configuration);
        } catch (const Exception&) {
            tooMany = true; // the only failure a readable file can give: a table overflows
        }
        file.Close();
    }

    std::vector<std::string> palettes, cels;
    int sets = 0;
    for (const std::string& line : Lines(bytes)) {
        if (line.empty()) continue;
        if (line[0] == '%') palettes.push_back(Word(line.substr(1), 0));
        if (line[0] == '#') cels.push_back(Word(line.substr(1), 1));
        if (line[0] == '$') ++sets;
    }
    const KissConfiguration& c = *configuration;
    if (tooMany) {
        FUZZ_CHECK(palettes.size() > KissConfiguration::kMaxPalettes ||
                   cels.size() > KissConfiguration::kMaxCels || sets > KissConfiguration::kMaxSets);
        return 0;
    }
    FUZZ_CHECK(c.paletteCount == static_cast<int>(palettes.size()));
    FUZZ_CHECK(c.celCount == static_cast<int>(cels.size()));
    FUZZ_CHECK(c.setCount == sets);
    for (int i = 0; i < c.paletteCount; ++i)
        FUZZ_CHECK(c.paletteFiles[i] == palettes[i]);
    for (int i = 0; i < c.celCount; ++i) {
        FUZZ_CHECK(c.cels[i].fileName == cels[i]);
        for (const std::uint8_t member : c.cels[i].inSet)
            FUZZ_CHECK(member <= 1);
    }
    return 0;
}
