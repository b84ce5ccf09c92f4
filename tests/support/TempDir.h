#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>
#include <zlib.h>

using Bytes = std::vector<std::uint8_t>;

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class TempDir {
public:
    TempDir() : path_(std::filesystem::temp_directory_path() / ("kisstest-" + std::to_string(std::random_device()())))
    {
        if (!std::filesystem::create_directory(path_)) throw std::runtime_error("cannot create " + path_.string());
    }
    ~TempDir() { std::filesystem::remove_all(path_, ignored_); }
    TempDir(TempDir&&) = delete; // nor copied: one owner removes the folder
    const std::filesystem::path& Path() const { return path_; }
    std::string Prefix() const { return path_.string() + "/"; } // as the run joins names to it
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
    std::error_code ignored_;
};

inline void WriteFile(const std::string& path, const std::string& bytes)
{
    if (!(std::ofstream(path, std::ios::binary) << bytes)) throw std::runtime_error("cannot write " + path);
}
inline std::string ReadText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    return (std::ostringstream() << in.rdbuf()).str();
}
// Every file under folder, named relative to base (folder itself when empty), with its bytes; links with their
// target; with folders, each folder too, ending in "/". FIFOs are not opened: that would wait for a writer.
inline std::map<std::string, std::string> FilesUnder(const std::filesystem::path& folder, bool folders = false,
                                                     std::filesystem::path base = {})
{
    std::map<std::string, std::string> files;
    for (const auto& e : std::filesystem::recursive_directory_iterator(folder)) {
        const bool isFolder = e.is_directory() && !e.is_symlink();
        if (isFolder && !folders) continue;
        std::string& bytes =
            files[e.path().lexically_relative(base.empty() ? folder : base).generic_string() + (isFolder ? "/" : "")];
        if (e.is_symlink())
            bytes = "-> " + std::filesystem::read_symlink(e.path()).string();
        else if (e.is_regular_file())
            bytes = ReadText(e.path());
    }
    return files;
}
// The files under folder as a ZIP archive, each stored under its relative name in sorted order: what "zip -X"
// makes of them, without running a program (under Wine a Linux program cannot be waited for).
inline std::string ZipOf(const std::filesystem::path& folder)
{
    const auto u16 = [](std::size_t v) { return std::string{char(v), char(v >> 8)}; };
    const auto u32 = [&](std::size_t v) { return u16(v) + u16(v >> 16); };
    std::string zip, directory;
    const auto files = FilesUnder(folder);
    for (const auto& [name, data] : files) {
        const auto crc = ::crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size()));
        // version 2.0, no flags, stored, 1980-01-01, CRC, both sizes, the name's size, no extra field
        const std::string fields = u16(20) + u16(0) + u16(0) + u32(0x210000) + u32(crc) + u32(data.size()) +
                                   u32(data.size()) + u16(name.size()) + u16(0);
        directory += u32(0x02014B50) + u16(20) + fields + u16(0) + u32(0) + u32(0) + u32(zip.size()) + name;
        zip += u32(0x04034B50) + fields + name + data;
    }
    return zip + directory + u32(0x06054B50) + u32(0) + u16(files.size()) + u16(files.size()) + u32(directory.size()) +
           u32(zip.size()) + u16(0);
}
