#include "MemoryStream.h"

#include "StreamErrors.h"
#include "platform/File.h"
#include "platform/Folder.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <new>
#include <stdexcept>

std::size_t MemoryStream::Read(void* destination, std::size_t count)
{
    if (position_ >= Size()) return 0;
    const auto available = static_cast<std::size_t>(Size() - position_);
    const std::size_t n = std::min(count, available);
    std::memcpy(destination, bytes_.data() + position_, n);
    position_ += static_cast<std::int64_t>(n);
    return n;
}

void MemoryStream::Write(const void* source, std::size_t count)
{
    if (count == 0) return;
    const std::int64_t end = position_ + static_cast<std::int64_t>(count);
    if (end > kMaxSize) throw EStreamMemoryError();
    if (end > Size()) {
        const std::int64_t oldSize = Size();
        Reserve(end, false);
        // A gap between the old end and the position reads as 0.
        if (position_ > oldSize)
            std::memset(bytes_.data() + oldSize, 0, static_cast<std::size_t>(position_ - oldSize));
    }
    std::memcpy(bytes_.data() + position_, source, count);
    position_ = end;
}

void MemoryStream::Reserve(std::int64_t size, bool discard)
{
    try {
        if (discard && static_cast<std::size_t>(size) > bytes_.capacity()) Bytes().swap(bytes_);
        bytes_.resize(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc&) {
        throw EStreamMemoryError();
    } catch (const std::length_error&) {
        throw EStreamMemoryError();
    }
}

void MemoryStream::SetSize(std::int64_t size)
{
    SetSizeUnfilled(size);
    if (!bytes_.empty()) std::memset(bytes_.data(), 0, bytes_.size());
}

void MemoryStream::SetSizeUnfilled(std::int64_t size)
{
    if (size < 0 || size > kMaxSize) throw EStreamMemoryError();
    position_ = 0;
    Reserve(size, true);
}

namespace {

// Whether the open file lies inside folder (an absolute path, links resolved).
bool IsWithin(const platform::File& file, const std::string& path, const std::string& folder)
{
    auto resolved = file.ResolvedPath(); // the file itself, not its name looked up again
    if (!resolved) resolved = platform::ResolvedPath(path);
    if (!resolved) return false;
    const auto relative = std::filesystem::path(*resolved).lexically_relative(folder);
    return !relative.empty() && relative != "." && *relative.begin() != "..";
}

} // namespace

void MemoryStream::LoadFromFile(const std::string& path, const std::string* within,
                                std::int64_t most)
{
    platform::File file = platform::File::OpenForReading(path);
    if (!file.IsOpen())
        throw EFileOpenError(path, platform::ErrorText(platform::LastError(), path));
    if (within && !IsWithin(file, path, *within))
        throw EFileOpenError(path, "it lies outside the doll's folder");
    LoadFromFile(file, path, most);
}

void MemoryStream::LoadFromFile(platform::File& file, const std::string& path, std::int64_t most)
{
    std::int64_t size = file.SizeWhenOpened();
    if (size < 0) throw EStreamReadError(platform::ErrorText(platform::LastError(), path));
    size = std::min(size, most);
    if (size > kMaxSize) throw EStreamMemoryError("the file is larger than 2 GiB");
    // As SetSize, without zeroing the bytes that the file fills.
    position_ = 0;
    Reserve(size, true);
    const std::ptrdiff_t got = file.Read(bytes_.data(), bytes_.size());
    if (got < 0 || static_cast<std::size_t>(got) != bytes_.size()) {
        // What the file did not deliver reads as 0, as in a stream sized and then part filled.
        const std::size_t filled = got < 0 ? 0 : static_cast<std::size_t>(got);
        std::memset(bytes_.data() + filled, 0, bytes_.size() - filled);
        throw EStreamReadError(got < 0 ? platform::ErrorText(platform::LastError(), path)
                                       : "the file is shorter than it was when opened");
    }
}

void MemoryStream::SaveToFile(const std::string& path) const
{
    const auto slash = path.find_last_of(std::string("/") + platform::kSeparator);
    const std::string parent = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    SaveToFile(platform::Folder::Open(parent), name, path);
}

void MemoryStream::SaveToFile(const platform::Folder& folder, const std::string& name,
                              const std::string& shownPath, const platform::FinalName* looked) const
{
    platform::ReplacingFile file = looked ? platform::ReplacingFile::Create(folder, name, *looked)
                                          : platform::ReplacingFile::Create(folder, name);
    if (!file.IsOpen())
        throw EFileCreateError(shownPath, platform::ErrorText(platform::LastError(), shownPath));
    const std::ptrdiff_t put = file.Output().Write(bytes_.data(), bytes_.size());
    // A short write failed too: the system's error tells why. The temporary file goes with the
    // object.
    if (put < 0 || static_cast<std::size_t>(put) != bytes_.size() || !file.Commit())
        throw EStreamWriteError(platform::ErrorText(platform::LastError(), shownPath));
}
