// Shift-JIS for the WebAssembly build: emscripten's C library (musl) has no CP932 in its iconv, so
// the text is read through a table of glibc's CP932 made on the build machine
// (make_cp932_table.cpp): byte for byte what the POSIX side reads. Names are UTF-8, as on POSIX.
#include "ShiftJis.h"

#include <algorithm>
#include <array>

namespace platform {

namespace {

#include "Cp932Table.inc"

void PutUtf8(std::string& out, unsigned c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The place of a lead byte's row in kCp932Double.
int LeadRow(unsigned char lead)
{
    int row = 0;
    for (unsigned b = 0; b < lead; ++b)
        row += kCp932Single[b] == 0xFFFE;
    return row;
}

} // namespace

std::optional<std::string> ShiftJisToUtf8(const std::string& text)
{
    if (std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; })) return text;
    static const auto rows = [] {
        std::array<short, 256> r{};
        for (unsigned b = 0; b < 256; ++b)
            r[b] = static_cast<short>(LeadRow(static_cast<unsigned char>(b)));
        return r;
    }();
    std::string out;
    out.reserve(text.size() * 3 / 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        unsigned c = kCp932Single[byte];
        if (c == 0xFFFE) {
            if (i + 1 >= text.size()) return std::nullopt;
            c = kCp932Double[rows[byte]][static_cast<unsigned char>(text[++i])];
        }
        if (c == 0xFFFF) return std::nullopt;
        PutUtf8(out, c);
    }
    return out;
}

} // namespace platform
