#pragma once

#include <cstdint>
#include <string>

struct IntConversion {
    std::int32_t value = 0;
    bool ok = false;
};

// Lenient conversion: leading spaces, then "-", "+" or "$" (hexadecimal), then digits to the
// end of the text (or its first NUL). On failure the value is the magnitude of the digits taken
// before it, without the sign.
IntConversion TextToInt(const std::string& text);
// The same conversion; raises EConvertError naming the whole text where TextToInt fails.
std::int32_t StrictTextToInt(const std::string& text);
std::string IntToText(std::int32_t value);
