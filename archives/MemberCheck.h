#pragma once

#include "Archive.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

// What every member of one archive goes through before its data is read, and the archive's
// messages. Names in messages are shown as their bytes.
class MemberCheck {
public:
    explicit MemberCheck(std::string archiveName) : archive_(std::move(archiveName)) {}

    // The stored name as a path with "/" between folders ("\" and 0xFF are separators too, but in
    // Shift-JIS names not a byte after a lead byte); refused when empty, holding a NUL, absolute
    // or with a ".." part.
    std::string Name(std::string_view stored, bool shiftJis) const;
    // Counts a member of statedSize unpacked bytes against the limits.
    void Admit(const std::string& name, std::uint64_t statedSize);

    EArchiveError Unreadable() const;
    EArchiveError CutShort(const std::string& name) const;
    EArchiveError BadCrc(const std::string& name) const;
    EArchiveError Method(const std::string& name, const std::string& method,
                         bool encrypted = false) const;

private:
    std::string archive_;
    std::size_t members_ = 0;
    std::uint64_t total_ = 0;
};

// What read(buffer, size) hands over, up to limit bytes; read gives 0 or less at the end. The
// string grows with what arrives, never by a size a header states.
template <class Read> std::string ReadUpTo(std::uint64_t limit, Read&& read)
{
    std::string data;
    std::array<char, 1 << 16> chunk;
    while (data.size() < limit) {
        const auto wanted = std::min<std::uint64_t>(chunk.size(), limit - data.size());
        const std::int64_t got = read(chunk.data(), static_cast<std::size_t>(wanted));
        if (got <= 0) break;
        data.append(chunk.data(), static_cast<std::size_t>(got));
    }
    return data;
}
