#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

#include <zlib.h>

// LHA's CRC-16 of a member: reflected, polynomial 0xA001, starting at 0 (zlib has none).
inline std::uint32_t LhaCrc(std::string_view data)
{
    constexpr std::uint32_t kPolynomial = 0xA001;
    static constexpr auto kTable = [] {
        std::array<std::uint32_t, 256> table{};
        for (std::uint32_t i = 0; i < table.size(); ++i) {
            table[i] = i;
            for (int bit = 0; bit < 8; ++bit)
                table[i] = table[i] & 1 ? table[i] >> 1 ^ kPolynomial : table[i] >> 1;
        }
        return table;
    }();
    std::uint32_t crc = 0;
    for (const char byte : data)
        crc = crc >> 8 ^ kTable[(crc ^ static_cast<std::uint8_t>(byte)) & 0xFF];
    return crc;
}

// ZIP's CRC-32 of a member, in pieces zlib's length type holds.
inline std::uint32_t ZipCrc(std::string_view data)
{
    uLong crc = crc32(0, nullptr, 0);
    for (std::size_t at = 0; at < data.size(); at += 1u << 30) {
        const auto piece = static_cast<uInt>(std::min<std::size_t>(data.size() - at, 1u << 30));
        crc = crc32(crc, reinterpret_cast<const Bytef*>(data.data() + at), piece);
    }
    return static_cast<std::uint32_t>(crc);
}
