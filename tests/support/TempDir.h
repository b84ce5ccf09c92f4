#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

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
