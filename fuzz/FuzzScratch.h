#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

// The private folder of one fuzzing process under $TMPDIR, made at the first use, emptied by
// each harness between inputs and removed at exit.
namespace fuzzscratch {

// The folder's path, ending in "/".
const std::string& Root();
// Removes everything inside the folder.
void Clear();
// Writes a whole file (creating missing folders of a relative name under the root).
void Write(const std::string& path, const std::uint8_t* data, std::size_t size);
void Write(const std::string& path, const std::string& text);
// The same for names that come from an input: false, and nothing written, when the path
// cannot be made (a file stands where a folder should, or a folder where the file should).
bool TryWrite(const std::string& path, const std::string& bytes);
std::string Read(const std::string& path);

// Every file under folder, by path relative to it, with its bytes ("/" ends folder names,
// which map to an empty text).
std::map<std::string, std::string> Snapshot(const std::string& folder);

} // namespace fuzzscratch
