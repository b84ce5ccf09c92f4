#include "FuzzScratch.h"

#include "FuzzCheck.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace fs = std::filesystem;

namespace fuzzscratch {

namespace {

void RemoveAtExit() {
    std::error_code ignored;
    fs::remove_all(Root(), ignored);
}

std::string MakeRoot() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/kissfuzz-XXXXXX";
    FUZZ_CHECK(::mkdtemp(pattern.data()) != nullptr);
    std::atexit(RemoveAtExit);
    return pattern + "/";
}

} // namespace

const std::string& Root() {
    // Never destroyed, so the exit handler that removes the folder can still read it.
    static const std::string* const root = new std::string(MakeRoot());
    return *root;
}

void Clear() {
    for (const auto& entry : fs::directory_iterator(Root()))
        fs::remove_all(entry.path());
}

void Write(const std::string& path, const std::uint8_t* data, std::size_t size) {
    const fs::path parent = fs::path(path).parent_path();
    if (!parent.empty()) fs::create_directories(parent);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    FUZZ_CHECK(out.good());
}

void Write(const std::string& path, const std::string& text) {
    Write(path, reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

bool TryWrite(const std::string& path, const std::string& bytes) {
    std::error_code error;
    const fs::path parent = fs::path(path).parent_path();
    if (!parent.empty()) fs::create_directories(parent, error);
    if (error || fs::is_directory(path, error)) return false;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return out.good();
}

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::map<std::string, std::string> Snapshot(const std::string& folder) {
    std::map<std::string, std::string> files;
    // Without its trailing "/", so that names come out relative to the folder itself.
    const fs::path base =
        fs::path(folder).has_filename() ? fs::path(folder) : fs::path(folder).parent_path();
    for (const auto& entry : fs::recursive_directory_iterator(base)) {
        const std::string relative = entry.path().lexically_relative(base).string();
        if (entry.is_directory())
            files[relative + "/"] = "";
        else
            files[relative] = Read(entry.path().string());
    }
    return files;
}

} // namespace fuzzscratch
