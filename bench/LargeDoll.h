#pragma once

#include <string>

// The large doll of the benchmarks, drawn with our own encoders: cels of one size, the even
// ones 8 bits a pixel, the odd ones 4 bits (old form and headed in turn), 16 palettes of all
// forms and 10 sets whose position lists run over continuation lines. Every cel is in set 0.
namespace largedoll {

inline constexpr int kPalettes = 16;
inline constexpr int kSets = 10;

// The configuration text, CR LF lines; names are upper case as on DOS disks.
std::string Configuration(int cels);
// Writes doll.cnf with its cels and palettes (lower-case names) into the existing folder.
void Write(const std::string& folder, int cels, int width, int height);

} // namespace largedoll
