#include "ImageFileKind.h"

#include <array>
#include <cstring>

const char* ImageFileKind(MemoryStream& file)
{
    struct Signature {
        const char* bytes;
        std::size_t size;
        const char* kind;
    };
    static constexpr Signature kSignatures[] = {{"GIF87a", 6, "GIF"},
                                                {"GIF89a", 6, "GIF"},
                                                {"\x89PNG\r\n\x1a\n", 8, "PNG"},
                                                {"\xFF\xD8\xFF", 3, "JPEG"}};
    std::array<std::uint8_t, 8> start{};
    file.Seek(0);
    const std::size_t read = file.Read(start.data(), start.size());
    file.Seek(0);
    for (const Signature& s : kSignatures)
        if (read >= s.size && std::memcmp(start.data(), s.bytes, s.size) == 0) return s.kind;
    return nullptr;
}
