// Writes the seed inputs of the fuzz harnesses: the sample doll's files packed in each
// harness's input form, and small drawn cels, palettes and configurations for the edges.
// Usage: make_fuzz_seeds SAMPLE_DOLL_DIR CORPUS_DIR (normally samples/pip fuzz/corpus)
#include "KissWriter.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;
using kisswriter::Bytes;
using kisswriter::Picture;
using kisswriter::Rgb;

namespace {

std::string dollDir, corpusDir;

Bytes Load(const std::string& name) {
    std::ifstream in(dollDir + "/" + name, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + name);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes Text(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

void Seed(const std::string& harness, const std::string& name, const Bytes& bytes) {
    fs::create_directories(corpusDir + "/" + harness);
    kisswriter::Save(corpusDir + "/" + harness + "/" + name, bytes);
}

// Input of the decoder harness: palette offset, cel length (16 bits), cel, palette.
Bytes CelInput(std::uint8_t offset, const Bytes& cel, const Bytes& palette) {
    Bytes input{offset, static_cast<std::uint8_t>(cel.size()),
                static_cast<std::uint8_t>(cel.size() >> 8)};
    input.insert(input.end(), cel.begin(), cel.end());
    input.insert(input.end(), palette.begin(), palette.end());
    return input;
}

// Input of the run harness: set text, LF, configuration, then LF "=== " name LF bytes per file.
Bytes RunInput(const std::string& set, const std::string& cnf,
               const std::vector<std::pair<std::string, Bytes>>& files) {
    Bytes input = Text(set + "\n" + cnf);
    for (const auto& [name, bytes] : files) {
        const Bytes head = Text("\n=== " + name + "\n");
        input.insert(input.end(), head.begin(), head.end());
        input.insert(input.end(), bytes.begin(), bytes.end());
    }
    return input;
}

Picture Small() {
    Picture p(3, 2);
    p.pixels = {1, 2, 3, 4, 0, 15};
    return p;
}

std::vector<Rgb> Ramp(int count) {
    std::vector<Rgb> colours;
    for (int i = 0; i < count; ++i)
        colours.push_back({static_cast<std::uint8_t>(i * 7), static_cast<std::uint8_t>(255 - i),
                           static_cast<std::uint8_t>(i * 3)});
    return colours;
}

void ConfigurationSeeds() {
    Seed("configuration", "pip.cnf", Load("pip.cnf"));
    Seed("configuration", "lines.cnf",
         Text("%a.kcf ; palette\r\n%B.KCF\r\n#1.99 body.cel *0 :0 1 2 ;comment\r\n#3 eye.cel\r\n"
              "#4 hat.cel *2\r\n#5 arm.cel :1 ;version 3\r\n#6 leg.cel :0 ;*old\r\n"
              "$2 10,20 * 30,40\r\n 50,60\r\n ; note\r\n$0 15 ;x  \r\n\t#7 tab.cel\r\n"));
    Seed("configuration", "line-ends.cnf",
         Text("#1 a.cel\r#2 b.cel\n#3 c.cel\r\r\n#4 d.cel\r\n\x1a#5 after.cel\r\n"));
    Seed("configuration", "empty-tokens.cnf", Text(" 1,2\r\n%\r\n#\r\n$\r\n#.5.6\r\n$1 *  \r\n"));
    std::string many;
    for (int i = 0; i < 17; ++i)
        many += "%p" + std::to_string(i) + ".kcf\r\n";
    Seed("configuration", "too-many-palettes.cnf", Text(many));
}

void DecoderSeeds() {
    const Bytes oldPalette = Load("pip.kcf"), headedPalette = Load("clothes.kcf");
    for (const char* cel : {"back.cel", "body.cel", "hair.cel", "hat.cel", "shirt.cel"}) {
        const std::string stem = fs::path(cel).stem().string();
        Seed("decode_cel", stem + "-old-palette", CelInput(16, Load(cel), oldPalette));
        Seed("decode_cel", stem + "-headed-palette", CelInput(32, Load(cel), headedPalette));
    }
    const Bytes oldCel{3, 0, 2, 0, 0x12, 0x30, 0x45, 0x60};
    Seed("decode_cel", "old-3x2", CelInput(32, oldCel, kisswriter::OldPalette(Ramp(160))));
    Seed("decode_cel", "headed-8bit-offset",
         CelInput(0, kisswriter::HeadedCel(Small(), 8, 2, 1),
                  kisswriter::HeadedPalette(Ramp(256), 24, 256, 1)));
    Seed("decode_cel", "headed-4bit-12bit-palette",
         CelInput(250, kisswriter::HeadedCel(Small(), 4, 0, 3),
                  kisswriter::HeadedPalette(Ramp(32), 12, 16, 2)));
    Bytes odd = kisswriter::HeadedCel(Small(), 8, 0, 0);
    odd[5] = 32; // a depth that decodes no pixels
    Seed("decode_cel", "headed-32bit", CelInput(0, odd, Bytes{'k', 'i', 's', 's'}));
    Bytes cut = kisswriter::HeadedCel(Small(), 4, 1, 1);
    cut.resize(33);
    Bytes cutPalette = kisswriter::HeadedPalette(Ramp(16), 24, 16, 1);
    cutPalette.resize(40);
    Seed("decode_cel", "cut-short", CelInput(16, cut, cutPalette));
}

void TextSeeds() {
    using namespace std::string_literals;
    // First byte: the separator for SplitAt; the rest: the text.
    const std::vector<std::string> texts = {". 12",
                                            ",-5x",
                                            ".$1f",
                                            ".-2147483648",
                                            ".9999999999",
                                            ".$123456789",
                                            ".+7",
                                            ".007",
                                            ".12 ",
                                            ".$FFFFFFFF",
                                            ".12.5",
                                            ",3,",
                                            ".a  b",
                                            ".a\tb",
                                            "\\C:\\k\\doll.old",
                                            ".C:\\a.b\\doll",
                                            "/sub/../x.cel",
                                            ".a.b.cel",
                                            ". \t ",
                                            "\\..\\EVIL.CEL",
                                            "/doll.cnf\0x.cel"s};
    for (std::size_t i = 0; i < texts.size(); ++i)
        Seed("text", "text-" + std::to_string(i), Text(texts[i]));
}

void RunSeeds() {
    std::vector<std::pair<std::string, Bytes>> pip;
    for (const char* name :
         {"back.cel", "body.cel", "hair.cel", "hat.cel", "shirt.cel", "pip.kcf", "clothes.kcf"})
        pip.emplace_back(name, Load(name));
    const std::string cnf(reinterpret_cast<const char*>(Load("pip.cnf").data()),
                          Load("pip.cnf").size());
    for (const char* set : {"0", "1", "2"})
        Seed("conversion", std::string("pip-set") + set, RunInput(set, cnf, pip));

    Seed("conversion", "small",
         RunInput("1",
                  "%COLOURS.KCF\r\n%old.kcf\r\n#0 SUB/A.CEL *0 :1\r\n#1.5 b.cel *1\r\n"
                  "#2 Sub\\c.cel *3 :1\r\n#300 d.cel\r\n$0 *\r\n$1 1,2 3,4\r\n 5,6\r\n",
                  {{"sub/a.cel", kisswriter::HeadedCel(Small(), 8, 1, 0)},
                   {"b.cel", kisswriter::OldCel(Small())},
                   {"colours.kcf", kisswriter::HeadedPalette(Ramp(48), 24, 16, 3)},
                   {"old.kcf", kisswriter::OldPalette(Ramp(160))}}));
    Seed("conversion", "refused-names",
         RunInput("0", "%p.kcf\r\n#0 ..\\evil.cel\r\n#1 /tmp/x.cel\r\n#2 C:X.CEL\r\n$0 0,0\r\n",
                  {{"p.kcf", kisswriter::OldPalette(Ramp(16))}}));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_fuzz_seeds SAMPLE_DOLL_DIR CORPUS_DIR\n");
        return 2;
    }
    dollDir = argv[1];
    corpusDir = argv[2];
    try {
        ConfigurationSeeds();
        DecoderSeeds();
        TextSeeds();
        RunSeeds();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_fuzz_seeds: %s\n", e.what());
        return 1;
    }
    return 0;
}
