// The text primitives on arbitrary text: TextToInt against a plain reading of the number
// rules, StrictTextToInt's message, IntToText round trips, NextToken and SplitAt against what
// they must leave, the path operations and the rule that a name accepted as staying inside
// a folder gives an image path inside it. Input: one byte of separator, then the text.
#include "FuzzCheck.h"

#include "conversion/CelPaths.h"
#include "conversion/TextErrors.h"
#include "conversion/TextNumbers.h"
#include "conversion/TextPaths.h"
#include "conversion/TextTokens.h"

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

int DigitValue(char c, bool hex) {
    if (c >= '0' && c <= '9') return c - '0';
    if (hex && c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (hex && c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The number rules read literally, in 64-bit arithmetic.
IntConversion PlainTextToInt(const std::string& full) {
    const std::string text = full.substr(0, full.find('\0'));
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false, hex = false;
    if (i < text.size() && text[i] == '-') negative = true;
    if (i < text.size() && text[i] == '$') hex = true;
    if (i < text.size() && (text[i] == '-' || text[i] == '+' || text[i] == '$')) ++i;
    if (i == text.size()) return {0, false};
    std::int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const int digit = DigitValue(text[i], hex);
        const std::int64_t limit = hex ? 0xFFFFFFF : 214748364;
        if (digit < 0 || magnitude > limit)
            return {static_cast<std::int32_t>(static_cast<std::uint32_t>(magnitude)), false};
        magnitude = magnitude * (hex ? 16 : 10) + digit;
    }
    const auto low = static_cast<std::int32_t>(static_cast<std::uint32_t>(magnitude));
    if (hex) return {low, true};
    if (magnitude > 2147483647) {
        const std::uint32_t wrapped = static_cast<std::uint32_t>(low);
        return {negative ? static_cast<std::int32_t>(0u - wrapped) : low, false};
    }
    return {static_cast<std::int32_t>(negative ? -magnitude : magnitude), true};
}

void CheckNumbers(const std::string& text) {
    const IntConversion got = TextToInt(text);
    const IntConversion plain = PlainTextToInt(text);
    FUZZ_CHECK(got.value == plain.value && got.ok == plain.ok);
    try {
        FUZZ_CHECK(StrictTextToInt(text) == got.value && got.ok);
    } catch (const EConvertError& e) {
        FUZZ_CHECK(!got.ok && e.Message() == "'" + text + "' は整数ではありません");
    }
    // "-2147483648" is refused by the rules, although "$80000000" gives that value.
    if (got.ok && got.value != INT32_MIN) {
        const IntConversion back = TextToInt(IntToText(got.value));
        FUZZ_CHECK(back.ok && back.value == got.value);
    }
}

void CheckRoundTrip(std::int32_t value) {
    const std::string text = IntToText(value);
    FUZZ_CHECK(text == std::to_string(value));
    const IntConversion back = TextToInt(text);
    // The one number whose magnitude does not fit is refused, as the rules say.
    FUZZ_CHECK(back.value == value && back.ok == (value != INT32_MIN));
}

void CheckTokens(const std::string& text) {
    std::string line = text, token = "\x01unchanged";
    NextToken(line, token);
    if (text.empty()) {
        FUZZ_CHECK(line.empty() && token == "\x01unchanged");
    } else {
        std::size_t start = 0;
        while (start < text.size() && IsBlank(text[start]))
            ++start;
        FUZZ_CHECK(text.compare(start, token.size(), token) == 0);
        for (const char c : token)
            FUZZ_CHECK(!IsBlank(c));
        const std::size_t end = start + token.size();
        FUZZ_CHECK(end == text.size() || IsBlank(text[end]));
        FUZZ_CHECK(line == text.substr(end == text.size() ? end : end + 1));
    }
    // Repeating NextToken while the line is not empty ends, each call taking at least a byte.
    line = text;
    std::size_t calls = 0;
    while (!line.empty()) {
        const std::size_t before = line.size();
        NextToken(line, token);
        FUZZ_CHECK(line.size() < before);
        FUZZ_CHECK(++calls <= text.size());
    }
}

void CheckSplit(const std::string& text, char separator) {
    std::string rest = text, head = "\x01old";
    SplitAt(rest, separator, head);
    FUZZ_CHECK(head.find(separator) == std::string::npos);
    if (text.find(separator) == std::string::npos)
        FUZZ_CHECK(head == text && rest.empty());
    else
        FUZZ_CHECK(head + separator + rest == text);
}

void CheckPaths(const std::string& text) {
    const std::string stripped = StripExtension(text);
    FUZZ_CHECK(text.compare(0, stripped.size(), stripped) == 0);
    const std::string extension = text.substr(stripped.size());
    FUZZ_CHECK(extension.empty() ||
               (extension[0] == '.' && extension.find('.', 1) == std::string::npos));

    const std::string directory = DirectoryOf(text);
    FUZZ_CHECK(text.compare(0, directory.size(), directory) == 0);
    FUZZ_CHECK(directory.empty() || IsDirectorySeparator(directory.back()));
    const std::string last = text.substr(directory.size());
    for (const char c : last)
        FUZZ_CHECK(!IsDirectorySeparator(c));
    FUZZ_CHECK(BaseName(text) == last.substr(0, last.find('.')));

    const std::string lowered = AsciiLowerCase(text);
    FUZZ_CHECK(lowered.size() == text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        FUZZ_CHECK(lowered[i] == (c >= 'A' && c <= 'Z' ? c + 32 : c));
    }

    const std::string native = NativeName(text);
    FUZZ_CHECK(native.size() == text.size());

    // The image path a run builds from an accepted cel name must name a ".bmp" file inside the
    // output folder. (Paths holding a NUL byte are refused by the platform layer.)
    const std::string image = "/out/" + NativeName(AsciiLowerCase(StripExtension(text))) + ".bmp";
    if (StaysInside(text) && image.find('\0') == std::string::npos) {
        const std::string normal = std::filesystem::path(image).lexically_normal().string();
        FUZZ_CHECK(normal.rfind("/out/", 0) == 0);
        FUZZ_CHECK(normal.compare(normal.size() - 4, 4, ".bmp") == 0);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const char separator = static_cast<char>(data[0]);
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    CheckNumbers(text);
    if (text.size() >= 4) {
        std::int32_t value = 0;
        std::memcpy(&value, text.data(), 4);
        CheckRoundTrip(value);
    }
    CheckTokens(text);
    CheckSplit(text, separator);
    CheckPaths(text);
    return 0;
}
