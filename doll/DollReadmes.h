#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

class DollFiles;

// The texts the doll's author put beside it: each .txt and .doc file in the configuration's
// folder or below it, by name, as UTF-8 (name, text) with lines ended by "\n", sorted by name. At
// most kMaxReadmes of them, each cut at kMaxReadmeBytes; binary files (a NUL byte), empty ones and
// this tool's own reports are left out, and so is a file that cannot be read.
inline constexpr std::size_t kMaxReadmes = 16;
inline constexpr std::size_t kMaxReadmeBytes = 64 * 1024;
std::vector<std::pair<std::string, std::string>> DollReadmes(DollFiles& doll);
