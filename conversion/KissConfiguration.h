#pragma once

#include "fkiss/KissPosition.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class BufferedTextFile;

// How a configuration is read: as the designed run reads it, or as KiSS viewers do (comments end
// a line's lists, transparency and start-hidden marks are read from them, far more cels and
// objects, FKiSS lines kept).
enum class Reading { Designed, Viewer };

// One "#" line: an object's cel.
struct TKissCel {
    std::int32_t objectNumber = 0;
    std::int32_t fixValue = 0;
    std::string fileName; // as written in the line
    std::uint8_t paletteIndex = 0;
    std::array<std::uint8_t, 10> inSet{}; // 1 where the cel belongs to set k
    // Read as viewers read them only: ";%tN" (0 opaque to 255 invisible) and ";%u".
    std::int32_t transparency = 0;
    bool unmapped = false;
};

// One "$" line with its continuation lines.
struct KissSet {
    std::uint8_t paletteGroup = 0;
    std::vector<KissPosition>
        positions; // indexed by object number, one for each object there may be
    // An object's position; absent past the table (a set without a "$" line has none).
    KissPosition At(std::size_t object) const
    {
        return object < positions.size() ? positions[object] : KissPosition{};
    }
};

struct KissConfiguration {
    static constexpr int kMaxPalettes = 16;
    static constexpr int kMaxCels = 256;
    static constexpr int kMaxSets = 16;
    static constexpr int kMaxPositions = 256;
    // As viewers read a doll: cel lines, and objects 0 to kViewerObjects - 1.
    static constexpr int kViewerCels = 65536;
    static constexpr int kViewerObjects = 65536;

    Reading reading = Reading::Designed;
    int MaxCels() const { return reading == Reading::Designed ? kMaxCels : kViewerCels; }
    int MaxObjects() const { return reading == Reading::Designed ? kMaxPositions : kViewerObjects; }

    std::array<std::string, kMaxPalettes> paletteFiles;
    int paletteCount = 0;
    std::vector<TKissCel> cels; // celCount of them
    int celCount = 0;
    std::array<KissSet, kMaxSets> sets;
    int setCount = 0;

    // The viewer's play area, "(width,height)", within 1 to kMaxPlaySide (else the default), and
    // the border colour around it, "[n". The conversion does not use them; a picture of a set does.
    static constexpr std::int32_t kMaxPlaySide = 4096;
    std::int32_t playWidth = 448, playHeight = 320;
    std::int32_t borderColour = 0;

    // Read as viewers read a doll: every line that begins ";@" (FKiSS), with its line number.
    std::vector<std::pair<int, std::string>> fkissLines;
};

// Reads the configuration line by line until the file's end: "%" palette lines, "#" cel lines,
// "$" set lines and continuation lines (first byte a space); every other line is skipped.
// Malformed numbers keep what the lenient conversion delivers. More lines of a kind than its
// table holds end the read with an error naming the limit.
// Read as viewers do, a line's lists end where its ";" comment begins.
void ReadConfiguration(BufferedTextFile& file, KissConfiguration& configuration,
                       Reading reading = Reading::Designed);

// The cel's object as an index into a set's positions, which exist for objects 0 to
// MaxObjects() - 1 only: any other number fails with a message naming it.
std::size_t ObjectOf(const TKissCel& cel, const KissConfiguration& configuration);

// A cel's image name: its file name lowered, without the extension.
std::string ImageNameOf(const TKissCel& cel);
