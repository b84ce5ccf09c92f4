#include "JsonString.h"

#include "platform/Hex.h"

#include <cstdint>

namespace {

// The code of the UTF-8 character at i, which it passes.
std::uint32_t NextCharacter(const std::string& utf8, std::size_t& i)
{
    const auto c = static_cast<unsigned char>(utf8[i]);
    const std::size_t length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    std::uint32_t code = length == 1 ? c : c & (0x7Fu >> length);
    for (std::size_t k = 1; k < length && i + k < utf8.size(); ++k)
        code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    i += length;
    return code;
}

} // namespace

std::string JsonString(const std::string& text, JsonChars chars)
{
    std::string json = "\"";
    const auto escape = [&](std::uint32_t unit) { json += "\\u" + platform::Hex(unit, 4); };
    for (std::size_t i = 0; i < text.size();) {
        const std::uint32_t code = chars == JsonChars::Utf8 ? NextCharacter(text, i)
                                                            : static_cast<unsigned char>(text[i++]);
        if (code == '"' || code == '\\')
            json += {'\\', static_cast<char>(code)};
        else if (code >= 0x10000) {
            escape(0xD800 + ((code - 0x10000) >> 10));
            escape(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else if (code < 0x20 || code >= 0x7F || code == '<' || code == '>' || code == '&')
            escape(code);
        else
            json += static_cast<char>(code);
    }
    return json + "\"";
}
