#include "TextNumbers.h"

#include "TextErrors.h"

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

} // namespace

IntConversion TextToInt(const std::string& full)
{
    const std::string text = full.substr(0, full.find('\0'));
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;

    bool negative = false, hex = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+' || text[i] == '$')) {
        negative = text[i] == '-';
        hex = text[i] == '$';
        ++i;
    }

    // Wide enough that neither overflow rule can wrap it.
    std::int64_t magnitude = 0;
    bool anyDigit = false;
    for (; i < text.size(); ++i) {
        const int digit = hex ? HexDigit(text[i]) : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
        if (digit < 0) return {static_cast<std::int32_t>(magnitude), false};
        if (hex ? magnitude > 0x0FFFFFFF : magnitude > 214748364)
            return {static_cast<std::int32_t>(magnitude), false};
        magnitude = magnitude * (hex ? 16 : 10) + digit;
        anyDigit = true;
    }
    if (!anyDigit) return {0, false};
    if (hex) return {static_cast<std::int32_t>(static_cast<std::uint32_t>(magnitude)), true};
    if (magnitude > 2147483647) {
        // Only 2147483648 and 2147483649 get here; the value is what 32-bit arithmetic left.
        const auto wrapped = static_cast<std::int32_t>(static_cast<std::uint32_t>(magnitude));
        const std::int32_t value = negative ? static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(wrapped)) : wrapped;
        return {value, false};
    }
    return {static_cast<std::int32_t>(negative ? -magnitude : magnitude), true};
}

std::int32_t StrictTextToInt(const std::string& text)
{
    const IntConversion c = TextToInt(text);
    if (!c.ok) throw EConvertError(text);
    return c.value;
}

std::string IntToText(std::int32_t value) { return std::to_string(value); }
