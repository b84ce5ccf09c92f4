#pragma once

#include "UninitialisedAllocator.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {
class File;
class Folder;
struct FinalName;
} // namespace platform

// A growable byte buffer with a current position.
//
// Reads copy at most what lies after the position and advance it by that much; at or past the
// end they deliver nothing and leave the destination untouched, which the cel decoder relies on
// for cut-short files.
class MemoryStream {
public:
    // The largest content a stream may hold: its length is a signed 32-bit count.
    static constexpr std::int64_t kMaxSize = 0x7FFFFFFF;

    std::int64_t Size() const { return static_cast<std::int64_t>(bytes_.size()); }
    std::int64_t Position() const { return position_; }
    void Seek(std::int64_t position) { position_ = position < 0 ? 0 : position; }

    // Copies up to count bytes into destination; returns how many were copied.
    std::size_t Read(void* destination, std::size_t count);
    // Writes at the position, lengthening the stream when the bytes reach past its end.
    void Write(const void* source, std::size_t count);
    // Gives the stream exactly size bytes; the previous content is discarded and the new bytes
    // are 0. Raises the memory-growth error when the size is out of range or cannot be had.
    void SetSize(std::int64_t size);
    // The same, the new bytes left as they are: for a caller that writes every one of them.
    void SetSizeUnfilled(std::int64_t size);

    // Replaces the content with the whole file (its first `most` bytes at most) and moves to its
    // start. With within, a file that is not inside that folder once links are resolved fails as
    // one that cannot be opened.
    void LoadFromFile(const std::string& path, const std::string* within = nullptr,
                      std::int64_t most = kMaxSize);
    // The same from a file opened for reading, at its first byte; path names it in messages.
    void LoadFromFile(platform::File& file, const std::string& path, std::int64_t most = kMaxSize);
    // Writes the whole content into a new file under a temporary name and renames it over path:
    // a link or hard link there is replaced, a failed write leaves the previous file whole.
    void SaveToFile(const std::string& path) const;
    // The same for the file name in folder; shownPath names it in messages. looked: what the
    // caller saw under the name (platform::Folder::LookAt), which is then not looked at again.
    void SaveToFile(const platform::Folder& folder, const std::string& name,
                    const std::string& shownPath,
                    const platform::FinalName* looked = nullptr) const;

    std::uint8_t* Data() { return bytes_.data(); }
    const std::uint8_t* Data() const { return bytes_.data(); }

private:
    using Bytes = std::vector<std::uint8_t, UninitialisedAllocator<std::uint8_t>>;

    // Gives the stream size bytes, keeping those up to the old length; the bytes past it are
    // for the caller to fill. The buffer stays between fillings, so refilling a stream with no
    // more bytes than it held allocates nothing; a larger one releases the old buffer first when
    // the content is discarded anyway, so a failed request leaves an empty, usable stream.
    void Reserve(std::int64_t size, bool discard);

    Bytes bytes_;
    std::int64_t position_ = 0;
};
