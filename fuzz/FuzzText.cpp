// Text primitives against their rules: TextToInt's, IsUtf8's and TextAsUtf8's edges from tables, StrictTextToInt's
// message, any value through its text and back, NextToken, SplitAt, paths, accepted cel names' images inside. Input:
// separator, text.
#include "Fuzz.h"
#include "platform/TextUtf8.h"

using namespace std::string_literals;
using NumberRow = std::tuple<std::string, std::int32_t, bool>; // text, value, ok
// TextToInt's forms: blanks, signs, leading zeros, other characters, cut-off text. On failure the value is the
// magnitude of the digits read before the failing one, without the sign.
static const std::vector<NumberRow> kForms = {{"0", 0, true},     {"", 0, false},        {" ", 0, false},
                                              {"-", 0, false},    {"+", 0, false},       {"$", 0, false},
                                              {"  42", 42, true}, {"42 ", 42, false},    {"\t1", 0, false},
                                              {"007", 7, true},   {"-007", -7, true},    {"+5", 5, true},
                                              {"--5", 0, false},  {"- 5", 0, false},     {"-12a", 12, false},
                                              {"1e3", 1, false},  {"1\0junk"s, 1, true}, {"$G", 0, false},
                                              {"-$1", 0, false},  {"$-1", 0, false},     {"\xef\xbc\x91", 0, false}};
// The 32-bit limits and one past them, decimal and hexadecimal: 2147483648 is the one magnitude that does not fit,
// one past a limit leaves what 32-bit arithmetic does, and a longer number stops before the digit that overflows.
static const std::vector<NumberRow> kLimits = {
    {"2147483647", INT32_MAX, true},   {"-2147483647", -INT32_MAX, true}, {"00000000002147483647", INT32_MAX, true},
    {"2147483648", INT32_MIN, false},  {"-2147483648", INT32_MIN, false}, {"2147483649", -INT32_MAX, false},
    {"-2147483649", INT32_MAX, false}, {"2147483650", 214748365, false},  {"21474836470", INT32_MAX, false},
    {"$7FFFFFFF", INT32_MAX, true},    {"$80000000", INT32_MIN, true},    {"$ffffffff", -1, true},
    {"$0000000FF", 255, true},         {"$100000000", 0x10000000, false}};
static const std::pair<std::int32_t, const char*> kTexts[] = {{0, "0"}, {-7, "-7"}, {INT32_MIN, "-2147483648"}};
// UTF-8 at the edges of each length: overlong forms, surrogates, past U+10FFFF, a bad or missing continuation byte.
// clang-format off
static const std::pair<std::string, bool> kUtf8[] = {
    {"\x7F\xC2\x80\xDF\xBF", true}, {"\xC1\xBF", false}, {"\xE0\xA0\x80\xED\x9F\xBF", true}, {"\xE0\x9F\xBF", false},
    {"\xED\xA0\x80", false}, {"\xE8\xA1(", false}, {"\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", true},
    {"\xF4\x90\x80\x80", false}, {"\xF0\x90\x80(", false}, {"\xE8\xA1", false}, {"\x80", false},
    {"\xF5\x80\x80\x80", false}};
// A doll's text as UTF-8 (text, cut from a longer one, shown): a stray byte (a Shift-JIS lead byte before a byte that
// cannot follow it) is one U+FFFD in a Shift-JIS line, however its lines end, and in a UTF-8 one; a cut text loses the
// character its end splits, in Shift-JIS and in UTF-8, even with a stray byte before it.
static const std::tuple<std::string, bool, std::string> kAsUtf8[] = {
    {"\x83\x73\x83 \x83\x73", false, "\xE3\x83\x94\xEF\xBF\xBD \xE3\x83\x94"},
    {"\x95\x5C\r\x83\x73\x83\r\x83\x73", false, "\xE8\xA1\xA8\r\xE3\x83\x94\xEF\xBF\xBD\r\xE3\x83\x94"},
    {"caf\xC3\xA9 \x83 caf\xC3\xA9\n", false, "caf\xC3\xA9 \xEF\xBF\xBD caf\xC3\xA9\n"},
    {"\x83\x73\x83\x73\x83", false, "\xE3\x83\x94\xE3\x83\x94\xEF\xBF\xBD"}, {"\x83\x73\x83\x73\x83", true, "\xE3\x83\x94\xE3\x83\x94"},
    {"\xE8\xA1\xA8\xE8\xA1", true, "\xE8\xA1\xA8"}, {"\xC3\xA9\xC3\xA9\x83\xC3", true, "\xC3\xA9\xC3\xA9\xEF\xBF\xBD"},
    {"\x83\x73\n", true, "\xE3\x83\x94\n"}};
// clang-format on

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool numbersHold = [] {
        for (const auto& table : {kForms, kLimits})
            for (const auto& [text, value, ok] : table) {
                const IntConversion got = TextToInt(text);
                if (got.value != value || got.ok != ok)
                    std::fprintf(stderr, "TextToInt(\"%s\") is wrong\n", text.c_str());
                assert(got.value == value && got.ok == ok);
            }
        return std::ranges::all_of(kTexts, [](const auto& row) { return IntToText(row.first) == row.second; }) &&
               std::ranges::all_of(kUtf8, [](const auto& row) { return IsUtf8(row.first) == row.second; }) &&
               std::ranges::all_of(kAsUtf8, [](const auto& row) {
                   const auto& [text, cut, shown] = row;
                   const std::string got = TextAsUtf8(text, cut);
                   if (got != shown) std::fprintf(stderr, "TextAsUtf8 gives %s, not %s\n", got.c_str(), shown.c_str());
                   return got == shown;
               });
    }();
    assert(numbersHold);
    if (size == 0) return 0;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    assert(IsUtf8(TextAsUtf8(text, data[0] & 1)));
    const IntConversion got = TextToInt(text);
    std::int32_t strict = 0;
    const auto thrown = Thrown<EConvertError>([&] { strict = StrictTextToInt(text); });
    assert(thrown ? !got.ok && *thrown == "'" + text + "' は整数ではありません" : got.ok && strict == got.value);
    std::int32_t v = 0; // any value, not only those a text reads as: the first bytes
    std::memcpy(&v, text.data(), std::min<std::size_t>(text.size(), 4));
    const IntConversion back = TextToInt(IntToText(v));
    // Every value comes back from its text, but the one magnitude that does not fit, although "$80000000" gives it.
    assert(back.value == v && back.ok == (v != INT32_MIN));

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
           DirectoryOf(last).empty() && last.find('/') == std::string::npos);
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
