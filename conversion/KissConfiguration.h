#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

class BufferedTextFile;

// One "#" line: an object's cel.
struct TKissCel {
    std::int32_t objectNumber = 0;
    std::int32_t fixValue = 0;
    std::string fileName; // as written in the line
    std::uint8_t paletteIndex = 0;
    std::array<std::uint8_t, 10> inSet{}; // 1 where the cel belongs to set k
};

struct KissPosition {
    std::int32_t x = -1;
    std::int32_t y = -1; // (-1, -1): the object is absent from the set
};

// One "$" line with its continuation lines.
struct KissSet {
    std::uint8_t paletteGroup = 0;
    std::array<KissPosition, 256> positions{}; // indexed by object number
};

struct KissConfiguration {
    static constexpr int kMaxPalettes = 16;
    static constexpr int kMaxCels = 256;
    static constexpr int kMaxSets = 16;
    static constexpr int kMaxPositions = 256;

    std::array<std::string, kMaxPalettes> paletteFiles;
    int paletteCount = 0;
    std::array<TKissCel, kMaxCels> cels;
    int celCount = 0;
    std::array<KissSet, kMaxSets> sets;
    int setCount = 0;

    // The viewer's play area, "(width,height)", within 1 to kMaxPlaySide (else the default), and
    // the border colour around it, "[n". The conversion does not use them; a picture of a set does.
    static constexpr std::int32_t kMaxPlaySide = 4096;
    std::int32_t playWidth = 448, playHeight = 320;
    std::int32_t borderColour = 0;
};

// Reads the configuration line by line until the file's end: "%" palette lines, "#" cel lines,
// "$" set lines and continuation lines (first byte a space); every other line is skipped.
// Malformed numbers keep what the lenient conversion delivers. More lines of a kind than its
// table holds end the read with an error naming the limit.
void ReadConfiguration(BufferedTextFile& file, KissConfiguration& configuration);

// The cel's object as an index into a set's positions, which exist for objects 0 to 255 only:
// any other number fails with a message naming it.
std::size_t ObjectOf(const TKissCel& cel);
