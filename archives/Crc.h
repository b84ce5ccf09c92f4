#pragma once

#include <array>
#include <cstdint>
#include <string_view>

// The reflected CRCs the archives store for their members, one table per polynomial.
template <std::uint32_t kPolynomial>
std::uint32_t ReflectedCrc(std::string_view data, std::uint32_t crc)
{
    static constexpr auto kTable = [] {
        std::array<std::uint32_t, 256> table{};
        for (std::uint32_t i = 0; i < table.size(); ++i) {
            table[i] = i;
            for (int bit = 0; bit < 8; ++bit)
                table[i] = table[i] & 1 ? table[i] >> 1 ^ kPolynomial : table[i] >> 1;
        }
        return table;
    }();
    for (const char byte : data)
        crc = crc >> 8 ^ kTable[(crc ^ static_cast<std::uint8_t>(byte)) & 0xFF];
    return crc;
}

// LHA: CRC-16 starting at 0. ZIP: CRC-32, starting and ending inverted.
inline std::uint32_t LhaCrc(std::string_view data)
{
    return ReflectedCrc<0xA001>(data, 0);
}
inline std::uint32_t ZipCrc(std::string_view data)
{
    return ~ReflectedCrc<0xEDB88320>(data, 0xFFFFFFFF);
}
