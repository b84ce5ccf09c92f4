#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

class DollFiles;

// The texts the doll's author put beside it: each .txt and .doc file of its archive in the
// configuration's folder or below it, or of its folder beside the configuration (none from a
// subfolder: the folder may be one the doll was unpacked into among the user's own files), by
// name, as UTF-8 (name, text) with lines ended by "\n", sorted by name. At most kMaxReadmes of
// them, each cut at kMaxReadmeBytes where a character begins; binary files (a NUL byte), empty
// ones and this tool's own reports are left out, and so is a file that cannot be read. What the
// listing of the folder left out goes to notes; loaded, when given, gets the name of each text
// as DollFiles::Load takes it.
inline constexpr std::size_t kMaxReadmes = 16;
inline constexpr std::size_t kMaxReadmeBytes = 64 * 1024;
std::vector<std::pair<std::string, std::string>>
DollReadmes(DollFiles& doll, std::vector<std::string>& notes,
            std::vector<std::string>* loaded = nullptr);
