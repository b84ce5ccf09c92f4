// Text primitives against their rules: TextToInt against a plain reading of them, StrictTextToInt's message, round
// trips, NextToken, SplitAt, paths, accepted cel names' images inside the output folder. Input: separator, text.
#include "Fuzz.h"

// The number rules read literally, in 64-bit arithmetic.
static IntConversion PlainTextToInt(const std::string& full)
{
    const auto wrap = [](std::int64_t v) { return static_cast<std::int32_t>(static_cast<std::uint32_t>(v)); };
    const std::string text = full.substr(0, full.find('\0'));
    std::size_t i = std::min(text.find_first_not_of(' '), text.size());
    const bool negative = text[i] == '-', hex = text[i] == '$';
    if (negative || hex || text[i] == '+') ++i;
    if (i == text.size()) return {0, false};
    std::int64_t m = 0;
    for (; i < text.size(); ++i) {
        const std::size_t d = std::string(hex ? "0123456789abcdefABCDEF" : "0123456789").find(text[i]);
        if (d == std::string::npos || m > (hex ? 0xFFFFFFF : 214748364)) return {wrap(m), false};
        m = m * (hex ? 16 : 10) + static_cast<std::int64_t>(d < 16 ? d : d - 6);
    }
    return hex ? IntConversion{wrap(m), true} : IntConversion{wrap(negative ? -m : m), m <= INT32_MAX};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    const IntConversion got = TextToInt(text), plain = PlainTextToInt(text);
    assert(got.value == plain.value && got.ok == plain.ok);
    std::int32_t strict = 0;
    const auto thrown = Thrown<EConvertError>([&] { strict = StrictTextToInt(text); });
    assert(thrown ? !got.ok && *thrown == "'" + text + "' は整数ではありません" : got.ok && strict == got.value);
    std::int32_t v = 0; // any value, not only those a text reads as: the first bytes
    std::memcpy(&v, text.data(), std::min<std::size_t>(text.size(), 4));
    const IntConversion back = TextToInt(IntToText(v));
    // The one magnitude that does not fit is refused, although "$80000000" gives it.
    assert(IntToText(v) == std::to_string(v) && back.value == v && back.ok == (v != INT32_MIN));

    std::string line = text, token = "\x01unchanged", rest = text, head = "\x01old";
    NextToken(line, token);
    const std::size_t start = std::min(text.find_first_not_of(" \t"), text.size());
    const std::size_t end = std::min(text.find_first_of(" \t", start), text.size());
    assert(token == (text.empty() ? "\x01unchanged" : text.substr(start, end - start)) &&
           line == text.substr(std::min(end + 1, text.size())));
    // Taking tokens until the line is empty ends, each call taking at least a byte.
    for (std::size_t before = line.size(); !line.empty(); before = line.size()) {
        NextToken(line, token);
        assert(line.size() < before);
    }
    SplitAt(rest, static_cast<char>(data[0]), head);
    const std::size_t at = text.find(static_cast<char>(data[0]));
    assert(head == text.substr(0, at) && rest == (at == std::string::npos ? "" : text.substr(at + 1)));

    const std::string stripped = StripExtension(text), extension = text.substr(stripped.size());
    const std::string directory = DirectoryOf(text), last = text.substr(directory.size());
    assert(text.starts_with(stripped) && (extension.empty() || extension.find_last_of('.') == 0));
    assert(text.starts_with(directory) && (directory.empty() || IsDirectorySeparator(directory.back())) &&
           std::ranges::none_of(last, IsDirectorySeparator));
    assert(BaseName(text) == last.substr(0, last.find('.')) && NativeName(text).size() == text.size());
    assert(std::ranges::equal(AsciiLowerCase(text), text,
                              [](char l, char c) { return l == (c >= 'A' && c <= 'Z' ? c + 32 : c); }));
    // An accepted cel name gives a ".bmp" image inside the output folder (paths with a NUL byte are refused anyway).
    const std::string image = "/out/" + NativeName(AsciiLowerCase(stripped)) + ".bmp";
    const std::string normal = std::filesystem::path(image).lexically_normal().generic_string();
    assert(!StaysInside(text) || image.find('\0') != std::string::npos ||
           (normal.starts_with("/out/") && normal.ends_with(".bmp")));
    return 0;
}
