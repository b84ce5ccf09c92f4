#pragma once

#include "Archive.h"

#include <cstdint>
#include <string_view>
#include <utility>

// The bytes of archive headers, read little-endian. A field that does not lie wholly inside them
// raises the archive's error instead of being read: no header is read past its end.
class HeaderBytes {
public:
    HeaderBytes(std::string_view bytes, EArchiveError unreadable)
        : bytes_(bytes), unreadable_(std::move(unreadable))
    {
    }
    std::uint64_t Size() const { return bytes_.size(); }

    std::uint64_t Field(std::uint64_t at, std::uint64_t width) const
    {
        const std::string_view field = Part(at, width); // width: at most 8
        std::uint64_t value = 0;
        for (auto byte = field.rbegin(); byte != field.rend(); ++byte)
            value = value << 8 | static_cast<std::uint8_t>(*byte);
        return value;
    }

    std::string_view Part(std::uint64_t at, std::uint64_t size) const
    {
        if (at > bytes_.size() || size > bytes_.size() - at) throw unreadable_;
        return bytes_.substr(at, size);
    }

private:
    std::string_view bytes_;
    EArchiveError unreadable_;
};
